// A one-line text that lies over another window (the thumbnail list). It is a window of its
// own, so that it stays on top of the list's own drawing on every platform.
#pragma once

#include <wx/window.h>

namespace veilmark::app {

class OverlayLabel : public wxWindow {
 public:
  OverlayLabel(wxWindow* parent, const wxPoint& pos, int minWidth);
  // Sets the text and grows the window to fit it.
  void SetText(const wxString& text);
  const wxString& Text() const { return text_; }

 private:
  void OnPaint(wxPaintEvent& event);

  wxString text_;
  int minWidth_;
};

}  // namespace veilmark::app
