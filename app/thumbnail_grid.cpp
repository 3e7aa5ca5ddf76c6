#include "app/thumbnail_grid.h"

#include <wx/control.h>
#include <wx/dcbuffer.h>
#include <wx/settings.h>

#include <algorithm>

namespace veilmark::app {

namespace {
constexpr int kPad = 8;
}

ThumbnailGrid::ThumbnailGrid(wxWindow* parent, wxSize thumbSize)
    : wxScrolledCanvas(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize,
                       wxVSCROLL | wxBORDER_SUNKEN | wxWANTS_CHARS | wxFULL_REPAINT_ON_RESIZE),
      thumbSize_(thumbSize) {
  SetBackgroundStyle(wxBG_STYLE_PAINT);
  ShowScrollbars(wxSHOW_SB_NEVER, wxSHOW_SB_DEFAULT);
  Bind(wxEVT_PAINT, &ThumbnailGrid::OnPaint, this);
  Bind(wxEVT_SIZE, &ThumbnailGrid::OnSize, this);
  Bind(wxEVT_LEFT_DOWN, &ThumbnailGrid::OnLeftDown, this);
  Bind(wxEVT_LEFT_DCLICK, &ThumbnailGrid::OnLeftDown, this);
  Bind(wxEVT_KEY_DOWN, &ThumbnailGrid::OnKeyDown, this);
  for (const auto& type :
       {wxEVT_SCROLLWIN_TOP, wxEVT_SCROLLWIN_BOTTOM, wxEVT_SCROLLWIN_LINEUP,
        wxEVT_SCROLLWIN_LINEDOWN, wxEVT_SCROLLWIN_PAGEUP, wxEVT_SCROLLWIN_PAGEDOWN,
        wxEVT_SCROLLWIN_THUMBTRACK, wxEVT_SCROLLWIN_THUMBRELEASE}) {
    Bind(type, [this](wxScrollWinEvent& event) {
      event.Skip();
      CallAfter([this] { OnScrolled(); });
    });
  }
  Bind(wxEVT_MOUSEWHEEL, [this](wxMouseEvent& event) {
    event.Skip();
    CallAfter([this] { OnScrolled(); });
  });
}

wxSize ThumbnailGrid::CellSize() const {
  return wxSize(thumbSize_.x + 2 * kPad, thumbSize_.y + 2 * kPad + GetCharHeight() + 4);
}

int ThumbnailGrid::Columns() const { return std::max(1, GetClientSize().x / CellSize().x); }

wxRect ThumbnailGrid::ItemRect(int index) const {
  const wxSize cell = CellSize();
  const int cols = Columns();
  return wxRect((index % cols) * cell.x, (index / cols) * cell.y, cell.x, cell.y);
}

int ThumbnailGrid::HitTest(const wxPoint& client) const {
  const wxPoint p = CalcUnscrolledPosition(client);
  const wxSize cell = CellSize();
  if (p.x < 0 || p.y < 0 || p.x >= Columns() * cell.x) return -1;
  const int index = (p.y / cell.y) * Columns() + p.x / cell.x;
  return index < GetItemCount() ? index : -1;
}

void ThumbnailGrid::Clear() {
  items_.clear();
  selection_ = -1;
  UpdateVirtualSize();
  Scroll(0, 0);
  Refresh();
}

void ThumbnailGrid::SetItems(const std::vector<wxString>& captions, const wxBitmap& placeholder) {
  items_.clear();
  items_.reserve(captions.size());
  for (const wxString& caption : captions) items_.push_back({caption, placeholder});
  selection_ = -1;
  UpdateVirtualSize();
  Scroll(0, 0);
  Refresh();
}

void ThumbnailGrid::SetThumbnail(int index, const wxBitmap& bitmap) {
  if (index < 0 || index >= GetItemCount()) return;
  items_[static_cast<std::size_t>(index)].bitmap = bitmap;
  wxRect rect = ItemRect(index);
  rect.SetPosition(CalcScrolledPosition(rect.GetPosition()));
  RefreshRect(rect);
}

wxString ThumbnailGrid::GetItemText(int index) const {
  return index >= 0 && index < GetItemCount() ? items_[static_cast<std::size_t>(index)].caption
                                              : wxString();
}

const wxBitmap& ThumbnailGrid::GetThumbnail(int index) const {
  return index >= 0 && index < GetItemCount() ? items_[static_cast<std::size_t>(index)].bitmap
                                              : wxNullBitmap;
}

void ThumbnailGrid::Select(int index) {
  if (index < 0 || index >= GetItemCount() || index == selection_) return;
  const int previous = selection_;
  selection_ = index;
  EnsureVisible(index);
  Refresh();
  if (onSelected_ && !onSelected_(index)) {
    selection_ = previous;
    if (previous >= 0) EnsureVisible(previous);
    Refresh();
  }
}

void ThumbnailGrid::ShowSelection(int index) {
  selection_ = index >= 0 && index < GetItemCount() ? index : -1;
  if (selection_ >= 0) EnsureVisible(selection_);
  Refresh();
}

void ThumbnailGrid::UpdateVirtualSize() {
  const wxSize cell = CellSize();
  const int cols = Columns();
  const int rows = (GetItemCount() + cols - 1) / cols;
  SetScrollRate(0, std::max(1, cell.y / 4));
  SetVirtualSize(cols * cell.x, rows * cell.y);
}

void ThumbnailGrid::EnsureVisible(int index) {
  const wxRect rect = ItemRect(index);
  int unitX = 0, unitY = 1;
  GetScrollPixelsPerUnit(&unitX, &unitY);
  unitY = std::max(1, unitY);
  const int top = CalcUnscrolledPosition(wxPoint(0, 0)).y;
  const int height = GetClientSize().y;
  if (rect.GetTop() < top)
    Scroll(-1, rect.GetTop() / unitY);
  else if (rect.GetBottom() >= top + height)
    Scroll(-1, (rect.GetBottom() - height) / unitY + 1);
  OnScrolled();
}

void ThumbnailGrid::OnSize(wxSizeEvent& event) {
  event.Skip();
  UpdateVirtualSize();
  Refresh();
}

void ThumbnailGrid::OnPaint(wxPaintEvent&) {
  wxAutoBufferedPaintDC dc(this);
  dc.SetBackground(wxBrush(GetBackgroundColour()));
  dc.Clear();
  DoPrepareDC(dc);
  dc.SetFont(GetFont());
  const wxSize cell = CellSize();
  const int top = CalcUnscrolledPosition(wxPoint(0, 0)).y;
  const int cols = Columns();
  const int first = std::max(0, top / cell.y) * cols;
  const int last = std::min(GetItemCount(), (top + GetClientSize().y) / cell.y * cols + 2 * cols);
  const wxColour highlight = wxSystemSettings::GetColour(wxSYS_COLOUR_HIGHLIGHT);
  const wxColour highlightText = wxSystemSettings::GetColour(wxSYS_COLOUR_HIGHLIGHTTEXT);
  for (int i = first; i < last; ++i) {
    const Item& item = items_[static_cast<std::size_t>(i)];
    const wxRect rect = ItemRect(i);
    if (item.bitmap.IsOk())
      dc.DrawBitmap(item.bitmap, rect.x + (cell.x - item.bitmap.GetWidth()) / 2,
                    rect.y + kPad + (thumbSize_.y - item.bitmap.GetHeight()) / 2);
    const wxString caption = wxControl::Ellipsize(item.caption, dc, wxELLIPSIZE_MIDDLE, cell.x - 4);
    const wxSize extent = dc.GetTextExtent(caption);
    const wxPoint at(rect.x + (cell.x - extent.x) / 2, rect.y + kPad + thumbSize_.y + 4);
    if (i == selection_) {
      dc.SetPen(*wxTRANSPARENT_PEN);
      dc.SetBrush(wxBrush(highlight));
      dc.DrawRectangle(at.x - 2, at.y - 1, extent.x + 4, extent.y + 2);
      dc.SetTextForeground(highlightText);
    } else {
      dc.SetTextForeground(wxColour(0, 0, 0));
    }
    dc.DrawText(caption, at);
  }
}

void ThumbnailGrid::OnLeftDown(wxMouseEvent& event) {
  SetFocus();
  const int index = HitTest(event.GetPosition());
  if (index >= 0) Select(index);
}

void ThumbnailGrid::OnKeyDown(wxKeyEvent& event) {
  if (GetItemCount() == 0) {
    event.Skip();
    return;
  }
  const int cols = Columns();
  const int rowsPerPage = std::max(1, GetClientSize().y / CellSize().y);
  const int current = selection_ < 0 ? 0 : selection_;
  int target = current;
  switch (event.GetKeyCode()) {
    case WXK_LEFT:
      target = current - 1;
      break;
    case WXK_RIGHT:
      target = current + 1;
      break;
    case WXK_UP:
      target = current - cols;
      break;
    case WXK_DOWN:
      target = current + cols;
      break;
    case WXK_PAGEUP:
      target = current - cols * rowsPerPage;
      break;
    case WXK_PAGEDOWN:
      target = current + cols * rowsPerPage;
      break;
    case WXK_HOME:
      target = 0;
      break;
    case WXK_END:
      target = GetItemCount() - 1;
      break;
    default:
      event.Skip();
      return;
  }
  // The first key press selects the first item; later ones move from the selection.
  Select(selection_ < 0 ? 0 : std::clamp(target, 0, GetItemCount() - 1));
}

}  // namespace veilmark::app
