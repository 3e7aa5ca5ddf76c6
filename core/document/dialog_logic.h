// What the dialogs decide, apart from their windows: validation rules and the message
// encryption dialog's buttons. The desktop dialogs call these; tests call them directly.
#pragma once

#include "core/document/document_ui.h"
#include "core/document/flows.h"

#include <string>

namespace veilmark {

inline constexpr std::size_t kMaxFileToHidePath = 64;

// The refusal text of the Passwords dialog's OK button, or empty when the values pass.
std::string PasswordsValidationMessage(const PasswordsDialogData& data);

class CLumicraftDoc;

// The message encryption dialog's state and buttons. Texts are shown by the dialog after
// every button; messages go through the document's user-interface port.
class MessageDialogModel {
 public:
  MessageDialogModel(CLumicraftDoc& doc, DocumentPrompts& prompts, PlatformServices& platform);

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
  DocumentPrompts& prompts_;
  PlatformServices& platform_;
};

}  // namespace veilmark
