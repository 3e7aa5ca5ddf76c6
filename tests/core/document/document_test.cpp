#include <chrono>
#include "core/document/command_ids.h"
#include "core/stego/kinds.h"
#include "tests/core/document/fixture.h"

namespace veilmark::test {
namespace {

using namespace image;  // command ids

TEST(DocumentSettings, FirstRunThenSecondRun) {
  TempFolder samples;
  FakeUi ui;
  MemorySettingsStore settings;
  {
    CLumicraftDoc doc(ui, settings, samples.str());
    EXPECT_EQ(doc.Passwords()[0], "quintus4072");
    EXPECT_EQ(doc.PasswordIndex(), 0);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text.rfind("DISCLAIMER\n--------------\n\n", 0), 0u);
    EXPECT_EQ(settings.GetString("FolderSelected"), samples.str());
    EXPECT_EQ(settings.GetInt("VeilmarkData", 1), 0);
    EXPECT_EQ(settings.GetString("PasswordCry01"), "quintus4072");
  }
  CLumicraftDoc again(ui, settings, samples.str());
  EXPECT_EQ(ui.messages.size(), 1u);  // no second disclaimer
  EXPECT_EQ(again.Passwords()[0], "quintus4072");
}

TEST(DocumentSettings, SaveHonoursTheSaveFlagsAndBadSlotIndex) {
  FakeUi ui;
  MemorySettingsStore settings;
  settings.WriteInt("VeilmarkData", 0);
  settings.WriteInt("PasswordRadioCry", 7);
  CLumicraftDoc doc(ui, settings, "");
  doc.SetPasswords({"alpha1", "", "gamma3", "", ""});
  EXPECT_EQ(doc.PasswordForEncryption(), "alpha1");  // index 7 means slot 1
  doc.SetMessageToHide("secret");
  doc.SetCryMessageIn("in");
  doc.SetSaveFlags(/*passwords=*/false, /*message=*/true, /*cryMessages=*/false);
  doc.SaveSettings();
  for (const char* name : {"PasswordCry01", "PasswordCry03"})
    EXPECT_EQ(settings.GetString(name), "");
  EXPECT_EQ(settings.GetString("SecretMessage"), "secret");
  EXPECT_EQ(settings.GetString("CryMessageIn"), "");
  EXPECT_EQ(settings.GetInt("PasswordSaveCry", 1), 0);
  EXPECT_EQ(doc.Passwords()[0], "alpha1");  // kept until the program ends
}

TEST_F(DocumentTest, FolderStatistics) {
  WritePng(folder / "B.png", 40, 30);
  WritePng(folder / "a.png", 40, 30);
  WriteFile(folder / "notes.txt", "x");
  WriteFile(folder / "x.CRY", "0123456789abcdef");
  WriteFile(folder / "archive.cry.bak", "z");
  fs::create_directory(folder / "sub.png");
  doc->OpenFolder(folder.str());
  EXPECT_EQ(doc->ImageNames(), (std::vector<std::string>{"a.png", "b.png"}));
  EXPECT_EQ(doc->ImageKinds(), (std::vector<int>{stego::KIND_PLAIN, stego::KIND_PLAIN}));
  EXPECT_EQ(ui.LastStatus(), "Files: 5 (Images: 2  Encrypted: 1)");
  EXPECT_FALSE(ui.folderInfoShown);
  EXPECT_EQ(ui.builderStops, 1);
  EXPECT_EQ(ui.builderStarts, 1);
  EXPECT_EQ(doc->ImagePath(1), (folder / "B.png").u8string());  // opened by its name on disk

  TempFolder onlyCry;
  for (const char* n : {"1.cry", "2.cry", "3.cry"}) WriteFile(onlyCry / n, "");
  doc->OpenFolder(onlyCry.str());
  EXPECT_TRUE(ui.folderInfoShown);
  EXPECT_EQ(ui.folderInfo, "Files: 3 (Images: 0  Encrypted: 3)");
  EXPECT_EQ(ui.LastStatus(), "");

  TempFolder empty;
  doc->OpenFolder(empty.str());
  EXPECT_FALSE(ui.folderInfoShown);
}

// Temporary files of writers are no user files: a dead writer's is removed on opening
// the folder, one that may be written right now stays, and neither is counted.
TEST_F(DocumentTest, OpeningAFolderClearsDeadWritersFilesAndCountsNoneOfThem) {
  WritePng(folder / "a.png", 40, 30);
  WriteFile(folder / ".deadAAAAAAAA.vmtmp", "plaintext of a killed run");
  fs::last_write_time(folder / ".deadAAAAAAAA.vmtmp",
                      fs::file_time_type::clock::now() - std::chrono::minutes(5));
  WriteFile(folder / ".liveAAAAAAAA.vmtmp", "being written");
  doc->OpenFolder(folder.str());
  EXPECT_EQ(ui.LastStatus(), "Files: 1 (Images: 1  Encrypted: 0)");
  EXPECT_FALSE(fs::exists(folder / ".deadAAAAAAAA.vmtmp"));
  EXPECT_TRUE(fs::exists(folder / ".liveAAAAAAAA.vmtmp"));
}

TEST_F(DocumentTest, SelectingShowsCapacityAndReselectingDoesNothing) {
  WritePng(folder / "wide.png", 1000, 600);
  OpenAndSelect("wide.png");
  EXPECT_EQ(ui.LastStatus(), "1000x600 Storage capacity: 73 Ks (75000 bytes)");
  const int refreshes = ui.previewRefreshes;
  doc->SelectImage(0, "", "");
  EXPECT_EQ(ui.previewRefreshes, refreshes);
}

TEST_F(DocumentTest, UndoHistoryKeepsTenStepsAndDropsTheRedoTail) {
  WritePng(folder / "p.png", 8, 8);
  OpenAndSelect("p.png");
  for (int i = 0; i < 11; ++i) doc->PushUndo();
  EXPECT_EQ(doc->UndoPosition(), 10);
  EXPECT_EQ(doc->UndoMenuText(), "&Undo (10)");
  for (int i = 10; i > 0; --i) {
    EXPECT_TRUE(doc->IsCommandEnabled(ID_EDIT_UNDO));
    doc->OnEditUndo();
  }
  EXPECT_EQ(doc->UndoMenuText(), "&Undo (0)");
  EXPECT_FALSE(doc->IsCommandEnabled(ID_EDIT_UNDO));

  doc->ClearUndo();
  for (int i = 0; i < 3; ++i) doc->PushUndo();
  const image::ArgbImage* current = doc->WorkingImage();
  doc->OnEditUndo();
  doc->OnEditRedo();
  EXPECT_EQ(doc->WorkingImage(), current);  // the same object comes back, not a copy
  doc->OnEditUndo();
  doc->OnEditUndo();
  doc->PushUndo();
  EXPECT_EQ(doc->UndoPosition(), 2);
  EXPECT_FALSE(doc->IsCommandEnabled(ID_EDIT_REDO));
}

TEST_F(DocumentTest, EnablingFollowsImageKindAndEmbeddedState) {
  EXPECT_FALSE(doc->IsCommandEnabled(ID_FILE_SAVE_PNG));
  EXPECT_FALSE(doc->IsCommandEnabled(ID_FOLDER_REFRESH));
  EXPECT_TRUE(doc->IsCommandEnabled(ID_ENCRYPT_FILE));
  WritePng(folder / "p.png", 8, 8);
  OpenAndSelect("p.png");
  EXPECT_TRUE(doc->IsCommandEnabled(ID_FILE_SAVE_PNG));
  EXPECT_TRUE(doc->IsCommandEnabled(ID_EDIT_NEGATIVE));
  EXPECT_FALSE(doc->IsCommandEnabled(ID_FILE_EXTRACT_HIDDEN));
  EXPECT_FALSE(doc->IsCommandEnabled(ID_HIDE_FILE));  // no file chosen
  doc->SetPayloadJustEmbedded(true);
  EXPECT_FALSE(doc->IsCommandEnabled(ID_FILE_SAVE_JPG));
  EXPECT_FALSE(doc->IsCommandEnabled(ID_FILE_SAVE_GIF));
  EXPECT_TRUE(doc->IsCommandEnabled(ID_FILE_SAVE_TIFF));
  doc->SetImageKind(0, stego::KIND_HIDDEN_FILE);
  EXPECT_TRUE(doc->IsCommandEnabled(ID_FILE_EXTRACT_HIDDEN));
  EXPECT_FALSE(doc->IsCommandEnabled(ID_EDIT_NEGATIVE));
}

TEST_F(DocumentTest, ImageOperationRunsOnAWorkerAndDisablesImageCommands) {
  WritePng(folder / "p.png", 300, 200);
  OpenAndSelect("p.png");
  const image::ArgbImage before = doc->WorkingImage()->Clone();
  ASSERT_TRUE(doc->OnCommand(ID_EDIT_ROTATE_RIGHT));
  // Until the worker reports back on the UI thread the document is busy.
  for (int id : {ID_APP_EXIT, ID_EDIT_UNDO, ID_EDIT_NEGATIVE, ID_FILE_SAVE_PNG, ID_FOLDER_REFRESH,
                 ID_ENCRYPT_FOLDER})
    EXPECT_FALSE(doc->IsCommandEnabled(id)) << id;
  EXPECT_TRUE(doc->IsCommandEnabled(ID_ENCRYPT_FILE));
  ui.WaitAndRunPosted();
  EXPECT_FALSE(doc->IsBusy());
  EXPECT_EQ(doc->WorkingImage()->Width(), 200);
  EXPECT_EQ(doc->UndoMenuText(), "&Undo (1)");
  doc->OnEditUndo();
  EXPECT_EQ(*doc->WorkingImage(), before);

  ui.gammaAnswers = {std::nullopt};
  doc->OnCommand(ID_EDIT_GAMMA);  // cancelled: nothing starts, no snapshot
  EXPECT_FALSE(doc->IsBusy());
  EXPECT_EQ(doc->UndoPosition(), 0);
  ui.gammaAnswers = {2.0f};
  doc->OnCommand(ID_EDIT_GAMMA);
  EXPECT_EQ(doc->OperationParam(), 2000);
  ui.WaitAndRunPosted();
}

TEST_F(DocumentTest, NothingReplacesOrFreesTheImageWhileAnOperationWorksOnIt) {
  WritePng(folder / "a.png", 8, 8);
  WritePng(folder / "b.png", 8, 8, 3);
  OpenAndSelect("a.png");
  // Large enough that the worker is still at it while the calls below come in.
  doc->SetWorkingImage(std::make_unique<image::ArgbImage>(NoiseImage(2400, 1600)));
  const std::uint32_t pixel = doc->WorkingImage()->At(10, 10);
  ASSERT_TRUE(doc->OnCommand(ID_EDIT_GRAYSCALE));
  ASSERT_TRUE(doc->IsBusy());
  for (int id : {ID_FOLDER_SAMPLES, ID_FOLDER_REFRESH, ID_EDIT_UNDO, ID_APP_EXIT})
    EXPECT_FALSE(doc->IsCommandEnabled(id)) << id;

  // Every way to replace or free the working image is refused until the worker is done.
  EXPECT_FALSE(doc->OnThumbnailSelected(1));
  doc->SelectImage(1, "", "");
  EXPECT_FALSE(doc->OpenFolder(folder.str()));
  EXPECT_FALSE(doc->MayReplaceWorkingImage());
  doc->OnEditUndo();
  doc->OnEditRedo();
  doc->PushUndo();
  doc->OnCommand(ID_FOLDER_SAMPLES);
  EXPECT_EQ(doc->SelectedIndex(), 0);
  EXPECT_EQ(doc->UndoPosition(), 1);
  EXPECT_EQ(ui.builderStops, 1);  // only the first opening
  EXPECT_TRUE(ui.questions.empty());

  ui.WaitAndRunPosted();
  ASSERT_FALSE(doc->IsBusy());
  ASSERT_NE(doc->WorkingImage(), nullptr);
  const std::uint32_t gray = doc->WorkingImage()->At(10, 10);
  EXPECT_EQ(gray & 0xFF, (gray >> 8) & 0xFF);
  EXPECT_EQ(gray & 0xFF, (gray >> 16) & 0xFF);
  doc->OnEditUndo();
  EXPECT_EQ(doc->WorkingImage()->At(10, 10), pixel);

  // Destroying the document while the worker runs waits for it; its late report is dropped.
  ASSERT_TRUE(doc->OnCommand(ID_EDIT_NEGATIVE));
  doc.reset();
  ui.WaitAndRunPosted();
}

// The question before unsaved changes are dropped, for each way of dropping them.
TEST_F(DocumentTest, UnsavedChangesAreSavedDiscardedOrKept) {
  WritePng(folder / "a.png", 8, 8);
  WritePng(folder / "b.png", 8, 8, 3);
  TempFolder other;
  enum Trigger { kSelect, kOpenFolder, kExit };
  const char* const kQuestion = "The image has unsaved changes. Save them as PNG?";
  for (Trigger trigger : {kSelect, kOpenFolder, kExit}) {
    for (YesNoCancel answer : {YesNoCancel::kYes, YesNoCancel::kNo, YesNoCancel::kCancel}) {
      SCOPED_TRACE(::testing::Message()
                   << "trigger " << trigger << ", answer " << static_cast<int>(answer));
      fs::remove(folder / "a_conv.png");
      ui.yesNoCancelAnswers = {YesNoCancel::kNo};  // drops what the last round kept
      OpenAndSelect("a.png");
      ui.questions.clear();
      // Loading, and saving, leave nothing to ask about.
      EXPECT_TRUE(doc->MayReplaceWorkingImage());
      ASSERT_TRUE(doc->OnCommand(ID_EDIT_NEGATIVE));
      ui.WaitAndRunPosted();
      const image::ArgbImage edited = doc->WorkingImage()->Clone();

      ui.yesNoCancelAnswers = {answer};
      bool left = false;
      switch (trigger) {
        case kSelect:
          left = doc->OnThumbnailSelected(1);
          break;
        case kOpenFolder:
          left = doc->OpenFolder(other.str());
          break;
        case kExit:
          left = doc->MayReplaceWorkingImage();
          break;
      }
      ASSERT_EQ(ui.questions, std::vector<std::string>{kQuestion});
      EXPECT_EQ(left, answer != YesNoCancel::kCancel);
      EXPECT_EQ(fs::exists(folder / "a_conv.png"), answer == YesNoCancel::kYes);
      if (answer == YesNoCancel::kYes) {
        EXPECT_EQ(image::DecodeImageFile(folder / "a_conv.png"), edited);
      }
      if (answer == YesNoCancel::kCancel) {
        EXPECT_EQ(doc->SelectedIndex(), 0);
        EXPECT_EQ(doc->Folder(), folder.str());
        ASSERT_NE(doc->WorkingImage(), nullptr);
        EXPECT_EQ(*doc->WorkingImage(), edited);
        EXPECT_EQ(doc->UndoPosition(), 1);
      } else if (trigger == kSelect) {
        EXPECT_EQ(doc->SelectedIndex(), 1);
      } else if (trigger == kOpenFolder) {
        EXPECT_EQ(doc->Folder(), other.str());
      }
      // Once saved or loaded anew there is nothing left to ask about.
      if (answer == YesNoCancel::kYes || (answer == YesNoCancel::kNo && trigger != kExit)) {
        ui.questions.clear();
        EXPECT_TRUE(doc->MayReplaceWorkingImage());
        EXPECT_TRUE(ui.questions.empty());
      }
    }
  }
}

TEST_F(DocumentTest, UndoAndARefusedSaveKeepTheQuestion) {
  WritePng(folder / "a.png", 8, 8);
  OpenAndSelect("a.png");
  ASSERT_TRUE(doc->OnCommand(ID_EDIT_MIRROR));
  ui.WaitAndRunPosted();
  ASSERT_TRUE(doc->SaveImageAs("png"));
  doc->OnEditUndo();  // differs from the saved file again
  ui.yesNoCancelAnswers = {YesNoCancel::kCancel};
  EXPECT_FALSE(doc->MayReplaceWorkingImage());
  // A save that fails keeps the image: nothing is dropped on the strength of a failed write.
  fs::remove_all(folder.path());
  ui.yesNoCancelAnswers = {YesNoCancel::kYes};
  EXPECT_FALSE(doc->OnThumbnailSelected(-1));
  EXPECT_EQ(ui.LastMessage(), "Error saving image file.");
  EXPECT_EQ(doc->SelectedIndex(), 0);
}

TEST_F(DocumentTest, ThresholdStartsAtMidGrey) {
  WritePng(folder / "p.png", 8, 8);
  OpenAndSelect("p.png");
  ui.thresholdAnswers = {std::nullopt};
  doc->OnCommand(ID_EDIT_THRESHOLD);
  EXPECT_EQ(ui.thresholdStarts, std::vector<int>{128});
}

TEST_F(DocumentTest, SaveNamesAndStatus) {
  fs::create_directory(folder / "my.pics");
  WritePng(folder / "my.pics" / "Beach.png", 16, 16);
  doc->OpenFolder((folder / "my.pics").u8string());
  doc->OnThumbnailSelected(0);
  ASSERT_TRUE(doc->OnCommand(ID_FILE_SAVE_BMP));
  EXPECT_TRUE(fs::exists(folder / "my.pics" / "beach_conv.bmp"));
  EXPECT_EQ(ui.LastStatus(), "Image file saved: beach_conv.bmp");
  doc->SetPayloadJustEmbedded(true);
  doc->OnCommand(ID_FILE_SAVE_TIFF);
  EXPECT_TRUE(fs::exists(folder / "my.pics" / "beach_steg.tiff"));
}

}  // namespace
}  // namespace veilmark::test
