// Encrypt / Decrypt message: a text and its encrypted hexadecimal block.
#pragma once

#include "core/document/dialog_logic.h"

#include <wx/dialog.h>

#include <string>

class wxCheckBox;
class wxTextCtrl;

namespace veilmark {

// What the dialog's buttons do. The dialog hands the texts it shows to the actions before
// each button and shows what the actions leave afterwards.
class MessageDialogActions {
 public:
  virtual ~MessageDialogActions() = default;
  virtual std::string Input() const = 0;
  virtual void SetInput(const std::string& text) = 0;
  virtual std::string Output() const = 0;
  virtual void SetOutput(const std::string& text) = 0;
  virtual bool Save() const = 0;
  virtual void SetSave(bool save) = 0;

  virtual void Encrypt() = 0;
  virtual void Decrypt() = 0;
  virtual void Clear() = 0;
  virtual void Paste() = 0;
  virtual void Copy() = 0;
};

class CEncryptDecryptMessageDlg : public wxDialog {
 public:
  enum {
    ID_CLEAR = wxID_HIGHEST + 1,
    ID_PASTE,
    ID_ENCRYPT,
    ID_DECRYPT,
    ID_COPY,
  };

  CEncryptDecryptMessageDlg(wxWindow* parent, MessageDialogActions& actions);

  wxTextCtrl* InputEdit() const { return input_; }
  wxTextCtrl* OutputEdit() const { return output_; }
  wxCheckBox* SaveBox() const { return save_; }

 private:
  // Ends the dialog with `result`, shown modally or not.
  void Close(int result);
  void ToActions();
  void FromActions();
  void Run(void (MessageDialogActions::*action)());

  MessageDialogActions& actions_;
  wxTextCtrl* input_ = nullptr;
  wxTextCtrl* output_ = nullptr;
  wxCheckBox* save_ = nullptr;
};

}  // namespace veilmark
