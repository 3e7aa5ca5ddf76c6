// What the windows of the application need from the document. The real document is
// adapted to it in one place; tests put a fake behind it.
#pragma once

#include <wx/image.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace veilmark {

class DocumentUi;
class SettingsStore;

namespace app {

inline constexpr int kKindPlain = 10;

// One finished thumbnail: the 150 x 135 picture and the kind detection found.
struct ThumbnailResult {
  wxImage thumb;
  int kind = kKindPlain;
};

// Builds the thumbnail of one image file. Called on worker threads, each calling its own
// copy (so a maker may keep scratch buffers between calls); it must not touch windows or
// the document.
using ThumbnailMaker = std::function<ThumbnailResult(const std::string& path)>;

class AppDocument {
 public:
  virtual ~AppDocument() = default;

  // Commands of the menus, toolbar and context menus.
  virtual bool OnCommand(int commandId) = 0;
  virtual bool IsCommandEnabled(int commandId) const = 0;
  virtual std::string UndoMenuText() const = 0;
  // Rebuilds the Hide menu's message item; called whenever that menu opens.
  virtual void UpdateMessageMenuItem() = 0;
  // An image operation runs on its worker and owns the working image meanwhile.
  virtual bool IsBusy() const = 0;

  // A copy of the working image for the screen or the printer; nullopt without one.
  virtual std::optional<wxImage> WorkingImage() const = 0;
  virtual bool HasImage() const = 0;
  // Drops the working image and the temporary extracted image (main window closing).
  virtual void ReleaseImage() = 0;
  // Whether the working image may be dropped now: not while an image operation owns it;
  // with unsaved changes only after asking the user.
  virtual bool MayReplaceWorkingImage() = 0;

  virtual std::string Folder() const = 0;
  // False when the current folder and image stay (see MayReplaceWorkingImage).
  virtual bool OpenFolder(const std::string& path) = 0;
  // Captions of the listed images (lower-cased) and their full paths, by list index.
  virtual std::vector<std::string> ImageNames() const = 0;
  virtual std::string ImagePath(int index) const = 0;
  // False when the selection must go back to the current image.
  virtual bool OnThumbnailSelected(int index) = 0;
  // The listed image the working image comes from, or -1. A re-listing of the same folder
  // keeps it selected.
  virtual int SelectedIndex() const { return -1; }
  virtual void SetImageKind(int index, int kind) = 0;
  // The per-image work of one folder scan; it carries its own copy of the passwords.
  virtual ThumbnailMaker MakeThumbnailMaker() const = 0;
};

// The program's document behind this interface. `ui` and `settings` outlive it.
std::unique_ptr<AppDocument> CreateDocument(DocumentUi& ui, SettingsStore& settings,
                                            const std::string& samplesFolder);

}  // namespace app
}  // namespace veilmark
