// A scripted stand-in for the desktop windows: records everything the document shows and
// answers its questions from queues the test fills.
#pragma once

#include "core/document/dialog_logic.h"
#include "core/stego/analysis.h"
#include "tests/support/null_document_ui.h"

#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace veilmark::test {

struct ShownMessage {
  std::string text;
  std::string caption;
  MessageIcon icon;
};

class FakeUi : public NullDocumentUi {
 public:
  // Recorded
  std::vector<ShownMessage> messages;
  std::vector<std::string> questions;
  std::vector<std::string> statusTexts;
  std::vector<FileDialogMode> fileDialogs;
  std::vector<std::string> fileDialogFilters;
  std::map<int, std::pair<std::string, bool>> menuItems;
  std::string folderInfo;
  bool folderInfoShown = false;
  std::string panelCaption, panelMessage;
  bool panelCaptionShown = false, panelMessageShown = false;
  int previewRefreshes = 0;
  int builderStarts = 0, builderStops = 0;
  std::vector<std::string> opened;
  std::vector<std::string> progressTexts;
  ToolWindowState windows{true, true};
  std::vector<ToolWindowState> windowsDuringDialogs;
  // Each analysis shown, with the name of the picture.
  std::vector<std::pair<stego::ImageAnalysis, std::string>> analyses;
  std::string clipboard;
  bool clipboardHasText = false;

  // Scripted answers
  std::deque<bool> yesNoAnswers;
  std::deque<std::optional<std::string>> pickedFiles;
  std::function<bool(PasswordsDialogData&)> passwordsDialog;
  std::function<bool(std::string&, bool&)> secretMessageDialog;
  std::function<bool(MessageDialogModel&)> messageDialog;
  std::deque<std::optional<float>> gammaAnswers;
  std::deque<std::optional<int>> thresholdAnswers;
  std::vector<int> thresholdStarts;            // the level each Threshold dialog was opened with
  std::deque<YesNoCancel> yesNoCancelAnswers;  // Cancel once they run out
  int cancelProgressAt = -1;                   // UpdateProgress returns false from this value on

  std::string LastStatus() const { return statusTexts.empty() ? "" : statusTexts.back(); }
  std::string LastMessage() const { return messages.empty() ? "" : messages.back().text; }
  void ShowMessage(const std::string& text, const std::string& caption, MessageIcon icon) override {
    messages.push_back({text, caption, icon});
  }
  bool AskYesNo(const std::string& text, const std::string&, MessageIcon) override {
    questions.push_back(text);
    if (yesNoAnswers.empty()) return false;
    const bool answer = yesNoAnswers.front();
    yesNoAnswers.pop_front();
    return answer;
  }
  std::optional<std::string> PickFile(FileDialogMode mode, const std::string&,
                                      const std::string& filter) override {
    fileDialogs.push_back(mode);
    fileDialogFilters.push_back(filter);
    windowsDuringDialogs.push_back(windows);
    if (pickedFiles.empty()) return std::nullopt;
    auto answer = pickedFiles.front();
    pickedFiles.pop_front();
    return answer;
  }
  void SetStatusText(const std::string& text) override { statusTexts.push_back(text); }
  void RefreshPreview() override { ++previewRefreshes; }
  void ShowMessagePanel(const std::string& caption, const std::string& message, bool showCaption,
                        bool showMessage) override {
    panelCaption = caption;
    panelMessage = message;
    panelCaptionShown = showCaption;
    panelMessageShown = showMessage;
  }
  void SetMenuItem(int id, const std::string& text, bool checked) override {
    menuItems[id] = {text, checked};
  }
  void ShowFolderInfo(const std::string& text, bool show) override {
    folderInfo = text;
    folderInfoShown = show;
  }
  void BeginProgress(const std::string&, const std::string& text, int) override {
    progressTexts.push_back(text);
  }
  bool UpdateProgress(int value, const std::string& text) override {
    progressTexts.push_back(text);
    return cancelProgressAt < 0 || value < cancelProgressAt;
  }
  ToolWindowState HideToolWindows() override {
    const ToolWindowState before = windows;
    windows = {};
    return before;
  }
  void RestoreToolWindows(ToolWindowState state) override { windows = state; }
  void StopThumbnailBuilder() override { ++builderStops; }
  void StartThumbnailBuilder() override { ++builderStarts; }
  bool EditPasswords(PasswordsDialogData& data) override {
    windowsDuringDialogs.push_back(windows);
    return passwordsDialog && passwordsDialog(data);
  }
  bool EditSecretMessage(std::string& message, bool& save) override {
    windowsDuringDialogs.push_back(windows);
    return secretMessageDialog && secretMessageDialog(message, save);
  }
  bool RunMessageDialog(MessageDialogModel& model) override {
    windowsDuringDialogs.push_back(windows);
    return messageDialog && messageDialog(model);
  }
  std::optional<float> AskGamma(float) override {
    if (gammaAnswers.empty()) return std::nullopt;
    auto a = gammaAnswers.front();
    gammaAnswers.pop_front();
    return a;
  }
  std::optional<int> AskThreshold(int initial) override {
    thresholdStarts.push_back(initial);
    if (thresholdAnswers.empty()) return std::nullopt;
    auto a = thresholdAnswers.front();
    thresholdAnswers.pop_front();
    return a;
  }
  void ShowAnalysis(const stego::ImageAnalysis& analysis, const std::string& name) override {
    windowsDuringDialogs.push_back(windows);
    analyses.emplace_back(analysis, name);
  }
  void ShowAbout() override { windowsDuringDialogs.push_back(windows); }
  void ShowFrameColors() override { windowsDuringDialogs.push_back(windows); }
  void OpenWithSystem(const std::string& target) override { opened.push_back(target); }
  std::optional<std::string> GetClipboardText() override {
    if (!clipboardHasText) return std::nullopt;
    return clipboard;
  }
  bool SetClipboardText(const std::string& text) override {
    clipboard = text;
    clipboardHasText = true;
    return true;
  }
  YesNoCancel AskYesNoCancel(const std::string& text, const std::string&, MessageIcon) override {
    questions.push_back(text);
    if (yesNoCancelAnswers.empty()) return YesNoCancel::kCancel;
    const YesNoCancel answer = yesNoCancelAnswers.front();
    yesNoCancelAnswers.pop_front();
    return answer;
  }
};

}  // namespace veilmark::test
