#include "dialogs/message_dlg.h"

#include "dialogs/dialog_util.h"

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

namespace veilmark {

CEncryptDecryptMessageDlg::CEncryptDecryptMessageDlg(wxWindow* parent,
                                                     MessageDialogActions& actions)
    : wxDialog(parent, wxID_ANY, "Encrypt / Decrypt message", wxDefaultPosition, wxDefaultSize,
               wxDEFAULT_DIALOG_STYLE | wxRESIZE_BORDER),
      actions_(actions) {
  const wxSize boxSize = ConvertDialogToPixels(wxSize(168, 90));
  input_ = new wxTextCtrl(this, wxID_ANY, wxString(), wxDefaultPosition, boxSize,
                          wxTE_MULTILINE | wxTE_PROCESS_ENTER);
  LimitTextLength(input_, kMaxMessageLength);
  output_ = new wxTextCtrl(this, wxID_ANY, wxString(), wxDefaultPosition, boxSize,
                           wxTE_MULTILINE | wxTE_READONLY);
  save_ = new wxCheckBox(this, wxID_ANY, "Save");

  auto labelRow = [this](const char* label, int buttonId, const char* button) {
    auto* row = new wxBoxSizer(wxHORIZONTAL);
    row->Add(new wxStaticText(this, wxID_ANY, label), 0, wxALIGN_BOTTOM | wxBOTTOM, 2);
    row->AddStretchSpacer();
    row->Add(new wxButton(this, buttonId, button));
    return row;
  };

  auto* actionsRow = new wxBoxSizer(wxHORIZONTAL);
  actionsRow->Add(new wxButton(this, ID_PASTE, "Paste"), 0, wxRIGHT, 6);
  actionsRow->AddStretchSpacer();
  actionsRow->Add(new wxButton(this, ID_ENCRYPT, "Encrypt message"), 0, wxRIGHT, 6);
  actionsRow->Add(new wxButton(this, ID_DECRYPT, "Decrypt message"));

  auto* bottom = new wxBoxSizer(wxHORIZONTAL);
  bottom->Add(save_, 0, wxALIGN_CENTER_VERTICAL);
  bottom->AddStretchSpacer();
  auto* close = new wxButton(this, wxID_OK, "Close");
  close->SetDefault();
  bottom->Add(close);

  auto* root = new wxBoxSizer(wxVERTICAL);
  root->Add(labelRow("Message input:", ID_CLEAR, "Clear"), 0, wxEXPAND | wxLEFT | wxRIGHT | wxTOP,
            10);
  root->Add(input_, 1, wxEXPAND | wxLEFT | wxRIGHT | wxTOP, 10);
  root->Add(actionsRow, 0, wxEXPAND | wxALL, 10);
  root->Add(labelRow("Message output:", ID_COPY, "Copy"), 0, wxEXPAND | wxLEFT | wxRIGHT, 10);
  root->Add(output_, 1, wxEXPAND | wxLEFT | wxRIGHT | wxTOP, 10);
  root->Add(bottom, 0, wxEXPAND | wxALL, 10);
  SetSizerAndFit(root);
  FitCaption(this);
  FromActions();

  Bind(
      wxEVT_BUTTON, [this](wxCommandEvent&) { Run(&MessageDialogActions::Clear); }, ID_CLEAR);
  Bind(
      wxEVT_BUTTON, [this](wxCommandEvent&) { Run(&MessageDialogActions::Paste); }, ID_PASTE);
  Bind(
      wxEVT_BUTTON, [this](wxCommandEvent&) { Run(&MessageDialogActions::Encrypt); }, ID_ENCRYPT);
  Bind(
      wxEVT_BUTTON, [this](wxCommandEvent&) { Run(&MessageDialogActions::Decrypt); }, ID_DECRYPT);
  Bind(
      wxEVT_BUTTON, [this](wxCommandEvent&) { Run(&MessageDialogActions::Copy); }, ID_COPY);
  Bind(
      wxEVT_BUTTON,
      [this](wxCommandEvent&) {
        ToActions();
        Close(wxID_OK);
      },
      wxID_OK);
  // Without a Cancel button the standard dialog would treat Escape and the close box as
  // "Close", which keeps the texts; both must leave the document as it was.
  Bind(wxEVT_CLOSE_WINDOW, [this](wxCloseEvent&) { Close(wxID_CANCEL); });
  Bind(wxEVT_CHAR_HOOK, [this](wxKeyEvent& event) {
    if (event.GetKeyCode() == WXK_ESCAPE)
      Close(wxID_CANCEL);
    else
      event.Skip();
  });
}

void CEncryptDecryptMessageDlg::Close(int result) {
  SetReturnCode(result);
  EndDialog(result);
}

void CEncryptDecryptMessageDlg::ToActions() {
  actions_.SetInput(ToUtf8(input_->GetValue()));
  actions_.SetOutput(ToUtf8(output_->GetValue()));
  actions_.SetSave(save_->GetValue());
}

void CEncryptDecryptMessageDlg::FromActions() {
  input_->ChangeValue(FromUtf8(actions_.Input()));
  output_->ChangeValue(FromUtf8(actions_.Output()));
  save_->SetValue(actions_.Save());
}

void CEncryptDecryptMessageDlg::Run(void (MessageDialogActions::*action)()) {
  ToActions();
  (actions_.*action)();
  FromActions();
}

}  // namespace veilmark
