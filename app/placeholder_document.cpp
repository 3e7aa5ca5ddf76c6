// A stand-in document that lets the application run before the real one is linked in: it
// lists and shows images and opens the dialogs, but hides, detects and encrypts nothing.
#include "app/app_document.h"
#include "core/image/command_ids.h"
#include "core/image/document_ui.h"
#include "core/image/settings.h"

#include <wx/dir.h>
#include <wx/filename.h>
#include <wx/log.h>

namespace veilmark::app {

namespace {

wxString Utf8(const std::string& s) { return wxString::FromUTF8(s.data(), s.size()); }
std::string ToUtf8(const wxString& s) {
  const wxScopedCharBuffer buf = s.utf8_str();
  return std::string(buf.data(), buf.length());
}

ThumbnailResult MakeThumbnail(const std::string& path) {
  wxLogNull quiet;
  ThumbnailResult result;
  wxImage thumb(150, 135);
  thumb.SetRGB(wxRect(0, 0, 150, 135), 255, 255, 255);
  wxImage source;
  if (source.LoadFile(Utf8(path)) && source.GetWidth() > 0 && source.GetHeight() > 0) {
    const float sx = 150.0f / source.GetWidth(), sy = 135.0f / source.GetHeight();
    const float s = sx > sy ? sy : sx;
    const int w = std::max(1, static_cast<int>(source.GetWidth() * s));
    const int h = std::max(1, static_cast<int>(source.GetHeight() * s));
    const int x0 = sx > sy ? static_cast<int>((150 - w) * 0.5f) : 0;
    const int y0 = sx > sy ? 0 : static_cast<int>((135 - h) * 0.5f);
    wxImage scaled = source.Scale(w, h, wxIMAGE_QUALITY_HIGH);
    if (scaled.HasAlpha()) scaled.ClearAlpha();
    thumb.Paste(scaled, x0, y0);
  }
  result.thumb = thumb;
  return result;
}

class PlaceholderDocument final : public AppDocument {
 public:
  PlaceholderDocument(DocumentUi& ui, SettingsStore& settings, std::string samples)
      : ui_(ui), settings_(settings), samples_(std::move(samples)) {}

  bool OnCommand(int id) override {
    switch (id) {
      case ID_HELP_ABOUT:
        Modal([this] { ui_.ShowAbout(); });
        return true;
      case ID_HELP_FRAME_COLORS:
        Modal([this] { ui_.ShowFrameColors(); });
        return true;
      case ID_SETTINGS_PASSWORDS:
        Modal([this] { ui_.EditPasswords(passwords_); });
        return true;
      case ID_HIDE_ENTER_MESSAGE:
        Modal([this] {
          if (ui_.EditSecretMessage(message_, saveMessage_)) UpdateMessageMenuItem();
        });
        return true;
      case ID_EDIT_GAMMA:
        Modal([this] { ui_.AskGamma(0.5f); });
        return true;
      case ID_EDIT_THRESHOLD:
        Modal([this] { ui_.AskThreshold(0); });
        return true;
      case ID_VIEW_REFRESH_FOLDER:
        OpenFolder(folder_);
        return true;
      case ID_VIEW_SAMPLES_FOLDER:
        if (!samples_.empty() && wxDirExists(Utf8(samples_))) OpenFolder(samples_);
        return true;
      case ID_OPEN_FOLDER:
        ui_.OpenWithSystem(folder_);
        return true;
      default:
        return false;
    }
  }

  bool IsCommandEnabled(int id) const override {
    switch (id) {
      case ID_EDIT_UNDO:
      case ID_EDIT_REDO:
      case ID_FILE_EXTRACT:
      case ID_HIDE_FILE:
      case ID_HIDE_MESSAGE:
      case ID_HIDE_UNSELECT_FILE:
        return false;
      case ID_VIEW_REFRESH_FOLDER:
      case ID_ENCRYPT_FOLDER:
      case ID_DECRYPT_FOLDER:
        return !folder_.empty();
      default:
        if (IsImageOperation(id) || (id >= ID_FILE_SAVE_PNG && id <= ID_FILE_SAVE_GIF))
          return image_.IsOk();
        return true;
    }
  }

  std::string UndoMenuText() const override { return "&Undo (0)"; }

  void UpdateMessageMenuItem() override {
    std::string text = "<No secret message to hide>";
    if (!message_.empty()) {
      const wxString m = Utf8(message_);
      text = ToUtf8(wxString::Format("(%d bytes) %s", static_cast<int>(message_.size()),
                                     m.length() > 20 ? m.Left(20) + "..." : m));
    }
    ui_.SetMenuItem(ID_HIDE_MESSAGE_ITEM, text, !message_.empty());
  }

  bool IsBusy() const override { return false; }
  std::optional<wxImage> WorkingImage() const override {
    return image_.IsOk() ? std::optional<wxImage>(image_) : std::nullopt;
  }
  bool HasImage() const override { return image_.IsOk(); }
  void ReleaseImage() override {
    image_ = wxImage();
    ui_.RefreshPreview();
  }
  std::string Folder() const override { return folder_; }

  void OpenFolder(const std::string& path) override {
    ui_.StopThumbnailBuilder();
    folder_ = path;
    names_.clear();
    diskNames_.clear();
    image_ = wxImage();
    current_ = -1;
    ui_.RefreshPreview();
    ui_.ShowMessagePanel({}, {}, false, false);
    ui_.SetStatusText({});
    int files = 0, cry = 0;
    {
      wxLogNull quiet;
      wxDir dir(Utf8(path));
      wxString name;
      for (bool more = dir.IsOpened() && dir.GetFirst(&name, wxString(), wxDIR_FILES | wxDIR_HIDDEN);
           more; more = dir.GetNext(&name)) {
        ++files;
        const wxString ext = wxFileName(name).GetExt().Lower();
        if (ext == "cry") ++cry;
        if (wxImage::FindHandler(ext, wxBITMAP_TYPE_ANY)) {
          names_.push_back(ToUtf8(name.Lower()));
          diskNames_.push_back(ToUtf8(name));
        }
      }
    }
    ui_.StartThumbnailBuilder();
    const std::string stats =
        ToUtf8(wxString::Format("Files: %d (Images: %d  Encrypted: %d)", files,
                                static_cast<int>(names_.size()), cry));
    if (files == 0) {
      ui_.ShowFolderInfo({}, false);
    } else if (!names_.empty()) {
      ui_.SetStatusText(stats);
      ui_.ShowFolderInfo({}, false);
    } else {
      ui_.ShowFolderInfo(stats, true);
    }
  }

  std::vector<std::string> ImageNames() const override { return names_; }
  std::string ImagePath(int index) const override {
    return ToUtf8(wxFileName(Utf8(folder_), Utf8(diskNames_.at(static_cast<std::size_t>(index))))
                      .GetFullPath());
  }

  void OnThumbnailSelected(int index) override {
    if (index == current_ || index < 0 || index >= static_cast<int>(names_.size())) return;
    current_ = index;
    wxLogNull quiet;
    image_.LoadFile(Utf8(ImagePath(index)));
    ui_.RefreshPreview();
    ui_.ShowMessagePanel({}, {}, false, false);
    const unsigned w = image_.IsOk() ? static_cast<unsigned>(image_.GetWidth()) : 0;
    const unsigned h = image_.IsOk() ? static_cast<unsigned>(image_.GetHeight()) : 0;
    const unsigned capacity = w * h / 8;
    ui_.SetStatusText(ToUtf8(wxString::Format("%ux%u Storage capacity: %u Ks (%u bytes)", w, h,
                                              capacity / 1024, capacity)));
  }

  void SetImageKind(int, int) override {}
  ThumbnailMaker MakeThumbnailMaker() const override { return MakeThumbnail; }

 private:
  template <typename F>
  void Modal(F run) {
    ScopedToolWindowsHidden hidden(ui_);
    run();
  }

  DocumentUi& ui_;
  SettingsStore& settings_;
  std::string samples_;
  std::string folder_;
  std::vector<std::string> names_;
  std::vector<std::string> diskNames_;
  wxImage image_;
  int current_ = -1;
  PasswordsDialogData passwords_;
  std::string message_;
  bool saveMessage_ = true;
};

}  // namespace

std::unique_ptr<AppDocument> CreateDocument(DocumentUi& ui, SettingsStore& settings,
                                            const std::string& samplesFolder) {
  return std::make_unique<PlaceholderDocument>(ui, settings, samplesFolder);
}

}  // namespace veilmark::app
