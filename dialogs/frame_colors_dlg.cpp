#include "dialogs/frame_colors_dlg.h"

#include "res/art.h"

#include "dialogs/dialog_util.h"

#include <wx/button.h>
#include <wx/sizer.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>

namespace veilmark {

namespace {

// A legend picture stretched to a size given in dialog units, like the static bitmaps of a
// dialog template, so that it grows with the font.
wxStaticBitmap* Picture(wxWindow* parent, int resourceId, wxSize dialogUnits) {
  const wxSize px = parent->ConvertDialogToPixels(dialogUnits);
  const wxImage image = res::LegendPicture(resourceId).Scale(px.x, px.y, wxIMAGE_QUALITY_HIGH);
  return new wxStaticBitmap(parent, wxID_ANY, wxBitmap(image));
}

wxStaticText* Text(wxWindow* parent, const char* text, int wrapDialogUnits) {
  auto* label = new wxStaticText(parent, wxID_ANY, text);
  label->Wrap(parent->ConvertDialogToPixels(wxSize(wrapDialogUnits, 0)).x);
  return label;
}

}  // namespace

CHelpColorsAppDlg::CHelpColorsAppDlg(wxWindow* parent)
    : wxDialog(parent, wxID_ANY, "Frame colors of the thumbnails", wxDefaultPosition, wxDefaultSize,
               wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX) {
  struct Example {
    const char* text;
    int picture;
  };
  const Example examples[] = {
      {"The image contains a hidden image:", 1131},
      {"The image contains a secret message:", 1132},
      {"The image contains another type of hidden file:", 1133},
      {"The image doesn't contain hidden information:", 1130},
  };
  auto* row = new wxFlexGridSizer(2, 4, 6, 12);
  for (const Example& e : examples) row->Add(Text(this, e.text, 80), 0, wxALIGN_BOTTOM);
  for (const Example& e : examples) row->Add(Picture(this, e.picture, wxSize(67, 42)));

  auto* lists = new wxFlexGridSizer(2, 2, 6, 24);
  lists->Add(Picture(this, 1135, wxSize(85, 75)), 0, wxALIGN_CENTER_HORIZONTAL);
  lists->Add(Picture(this, 1134, wxSize(85, 75)), 0, wxALIGN_CENTER_HORIZONTAL);
  lists->Add(Text(this, "The folder contains some images with hidden information.", 110));
  lists->Add(Text(this,
                  "The folder doesn't contain any images with hidden information or the "
                  "password to extract that information is not available.",
                  150));

  auto* ok = new wxButton(this, wxID_OK, "OK");
  ok->SetDefault();

  auto* root = new wxBoxSizer(wxVERTICAL);
  root->Add(row, 0, wxALL, 10);
  root->Add(Text(this,
                 "If the thumbnail doesn't have a color frame, the image doesn't contain "
                 "hidden information or the password to extract that information is not "
                 "available.",
                 320),
            0, wxLEFT | wxRIGHT | wxBOTTOM, 10);
  root->Add(new wxStaticText(this, wxID_ANY, "Background color of the thumbnails window:"), 0,
            wxLEFT | wxRIGHT | wxTOP, 10);
  root->Add(lists, 0, wxLEFT | wxRIGHT | wxTOP, 14);
  root->Add(ok, 0, wxALIGN_RIGHT | wxALL, 10);
  SetSizerAndFit(root);
  FitCaption(this);
}

}  // namespace veilmark
