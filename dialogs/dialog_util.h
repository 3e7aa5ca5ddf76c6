// Small helpers shared by the dialogs.
#pragma once

#include "core/base/wx_text.h"

#include <wx/string.h>

#include <cstddef>
#include <string>

class wxDialog;
class wxSizer;
class wxTextCtrl;
class wxWindow;

namespace veilmark {

inline constexpr char kAppName[] = "Veilmark";

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
