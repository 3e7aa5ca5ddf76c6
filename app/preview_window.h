// The image preview: a tool window above all others that shows the working image fitted to
// its client area on a grey surround, with a panel for a hidden message over its upper part.
#pragma once

#include <wx/bitmap.h>
#include <wx/frame.h>
#include <wx/image.h>

#include <functional>
#include <optional>

class wxStaticText;
class wxTextCtrl;

namespace veilmark::app {

class AppDocument;

// Where an image of iw x ih is drawn in a client area of cw x ch: as large as fits, keeping
// its proportions, centred along the other axis. Empty for an empty image or area.
wxRect FitImageRect(int cw, int ch, int iw, int ih);

class CPreviewDlg : public wxFrame {
 public:
  CPreviewDlg(wxWindow* owner, const AppDocument& doc);

  // Takes the working image again (unless an image operation owns it) and repaints.
  void RefreshImage();
  void ShowMessagePanel(const wxString& caption, const wxString& message, bool showCaption,
                        bool showMessage);
  // Switches between the normal rectangle and the whole primary monitor.
  void ToggleMonitorSize();

  // Called after a double click made the window monitor-sized (the main window takes the
  // keyboard focus back).
  void SetOnEnlarged(std::function<void()> onEnlarged) { onEnlarged_ = std::move(onEnlarged); }

  wxRect CanvasRect() const { return canvasRect_; }
  bool HasImage() const { return image_.IsOk(); }
  wxStaticText* CaptionCtrl() const { return caption_; }
  wxTextCtrl* MessageCtrl() const { return message_; }
  bool IsMonitorSized() const { return fullMonitor_; }

 private:
  void OnPaint(wxPaintEvent& event);
  void OnSize(wxSizeEvent& event);
  void LayoutPanel();

  const AppDocument& doc_;
  wxWindow* canvas_ = nullptr;
  wxStaticText* caption_ = nullptr;
  wxTextCtrl* message_ = nullptr;
  wxImage image_;    // the last image taken from the document, flattened onto white
  wxBitmap scaled_;  // image_ at the size of canvasRect_
  wxRect canvasRect_;
  wxRect normalRect_;
  bool hasNormal_ = false;
  bool fullMonitor_ = false;
  std::function<void()> onEnlarged_;
};

}  // namespace veilmark::app
