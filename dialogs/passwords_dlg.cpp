#include "dialogs/passwords_dlg.h"

#include "dialogs/dialog_util.h"

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/radiobut.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

namespace veilmark {

CPasswordsDlg::CPasswordsDlg(wxWindow* parent, const PasswordsDialogData& data)
    : wxDialog(parent, wxID_ANY, "Encryption / Decryption passwords") {
  auto* grid = new wxFlexGridSizer(2, 6, 12);
  grid->Add(new wxStaticText(this, wxID_ANY, "Passwords"));
  grid->Add(new wxStaticText(this, wxID_ANY, "Encryption"), 0, wxALIGN_CENTER_HORIZONTAL);
  const int editWidth = ConvertDialogToPixels(wxSize(91, 0)).x;
  for (int i = 0; i < 5; ++i) {
    auto* edit = new wxTextCtrl(this, wxID_ANY, FromUtf8(data.passwords[i]), wxDefaultPosition,
                                wxSize(editWidth, -1));
    LimitTextLength(edit, kMaxPasswordLength);
    auto* radio = new wxRadioButton(this, wxID_ANY, wxString(), wxDefaultPosition, wxDefaultSize,
                                    i == 0 ? wxRB_GROUP : 0);
    edits_[static_cast<std::size_t>(i)] = edit;
    radios_[static_cast<std::size_t>(i)] = radio;
    grid->Add(edit, 1, wxEXPAND);
    grid->Add(radio, 0, wxALIGN_CENTER);
  }
  // A radio group always has one button set here; an index outside 0..4 shows slot 1,
  // which is also what OK stores for it.
  const int selected = data.selected >= 0 && data.selected < 5 ? data.selected : 0;
  radios_[static_cast<std::size_t>(selected)]->SetValue(true);
  grid->AddGrowableCol(0);

  auto* note = new wxStaticText(this, wxID_ANY,
                                "The five passwords are used to try to decrypt content, but "
                                "only the selected password will be used to encrypt content.");
  note->Wrap(editWidth + ConvertDialogToPixels(wxSize(60, 0)).x);

  save_ = new wxCheckBox(this, wxID_ANY, "Save");
  save_->SetValue(data.save);
  auto* buttons = new wxBoxSizer(wxHORIZONTAL);
  buttons->Add(save_, 0, wxALIGN_CENTER_VERTICAL);
  buttons->AddStretchSpacer();
  buttons->Add(new wxButton(this, wxID_CANCEL, "Cancel"), 0, wxRIGHT, 6);
  auto* ok = new wxButton(this, wxID_OK, "OK");
  ok->SetDefault();
  buttons->Add(ok);

  auto* root = new wxBoxSizer(wxVERTICAL);
  root->Add(grid, 0, wxEXPAND | wxALL, 10);
  root->Add(note, 0, wxLEFT | wxRIGHT | wxBOTTOM, 10);
  root->Add(buttons, 0, wxEXPAND | wxLEFT | wxRIGHT | wxBOTTOM, 10);
  SetSizerAndFit(root);
  FitCaption(this);
  Bind(wxEVT_BUTTON, &CPasswordsDlg::OnOK, this, wxID_OK);
}

PasswordsDialogData CPasswordsDlg::Data() const {
  PasswordsDialogData data;
  data.selected = 0;
  for (int i = 0; i < 5; ++i) {
    data.passwords[i] = ToUtf8(edits_[static_cast<std::size_t>(i)]->GetValue());
    if (radios_[static_cast<std::size_t>(i)]->GetValue()) data.selected = i;
  }
  data.save = save_->GetValue();
  return data;
}

void CPasswordsDlg::OnOK(wxCommandEvent& event) {
  const std::string refusal = PasswordsValidationMessage(Data());
  if (!refusal.empty()) {
    AppMessage(this, FromUtf8(refusal));
    return;
  }
  event.Skip();  // the standard OK: validate, transfer, close
}

}  // namespace veilmark
