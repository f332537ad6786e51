// Regions: algebra by pixel counts, exact edge pixels of ellipses and polygons, filling and
// framing, window regions and bad input.

#include <gtest/gtest.h>

#include <QStringList>
#include <QWidget>
#include <climits>
#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "platform/gdi/Gdi.h"

using namespace platform::gdi;

namespace {

struct Rgn {  // deleted at the end of the scope
    HRGN h;
    ~Rgn() { DeleteObject(h); }
    operator HRGN() const { return h; }
};

long long Area(HRGN region) {
    long long area = 0;
    for (const QRect& r : RegionOf(region)) area += (long long)r.width() * r.height();
    return area;
}

// The spans of rows top..bottom-1 as "left-right" (right exclusive), rows split by "|".
std::string Rows(HRGN region, int top, int bottom) {
    QStringList rows;
    for (int y = top; y < bottom; ++y) {
        QStringList spans;
        for (const QRect& r : RegionOf(region))  // stored in y-x order
            if (r.top() <= y && y <= r.bottom())
                spans << QStringLiteral("%1-%2").arg(r.left()).arg(r.right() + 1);
        rows << spans.join(' ');
    }
    return rows.join('|').toStdString();
}

// The pixels `paint` changes on a black 20 x 20 surface, as a region.
template <class F>
Rgn Painted(F paint) {
    QImage image(20, 20, QImage::Format_RGB32);
    image.fill(0xFF000000u);
    HDC dc = CreateImageDC(&image);
    paint(dc);
    DeleteDC(dc);
    QRegion painted;
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 20; ++x)
            if (image.pixel(x, y) != 0xFF000000u) painted += QRect(x, y, 1, 1);
    return Rgn{CreateRgnFromQRegion(painted)};
}

}  // namespace

TEST(GdiRegionTest, CombinedPiecesAreDisjointAndAreasAddUp) {
    const POINT tri[] = {{3, 2}, {17, 9}, {5, 14}};
    const Rgn a{CreateRectRgn(10, 8, 0, 0)}, b{CreateEllipticRgn(4, 3, 19, 12)},
        c{CreatePolygonRgn(tri, 3, ALTERNATE)}, both{CreateRectRgn(0, 0, 0, 0)},
        one{CreateRectRgn(0, 0, 0, 0)};
    for (auto [p, q] : {std::pair{&a, &b}, std::pair{&b, &c}, std::pair{&c, &a}}) {
        const auto area = [&](int mode) {
            CombineRgn(one, *p, *q, mode);
            return Area(one);
        };
        CombineRgn(both, *p, *q, RGN_AND);
        EXPECT_EQ(Area(*p), Area(both) + area(RGN_DIFF));
        EXPECT_FALSE(RegionOf(both).intersects(RegionOf(one)));
        EXPECT_EQ(area(RGN_OR), Area(*p) + Area(*q) - Area(both));
        EXPECT_EQ(area(RGN_XOR), area(RGN_OR) - Area(both));
        CombineRgn(one, *p, *q, RGN_XOR);
        for (int y = -1; y <= 20; ++y)
            for (int x = -1; x <= 20; ++x)
                ASSERT_EQ(bool(PtInRegion(one, x, y)),
                          PtInRegion(*p, x, y) != PtInRegion(*q, x, y));
    }
    // Swapped corners are normalised; the destination may be a source.
    RECT box;
    EXPECT_TRUE(EqualRgn(a, Rgn{CreateRectRgn(0, 0, 10, 8)}));
    EXPECT_EQ(CombineRgn(one, a, HRGN{}, RGN_COPY), SIMPLEREGION);
    EXPECT_EQ(OffsetRgn(one, -5, 3), SIMPLEREGION);
    EXPECT_EQ(GetRgnBox(one, &box), SIMPLEREGION);
    EXPECT_EQ(box, (RECT{-5, 3, 5, 11}));
    EXPECT_EQ(CombineRgn(one, one, one, RGN_DIFF), NULLREGION);
    EXPECT_EQ(GetRgnBox(one, &box), NULLREGION);
    EXPECT_EQ(box, RECT{});
    // A rectangle stored as two bands (setRects keeps rectangles as given) is still simple.
    QRegion bands;
    const QRect rows[] = {{0, 0, 4, 1}, {0, 1, 4, 1}};
    bands.setRects(rows, 2);
    EXPECT_EQ(GetRgnBox(Rgn{CreateRgnFromQRegion(bands)}, &box), SIMPLEREGION);
}

TEST(GdiRegionTest, EllipsesFillTheirBoxLessItsLastColumnAndRow) {
    // Exact pixels are checked against the platform's masks (test_gdi_region_reference.cpp);
    // here the shape for every small box and for boxes on both sides of the traced size limit:
    // one span per row, centred, widening to the middle and mirrored below it, filling
    // (l, t, r - 1, b - 1) exactly, and, for boxes of three pixels or more each way and at most
    // four times as long as high, no row end more than a pixel from the ellipse's widest pixel
    // centre inside on that row. (Very flat ellipses differ more: the outline takes the nearest
    // row at each step, and two rows of pixels are the whole box.)
    const auto check = [](int w, int h) -> std::string {
        const int l = -w / 2, t = 2 - h / 2, r = l + w, b = t + h;
        const QRegion pixels = RegionOf(Rgn{CreateEllipticRgn(r, b, l, t)});
        if (w <= 1 || h <= 1) return pixels.isEmpty() ? "" : "not empty";
        if (pixels.boundingRect() != QRect(l, t, w - 1, h - 1)) return "box";
        std::vector<std::pair<int, int>> rows(std::size_t(h - 1), {0, 0});  // left, span count
        for (const QRect& q : pixels)
            for (int y = q.top(); y <= q.bottom(); ++y) {
                auto& [left, count] = rows[std::size_t(y - t)];
                left = q.left();
                ++count;
                if (q.left() - l != r - 2 - q.right())
                    return "not centred, row " + std::to_string(y);
            }
        const long long a = w - 1, bb = h - 1;  // doubled semi-axes of the pixel box
        const bool moderate = a >= 3 && bb >= 3 && a <= 4 * bb && bb <= 4 * a;
        for (int i = 0; i < h - 1; ++i) {
            const int width = w - 1 - 2 * (rows[std::size_t(i)].first - l);
            if (rows[std::size_t(i)].second != 1) return "spans, row " + std::to_string(i);
            if (rows[std::size_t(i)] != rows[std::size_t(h - 2 - i)]) return "mirror";
            if (2 * i < h - 2 && rows[std::size_t(i)].first < rows[std::size_t(i + 1)].first)
                return "narrows, row " + std::to_string(i);
            // The widest pixel centre inside, |X| <= reach in doubled units from the middle.
            const long long dy = 2 * i + 2 - h;
            const auto limit = (__int128)a * a * (bb * bb - dy * dy) / (bb * bb);
            auto reach = (long long)std::sqrt((long double)limit);
            while ((__int128)reach * reach > limit) --reach;
            while ((__int128)(reach + 1) * (reach + 1) <= limit) ++reach;
            if ((reach - a - 1) % 2 != 0) --reach;
            if (std::abs(width - 1 - reach) > 2 && moderate) return "far, row " + std::to_string(i);
        }
        return "";
    };
    for (int w = 0; w <= 40; ++w)
        for (int h = 0; h <= 24; ++h) EXPECT_EQ(check(w, h), "") << w << "x" << h;
    for (int w : {1000, 1001})
        for (int h : {3, 4, 999, 1000}) {
            EXPECT_EQ(check(w, h), "") << w << "x" << h;
            EXPECT_EQ(check(h, w), "") << h << "x" << w;
        }
    EXPECT_EQ(check(100000, 31000), "");  // traced
    EXPECT_EQ(check(100000, 32000), "");  // too large to trace: sampled at pixel centres
    EXPECT_EQ(Rows(Rgn{CreateEllipticRgn(0, 0, 2, 5)}, 0, 5), "0-1|0-1|0-1|0-1|");
}

TEST(GdiRegionTest, PolygonsHoldThePointsOnTheirLeftAndTopEdgesAndFillByMode) {
    // Points on the top and left edges are in; those on the slanted side x + y = 8, a right edge,
    // are out.
    const POINT tri[] = {{0, 0}, {8, 0}, {0, 8}};
    EXPECT_EQ(Rows(Rgn{CreatePolygonRgn(tri, 3, ALTERNATE)}, 0, 9),
              "0-8|0-7|0-6|0-5|0-4|0-3|0-2|0-1|");
    // Below the same diagonal it is a left edge, and its points are in; the bottom row is out.
    const POINT under[] = {{8, 0}, {8, 8}, {0, 8}};
    EXPECT_EQ(Rows(Rgn{CreatePolygonRgn(under, 3, WINDING)}, 0, 9),
              "|7-8|6-8|5-8|4-8|3-8|2-8|1-8|");
    // A rectangle as a polygon is the rectangle.
    const POINT box[] = {{2, 3}, {9, 3}, {9, 7}, {2, 7}};
    EXPECT_TRUE(EqualRgn(Rgn{CreatePolygonRgn(box, 4, ALTERNATE)}, Rgn{CreateRectRgn(2, 3, 9, 7)}));
    // Sides (0,0)-(s,H+1) and (W-s+1,0)-(W+1,H+1) with s = 2, W = 9, H = 3.
    const POINT quad[] = {{0, 0}, {2, 4}, {10, 4}, {8, 0}};
    EXPECT_EQ(Rows(Rgn{CreatePolygonRgn(quad, 4, WINDING)}, 0, 4), "0-8|1-9|1-9|2-10");

    // Triangles sharing a slanted edge tile their rectangle: no overlap, no gap.
    const POINT lower[] = {{0, 0}, {8, 0}, {8, 5}}, upper[] = {{0, 0}, {8, 5}, {0, 5}};
    const Rgn a{CreatePolygonRgn(lower, 3, ALTERNATE)}, b{CreatePolygonRgn(upper, 3, WINDING)};
    EXPECT_EQ(CombineRgn(a, a, b, RGN_XOR), SIMPLEREGION);
    EXPECT_TRUE(EqualRgn(a, Rgn{CreateRectRgn(0, 0, 8, 5)}));

    // A pentagram: the centre pentagon is wound twice, so only WINDING fills it.
    const POINT star[] = {{50, 10}, {74, 82}, {12, 38}, {88, 38}, {26, 82}};
    const Rgn alt{CreatePolygonRgn(star, 5, ALTERNATE)}, win{CreatePolygonRgn(star, 5, WINDING)};
    EXPECT_TRUE(PtInRegion(alt, 50, 15) && PtInRegion(alt, 30, 78) && !PtInRegion(alt, 50, 50));
    EXPECT_EQ(CombineRgn(b, alt, win, RGN_DIFF), NULLREGION);
    EXPECT_EQ(CombineRgn(b, win, alt, RGN_DIFF), COMPLEXREGION);
    EXPECT_TRUE(PtInRegion(b, 50, 50));
}

TEST(GdiRegionTest, SlantedButtonOutlinesKeepTheirPixels) {
    // The slanted shapes' quadrilaterals (0,0) (x1,H+1) (W+1,H+1) (x3,0), slant s = H + 1: row y
    // runs from y (left slant) or 0 to W - H + y (right slant) or W + 1, rows 0 to H.
    for (auto [w, h] : {std::pair{60, 20}, {45, 31}, {7, 1}, {120, 40}})
        for (auto [left, right] : {std::pair{true, false}, {false, true}, {true, true}}) {
            const int s = h + 1;
            const POINT quad[] = {
                {0, 0}, {left ? s : 0, h + 1}, {w + 1, h + 1}, {right ? w - s + 1 : w + 1, 0}};
            QRegion expected;
            for (int y = 0; y <= h; ++y) {
                const int from = left ? y : 0, to = right ? w - h + y : w + 1;
                expected += QRect(from, y, to - from, 1);
            }
            EXPECT_TRUE((RegionOf(Rgn{CreatePolygonRgn(quad, 4, WINDING)}) ^ expected).isEmpty())
                << w << "x" << h << " " << left << right;
        }
}

TEST(GdiRegionTest, FillAndFrameStayInsideTheRegionAndTheClip) {
    const HBRUSH red = CreateSolidBrush(0x0000FF);
    const Rgn rect{CreateRectRgn(5, 5, 15, 13)}, e{CreateEllipticRgn(2, 2, 18, 15)};
    const Rgn thin = Painted([&](HDC dc) { EXPECT_TRUE(FrameRgn(dc, rect, red, 1, 1)); });
    EXPECT_EQ(Area(thin), 32);
    EXPECT_EQ(Rows(thin, 4, 7), "|5-15|5-6 14-15");
    EXPECT_EQ(Rows(Painted([&](HDC dc) { FrameRgn(dc, rect, red, 2, 1); }), 11, 14),
              "5-7 13-15|5-15|");

    // On an ellipse the frame is exactly the pixels with a 4-neighbour outside.
    const QRegion s = RegionOf(e);
    const Rgn ring = Painted([&](HDC dc) { FrameRgn(dc, e, red, 1, 1); });
    const QRegion inner =
        s & s.translated(1, 0) & s.translated(-1, 0) & s.translated(0, 1) & s.translated(0, -1);
    EXPECT_TRUE(((s - inner) ^ RegionOf(ring)).isEmpty());

    // A null brush paints nothing; painting stops at the surface and at the clip region.
    const Rgn clip{CreateRectRgn(0, 0, 10, 20)}, offEdge{CreateRectRgn(-5, -5, 3, 3)};
    const Rgn filled = Painted([&](HDC dc) {
        EXPECT_TRUE(FillRgn(dc, rect, GetStockBrush(NULL_BRUSH)));
        FillRgn(dc, offEdge, red);
        SelectClipRgn(dc, clip);
        FillRgn(dc, rect, red);
    });
    EXPECT_EQ(Rows(filled, 2, 6), "0-3|||5-10");
    DeleteObject(red);
}

TEST(GdiRegionTest, WindowRegionsLetClicksOutsideFallThrough) {
    QWidget parent;
    auto* back = new QWidget(&parent);
    auto* front = new QWidget(&parent);
    back->setGeometry(0, 0, 100, 100);
    front->setGeometry(0, 0, 100, 100);
    parent.show();
    const Rgn left{CreateEllipticRgn(0, 0, 50, 100)}, read{CreateRectRgn(0, 0, 0, 0)};
    EXPECT_TRUE(SetWindowRgn(front, left, true));
    OffsetRgn(left, 50, 0);  // the widget keeps its own copy
    EXPECT_EQ(parent.childAt(25, 50), front);
    EXPECT_EQ(parent.childAt(75, 50), back);
    EXPECT_EQ(parent.childAt(1, 1), back);  // outside the ellipse, inside its box
    EXPECT_EQ(GetWindowRgn(front, read), COMPLEXREGION);
    EXPECT_TRUE(EqualRgn(read, Rgn{CreateEllipticRgn(0, 0, 50, 100)}));

    EXPECT_TRUE(SetWindowRgn(front, Rgn{CreateRectRgn(0, 0, 0, 0)}, false));
    EXPECT_EQ(parent.childAt(25, 50), back);
    EXPECT_EQ(GetWindowRgn(front, read), NULLREGION);
    EXPECT_TRUE(SetWindowRgn(front, HRGN{}, false));
    EXPECT_EQ(parent.childAt(75, 50), front);
    EXPECT_EQ(GetWindowRgn(front, read), kRgnError);
}

TEST(GdiRegionTest, BadInputFailsQuietly) {
    const int before = LiveObjectCount();
    {
        const HRGN dead = CreateRectRgn(0, 0, 4, 4);
        DeleteObject(dead);
        const Rgn ok{CreateRectRgn(0, 0, 4, 4)};
        const HBRUSH black = GetStockBrush(BLACK_BRUSH);
        const POINT two[] = {{0, 0}, {5, 5}};
        RECT box;
        for (int result :
             {CombineRgn(dead, ok, ok, RGN_OR), CombineRgn(ok, ok, dead, RGN_AND),
              CombineRgn(ok, ok, ok, 9), OffsetRgn(dead, 1, 1), GetRgnBox(dead, &box),
              GetRgnBox(ok, nullptr), GetWindowRgn(nullptr, ok), PtInRegion(dead, 0, 0),
              EqualRgn(dead, dead), FillRgn(GetScreenDC(), dead, black), FillRgn(HDC{}, ok, black),
              FrameRgn(GetScreenDC(), ok, HBRUSH{}, 1, 1), FrameRgn(GetScreenDC(), ok, black, 0, 1),
              SetWindowRgn(nullptr, ok, false), int(Area(dead))})
            EXPECT_EQ(result, 0);
        // Fewer than three points give an empty region; no points or an unknown mode, none.
        EXPECT_EQ(GetRgnBox(Rgn{CreatePolygonRgn(nullptr, 0, ALTERNATE)}, &box), NULLREGION);
        EXPECT_EQ(GetRgnBox(Rgn{CreatePolygonRgn(two, 2, WINDING)}, &box), NULLREGION);
        EXPECT_FALSE(CreatePolygonRgn(nullptr, 3, ALTERNATE) ||
                     CreatePolygonRgn(two, -1, ALTERNATE) || CreatePolygonRgn(two, 2, 7));

        // Huge coordinates are clamped; moves out of range are refused.
        const POINT distant[] = {{INT_MIN, INT_MIN}, {INT_MAX, 0}, {INT_MIN, INT_MAX}};
        const Rgn all{CreateRectRgn(INT_MIN, INT_MIN, INT_MAX, INT_MAX)},
            big{CreateEllipticRgn(INT_MIN, INT_MIN, INT_MAX, INT_MAX)},
            wide{CreatePolygonRgn(distant, 3, WINDING)};
        EXPECT_EQ(OffsetRgn(all, INT_MAX, 0), kRgnError);
        EXPECT_TRUE(PtInRegion(all, 100000000, -100000000));
        EXPECT_TRUE(PtInRegion(big, 0, 0) && PtInRegion(wide, 0, 0));
        EXPECT_TRUE(FrameRgn(GetScreenDC(), all, black, INT_MAX, INT_MAX));
        EXPECT_EQ(Area(Rgn{CreateRgnFromQRegion(QRegion(INT_MAX - 9, 0, 9, 9))}), 0);
    }
    EXPECT_EQ(LiveObjectCount(), before);
}
