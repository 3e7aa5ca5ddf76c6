#include "core/document/command_ids.h"
#include "core/document/folder_scan.h"
#include "core/stego/analysis.h"
#include "core/stego/kinds.h"
#include "tests/core/document/fixture.h"

namespace veilmark::test {
namespace {

using namespace image;  // command ids
using namespace std::string_literals;

class HideTest : public DocumentTest {
 protected:
  // Hides `fileName` (written with `bytes`) into a fresh carrier and saves it as PNG.
  void HideFileAndSave(const std::string& fileName, const std::string& bytes) {
    WritePng(folder / "Carrier.png", 120, 100);
    TempFolder elsewhere;
    WriteFile(elsewhere / fileName, bytes);
    OpenAndSelect("carrier.png");
    doc->SetFileToHide((elsewhere / fileName).u8string());
    ASSERT_TRUE(doc->IsCommandEnabled(ID_HIDE_FILE));
    doc->OnCommand(ID_HIDE_FILE);
    ASSERT_EQ(ui.messages.size(), 1u);
    ASSERT_EQ(ui.LastMessage().rfind(">>>> Steganography image generated <<<<\n\nPassword used: "
                                     "quintus4072\nPixels processed: ",
                                     0),
              0u)
        << ui.LastMessage();
    // The report's own text ends as before; the pointer to the analysis follows it.
    const std::string tail =
        "\n\nNow you can save this image in PNG, BMP or TIFF format.\n\nCheck how detectable "
        "this image is: Hide \u25B8 Analyse image";
    ASSERT_GE(ui.LastMessage().size(), tail.size());
    EXPECT_EQ(ui.LastMessage().substr(ui.LastMessage().size() - tail.size()), tail);
    EXPECT_TRUE(doc->PayloadJustEmbedded());
    EXPECT_FALSE(doc->IsCommandEnabled(ID_HIDE_FILE));
    ASSERT_TRUE(doc->SaveImageAs("png"));
    EXPECT_EQ(ui.LastStatus(), "Image file saved: carrier_steg.png");
  }

  int IndexOf(const std::string& name) {
    const auto& names = doc->ImageNames();
    return static_cast<int>(std::find(names.begin(), names.end(), name) - names.begin());
  }
};

TEST_F(HideTest, HiddenFileIsFoundAndExtracted) {
  const std::string payload = "binary\0data\xff"s;
  HideFileAndSave("data.bin", payload);
  doc->OpenFolder(folder.str());
  DetectAll();
  const int steg = IndexOf("carrier_steg.png");
  EXPECT_EQ(doc->ImageKinds()[static_cast<std::size_t>(steg)], stego::KIND_HIDDEN_FILE);
  EXPECT_EQ(doc->ImageKinds()[static_cast<std::size_t>(IndexOf("carrier.png"))], stego::KIND_PLAIN);

  // The thumbnail builder's view of the same file.
  const crypto::SlotKeyring keyring(doc->Passwords());
  const image::ScannedImage scanned = image::ScanImageFile(folder / "carrier_steg.png", keyring);
  EXPECT_EQ(scanned.kind, stego::KIND_HIDDEN_FILE);
  EXPECT_EQ(scanned.hiddenName, "data.bin");
  EXPECT_EQ(scanned.thumbnail.GetWidth(), 150);

  doc->OnThumbnailSelected(steg);
  EXPECT_EQ(ui.LastStatus(), "data.bin (hidden file) Use File/Extract");
  EXPECT_EQ(ui.panelCaption, "data.bin (hidden file) Use File/Extract");
  EXPECT_TRUE(ui.panelCaptionShown);
  EXPECT_FALSE(ui.panelMessageShown);

  doc->OnCommand(ID_FILE_EXTRACT_HIDDEN);
  EXPECT_EQ(ui.LastStatus(), "File successfully extracted");
  EXPECT_EQ(ReadFile(folder / "data.bin"), payload);
  EXPECT_EQ(doc->FileCount(), 3) << "the extracted file is listed at once";
  EXPECT_EQ(doc->SelectedIndex(), IndexOf("carrier_steg.png")) << "and the carrier stays selected";

  // A second extraction asks before replacing; answering No keeps the user's file.
  WriteFile(folder / "data.bin", "mine");
  ui.yesNoAnswers = {false};
  doc->OnCommand(ID_FILE_EXTRACT_HIDDEN);
  ASSERT_EQ(ui.questions.size(), 1u);
  EXPECT_EQ(ReadFile(folder / "data.bin"), "mine");
}

TEST_F(HideTest, AnalysisLooksAtTheWorkingImageWithItsFreshPayload) {
  EXPECT_FALSE(doc->IsCommandEnabled(ID_HIDE_ANALYSE)) << "no image shown";
  doc->OnCommand(ID_HIDE_ANALYSE);
  EXPECT_TRUE(ui.analyses.empty());

  HideFileAndSave("data.bin", std::string(900, 'x'));
  ASSERT_TRUE(doc->IsCommandEnabled(ID_HIDE_ANALYSE));
  doc->OnCommand(ID_HIDE_ANALYSE);
  ASSERT_EQ(ui.analyses.size(), 1u);
  const auto& [shown, name] = ui.analyses.back();
  EXPECT_EQ(name, "carrier.png");
  // What the user is about to send: the image in memory, payload included.
  const stego::ImageAnalysis expected = stego::AnalyseImage(*doc->WorkingImage());
  EXPECT_EQ(shown.verdict, expected.verdict);
  EXPECT_NE(shown.verdict, stego::Verdict::kTooSmall);
  EXPECT_DOUBLE_EQ(shown.estimatedRate, expected.estimatedRate);
  EXPECT_FALSE(ui.windowsDuringDialogs.back().preview) << "tool windows out of the way";
  EXPECT_TRUE(ui.windows.preview && ui.windows.folders) << "and back afterwards";
}

TEST_F(HideTest, HiddenMessageShowsInThePanel) {
  WritePng(folder / "Holiday.Photo.png", 100, 100);
  OpenAndSelect("holiday.photo.png");
  doc->SetMessageToHide("Hello");
  doc->OnCommand(ID_HIDE_MESSAGE);
  ASSERT_TRUE(doc->PayloadJustEmbedded()) << ui.LastMessage();
  // The message file went to a private folder, never next to the user's files.
  EXPECT_FALSE(fs::exists(folder / "holiday.photo.txt"));
  ASSERT_TRUE(doc->SaveImageAs("bmp"));

  doc->OpenFolder(folder.str());
  DetectAll();
  const int steg = IndexOf("holiday.photo_steg.bmp");
  ASSERT_EQ(doc->ImageKinds()[static_cast<std::size_t>(steg)], stego::KIND_HIDDEN_MESSAGE);
  doc->OnThumbnailSelected(steg);
  EXPECT_EQ(ui.panelCaption, "Secret message:");
  ASSERT_EQ(ui.panelMessage.size(), 22u + 4 + 7);
  EXPECT_EQ(ui.panelMessage.substr(22), "\r\n\r\nHello\r\n");
  EXPECT_EQ(ui.LastStatus(), "holiday.photo.txt (hidden file) Use File/Extract");
}

TEST_F(HideTest, HiddenImageIsShownInsteadOfItsCarrier) {
  TempFolder elsewhere;
  WritePng(elsewhere / "inner.png", 10, 10, 99);
  WritePng(folder / "outer.png", 200, 200);
  OpenAndSelect("outer.png");
  doc->SetFileToHide((elsewhere / "inner.png").u8string());
  doc->OnCommand(ID_HIDE_FILE);
  ASSERT_TRUE(doc->SaveImageAs("tiff"));
  doc->OpenFolder(folder.str());
  DetectAll();
  const int steg = IndexOf("outer_steg.tiff");
  ASSERT_EQ(doc->ImageKinds()[static_cast<std::size_t>(steg)], stego::KIND_HIDDEN_IMAGE);
  doc->OnThumbnailSelected(steg);
  EXPECT_EQ(ui.LastStatus(), "inner.png (hidden image)");
  EXPECT_EQ(doc->WorkingImage()->Width(), 10);
  const std::string temp = doc->TempImagePath();
  EXPECT_TRUE(fs::exists(fs::u8path(temp)));
  doc->OnCommand(ID_FILE_EXTRACT_HIDDEN);
  EXPECT_EQ(ReadFile(folder / "inner.png"), ReadFile(elsewhere / "inner.png"));
  doc->OnThumbnailSelected(IndexOf("outer.png"));
  EXPECT_FALSE(fs::exists(fs::u8path(temp)));  // removed with the selection
}

TEST_F(HideTest, RefusalsAndUndo) {
  WritePng(folder / "small.png", 100, 100);
  TempFolder elsewhere;
  WriteFile(elsewhere / "fits.bin", std::string(1056, 'x'));
  WriteFile(elsewhere / "big.bin", std::string(1057, 'x'));
  // Refused by the embedding engine itself, after the document's own checks.
  const std::string longName = std::string(81, 'n') + ".bin";
  WriteFile(elsewhere / longName, "x");
  OpenAndSelect("small.png");
  const image::ArgbImage original = doc->WorkingImage()->Clone();

  doc->SetFileToHide((elsewhere / "big.bin").u8string());
  doc->OnCommand(ID_HIDE_FILE);
  EXPECT_EQ(ui.LastMessage(),
            "There isn't enough storage capacity on the image to hide this file:\n" +
                doc->FileToHide() +
                "\n\nYou need at least a image with a storage capacity of 1 Ks (1251 bytes)\n"
                "Minimum resolution: 101 x 101 pixels");
  EXPECT_EQ(*doc->WorkingImage(), original);
  doc->SetFileToHide((elsewhere / longName).u8string());
  const auto shown = ui.messages.size();
  doc->OnCommand(ID_HIDE_FILE);
  EXPECT_EQ(ui.messages.size(), shown + 1);
  EXPECT_EQ(*doc->WorkingImage(), original);
  // A hide that changed nothing is no undo step and no unsaved change.
  EXPECT_EQ(doc->UndoMenuText(), "&Undo (0)");
  EXPECT_FALSE(doc->IsCommandEnabled(ID_EDIT_UNDO));
  EXPECT_FALSE(doc->IsModified());

  doc->SetPassword(0, "");
  doc->SetFileToHide((elsewhere / "fits.bin").u8string());
  doc->OnCommand(ID_HIDE_FILE);
  EXPECT_EQ(ui.LastMessage(),
            "The selected encryption password (1) is empty.\nPlease select a valid encryption "
            "password in 'Settings/Passwords'.");
  doc->SetPassword(0, "quintus4072");
  doc->OnCommand(ID_HIDE_FILE);
  EXPECT_TRUE(doc->PayloadJustEmbedded());
  EXPECT_TRUE(doc->IsModified());
  EXPECT_NE(*doc->WorkingImage(), original);
  EXPECT_EQ(doc->UndoMenuText(), "&Undo (1)");
  doc->OnEditUndo();
  EXPECT_EQ(*doc->WorkingImage(), original);
  EXPECT_FALSE(doc->PayloadJustEmbedded());

  doc->SetMessageToHide("");
  doc->OnHideMessage();
  EXPECT_EQ(ui.LastMessage(),
            "The text message to hide is not defined.\nUse option 'Hide/Enter message to hide'");
}

// Every save format asks before it replaces a file; No writes nothing and reports nothing.
TEST_F(HideTest, SavesAskBeforeReplacingAFile) {
  WritePng(folder / "Meadow.png", 64, 48);
  OpenAndSelect("meadow.png");
  for (const std::string extension : {"png", "bmp", "tiff", "jpg", "gif"}) {
    SCOPED_TRACE(extension);
    const std::string name = "meadow_conv." + extension;
    WriteFile(folder / name, "holds a message");
    ui.questions.clear();
    const std::size_t statusCount = ui.statusTexts.size();
    const std::size_t messageCount = ui.messages.size();

    ui.yesNoAnswers = {false};
    EXPECT_FALSE(doc->SaveImageAs(extension));
    ASSERT_EQ(ui.questions.size(), 1u);
    EXPECT_EQ(ui.questions[0],
              "The file " + name + " already exists in the folder.\n\nDo you want to replace it?");
    EXPECT_EQ(ReadFile(folder / name), "holds a message");
    EXPECT_EQ(ui.statusTexts.size(), statusCount);
    EXPECT_EQ(ui.messages.size(), messageCount);

    ui.yesNoAnswers = {true};
    EXPECT_TRUE(doc->SaveImageAs(extension));
    EXPECT_EQ(ui.LastStatus(), "Image file saved: " + name);
    EXPECT_EQ(image::DecodeImageFile(folder / name).Width(), 64);
  }
  // A file that does not exist yet is written without a question.
  ui.questions.clear();
  doc->SetPayloadJustEmbedded(true);
  EXPECT_TRUE(doc->SaveImageAs("png"));
  EXPECT_TRUE(ui.questions.empty());
  EXPECT_TRUE(fs::exists(folder / "meadow_steg.png"));
}

// JPEG and GIF do not keep the payload: saving a carrier in them needs the user's consent.
TEST_F(HideTest, LossyCopyOfACarrierIsSavedOnlyWhenConfirmed) {
  HideFileAndSave("data.bin", "payload");
  const std::string warning =
      "This image carries hidden data. Saving it as JPEG will destroy it."
      "\n\nSave anyway?";
  // Just embedded (the menu disables JPEG then, the save itself checks too).
  ui.questions.clear();
  EXPECT_FALSE(doc->SaveImageAs("jpg"));
  EXPECT_EQ(ui.questions, std::vector<std::string>{warning});
  EXPECT_FALSE(fs::exists(folder / "carrier_steg.jpg"));

  // A listed carrier, classified or not yet: the working image itself is checked.
  for (const bool classified : {true, false}) {
    SCOPED_TRACE(classified);
    doc->OpenFolder(folder.str());
    if (classified) DetectAll();
    doc->OnThumbnailSelected(IndexOf("carrier_steg.png"));
    ui.questions.clear();
    ui.yesNoAnswers = {false};
    EXPECT_FALSE(doc->SaveImageAs("gif"));
    EXPECT_EQ(ui.questions, std::vector<std::string>{"This image carries hidden data. Saving it "
                                                     "as GIF will destroy it.\n\nSave anyway?"});
    EXPECT_FALSE(fs::exists(folder / "carrier_steg_conv.gif"));
  }
  ui.questions.clear();
  ui.yesNoAnswers = {true};
  EXPECT_TRUE(doc->SaveImageAs("jpg"));
  EXPECT_EQ(ui.questions, std::vector<std::string>{warning});
  EXPECT_TRUE(fs::exists(folder / "carrier_steg_conv.jpg"));
  ui.questions.clear();
  EXPECT_TRUE(doc->SaveImageAs("tiff"));  // lossless: nothing to ask
  EXPECT_TRUE(ui.questions.empty());

  // A plain image, and a hidden image shown instead of its carrier, carry nothing.
  doc->OnThumbnailSelected(IndexOf("carrier.png"));
  EXPECT_TRUE(doc->SaveImageAs("jpg"));
  TempFolder elsewhere;
  WritePng(elsewhere / "inner.png", 10, 10, 99);
  doc->SetFileToHide((elsewhere / "inner.png").u8string());
  doc->OnCommand(ID_HIDE_FILE);
  ASSERT_TRUE(doc->SaveImageAs("bmp"));
  doc->OpenFolder(folder.str());
  DetectAll();
  doc->OnThumbnailSelected(IndexOf("carrier_steg.bmp"));
  ASSERT_EQ(doc->WorkingImage()->Width(), 10);
  EXPECT_TRUE(doc->SaveImageAs("gif"));
  EXPECT_TRUE(ui.questions.empty());
}

// Names and messages come from the image: the status line and the panel show their
// control and bidirectional characters as visible text.
TEST_F(HideTest, HiddenNamesAndMessagesAreShownVisibly) {
  HideFileAndSave("evil\xE2\x80\xAEtxt.exe", "payload");
  WritePng(folder / "Note.png", 100, 100);
  OpenAndSelect("note.png");
  doc->SetMessageToHide("title\x1b]0;owned\x07\nnext\xE2\x81\xA6line");
  doc->OnCommand(ID_HIDE_MESSAGE);
  ASSERT_TRUE(doc->SaveImageAs("png"));
  doc->OpenFolder(folder.str());
  DetectAll();

  doc->OnThumbnailSelected(IndexOf("carrier_steg.png"));
  EXPECT_EQ(ui.LastStatus(), "evil<U+202E>txt.exe (hidden file) Use File/Extract");
  EXPECT_EQ(ui.panelCaption, "evil<U+202E>txt.exe (hidden file) Use File/Extract");
  doc->OnThumbnailSelected(IndexOf("note_steg.png"));
  ASSERT_GT(ui.panelMessage.size(), 22u);
  EXPECT_EQ(ui.panelMessage.substr(22), "\r\n\r\ntitle\\x1B]0;owned\\x07\r\nnext<U+2066>line\r\n");
}

TEST(MessageFile, NameAndBytes) {
  EXPECT_EQ(MessageFileName("holiday.photo.png"), "holiday.photo.txt");
  EXPECT_EQ(MessageFileName("noext"), "noext.txt");
  EXPECT_EQ(MessageFileName(std::string(70, 'n') + ".png"), std::string(58, 'n') + ".txt");
  EXPECT_EQ(MessageFileBytes("a\nb\r\nc"), "a\r\nb\r\r\nc\r\n");
}

}  // namespace
}  // namespace veilmark::test
