#include <chrono>
#include "core/image/command_ids.h"
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
    EXPECT_EQ(doc.m_arrPasswords[0], "quintus4072");
    EXPECT_EQ(doc.m_nPasswordIndex, 0);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text.rfind("DISCLAIMER\n--------------\n\n", 0), 0u);
    EXPECT_EQ(settings.GetString("FolderSelected"), samples.str());
    EXPECT_EQ(settings.GetInt("VeilmarkData", 1), 0);
    EXPECT_EQ(settings.GetString("PasswordCry01"), "quintus4072");
  }
  CLumicraftDoc again(ui, settings, samples.str());
  EXPECT_EQ(ui.messages.size(), 1u);  // no second disclaimer
  EXPECT_EQ(again.m_arrPasswords[0], "quintus4072");
}

TEST(DocumentSettings, SaveHonoursTheSaveFlagsAndBadSlotIndex) {
  FakeUi ui;
  MemorySettingsStore settings;
  settings.WriteInt("VeilmarkData", 0);
  settings.WriteInt("PasswordRadioCry", 7);
  CLumicraftDoc doc(ui, settings, "");
  doc.m_arrPasswords = {"alpha1", "", "gamma3", "", ""};
  EXPECT_EQ(doc.PasswordForEncryption(), "alpha1");  // index 7 means slot 1
  doc.m_strMessageToHide = "secret";
  doc.m_strCryMessageIn = "in";
  doc.m_bSavePasswords = 0;
  doc.m_bSaveMessage = 1;
  doc.m_bSaveCryMessages = 0;
  doc.SaveSettings();
  for (const char* name : {"PasswordCry01", "PasswordCry03"}) EXPECT_EQ(settings.GetString(name), "");
  EXPECT_EQ(settings.GetString("SecretMessage"), "secret");
  EXPECT_EQ(settings.GetString("CryMessageIn"), "");
  EXPECT_EQ(settings.GetInt("PasswordSaveCry", 1), 0);
  EXPECT_EQ(doc.m_arrPasswords[0], "alpha1");  // kept until the program ends
}

TEST_F(DocumentTest, FolderStatistics) {
  WritePng(folder / "B.png", 40, 30);
  WritePng(folder / "a.png", 40, 30);
  WriteFile(folder / "notes.txt", "x");
  WriteFile(folder / "x.CRY", "0123456789abcdef");
  WriteFile(folder / "archive.cry.bak", "z");
  fs::create_directory(folder / "sub.png");
  doc->OpenFolder(folder.str());
  EXPECT_EQ(doc->m_arrImageNames, (std::vector<std::string>{"a.png", "b.png"}));
  EXPECT_EQ(doc->m_arrKinds, (std::vector<int>{stego::KIND_PLAIN, stego::KIND_PLAIN}));
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
  EXPECT_EQ(doc->m_nUndoPos, 10);
  EXPECT_EQ(doc->UndoMenuText(), "&Undo (10)");
  for (int i = 10; i > 0; --i) {
    EXPECT_TRUE(doc->IsCommandEnabled(ID_EDIT_UNDO));
    doc->OnEditUndo();
  }
  EXPECT_EQ(doc->UndoMenuText(), "&Undo (0)");
  EXPECT_FALSE(doc->IsCommandEnabled(ID_EDIT_UNDO));

  doc->ClearUndo();
  for (int i = 0; i < 3; ++i) doc->PushUndo();
  const image::ArgbImage* current = doc->m_pImage.get();
  doc->OnEditUndo();
  doc->OnEditRedo();
  EXPECT_EQ(doc->m_pImage.get(), current);  // the same object comes back, not a copy
  doc->OnEditUndo();
  doc->OnEditUndo();
  doc->PushUndo();
  EXPECT_EQ(doc->m_nUndoPos, 2);
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
  doc->m_bPayloadJustEmbedded = true;
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
  const image::ArgbImage before = doc->m_pImage->Clone();
  ASSERT_TRUE(doc->OnCommand(ID_EDIT_ROTATE_RIGHT));
  // Until the worker reports back on the UI thread the document is busy.
  for (int id : {ID_APP_EXIT, ID_EDIT_UNDO, ID_EDIT_NEGATIVE, ID_FILE_SAVE_PNG, ID_FOLDER_REFRESH,
                 ID_ENCRYPT_FOLDER})
    EXPECT_FALSE(doc->IsCommandEnabled(id)) << id;
  EXPECT_TRUE(doc->IsCommandEnabled(ID_ENCRYPT_FILE));
  ui.WaitAndDrainUiQueue();
  EXPECT_FALSE(doc->IsBusy());
  EXPECT_EQ(doc->m_pImage->Width(), 200);
  EXPECT_EQ(doc->UndoMenuText(), "&Undo (1)");
  doc->OnEditUndo();
  EXPECT_EQ(*doc->m_pImage, before);

  ui.gammaAnswers = {std::nullopt};
  doc->OnCommand(ID_EDIT_GAMMA);  // cancelled: nothing starts, no snapshot
  EXPECT_FALSE(doc->IsBusy());
  EXPECT_EQ(doc->m_nUndoPos, 0);
  ui.gammaAnswers = {2.0f};
  doc->OnCommand(ID_EDIT_GAMMA);
  EXPECT_EQ(doc->m_nOperationParam, 2000);
  ui.WaitAndDrainUiQueue();
}

TEST_F(DocumentTest, SaveNamesAndStatus) {
  fs::create_directory(folder / "my.pics");
  WritePng(folder / "my.pics" / "Beach.png", 16, 16);
  doc->OpenFolder((folder / "my.pics").u8string());
  doc->OnThumbnailSelected(0);
  ASSERT_TRUE(doc->OnCommand(ID_FILE_SAVE_BMP));
  EXPECT_TRUE(fs::exists(folder / "my.pics" / "beach_conv.bmp"));
  EXPECT_EQ(ui.LastStatus(), "Image file saved: beach_conv.bmp");
  doc->m_bPayloadJustEmbedded = true;
  doc->OnCommand(ID_FILE_SAVE_TIFF);
  EXPECT_TRUE(fs::exists(folder / "my.pics" / "beach_steg.tiff"));
}

}  // namespace
}  // namespace veilmark::test
