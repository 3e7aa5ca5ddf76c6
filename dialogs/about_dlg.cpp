#include "dialogs/about_dlg.h"

#include "res/art.h"

#include "dialogs/dialog_util.h"

#include <wx/button.h>
#include <wx/sizer.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>

namespace veilmark {

CAboutDlg::CAboutDlg(wxWindow* parent)
    : wxDialog(parent, wxID_ANY, "About Veilmark", wxDefaultPosition, wxDefaultSize,
               wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX) {
  auto* top = new wxBoxSizer(wxHORIZONTAL);
  top->Add(new wxStaticBitmap(this, wxID_ANY, wxBitmap(res::ProgramIconImage(48))), 0, wxALL, 10);
  auto* heading = new wxBoxSizer(wxVERTICAL);
  auto* version = new wxStaticText(this, wxID_ANY, kVersionText, wxDefaultPosition, wxDefaultSize,
                                   wxST_NO_AUTORESIZE);
  version->SetLabelText(kVersionText);
  version->SetFont(version->GetFont().Bold());
  heading->Add(version, 0, wxBOTTOM, 4);
  heading->Add(new wxStaticText(this, wxID_ANY, "Written by the Veilmark developers"), 0, wxBOTTOM,
               4);
  heading->Add(new wxStaticText(this, wxID_ANY, kProductWebPage));
  top->Add(heading, 1, wxTOP | wxRIGHT | wxBOTTOM, 10);

  auto* credits = new wxBoxSizer(wxVERTICAL);
  credits->Add(new wxStaticText(this, wxID_ANY,
                                "User interface built with wxWidgets: https://www.wxwidgets.org"),
               0, wxBOTTOM, 10);
  credits->Add(new wxStaticText(this, wxID_ANY, "AES256 Crypto++ encryption algorithm:"));
  credits->Add(new wxStaticText(this, wxID_ANY, "https://www.cryptopp.com"), 0, wxBOTTOM, 10);
  credits->Add(new wxStaticText(this, wxID_ANY,
                                "Icons and pictures drawn for Veilmark\nby its developers."));

  auto* bottom = new wxBoxSizer(wxHORIZONTAL);
  bottom->Add(credits, 1, wxALIGN_BOTTOM);
  auto* ok = new wxButton(this, wxID_OK, "OK");
  ok->SetDefault();
  bottom->Add(ok, 0, wxALIGN_BOTTOM | wxLEFT, 16);

  auto* root = new wxBoxSizer(wxVERTICAL);
  root->Add(top, 0, wxEXPAND);
  root->Add(bottom, 0, wxEXPAND | wxLEFT | wxRIGHT | wxBOTTOM, 10);
  SetSizerAndFit(root);
  FitCaption(this);
}

}  // namespace veilmark
