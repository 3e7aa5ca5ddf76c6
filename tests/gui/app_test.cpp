// The program's own document behind the real main window, as the application object wires
// them: the first start on the Samples folder, what each kind of thumbnail shows, hiding a
// file and saving the carrier, and the commands while an image operation runs.
#include "app/app.h"
#include "app/app_document.h"
#include "app/folders_window.h"
#include "app/main_frame.h"
#include "app/menus.h"
#include "app/overlay_label.h"
#include "app/preview_window.h"
#include "app/view.h"
#include "app/wx_document_ui.h"
#include "core/document/command_ids.h"
#include "core/document/settings.h"
#include "core/image/argb_image.h"
#include "core/image/imaging.h"
#include "core/stego/analysis.h"
#include "dialogs/analysis_dlg.h"
#include "gui_test_util.h"
#include "tests/support/scratch_folder.h"

#include <gtest/gtest.h>
#include <wx/filename.h>
#include <wx/menu.h>
#include <wx/stattext.h>
#include <wx/statusbr.h>
#include <wx/testing.h>
#include <wx/textctrl.h>
#include <wx/toolbar.h>

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>

namespace veilmark::app {
namespace {

namespace fs = std::filesystem;
using namespace image;  // command ids
using test::PumpUntil;

const fs::path kAppDir = fs::u8path(VEILMARK_APP_DIR);

// The real windows, with the modal boxes and the file dialog answered by the test.
class ScriptedUi : public WxDocumentUi {
 public:
  void ShowMessage(const std::string& text, const std::string&, MessageIcon) override {
    messages.push_back(text);
    windowExisted.push_back(windowExists && windowExists());
  }
  bool AskYesNo(const std::string& text, const std::string&, MessageIcon) override {
    messages.push_back(text);
    return answerYes;
  }
  std::optional<std::string> PickFile(FileDialogMode, const std::string&,
                                      const std::string&) override {
    return pick;
  }
  YesNoCancel AskYesNoCancel(const std::string& text, const std::string&, MessageIcon) override {
    messages.push_back(text);
    return unsavedAnswer;
  }

  std::vector<std::string> messages;
  std::vector<bool> windowExisted;
  std::function<bool()> windowExists;
  std::optional<std::string> pick;
  bool answerYes = false;
  YesNoCancel unsavedAnswer = YesNoCancel::kNo;
};

// Takes the analysis dialog's verdict and plot size instead of showing it.
class ExpectAnalysis : public wxExpectModalBase<CAnalysisDlg, ExpectAnalysis> {
 public:
  ExpectAnalysis(wxString* verdict, wxSize* plot) : verdict_(verdict), plot_(plot) {}

 protected:
  int OnInvoked(CAnalysisDlg* dialog) const override {
    *verdict_ = dialog->VerdictCtrl()->GetLabel();
    *plot_ = dialog->Plot()->GetMinSize();
    return wxID_OK;
  }

 private:
  wxString* verdict_;
  wxSize* plot_;
};

class AppTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(base / "root");
    // A copy, so that nothing a test writes lands in the program's own Samples.
    fs::copy(kAppDir / "Samples", base / "Samples");
    ui.windowExists = [this] { return frame != nullptr; };
  }
  void TearDown() override {
    if (frame) {
      frame->Close(true);
      wxTheApp->ProcessIdle();
    }
    ui.Attach(nullptr);
    doc.reset();
  }

  // Builds what CLumicraftApp::OnInit builds and waits for the thumbnails.
  void Start(const std::vector<std::string>& roots = {}) {
    doc = CreateDocument(ui, settings, (base / "Samples").u8string());
    frame = new CMainFrame(*doc, settings);
    ui.Attach(frame);
    frame->InitialUpdate(roots.empty() ? std::vector<std::string>{(base / "root").u8string()}
                                       : roots);
    frame->ShowFirstTime();
    ASSERT_TRUE(PumpUntil([&] { return !frame->View()->IsBuilding(); }, 30000));
  }
  int IndexOf(const wxString& caption) const {
    for (int i = 0; i < frame->View()->GetItemCount(); ++i)
      if (frame->View()->GetItemText(i) == caption) return i;
    ADD_FAILURE() << "no thumbnail " << caption;
    return -1;
  }
  wxString Status() const { return frame->GetStatusBar()->GetStatusText(); }
  // A left click on thumbnail `index`, as the mouse delivers it.
  void Click(int index) {
    CLumicraftView* view = frame->View();
    wxMouseEvent event(wxEVT_LEFT_DOWN);
    event.SetPosition(view->CalcScrolledPosition(view->ItemRect(index).GetPosition()) +
                      wxPoint(20, 20));
    view->ProcessWindowEvent(event);
  }
  // A click on the folder `path` in the folders window (filled there already).
  void ClickFolder(const fs::path& path) {
    CFoldersTreeCtrl* tree = frame->View()->m_pFoldersDlg->Tree();
    const wxTreeItemId item = tree->FindFilled(path.u8string());
    ASSERT_TRUE(item.IsOk()) << path;
    tree->SelectItem(item);
    // A refused folder's highlight may go back only after the tree's notice (Windows).
    wxTheApp->ProcessPendingEvents();
  }
  std::string SelectedFolder() const {
    CFoldersTreeCtrl* tree = frame->View()->m_pFoldersDlg->Tree();
    return tree->PathOf(tree->GetSelection());
  }
  void Command(int id) {
    wxCommandEvent event(wxEVT_MENU, ToWxId(id));
    frame->ProcessWindowEvent(event);
  }
  wxUpdateUIEvent UpdateUI(int id, wxObject* object = nullptr) {
    wxUpdateUIEvent event(ToWxId(id));
    event.SetEventObject(object);
    frame->ProcessWindowEvent(event);
    return event;
  }

  // Short: the file to hide must have a path of at most 64 bytes.
  testutil::ScratchFolder scratch{"vmapp"};
  const fs::path base = scratch.path();
  MemorySettingsStore settings;
  ScriptedUi ui;
  std::unique_ptr<AppDocument> doc;
  CMainFrame* frame = nullptr;
};

TEST_F(AppTest, SamplesLieBesideTheProgramOrInTheDataFolder) {
  // The folder comes back with the system's separators.
  const auto native = [](fs::path path) { return path.make_preferred().u8string(); };
  EXPECT_EQ(FindSamplesFolder(wxString::FromUTF8((kAppDir / "veilmark").u8string())),
            native(kAppDir / "Samples"));
  const fs::path prefix = base / "usr";
  fs::create_directories(prefix / "bin");
  fs::create_directories(prefix / "share" / "veilmark" / "Samples");
  EXPECT_EQ(FindSamplesFolder(wxString::FromUTF8((prefix / "bin" / "veilmark").u8string())),
            native(prefix / "share" / "veilmark" / "Samples"));
  fs::remove_all(prefix / "share");
  EXPECT_EQ(FindSamplesFolder(wxString::FromUTF8((prefix / "bin" / "veilmark").u8string())),
            native(prefix / "bin" / "Samples"));
}

TEST_F(AppTest, FirstStartShowsTheDisclaimerThenTheSamplesWithEveryKind) {
  Start();
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].rfind("DISCLAIMER", 0), 0u);
  EXPECT_FALSE(ui.windowExisted[0]) << "the disclaimer comes before any window";
  EXPECT_EQ(doc->Folder(), (base / "Samples").u8string());
  EXPECT_EQ(settings.GetString("PasswordCry01"), "quintus4072");

  CLumicraftView* view = frame->View();
  EXPECT_EQ(view->GetItemCount(), 7);
  EXPECT_EQ(view->FlaggedCount(), 3);
  EXPECT_EQ(view->GetBackgroundColour(), kListYellow);
  EXPECT_FALSE(view->LoadingLabel()->IsShown());
  EXPECT_EQ(Status(), "Files: 7 (Images: 7  Encrypted: 0)");

  // Selecting each kind: the status line and the preview's panel tell what it hides.
  CPreviewDlg* preview = view->m_pPreviewDlg;
  view->Select(IndexOf("sunset_beach_steg.png"));  // a message
  EXPECT_TRUE(Status().EndsWith("(hidden file) Use File/Extract")) << Status();
  EXPECT_TRUE(preview->CaptionCtrl()->IsShown());
  EXPECT_EQ(preview->CaptionCtrl()->GetLabel(), "Secret message:");
  ASSERT_TRUE(preview->MessageCtrl()->IsShown());
  EXPECT_TRUE(preview->MessageCtrl()->GetValue().Contains("hidden in the pixels of the sunset"));

  view->Select(IndexOf("green_hills_steg.png"));  // a picture, shown instead of its carrier
  EXPECT_EQ(Status(), "flower.png (hidden image)");
  EXPECT_FALSE(preview->CaptionCtrl()->IsShown());
  EXPECT_FALSE(preview->MessageCtrl()->IsShown());
  const std::optional<wxImage> flower = doc->WorkingImage();
  ASSERT_TRUE(flower.has_value());
  EXPECT_TRUE(preview->HasImage());

  view->Select(IndexOf("lighthouse_steg.png"));  // another file
  EXPECT_EQ(Status(), "pancakes.md (hidden file) Use File/Extract");
  EXPECT_TRUE(preview->CaptionCtrl()->IsShown());
  EXPECT_EQ(preview->CaptionCtrl()->GetLabel(), "pancakes.md (hidden file) Use File/Extract");
  EXPECT_FALSE(preview->MessageCtrl()->IsShown());
  const std::optional<wxImage> carrier = doc->WorkingImage();
  ASSERT_TRUE(carrier.has_value());
  EXPECT_NE(carrier->GetSize(), flower->GetSize());

  view->Select(IndexOf("mosaic.png"));  // nothing hidden
  EXPECT_TRUE(Status().Contains(" Storage capacity: ")) << Status();
  EXPECT_FALSE(preview->CaptionCtrl()->IsShown());
  EXPECT_FALSE(preview->MessageCtrl()->IsShown());
}

TEST_F(AppTest, HidingAFileThenSavingAndRefreshingFramesTheCarrier) {
  settings.WriteInt("VeilmarkData", 0);
  settings.WriteString("PasswordCry01", "quintus4072");
  settings.WriteString("FolderSelected", (base / "Samples").u8string());
  Start();
  EXPECT_TRUE(ui.messages.empty());
  const fs::path secret = base / "plans.pdf";
  std::ofstream(secret, std::ios::binary) << "the plans, in full";

  frame->View()->Select(IndexOf("mosaic.png"));
  ui.pick = secret.u8string();
  Command(ID_HIDE_SELECT_FILE);
  EXPECT_EQ(Status(), "File to hide selected successfully");
  ASSERT_TRUE(UpdateUI(ID_HIDE_FILE).GetEnabled());
  Command(ID_HIDE_FILE);
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].rfind(">>>> Steganography image generated <<<<", 0), 0u);
  wxMenu* edit = frame->GetMenuBar()->FindItem(ToWxId(ID_EDIT_UNDO))->GetMenu();
  EXPECT_EQ(UpdateUI(ID_EDIT_UNDO, edit).GetText(), "&Undo (1)");
  EXPECT_FALSE(UpdateUI(ID_FILE_SAVE_JPG).GetEnabled()) << "a lossy format would lose it";

  Command(ID_FILE_SAVE_PNG);
  EXPECT_EQ(Status(), "Image file saved: mosaic_steg.png");
  ASSERT_TRUE(fs::exists(base / "Samples" / "mosaic_steg.png"));

  Command(ID_FOLDER_REFRESH);
  ASSERT_TRUE(PumpUntil([&] { return !frame->View()->IsBuilding(); }, 30000));
  EXPECT_EQ(frame->View()->FlaggedCount(), 4);
  frame->View()->Select(IndexOf("mosaic_steg.png"));
  EXPECT_EQ(Status(), "plans.pdf (hidden file) Use File/Extract");
}

TEST_F(AppTest, AnalyseImageNeedsAnImageAndShowsTheVerdict) {
  settings.WriteInt("VeilmarkData", 0);
  settings.WriteString("FolderSelected", (base / "Samples").u8string());
  Start();
  EXPECT_NE(frame->GetToolBar()->FindById(ToWxId(ID_HIDE_ANALYSE)), nullptr);
  wxMenuItem* item = frame->GetMenuBar()->FindItem(ToWxId(ID_HIDE_ANALYSE));
  ASSERT_NE(item, nullptr);
  EXPECT_EQ(item->GetMenu(), frame->GetMenuBar()->GetMenu(1)) << "in the Hide menu";
  EXPECT_EQ(item->GetItemLabelText(), "Analyse image");
  EXPECT_FALSE(UpdateUI(ID_HIDE_ANALYSE).GetEnabled()) << "nothing shown yet";

  frame->View()->Select(IndexOf("mosaic.png"));
  ASSERT_TRUE(UpdateUI(ID_HIDE_ANALYSE).GetEnabled());
  wxString verdict;
  wxSize plot;
  wxTEST_DIALOG(Command(ID_HIDE_ANALYSE), ExpectAnalysis(&verdict, &plot));
  EXPECT_TRUE(verdict.Lower() == stego::VerdictText(stego::Verdict::kLooksClean) ||
              verdict.Lower() == stego::VerdictText(stego::Verdict::kLikelyCarriesData))
      << verdict;
  EXPECT_GT(plot.x, 0);
  EXPECT_TRUE(ui.messages.empty()) << ui.messages.front();
}

TEST_F(AppTest, SavesNeverReplaceAFileOrDropAPayloadUnasked) {
  settings.WriteInt("VeilmarkData", 0);
  settings.WriteString("PasswordCry01", "quintus4072");
  settings.WriteString("FolderSelected", (base / "Samples").u8string());
  Start();
  const fs::path taken = base / "Samples" / "mosaic_conv.png";
  std::ofstream(taken, std::ios::binary) << "the user's own file";
  frame->View()->Select(IndexOf("mosaic.png"));
  const wxString status = Status();
  Command(ID_FILE_SAVE_PNG);  // the question is answered No
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0],
            "The file mosaic_conv.png already exists in the folder.\n\nDo you want to replace it?");
  EXPECT_EQ(Status(), status);
  std::string kept;
  std::getline(std::ifstream(taken, std::ios::binary), kept);
  EXPECT_EQ(kept, "the user's own file");

  frame->View()->Select(IndexOf("lighthouse_steg.png"));
  ASSERT_TRUE(UpdateUI(ID_FILE_SAVE_JPG).GetEnabled());
  Command(ID_FILE_SAVE_JPG);
  ASSERT_EQ(ui.messages.size(), 2u);
  EXPECT_EQ(ui.messages[1],
            "This image carries hidden data. Saving it as JPEG will destroy it.\n\nSave anyway?");
  EXPECT_FALSE(fs::exists(base / "Samples" / "lighthouse_steg_conv.jpg"));
}

TEST_F(AppTest, ImageCommandsAndExitWaitForARunningImageOperation) {
  settings.WriteInt("VeilmarkData", 0);
  settings.WriteString("FolderSelected", (base / "Samples").u8string());
  Start();
  frame->View()->Select(IndexOf("desert_dunes.bmp"));
  const wxSize before = doc->WorkingImage()->GetSize();
  Command(ID_EDIT_ROTATE_RIGHT);
  // Busy until the worker's result has been taken on the user-interface thread.
  ASSERT_TRUE(doc->IsBusy());
  for (int id : {ID_EDIT_NEGATIVE, ID_EDIT_UNDO, ID_FILE_SAVE_PNG, ID_FOLDER_REFRESH, ID_APP_EXIT,
                 ID_FILE_PRINT})
    EXPECT_FALSE(UpdateUI(id).GetEnabled()) << id;
  EXPECT_TRUE(UpdateUI(ID_ENCRYPT_FILE).GetEnabled());
  frame->Close();
  EXPECT_FALSE(wxPendingDelete.Member(frame)) << "closing waits for the operation";

  ASSERT_TRUE(PumpUntil([&] { return !doc->IsBusy(); }));
  EXPECT_EQ(doc->WorkingImage()->GetSize(), wxSize(before.y, before.x));
  for (int id : {ID_EDIT_NEGATIVE, ID_EDIT_UNDO, ID_FILE_SAVE_PNG, ID_APP_EXIT})
    EXPECT_TRUE(UpdateUI(id).GetEnabled()) << id;
  wxMenu* edit = frame->GetMenuBar()->FindItem(ToWxId(ID_EDIT_UNDO))->GetMenu();
  EXPECT_EQ(UpdateUI(ID_EDIT_UNDO, edit).GetText(), "&Undo (1)");
}

// The list, its labels and the folder tree follow what the program itself does to the
// current folder, without a manual Refresh.
TEST_F(AppTest, TheListFollowsOurOwnChangesToTheFolderAndTheTreeShowsIt) {
  settings.WriteInt("VeilmarkData", 0);
  settings.WriteString("PasswordCry01", "quintus4072");
  settings.WriteString("FolderSelected", (base / "Samples").u8string());
  Start({(base / "root").u8string(), base.u8string()});
  CLumicraftView* view = frame->View();
  CFoldersTreeCtrl* tree = view->m_pFoldersDlg->Tree();
  EXPECT_EQ(tree->PathOf(tree->GetSelection()), (base / "Samples").u8string())
      << "the tree shows the folder opened at start, not the first root";

  // A saved copy is listed at once; the picture that was saved stays selected.
  view->Select(IndexOf("mosaic.png"));
  Command(ID_FILE_SAVE_BMP);
  EXPECT_EQ(Status(), "Image file saved: mosaic_conv.bmp");
  EXPECT_EQ(view->GetItemCount(), 8);
  EXPECT_EQ(view->GetSelection(), IndexOf("mosaic.png"));
  EXPECT_TRUE(doc->HasImage());
  ASSERT_TRUE(PumpUntil([&] { return !view->IsBuilding(); }, 30000));

  ui.answerYes = true;
  Command(ID_ENCRYPT_FOLDER);
  EXPECT_EQ(view->GetItemCount(), 0) << "no plain file is listed any more";
  EXPECT_FALSE(doc->HasImage());
  EXPECT_TRUE(view->FolderInfoLabel()->IsShown());
  EXPECT_EQ(view->FolderInfoLabel()->Text(), "Files: 8 (Images: 0  Encrypted: 8)");
  EXPECT_EQ(Status(), "8 files successfully encrypted. Password: quintus4072");

  Command(ID_DECRYPT_FOLDER);
  EXPECT_EQ(view->GetItemCount(), 8);
  EXPECT_FALSE(view->FolderInfoLabel()->IsShown());
  // The Samples are drawn anew on each build, so a genuine one-byte padding may add the
  // "only possibly" note.
  EXPECT_EQ(Status().rfind("8 files successfully decrypted", 0), 0u) << Status();
  ASSERT_TRUE(PumpUntil([&] { return !view->IsBuilding(); }, 30000));
  EXPECT_EQ(view->FlaggedCount(), 3);
  EXPECT_EQ(tree->PathOf(tree->GetSelection()), (base / "Samples").u8string());
}

constexpr char kUnsavedQuestion[] = "The image has unsaved changes. Save them as PNG?";

TEST_F(AppTest, ClicksWaitForAnOperationOnALargeImage) {
  settings.WriteInt("VeilmarkData", 0);
  settings.WriteString("FolderSelected", (base / "Samples").u8string());
  fs::create_directories(base / "root" / "other");
  {
    image::ArgbImage large(3000, 2000);
    for (int y = 0; y < large.Height(); ++y)
      for (int x = 0; x < large.Width(); ++x)
        large.SetPixel(x, y,
                       0xFF000000u | static_cast<std::uint32_t>(x % 256) << 16 |
                           static_cast<std::uint32_t>(y % 256));
    ASSERT_TRUE(image::SaveImage(large, base / "Samples" / "zz_large.png", "image/png"));
  }
  Start();
  CLumicraftView* view = frame->View();
  const int large = IndexOf("zz_large.png");
  const int other = IndexOf("mosaic.png");
  Click(large);
  ASSERT_EQ(view->GetSelection(), large);
  ASSERT_EQ(doc->WorkingImage()->GetSize(), wxSize(3000, 2000));
  const std::string folder = doc->Folder();
  const std::string treeFolder = SelectedFolder();

  Command(ID_EDIT_GRAYSCALE);
  ASSERT_TRUE(doc->IsBusy());
  // Until the worker hands the image back, nothing may replace it.
  Click(other);
  EXPECT_EQ(view->GetSelection(), large);
  ClickFolder(base / "root" / "other");
  EXPECT_EQ(SelectedFolder(), treeFolder) << "the tree stays on the folder shown";
  Command(ID_FOLDER_SAMPLES);
  Command(ID_FOLDER_REFRESH);
  EXPECT_EQ(doc->Folder(), folder);
  Command(ID_APP_EXIT);
  frame->Close();
  EXPECT_FALSE(wxPendingDelete.Member(frame));
  EXPECT_TRUE(ui.messages.empty());

  ASSERT_TRUE(PumpUntil([&] { return !doc->IsBusy(); }, 30000));
  const wxImage gray = *doc->WorkingImage();
  ASSERT_EQ(gray.GetSize(), wxSize(3000, 2000));
  EXPECT_EQ(gray.GetRed(200, 100), gray.GetGreen(200, 100));
  EXPECT_EQ(gray.GetRed(200, 100), gray.GetBlue(200, 100));
  // Now the grayscale picture is unsaved work: leaving it asks first (answered No here).
  Click(other);
  EXPECT_EQ(view->GetSelection(), other);
  EXPECT_EQ(ui.messages, std::vector<std::string>{kUnsavedQuestion});
}

TEST_F(AppTest, UnsavedChangesAreAskedForBeforeTheyAreDropped) {
  settings.WriteInt("VeilmarkData", 0);
  settings.WriteString("FolderSelected", (base / "Samples").u8string());
  fs::create_directories(base / "root" / "other");
  Start();
  CLumicraftView* view = frame->View();
  const int mosaic = IndexOf("mosaic.png");
  Click(mosaic);
  Command(ID_EDIT_NEGATIVE);
  ASSERT_TRUE(PumpUntil([&] { return !doc->IsBusy(); }));
  const wxImage edited = *doc->WorkingImage();
  const std::string folder = doc->Folder();
  const std::string treeFolder = SelectedFolder();

  // Cancel: the list, the tree and the window stay where they are.
  ui.unsavedAnswer = YesNoCancel::kCancel;
  Click(IndexOf("desert_dunes.bmp"));
  EXPECT_EQ(view->GetSelection(), mosaic);
  ClickFolder(base / "root" / "other");
  EXPECT_EQ(SelectedFolder(), treeFolder);
  EXPECT_EQ(doc->Folder(), folder);
  Command(ID_APP_EXIT);
  EXPECT_FALSE(wxPendingDelete.Member(frame));
  EXPECT_EQ(ui.messages, std::vector<std::string>(3, kUnsavedQuestion));
  const wxImage kept = *doc->WorkingImage();
  ASSERT_EQ(kept.GetSize(), edited.GetSize());
  EXPECT_TRUE(std::equal(kept.GetData(), kept.GetData() + 3 * kept.GetWidth() * kept.GetHeight(),
                         edited.GetData()));
  EXPECT_FALSE(fs::exists(base / "Samples" / "mosaic_conv.png"));

  // Yes: saved as PNG, then the program ends.
  ui.unsavedAnswer = YesNoCancel::kYes;
  Command(ID_APP_EXIT);
  ASSERT_TRUE(wxPendingDelete.Member(frame));
  EXPECT_TRUE(fs::exists(base / "Samples" / "mosaic_conv.png"));
  wxTheApp->ProcessIdle();
  frame = nullptr;
}

}  // namespace
}  // namespace veilmark::app
