// The message to hide within an image.
#pragma once

#include "core/document/dialog_logic.h"

#include <wx/dialog.h>

#include <string>

class wxCheckBox;
class wxTextCtrl;

namespace veilmark {

class CSecretMessageDlg : public wxDialog {
 public:
  enum { ID_CLEAR = wxID_HIGHEST + 1 };

  CSecretMessageDlg(wxWindow* parent, const std::string& message, bool save);
  std::string Message() const;
  bool Save() const;

  wxTextCtrl* MessageEdit() const { return edit_; }
  wxCheckBox* SaveBox() const { return save_; }

 private:
  // Empties the text and puts the Save box back to its state at opening.
  void OnClear(wxCommandEvent& event);

  wxTextCtrl* edit_ = nullptr;
  wxCheckBox* save_ = nullptr;
  bool initialSave_;
};

}  // namespace veilmark
