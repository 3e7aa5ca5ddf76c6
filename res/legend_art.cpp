// The example pictures of the frame-colours legend: framed and plain thumbnails, and thumbnail
// lists on the two background colours.
#include "res/art.h"
#include "res/art_painter.h"

namespace veilmark::res {

namespace {

const wxColour kGreenFrame(0x17, 0xB7, 0x01, 0x80);
const wxColour kCyanFrame(0x04, 0xC8, 0xCA, 0x80);
const wxColour kOrangeFrame(0xE8, 0x57, 0x08, 0x80);
const wxColour kListYellow(255, 240, 189);

struct Palette {
  wxColour skyTop, skyBottom, far, near, sun;
};

const Palette kScenes[] = {
    {{0x4F, 0x9F, 0xE0},
     {0xCF, 0xEC, 0xFA},
     {0x6E, 0x9C, 0xB8},
     {0x3F, 0xA3, 0x4D},
     {0xF5, 0xC2, 0x42}},
    {{0xF0, 0x8A, 0x4B},
     {0xFC, 0xD9, 0x8C},
     {0x8E, 0x5A, 0x7A},
     {0x4A, 0x3B, 0x5C},
     {0xFF, 0xF0, 0xB0}},
    {{0x23, 0x4E, 0x8C},
     {0x8F, 0xC3, 0xE8},
     {0xA9, 0xC4, 0xD6},
     {0x2E, 0x6B, 0x3A},
     {0xFF, 0xFF, 0xFF}},
    {{0x7F, 0xC6, 0xD9},
     {0xE8, 0xF6, 0xF0},
     {0x8C, 0xB8, 0x6A},
     {0xC8, 0x9B, 0x3C},
     {0xF5, 0xC2, 0x42}},
};

// A small landscape filling (x, y, w, h), in pixels.
void Scene(Painter& p, double x, double y, double w, double h, const Palette& c) {
  auto& gc = p.gc();
  gc.SetBrush(gc.CreateLinearGradientBrush(x, y, x, y + h, c.skyTop, c.skyBottom));
  p.NoStroke();
  p.Rect(x, y, w, h);
  p.Fill(c.sun);
  p.Circle(x + w * 0.74, y + h * 0.27, h * 0.11);
  p.Fill(c.far);
  p.Polygon({{x, y + h},
             {x, y + h * 0.6},
             {x + w * 0.2, y + h * 0.42},
             {x + w * 0.38, y + h * 0.58},
             {x + w * 0.6, y + h * 0.35},
             {x + w * 0.85, y + h * 0.6},
             {x + w, y + h * 0.5},
             {x + w, y + h}});
  p.Fill(c.near);
  p.Polygon({{x, y + h},
             {x, y + h * 0.8},
             {x + w * 0.3, y + h * 0.68},
             {x + w * 0.62, y + h * 0.84},
             {x + w, y + h * 0.72},
             {x + w, y + h}});
}

void Frame(Painter& p, double x, double y, double w, double h, const wxColour& c, double width) {
  p.NoFill();
  wxGraphicsPenInfo info(c);
  info.Width(width).Join(wxJOIN_MITER);
  p.gc().SetPen(p.gc().CreatePen(info));
  p.Rect(x, y, w, h);
}

// 24-bit picture: flattened onto white.
wxImage Flatten(const wxImage& image) {
  wxImage out(image.GetWidth(), image.GetHeight());
  const unsigned char* rgb = image.GetData();
  const unsigned char* alpha = image.GetAlpha();
  unsigned char* dst = out.GetData();
  const std::size_t n = static_cast<std::size_t>(image.GetWidth()) * image.GetHeight();
  for (std::size_t i = 0; i < n; ++i) {
    const int a = alpha ? alpha[i] : 255;
    for (int k = 0; k < 3; ++k)
      dst[i * 3 + k] = static_cast<unsigned char>((rgb[i * 3 + k] * a + 255 * (255 - a)) / 255);
  }
  return out;
}

wxImage Thumbnail(int w, int h, int scene, const wxColour* frame) {
  wxImage image = TransparentImage(w, h);
  {
    Painter p(image, w, h);
    Scene(p, 0, 0, w, h, kScenes[scene]);
    if (frame) Frame(p, 0, 0, w, h, *frame, 14.0);
  }
  return Flatten(image);
}

wxImage ListPicture(bool flagged) {
  const int w = 192, h = 177;
  wxImage image = TransparentImage(w, h);
  {
    Painter p(image, w, h);
    p.NoStroke();
    p.Fill(flagged ? kListYellow : *wxWHITE);
    p.Rect(0, 0, w, h);
    const wxColour* frames[4] = {nullptr, nullptr, nullptr, nullptr};
    if (flagged) {
      frames[0] = &kGreenFrame;
      frames[3] = &kCyanFrame;
    }
    for (int i = 0; i < 4; ++i) {
      const double tx = 14 + (i % 2) * 90, ty = 12 + (i / 2) * 84;
      const double tw = 74, th = 52;
      p.NoStroke();
      p.Fill(*wxWHITE);
      p.Rect(tx, ty, tw, th);
      Scene(p, tx + 2, ty + 4, tw - 4, th - 8, kScenes[i]);
      if (frames[i]) Frame(p, tx + 2, ty + 4, tw - 4, th - 8, *frames[i], 7.0);
      p.NoStroke();
      p.Fill(wxColour(0x8A, 0x9B, 0xAE));
      p.Rect(tx + 12, ty + th + 8, tw - 24, 4);
    }
  }
  return Flatten(image);
}

}  // namespace

wxImage LegendPicture(int resourceId) {
  switch (resourceId) {
    case 1130:
      return Thumbnail(150, 100, 3, nullptr);
    case 1131:
      return Thumbnail(150, 100, 0, &kGreenFrame);
    case 1132:
      return Thumbnail(150, 84, 1, &kCyanFrame);
    case 1133:
      return Thumbnail(150, 100, 2, &kOrangeFrame);
    case 1134:
      return ListPicture(false);
    case 1135:
      return ListPicture(true);
    default:
      return wxImage();
  }
}

}  // namespace veilmark::res
