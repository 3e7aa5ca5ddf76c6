// What the dialogs decide, apart from their windows: validation rules and the message
// encryption dialog's buttons. The desktop dialogs call these; tests call them directly.
#pragma once

#include "core/document/document_ui.h"

#include <string>

namespace veilmark {

inline constexpr std::size_t kMaxPasswordLength = 64;
inline constexpr std::size_t kMaxMessageLength = 16384;
inline constexpr std::size_t kMaxFileToHidePath = 64;

// "The selected encryption password (%d) is empty...." for slot index 0..4.
std::string EmptySlotMessage(int index);

// The refusal text of the Passwords dialog's OK button, or empty when the values pass.
std::string PasswordsValidationMessage(const PasswordsDialogData& data);

class CLumicraftDoc;

// The message encryption dialog's state and buttons. Texts are shown by the dialog after
// every button; messages go through the document's user-interface port.
class MessageDialogModel {
 public:
  MessageDialogModel(CLumicraftDoc& doc, DocumentUi& ui);

  std::string input;
  std::string output;
  bool save = true;

  void Encrypt();
  void Decrypt();
  void Clear();
  void Paste();
  void Copy();

 private:
  CLumicraftDoc& doc_;
  DocumentUi& ui_;
};

}  // namespace veilmark
