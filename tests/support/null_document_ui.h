// A document port that shows nothing and answers every question the safe way (No, Cancel,
// nothing picked), with a queue for work posted to the UI thread. Fakes override only what
// their test looks at.
#pragma once

#include "core/document/document_ui.h"

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <string>

namespace veilmark::test {

class NullDocumentUi : public DocumentUi {
 public:
  // Prompts
  void ShowMessage(const std::string&, const std::string&, MessageIcon) override {}
  bool AskYesNo(const std::string&, const std::string&, MessageIcon) override { return false; }
  YesNoCancel AskYesNoCancel(const std::string&, const std::string&, MessageIcon) override {
    return YesNoCancel::kCancel;
  }
  std::optional<std::string> PickFile(FileDialogMode, const std::string&,
                                      const std::string&) override {
    return std::nullopt;
  }
  bool EditPasswords(PasswordsDialogData&) override { return false; }
  bool EditSecretMessage(std::string&, bool&) override { return false; }
  bool RunMessageDialog(MessageDialogModel&) override { return false; }
  std::optional<float> AskGamma(float) override { return std::nullopt; }
  std::optional<int> AskThreshold(int) override { return std::nullopt; }
  void ShowAnalysis(const stego::ImageAnalysis&, const std::string&) override {}
  void ShowAbout() override {}
  void ShowFrameColors() override {}

  // View
  void SetStatusText(const std::string&) override {}
  void RefreshPreview() override {}
  void ShowMessagePanel(const std::string&, const std::string&, bool, bool) override {}
  void SetMenuItem(int, const std::string&, bool) override {}
  void ShowFolderInfo(const std::string&, bool) override {}
  void SetBusy(bool) override {}
  void BeginProgress(const std::string&, const std::string&, int) override {}
  bool UpdateProgress(int, const std::string&) override { return true; }
  void EndProgress() override {}
  ToolWindowState HideToolWindows() override { return {}; }
  void RestoreToolWindows(ToolWindowState) override {}
  void StopThumbnailBuilder() override {}
  void StartThumbnailBuilder() override {}

  // Platform
  void OpenWithSystem(const std::string&) override {}
  std::optional<std::string> GetClipboardText() override { return std::nullopt; }
  bool SetClipboardText(const std::string&) override { return false; }
  // Queued until the test, standing in for the UI thread, runs it.
  void RunOnUiThread(std::function<void()> task) override {
    {
      std::lock_guard<std::mutex> lock(postedMutex_);
      posted_.push_back(std::move(task));
    }
    postedReady_.notify_one();
  }

  // Waits until a worker has posted something to the UI thread, then runs all of it here.
  void WaitAndRunPosted() {
    std::deque<std::function<void()>> tasks;
    {
      std::unique_lock<std::mutex> lock(postedMutex_);
      postedReady_.wait(lock, [this] { return !posted_.empty(); });
      tasks.swap(posted_);
    }
    for (auto& task : tasks) task();
  }

 private:
  std::mutex postedMutex_;
  std::condition_variable postedReady_;
  std::deque<std::function<void()>> posted_;
};

}  // namespace veilmark::test
