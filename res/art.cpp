#include "res/art.h"

#include "res/art_painter.h"

#include <algorithm>
#include <cmath>

namespace veilmark::res {

namespace {
const wxColour kInk(0x2B, 0x3A, 0x4A);
const wxColour kSky(0x7E, 0xC8, 0xF0);
const wxColour kHill(0x3F, 0xA3, 0x4D);
const wxColour kSun(0xF5, 0xC2, 0x42);
const wxColour kPaper(0xFF, 0xFF, 0xFF);
const wxColour kFold(0xD5, 0xDD, 0xE6);
const wxColour kTextLine(0x8A, 0x9B, 0xAE);
const wxColour kFolderBack(0xD9, 0xA3, 0x3A);
const wxColour kFolderFront(0xF4, 0xC8, 0x5A);
const wxColour kFolderInk(0x8E, 0x62, 0x10);
const wxColour kGold(0xE3, 0xA8, 0x22);
const wxColour kGoldInk(0x7A, 0x55, 0x08);
const wxColour kSteel(0x62, 0x70, 0x80);
const wxColour kBlue(0x2F, 0x74, 0xC9);
const wxColour kGreen(0x23, 0x9B, 0x48);
const wxColour kRed(0xD2, 0x3B, 0x33);
const wxColour kBubbleInk(0x2F, 0x6F, 0xB5);
}  // namespace

// --- Painter -------------------------------------------------------------------------------

Painter::Painter(wxImage& image, double unitsX, double unitsY)
    : gc_(wxGraphicsContext::Create(image)) {
  gc_->SetAntialiasMode(wxANTIALIAS_DEFAULT);
  gc_->Scale(image.GetWidth() / unitsX, image.GetHeight() / (unitsY > 0 ? unitsY : unitsX));
  NoFill();
  NoStroke();
}

Painter::~Painter() = default;

void Painter::Stroke(const wxColour& c, double width) {
  wxGraphicsPenInfo info(c);
  info.Width(width).Join(wxJOIN_ROUND).Cap(wxCAP_ROUND);
  gc_->SetPen(gc_->CreatePen(info));
}

void Painter::Polygon(const std::vector<Pt>& pts, bool close) {
  if (pts.empty()) return;
  wxGraphicsPath path = gc_->CreatePath();
  path.MoveToPoint(pts[0].x, pts[0].y);
  for (std::size_t i = 1; i < pts.size(); ++i) path.AddLineToPoint(pts[i].x, pts[i].y);
  if (close) {
    path.CloseSubpath();
    gc_->DrawPath(path);
  } else {
    gc_->StrokePath(path);
  }
}

std::vector<Pt> Painter::Arc(double cx, double cy, double r, double fromDeg, double toDeg) {
  std::vector<Pt> pts;
  const int steps = std::max(4, static_cast<int>(std::abs(toDeg - fromDeg) / 10));
  for (int i = 0; i <= steps; ++i) {
    const double a = (fromDeg + (toDeg - fromDeg) * i / steps) * M_PI / 180.0;
    pts.push_back({cx + r * std::cos(a), cy - r * std::sin(a)});
  }
  return pts;
}

void Painter::ArrowHead(double x, double y, double dx, double dy, double size, const wxColour& c) {
  const double len = std::hypot(dx, dy);
  if (len == 0) return;
  const double ux = dx / len, uy = dy / len;
  const double bx = x - ux * size, by = y - uy * size;
  const double half = size * 0.75;
  NoStroke();
  Fill(c);
  Polygon({{x, y}, {bx - uy * half, by + ux * half}, {bx + uy * half, by - ux * half}});
}

wxImage TransparentImage(int width, int height) {
  wxImage image(width, height);
  image.InitAlpha();
  std::fill_n(image.GetAlpha(), static_cast<std::size_t>(width) * height, 0);
  return image;
}

// --- Shapes --------------------------------------------------------------------------------

void DrawPicture(Painter& p, double x, double y, double w, double h) {
  p.NoStroke();
  p.Fill(kSky);
  p.Rect(x, y, w, h);
  p.Fill(kSun);
  const double r = std::min(w, h) * 0.14;
  p.Circle(x + w * 0.72, y + h * 0.3, r);
  p.Fill(kHill);
  p.Polygon({{x, y + h},
             {x, y + h * 0.68},
             {x + w * 0.32, y + h * 0.38},
             {x + w * 0.58, y + h * 0.72},
             {x + w * 0.74, y + h * 0.55},
             {x + w, y + h * 0.8},
             {x + w, y + h}});
  p.NoFill();
  p.Stroke(kInk);
  p.Rect(x + 0.5, y + 0.5, w - 1, h - 1);
}

void DrawDocument(Painter& p, double x, double y, double w, double h) {
  const double f = w * 0.38;
  p.Fill(kPaper);
  p.Stroke(kInk);
  p.Polygon({{x + 0.5, y + 0.5},
             {x + w - f, y + 0.5},
             {x + w - 0.5, y + f},
             {x + w - 0.5, y + h - 0.5},
             {x + 0.5, y + h - 0.5}});
  p.Fill(kFold);
  p.Polygon({{x + w - f, y + 0.5}, {x + w - f, y + f}, {x + w - 0.5, y + f}});
  p.Stroke(kTextLine);
  for (double t : {0.48, 0.64, 0.8}) {
    const double ly = std::floor(y + h * t) + 0.5;
    p.Line(x + 2.5, ly, x + w - 2.5, ly);
  }
}

void DrawFolder(Painter& p, double x, double y, double w, double h, bool open) {
  p.Stroke(kFolderInk);
  p.Fill(kFolderBack);
  p.Polygon({{x + 0.5, y + 1.5},
             {x + w * 0.42, y + 1.5},
             {x + w * 0.42 + 1.5, y + 3},
             {x + w - 0.5, y + 3},
             {x + w - 0.5, y + h - 0.5},
             {x + 0.5, y + h - 0.5}});
  p.Fill(kFolderFront);
  if (open) {
    p.Polygon({{x + 2.5, y + 5.5},
               {x + w + 0.2, y + 5.5},
               {x + w - 2.5, y + h - 0.5},
               {x + 0.5, y + h - 0.5}});
  } else {
    p.Rect(x + 0.5, y + 4.5, w - 1, h - 5);
  }
}

void DrawLock(Painter& p, double x, double y, double w, double h, bool open) {
  const double bodyTop = y + h * 0.45;
  const double sw = std::max(1.2, w * 0.18);
  const double l = x + w * 0.28, r = x + w * 0.72;
  const double top = y + sw / 2 + (open ? 0 : h * 0.04);
  const double lift = open ? h * 0.16 : 0;
  p.NoFill();
  p.Stroke(kSteel, sw);
  std::vector<Pt> shackle{{r, bodyTop}, {r, top + (r - l) / 2}};
  if (open) shackle = {{r, bodyTop - lift}, {r, top + (r - l) / 2}};
  auto arc = Painter::Arc((l + r) / 2, top + (r - l) / 2, (r - l) / 2, 0, 180);
  shackle.insert(shackle.end(), arc.begin(), arc.end());
  shackle.push_back({l, open ? top + (r - l) / 2 + h * 0.12 : bodyTop});
  if (open) {
    for (auto& pt : shackle) pt.x += w * 0.3;
  }
  p.Polyline(shackle);
  p.Stroke(kGoldInk);
  p.Fill(kGold);
  p.RoundRect(x + 0.5, bodyTop, w - 1, y + h - 0.5 - bodyTop, 1);
  p.NoStroke();
  p.Fill(kGoldInk);
  p.Circle(x + w / 2, bodyTop + (y + h - bodyTop) * 0.45, std::max(0.8, w * 0.11));
}

void DrawBubble(Painter& p, double x, double y, double w, double h) {
  p.Stroke(kBubbleInk);
  p.Fill(kPaper);
  const double bh = h * 0.74;
  p.RoundRect(x + 0.5, y + 0.5, w - 1, bh, 2);
  p.Polygon({{x + w * 0.25, y + bh}, {x + w * 0.22, y + h - 0.5}, {x + w * 0.5, y + bh}});
  p.NoStroke();
  p.Fill(kPaper);
  p.Rect(x + w * 0.25 + 0.6, y + bh - 1, w * 0.24, 1.2);
  p.Stroke(kTextLine);
  const double l1 = std::floor(y + bh * 0.4) + 0.5, l2 = std::floor(y + bh * 0.72) + 0.5;
  p.Line(x + 3, l1, x + w - 3, l1);
  p.Line(x + 3, l2, x + w * 0.6, l2);
}

// --- Badges in the lower right corner -------------------------------------------------------

namespace {

void BadgeArrowDown(Painter& p, const wxColour& c) {
  p.Stroke(*wxWHITE, 4);
  p.Line(12, 7.5, 12, 12);
  p.Stroke(c, 2);
  p.Line(12, 7.5, 12, 12);
  p.ArrowHead(12, 16, 0, 1, 4, c);
}

void BadgePlus(Painter& p) {
  p.Stroke(*wxWHITE, 1);
  p.Fill(kGreen);
  p.Circle(12, 12, 4);
  p.Stroke(*wxWHITE, 1.6);
  p.Line(12, 9.8, 12, 14.2);
  p.Line(9.8, 12, 14.2, 12);
}

void BadgeCross(Painter& p) {
  p.Stroke(*wxWHITE, 1);
  p.Fill(kRed);
  p.Circle(12, 12, 4);
  p.Stroke(*wxWHITE, 1.6);
  p.Line(10.4, 10.4, 13.6, 13.6);
  p.Line(13.6, 10.4, 10.4, 13.6);
}

void CurvedArrow(Painter& p, bool redo) {
  const wxColour c = kBlue;
  auto pts = Painter::Arc(8, 10, 5, redo ? 180 : 0, redo ? 0 : 180);
  p.NoFill();
  p.Stroke(c, 2);
  pts.pop_back();
  p.Polyline(pts);
  const double tipX = redo ? 13 : 3;
  p.ArrowHead(tipX, 14, 0, 1, 4.5, c);
}

void Refresh(Painter& p) {
  const wxColour c = kGreen;
  p.NoFill();
  p.Stroke(c, 1.8);
  auto a = Painter::Arc(8, 8, 5.2, 20, 150);
  p.Polyline(a);
  p.ArrowHead(a.back().x - 1.2, a.back().y + 2.6, -0.5, 1, 3.6, c);
  p.Stroke(c, 1.8);
  auto b = Painter::Arc(8, 8, 5.2, 200, 330);
  p.Polyline(b);
  p.ArrowHead(b.back().x + 1.2, b.back().y - 2.6, 0.5, -1, 3.6, c);
}

// A magnifying glass over a picture, a curve in the lens: the picture's statistics examined.
void Analyse(Painter& p) {
  DrawPicture(p, 0, 0, 13, 10);
  p.Stroke(kInk, 2.4);
  p.Line(12.4, 12.4, 15.2, 15.2);
  p.Stroke(kInk, 1.2);
  p.Fill(wxColour(0xFF, 0xFF, 0xFF, 0xE0));
  p.Circle(9.5, 9.5, 4.3);
  p.NoFill();
  p.Stroke(kRed, 1.1);
  p.Polyline({{6.6, 11.2}, {8.1, 8.2}, {9.6, 10.4}, {11.1, 7.4}, {12.3, 8.6}});
}

void Key(Painter& p) {
  p.Stroke(kGoldInk);
  p.Fill(kGold);
  p.Circle(4.5, 8, 3.6);
  p.Fill(*wxWHITE);
  p.Circle(3.8, 8, 1.1);
  p.Stroke(kGoldInk, 2.6);
  p.Line(8, 8, 15, 8);
  p.Line(12.5, 8, 12.5, 11.5);
  p.Line(14.7, 8, 14.7, 10.5);
  p.Stroke(kGold, 1.2);
  p.Line(8, 8, 15, 8);
  p.Line(12.5, 8, 12.5, 11.2);
  p.Line(14.7, 8, 14.7, 10.2);
}

void Exit(Painter& p) {
  p.Stroke(kInk);
  p.Fill(wxColour(0xB0, 0x7A, 0x4A));
  p.Rect(1.5, 1.5, 8, 13);
  p.Fill(wxColour(0x8A, 0x5A, 0x30));
  p.Polygon({{1.5, 1.5}, {6.5, 3}, {6.5, 15.5}, {1.5, 14.5}});
  p.NoStroke();
  p.Fill(kSun);
  p.Circle(5.2, 9, 0.8);
  p.Stroke(*wxWHITE, 4);
  p.Line(8.5, 8, 11.5, 8);
  p.Stroke(kRed, 2);
  p.Line(8.5, 8, 12, 8);
  p.ArrowHead(16, 8, 1, 0, 4.2, kRed);
}

void Globe(Painter& p) {
  p.Stroke(wxColour(0x1D, 0x4F, 0x8F));
  p.Fill(wxColour(0x3C, 0x8D, 0xD9));
  p.Circle(8, 8, 6.8);
  p.Stroke(*wxWHITE, 0.9);
  p.NoFill();
  p.Ellipse(5.2, 1.4, 5.6, 13.2);
  p.Line(8, 1.4, 8, 14.6);
  p.Line(1.4, 8, 14.6, 8);
  p.Line(2.6, 4.8, 13.4, 4.8);
  p.Line(2.6, 11.2, 13.4, 11.2);
}

void Warning(Painter& p) {
  p.Stroke(wxColour(0x8A, 0x60, 0x00));
  p.Fill(wxColour(0xF7, 0xC7, 0x30));
  p.Polygon({{8, 1}, {15.3, 14.5}, {0.7, 14.5}});
  p.NoStroke();
  p.Fill(kInk);
  p.Polygon({{7.1, 5}, {8.9, 5}, {8.5, 10.5}, {7.5, 10.5}});
  p.Circle(8, 12.5, 1);
}

void Info(Painter& p) {
  p.Stroke(wxColour(0x1D, 0x4F, 0x8F));
  p.Fill(kBlue);
  p.Circle(8, 8, 6.8);
  p.NoStroke();
  p.Fill(*wxWHITE);
  p.Circle(8, 4.6, 1.2);
  p.Rect(7, 6.8, 2, 5.4);
  p.Rect(6.2, 11.2, 3.6, 1);
  p.Rect(6.2, 6.8, 1.6, 1);
}

void FrameColors(Painter& p) {
  const wxColour colours[] = {wxColour(0x17, 0xB7, 0x01), wxColour(0x04, 0xC8, 0xCA),
                              wxColour(0xE8, 0x57, 0x08)};
  p.NoFill();
  for (int i = 0; i < 3; ++i) {
    p.Stroke(colours[i], 2);
    p.Rect(1.5 + i * 3.5, 1.5 + i * 3.5, 6.5, 6.5);
  }
}

void FoldersWindow(Painter& p) {
  DrawFolder(p, 0, 0, 8, 6, false);
  p.Stroke(kInk);
  p.Line(2.5, 6, 2.5, 13.5);
  p.Line(2.5, 8.5, 5, 8.5);
  p.Line(2.5, 13.5, 5, 13.5);
  DrawFolder(p, 5, 6, 9, 5.5, false);
  DrawFolder(p, 5, 11, 9, 5, false);
}

void PreviewWindow(Painter& p) {
  p.Stroke(kInk);
  p.Fill(*wxWHITE);
  p.Rect(0.5, 1.5, 15, 13);
  p.NoStroke();
  p.Fill(kBlue);
  p.Rect(1, 2, 14, 3);
  DrawPicture(p, 2, 6, 12, 7.5);
}

void Home(Painter& p) {
  p.Stroke(kInk);
  p.Fill(wxColour(0xF3, 0xE9, 0xD2));
  p.Polygon({{3, 7.5}, {8, 3}, {13, 7.5}, {13, 14.5}, {3, 14.5}});
  p.Fill(kRed);
  p.Polygon({{0.8, 8.2}, {8, 1.5}, {15.2, 8.2}, {14, 9.3}, {8, 3.8}, {2, 9.3}});
  p.Fill(wxColour(0xB0, 0x7A, 0x4A));
  p.Rect(6.5, 9.5, 3, 5);
}

void Drive(Painter& p) {
  p.Stroke(kInk);
  p.Fill(wxColour(0xC9, 0xD1, 0xDA));
  p.RoundRect(0.5, 4.5, 15, 8, 1.5);
  p.Fill(wxColour(0x9A, 0xA6, 0xB3));
  p.Rect(0.5, 9.5, 15, 3);
  p.NoStroke();
  p.Fill(kGreen);
  p.Circle(12.5, 11, 0.9);
}

}  // namespace

wxImage ArtImage(Art art, int size) {
  wxImage image = TransparentImage(size, size);
  {
    Painter p(image, 16);
    switch (art) {
      case Art::Extract:
        DrawPicture(p, 0, 1, 13, 10);
        BadgeArrowDown(p, kGreen);
        break;
      case Art::HideFile:
        DrawPicture(p, 0, 0, 16, 12);
        DrawDocument(p, 8, 6, 8, 10);
        break;
      case Art::HideMessage:
        DrawPicture(p, 0, 0, 16, 12);
        DrawBubble(p, 6, 6, 10, 10);
        break;
      case Art::Analyse:
        Analyse(p);
        break;
      case Art::SelectFile:
        DrawDocument(p, 1, 0, 11, 14);
        BadgePlus(p);
        break;
      case Art::EnterMessage:
        DrawBubble(p, 0, 1, 16, 14);
        break;
      case Art::UnselectFile:
        DrawDocument(p, 1, 0, 11, 14);
        BadgeCross(p);
        break;
      case Art::Passwords:
        Key(p);
        break;
      case Art::Undo:
        CurvedArrow(p, false);
        break;
      case Art::Redo:
        CurvedArrow(p, true);
        break;
      case Art::EncryptFolder:
        DrawFolder(p, 0, 1, 13, 11, false);
        DrawLock(p, 8, 6, 8, 10, false);
        break;
      case Art::DecryptFolder:
        DrawFolder(p, 0, 1, 13, 11, false);
        DrawLock(p, 6, 6, 8, 10, true);
        break;
      case Art::OpenFolder:
        DrawFolder(p, 0, 2, 16, 12, true);
        break;
      case Art::EncryptFile:
        DrawDocument(p, 0, 0, 11, 14);
        DrawLock(p, 8, 6, 8, 10, false);
        break;
      case Art::DecryptFile:
        DrawDocument(p, 0, 0, 11, 14);
        DrawLock(p, 6, 6, 8, 10, true);
        break;
      case Art::EncryptMessage:
        DrawBubble(p, 0, 0, 13, 12);
        DrawLock(p, 8, 6, 8, 10, false);
        break;
      case Art::RefreshFolder:
        Refresh(p);
        break;
      case Art::SamplesFolder:
        DrawFolder(p, 0, 1, 14, 12, false);
        DrawPicture(p, 7, 8, 9, 7);
        break;
      case Art::Exit:
        Exit(p);
        break;
      case Art::FrameColors:
        FrameColors(p);
        break;
      case Art::WebSite:
        Globe(p);
        break;
      case Art::Disclaimer:
        Warning(p);
        break;
      case Art::About:
        Info(p);
        break;
      case Art::FoldersWindow:
        FoldersWindow(p);
        break;
      case Art::PreviewWindow:
        PreviewWindow(p);
        break;
      case Art::Folder:
        DrawFolder(p, 0, 2, 16, 12, false);
        break;
      case Art::Home:
        Home(p);
        break;
      case Art::Drive:
        Drive(p);
        break;
      case Art::Blank:
        break;
    }
  }
  return image;
}

wxBitmap ArtBitmap(Art art, int size) { return wxBitmap(ArtImage(art, size)); }

Art MenuArt(int resourceId) {
  static constexpr Art kMenu[] = {
      Art::Extract,       Art::HideFile,      Art::HideMessage,    Art::SelectFile,
      Art::EnterMessage,  Art::UnselectFile,  Art::Passwords,      Art::Undo,
      Art::Redo,          Art::EncryptFolder, Art::DecryptFolder,  Art::OpenFolder,
      Art::EncryptFile,   Art::DecryptFile,   Art::EncryptMessage, Art::RefreshFolder,
      Art::SamplesFolder, Art::Exit,          Art::FrameColors,    Art::WebSite,
      Art::Disclaimer,    Art::About,         Art::Analyse};
  const int i = resourceId - 1100;
  if (i < 0 || i >= static_cast<int>(std::size(kMenu))) return Art::Blank;
  return kMenu[i];
}

std::vector<Art> ToolbarStrip() {
  return {Art::Extract,       Art::SelectFile,    Art::UnselectFile,  Art::HideFile,
          Art::EnterMessage,  Art::HideMessage,   Art::Passwords,     Art::Undo,
          Art::Redo,          Art::FoldersWindow, Art::PreviewWindow, Art::RefreshFolder,
          Art::Exit,          Art::EncryptFile,   Art::DecryptFile,   Art::EncryptFolder,
          Art::DecryptFolder, Art::About};
}

// --- Program icon --------------------------------------------------------------------------

wxImage ProgramIconImage(int size) {
  wxImage image = TransparentImage(size, size);
  {
    Painter p(image, 16);
    auto& gc = p.gc();
    gc.SetBrush(gc.CreateLinearGradientBrush(0, 0, 0, 16, wxColour(0x4F, 0xA8, 0xE0),
                                             wxColour(0xC4, 0xE8, 0xF8)));
    p.NoStroke();
    p.Rect(0, 0, 16, 16);
    p.Fill(kHill);
    p.Polygon({{0, 16}, {0, 12.5}, {5, 10.5}, {9, 13}, {12.5, 11.2}, {16, 12.8}, {16, 16}});
    // The veil: a dark band over the picture that the eye looks through.
    p.Fill(wxColour(0x14, 0x23, 0x3C, 0xC8));
    p.Rect(0, 4, 16, 8);
    // The eye.
    std::vector<Pt> eye = Painter::Arc(8, 14.2, 8.6, 28, 152);
    auto lower = Painter::Arc(8, 1.8, 8.6, 208, 332);
    eye.insert(eye.end(), lower.begin(), lower.end());
    p.Fill(*wxWHITE);
    p.Stroke(wxColour(0x0B, 0x16, 0x28), 0.6);
    p.Polygon(eye);
    p.NoStroke();
    p.Fill(wxColour(0x12, 0x9C, 0xA8));
    p.Circle(8, 8, 2.7);
    p.Fill(wxColour(0x0B, 0x16, 0x28));
    p.Circle(8, 8, 1.25);
    p.Fill(*wxWHITE);
    p.Circle(8.9, 7.1, 0.55);
    p.NoFill();
    p.Stroke(wxColour(0x0B, 0x16, 0x28), 16.0 / size + 0.4);
    p.RoundRect(0.5, 0.5, 15, 15, 3);
  }
  // Rounded corners: clear what lies outside the outline (4x4 supersampled coverage).
  const double radius = size * 3.0 / 16.0;
  unsigned char* alpha = image.GetAlpha();
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      int inside = 0;
      for (int sy = 0; sy < 4; ++sy) {
        for (int sx = 0; sx < 4; ++sx) {
          const double px = x + (sx + 0.5) / 4, py = y + (sy + 0.5) / 4;
          const double cx = std::clamp(px, radius, size - radius);
          const double cy = std::clamp(py, radius, size - radius);
          if (std::hypot(px - cx, py - cy) <= radius) ++inside;
        }
      }
      unsigned char& a = alpha[y * size + x];
      a = static_cast<unsigned char>(a * inside / 16);
    }
  }
  return image;
}

wxIconBundle ProgramIcons() {
  wxIconBundle bundle;
  for (int size : {16, 32, 48, 64, 128}) {
    wxIcon icon;
    icon.CopyFromBitmap(wxBitmap(ProgramIconImage(size)));
    bundle.AddIcon(icon);
  }
  return bundle;
}

}  // namespace veilmark::res
