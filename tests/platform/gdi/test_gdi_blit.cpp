// Blits: raster operations, kind conversions, overlap, clipping, stretching and bad input.

#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <initializer_list>

#include "platform/gdi/Gdi.h"
#include "platform/gdi/GdiObjects.h"

using namespace platform::gdi;

namespace {

// The w x h picture with stored pixel f(x, y) (0xRRGGBB) at (x, y).
QImage Made(int w, int h, const std::function<std::uint32_t(int, int)>& f) {
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) image.setPixel(x, y, 0xFF000000u | f(x, y));
    return image;
}
// Stored pixels row by row; a single value fills the picture.
QImage Pixels(int w, int h, std::initializer_list<std::uint32_t> v) {
    return Made(w, h,
                [&](int x, int y) { return v.size() > 1 ? v.begin()[y * w + x] : *v.begin(); });
}
// Every pixel different, so a misplaced one shows.
QImage Numbered(int w, int h) {
    return Made(w, h, [](int x, int y) { return (y * 0x1307u + x * 0x2911u) & 0xFFFFFFu; });
}

// A memory DC holding its own bitmap (and brush); puts everything back when it goes.
struct Canvas {
    HDC dc = CreateCompatibleDC(GetScreenDC());
    HBITMAP bitmap, old;
    HBRUSH brush;
    explicit Canvas(HBITMAP b) : bitmap(b), old(SelectObject(dc, b)) {}
    explicit Canvas(const QImage& image) : Canvas(CreateBitmapFromImage(image)) {}
    ~Canvas() {
        SelectObject(dc, old);
        SelectObject(dc, GetStockBrush(WHITE_BRUSH));
        DeleteObject(bitmap);
        DeleteObject(brush);
        DeleteDC(dc);
    }
    void SetBrush(COLORREF colour) {
        brush = CreateSolidBrush(colour);
        SelectObject(dc, brush);
    }
    QImage Image() const { return ImageOf(bitmap); }
};

}  // namespace

TEST(RopTest, EveryOperationFollowsItsTruthTable) {
    // Each bit of P = F0, S = CC, D = AA is one entry of the table, so every byte of the result
    // spells the operation's own table.
    for (std::uint32_t r = 0; r < 256; ++r)
        EXPECT_EQ(ApplyRop(r << 16, 0xF0F0F0F0u, 0xCCCCCCCCu, 0xAAAAAAAAu), r * 0x01010101u) << r;

    // The same through real blits, 37 pixels wide so that vectorised loops and their tails run,
    // with the source at (3, 1) of its bitmap.
    Canvas src(Made(40, 2, [](int x, int y) { return x >= 3 && y == 1 ? 0xCCCCCCu : 0u; }));
    Canvas grey(Pixels(37, 3, {0xAAAAAA})), dst(CreateBitmap(37, 3, 32));
    dst.SetBrush(0xF0F0F0);
    for (std::uint32_t r = 0; r < 256; ++r) {
        const std::uint32_t rop = r << 16, want = 0xFF000000u | r * 0x010101u;
        const bool usesSource = ApplyRop(rop, 0xF0F0F0F0u, 0, 0xAAAAAAAAu) !=
                                ApplyRop(rop, 0xF0F0F0F0u, ~0u, 0xAAAAAAAAu);
        ASSERT_TRUE(BitBlt(dst.dc, 0, 0, 37, 3, grey.dc, 0, 0, SRCCOPY));
        // Without a source only operations that do not read it succeed.
        EXPECT_EQ(BitBlt(dst.dc, 0, 0, 37, 1, HDC{}, 0, 0, rop) != 0, !usesSource) << r;
        EXPECT_TRUE(!usesSource || BitBlt(dst.dc, 0, 0, 37, 1, src.dc, 3, 1, rop)) << r;
        EXPECT_TRUE(StretchBlt(dst.dc, 0, 1, 37, 1, src.dc, 3, 1, 19, 1, rop));
        EXPECT_EQ(PatBlt(dst.dc, 0, 2, 37, 1, rop) != 0, !usesSource) << r;
        // Stored words, alpha included (image comparison ignores it).
        const QImage got = dst.Image();
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 37; ++x)
                ASSERT_EQ(reinterpret_cast<const std::uint32_t*>(got.constScanLine(y))[x],
                          y == 2 && usesSource ? 0xFFAAAAAAu : want)
                    << r << " row " << y;
    }
}

TEST(BlitTest, ConvertsBetweenColourAndMonochrome) {
    Canvas colour(Pixels(3, 1, {0x336699, 0x000000, 0xFFFFFF}));
    Canvas mask(CreateBitmap(3, 1, 1));
    // Colour to mono: the source background colour is white, everything else (white too) black.
    SetBkColor(colour.dc, 0x996633);
    ASSERT_TRUE(BitBlt(mask.dc, 0, 0, 3, 1, colour.dc, 0, 0, SRCCOPY));
    EXPECT_EQ(mask.Image(), Pixels(3, 1, {0xFFFFFF, 0x000000, 0x000000}));
    // Mono to colour: white is the destination's background colour, black its text colour.
    Canvas out(Pixels(3, 1, {0x00FF00}));
    SetTextColor(out.dc, 0x0000FF);
    SetBkColor(out.dc, 0xFF0000);
    ASSERT_TRUE(BitBlt(out.dc, 0, 0, 3, 1, mask.dc, 0, 0, SRCPAINT));
    EXPECT_EQ(out.Image(), Pixels(3, 1, {0x00FFFF, 0xFFFF00, 0xFFFF00}));
    ASSERT_TRUE(BitBlt(out.dc, 0, 0, 3, 1, mask.dc, 0, 0, SRCCOPY));
    EXPECT_EQ(out.Image(), Pixels(3, 1, {0x0000FF, 0xFF0000, 0xFF0000}));
    // Through an operation reading the destination, and stretched.
    ASSERT_TRUE(BitBlt(mask.dc, 0, 0, 3, 1, colour.dc, 0, 0, SRCINVERT));
    EXPECT_EQ(mask.Image(), Pixels(3, 1, {0x000000}));
    Canvas wide(CreateBitmap(6, 1, 1));
    ASSERT_TRUE(StretchBlt(wide.dc, 0, 0, 6, 1, colour.dc, 0, 0, 3, 1, SRCCOPY));
    EXPECT_EQ(wide.Image(), Pixels(6, 1, {0xFFFFFF, 0xFFFFFF, 0, 0, 0, 0}));
}

TEST(BlitTest, KeyColourTransparencyRecipe) {
    // Key 0x0080FF (stored 0xFF8000): the other pixels must land, the key ones not.
    const QImage picture = Pixels(
        4, 2, {0xFF8000, 0x112233, 0xFF8000, 0xFFFFFF, 0x000000, 0xFF8000, 0x445566, 0xFF8001});
    const QImage background = Numbered(4, 2);
    Canvas pic(picture), copy(picture), mask(CreateBitmap(4, 2, 1)), dest(background);
    SetBkColor(pic.dc, 0x0080FF);
    ASSERT_TRUE(BitBlt(mask.dc, 0, 0, 4, 2, pic.dc, 0, 0, SRCCOPY));
    SetTextColor(copy.dc, 0x000000);
    SetBkColor(copy.dc, 0xFFFFFF);
    ASSERT_TRUE(BitBlt(copy.dc, 0, 0, 4, 2, mask.dc, 0, 0, DSTANDNOTSRC));
    ASSERT_TRUE(BitBlt(dest.dc, 0, 0, 4, 2, mask.dc, 0, 0, SRCAND));
    ASSERT_TRUE(BitBlt(dest.dc, 0, 0, 4, 2, copy.dc, 0, 0, SRCPAINT));
    EXPECT_EQ(dest.Image(), Made(4, 2, [&](int x, int y) {
                  const std::uint32_t p = picture.pixel(x, y);
                  return p == 0xFFFF8000u ? background.pixel(x, y) : p;
              }));
}

TEST(BlitTest, OverlappingCopiesWithinOneBitmap) {
    const QImage original = Numbered(8, 8);
    const int moves[][4] = {{0, 0, 2, 1}, {2, 1, 0, 0}, {1, 0, 0, 0}, {0, 0, 1, 0}, {0, 1, 0, 0}};
    for (const std::uint32_t rop : {SRCCOPY, SRCINVERT})
        for (const auto& [sx, sy, x, y] : moves) {
            Canvas c(original);
            ASSERT_TRUE(BitBlt(c.dc, x, y, 6, 6, c.dc, sx, sy, rop));
            const QImage want = Made(8, 8, [&](int px, int py) {
                const std::uint32_t d = original.pixel(px, py);
                if (px < x || px >= x + 6 || py < y || py >= y + 6) return d;
                const std::uint32_t s = original.pixel(px - x + sx, py - y + sy);
                return rop == SRCCOPY ? s : s ^ d;
            });
            EXPECT_EQ(c.Image(), want) << sx << sy << x << y << std::hex << rop;
        }
    // A stretch of the top-left quarter over the whole bitmap.
    Canvas c(original);
    ASSERT_TRUE(StretchBlt(c.dc, 0, 0, 8, 8, c.dc, 0, 0, 4, 4, SRCCOPY));
    EXPECT_EQ(c.Image(), Made(8, 8, [&](int x, int y) { return original.pixel(x / 2, y / 2); }));
}

TEST(BlitTest, ClipsToBothSurfacesAndTheClipRegion) {
    Canvas src(Pixels(4, 4, {0x0000FF})), dst(Pixels(6, 6, {0xFFFFFF}));
    const auto blueWhere = [](auto inside, std::uint32_t blue = 0x0000FF) {
        return Made(6, 6, [&](int x, int y) { return inside(x, y) ? blue : 0xFFFFFFu; });
    };
    // Partly off the destination (left, top) and off the source (right, bottom): only the 2 x 2
    // whose source exists and whose destination is on the surface changes.
    ASSERT_TRUE(BitBlt(dst.dc, -1, -1, 5, 5, src.dc, 1, 1, SRCCOPY));
    EXPECT_EQ(dst.Image(), blueWhere([](int x, int y) { return x < 2 && y < 2; }));

    // A clip region of two pieces.
    Canvas clipped(Pixels(6, 6, {0xFFFFFF}));
    const QRegion region = QRegion(0, 0, 2, 6) + QRegion(4, 4, 2, 2);
    HRGN rgn = detail::NewRegion(region);
    ASSERT_EQ(SelectClipRgn(clipped.dc, rgn), COMPLEXREGION);
    DeleteObject(rgn);
    const auto inClip = [&](int x, int y) { return region.contains(QPoint(x, y)); };
    ASSERT_TRUE(BitBlt(clipped.dc, 0, 0, 6, 6, src.dc, 0, 0, SRCCOPY));
    EXPECT_EQ(clipped.Image(),
              blueWhere([&](int x, int y) { return inClip(x, y) && x < 4 && y < 4; }));
    ASSERT_TRUE(StretchBlt(clipped.dc, 0, 0, 6, 6, src.dc, 0, 0, 2, 2, SRCCOPY));
    EXPECT_EQ(clipped.Image(), blueWhere(inClip));
    ASSERT_TRUE(PatBlt(clipped.dc, -3, -3, 20, 20, DSTINVERT));
    EXPECT_EQ(clipped.Image(), blueWhere(inClip, 0xFFFF00));
}

TEST(StretchTest, NearestPixelEnlargingReducingAndMirroring) {
    const QImage s = Numbered(5, 4);
    // Destination size, x, y, w, h, sx, sy, sw, sh and the source pixel of each destination
    // pixel (x < 0: left alone, black).
    const struct {
        int dw, dh, x, y, w, h, sx, sy, sw, sh;
        std::function<QPoint(int, int)> from;
    } cases[] = {
        // Twice as large: every source pixel a 2 x 2 block.
        {10, 8, 0, 0, 10, 8, 0, 0, 5, 4, [](int x, int y) { return QPoint(x / 2, y / 2); }},
        // 5 x 4 to 2 x 2: the pixels under the centres (1.25, 1) and (3.75, 3).
        {2, 2, 0, 0, 2, 2, 0, 0, 5, 4, [](int x, int y) { return QPoint(x ? 3 : 1, y ? 3 : 1); }},
        // Mirrored by the destination's width, by the source's, not when both are negative.
        {5, 4, 5, 0, -5, 4, 0, 0, 5, 4, [](int x, int y) { return QPoint(4 - x, y); }},
        {5, 4, 0, 0, 5, 4, 5, 0, -5, 4, [](int x, int y) { return QPoint(4 - x, y); }},
        {5, 4, 5, 4, -5, -4, 5, 4, -5, -4, [](int x, int y) { return QPoint(x, y); }},
        {5, 4, 0, 0, 5, 4, 0, 4, 5, -4, [](int x, int y) { return QPoint(x, 3 - y); }},
        // Source columns 3 .. 6 of a 5-wide source, doubled: those from 5 and 6 stay black.
        {10, 8, 0, 0, 8, 8, 3, 0, 4, 4,
         [](int x, int y) { return x < 4 ? QPoint(3 + x / 2, y / 2) : QPoint(-1, 0); }},
    };
    for (const auto& c : cases) {
        Canvas src(s), dst(CreateBitmap(c.dw, c.dh, 32));
        EXPECT_TRUE(
            StretchBlt(dst.dc, c.x, c.y, c.w, c.h, src.dc, c.sx, c.sy, c.sw, c.sh, SRCCOPY));
        EXPECT_EQ(dst.Image(), Made(c.dw, c.dh,
                                    [&](int x, int y) {
                                        const QPoint p = c.from(x, y);
                                        return p.x() < 0 ? 0u : s.pixel(p);
                                    }))
            << c.x << c.w << c.sx << c.sw;
    }
    Canvas src(s), dst(CreateBitmap(4, 4, 32));
    EXPECT_FALSE(StretchBlt(dst.dc, 0, 0, 32768, 4, src.dc, 0, 0, 5, 4, SRCCOPY));
    EXPECT_FALSE(StretchBlt(dst.dc, 0, 0, 4, 4, src.dc, 0, 0, 5, -32768, SRCCOPY));
}

TEST(BlitTest, BadInputFailsOrDrawsNothing) {
    const QImage original = Numbered(4, 4);
    Canvas dst(original), src(Numbered(4, 4).mirrored());
    HDC dead = CreateCompatibleDC(HDC{});
    DeleteDC(dead);
    for (HDC bad : {HDC{}, dead}) {
        EXPECT_FALSE(BitBlt(bad, 0, 0, 4, 4, src.dc, 0, 0, SRCCOPY));
        EXPECT_FALSE(BitBlt(dst.dc, 0, 0, 4, 4, bad, 0, 0, SRCCOPY));
        EXPECT_FALSE(StretchBlt(bad, 0, 0, 4, 4, src.dc, 0, 0, 2, 2, SRCCOPY));
        EXPECT_FALSE(StretchBlt(dst.dc, 0, 0, 4, 4, bad, 0, 0, 2, 2, SRCCOPY));
        EXPECT_FALSE(PatBlt(bad, 0, 0, 4, 4, BLACKNESS));
    }
    EXPECT_FALSE(PatBlt(dst.dc, 0, 0, 4, 4, SRCCOPY));  // PatBlt has no source
    // Empty, negative, or sizes and offsets at the limits of 32 bits: nothing drawn.
    EXPECT_TRUE(BitBlt(dst.dc, 0, 0, 0, 4, src.dc, 0, 0, SRCCOPY));
    EXPECT_TRUE(BitBlt(dst.dc, 0, 0, 4, -4, src.dc, 0, 0, SRCCOPY));
    EXPECT_TRUE(BitBlt(dst.dc, 0, 0, INT_MAX, INT_MAX, src.dc, INT_MIN, INT_MIN, SRCCOPY));
    EXPECT_TRUE(BitBlt(dst.dc, INT_MAX, INT_MAX, INT_MAX, INT_MAX, src.dc, 0, 0, SRCCOPY));
    EXPECT_TRUE(BitBlt(dst.dc, INT_MIN, INT_MIN, INT_MAX, INT_MAX, src.dc, INT_MAX, 0, SRCCOPY));
    EXPECT_TRUE(StretchBlt(dst.dc, INT_MIN, INT_MIN, 32767, 32767, src.dc, 0, 0, 4, 4, SRCCOPY));
    EXPECT_TRUE(StretchBlt(dst.dc, 0, 0, 4, 4, src.dc, INT_MAX, INT_MIN, 32767, -32767, SRCCOPY));
    EXPECT_TRUE(StretchBlt(dst.dc, INT_MAX, 0, -32767, 4, src.dc, 0, 0, 0, 4, SRCCOPY));
    EXPECT_TRUE(PatBlt(dst.dc, INT_MIN, INT_MIN, INT_MAX, INT_MAX, BLACKNESS));
    EXPECT_EQ(dst.Image(), original);
    // Huge but covering: the whole surface and no more.
    EXPECT_TRUE(PatBlt(dst.dc, -5, -5, INT_MAX, INT_MAX, WHITENESS));
    EXPECT_EQ(dst.Image(), Pixels(4, 4, {0xFFFFFF}));
    // The null brush is pattern 0.
    SelectObject(dst.dc, GetStockBrush(NULL_BRUSH));
    EXPECT_TRUE(PatBlt(dst.dc, 1, 1, 2, 2, PATCOPY));
    EXPECT_EQ(dst.Image(), Made(4, 4, [](int x, int y) {
                  return x >= 1 && x < 3 && y >= 1 && y < 3 ? 0u : 0xFFFFFFu;
              }));
}
