#include "app/wx_document_ui.h"

#include "app/app_document.h"
#include "app/file_filter.h"
#include "app/main_frame.h"
#include "app/preview_window.h"
#include "app/view.h"
#include "core/document/dialog_logic.h"
#include "dialogs/about_dlg.h"
#include "dialogs/analysis_dlg.h"
#include "dialogs/dialog_util.h"
#include "dialogs/frame_colors_dlg.h"
#include "dialogs/gamma_dlg.h"
#include "dialogs/message_dlg.h"
#include "dialogs/passwords_dlg.h"
#include "dialogs/secret_message_dlg.h"
#include "dialogs/threshold_dlg.h"

#include <wx/app.h>
#include <wx/clipbrd.h>
#include <wx/filedlg.h>
#include <wx/filefn.h>
#include <wx/msgdlg.h>
#include <wx/progdlg.h>
#include <wx/utils.h>

namespace veilmark::app {

namespace {
constexpr long kProgressDelayMs = 700;

long IconStyle(MessageIcon icon) {
  switch (icon) {
    case MessageIcon::Question:
      return wxICON_QUESTION;
    case MessageIcon::Error:
      return wxICON_ERROR;
    case MessageIcon::Exclamation:
      return wxICON_EXCLAMATION;
    case MessageIcon::None:
      break;
  }
  return wxICON_NONE;
}

// The message dialog's buttons, carried out by the document's model.
class ModelActions final : public MessageDialogActions {
 public:
  explicit ModelActions(MessageDialogModel& model) : model_(model) {}
  std::string Input() const override { return model_.input; }
  void SetInput(const std::string& text) override { model_.input = text; }
  std::string Output() const override { return model_.output; }
  void SetOutput(const std::string& text) override { model_.output = text; }
  bool Save() const override { return model_.save; }
  void SetSave(bool save) override { model_.save = save; }
  void Encrypt() override { model_.Encrypt(); }
  void Decrypt() override { model_.Decrypt(); }
  void Clear() override { model_.Clear(); }
  void Paste() override { model_.Paste(); }
  void Copy() override { model_.Copy(); }

 private:
  MessageDialogModel& model_;
};

wxString Caption(const std::string& caption) {
  return caption.empty() ? wxString(kAppName) : FromUtf8(caption);
}
}  // namespace

WxDocumentUi::WxDocumentUi() = default;
WxDocumentUi::~WxDocumentUi() = default;

wxWindow* WxDocumentUi::Parent() const { return frame_; }

// Message boxes stay on top: the tool windows are kept above all others and would cover
// them otherwise.
void WxDocumentUi::ShowMessage(const std::string& text, const std::string& caption,
                               MessageIcon icon) {
  wxMessageDialog box(Parent(), FromUtf8(text), Caption(caption),
                      wxOK | IconStyle(icon) | wxSTAY_ON_TOP | wxCENTRE);
  box.ShowModal();
}

bool WxDocumentUi::AskYesNo(const std::string& text, const std::string& caption, MessageIcon icon) {
  wxMessageDialog box(Parent(), FromUtf8(text), Caption(caption),
                      wxYES_NO | IconStyle(icon) | wxSTAY_ON_TOP | wxCENTRE);
  return box.ShowModal() == wxID_YES;
}

std::optional<std::string> WxDocumentUi::PickFile(FileDialogMode, const std::string& title,
                                                  const std::string& filter) {
  // In the folder being browsed, not the process's working directory.
  wxString folder;
  if (frame_) folder = FromUtf8(frame_->Document().Folder());
  if (!folder.empty() && !wxDirExists(folder)) folder.clear();
  wxFileDialog dialog(Parent(), FromUtf8(title), folder, wxString(),
                      FromUtf8(FilterToWildcard(filter)), wxFD_OPEN);
  dialog.SetFilterIndex(0);
  if (dialog.ShowModal() != wxID_OK) return std::nullopt;
  return ToUtf8(dialog.GetPath());
}

void WxDocumentUi::SetStatusText(const std::string& text) {
  if (frame_) frame_->SetStatus(FromUtf8(text));
}

void WxDocumentUi::RefreshPreview() {
  if (frame_ && frame_->View()->m_pPreviewDlg) frame_->View()->m_pPreviewDlg->RefreshImage();
}

void WxDocumentUi::ShowMessagePanel(const std::string& caption, const std::string& message,
                                    bool showCaption, bool showMessage) {
  if (frame_ && frame_->View()->m_pPreviewDlg)
    frame_->View()->m_pPreviewDlg->ShowMessagePanel(FromUtf8(caption), FromUtf8(message),
                                                    showCaption, showMessage);
}

void WxDocumentUi::SetMenuItem(int commandId, const std::string& text, bool checked) {
  if (frame_) frame_->SetMenuItem(commandId, FromUtf8(text), checked);
}

void WxDocumentUi::ShowFolderInfo(const std::string& text, bool show) {
  if (frame_) frame_->View()->ShowFolderInfo(FromUtf8(text), show);
}

void WxDocumentUi::SetBusy(bool busy) {
  if (busy) {
    ++busyDepth_;
    wxBeginBusyCursor();
  } else if (busyDepth_ > 0) {
    --busyDepth_;
    wxEndBusyCursor();
  }
}

void WxDocumentUi::BeginProgress(const std::string& title, const std::string& text, int maximum) {
  EndProgress();
  progressActive_ = true;
  progressTitle_ = title;
  progressText_ = text;
  progressMax_ = std::max(1, maximum);
  progressClock_.Start();
}

bool WxDocumentUi::UpdateProgress(int value, const std::string& text) {
  if (!progressActive_) return true;
  if (!text.empty()) progressText_ = text;
  if (!progress_) {
    if (progressClock_.Time() < kProgressDelayMs) return true;
    progressHidden_ = HideToolWindows();
    progress_ = std::make_unique<wxProgressDialog>(
        Caption(progressTitle_), FromUtf8(progressText_), progressMax_, Parent(),
        wxPD_APP_MODAL | wxPD_CAN_ABORT | wxPD_AUTO_HIDE | wxPD_ELAPSED_TIME);
  }
  return progress_->Update(std::clamp(value, 0, progressMax_), FromUtf8(progressText_));
}

void WxDocumentUi::EndProgress() {
  if (progress_) {
    progress_.reset();
    RestoreToolWindows(progressHidden_);
    progressHidden_ = {};
  }
  progressActive_ = false;
}

ToolWindowState WxDocumentUi::HideToolWindows() {
  return frame_ ? frame_->HideToolWindows() : ToolWindowState{};
}

void WxDocumentUi::RestoreToolWindows(ToolWindowState state) {
  if (frame_) frame_->RestoreToolWindows(state);
}

void WxDocumentUi::StopThumbnailBuilder() {
  if (frame_) frame_->View()->StopThumbnailBuilder();
}

void WxDocumentUi::StartThumbnailBuilder() {
  if (frame_) frame_->View()->StartThumbnailBuilder();
}

bool WxDocumentUi::EditPasswords(PasswordsDialogData& data) {
  CPasswordsDlg dialog(Parent(), data);
  if (dialog.ShowModal() != wxID_OK) return false;
  data = dialog.Data();
  return true;
}

bool WxDocumentUi::EditSecretMessage(std::string& message, bool& save) {
  CSecretMessageDlg dialog(Parent(), message, save);
  if (dialog.ShowModal() != wxID_OK) return false;
  message = dialog.Message();
  save = dialog.Save();
  return true;
}

bool WxDocumentUi::RunMessageDialog(MessageDialogModel& model) {
  ModelActions actions(model);
  CEncryptDecryptMessageDlg dialog(Parent(), actions);
  return dialog.ShowModal() == wxID_OK;
}

std::optional<float> WxDocumentUi::AskGamma(float initial) {
  CGammaDlg dialog(Parent(), initial);
  if (dialog.ShowModal() != wxID_OK) return std::nullopt;
  return dialog.Value();
}

std::optional<int> WxDocumentUi::AskThreshold(int initial) {
  CThresholdDlg dialog(Parent(), initial);
  if (dialog.ShowModal() != wxID_OK) return std::nullopt;
  return dialog.Value();
}

void WxDocumentUi::ShowAnalysis(const stego::ImageAnalysis& analysis,
                                const std::string& imageName) {
  CAnalysisDlg dialog(Parent(), analysis, imageName);
  dialog.ShowModal();
}

void WxDocumentUi::ShowAbout() {
  CAboutDlg dialog(Parent());
  dialog.ShowModal();
}

void WxDocumentUi::ShowFrameColors() {
  CHelpColorsAppDlg dialog(Parent());
  dialog.ShowModal();
}

void WxDocumentUi::OpenWithSystem(const std::string& pathOrUrl) {
  const wxString target = FromUtf8(pathOrUrl);
  if (target.StartsWith("http://") || target.StartsWith("https://"))
    wxLaunchDefaultBrowser(target);
  else
    wxLaunchDefaultApplication(target);
}

std::optional<std::string> WxDocumentUi::GetClipboardText() {
  wxClipboardLocker lock;
  if (!lock || !wxTheClipboard->IsSupported(wxDF_UNICODETEXT)) return std::nullopt;
  wxTextDataObject data;
  if (!wxTheClipboard->GetData(data)) return std::nullopt;
  return ToUtf8(data.GetText());
}

bool WxDocumentUi::SetClipboardText(const std::string& text) {
  wxClipboardLocker lock;
  if (!lock) return false;
  return wxTheClipboard->SetData(new wxTextDataObject(FromUtf8(text)));
}

void WxDocumentUi::RunOnUiThread(std::function<void()> task) {
  if (wxTheApp) wxTheApp->CallAfter(std::move(task));
}

YesNoCancel WxDocumentUi::AskYesNoCancel(const std::string& text, const std::string& caption,
                                         MessageIcon icon) {
  wxMessageDialog box(Parent(), FromUtf8(text), Caption(caption),
                      wxYES_NO | wxCANCEL | IconStyle(icon) | wxSTAY_ON_TOP | wxCENTRE);
  switch (box.ShowModal()) {
    case wxID_YES:
      return YesNoCancel::kYes;
    case wxID_NO:
      return YesNoCancel::kNo;
    default:
      return YesNoCancel::kCancel;
  }
}

}  // namespace veilmark::app
