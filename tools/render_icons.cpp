// Writes the program icon, drawn by the artwork code, as files for the platforms' installers:
// the hicolor theme's PNGs for the Linux desktop and one multi-size .ico for Windows.
#include "res/art.h"

#include <wx/filename.h>
#include <wx/image.h>
#include <wx/init.h>
#include <wx/mstream.h>
#include <wx/wfstream.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

constexpr int kSizes[] = {16, 32, 48, 64, 128, 256};

bool WriteHicolor(const wxString& root) {
  for (int size : kSizes) {
    wxFileName file(root, "veilmark.png");
    file.AppendDir(wxString::Format("%dx%d", size, size));
    file.AppendDir("apps");
    if (!wxFileName::Mkdir(file.GetPath(), wxS_DIR_DEFAULT, wxPATH_MKDIR_FULL) ||
        !veilmark::res::ProgramIconImage(size).SaveFile(file.GetFullPath(), wxBITMAP_TYPE_PNG))
      return false;
  }
  return true;
}

void PutLE(std::vector<unsigned char>& out, std::uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<unsigned char>(value >> (8 * i)));
}

// wx's ICO handler stores one image per file and no alpha, so the directory is written here:
// a header, one entry per size, then each size as a PNG (read by Windows since Vista).
bool WriteIco(const wxString& path) {
  std::vector<std::vector<unsigned char>> pngs;
  for (int size : kSizes) {
    wxMemoryOutputStream stream;
    if (!veilmark::res::ProgramIconImage(size).SaveFile(stream, wxBITMAP_TYPE_PNG)) return false;
    std::vector<unsigned char> png(stream.GetSize());
    stream.CopyTo(png.data(), png.size());
    pngs.push_back(std::move(png));
  }
  const std::size_t count = pngs.size();
  std::vector<unsigned char> ico;
  PutLE(ico, 0, 2);  // reserved
  PutLE(ico, 1, 2);  // type: icon
  PutLE(ico, static_cast<std::uint32_t>(count), 2);
  std::uint32_t offset = static_cast<std::uint32_t>(6 + 16 * count);
  for (std::size_t i = 0; i < count; ++i) {
    const int size = kSizes[i];
    ico.push_back(static_cast<unsigned char>(size >= 256 ? 0 : size));  // 0 means 256
    ico.push_back(static_cast<unsigned char>(size >= 256 ? 0 : size));
    ico.push_back(0);  // no palette
    ico.push_back(0);
    PutLE(ico, 1, 2);   // planes
    PutLE(ico, 32, 2);  // bits per pixel
    PutLE(ico, static_cast<std::uint32_t>(pngs[i].size()), 4);
    PutLE(ico, offset, 4);
    offset += static_cast<std::uint32_t>(pngs[i].size());
  }
  for (const auto& png : pngs) ico.insert(ico.end(), png.begin(), png.end());
  wxFileOutputStream file(path);
  return file.IsOk() && file.WriteAll(ico.data(), ico.size()) && file.Close();
}

}  // namespace

int main(int argc, char** argv) {
  const bool hicolor = argc == 3 && std::strcmp(argv[1], "hicolor") == 0;
  const bool ico = argc == 3 && std::strcmp(argv[1], "ico") == 0;
  if (!hicolor && !ico) {
    std::fprintf(stderr,
                 "usage: render_icons hicolor DIR (writes DIR/<n>x<n>/apps/veilmark.png) | "
                 "render_icons ico FILE.ico (all sizes in one file); sizes 16 to 256\n");
    return 2;
  }
  // wxImage and the graphics context on it need wx's library state, not a display.
  wxInitializer init;
  if (!init.IsOk()) {
    std::fprintf(stderr, "render_icons: wxWidgets did not start\n");
    return 1;
  }
  wxImage::AddHandler(new wxPNGHandler);
  const wxString target = wxString::FromUTF8(argv[2]);
  if (!(hicolor ? WriteHicolor(target) : WriteIco(target))) {
    std::fprintf(stderr, "render_icons: cannot write %s\n", argv[2]);
    return 1;
  }
  return 0;
}
