// Settings/Passwords: the five password slots and the slot used for encryption.
#pragma once

#include "core/image/document_ui.h"

#include <wx/dialog.h>

#include <array>
#include <string>

class wxCheckBox;
class wxRadioButton;
class wxTextCtrl;

namespace veilmark {

inline constexpr std::size_t kMaxPasswordLength = 64;
inline constexpr std::size_t kMinPasswordLength = 5;

// True when every slot is empty or at least kMinPasswordLength characters long.
bool PasswordLengthsValid(const std::array<wxString, 5>& passwords);

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
