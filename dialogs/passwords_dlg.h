// Settings/Passwords: the five password slots and the slot used for encryption.
#pragma once

#include "core/document/dialog_logic.h"

#include <wx/dialog.h>

#include <array>
#include <string>

class wxCheckBox;
class wxRadioButton;
class wxTextCtrl;

namespace veilmark {

class CPasswordsDlg : public wxDialog {
 public:
  CPasswordsDlg(wxWindow* parent, const PasswordsDialogData& data);
  PasswordsDialogData Data() const;

  wxTextCtrl* Edit(int slot) const { return edits_[static_cast<std::size_t>(slot)]; }
  wxRadioButton* Radio(int slot) const { return radios_[static_cast<std::size_t>(slot)]; }

 private:
  void OnOK(wxCommandEvent& event);

  std::array<wxTextCtrl*, 5> edits_{};
  std::array<wxRadioButton*, 5> radios_{};
  wxCheckBox* save_ = nullptr;
};

}  // namespace veilmark
