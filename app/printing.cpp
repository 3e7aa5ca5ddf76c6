#include "app/printing.h"

#include <wx/dc.h>

#include <cmath>

namespace veilmark::app {

wxRect PrintPlacement(int pageWidth, int imageWidth, int imageHeight, int dpiX, int dpiY) {
  const int w = pageWidth - 200;
  if (imageWidth <= 0 || imageHeight <= 0 || dpiX <= 0 || w <= 0) return wxRect(100, 100, 0, 0);
  const double h = std::trunc(static_cast<double>(imageHeight) * dpiY * w /
                              (static_cast<double>(imageWidth) * dpiX));
  return wxRect(100, 100, w, static_cast<int>(h));
}

CImagePrintout::CImagePrintout(const wxImage& image)
    : wxPrintout("Veilmark"), image_(image.Copy()) {}

void CImagePrintout::GetPageInfo(int* minPage, int* maxPage, int* pageFrom, int* pageTo) {
  *minPage = *maxPage = *pageFrom = *pageTo = 1;
}

bool CImagePrintout::OnPrintPage(int) {
  wxDC* dc = GetDC();
  if (!dc || !image_.IsOk()) return false;
  int pageW = 0, pageH = 0;
  GetPageSizePixels(&pageW, &pageH);
  int dpiX = 0, dpiY = 0;
  GetPPIPrinter(&dpiX, &dpiY);
  const wxRect place = PrintPlacement(pageW, image_.GetWidth(), image_.GetHeight(), dpiX, dpiY);
  if (place.IsEmpty()) return true;
  // In a preview the DC is smaller than the page: draw in page pixels and let it scale.
  FitThisSizeToPage(wxSize(pageW, pageH));
  dc->DrawBitmap(wxBitmap(image_.Scale(place.width, place.height, wxIMAGE_QUALITY_HIGH)),
                 place.GetTopLeft());
  return true;
}

}  // namespace veilmark::app
