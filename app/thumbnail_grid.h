// A grid of captioned thumbnails, filled row by row and scrolled vertically, as a list
// control in large-icon mode shows them on Windows. wxListCtrl's generic implementation
// (GTK) fills columns and scrolls sideways instead, hence this small control of our own.
#pragma once

#include <wx/bitmap.h>
#include <wx/scrolwin.h>

#include <functional>
#include <vector>

namespace veilmark::app {

class ThumbnailGrid : public wxScrolledCanvas {
 public:
  ThumbnailGrid(wxWindow* parent, wxSize thumbSize);

  void Clear();
  // Items show `placeholder` until their own thumbnail is set.
  void SetItems(const std::vector<wxString>& captions, const wxBitmap& placeholder);
  void SetThumbnail(int index, const wxBitmap& bitmap);
  int GetItemCount() const { return static_cast<int>(items_.size()); }
  wxString GetItemText(int index) const;
  const wxBitmap& GetThumbnail(int index) const;

  // The selected item, or -1. Select() reports a change through the callback; when the
  // callback refuses it (returns false), the selection goes back to where it was.
  int GetSelection() const { return selection_; }
  void Select(int index);
  // Marks `index` (or nothing, with -1) as selected without reporting it.
  void ShowSelection(int index);
  void SetOnSelected(std::function<bool(int index)> onSelected) {
    onSelected_ = std::move(onSelected);
  }

  // The item under a point of the client area, or -1.
  int HitTest(const wxPoint& client) const;
  wxRect ItemRect(int index) const;  // in unscrolled coordinates
  int Columns() const;

 protected:
  // Keeps windows laid over the grid (labels) at their place in the visible area.
  virtual void OnScrolled() {}

 private:
  void OnPaint(wxPaintEvent& event);
  void OnSize(wxSizeEvent& event);
  void OnLeftDown(wxMouseEvent& event);
  void OnKeyDown(wxKeyEvent& event);
  void UpdateVirtualSize();
  void EnsureVisible(int index);
  wxSize CellSize() const;

  struct Item {
    wxString caption;
    wxBitmap bitmap;
  };
  wxSize thumbSize_;
  std::vector<Item> items_;
  int selection_ = -1;
  std::function<bool(int)> onSelected_;
};

}  // namespace veilmark::app
