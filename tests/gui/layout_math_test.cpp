// The small computations behind the windows: fitting, stored rectangles, file filters,
// print placement and the value boxes' parsing.
#include "app/file_filter.h"
#include "app/preview_window.h"
#include "app/printing.h"
#include "app/window_placement.h"
#include "dialogs/gamma_dlg.h"
#include "dialogs/threshold_dlg.h"

#include <gtest/gtest.h>

namespace veilmark::app {
namespace {

TEST(FitImageRect, KeepsProportionsAndCentres) {
  struct Case {
    int cw, ch, iw, ih;
    wxRect expected;
  };
  const Case cases[] = {
      {400, 400, 100, 50, wxRect(0, 100, 400, 200)},
      {400, 400, 50, 100, wxRect(100, 0, 200, 400)},
      {800, 600, 400, 300, wxRect(0, 0, 800, 600)},
      {401, 400, 50, 100, wxRect(100, 0, 200, 400)},  // odd margin: halves truncate
      {400, 400, 0, 0, wxRect(0, 0, 0, 0)},           // failed decode
      {0, 0, 100, 50, wxRect(0, 0, 0, 0)},
  };
  for (const Case& c : cases)
    EXPECT_EQ(FitImageRect(c.cw, c.ch, c.iw, c.ih), c.expected)
        << c.cw << "x" << c.ch << " image " << c.iw << "x" << c.ih;
}

TEST(StoredRect, SixteenLittleEndianBytesOfLeftTopRightBottom) {
  const std::string bytes = EncodeRect(wxRect(-1920, 20, 300, 40));
  ASSERT_EQ(bytes.size(), 16u);
  EXPECT_EQ(bytes.substr(0, 4), std::string("\x80\xF8\xFF\xFF", 4));   // -1920
  EXPECT_EQ(bytes.substr(8, 4), std::string("\xAC\xF9\xFF\xFF", 4));   // right -1620
  EXPECT_EQ(bytes.substr(12, 4), std::string("\x3C\x00\x00\x00", 4));  // bottom 60
  EXPECT_EQ(DecodeRect(bytes), wxRect(-1920, 20, 300, 40));
  // A short value leaves the missing fields 0; a long one is cut to 16 bytes.
  EXPECT_EQ(DecodeRect(std::string("\x05", 1)), wxRect(5, 0, -5, 0));
  EXPECT_EQ(DecodeRect(bytes + "trailing"), wxRect(-1920, 20, 300, 40));
}

TEST(FilterToWildcard, PairsUpToTheFirstEmptyPattern) {
  EXPECT_EQ(FilterToWildcard("All Image Files|*.png;*.bmp|All Files (*.*)|*.*|"
                             "PNG files(*.png)|*.png|BMP files(*.bmp)|*.bmp||"),
            "All Image Files|*.png;*.bmp|All Files (*.*)|*.*|PNG files(*.png)|*.png|"
            "BMP files(*.bmp)|*.bmp");
  EXPECT_EQ(FilterToWildcard("Encrypted Files (*.cry)|*.cry|"), "Encrypted Files (*.cry)|*.cry");
  EXPECT_EQ(FilterToWildcard("All Image Files||All Files (*.*)|*.*||"), "");
  EXPECT_EQ(FilterToWildcard(""), "");
}

TEST(PrintPlacement, PageWidthLessMarginsInTheImagesProportions) {
  EXPECT_EQ(PrintPlacement(4960, 1000, 500, 600, 600), wxRect(100, 100, 4760, 2380));
  // Resolutions that differ across and down keep the printed proportions.
  EXPECT_EQ(PrintPlacement(4960, 1000, 500, 300, 600), wxRect(100, 100, 4760, 4760));
  EXPECT_TRUE(PrintPlacement(4960, 0, 0, 600, 600).IsEmpty());
}

TEST(ValueBoxes, ParseWhatTheUserTyped) {
  EXPECT_EQ(ParseGamma("0.5"), 0.5f);
  EXPECT_EQ(ParseGamma(" 2 "), 2.0f);
  EXPECT_EQ(ParseGamma(".25"), 0.25f);
  for (const char* bad : {"", " ", ".", "1.2.3", "abc", "inf"})
    EXPECT_FALSE(ParseGamma(bad)) << bad;

  EXPECT_EQ(ParseThreshold("0"), 0);
  EXPECT_EQ(ParseThreshold("255"), 255);
  for (const char* bad : {"", "256", "-1", "12a", "99999999999"})
    EXPECT_FALSE(ParseThreshold(bad)) << bad;
}

}  // namespace
}  // namespace veilmark::app
