// The legend of the thumbnails' frame colours.
#pragma once

#include <wx/dialog.h>

namespace veilmark {

class CHelpColorsAppDlg : public wxDialog {
 public:
  explicit CHelpColorsAppDlg(wxWindow* parent);
};

}  // namespace veilmark
