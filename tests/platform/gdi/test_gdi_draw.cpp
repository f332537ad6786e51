// Drawing: exact pixels of rectangles, polylines, arcs, single pixels, the focus rectangle and
// icons, clipped to the surface and the clip region.

#include <gtest/gtest.h>

#include <climits>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "platform/gdi/Gdi.h"
#include "platform/gdi/GdiObjects.h"

using namespace platform::gdi;

namespace {

constexpr COLORREF kRed = 0x0000FF, kGreen = 0x00FF00, kBlue = 0xFF0000;
using Pic = std::vector<std::string>;

// A black bitmap in a memory DC; the pens and brushes made through it go with it.
struct Board {
    HDC dc = CreateCompatibleDC(HDC{});
    HBITMAP bitmap;
    std::vector<HPEN> pens;
    std::vector<HBRUSH> brushes;
    Board(int w, int h) : bitmap(CreateBitmap(w, h, 32)) { SelectObject(dc, bitmap); }
    ~Board() {
        DeleteDC(dc);
        DeleteObject(bitmap);
        for (HPEN p : pens) DeleteObject(p);
        for (HBRUSH b : brushes) DeleteObject(b);
    }
    void Pen(int style, int width, COLORREF c) {
        SelectObject(dc, pens.emplace_back(CreatePen(style, width, c)));
    }
    void Brush(COLORREF c) { SelectObject(dc, brushes.emplace_back(CreateSolidBrush(c))); }
    // One character per pixel: '.' black, R, G, B, '?' anything else.
    Pic Picture() const {
        const QImage img = ImageOf(bitmap);
        Pic rows(std::size_t(img.height()), std::string(std::size_t(img.width()), '?'));
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x)
                for (auto [rgb, ch] : {std::pair{0xFF000000u, '.'},
                                       {0xFFFF0000u, 'R'},
                                       {0xFF00FF00u, 'G'},
                                       {0xFF0000FFu, 'B'}})
                    if (img.pixel(x, y) == rgb) rows[y][x] = ch;
        return rows;
    }
    std::set<std::pair<int, int>> Inked() const {
        std::set<std::pair<int, int>> s;
        const Pic p = Picture();
        for (int y = 0; y < int(p.size()); ++y)
            for (int x = 0; x < int(p[y].size()); ++x)
                if (p[y][x] != '.') s.insert({x, y});
        return s;
    }
};

}  // namespace

TEST(GdiDrawTest, RectangleOutlinesExclusiveEdgesAndFillsInside) {
    Board b(8, 6);
    b.Pen(PS_SOLID, 1, kRed);
    b.Brush(kGreen);
    ASSERT_TRUE(Rectangle(b.dc, 6, 5, 1, 1));  // corners in any order
    // The null pen: the brush fills it all. A 2-pixel pen grows inwards. The null brush: hollow.
    SelectObject(b.dc, GetStockPen(NULL_PEN));
    ASSERT_TRUE(Rectangle(b.dc, 0, 0, 2, 2));
    b.Pen(PS_SOLID, 2, kBlue);
    SelectObject(b.dc, GetStockBrush(NULL_BRUSH));
    ASSERT_TRUE(Rectangle(b.dc, 3, 0, 8, 6));
    EXPECT_EQ(b.Picture(),
              (Pic{"GG.BBBBB", "GGRBBBBB", ".RGBBRBB", ".RGBBRBB", ".RRBBBBB", "...BBBBB"}));
}

TEST(GdiDrawTest, PolylineSkipsTheLastPointAndDotsRunAcrossJoints) {
    Board b(6, 5);
    b.Pen(PS_SOLID, 1, kRed);
    const POINT path[] = {{0, 0}, {4, 0}, {4, 4}, {1, 1}};
    ASSERT_TRUE(Polyline(b.dc, path, 4));
    EXPECT_EQ(b.Picture(), (Pic{"RRRRR.", "....R.", "..R.R.", "...RR.", "....R."}));
    // One on/off counter along the whole line: a joint drawn twice would break the rhythm.
    Board d(6, 5);
    d.Pen(PS_DOT, 1, kGreen);
    ASSERT_TRUE(Polyline(d.dc, path, 3));
    EXPECT_EQ(d.Picture(), (Pic{"G.G.G.", "......", "....G.", "......", "......"}));
    // A wide pen stamps a square centred on each pixel.
    Board w(8, 4);
    w.Pen(PS_SOLID, 3, kBlue);
    const POINT bar[] = {{1, 1}, {6, 1}};
    ASSERT_TRUE(Polyline(w.dc, bar, 2));
    EXPECT_EQ(w.Picture(), (Pic{"BBBBBBB.", "BBBBBBB.", "BBBBBBB.", "........"}));
}

TEST(GdiDrawTest, DrawingStaysInsideTheSurfaceAndTheClipRegion) {
    Board b(9, 9);
    b.Pen(PS_SOLID, 1, kRed);
    const POINT diagonal[] = {{-1000000000, -1000000000}, {1000000000, 1000000000}};
    ASSERT_TRUE(Polyline(b.dc, diagonal, 2));
    HRGN rgn = detail::NewRegion(QRegion(0, 0, 3, 9) + QRegion(6, 0, 3, 9));
    ASSERT_EQ(SelectClipRgn(b.dc, rgn), COMPLEXREGION);
    const POINT row[] = {{-5, 4}, {20, 4}};
    ASSERT_TRUE(Polyline(b.dc, row, 2));
    b.Brush(kGreen);
    SelectObject(b.dc, GetStockPen(NULL_PEN));
    ASSERT_TRUE(Rectangle(b.dc, INT_MIN, 7, INT_MAX, INT_MAX));
    EXPECT_EQ(SetPixel(b.dc, 4, 0, kBlue), kClrInvalid);  // outside the clip
    EXPECT_EQ(b.Picture(), (Pic{"R........", ".R.......", "..R......", "...R.....", "RRR.R.RRR",
                                ".....R...", "......R..", "GGG...GGG", "GGG...GGG"}));
    SelectClipRgn(b.dc, HRGN{});
    DeleteObject(rgn);

    // Huge shapes and pens cost no more than small ones and cover just the surface.
    Board h(5, 4);
    h.Pen(PS_DOT, 1000000000, kGreen);
    const POINT far[] = {{INT_MIN, INT_MAX}, {INT_MAX, INT_MIN}, {INT_MIN, INT_MIN}};
    EXPECT_TRUE(Polyline(h.dc, far, 3));
    EXPECT_TRUE(Arc(h.dc, -30000, -30000, 2767, 2767, 0, 0, 0, 0));
    EXPECT_EQ(h.Inked().size(), 20u);
    EXPECT_FALSE(Arc(h.dc, INT_MIN, 0, INT_MAX, 4, 0, 0, 0, 0));  // too large to trace
}

TEST(GdiDrawTest, ArcTracesAClosedSymmetricEllipseCounterclockwise) {
    auto arc = [](int xs, int ys, int xe, int ye) {
        Board b(12, 10);
        b.Pen(PS_SOLID, 1, kRed);
        EXPECT_TRUE(Arc(b.dc, 0, 0, 10, 8, xs, ys, xe, ye));
        return b.Inked();
    };
    const auto full = arc(3, 3, 3, 3);  // equal rays: the whole ellipse
    for (const auto& [x, y] : full) {
        EXPECT_TRUE(full.count({9 - x, y}) && full.count({x, 7 - y})) << x << "," << y;
        int neighbours = 0;
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx)
                neighbours += (dx || dy) && full.count({x + dx, y + dy});
        EXPECT_GE(neighbours, 2) << x << "," << y;  // no loose ends
    }
    for (auto p : {std::pair{0, 3}, {9, 4}, {4, 0}, {5, 7}}) EXPECT_TRUE(full.count(p));

    // From the right to the top is the upper right quarter; from the top to the right the rest.
    const auto quarter = arc(10, 4, 5, 0), rest = arc(5, 0, 10, 4);
    for (const auto& p : full) {
        const bool upperRight = p.first >= 5 && p.second < 4;
        EXPECT_EQ(quarter.count(p) == 1, upperRight);
        EXPECT_EQ(rest.count(p) == 1, !upperRight);
    }
    EXPECT_EQ(quarter.size() + rest.size(), full.size());
}

TEST(GdiDrawTest, FocusRectangleInvertsAlternatePixelsAndUndoesItself) {
    QImage pattern(10, 8, QImage::Format_RGB32);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 10; ++x) pattern.setPixel(x, y, qRgb(x * 20, y * 30, 77));
    HDC dc = CreateImageDC(&pattern);
    const QImage before = pattern.copy();
    for (RECT r : {RECT{1, 1, 8, 7}, RECT{2, 3, 9, 4}, RECT{5, 0, 6, 8}, RECT{-3, -2, 30, 20}}) {
        ASSERT_TRUE(DrawFocusRect(dc, r));
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 10; ++x) {
                const bool edge =
                    x >= r.left && x < r.right && y >= r.top && y < r.bottom &&
                    (x == r.left || x == r.right - 1 || y == r.top || y == r.bottom - 1);
                const QRgb flip = edge && (x + y) % 2 == 0 ? 0x00FFFFFFu : 0u;
                EXPECT_EQ(pattern.pixel(x, y), before.pixel(x, y) ^ flip) << x << "," << y;
            }
        ASSERT_TRUE(DrawFocusRect(dc, r));
        EXPECT_EQ(pattern, before);
    }
    DeleteDC(dc);
}

TEST(GdiDrawTest, PixelsAndIcons) {
    Board b(6, 6);
    QImage icon(2, 2, QImage::Format_ARGB32);
    icon.setPixel(0, 0, qRgba(255, 0, 0, 255));
    icon.setPixel(1, 0, qRgba(0, 255, 0, 200));  // mostly opaque: drawn opaque
    icon.setPixel(0, 1, qRgba(0, 0, 255, 127));  // the mask
    icon.setPixel(1, 1, qRgba(255, 255, 255, 0));
    ASSERT_TRUE(DrawIconEx(b.dc, 1, 1, icon, 4, 4));
    ASSERT_TRUE(DrawIconEx(b.dc, 5, 5, icon, 0, 0));  // its own size, clipped
    EXPECT_FALSE(DrawIconEx(b.dc, 0, 0, icon, -1, 2));
    EXPECT_FALSE(DrawIconEx(b.dc, 0, 0, QImage(), 0, 0));
    EXPECT_EQ(b.Picture(), (Pic{"......", ".RRGG.", ".RRGG.", "......", "......", ".....R"}));

    EXPECT_EQ(SetPixel(b.dc, 1, 2, 0x123456), 0x123456u);
    EXPECT_EQ(GetPixel(b.dc, 1, 2), 0x123456u);
    for (auto [x, y] : {std::pair{-1, 0}, {6, 0}, {0, 6}, {INT_MIN, INT_MAX}}) {
        EXPECT_EQ(SetPixel(b.dc, x, y, 0), kClrInvalid);
        EXPECT_EQ(GetPixel(b.dc, x, y), kClrInvalid);
    }

    const HDC dead = CreateCompatibleDC(HDC{});
    DeleteDC(dead);
    const POINT two[] = {{0, 0}, {3, 3}};
    for (HDC dc : {dead, HDC{}}) {
        EXPECT_FALSE(Rectangle(dc, 0, 0, 2, 2));
        EXPECT_FALSE(Polyline(dc, two, 2));
        EXPECT_FALSE(Arc(dc, 0, 0, 4, 4, 0, 0, 0, 0));
        EXPECT_EQ(GetPixel(dc, 0, 0), kClrInvalid);
        EXPECT_FALSE(DrawFocusRect(dc, RECT{0, 0, 2, 2}));
        EXPECT_FALSE(DrawIconEx(dc, 0, 0, icon, 0, 0));
    }
    EXPECT_FALSE(Polyline(b.dc, two, 1));
}
