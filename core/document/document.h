// CLumicraftDoc: the one document of the program and the hub of its state: the current
// folder and its images, the working image with its undo history, the hide targets, the
// password slots and the other persisted settings, and every document command.
#pragma once

#include "core/crypto/passwords.h"
#include "core/document/document_parts.h"
#include "core/document/document_ui.h"
#include "core/document/flows.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace veilmark {

namespace image {
class ArgbImage;
}
namespace stego {
class PixelGrid;
}
class SettingsStore;

// Detection results of one listed image, as the view hands them to SelectImage.
struct HiddenContent {
  std::string name;
  std::string message;
};

// Delivery modes of ReadHiddenPayload.
enum { DEST_CURRENT_DIR = 1, DEST_FOLDER = 2, DEST_MESSAGE = 3 };

class CLumicraftDoc {
 public:
  static constexpr int kUndoSteps = UndoHistory::kUndoSteps;

  // `samplesFolder` is the folder "Samples" beside the executable (may not exist).
  CLumicraftDoc(DocumentUi& ui, SettingsStore& settings, std::string samplesFolder);
  ~CLumicraftDoc();
  CLumicraftDoc(const CLumicraftDoc&) = delete;
  CLumicraftDoc& operator=(const CLumicraftDoc&) = delete;

  // --- Settings ---------------------------------------------------------------------
  void LoadSettings();
  void SaveSettings();
  const std::string& PasswordForEncryption() const;
  // The selected slot's password; when the slot is empty, says so and returns null.
  const std::string* EncryptionPasswordOrWarn();

  // --- Folder and selection ---------------------------------------------------------
  // False when the working image may not be dropped now (busy, or the user chose to stay):
  // nothing changed.
  bool OpenFolder(const std::string& path);
  void ShowFolderStatistics();
  // Full path of listed image `index`, by the name found on disk.
  std::string ImagePath(int index) const;
  // The view's reaction to a click on thumbnail `index`: detection, then SelectImage.
  // False when the selection must stay where it was (busy, or the user chose to stay).
  bool OnThumbnailSelected(int index);
  // Whether the working image may be dropped: never while an image operation owns it; with
  // unsaved changes only after asking (Yes saves as PNG, No discards, Cancel stays).
  bool MayReplaceWorkingImage();
  void SelectImage(int index, const std::string& hiddenName, const std::string& hiddenMessage);
  // Kind found by the thumbnail builder for listed image `index`.
  void SetImageKind(int index, int kind);
  void RemoveTempImage();

  // --- Undo ---------------------------------------------------------------------------
  void PushUndo();
  void ClearUndo();
  void OnEditUndo();
  void OnEditRedo();

  // --- Commands -----------------------------------------------------------------------
  // Runs the command with this id; false when the document has no such command.
  bool OnCommand(int commandId);
  // The enabling rule of each command; commands without a rule are always enabled.
  bool IsCommandEnabled(int commandId) const;
  std::string UndoMenuText() const;
  // Busy while an image operation runs or long work on the working image is under way:
  // every command that touches the image or the folder is then disabled.
  bool IsBusy() const { return m_hWorker.joinable() || m_nBusyDepth > 0; }

  // Hiding
  void OnHideFile();
  void OnHideMessage();
  bool EmbedFile(const std::string& filePath, const std::string& password);
  double MeasureImageEntropy();
  void OnSelectFileToHide();
  void OnUnselectFileToHide();
  void OnEnterMessageToHide();
  void UpdateFileToHideMenuItem();
  void UpdateMessageMenuItem();
  // What someone without the password can tell from the working image.
  void OnAnalyseImage();

  // Detection and extraction
  int ReadHiddenPayload(const stego::PixelGrid& image, bool detectOnly, int mode,
                        std::string& outName, std::string& outMessage);
  void OnExtractHiddenFile();

  // Saving
  bool SaveImageAs(const std::string& extension);

  // Image operations (run on a worker thread)
  void StartImageOperation(int commandId, std::int64_t param);
  void OnImageOperationCommand(int commandId);

  // Encryption
  bool CheckPasswordsDefined();
  void OnEncryptFile();
  void OnDecryptFile();
  void OnEncryptFolder();
  void OnDecryptFolder();
  void OnEncryptDecryptMessage();
  void OnSettingsPasswords();

  // Help and folder commands
  void OnHelpFrameColors();
  void OnHelpWebSite();
  void OnHelpDisclaimer();
  void OnHelpAbout();
  void OnViewRefreshFolder();
  void OnViewSamplesFolder();
  void OnOpenFolder();

  // A private folder of this process for extracted hidden images and message files.
  const std::string& PrivateTempFolder();

  // --- State, for the view and the tests ---------------------------------------------
  // Null while an image operation runs: its worker owns the image until it hands it back.
  const image::ArgbImage* WorkingImage() const { return m_pImage.get(); }
  // Puts `image` in place of the working image, keeping the undo steps and the modified
  // flag; ignored while an image operation owns the image.
  void SetWorkingImage(std::unique_ptr<image::ArgbImage> image);
  // Drops the working image and the extracted hidden image shown for it (the main window
  // closes).
  void ReleaseWorkingImage();
  // The working image differs from what was loaded or last saved: set by a finished image
  // operation, a hide, Undo and Redo; cleared by loading and by saving.
  bool IsModified() const { return m_bModified; }
  // Set by a hide until the image changes again: lossy saves and a second hide wait.
  bool PayloadJustEmbedded() const { return m_bPayloadJustEmbedded; }
  void SetPayloadJustEmbedded(bool embedded) { m_bPayloadJustEmbedded = embedded; }
  int UndoPosition() const { return m_undo.Position(); }
  std::int64_t OperationParam() const { return m_nOperationParam; }
  const std::string& TempImagePath() const { return m_strTempImagePath; }

  const std::string& Folder() const { return m_folder.m_strFolder; }
  // Lower-cased, as listed.
  const std::vector<std::string>& ImageNames() const { return m_folder.m_arrImageNames; }
  const std::vector<int>& ImageKinds() const { return m_folder.m_arrKinds; }
  int FileCount() const { return m_folder.m_nFileCount; }
  int CryCount() const { return m_folder.m_nCryCount; }
  // The listed image shown, or -1.
  int SelectedIndex() const { return m_nCurrent; }

  const std::string& FileToHide() const { return m_hide.m_strFileToHide; }
  void SetFileToHide(std::string path) { m_hide.m_strFileToHide = std::move(path); }
  const std::string& MessageToHide() const { return m_hide.m_strMessageToHide; }
  void SetMessageToHide(std::string message) { m_hide.m_strMessageToHide = std::move(message); }

  const crypto::PasswordSlots& Passwords() const { return m_crypto.m_arrPasswords; }
  void SetPasswords(const crypto::PasswordSlots& passwords) { m_crypto.m_arrPasswords = passwords; }
  void SetPassword(int slot, std::string password);
  int PasswordIndex() const { return m_crypto.m_nPasswordIndex; }
  void SetCryMessageIn(std::string text) { m_crypto.m_strCryMessageIn = std::move(text); }
  // Which values SaveSettings keeps on disk.
  void SetSaveFlags(bool passwords, bool message, bool cryMessages);

 private:
  std::unique_ptr<image::ArgbImage> m_pImage;
  std::thread m_hWorker;  // joinable exactly while an image operation runs
  int m_nOperation = 0;
  std::int64_t m_nOperationParam = 0;
  bool m_bPayloadJustEmbedded = false;
  bool m_bModified = false;
  FolderImages m_folder;
  std::string m_strTempImagePath;
  HideTargets m_hide;
  CryptoSettings m_crypto;
  std::string m_strSamplesFolder;
  std::array<std::array<std::uint32_t, 256>, 3> m_aRefHistogram{};
  std::int32_t m_nHistogramDelta = 0;
  bool m_bHistogramIsReference = true;
  UndoHistory m_undo;
  int m_nCurrent = -1;

  struct BusyScope {
    explicit BusyScope(CLumicraftDoc& doc) : doc_(doc) {
      ++doc_.m_nBusyDepth;
      doc_.m_ui.SetBusy(true);
    }
    ~BusyScope() {
      doc_.m_ui.SetBusy(false);
      --doc_.m_nBusyDepth;
    }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;
    CLumicraftDoc& doc_;
  };

  void FinishImageOperation(std::unique_ptr<image::ArgbImage> result);
  // No image selected: the working image, its undo steps and what the preview shows go.
  void DropWorkingImage();
  // Re-lists the current folder after a command of ours added or removed files in it,
  // then puts `status` back on the status line the listing overwrote.
  void RefreshCurrentFolder(const std::string& status);
  bool IsInCurrentFolder(const std::string& path) const;
  void SaveAndRefresh(const std::string& extension);
  bool ConfirmReplace(const std::string& target);
  // The "File exists" question about `target`; true to replace it.
  bool AskReplaceExisting(const std::string& target);
  // True when writing the working image as JPEG or GIF may go ahead: the image carries no
  // payload, or the user agreed to lose it in the copy.
  bool ConfirmLossyCopy(const std::string& extension);
  bool ConfirmReplaceOutput(const std::string& output);
  std::function<bool(std::size_t, std::size_t, const std::filesystem::path&)>
  FolderProgressCallback();
  bool HasValidSelection() const;
  int CurrentKind() const;

  DocumentUi& m_ui;
  SettingsStore& m_settings;
  std::string m_strPrivateTemp;
  int m_nBusyDepth = 0;
  // Work posted back to the UI thread runs only while the document still exists.
  std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
};

}  // namespace veilmark
