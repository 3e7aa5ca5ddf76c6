// The folders and preview windows float above all others. Every dialog the main window
// opens must not end up underneath them: they are hidden while it is open and come back
// after it. Also: the file dialogs start in the folder being browsed.
#include "app/main_frame.h"
#include "app/wx_document_ui.h"
#include "core/document/settings.h"
#include "core/image/imaging.h"
#include "gui_test_util.h"

#include <gtest/gtest.h>
#include <wx/filedlg.h>
#include <wx/filename.h>
#include <wx/modalhook.h>
#include <wx/prntbase.h>

#include <functional>
#include <string>
#include <vector>

namespace veilmark::app {
namespace {

// Lets GTK deliver what the window system said meanwhile (windows mapped, unmapped), as
// the main loop does between two commands of the user.
void Settle() {
  for (int i = 0; i < 20; ++i) {
    wxTheApp->Yield(true);
    wxMilliSleep(10);
  }
}

// Every modal dialog of wx (the print and page setup dialogs included) is looked at by
// `probe` when it would come up, and answered with Cancel instead of being shown.
class DialogCanceller : public wxModalDialogHook {
 public:
  explicit DialogCanceller(std::function<void(wxDialog*)> probe) : probe_(std::move(probe)) {
    Register();
  }
  ~DialogCanceller() override { Unregister(); }
  int seen = 0;

 protected:
  int Enter(wxDialog* dialog) override {
    ++seen;
    probe_(dialog);
    return wxID_CANCEL;
  }
  void Exit(wxDialog*) override {}

 private:
  std::function<void(wxDialog*)> probe_;
};

class ToolWindowsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root = wxFileName::CreateTempFileName("vmtool");
    wxRemoveFile(root);
    wxFileName::Mkdir(root);
    doc.image = wxImage(40, 30);
    frame = new CMainFrame(doc, settings);
    ui.Attach(frame);
    frame->InitialUpdate({root.utf8_string()});
    frame->ShowFirstTime();
    Settle();
    ASSERT_TRUE(ToolWindowsShown());
  }
  void TearDown() override {
    ui.Attach(nullptr);
    frame->Close(true);
    wxTheApp->ProcessIdle();
    wxFileName::Rmdir(root, wxPATH_RMDIR_RECURSIVE);
  }
  bool ToolWindowsShown() const { return frame->IsFoldersVisible() && frame->IsPreviewVisible(); }
  bool ToolWindowsHidden() const {
    return !frame->IsFoldersVisible() && !frame->IsPreviewVisible();
  }

  wxString root;
  test::FakeDocument doc;
  MemorySettingsStore settings;
  WxDocumentUi ui;
  CMainFrame* frame = nullptr;
};

TEST_F(ToolWindowsTest, PrintingAndProgressDialogsComeUpWithTheToolWindowsHidden) {
  // Each case opens its dialog and notes, while it is up, whether the tool windows are hidden.
  using Notes = std::vector<bool>;
  const struct {
    const char* name;
    std::function<void(Notes&)> open;
  } cases[] = {
      {"page setup", [this](Notes&) { frame->PrintSetup(); }},
      {"print", [this](Notes&) { frame->PrintImage(); }},
      {"progress",
       [this](Notes& hidden) {
         ui.BeginProgress("Encrypt folder", "Encrypting files ...", 10);
         wxMilliSleep(800);  // the dialog appears only for work that lasts
         ui.UpdateProgress(1, "a.png");
         hidden.push_back(ToolWindowsHidden());
         ui.EndProgress();
       }},
  };
  for (const auto& c : cases) {
    Notes hidden;
    {
      DialogCanceller canceller([&](wxDialog*) { hidden.push_back(ToolWindowsHidden()); });
      c.open(hidden);
    }
    EXPECT_EQ(hidden, Notes{true}) << c.name;
    EXPECT_TRUE(ToolWindowsShown()) << c.name << ": shown again afterwards";
    Settle();
  }
}

TEST_F(ToolWindowsTest, PrintPreviewKeepsThemHiddenUntilItCloses) {
  frame->PrintPreview();
  wxPreviewFrame* preview = nullptr;
  for (wxWindow* window : wxTopLevelWindows)
    if (auto* p = dynamic_cast<wxPreviewFrame*>(window)) preview = p;
#ifdef __WXMSW__
  if (!preview) GTEST_SKIP() << "Windows shows no print preview without a printer installed";
#endif
  ASSERT_NE(preview, nullptr);
  EXPECT_TRUE(ToolWindowsHidden());
  preview->Close();
  wxTheApp->ProcessIdle();
  EXPECT_TRUE(ToolWindowsShown());

  // A tool window the user had hidden stays hidden.
  frame->SetFoldersVisible(false);
  frame->PrintPreview();
  for (wxWindow* window : wxTopLevelWindows)
    if (auto* p = dynamic_cast<wxPreviewFrame*>(window)) p->Close();
  wxTheApp->ProcessIdle();
  EXPECT_FALSE(frame->IsFoldersVisible());
  EXPECT_TRUE(frame->IsPreviewVisible());
}

// The file dialogs open in the folder being browsed, whatever the working directory; the
// file to hide is looked for among all files first.
TEST_F(ToolWindowsTest, FileDialogsOpenInTheCurrentFolder) {
  doc.folder = root.utf8_string();
  wxString directory, wildcard;
  int filterIndex = -1;
  {
    DialogCanceller canceller([&](wxDialog* dialog) {
      auto* files = dynamic_cast<wxFileDialog*>(dialog);
      ASSERT_NE(files, nullptr);
      directory = files->GetDirectory();
      wildcard = files->GetWildcard();
      filterIndex = files->GetFilterIndex();
    });
    EXPECT_EQ(ui.PickFile(FileDialogMode::kHide, "Select file to hide",
                          image::BuildFileToHideFilter(image::ImageDecoders())),
              std::nullopt);
    EXPECT_EQ(canceller.seen, 1);
  }
  EXPECT_EQ(directory, root);
  EXPECT_EQ(filterIndex, 0);
  EXPECT_TRUE(wildcard.StartsWith("All Files (*.*)|*.*|All Image Files|")) << wildcard;
}

}  // namespace
}  // namespace veilmark::app
