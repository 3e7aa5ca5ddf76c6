#include "app/window_placement.h"

#include "core/document/settings.h"

#include <wx/toplevel.h>

#include <algorithm>
#include <cstdint>

namespace veilmark::app {

std::string EncodeRect(const wxRect& rect) {
  const std::int32_t fields[4] = {rect.GetLeft(), rect.GetTop(), rect.GetLeft() + rect.GetWidth(),
                                  rect.GetTop() + rect.GetHeight()};
  std::string bytes;
  for (std::int32_t f : fields) {
    const auto u = static_cast<std::uint32_t>(f);
    for (int shift = 0; shift < 32; shift += 8) bytes.push_back(static_cast<char>(u >> shift));
  }
  return bytes;
}

wxRect DecodeRect(const std::string& bytes) {
  unsigned char raw[16] = {};
  std::copy_n(bytes.begin(), std::min<std::size_t>(bytes.size(), 16), raw);
  std::int32_t f[4];
  for (int i = 0; i < 4; ++i) {
    std::uint32_t u = 0;
    for (int b = 3; b >= 0; --b) u = (u << 8) | raw[i * 4 + b];
    f[i] = static_cast<std::int32_t>(u);
  }
  return wxRect(f[0], f[1], f[2] - f[0], f[3] - f[1]);
}

void WriteRect(SettingsStore& settings, const std::string& name, const wxRect& rect) {
  settings.WriteBinary(name, EncodeRect(rect));
}

bool ReadRect(const SettingsStore& settings, const std::string& name, wxRect& rect) {
  const auto bytes = settings.ReadBinary(name);
  if (!bytes) return false;
  rect = DecodeRect(*bytes);
  return true;
}

void HideOnClose(wxTopLevelWindow& window) {
  window.Bind(wxEVT_CLOSE_WINDOW, [&window](wxCloseEvent& event) {
    if (event.CanVeto()) {
      event.Veto();
      window.Hide();
    } else {
      window.Destroy();
    }
  });
}

}  // namespace veilmark::app
