// Window rectangles as the settings store them: 16 bytes, left, top, right, bottom, each a
// little-endian 32-bit signed integer.
#pragma once

#include <wx/gdicmn.h>

class wxTopLevelWindow;

#include <string>

namespace veilmark {

class SettingsStore;

namespace app {

std::string EncodeRect(const wxRect& rect);
// At most the first 16 bytes are taken; missing fields stay 0.
wxRect DecodeRect(const std::string& bytes);

void WriteRect(SettingsStore& settings, const std::string& name, const wxRect& rect);
// False when the value is absent.
bool ReadRect(const SettingsStore& settings, const std::string& name, wxRect& rect);

// A tool window that a close request only hides (as the View menu does); it is destroyed
// only when the close cannot be refused.
void HideOnClose(wxTopLevelWindow& window);

}  // namespace app
}  // namespace veilmark
