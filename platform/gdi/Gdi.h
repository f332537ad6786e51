#pragma once
// A software raster with the classic 2-D drawing semantics the button and the picture viewer are
// written against: device contexts (DCs) over 32-bit colour bitmaps and 1-bit masks, pens,
// brushes, fonts and regions behind small integer handles, blits with the full table of ternary
// raster operations, region algebra, lines, arcs, the dotted focus rectangle and word-broken
// text.
//
// Conventions
// - Coordinates are pixels; rectangles are left, top, right, bottom with right and bottom
//   exclusive. Colours are 0x00BBGGRR; a value with the top bit set names a system colour by
//   its low byte (ResolveColor).
// - Handles are plain values; 0 is "no object". Every call accepts any handle, including 0, a
//   deleted one or one of another kind: it then fails with its error result (FALSE, 0, nullptr,
//   kClrInvalid or kRgnError) and touches nothing.
// - Objects a caller creates are the caller's to delete (DeleteObject, DeleteDC). An object
//   selected into a DC cannot be deleted until it is selected out; stock objects cannot be
//   deleted at all. LiveObjectCount() lets tests prove that a control's teardown releases
//   everything it created.
// - A memory DC starts with a 1 x 1 monochrome bitmap, the black pen, the white brush, the
//   system font, black text, a white background in opaque mode and no clip region. A bitmap
//   "compatible" with a DC has the format of the bitmap selected into it (so one made from a
//   fresh memory DC is monochrome); the screen DC and image DCs are colour.
// - Bitmaps are stored 32 bits per pixel. A monochrome bitmap holds only black (bit 0) and white
//   (bit 1). Blits convert between the two kinds the way the platform always has: colour to
//   monochrome makes pixels equal to the source DC's background colour white and all others
//   black; monochrome to colour turns white into the destination DC's background colour and
//   black into its text colour.
// - Everything single-threaded, on the user-interface thread.

#include <QImage>
#include <QRegion>
#include <QString>
#include <cstdint>
#include <vector>

#include "platform/Colour.h"

class QWidget;

namespace platform::gdi {

using COLORREF = std::uint32_t;
using BOOL = int;  // nonzero is success

inline constexpr COLORREF kClrInvalid = 0xFFFFFFFFu;

struct RECT {
    std::int32_t left = 0, top = 0, right = 0, bottom = 0;
    friend bool operator==(const RECT&, const RECT&) = default;
    std::int32_t Width() const { return right - left; }
    std::int32_t Height() const { return bottom - top; }
};

struct POINT {
    std::int32_t x = 0, y = 0;
    friend bool operator==(const POINT&, const POINT&) = default;
};

enum class Kind : std::uint8_t { None, DC, Bitmap, Pen, Brush, Font, Region };

// A typed handle. Values are unique for the life of the process (never reused).
template <Kind K>
struct Handle {
    std::uint32_t value = 0;
    explicit operator bool() const { return value != 0; }
    friend bool operator==(Handle, Handle) = default;
};
using HDC = Handle<Kind::DC>;
using HBITMAP = Handle<Kind::Bitmap>;
using HPEN = Handle<Kind::Pen>;
using HBRUSH = Handle<Kind::Brush>;
using HFONT = Handle<Kind::Font>;
using HRGN = Handle<Kind::Region>;

// ---- Objects ----

// How many objects (DCs, bitmaps, pens, brushes, fonts, regions) exist that a caller created and
// has not deleted. Stock objects are not counted.
int LiveObjectCount();

// Memory DC compatible with `dc` (the screen when 0).
HDC CreateCompatibleDC(HDC dc);
// A DC that draws straight into `image` (not owned; it must outlive the DC). The image is
// converted to Format_RGB32 if it has another format. Used for a control's persistent image.
HDC CreateImageDC(QImage* image);
// The screen's DC: colour, 1 x 1. Not to be deleted (DeleteDC refuses it).
HDC GetScreenDC();
// Deletes a DC created by this module. The objects selected into it at that time are not
// deleted (the caller puts back the ones the DC came with and deletes its own).
BOOL DeleteDC(HDC dc);

// Colour bitmap (32 bits per pixel) or, with bitsPerPixel 1, a monochrome one, cleared to black.
// Zero or negative sizes, or a side above 32767, give 0.
HBITMAP CreateBitmap(std::int32_t width, std::int32_t height, int bitsPerPixel);
HBITMAP CreateCompatibleBitmap(HDC dc, std::int32_t width, std::int32_t height);
// A colour bitmap holding a copy of `image` (alpha dropped: transparent pixels read as their
// colour channels, as the picture files store them).
HBITMAP CreateBitmapFromImage(const QImage& image);
// A copy of the bitmap's pixels (Format_RGB32, or Format_Mono-like black/white RGB32 for masks).
QImage ImageOf(HBITMAP bitmap);
// The 24-byte bitmap record the platform gives for a bitmap.
struct BITMAP {
    std::int32_t bmType = 0;
    std::int32_t bmWidth = 0;
    std::int32_t bmHeight = 0;
    std::int32_t bmWidthBytes = 0;
    std::uint16_t bmPlanes = 0;
    std::uint16_t bmBitsPixel = 0;
    const void* bmBits = nullptr;
};
// Fills `out`; FALSE for anything that is not a bitmap.
BOOL GetObject(HBITMAP bitmap, BITMAP* out);
// A new bitmap: `bitmap` scaled to width x height by nearest pixel (no smoothing, so a key colour
// stays exact). 0 on bad input.
HBITMAP CopyImage(HBITMAP bitmap, std::int32_t width, std::int32_t height);

enum PenStyle : int { PS_SOLID = 0, PS_DOT = 2, PS_NULL = 5 };
// A pen of `width` pixels (at least 1). PS_DOT draws every other pixel.
HPEN CreatePen(int style, std::int32_t width, COLORREF colour);
HBRUSH CreateSolidBrush(COLORREF colour);

// A font: face name (up to 32 characters), height in pixels (negative: character height without
// internal leading, as -(points x 20) / 15 gives; positive: cell height), weight (400 regular,
// 700 bold), italic, underline, strike-through.
struct LOGFONT {
    std::int32_t lfHeight = 0;
    std::int32_t lfWeight = 400;
    bool lfItalic = false;
    bool lfUnderline = false;
    bool lfStrikeOut = false;
    QString lfFaceName;
};
HFONT CreateFontIndirect(const LOGFONT& font);
// The height a font of `points` points is asked for: -(points x 20) / 15, to the nearest integer.
std::int32_t FontHeightForPoints(double points);

enum StockObject : int {
    WHITE_BRUSH = 0,
    BLACK_BRUSH = 4,
    NULL_BRUSH = 5,
    WHITE_PEN = 6,
    BLACK_PEN = 7,
    NULL_PEN = 8,
    SYSTEM_FONT = 13,
};
HBRUSH GetStockBrush(int which);
HPEN GetStockPen(int which);
HFONT GetStockFont(int which);

// Deletes a bitmap, pen, brush, font or region. FALSE (nothing done) for stock objects, objects
// selected into a DC, and anything that is not a live object.
BOOL DeleteObject(HBITMAP object);
BOOL DeleteObject(HPEN object);
BOOL DeleteObject(HBRUSH object);
BOOL DeleteObject(HFONT object);
BOOL DeleteObject(HRGN object);

// Selects an object into a DC and returns the one it replaces (0 on failure). A bitmap can be
// selected into one memory DC at a time; image DCs and the screen DC take no bitmap.
HBITMAP SelectObject(HDC dc, HBITMAP bitmap);
HPEN SelectObject(HDC dc, HPEN pen);
HBRUSH SelectObject(HDC dc, HBRUSH brush);
HFONT SelectObject(HDC dc, HFONT font);
HBITMAP GetCurrentBitmap(HDC dc);
HPEN GetCurrentPen(HDC dc);
HBRUSH GetCurrentBrush(HDC dc);
HFONT GetCurrentFont(HDC dc);

// Text colour, background colour (both resolved when a system colour is given) and mode.
enum BkMode : int { TRANSPARENT = 1, OPAQUE = 2 };
COLORREF SetTextColor(HDC dc, COLORREF colour);  // returns the previous one
COLORREF GetTextColor(HDC dc);
COLORREF SetBkColor(HDC dc, COLORREF colour);
COLORREF GetBkColor(HDC dc);
int SetBkMode(HDC dc, int mode);
int GetBkMode(HDC dc);

// The DC's clip region: a copy of `region` (0 removes the clip). Returns the region type.
int SelectClipRgn(HDC dc, HRGN region);
// Size of the DC's drawing surface (the selected bitmap or the image), in device pixels.
QSize SurfaceSize(HDC dc);

// Device pixels per logical pixel of a memory or image DC (1 when made, which leaves every
// result exactly as without scaling). With a scale s the DC's surface holds device pixels while
// every call on the DC takes logical coordinates: areas (rectangles, fills, regions, the clip)
// cover device pixels round(edge x s) and on; a pen of w pixels draws round(w x s) device pixels
// thick (one-pixel lines and bevels stay one logical pixel wide, solid); text is drawn with the
// font at device resolution on the logical layout (measures do not change); icons and blits
// from a DC of another scale are smoothly scaled to the device pixels they cover. SetPixel fills
// the logical pixel, GetPixel reads its top-left device pixel. The scale must be from 0.25 to 16;
// FALSE (nothing changed) otherwise and for the screen DC.
BOOL SetDeviceScale(HDC dc, double scale);
double GetDeviceScale(HDC dc);  // 0 for a bad handle

// ---- Blits (Blit.cpp) ----

// Raster operations: the third byte of the code is the truth table over pattern (P, bit 2),
// source (S, bit 1) and destination (D, bit 0): result bit = (code >> 16) >> (P*4 + S*2 + D) & 1.
inline constexpr std::uint32_t SRCCOPY = 0x00CC0020;
inline constexpr std::uint32_t SRCPAINT = 0x00EE0086;
inline constexpr std::uint32_t SRCAND = 0x008800C6;
inline constexpr std::uint32_t SRCINVERT = 0x00660046;
inline constexpr std::uint32_t SRCERASE = 0x00440328;
inline constexpr std::uint32_t NOTSRCCOPY = 0x00330008;
inline constexpr std::uint32_t NOTSRCERASE = 0x001100A6;
inline constexpr std::uint32_t MERGECOPY = 0x00C000CA;
inline constexpr std::uint32_t MERGEPAINT = 0x00BB0226;
inline constexpr std::uint32_t PATCOPY = 0x00F00021;
inline constexpr std::uint32_t PATPAINT = 0x00FB0A09;
inline constexpr std::uint32_t PATINVERT = 0x005A0049;
inline constexpr std::uint32_t DSTINVERT = 0x00550009;
inline constexpr std::uint32_t BLACKNESS = 0x00000042;
inline constexpr std::uint32_t WHITENESS = 0x00FF0062;
// Destination AND NOT source.
inline constexpr std::uint32_t DSTANDNOTSRC = 0x00220326;
// Where the source is 1 keep the destination, elsewhere take the pattern: (D & S) | (P & ~S).
inline constexpr std::uint32_t DSPDXAX = 0x00B8074A;

// The result of raster operation `rop` on one 32-bit pixel (every bit on its own).
std::uint32_t ApplyRop(std::uint32_t rop, std::uint32_t pattern, std::uint32_t source,
                       std::uint32_t destination);

// Block copy of w x h from (sx, sy) of `src` to (x, y) of `dst` through `rop`, clipped to both
// surfaces and to the destination's clip region. Overlapping copies within one bitmap are
// correct. `src` may be 0 for operations that do not use the source.
BOOL BitBlt(HDC dst, std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h, HDC src,
            std::int32_t sx, std::int32_t sy, std::uint32_t rop);
// Stretched copy: nearest source pixel for every destination pixel, both when enlarging and when
// reducing. Negative widths or heights mirror. FALSE for a side above 32767.
BOOL StretchBlt(HDC dst, std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h, HDC src,
                std::int32_t sx, std::int32_t sy, std::int32_t sw, std::int32_t sh,
                std::uint32_t rop);
// Fill with the selected brush through `rop` (a pattern-and-destination operation).
BOOL PatBlt(HDC dst, std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h,
            std::uint32_t rop);

// ---- Regions (Region.cpp) ----

enum RegionType : int { kRgnError = 0, NULLREGION = 1, SIMPLEREGION = 2, COMPLEXREGION = 3 };
enum CombineMode : int { RGN_AND = 1, RGN_OR = 2, RGN_XOR = 3, RGN_DIFF = 4, RGN_COPY = 5 };
enum FillMode : int { ALTERNATE = 1, WINDING = 2 };

HRGN CreateRectRgn(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom);
// The ellipse traced through the pixels of the box less its right column and bottom row, as the
// platform draws it (see Region.cpp); empty when that leaves no pixel.
HRGN CreateEllipticRgn(std::int32_t left, std::int32_t top, std::int32_t right,
                       std::int32_t bottom);
// The polygon through `points` (closed automatically): pixel (x, y) belongs to it when the point
// (x, y) is inside by the fill mode, a point on a left or top edge counting as inside and one on
// a right or bottom edge as outside.
HRGN CreatePolygonRgn(const POINT* points, int count, int fillMode);
// dest = src1 <mode> src2 (src2 unused for RGN_COPY). Returns the new region type.
int CombineRgn(HRGN dest, HRGN src1, HRGN src2, int mode);
int OffsetRgn(HRGN region, std::int32_t dx, std::int32_t dy);
int GetRgnBox(HRGN region, RECT* box);
BOOL PtInRegion(HRGN region, std::int32_t x, std::int32_t y);
BOOL EqualRgn(HRGN a, HRGN b);
// Paints the region with the brush (clipped to the DC's clip region).
BOOL FillRgn(HDC dc, HRGN region, HBRUSH brush);
// Paints a frame w pixels wide and h high along the region's edge, inside the region.
BOOL FrameRgn(HDC dc, HRGN region, HBRUSH brush, std::int32_t w, std::int32_t h);
// The region as a QRegion (empty for a bad handle), and a new region from a QRegion.
QRegion RegionOf(HRGN region);
// The pixels FrameRgn paints for `region` (empty for a bad handle or size).
QRegion FrameRegionOf(HRGN region, std::int32_t w, std::int32_t h);
HRGN CreateRgnFromQRegion(const QRegion& region);

// A widget's window region: painting and mouse input are limited to it (clicks outside fall
// through to what lies behind). The region is copied; 0 removes it. GetWindowRgn copies the
// current one into `into` and returns its type (kRgnError when the widget has none).
BOOL SetWindowRgn(QWidget* widget, HRGN region, bool redraw);
int GetWindowRgn(QWidget* widget, HRGN into);

// ---- Drawing (Draw.cpp) ----

// Outline in the pen, inside filled with the brush; right and bottom exclusive. With the null
// pen the brush fills the whole rectangle.
BOOL Rectangle(HDC dc, std::int32_t left, std::int32_t top, std::int32_t right,
               std::int32_t bottom);
// Lines with the pen from point to point; the last point is not drawn.
BOOL Polyline(HDC dc, const POINT* points, int count);
// Counterclockwise arc of the ellipse in the box, from the ray towards (xs, ys) to the ray
// towards (xe, ye); equal rays draw the whole ellipse.
BOOL Arc(HDC dc, std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom,
         std::int32_t xs, std::int32_t ys, std::int32_t xe, std::int32_t ye);
// Returns the colour set (or kClrInvalid outside the surface or the clip).
COLORREF SetPixel(HDC dc, std::int32_t x, std::int32_t y, COLORREF colour);
// kClrInvalid outside the surface.
COLORREF GetPixel(HDC dc, std::int32_t x, std::int32_t y);
// Inverts every other pixel along the rectangle's edge; drawing it twice restores the pixels.
BOOL DrawFocusRect(HDC dc, const RECT& rect);
// Draws `icon` scaled to w x h (its own size when 0) at (x, y): pixels whose alpha is below 128
// are the icon's mask and leave the destination alone.
BOOL DrawIconEx(HDC dc, std::int32_t x, std::int32_t y, const QImage& icon, std::int32_t w,
                std::int32_t h);

// ---- Text (Text.cpp) ----

enum DrawTextFlags : std::uint32_t {
    DT_LEFT = 0x0,
    DT_CENTER = 0x1,
    DT_RIGHT = 0x2,
    DT_VCENTER = 0x4,
    DT_BOTTOM = 0x8,
    DT_WORDBREAK = 0x10,
    DT_SINGLELINE = 0x20,
    DT_NOCLIP = 0x100,
    DT_CALCRECT = 0x400,
    DT_NOPREFIX = 0x800,
};
// Draws `text` into `rect` with the selected font, the text colour and (in opaque mode) the
// background colour, aligned by the flags. With DT_WORDBREAK lines break at spaces to fit the
// width (a single word longer than the width overflows it); CR LF (or LF) always breaks. "&"
// underlines the next character and "&&" draws one ampersand, unless DT_NOPREFIX. Ink and
// paper stay inside `rect` (and the DC's clip) unless DT_NOCLIP lets lines run past it. With
// DT_CALCRECT nothing is drawn: the rectangle's right and bottom are set to the extent of the
// text. Returns the height of the text (0 on failure).
int DrawText(HDC dc, const QString& text, RECT* rect, std::uint32_t flags);

// ---- System colours ----

// Colour `index` of the fixed table of default desktop colours.
COLORREF GetSysColor(int index);
// A value with the top bit set names a system colour by its low byte; others are returned as
// they are.
COLORREF ResolveColor(COLORREF colour);

}  // namespace platform::gdi
