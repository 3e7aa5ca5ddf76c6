// Printing the working image: one page, the image 100 device pixels from the top left
// corner, as wide as the page less 200 pixels, in its own proportions.
#pragma once

#include <wx/print.h>

namespace veilmark::app {

// The image's rectangle on a page `pageWidth` device pixels wide, for a printer with the
// given resolutions (dots per inch across and down).
wxRect PrintPlacement(int pageWidth, int imageWidth, int imageHeight, int dpiX, int dpiY);

class CImagePrintout : public wxPrintout {
 public:
  explicit CImagePrintout(const wxImage& image);
  bool OnPrintPage(int page) override;
  bool HasPage(int page) override { return page == 1; }
  void GetPageInfo(int* minPage, int* maxPage, int* pageFrom, int* pageTo) override;

 private:
  wxImage image_;
};

}  // namespace veilmark::app
