#include "dialogs/secret_message_dlg.h"

#include "dialogs/dialog_util.h"

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

namespace veilmark {

CSecretMessageDlg::CSecretMessageDlg(wxWindow* parent, const std::string& message, bool save)
    : wxDialog(parent, wxID_ANY, "Secret message to hide", wxDefaultPosition, wxDefaultSize,
               wxDEFAULT_DIALOG_STYLE | wxRESIZE_BORDER),
      initialSave_(save) {
  edit_ =
      new wxTextCtrl(this, wxID_ANY, FromUtf8(message), wxDefaultPosition,
                     ConvertDialogToPixels(wxSize(220, 110)), wxTE_MULTILINE | wxTE_PROCESS_ENTER);
  LimitTextLength(edit_, kMaxMessageLength);
  save_ = new wxCheckBox(this, wxID_ANY, "Save");
  save_->SetValue(save);

  auto* hint = new wxStaticText(
      this, wxID_ANY, "Use 'Hide/Hide secret message' to hide this message within 'Image Preview'");

  auto* buttons = new wxBoxSizer(wxHORIZONTAL);
  buttons->Add(new wxButton(this, ID_CLEAR, "Clear"), 0, wxRIGHT, 12);
  buttons->Add(save_, 0, wxALIGN_CENTER_VERTICAL);
  buttons->AddStretchSpacer();
  auto* ok = new wxButton(this, wxID_OK, "OK");
  buttons->Add(ok, 0, wxRIGHT, 6);
  buttons->Add(new wxButton(this, wxID_CANCEL, "Cancel"));

  auto* root = new wxBoxSizer(wxVERTICAL);
  root->Add(new wxStaticText(this, wxID_ANY, "Enter secret message to hide:"), 0,
            wxLEFT | wxRIGHT | wxTOP, 10);
  root->Add(edit_, 1, wxEXPAND | wxALL, 10);
  root->Add(hint, 0, wxLEFT | wxRIGHT | wxBOTTOM, 10);
  root->Add(buttons, 0, wxEXPAND | wxLEFT | wxRIGHT | wxBOTTOM, 10);
  SetSizerAndFit(root);
  FitCaption(this);
  edit_->SetFocus();
  Bind(wxEVT_BUTTON, &CSecretMessageDlg::OnClear, this, ID_CLEAR);
}

std::string CSecretMessageDlg::Message() const { return ToUtf8(edit_->GetValue()); }
bool CSecretMessageDlg::Save() const { return save_->GetValue(); }

void CSecretMessageDlg::OnClear(wxCommandEvent&) {
  edit_->Clear();
  save_->SetValue(initialSave_);
}

}  // namespace veilmark
