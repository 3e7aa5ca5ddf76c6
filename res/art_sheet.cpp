// Draws every image of the artwork into one PNG so that it can be looked at in one go.
#include "core/image/imaging.h"
#include "res/art.h"

#include <wx/app.h>
#include <wx/dcmemory.h>

#include <cstdio>

namespace {
int WriteSheet(const wxString& path) {
  veilmark::image::InitImageHandlers();
  using veilmark::res::Art;
  const int count = static_cast<int>(Art::Blank) + 1;
  wxBitmap sheet(40 + count * 40, 640);
  {
    wxMemoryDC dc(sheet);
    dc.SetBackground(wxBrush(wxColour(240, 240, 240)));
    dc.Clear();
    for (int i = 0; i < count; ++i) {
      const auto art = static_cast<Art>(i);
      dc.DrawBitmap(veilmark::res::ArtBitmap(art, 16), 20 + i * 40, 10, true);
      dc.DrawBitmap(veilmark::res::ArtBitmap(art, 32), 20 + i * 40, 36, true);
    }
    int x = 20;
    for (int size : {16, 32, 48, 64, 128}) {
      dc.DrawBitmap(wxBitmap(veilmark::res::ProgramIconImage(size)), x, 80, true);
      x += size + 16;
    }
    x = 20;
    for (int id = 1130; id <= 1135; ++id) {
      const wxImage pic = veilmark::res::LegendPicture(id);
      dc.DrawBitmap(wxBitmap(pic), x, id < 1134 ? 230 : 350, false);
      x += pic.GetWidth() + 12;
      if (id == 1133) x = 20;
    }
  }
  return sheet.SaveFile(path, wxBITMAP_TYPE_PNG) ? 0 : 1;
}

class SheetApp : public wxApp {
 public:
  bool OnInit() override {
    if (argc != 2) {
      std::fprintf(stderr, "usage: veilmark_art_sheet OUT.png\n");
      exitCode_ = 2;
    } else {
      exitCode_ = WriteSheet(argv[1]);
    }
    return true;
  }
  int OnRun() override { return exitCode_; }

 private:
  int exitCode_ = 0;
};
}  // namespace

wxIMPLEMENT_APP(SheetApp);
