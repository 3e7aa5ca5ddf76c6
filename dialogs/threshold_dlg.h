// Edit/Threshold: asks for the level 0..255.
#pragma once

#include <wx/dialog.h>

#include <optional>
#include <string>

class wxTextCtrl;

namespace veilmark {

// The level typed into the Threshold box; nullopt unless it is an integer 0..255.
std::optional<int> ParseThreshold(const std::string& text);

// Mid-grey: the level the dialog offers first, so that OK alone gives a useful picture.
inline constexpr int kThresholdStartLevel = 128;

class CThresholdDlg : public wxDialog {
 public:
  explicit CThresholdDlg(wxWindow* parent, int value = kThresholdStartLevel);
  int Value() const { return value_; }
  wxTextCtrl* Edit() const { return edit_; }

 private:
  void OnOK(wxCommandEvent& event);

  wxTextCtrl* edit_ = nullptr;
  int value_;
};

}  // namespace veilmark
