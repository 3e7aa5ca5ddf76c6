// Shared pieces of the GUI tests: a scripted document and event pumping.
#pragma once

#include "app/app_document.h"

#include <wx/app.h>
#include <wx/utils.h>

#include <chrono>
#include <functional>
#include <set>
#include <thread>
#include <vector>

namespace veilmark::test {

// Handles the events queued so far (worker results, CallAfter) until `done` holds or a
// few seconds have passed. Returns `done()`.
inline bool PumpUntil(const std::function<bool()>& done, int timeoutMs = 5000) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (!done() && std::chrono::steady_clock::now() < end) {
    wxTheApp->ProcessPendingEvents();
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return done();
}

class FakeDocument : public app::AppDocument {
 public:
  bool OnCommand(int id) override {
    commands.push_back(id);
    return true;
  }
  bool IsCommandEnabled(int id) const override { return enabled.count(id) != 0; }
  std::string UndoMenuText() const override { return undoText; }
  void UpdateMessageMenuItem() override { ++messageItemUpdates; }
  bool IsBusy() const override { return busy; }
  std::optional<wxImage> WorkingImage() const override {
    return image.IsOk() ? std::optional<wxImage>(image) : std::nullopt;
  }
  bool HasImage() const override { return image.IsOk(); }
  bool MayReplaceWorkingImage() override {
    ++replaceQuestions;
    return mayReplace;
  }
  void ReleaseImage() override {
    image = wxImage();
    ++releases;
  }
  std::string Folder() const override { return folder; }
  bool OpenFolder(const std::string& path) override {
    opened.push_back(path);
    if (!mayReplace || refuseOpen) return false;
    folder = path;
    return true;
  }
  std::vector<std::string> ImageNames() const override { return names; }
  std::string ImagePath(int index) const override { return folder + "/" + names.at(index); }
  bool OnThumbnailSelected(int index) override {
    selected.push_back(index);
    return mayReplace;
  }
  void SetImageKind(int index, int kind) override { kinds.push_back({index, kind}); }
  app::ThumbnailMaker MakeThumbnailMaker() const override { return maker; }

  std::set<int> enabled;
  std::string undoText = "&Undo (0)";
  bool busy = false;
  bool refuseOpen = false;  // OpenFolder keeps the folder (busy, a cancelled question)
  bool mayReplace = true;   // false: selections, folders and closing are refused
  wxImage image;
  std::string folder;
  std::vector<std::string> names;
  app::ThumbnailMaker maker = [](const std::string&) {
    return app::ThumbnailResult{wxImage(150, 135), app::kKindPlain};
  };

  std::vector<int> commands;
  std::vector<std::string> opened;
  std::vector<int> selected;
  std::vector<std::pair<int, int>> kinds;
  int messageItemUpdates = 0;
  int releases = 0;
  int replaceQuestions = 0;
};

}  // namespace veilmark::test
