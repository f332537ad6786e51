#pragma once
// The objects behind the handles of Gdi.h, for the files that implement it. Not for callers.

#include <QFont>
#include <QImage>
#include <QRegion>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <optional>

#include "platform/gdi/Gdi.h"

namespace platform::gdi::detail {

struct BitmapObject {
    QImage image;  // Format_RGB32; a monochrome bitmap holds only kBlack and kWhite pixels
    bool mono = false;
};

struct PenObject {
    int style = PS_SOLID;
    std::int32_t width = 1;
    COLORREF colour = 0;
};

struct BrushObject {
    COLORREF colour = 0;
    bool null = false;  // paints nothing
};

struct FontObject {
    LOGFONT logFont;
    QFont font;  // the face, pixel size and styles as drawn
};

struct RegionObject {
    QRegion region;
};

struct DCObject {
    bool screen = false;
    QImage* external = nullptr;  // an image DC draws into this image
    HBITMAP bitmap;              // a memory DC's selected bitmap
    HPEN pen;
    HBRUSH brush;
    HFONT font;
    COLORREF textColour = 0x000000;
    COLORREF bkColour = 0xFFFFFF;
    int bkMode = OPAQUE;
    std::optional<QRegion> clip;  // in logical pixels
    double scale = 1.0;           // device pixels per logical pixel (SetDeviceScale)
};

// Pixels as stored: 0xffRRGGBB.
inline constexpr std::uint32_t kBlack = 0xFF000000u;
inline constexpr std::uint32_t kWhite = 0xFFFFFFFFu;

inline std::uint32_t ToPixel(COLORREF c) {
    return 0xFF000000u | ((c & 0xFFu) << 16) | (c & 0xFF00u) | ((c >> 16) & 0xFFu);
}
inline COLORREF ToColorRef(std::uint32_t pixel) {
    return ((pixel >> 16) & 0xFFu) | (pixel & 0xFF00u) | ((pixel & 0xFFu) << 16);
}
// A colour as a monochrome surface stores it: white for light colours, black for dark ones.
inline std::uint32_t ToMonoPixel(COLORREF c) {
    const unsigned sum = (c & 0xFFu) + ((c >> 8) & 0xFFu) + ((c >> 16) & 0xFFu);
    return sum >= 3 * 128 ? kWhite : kBlack;
}

// Live objects by handle; null for 0, a deleted handle or a handle of another kind.
DCObject* Dc(HDC h);
BitmapObject* Bitmap(HBITMAP h);
PenObject* Pen(HPEN h);
BrushObject* Brush(HBRUSH h);
FontObject* Font(HFONT h);
RegionObject* Region(HRGN h);

// The pixels a DC draws into (its selected bitmap, its image, or the screen's 1 x 1 surface),
// or null.
QImage* Surface(HDC h);
bool IsMonoSurface(HDC h);
// The pixel a DC writes for `colour` (system colours resolved; black or white on a monochrome
// surface).
std::uint32_t PixelFor(HDC h, COLORREF colour);
// Where a DC may draw: its surface clipped by its clip region.
QRegion DrawableRegion(HDC h);

// ---- Logical to device pixels ----
//
// A DC with a scale takes logical coordinates and draws into a surface of device pixels. An
// edge (a coordinate between pixels) at logical v lies at device round(v * scale), so areas
// (fills, regions, clips) meet without gaps or overlaps. A line of w logical pixels is
// round(w * scale) device pixels thick, at least one. With a scale of 1 every mapping is the
// identity and the drawing code takes its unscaled path.

double ScaleOf(HDC h);
inline std::int64_t ToDevice(double scale, std::int64_t v) {
    if (scale == 1.0) return v;
    // Far beyond any surface either way; keeps the rounding defined.
    const double d = std::clamp(double(v) * scale, -1e15, 1e15);
    return std::llround(d);
}
inline std::int64_t DeviceThickness(double scale, std::int64_t w) {
    return std::max<std::int64_t>(1, std::llround(double(w) * scale));
}
// Every rectangle with its edges mapped.
QRegion ToDevice(double scale, const QRegion& region);

// Stores a new region and returns its handle.
HRGN NewRegion(QRegion region);

}  // namespace platform::gdi::detail
