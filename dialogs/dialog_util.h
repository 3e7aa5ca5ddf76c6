// Small helpers shared by the dialogs.
#pragma once

#include <wx/string.h>

#include <cstddef>
#include <string>

class wxDialog;
class wxSizer;
class wxTextCtrl;
class wxWindow;

namespace veilmark {

inline constexpr char kAppName[] = "Veilmark";

inline wxString FromUtf8(const std::string& s) { return wxString::FromUTF8(s.data(), s.size()); }
inline std::string ToUtf8(const wxString& s) {
  const wxScopedCharBuffer buf = s.utf8_str();
  return std::string(buf.data(), buf.length());
}

// Keeps a text control at most `limit` characters long, also for pasted text and for
// multi-line controls, where not every platform honours SetMaxLength.
void LimitTextLength(wxTextCtrl* text, std::size_t limit);

// The application's own message box: caption "Veilmark", question-mark icon.
void AppMessage(wxWindow* parent, const wxString& text);

// Widens a dialog laid out by sizers so that its caption is not cut short, then centres it.
void FitCaption(wxDialog* dialog);

// The Gamma and Threshold boxes: the label above the edit, OK and Cancel beside them.
wxSizer* ValueDialogLayout(wxDialog* dialog, const char* label, wxTextCtrl* edit);

}  // namespace veilmark
