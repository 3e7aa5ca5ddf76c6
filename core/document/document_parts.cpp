#include "core/document/document_parts.h"

#include "core/document/flows.h"
#include "core/document/settings.h"
#include "core/image/argb_image.h"
#include "core/stego/kinds.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace veilmark {

// --- Undo history ----------------------------------------------------------------------------

UndoHistory::UndoHistory() = default;
UndoHistory::~UndoHistory() = default;

void UndoHistory::Commit(std::unique_ptr<image::ArgbImage> snapshot) {
  if (m_nUndoPos >= kUndoSteps) {
    std::rotate(m_apUndo.begin(), m_apUndo.begin() + 1, m_apUndo.end());
    m_apUndo[kUndoSteps - 1].reset();
    m_nUndoPos = kUndoSteps - 1;
  }
  for (int i = m_nUndoPos; i < kUndoSteps; ++i) m_apUndo[static_cast<std::size_t>(i)].reset();
  m_apUndo[static_cast<std::size_t>(m_nUndoPos)] = std::move(snapshot);
  ++m_nUndoPos;
}

void UndoHistory::Clear() {
  for (auto& slot : m_apUndo) slot.reset();
  m_nUndoPos = 0;
}

bool UndoHistory::CanRedo() const {
  return m_nUndoPos < kUndoSteps && m_apUndo[static_cast<std::size_t>(m_nUndoPos)] != nullptr;
}

bool UndoHistory::Undo(std::unique_ptr<image::ArgbImage>& current) {
  if (!CanUndo()) return false;
  --m_nUndoPos;
  std::swap(current, m_apUndo[static_cast<std::size_t>(m_nUndoPos)]);
  return true;
}

bool UndoHistory::Redo(std::unique_ptr<image::ArgbImage>& current) {
  if (!CanRedo()) return false;
  std::swap(current, m_apUndo[static_cast<std::size_t>(m_nUndoPos)]);
  ++m_nUndoPos;
  return true;
}

// --- Folder images ---------------------------------------------------------------------------

void FolderImages::Relist() {
  std::error_code ec;
  FolderListing listing = ListImageFolder(std::filesystem::u8path(m_strFolder), ec);
  m_arrImageNames = std::move(listing.imageNames);
  m_arrDiskNames = std::move(listing.diskNames);
  m_arrKinds.assign(m_arrImageNames.size(), stego::KIND_PLAIN);
  m_nFileCount = listing.fileCount;
  m_nCryCount = listing.cryCount;
  m_nImageCount = static_cast<int>(m_arrImageNames.size());
}

// --- Settings mapping ------------------------------------------------------------------------

namespace settings_mapping {

void Load(SettingsStore& store, CryptoSettings& values, HideTargets& hide) {
  for (int i = 0; i < crypto::kPasswordSlots; ++i)
    values.m_arrPasswords[static_cast<std::size_t>(i)] = store.GetString(kPasswordValueNames[i]);
  values.m_nPasswordIndex = static_cast<int>(store.GetInt(kSelectedPasswordValueName, 0));
  values.m_bSavePasswords = static_cast<int>(store.GetInt("PasswordSaveCry", 1));
  hide.m_strMessageToHide = store.GetString("SecretMessage");
  hide.m_bSaveMessage = static_cast<int>(store.GetInt("SecretMessageSave", 1));
  values.m_strCryMessageIn = store.GetString("CryMessageIn");
  values.m_strCryMessageOut = store.GetString("CryMessageOut");
  values.m_bSaveCryMessages = static_cast<int>(store.GetInt("CryMessagesInOutSave", 1));
}

void Save(SettingsStore& store, const CryptoSettings& values, const HideTargets& hide) {
  crypto::PasswordSlots passwords;
  std::string message, messageIn, messageOut;
  if (values.m_bSavePasswords == 1) passwords = values.m_arrPasswords;
  if (hide.m_bSaveMessage == 1) message = hide.m_strMessageToHide;
  if (values.m_bSaveCryMessages == 1) {
    messageIn = values.m_strCryMessageIn;
    messageOut = values.m_strCryMessageOut;
  }
  for (int i = 0; i < crypto::kPasswordSlots; ++i)
    store.WriteString(kPasswordValueNames[i], passwords[static_cast<std::size_t>(i)]);
  store.WriteInt(kSelectedPasswordValueName, values.m_nPasswordIndex);
  store.WriteInt("PasswordSaveCry", values.m_bSavePasswords);
  store.WriteString("SecretMessage", message);
  store.WriteInt("SecretMessageSave", hide.m_bSaveMessage);
  store.WriteString("CryMessageIn", messageIn);
  store.WriteString("CryMessageOut", messageOut);
  store.WriteInt("CryMessagesInOutSave", values.m_bSaveCryMessages);
  store.Flush();
}

}  // namespace settings_mapping

}  // namespace veilmark
