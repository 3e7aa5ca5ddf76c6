#include "dialogs/threshold_dlg.h"

#include "dialogs/dialog_util.h"

#include <wx/sizer.h>
#include <wx/textctrl.h>
#include <wx/valtext.h>

#include <charconv>

namespace veilmark {

std::optional<int> ParseThreshold(const std::string& text) {
  const auto first = text.find_first_not_of(' ');
  const auto last = text.find_last_not_of(' ');
  if (first == std::string::npos) return std::nullopt;
  const char* begin = text.data() + first;
  const char* end = text.data() + last + 1;
  int value = 0;
  const auto [ptr, ec] = std::from_chars(begin, end, value);
  if (ec != std::errc() || ptr != end || value < 0 || value > 255) return std::nullopt;
  return value;
}

CThresholdDlg::CThresholdDlg(wxWindow* parent, int value)
    : wxDialog(parent, wxID_ANY, "Threshold", wxDefaultPosition, wxDefaultSize, wxCAPTION),
      value_(value) {
  edit_ =
      new wxTextCtrl(this, 1002, wxString::Format("%d", value), wxDefaultPosition,
                     ConvertDialogToPixels(wxSize(54, -1)), 0, wxTextValidator(wxFILTER_DIGITS));
  SetSizerAndFit(ValueDialogLayout(this, "Level [0 ... 255]", edit_));
  FitCaption(this);
  edit_->SetFocus();
  edit_->SelectAll();
  Bind(wxEVT_BUTTON, &CThresholdDlg::OnOK, this, wxID_OK);
}

void CThresholdDlg::OnOK(wxCommandEvent& event) {
  const auto value = ParseThreshold(ToUtf8(edit_->GetValue()));
  if (!value) {
    AppMessage(this, "Please enter an integer between 0 and 255.");
    edit_->SetFocus();
    return;
  }
  value_ = *value;
  event.Skip();
}

}  // namespace veilmark
