// Drawing helpers shared by the art modules: a graphics context on a transparent wxImage
// with a 16-unit coordinate space, and the small shapes the images are built from.
#pragma once

#include <wx/brush.h>
#include <wx/graphics.h>
#include <wx/image.h>
#include <wx/pen.h>

#include <memory>
#include <vector>

namespace veilmark::res {

struct Pt {
  double x;
  double y;
};

// Draws into `image` (alpha is kept) in a coordinate space of its own.
class Painter {
 public:
  // Coordinates run 0..unitsX across and 0..unitsY down (unitsY defaults to unitsX).
  Painter(wxImage& image, double unitsX, double unitsY = 0);
  ~Painter();
  Painter(const Painter&) = delete;
  Painter& operator=(const Painter&) = delete;

  wxGraphicsContext& gc() { return *gc_; }

  void Fill(const wxColour& c) { gc_->SetBrush(wxBrush(c)); }
  void NoFill() { gc_->SetBrush(*wxTRANSPARENT_BRUSH); }
  void Stroke(const wxColour& c, double width = 1.0);
  void NoStroke() { gc_->SetPen(*wxTRANSPARENT_PEN); }

  void Rect(double x, double y, double w, double h) { gc_->DrawRectangle(x, y, w, h); }
  void RoundRect(double x, double y, double w, double h, double r) {
    gc_->DrawRoundedRectangle(x, y, w, h, r);
  }
  void Ellipse(double x, double y, double w, double h) { gc_->DrawEllipse(x, y, w, h); }
  void Circle(double cx, double cy, double r) { gc_->DrawEllipse(cx - r, cy - r, 2 * r, 2 * r); }
  void Line(double x1, double y1, double x2, double y2) { gc_->StrokeLine(x1, y1, x2, y2); }
  void Polygon(const std::vector<Pt>& pts, bool close = true);
  void Polyline(const std::vector<Pt>& pts) { Polygon(pts, false); }
  // Points of a circular arc, angles in degrees, 0 = right, 90 = up.
  static std::vector<Pt> Arc(double cx, double cy, double r, double fromDeg, double toDeg);
  // A filled triangular head with its tip at (x, y) pointing along (dx, dy).
  void ArrowHead(double x, double y, double dx, double dy, double size, const wxColour& c);

 private:
  std::unique_ptr<wxGraphicsContext> gc_;
};

// A transparent RGBA image.
wxImage TransparentImage(int width, int height);

// Shapes in the 16-unit space.
void DrawPicture(Painter& p, double x, double y, double w, double h);
void DrawDocument(Painter& p, double x, double y, double w, double h);
void DrawFolder(Painter& p, double x, double y, double w, double h, bool open);
void DrawLock(Painter& p, double x, double y, double w, double h, bool open);
void DrawBubble(Painter& p, double x, double y, double w, double h);

}  // namespace veilmark::res
