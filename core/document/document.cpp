// Construction, settings, folder listing, selection, undo history and command enabling.
#include "core/document/document.h"

#include "core/base/atomic_file.h"
#include "core/base/text_util.h"
#include "core/document/command_ids.h"
#include "core/document/flows.h"
#include "core/document/settings.h"
#include "core/image/argb_image.h"
#include "core/image/imaging.h"
#include "core/stego/kinds.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <system_error>

namespace fs = std::filesystem;

namespace veilmark {

using stego::KIND_HIDDEN_IMAGE;
using stego::KIND_HIDDEN_MESSAGE;
using stego::KIND_PLAIN;

using namespace image;  // command ids

namespace {
bool IsImageOperation(int id) { return ImageOpForCommand(id).has_value(); }

constexpr char kFirstRunPassword[] = "quintus4072";
}  // namespace

CLumicraftDoc::CLumicraftDoc(DocumentUi& ui, SettingsStore& settings, std::string samplesFolder)
    : m_strSamplesFolder(std::move(samplesFolder)), m_ui(ui), m_settings(settings) {
  LoadSettings();
}

CLumicraftDoc::~CLumicraftDoc() {
  if (m_hWorker.joinable()) m_hWorker.join();
  m_pImage.reset();
  RemoveTempImage();
  if (!m_strPrivateTemp.empty()) {
    std::error_code ec;
    fs::remove_all(m_strPrivateTemp, ec);
  }
}

// --- Settings ---------------------------------------------------------------------------

void CLumicraftDoc::LoadSettings() {
  settings_mapping::Load(m_settings, m_crypto, m_hide);

  if (m_settings.GetInt("VeilmarkData", 1) != 0) {
    m_settings.WriteInt("VeilmarkData", 0);
    m_crypto.m_arrPasswords[0] = kFirstRunPassword;
    m_crypto.m_nPasswordIndex = 0;
    m_settings.WriteString("PasswordCry01", m_crypto.m_arrPasswords[0]);
    m_settings.WriteInt(kSelectedPasswordValueName, 0);
    m_settings.Flush();
    OnHelpDisclaimer();
    if (!m_strSamplesFolder.empty()) {
      m_settings.WriteString("FolderSelected", m_strSamplesFolder);
      m_settings.Flush();
    }
  }
}

void CLumicraftDoc::SaveSettings() { settings_mapping::Save(m_settings, m_crypto, m_hide); }

void CLumicraftDoc::SetSaveFlags(bool passwords, bool message, bool cryMessages) {
  m_crypto.m_bSavePasswords = passwords ? 1 : 0;
  m_hide.m_bSaveMessage = message ? 1 : 0;
  m_crypto.m_bSaveCryMessages = cryMessages ? 1 : 0;
}

void CLumicraftDoc::SetPassword(int slot, std::string password) {
  if (slot >= 0 && slot < crypto::kPasswordSlots)
    m_crypto.m_arrPasswords[static_cast<std::size_t>(slot)] = std::move(password);
}

void CLumicraftDoc::SetWorkingImage(std::unique_ptr<image::ArgbImage> image) {
  if (!IsBusy()) m_pImage = std::move(image);
}

void CLumicraftDoc::ReleaseWorkingImage() {
  m_pImage.reset();
  m_ui.RefreshPreview();
  RemoveTempImage();
}

const std::string& CLumicraftDoc::PasswordForEncryption() const {
  return m_crypto
      .m_arrPasswords[static_cast<std::size_t>(crypto::ValidSlotIndex(m_crypto.m_nPasswordIndex))];
}

// --- Folder and selection ----------------------------------------------------------------

bool CLumicraftDoc::OpenFolder(const std::string& path) {
  if (!MayReplaceWorkingImage()) return false;
  m_ui.StopThumbnailBuilder();
  m_folder.m_strFolder = path;
  DropWorkingImage();
  m_ui.SetStatusText({});
  m_folder.Relist();
  m_ui.StartThumbnailBuilder();
  ShowFolderStatistics();
  return true;
}

void CLumicraftDoc::DropWorkingImage() {
  m_nCurrent = -1;
  m_pImage.reset();
  m_bModified = false;
  ClearUndo();
  m_ui.RefreshPreview();
  m_ui.ShowMessagePanel({}, {}, false, false);
  RemoveTempImage();
}

void CLumicraftDoc::RefreshCurrentFolder(const std::string& status) {
  if (m_folder.m_strFolder.empty()) return;
  // The command removed the file the working image came from (it encrypted it): unsaved
  // changes are asked about first, and Cancel keeps the image with the list as it was.
  if (HasValidSelection() && !PathExists(ImagePath(m_nCurrent)) && !MayReplaceWorkingImage()) {
    if (!status.empty()) m_ui.SetStatusText(status);
    return;
  }
  m_ui.StopThumbnailBuilder();
  const std::string selected = HasValidSelection()
                                   ? m_folder.m_arrDiskNames[static_cast<std::size_t>(m_nCurrent)]
                                   : std::string();
  const int kind = CurrentKind();
  m_folder.Relist();
  // The working image, its undo steps and what it shows stay while its file is listed (a
  // save or an extraction only adds files beside it); once the file is gone, so is it.
  const auto kept =
      std::find(m_folder.m_arrDiskNames.begin(), m_folder.m_arrDiskNames.end(), selected);
  if (!selected.empty() && kept != m_folder.m_arrDiskNames.end()) {
    m_nCurrent = static_cast<int>(kept - m_folder.m_arrDiskNames.begin());
    m_folder.m_arrKinds[static_cast<std::size_t>(m_nCurrent)] = kind;
  } else {
    DropWorkingImage();
  }
  m_ui.StartThumbnailBuilder();
  ShowFolderStatistics();
  if (!status.empty()) m_ui.SetStatusText(status);
}

bool CLumicraftDoc::IsInCurrentFolder(const std::string& path) const {
  if (m_folder.m_strFolder.empty()) return false;
  std::error_code ec;
  return fs::equivalent(fs::u8path(path).parent_path(), fs::u8path(m_folder.m_strFolder), ec);
}

void CLumicraftDoc::ShowFolderStatistics() {
  if (m_folder.m_nFileCount == 0) {
    m_ui.ShowFolderInfo({}, false);
    return;
  }
  const std::string text =
      FolderStatisticsText(m_folder.m_nFileCount, m_folder.m_nImageCount, m_folder.m_nCryCount);
  if (m_folder.m_nImageCount != 0) {
    m_ui.SetStatusText(text);
    m_ui.ShowFolderInfo({}, false);
  } else {
    m_ui.ShowFolderInfo(text, true);
  }
}

std::string CLumicraftDoc::ImagePath(int index) const {
  if (!m_folder.IsListed(index)) return {};
  return JoinPath(m_folder.m_strFolder, m_folder.m_arrDiskNames[static_cast<std::size_t>(index)]);
}

void CLumicraftDoc::SetImageKind(int index, int kind) {
  if (index >= 0 && static_cast<std::size_t>(index) < m_folder.m_arrKinds.size())
    m_folder.m_arrKinds[static_cast<std::size_t>(index)] = kind;
}

bool CLumicraftDoc::MayReplaceWorkingImage() {
  if (IsBusy()) return false;
  if (!m_bModified || !m_pImage) return true;
  switch (m_ui.AskYesNoCancel("The image has unsaved changes. Save them as PNG?", "Veilmark",
                              MessageIcon::Question)) {
    case YesNoCancel::kYes:
      return SaveImageAs("png");  // a failed save keeps the image
    case YesNoCancel::kNo:
      return true;
    case YesNoCancel::kCancel:
      break;
  }
  return false;
}

bool CLumicraftDoc::OnThumbnailSelected(int index) {
  if (index == m_nCurrent) return true;
  if (!MayReplaceWorkingImage()) return false;
  if (!m_folder.IsListed(index)) return true;
  const std::string path = ImagePath(index);
  std::error_code ec;
  if (!fs::exists(fs::u8path(path), ec)) return true;
  std::string name, message;
  const int kind = m_folder.m_arrKinds[static_cast<std::size_t>(index)];
  if (kind > KIND_PLAIN) {
    const image::ArgbImage carrier = image::DecodeImageFile(path);
    if (kind == KIND_HIDDEN_IMAGE)
      ReadHiddenPayload(carrier, false, DEST_CURRENT_DIR, name, message);
    else if (kind == KIND_HIDDEN_MESSAGE)
      ReadHiddenPayload(carrier, false, DEST_MESSAGE, name, message);
    else
      ReadHiddenPayload(carrier, true, DEST_MESSAGE, name, message);
  }
  SelectImage(index, name, message);
  return true;
}

void CLumicraftDoc::SelectImage(int index, const std::string& hiddenName,
                                const std::string& hiddenMessage) {
  // While an image operation runs, its worker owns the image and the undo slots are its.
  if (index == m_nCurrent || IsBusy()) return;
  m_nCurrent = index;
  m_pImage.reset();
  m_bModified = false;
  ClearUndo();
  if (!HasValidSelection()) return;
  RemoveTempImage();

  const int kind = CurrentKind();
  std::string file;
  if (!hiddenName.empty() && kind == KIND_HIDDEN_IMAGE) {
    file = JoinPath(PrivateTempFolder(), hiddenName);
    m_strTempImagePath = file;
  } else {
    file = ImagePath(index);
  }

  // Hidden names and messages come from the image: shown, they may break lines but never
  // carry controls or reorder the text around them.
  if (!hiddenMessage.empty())
    m_ui.ShowMessagePanel("Secret message:", VisibleText(hiddenMessage, true), true, true);
  else
    m_ui.ShowMessagePanel({}, {}, false, false);

  m_pImage = std::make_unique<image::ArgbImage>(image::DecodeImageFile(file));
  m_ui.RefreshPreview();
  m_bPayloadJustEmbedded = false;

  const std::string shownName = VisibleText(hiddenName);
  if (!hiddenName.empty() && kind == KIND_HIDDEN_IMAGE) {
    m_ui.SetStatusText(Format("%s (hidden image)", shownName.c_str()));
  } else if (!hiddenName.empty()) {
    const std::string text = Format("%s (hidden file) Use File/Extract", shownName.c_str());
    m_ui.SetStatusText(text);
    if (kind != KIND_HIDDEN_MESSAGE) m_ui.ShowMessagePanel(text, {}, true, false);
  } else {
    m_ui.SetStatusText(CapacityText(m_pImage->Width(), m_pImage->Height()));
  }
}

void CLumicraftDoc::RemoveTempImage() {
  if (m_strTempImagePath.empty()) return;
  const fs::path path = fs::u8path(m_strTempImagePath);
  std::error_code ec;
  if (!fs::exists(path, ec)) return;
  { std::ofstream truncate(path, std::ios::binary | std::ios::trunc); }
  fs::remove(path, ec);
  m_strTempImagePath.clear();
}

const std::string& CLumicraftDoc::PrivateTempFolder() {
  if (m_strPrivateTemp.empty()) m_strPrivateTemp = MakePrivateTempFolder();
  return m_strPrivateTemp;
}

bool CLumicraftDoc::HasValidSelection() const { return m_folder.IsListed(m_nCurrent); }

int CLumicraftDoc::CurrentKind() const {
  return HasValidSelection() ? m_folder.m_arrKinds[static_cast<std::size_t>(m_nCurrent)]
                             : KIND_PLAIN;
}

// --- Undo ----------------------------------------------------------------------------------

void CLumicraftDoc::PushUndo() {
  if (IsBusy()) return;
  m_undo.Commit(m_pImage ? std::make_unique<image::ArgbImage>(m_pImage->Clone()) : nullptr);
}

void CLumicraftDoc::ClearUndo() { m_undo.Clear(); }

void CLumicraftDoc::OnEditUndo() {
  if (IsBusy() || !m_undo.Undo(m_pImage)) return;
  m_ui.RefreshPreview();
  m_bPayloadJustEmbedded = false;
  // Undo back to the loaded state still counts as a change: asking once too often is cheap.
  m_bModified = true;
}

void CLumicraftDoc::OnEditRedo() {
  if (IsBusy() || !m_undo.Redo(m_pImage)) return;
  m_ui.RefreshPreview();
  m_bPayloadJustEmbedded = false;
  m_bModified = true;
}

std::string CLumicraftDoc::UndoMenuText() const { return Format("&Undo (%d)", m_undo.Position()); }

// --- Commands ------------------------------------------------------------------------------

bool CLumicraftDoc::IsCommandEnabled(int id) const {
  const bool image = m_pImage != nullptr;
  const bool idle = !IsBusy();
  const bool listed = !m_folder.m_arrKinds.empty();
  const int kind = CurrentKind();
  if (IsImageOperation(id)) return image && idle && kind <= KIND_PLAIN;
  switch (id) {
    case ID_EDIT_UNDO:
      return image && idle && m_undo.CanUndo();
    case ID_EDIT_REDO:
      return image && idle && m_undo.CanRedo();
    case ID_APP_EXIT:
      return idle;
    case ID_FOLDER_SAMPLES:
      return idle;
    case ID_FOLDER_REFRESH:
    case ID_ENCRYPT_FOLDER:
    case ID_DECRYPT_FOLDER:
      return !m_folder.m_strFolder.empty() && idle;
    case ID_HIDE_UNSELECT_FILE:
      return !m_hide.m_strFileToHide.empty();
    case ID_FILE_EXTRACT_HIDDEN:
      return image && idle && listed && kind != KIND_PLAIN;
    case ID_HIDE_FILE:
      return image && idle && listed && !m_hide.m_strFileToHide.empty() &&
             !m_bPayloadJustEmbedded && kind <= KIND_PLAIN;
    case ID_HIDE_MESSAGE:
      return image && idle && listed && !m_hide.m_strMessageToHide.empty() &&
             !m_bPayloadJustEmbedded && kind <= KIND_PLAIN;
    case ID_HIDE_ANALYSE:
    case ID_FILE_SAVE_PNG:
    case ID_FILE_SAVE_BMP:
    case ID_FILE_SAVE_TIFF:
      return image && idle;
    case ID_FILE_SAVE_JPG:
    case ID_FILE_SAVE_GIF:
      return image && idle && !m_bPayloadJustEmbedded;
    case ID_FILE_PRINT:
    case ID_FILE_PRINT_DIRECT:
    case ID_FILE_PRINT_PREVIEW:
      return image && idle;
    default:
      return true;
  }
}

bool CLumicraftDoc::OnCommand(int id) {
  // A disabled command never runs, whatever route it came by (accelerator, toolbar, tests).
  if (!IsCommandEnabled(id)) return true;
  if (IsImageOperation(id)) {
    OnImageOperationCommand(id);
    return true;
  }
  switch (id) {
    case ID_FILE_EXTRACT_HIDDEN:
      OnExtractHiddenFile();
      break;
    case ID_FILE_SAVE_PNG:
      SaveAndRefresh("png");
      break;
    case ID_FILE_SAVE_BMP:
      SaveAndRefresh("bmp");
      break;
    case ID_FILE_SAVE_TIFF:
      SaveAndRefresh("tiff");
      break;
    case ID_FILE_SAVE_JPG:
      SaveAndRefresh("jpg");
      break;
    case ID_FILE_SAVE_GIF:
      SaveAndRefresh("gif");
      break;
    case ID_HIDE_SELECT_FILE:
      OnSelectFileToHide();
      break;
    case ID_HIDE_UNSELECT_FILE:
      OnUnselectFileToHide();
      break;
    case ID_HIDE_FILE:
      OnHideFile();
      break;
    case ID_HIDE_ENTER_MESSAGE:
      OnEnterMessageToHide();
      break;
    case ID_HIDE_MESSAGE:
      OnHideMessage();
      break;
    case ID_HIDE_ANALYSE:
      OnAnalyseImage();
      break;
    case ID_ENCRYPT_FILE:
      OnEncryptFile();
      break;
    case ID_DECRYPT_FILE:
      OnDecryptFile();
      break;
    case ID_ENCRYPT_FOLDER:
      OnEncryptFolder();
      break;
    case ID_DECRYPT_FOLDER:
      OnDecryptFolder();
      break;
    case ID_ENCRYPT_MESSAGE:
      OnEncryptDecryptMessage();
      break;
    case ID_SETTINGS_PASSWORDS:
      OnSettingsPasswords();
      break;
    case ID_EDIT_UNDO:
      OnEditUndo();
      break;
    case ID_EDIT_REDO:
      OnEditRedo();
      break;
    case ID_FOLDER_REFRESH:
      OnViewRefreshFolder();
      break;
    case ID_FOLDER_SAMPLES:
      OnViewSamplesFolder();
      break;
    case ID_FOLDER_OPEN_IN_BROWSER:
      OnOpenFolder();
      break;
    case ID_HELP_FRAME_COLORS:
      OnHelpFrameColors();
      break;
    case ID_HELP_WEB_SITE:
      OnHelpWebSite();
      break;
    case ID_HELP_DISCLAIMER:
      OnHelpDisclaimer();
      break;
    case ID_HELP_ABOUT:
      OnHelpAbout();
      break;
    default:
      return false;
  }
  return true;
}

}  // namespace veilmark
