// Hide targets, the secret message, the passwords and the message encryption dialog.
#include "core/base/text_util.h"
#include "core/base/timestamp.h"
#include "core/crypto/message.h"
#include "core/document/command_ids.h"
#include "core/document/dialog_logic.h"
#include "core/document/document.h"
#include "core/document/flows.h"
#include "core/image/imaging.h"

namespace veilmark {

using image::ID_HIDE_FILE_DISPLAY;
using image::ID_HIDE_MESSAGE_DISPLAY;

std::string PasswordsValidationMessage(const PasswordsDialogData& data) {
  for (const std::string& p : data.passwords)
    if (std::string refusal = PasswordLengthRefusal(p); !refusal.empty()) return refusal;
  return {};
}

void CLumicraftDoc::OnSelectFileToHide() {
  ScopedToolWindowsHidden hidden(m_ui);
  const auto path = m_ui.PickFile(FileDialogMode::kHide, "Select file to hide",
                                  image::BuildFileToHideFilter(image::ImageDecoders()));
  if (!path || !PathExists(*path)) return;
  if (path->size() > kMaxFileToHidePath) {
    m_ui.ShowMessage("The name of the selected file is too long.", "File too long",
                     MessageIcon::Error);
    return;
  }
  m_hide.m_strFileToHide = *path;
  UpdateFileToHideMenuItem();
  m_ui.SetStatusText("File to hide selected successfully");
}

void CLumicraftDoc::OnUnselectFileToHide() {
  m_hide.m_strFileToHide.clear();
  UpdateFileToHideMenuItem();
  m_ui.SetStatusText("File to hide successfully unselected");
}

void CLumicraftDoc::OnEnterMessageToHide() {
  ScopedToolWindowsHidden hidden(m_ui);
  std::string message = m_hide.m_strMessageToHide;
  bool save = m_hide.m_bSaveMessage != 0;
  if (!m_ui.EditSecretMessage(message, save)) return;
  m_hide.m_strMessageToHide = CutToCharacters(message, kMaxMessageLength);
  m_hide.m_bSaveMessage = save ? 1 : 0;
  SaveSettings();
  UpdateMessageMenuItem();
}

void CLumicraftDoc::UpdateFileToHideMenuItem() {
  std::string text = "<No file to hide selected>";
  bool checked = false;
  if (!m_hide.m_strFileToHide.empty() && PathExists(m_hide.m_strFileToHide)) {
    text = Format("(%lld Ks) %s", FileSizeOf(m_hide.m_strFileToHide) / 1024,
                  FileNameFromPath(m_hide.m_strFileToHide).c_str());
    checked = true;
  }
  m_ui.SetMenuItem(ID_HIDE_FILE_DISPLAY, text, checked);
}

void CLumicraftDoc::UpdateMessageMenuItem() {
  std::string text = "<No secret message to hide>";
  bool checked = false;
  if (!m_hide.m_strMessageToHide.empty()) {
    std::string shown = CutToCharacters(m_hide.m_strMessageToHide, 20);
    if (shown.size() < m_hide.m_strMessageToHide.size()) shown += "...";
    text =
        Format("(%d bytes) %s", static_cast<int>(m_hide.m_strMessageToHide.size()), shown.c_str());
    checked = true;
  }
  m_ui.SetMenuItem(ID_HIDE_MESSAGE_DISPLAY, text, checked);
}

void CLumicraftDoc::OnSettingsPasswords() {
  ScopedToolWindowsHidden hidden(m_ui);
  PasswordsDialogData data;
  for (int i = 0; i < crypto::kPasswordSlots; ++i)
    data.passwords[i] = m_crypto.m_arrPasswords[static_cast<std::size_t>(i)];
  data.selected =
      m_crypto.m_nPasswordIndex >= 0 && m_crypto.m_nPasswordIndex < crypto::kPasswordSlots
          ? m_crypto.m_nPasswordIndex
          : -1;
  data.save = m_crypto.m_bSavePasswords != 0;
  if (!m_ui.EditPasswords(data)) return;
  for (int i = 0; i < crypto::kPasswordSlots; ++i) {
    m_crypto.m_arrPasswords[static_cast<std::size_t>(i)] =
        CutToCharacters(data.passwords[i], kMaxPasswordLength);
  }
  m_crypto.m_nPasswordIndex = data.selected >= 1 && data.selected <= 4 ? data.selected : 0;
  m_crypto.m_bSavePasswords = data.save ? 1 : 0;
  SaveSettings();
}

const std::string* CLumicraftDoc::EncryptionPasswordOrWarn() {
  const std::string& password = PasswordForEncryption();
  if (!password.empty()) return &password;
  m_ui.ShowMessage(EmptySlotMessage(crypto::ValidSlotIndex(m_crypto.m_nPasswordIndex)), {},
                   MessageIcon::Question);
  return nullptr;
}

bool CLumicraftDoc::CheckPasswordsDefined() {
  if (crypto::AnyPasswordDefined(m_crypto.m_arrPasswords)) return true;
  m_ui.ShowMessage(
      "There are no defined passwords to decrypt.\nPlease define the passwords in "
      "'Settings/Passwords'.",
      {}, MessageIcon::Question);
  return false;
}

void CLumicraftDoc::OnEncryptDecryptMessage() {
  ScopedToolWindowsHidden hidden(m_ui);
  MessageDialogModel model(*this, m_ui, m_ui);
  model.input = m_crypto.m_strCryMessageIn;
  model.output = m_crypto.m_strCryMessageOut;
  model.save = m_crypto.m_bSaveCryMessages != 0;
  if (!m_ui.RunMessageDialog(model)) return;
  m_crypto.m_strCryMessageIn = model.input;
  m_crypto.m_strCryMessageOut = model.output;
  m_crypto.m_bSaveCryMessages = model.save ? 1 : 0;
  SaveSettings();
}

MessageDialogModel::MessageDialogModel(CLumicraftDoc& doc, DocumentPrompts& prompts,
                                       PlatformServices& platform)
    : doc_(doc), prompts_(prompts), platform_(platform) {}

void MessageDialogModel::Encrypt() {
  if (input.empty()) {
    prompts_.ShowMessage("Please enter in 'Message input' box the message to encrypt.", {},
                         MessageIcon::Question);
    return;
  }
  const std::string* password = doc_.EncryptionPasswordOrWarn();
  if (!password) return;
  output = crypto::EncryptMessage(crypto::MessagePlaintext(input), *password);
}

void MessageDialogModel::Decrypt() {
  if (input.empty()) {
    prompts_.ShowMessage(
        "Please enter in 'Message input' box the hexadecimal block\nof the message to decrypt.", {},
        MessageIcon::Question);
    return;
  }
  if (!doc_.CheckPasswordsDefined()) return;
  const crypto::BlockShape shape = crypto::InspectMessageBlock(input);
  if (shape == crypto::BlockShape::kNotHex || shape == crypto::BlockShape::kIncomplete) {
    output = crypto::BlockShapeText(shape);
    return;
  }
  if (shape == crypto::BlockShape::kTrailingDigit)
    prompts_.ShowMessage(crypto::BlockShapeText(shape), {}, MessageIcon::Question);
  const crypto::SlotKeyring keyring(doc_.Passwords());
  if (std::optional<std::string> result = crypto::DecryptMessageWithSlots(input, keyring)) {
    output = std::move(*result);
    return;
  }
  output = "Message NOT decrypted, wrong password.";
}

void MessageDialogModel::Clear() {
  input.clear();
  output.clear();
}

void MessageDialogModel::Paste() {
  const auto text = platform_.GetClipboardText();
  if (!text) {
    prompts_.ShowMessage("No text in Clipboard", "Clipboard error", MessageIcon::Error);
    return;
  }
  input = *text;
}

void MessageDialogModel::Copy() { platform_.SetClipboardText(output); }

}  // namespace veilmark
