#include "dialogs/gamma_dlg.h"

#include "dialogs/dialog_util.h"

#include <wx/sizer.h>
#include <wx/textctrl.h>
#include <wx/valtext.h>

#include <charconv>
#include <cmath>

namespace veilmark {

std::optional<float> ParseGamma(const std::string& text) {
  const auto first = text.find_first_not_of(' ');
  const auto last = text.find_last_not_of(' ');
  if (first == std::string::npos) return std::nullopt;
  const char* begin = text.data() + first;
  const char* end = text.data() + last + 1;
  float value = 0;
  const auto [ptr, ec] = std::from_chars(begin, end, value, std::chars_format::fixed);
  if (ec != std::errc() || ptr != end || !std::isfinite(value)) return std::nullopt;
  return value;
}

CGammaDlg::CGammaDlg(wxWindow* parent, float value)
    : wxDialog(parent, wxID_ANY, "Gamma", wxDefaultPosition, wxDefaultSize, wxCAPTION),
      value_(value) {
  wxTextValidator digits(wxFILTER_INCLUDE_CHAR_LIST);
  digits.SetCharIncludes("0123456789.");
  edit_ = new wxTextCtrl(this, 1001, wxString::FromCDouble(value), wxDefaultPosition,
                         ConvertDialogToPixels(wxSize(50, -1)), 0, digits);
  SetSizerAndFit(ValueDialogLayout(this, "Gamma factor:", edit_));
  FitCaption(this);
  edit_->SetFocus();
  edit_->SelectAll();
  Bind(wxEVT_BUTTON, &CGammaDlg::OnOK, this, wxID_OK);
}

void CGammaDlg::OnOK(wxCommandEvent& event) {
  const auto value = ParseGamma(ToUtf8(edit_->GetValue()));
  if (!value) {
    AppMessage(this, "Please enter a number.");
    edit_->SetFocus();
    return;
  }
  value_ = *value;
  event.Skip();
}

}  // namespace veilmark
