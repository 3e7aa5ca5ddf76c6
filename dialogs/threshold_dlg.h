// Edit/Threshold: asks for the level 0..255.
#pragma once

#include <wx/dialog.h>

#include <optional>
#include <string>

class wxTextCtrl;

namespace veilmark {

// The level typed into the Threshold box; nullopt unless it is an integer 0..255.
std::optional<int> ParseThreshold(const std::string& text);

class CThresholdDlg : public wxDialog {
 public:
  CThresholdDlg(wxWindow* parent, int value);
  int Value() const { return value_; }
  wxTextCtrl* Edit() const { return edit_; }

 private:
  void OnOK(wxCommandEvent& event);

  wxTextCtrl* edit_ = nullptr;
  int value_;
};

}  // namespace veilmark
