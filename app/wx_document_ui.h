// The document's user-interface port on top of the real windows.
#pragma once

#include "core/document/document_ui.h"

#include <wx/stopwatch.h>

#include <memory>

class wxProgressDialog;
class wxWindow;

namespace veilmark::app {

class CMainFrame;

class WxDocumentUi : public DocumentUi {
 public:
  WxDocumentUi();
  ~WxDocumentUi() override;

  // The main window, once it exists; until then messages have no parent and window
  // requests are ignored.
  void Attach(CMainFrame* frame) { frame_ = frame; }

  void ShowMessage(const std::string& text, const std::string& caption, MessageIcon icon) override;
  bool AskYesNo(const std::string& text, const std::string& caption, MessageIcon icon) override;
  std::optional<std::string> PickFile(FileDialogMode mode, const std::string& title,
                                      const std::string& filter) override;
  void SetStatusText(const std::string& text) override;
  void RefreshPreview() override;
  void ShowMessagePanel(const std::string& caption, const std::string& message, bool showCaption,
                        bool showMessage) override;
  void SetMenuItem(int commandId, const std::string& text, bool checked) override;
  void ShowFolderInfo(const std::string& text, bool show) override;
  void SetBusy(bool busy) override;
  void BeginProgress(const std::string& title, const std::string& text, int maximum) override;
  bool UpdateProgress(int value, const std::string& text) override;
  void EndProgress() override;
  ToolWindowState HideToolWindows() override;
  void RestoreToolWindows(ToolWindowState state) override;
  void StopThumbnailBuilder() override;
  void StartThumbnailBuilder() override;
  bool EditPasswords(PasswordsDialogData& data) override;
  bool EditSecretMessage(std::string& message, bool& save) override;
  bool RunMessageDialog(MessageDialogModel& model) override;
  std::optional<float> AskGamma(float initial) override;
  std::optional<int> AskThreshold(int initial) override;
  void ShowAnalysis(const stego::ImageAnalysis& analysis, const std::string& imageName) override;
  void ShowAbout() override;
  void ShowFrameColors() override;
  void OpenWithSystem(const std::string& pathOrUrl) override;
  std::optional<std::string> GetClipboardText() override;
  bool SetClipboardText(const std::string& text) override;
  void RunOnUiThread(std::function<void()> task) override;
  YesNoCancel AskYesNoCancel(const std::string& text, const std::string& caption,
                             MessageIcon icon) override;

 private:
  wxWindow* Parent() const;

  CMainFrame* frame_ = nullptr;
  int busyDepth_ = 0;
  // Progress: the dialog appears only when the work lasts longer than a moment.
  std::unique_ptr<wxProgressDialog> progress_;
  wxStopWatch progressClock_;
  bool progressActive_ = false;
  std::string progressTitle_;
  std::string progressText_;
  int progressMax_ = 0;
  ToolWindowState progressHidden_;
};

}  // namespace veilmark::app
