#include "dialogs/dialog_util.h"

#include <wx/button.h>
#include <wx/dialog.h>
#include <wx/msgdlg.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/utils.h>

namespace veilmark {

void LimitTextLength(wxTextCtrl* text, std::size_t limit) {
  if (text->IsSingleLine()) text->SetMaxLength(static_cast<unsigned long>(limit));
  text->Bind(wxEVT_TEXT, [text, limit](wxCommandEvent& event) {
    event.Skip();
    const wxString value = text->GetValue();
    if (value.length() <= limit) return;
    const long insertion = text->GetInsertionPoint();
    text->ChangeValue(value.Left(limit));
    text->SetInsertionPoint(std::min<long>(insertion, static_cast<long>(limit)));
    wxBell();
  });
}

void FitCaption(wxDialog* dialog) {
  // Room for the caption in a slightly larger bold font and the window buttons.
  const int wanted = dialog->GetTextExtent(dialog->GetTitle()).x * 5 / 4 + dialog->FromDIP(110);
  const wxSize size = dialog->GetSize();
  if (size.x < wanted) {
    dialog->SetMinSize(wxSize(wanted, -1));
    dialog->SetSize(wanted, size.y);
    dialog->Layout();
  }
  dialog->CentreOnScreen();
}

void AppMessage(wxWindow* parent, const wxString& text) {
  wxMessageBox(text, kAppName, wxOK | wxICON_QUESTION | wxSTAY_ON_TOP, parent);
}

wxSizer* ValueDialogLayout(wxDialog* dialog, const char* label, wxTextCtrl* edit) {
  auto* left = new wxBoxSizer(wxVERTICAL);
  left->Add(new wxStaticText(dialog, wxID_ANY, label), 0, wxBOTTOM, 4);
  left->Add(edit, 0, wxEXPAND);
  auto* right = new wxBoxSizer(wxVERTICAL);
  auto* ok = new wxButton(dialog, wxID_OK, "OK");
  ok->SetDefault();
  right->Add(ok, 0, wxEXPAND | wxBOTTOM, 6);
  right->Add(new wxButton(dialog, wxID_CANCEL, "Cancel"), 0, wxEXPAND);
  auto* root = new wxBoxSizer(wxHORIZONTAL);
  root->Add(left, 1, wxALL, 10);
  root->Add(right, 0, wxTOP | wxRIGHT | wxBOTTOM, 10);
  return root;
}

}  // namespace veilmark
