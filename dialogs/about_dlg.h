// The About box.
#pragma once

#include <wx/dialog.h>

namespace veilmark {

inline constexpr char kVersionText[] = "Veilmark v1.1c";
inline constexpr char kProductWebPage[] = "https://www.veilmark.org";

class CAboutDlg : public wxDialog {
 public:
  explicit CAboutDlg(wxWindow* parent);
};

}  // namespace veilmark
