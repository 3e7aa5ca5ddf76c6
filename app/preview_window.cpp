#include "app/preview_window.h"

#include "app/app_document.h"
#include "app/window_placement.h"

#include <wx/dcbuffer.h>
#include <wx/display.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

namespace veilmark::app {

namespace {

const wxColour kSurround(128, 128, 128);

wxImage FlattenOnWhite(const wxImage& source) {
  wxImage image = source.Copy();
  if (!image.HasAlpha()) return image;
  unsigned char* rgb = image.GetData();
  const unsigned char* alpha = image.GetAlpha();
  const std::size_t n = static_cast<std::size_t>(image.GetWidth()) * image.GetHeight();
  for (std::size_t i = 0; i < n; ++i) {
    const int a = alpha[i];
    for (int k = 0; k < 3; ++k)
      rgb[i * 3 + k] = static_cast<unsigned char>((rgb[i * 3 + k] * a + 255 * (255 - a)) / 255);
  }
  image.ClearAlpha();
  return image;
}

wxRect PrimaryMonitor() {
  for (unsigned i = 0; i < wxDisplay::GetCount(); ++i) {
    const wxDisplay display(i);
    if (display.IsPrimary()) return display.GetGeometry();
  }
  return wxDisplay(0u).GetGeometry();
}

}  // namespace

wxRect FitImageRect(int cw, int ch, int iw, int ih) {
  if (cw <= 0 || ch <= 0 || iw <= 0 || ih <= 0) return wxRect(0, 0, 0, 0);
  const float clientAspect = static_cast<float>(ch) / static_cast<float>(cw);
  const float imageAspect = static_cast<float>(ih) / static_cast<float>(iw);
  if (imageAspect > clientAspect) {
    const int w = static_cast<int>(static_cast<float>(ch) / imageAspect);
    return wxRect((cw - w) / 2, 0, w, ch);
  }
  const int h = static_cast<int>(static_cast<float>(cw) * imageAspect);
  return wxRect(0, (ch - h) / 2, cw, h);
}

CPreviewDlg::CPreviewDlg(wxWindow* owner, const AppDocument& doc)
    : wxFrame(owner, wxID_ANY, " Image Preview", wxPoint(780, 10), wxSize(750, 640),
              wxCAPTION | wxRESIZE_BORDER | wxFRAME_TOOL_WINDOW | wxSTAY_ON_TOP |
                  wxFRAME_FLOAT_ON_PARENT),
      doc_(doc) {
  canvas_ = new wxWindow(this, 80, wxDefaultPosition, wxDefaultSize, wxBORDER_NONE);
  canvas_->SetBackgroundStyle(wxBG_STYLE_PAINT);
  canvas_->SetName("Image Preview Canvas");
  caption_ = new wxStaticText(canvas_, wxID_ANY, "Hidden message:");
  caption_->SetBackgroundColour(*wxWHITE);
  caption_->SetForegroundColour(*wxBLACK);
  message_ = new wxTextCtrl(canvas_, wxID_ANY, wxString(), wxDefaultPosition, wxDefaultSize,
                            wxTE_MULTILINE | wxTE_READONLY);
  caption_->Hide();
  message_->Hide();

  canvas_->Bind(wxEVT_PAINT, &CPreviewDlg::OnPaint, this);
  canvas_->Bind(wxEVT_LEFT_DCLICK, [this](wxMouseEvent&) { ToggleMonitorSize(); });
  Bind(wxEVT_SIZE, &CPreviewDlg::OnSize, this);
  // The window has no close button of its own; should the window manager offer one anyway,
  // closing only hides it, like the View menu does.
  HideOnClose(*this);
}

void CPreviewDlg::RefreshImage() {
  // While an image operation runs it changes the image: keep showing the last one taken.
  if (!doc_.IsBusy()) {
    const auto image = doc_.WorkingImage();
    image_ = image && image->IsOk() ? FlattenOnWhite(*image) : wxImage();
    scaled_ = wxBitmap();
  }
  LayoutPanel();
  canvas_->Refresh();
}

void CPreviewDlg::ShowMessagePanel(const wxString& caption, const wxString& message,
                                   bool showCaption, bool showMessage) {
  caption_->SetLabelText(caption);
  message_->ChangeValue(message);
  caption_->Show(showCaption);
  message_->Show(showMessage);
  LayoutPanel();
}

void CPreviewDlg::OnSize(wxSizeEvent& event) {
  event.Skip();
  LayoutPanel();
  canvas_->Refresh();
}

void CPreviewDlg::LayoutPanel() {
  const wxSize client = GetClientSize();
  canvas_->SetSize(0, 0, client.x, client.y);
  canvasRect_ = image_.IsOk()
                    ? FitImageRect(client.x, client.y, image_.GetWidth(), image_.GetHeight())
                    : wxRect(0, 0, 0, 0);
  // The panel covers the upper part of the window, above the image, on its own background
  // so that it stays readable whatever the image shows.
  const int margin = FromDIP(10);
  const int width = std::max(0, client.x - 2 * margin);
  const int captionHeight = caption_->GetBestSize().y;
  caption_->SetSize(margin, margin, width, captionHeight);
  const int top = margin + captionHeight + FromDIP(4);
  message_->SetSize(margin, top, width, std::max(0, client.y * 7 / 10 - top));
}

void CPreviewDlg::OnPaint(wxPaintEvent&) {
  wxAutoBufferedPaintDC dc(canvas_);
  dc.SetBackground(wxBrush(kSurround));
  dc.Clear();
  if (!image_.IsOk() || canvasRect_.IsEmpty()) return;
  if (!scaled_.IsOk() || scaled_.GetWidth() != canvasRect_.width ||
      scaled_.GetHeight() != canvasRect_.height) {
    scaled_ = wxBitmap(image_.Scale(canvasRect_.width, canvasRect_.height, wxIMAGE_QUALITY_HIGH));
  }
  dc.DrawBitmap(scaled_, canvasRect_.GetTopLeft());
}

void CPreviewDlg::ToggleMonitorSize() {
  fullMonitor_ = !fullMonitor_;
  wxRect target;
  if (fullMonitor_) {
    normalRect_ = GetRect();
    hasNormal_ = true;
    target = PrimaryMonitor();
  } else if (hasNormal_) {
    target = normalRect_;
  }
  SetSize(target);
  if (fullMonitor_ && onEnlarged_) onEnlarged_();
}

}  // namespace veilmark::app
