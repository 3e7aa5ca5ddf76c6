// The document's only way to talk to the user, in three parts: prompts that wait for an
// answer, view notifications, and platform services. The desktop application implements all
// three with windows and dialogs; tests build fakes on tests/support/null_document_ui.h.
#pragma once

#include <functional>
#include <optional>
#include <string>

namespace veilmark {

namespace stego {
struct ImageAnalysis;
}

enum class MessageIcon { None, Question, Error, Exclamation };

// The answer to a Yes/No/Cancel question.
enum class YesNoCancel { kYes, kNo, kCancel };

// Open-file dialog modes: the file to hide, to encrypt, to decrypt.
enum class FileDialogMode { kHide = 1, kEncrypt = 2, kDecrypt = 3 };

// Which tool windows were shown before a modal dialog hid them.
struct ToolWindowState {
  bool folders = false;
  bool preview = false;
};

// Values exchanged with the Passwords dialog.
struct PasswordsDialogData {
  std::string passwords[5];
  int selected = 0;  // 0..4, or -1 when no radio button is set
  bool save = true;
};

class MessageDialogModel;

// Questions and messages: everything that waits for the user's answer.
class DocumentPrompts {
 public:
  virtual ~DocumentPrompts() = default;

  // A message box. An empty caption means the application's own box (caption "Veilmark").
  virtual void ShowMessage(const std::string& text, const std::string& caption,
                           MessageIcon icon) = 0;
  virtual bool AskYesNo(const std::string& text, const std::string& caption, MessageIcon icon) = 0;
  // A question with Yes, No and Cancel (unsaved changes); closing the box means Cancel.
  virtual YesNoCancel AskYesNoCancel(const std::string& text, const std::string& caption,
                                     MessageIcon icon) = 0;

  // The open-file dialog; nullopt when cancelled. `filter` uses the "Name|*.x|...|" form.
  virtual std::optional<std::string> PickFile(FileDialogMode mode, const std::string& title,
                                              const std::string& filter) = 0;

  // Modal dialogs. Each returns false when cancelled.
  virtual bool EditPasswords(PasswordsDialogData& data) = 0;
  virtual bool EditSecretMessage(std::string& message, bool& save) = 0;
  virtual bool RunMessageDialog(MessageDialogModel& model) = 0;
  virtual std::optional<float> AskGamma(float initial) = 0;
  virtual std::optional<int> AskThreshold(int initial) = 0;
  // The steganalysis of the working image; `imageName` names what was analysed.
  virtual void ShowAnalysis(const stego::ImageAnalysis& analysis, const std::string& imageName) = 0;
  virtual void ShowAbout() = 0;
  virtual void ShowFrameColors() = 0;
};

// What the windows show of the document's state; none of these waits for the user.
class DocumentView {
 public:
  virtual ~DocumentView() = default;

  virtual void SetStatusText(const std::string& text) = 0;
  // Re-fit and repaint the preview of the working image.
  virtual void RefreshPreview() = 0;
  // The preview's caption/message panel.
  virtual void ShowMessagePanel(const std::string& caption, const std::string& message,
                                bool showCaption, bool showMessage) = 0;
  // Text and check mark of a menu display item (the Hide menu's targets).
  virtual void SetMenuItem(int commandId, const std::string& text, bool checked) = 0;
  // The folder statistics label inside an empty thumbnail list.
  virtual void ShowFolderInfo(const std::string& text, bool show) = 0;

  // Busy cursor for short blocking work.
  virtual void SetBusy(bool busy) = 0;
  // Progress of long work on the UI thread. UpdateProgress returns false once the user
  // asked to cancel; the caller stops at the next safe point.
  virtual void BeginProgress(const std::string& title, const std::string& text, int maximum) = 0;
  virtual bool UpdateProgress(int value, const std::string& text) = 0;
  virtual void EndProgress() = 0;

  // Topmost tool windows are hidden while a modal dialog is open.
  virtual ToolWindowState HideToolWindows() = 0;
  virtual void RestoreToolWindows(ToolWindowState state) = 0;

  // The thumbnail builder of the current folder (owned by the view).
  virtual void StopThumbnailBuilder() = 0;
  virtual void StartThumbnailBuilder() = 0;
};

// What the platform does for the document: the system's programs, the clipboard and the
// UI thread's queue.
class PlatformServices {
 public:
  virtual ~PlatformServices() = default;

  // Opens a folder in the file browser or a web address in the browser.
  virtual void OpenWithSystem(const std::string& pathOrUrl) = 0;
  virtual std::optional<std::string> GetClipboardText() = 0;
  virtual bool SetClipboardText(const std::string& text) = 0;

  // Runs `task` on the UI thread later; callable from any thread (worker completion).
  virtual void RunOnUiThread(std::function<void()> task) = 0;
};

// The whole port, as the desktop implements it and the document holds it.
class DocumentUi : public DocumentPrompts, public DocumentView, public PlatformServices {};

// Hides the visible tool windows for the lifetime of a modal dialog.
class ScopedToolWindowsHidden {
 public:
  explicit ScopedToolWindowsHidden(DocumentView& view)
      : view_(view), state_(view.HideToolWindows()) {}
  ~ScopedToolWindowsHidden() { view_.RestoreToolWindows(state_); }
  ScopedToolWindowsHidden(const ScopedToolWindowsHidden&) = delete;
  ScopedToolWindowsHidden& operator=(const ScopedToolWindowsHidden&) = delete;

 private:
  DocumentView& view_;
  ToolWindowState state_;
};

}  // namespace veilmark
