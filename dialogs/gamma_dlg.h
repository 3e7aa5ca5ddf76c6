// Edit/Gamma Colors: asks for the gamma factor.
#pragma once

#include <wx/dialog.h>

#include <optional>
#include <string>

class wxTextCtrl;

namespace veilmark {

// The number typed into the Gamma box; nullopt when it is not a number.
std::optional<float> ParseGamma(const std::string& text);

class CGammaDlg : public wxDialog {
 public:
  CGammaDlg(wxWindow* parent, float value);
  float Value() const { return value_; }
  wxTextCtrl* Edit() const { return edit_; }

 private:
  void OnOK(wxCommandEvent& event);

  wxTextCtrl* edit_ = nullptr;
  float value_;
};

}  // namespace veilmark
