// The drawing helpers the instrument pictures share: the panel's colours, a
// cairo canvas of a picture's size, text, lines and paths placed through
// ArtGeometry, and the marks, scales and needle shapes of the instruments.
#pragma once

#include "tools/artgen/ArtGeometry.h"
#include "tools/artgen/Artwork.h"

#include <cairo.h>

#include <functional>
#include <numbers>
#include <string>

namespace velmora::art {

inline constexpr double kPi = std::numbers::pi;
inline constexpr double kDeg = kPi / 180.0;

// The panel's palette, in the style of a late-1980s fighter panel: light
// grey-green bezel, dark faces, white marks and figures.
struct Rgb {
  double r, g, b;
};
inline constexpr Rgb kBezel{0.745, 0.784, 0.722};
inline constexpr Rgb kBezelLight{0.86, 0.89, 0.84};
inline constexpr Rgb kBezelShade{0.56, 0.60, 0.54};
inline constexpr Rgb kFace{0.095, 0.105, 0.105};
inline constexpr Rgb kFaceRim{0.22, 0.23, 0.23};
inline constexpr Rgb kMark{0.96, 0.96, 0.93};
inline constexpr Rgb kAmber{1.0, 0.70, 0.12};
inline constexpr Rgb kInk{0.14, 0.15, 0.14};
inline constexpr Rgb kRed{0.90, 0.12, 0.10};

inline void Set(cairo_t* cr, Rgb c, double a = 1.0) { cairo_set_source_rgba(cr, c.r, c.g, c.b, a); }

// A drawing target with the catalogue's size and alpha.
struct Canvas {
  cairo_surface_t* surface;
  cairo_t* cr;
  Canvas(int w, int h, bool alpha)
      : surface(cairo_image_surface_create(alpha ? CAIRO_FORMAT_ARGB32 : CAIRO_FORMAT_RGB24, w, h)),
        cr(cairo_create(surface)) {
    cairo_set_antialias(cr, CAIRO_ANTIALIAS_BEST);
  }
  ~Canvas() {
    cairo_destroy(cr);
    cairo_surface_destroy(surface);
  }
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;

  // The drawn pixels; without alpha every pixel is made opaque.
  Picture Take(bool alpha);
};

void Font(cairo_t* cr, double size, bool bold = true);

// Text centred on (x, y) (the ink box's centre).
void TextCentred(cairo_t* cr, const std::string& s, double x, double y);

void Line(cairo_t* cr, Pt a, Pt b, double width);

// Clears (makes transparent) the area `path` traces.
void Clear(cairo_t* cr, const std::function<void()>& path);

void RoundRect(cairo_t* cr, double x, double y, double w, double h, double r);

// Annular band around a screen centre, drawn in a picture's coordinates:
// directions are clockwise from the screen's +x axis.
void BandPath(cairo_t* cr, const Placement& pic, Pt centre, double r0, double r1, double a0, double a1);

// A dark scale band that may run into its picture's edges: filled inside
// the picture (inset by a pixel, rounded corners) and rimmed all round, so
// where the edge cuts it the cut looks like the panel's own border.
void PanelBand(cairo_t* cr, const Placement& pic, Pt centre, double r0, double r1, double a0, double a1);

// Circle around a screen point, in a picture's coordinates.
void CirclePath(cairo_t* cr, const Placement& pic, Pt centre, double r);

// Mark for a needle reading: a line on the needle's ray between two radii.
void NeedleMark(cairo_t* cr, const Placement& dial, const Needle& n, double angle, double r0, double r1,
                double width);

// A figure as a scale prints it ("%g").
std::string Num(double v);

// Iterates a range's marks: f(value, major). Marks stop at the last step
// that does not pass `to` (0 to 990 in steps of 20 ends at 980, not 1000).
void ForMarks(const Range& r, const std::function<void(double, bool)>& f);

// A needle shape from the picture pivot to the tip, painted from `from`
// (fraction of the length) on, with a base width and a pointed tip.
void NeedleShape(cairo_t* cr, Pt pivot, Pt tip, double from, double width, Rgb fill, Rgb edge);

// Top view of a twin-finned fighter, nose up, as a closed path: the nose at
// (cx, top), s scaling a 100-unit height.
void AircraftOutline(cairo_t* cr, double cx, double top, double s);

}  // namespace velmora::art
