// The program's document behind the interface the windows use.
#include "app/app_document.h"
#include "core/crypto/passwords.h"
#include "core/document/document.h"
#include "core/document/document_ui.h"
#include "core/document/folder_scan.h"
#include "core/image/argb_image.h"
#include "core/image/imaging.h"

#include <atomic>
#include <filesystem>
#include <utility>

namespace veilmark::app {

namespace {

class DocumentAdapter final : public AppDocument {
 public:
  DocumentAdapter(DocumentUi& ui, SettingsStore& settings, const std::string& samples)
      : doc_(ui, settings, samples) {}

  bool OnCommand(int id) override { return doc_.OnCommand(id); }
  bool IsCommandEnabled(int id) const override { return doc_.IsCommandEnabled(id); }
  std::string UndoMenuText() const override { return doc_.UndoMenuText(); }
  void UpdateMessageMenuItem() override { doc_.UpdateMessageMenuItem(); }
  bool IsBusy() const override { return doc_.IsBusy(); }

  std::optional<wxImage> WorkingImage() const override {
    if (!doc_.WorkingImage()) return std::nullopt;
    return image::ToWxImage(*doc_.WorkingImage());
  }
  bool HasImage() const override { return doc_.WorkingImage() != nullptr; }
  bool MayReplaceWorkingImage() override { return doc_.MayReplaceWorkingImage(); }
  void ReleaseImage() override { doc_.ReleaseWorkingImage(); }

  std::string Folder() const override { return doc_.Folder(); }
  bool OpenFolder(const std::string& path) override { return doc_.OpenFolder(path); }
  std::vector<std::string> ImageNames() const override { return doc_.ImageNames(); }
  std::string ImagePath(int index) const override { return doc_.ImagePath(index); }
  bool OnThumbnailSelected(int index) override { return doc_.OnThumbnailSelected(index); }
  int SelectedIndex() const override { return doc_.SelectedIndex(); }
  void SetImageKind(int index, int kind) override { doc_.SetImageKind(index, kind); }

  ThumbnailMaker MakeThumbnailMaker() const override {
    // One keyring for the whole scan: each slot's key is derived once. A plain picture
    // needs every slot's key, and a derivation costs ~16 ms. Decoding a thumbnail needs no
    // key, so one worker derives the slots first while the others decode their first
    // pictures (detection comes last in ScanImageFile); a worker that reaches detection
    // early takes the slots nobody has begun.
    auto keyring = std::make_shared<const crypto::SlotKeyring>(doc_.Passwords());
    auto deriverChosen = std::make_shared<std::atomic<bool>>(false);
    // Each worker calls its own copy, whose buffers then serve picture after picture.
    return [keyring, deriverChosen, firstCall = true,
            buffers = image::ScanBuffers()](const std::string& path) mutable {
      if (std::exchange(firstCall, false) && !deriverChosen->exchange(true)) {
        for (int slot = 0; slot < crypto::kPasswordSlots; ++slot) {
          for (int form = 0; form < keyring->FormCount(slot); ++form) keyring->Keys(slot, form);
        }
      }
      image::ScannedImage scanned =
          image::ScanImageFile(std::filesystem::u8path(path), *keyring, true, buffers);
      ThumbnailResult result;
      result.kind = scanned.kind;
      result.thumb = std::move(scanned.thumbnail);
      return result;
    };
  }

 private:
  CLumicraftDoc doc_;
};

}  // namespace

std::unique_ptr<AppDocument> CreateDocument(DocumentUi& ui, SettingsStore& settings,
                                            const std::string& samplesFolder) {
  return std::make_unique<DocumentAdapter>(ui, settings, samplesFolder);
}

}  // namespace veilmark::app
