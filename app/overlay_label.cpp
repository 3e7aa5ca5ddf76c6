#include "app/overlay_label.h"

#include <wx/dcbuffer.h>

namespace veilmark::app {

OverlayLabel::OverlayLabel(wxWindow* parent, const wxPoint& pos, int minWidth)
    : wxWindow(parent, wxID_ANY, pos, wxSize(minWidth, 25), wxBORDER_NONE), minWidth_(minWidth) {
  SetBackgroundStyle(wxBG_STYLE_PAINT);
  SetFont(wxFont(wxFontInfo(12).FaceName(GetFont().GetFaceName())));
  Bind(wxEVT_PAINT, &OverlayLabel::OnPaint, this);
}

void OverlayLabel::SetText(const wxString& text) {
  text_ = text;
  const wxSize extent = GetTextExtent(text_);
  SetSize(std::max(minWidth_, extent.x + 4), std::max(25, extent.y + 4));
  Refresh();
}

void OverlayLabel::OnPaint(wxPaintEvent&) {
  wxAutoBufferedPaintDC dc(this);
  dc.SetBackground(wxBrush(GetParent()->GetBackgroundColour()));
  dc.Clear();
  dc.SetFont(GetFont());
  dc.SetTextForeground(wxColour(0x20, 0x20, 0x20));
  dc.DrawText(text_, 2, 2);
}

}  // namespace veilmark::app
