// The thumbnail grid: rows first, clicks and keys select, the selection stays in view.
#include "app/thumbnail_grid.h"

#include <gtest/gtest.h>
#include <wx/frame.h>

namespace veilmark::app {
namespace {

class GridTest : public ::testing::Test {
 protected:
  void SetUp() override {
    frame = new wxFrame(nullptr, wxID_ANY, "grid");
    grid = new ThumbnailGrid(frame, wxSize(150, 135));
    frame->SetClientSize(400, 500);
    grid->SetSize(frame->GetClientSize());
    std::vector<wxString> captions;
    for (int i = 0; i < 20; ++i) captions.push_back(wxString::Format("image%02d.png", i));
    grid->SetItems(captions, wxBitmap(150, 135));
    grid->SetOnSelected([this](int index) {
      selected.push_back(index);
      return accept;
    });
  }
  void TearDown() override { frame->Destroy(); }
  void Key(int code) {
    wxKeyEvent event(wxEVT_KEY_DOWN);
    event.m_keyCode = code;
    grid->ProcessWindowEvent(event);
  }

  wxFrame* frame = nullptr;
  ThumbnailGrid* grid = nullptr;
  std::vector<int> selected;
  bool accept = true;
};

TEST_F(GridTest, FillsRowsFirstAndFindsItemsUnderThePointer) {
  ASSERT_EQ(grid->Columns(), 2);  // 166-pixel cells in 400 pixels
  EXPECT_EQ(grid->ItemRect(1).GetTop(), grid->ItemRect(0).GetTop());
  EXPECT_GT(grid->ItemRect(2).GetTop(), grid->ItemRect(0).GetTop());
  EXPECT_EQ(grid->HitTest(grid->ItemRect(3).GetPosition() + wxPoint(20, 20)), 3);
  EXPECT_EQ(grid->HitTest(wxPoint(390, 10)), -1) << "right of the last column";
  EXPECT_EQ(grid->GetItemText(19), "image19.png");
}

TEST_F(GridTest, KeysMoveTheSelectionAndKeepItVisible) {
  Key(WXK_DOWN);  // nothing selected yet: the first item
  Key(WXK_DOWN);
  Key(WXK_RIGHT);
  Key(WXK_LEFT);
  Key(WXK_LEFT);
  EXPECT_EQ(selected, (std::vector<int>{0, 2, 3, 2, 1}));
  Key(WXK_END);
  EXPECT_EQ(grid->GetSelection(), 19);
  const wxPoint top = grid->CalcScrolledPosition(grid->ItemRect(19).GetPosition());
  EXPECT_GE(top.y, 0);
  EXPECT_LE(top.y + grid->ItemRect(19).height, grid->GetClientSize().y + 1);
  Key(WXK_DOWN);  // already on the last row
  EXPECT_EQ(grid->GetSelection(), 19);
  Key(WXK_HOME);
  EXPECT_EQ(grid->GetSelection(), 0);
}

TEST_F(GridTest, ARefusedSelectionGoesBack) {
  grid->Select(3);
  accept = false;
  grid->Select(5);
  Key(WXK_DOWN);
  EXPECT_EQ(selected, (std::vector<int>{3, 5, 5}));
  EXPECT_EQ(grid->GetSelection(), 3);
  accept = true;
  grid->Select(5);
  EXPECT_EQ(grid->GetSelection(), 5);
}

}  // namespace
}  // namespace veilmark::app
