// The About box.
#pragma once

#include <wx/dialog.h>

namespace veilmark {

inline constexpr char kVersionText[] = "Veilmark v1.1c";
inline constexpr char kProductWebPage[] = "https://veilmark.org/";

class CAboutDlg : public wxDialog {
 public:
  explicit CAboutDlg(wxWindow* parent);
};

}  // namespace veilmark
