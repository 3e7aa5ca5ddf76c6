// The preview window: fitting, the last image kept while an image operation runs, the
// monitor-sized toggle and the message panel.
#include "app/preview_window.h"
#include "gui_test_util.h"

#include <gtest/gtest.h>
#include <wx/display.h>
#include <wx/frame.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

namespace veilmark::app {
namespace {

class PreviewTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // A tool window floats on its owner, as on the main frame: Windows wants one.
    owner = new wxFrame(nullptr, wxID_ANY, "owner");
    preview = new CPreviewDlg(owner, doc);
    preview->SetClientSize(400, 400);
  }
  void TearDown() override {
    preview->Destroy();
    owner->Destroy();
  }

  test::FakeDocument doc;
  wxFrame* owner = nullptr;
  CPreviewDlg* preview = nullptr;
};

TEST_F(PreviewTest, ShowsTheWorkingImageFittedAndKeepsTheLastOneWhileBusy) {
  preview->RefreshImage();
  EXPECT_FALSE(preview->HasImage());
  EXPECT_TRUE(preview->CanvasRect().IsEmpty());

  doc.image = wxImage(100, 50);
  preview->RefreshImage();
  EXPECT_EQ(preview->CanvasRect(), wxRect(0, 100, 400, 200));

  // An image operation owns the image: the preview keeps painting what it had.
  doc.busy = true;
  doc.image = wxImage(50, 100);
  preview->RefreshImage();
  EXPECT_EQ(preview->CanvasRect(), wxRect(0, 100, 400, 200));

  doc.busy = false;
  preview->RefreshImage();
  EXPECT_EQ(preview->CanvasRect(), wxRect(100, 0, 200, 400));

  doc.image = wxImage();
  preview->RefreshImage();
  EXPECT_FALSE(preview->HasImage());
}

TEST_F(PreviewTest, DoubleClickTogglesBetweenTheMonitorAndTheSameNormalRectangle) {
  const wxRect normal(50, 60, 300, 200);
  preview->SetSize(normal);
  bool enlarged = false;
  preview->SetOnEnlarged([&] { enlarged = true; });
  preview->ToggleMonitorSize();
  EXPECT_TRUE(preview->IsMonitorSized());
  EXPECT_TRUE(enlarged);
  EXPECT_EQ(preview->GetSize(), wxDisplay(0u).GetGeometry().GetSize());
  preview->ToggleMonitorSize();
  EXPECT_FALSE(preview->IsMonitorSized());
  EXPECT_EQ(preview->GetRect(), normal);
}

TEST_F(PreviewTest, MessagePanelShowsCaptionAndMessageAboveTheImage) {
  preview->ShowMessagePanel("Secret message:", "line one\nline two", true, true);
  EXPECT_TRUE(preview->CaptionCtrl()->IsShown());
  EXPECT_TRUE(preview->MessageCtrl()->IsShown());
  EXPECT_EQ(preview->CaptionCtrl()->GetLabel(), "Secret message:");
  EXPECT_EQ(preview->MessageCtrl()->GetValue(), "line one\nline two");
  EXPECT_GT(preview->MessageCtrl()->GetRect().GetTop(), preview->CaptionCtrl()->GetRect().GetTop());
  preview->ShowMessagePanel("a.txt (hidden file) Use File/Extract", "", true, false);
  EXPECT_TRUE(preview->CaptionCtrl()->IsShown());
  EXPECT_FALSE(preview->MessageCtrl()->IsShown());
  preview->ShowMessagePanel("", "", false, false);
  EXPECT_FALSE(preview->CaptionCtrl()->IsShown());
}

}  // namespace
}  // namespace veilmark::app
