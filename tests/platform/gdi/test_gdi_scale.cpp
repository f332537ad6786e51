// DCs with a device scale: logical coordinates in, device pixels out. Lines keep one logical
// pixel's width at round(scale) device pixels, areas meet without gaps, text and pictures gain
// the density, and the focus rectangle still undoes itself.

#include <gtest/gtest.h>

#include <QImage>
#include <vector>

#include "platform/gdi/Gdi.h"

using namespace platform::gdi;

namespace {

constexpr COLORREF kRed = 0x0000FF, kGreen = 0x00FF00;
constexpr QRgb kRedPixel = 0xFFFF0000u, kGreenPixel = 0xFF00FF00u, kBlackPixel = 0xFF000000u;

// A black bitmap of w x h device pixels in a DC of `scale`.
struct Board {
    HDC dc = CreateCompatibleDC(HDC{});
    HBITMAP bitmap;
    std::vector<HPEN> pens;
    std::vector<HBRUSH> brushes;
    Board(int w, int h, double scale) : bitmap(CreateBitmap(w, h, 32)) {
        SelectObject(dc, bitmap);
        SetDeviceScale(dc, scale);
    }
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
    QImage Image() const { return ImageOf(bitmap); }
};

// The device rectangle holding every pixel of `colour`, and how many there are.
struct Ink {
    QRect box;
    int count = 0;
};
Ink InkOf(const QImage& img, QRgb colour) {
    Ink ink;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (img.pixel(x, y) == colour) {
                ink.box |= QRect(x, y, 1, 1);
                ++ink.count;
            }
    return ink;
}

}  // namespace

TEST(GdiScaleTest, OnlyMemoryAndImageDCsTakeAScaleInRange) {
    Board b(4, 4, 1.0);
    EXPECT_EQ(GetDeviceScale(b.dc), 1.0);
    EXPECT_FALSE(SetDeviceScale(b.dc, 0.0));
    EXPECT_FALSE(SetDeviceScale(b.dc, 100.0));
    EXPECT_FALSE(SetDeviceScale(GetScreenDC(), 2.0));
    EXPECT_FALSE(SetDeviceScale(HDC{}, 2.0));
    EXPECT_EQ(GetDeviceScale(HDC{}), 0.0);
    EXPECT_TRUE(SetDeviceScale(b.dc, 1.5));
    EXPECT_EQ(GetDeviceScale(b.dc), 1.5);
}

TEST(GdiScaleTest, OnePixelLinesAndOutlinesAreRoundScaleDevicePixelsThick) {
    for (const double scale : {2.0, 1.5, 3.0}) {
        SCOPED_TRACE(scale);
        const int t = int(std::lround(scale));
        {
            // Logical pixels 1..5 of row 2, the end point excluded.
            Board b(40, 40, scale);
            b.Pen(PS_SOLID, 1, kRed);
            const POINT line[2] = {{1, 2}, {6, 2}};
            Polyline(b.dc, line, 2);
            const Ink ink = InkOf(b.Image(), kRedPixel);
            EXPECT_EQ(ink.box.top(), std::lround(2 * scale));
            EXPECT_EQ(ink.box.height(), t);
            EXPECT_EQ(ink.box.left(), std::lround(1 * scale));
            EXPECT_EQ(ink.box.right() + 1, std::lround(5 * scale) + t);
            EXPECT_EQ(ink.count, ink.box.width() * ink.box.height());
        }
        {
            // A diagonal is as thick across as a straight line: no gaps between its pixels.
            Board b(40, 40, scale);
            b.Pen(PS_SOLID, 1, kRed);
            const POINT line[2] = {{2, 2}, {10, 10}};
            Polyline(b.dc, line, 2);
            const QImage img = b.Image();
            for (int y = int(std::lround(2 * scale)); y < std::lround(10 * scale); ++y) {
                int run = 0;
                for (int x = 0; x < img.width(); ++x) run += img.pixel(x, y) == kRedPixel;
                EXPECT_GE(run, 1) << "row " << y;
            }
        }
        {
            // Outline round(scale) thick, the brush inside it, all within the mapped edges.
            Board b(40, 40, scale);
            b.Pen(PS_SOLID, 1, kRed);
            b.Brush(kGreen);
            Rectangle(b.dc, 2, 2, 10, 8);
            const QImage img = b.Image();
            const Ink red = InkOf(img, kRedPixel), green = InkOf(img, kGreenPixel);
            const QRect outer(
                QPoint(int(std::lround(2 * scale)), int(std::lround(2 * scale))),
                QPoint(int(std::lround(10 * scale)) - 1, int(std::lround(8 * scale)) - 1));
            EXPECT_EQ(red.box, outer);
            EXPECT_EQ(green.box, outer.adjusted(t, t, -t, -t));
            EXPECT_EQ(red.count + green.count, outer.width() * outer.height());
        }
    }
}

TEST(GdiScaleTest, AreasClipsAndRegionsMeetWithoutGapsAtFractionalScales) {
    for (const double scale : {1.25, 1.5, 1.75}) {
        SCOPED_TRACE(scale);
        Board b(20, 20, scale);
        // Two neighbouring blocks of 3 and 4 logical columns, 5 rows.
        b.Brush(kRed);
        PatBlt(b.dc, 0, 0, 3, 5, PATCOPY);
        const HRGN right = CreateRectRgn(3, 0, 7, 5);
        const HBRUSH green = CreateSolidBrush(kGreen);
        FillRgn(b.dc, right, green);
        const QImage img = b.Image();
        const int w = int(std::lround(7 * scale)), h = int(std::lround(5 * scale));
        const Ink red = InkOf(img, kRedPixel), g = InkOf(img, kGreenPixel);
        EXPECT_EQ(red.box.right() + 1, g.box.left());
        EXPECT_EQ(red.count + g.count, w * h);
        EXPECT_EQ(InkOf(img, kBlackPixel).count, 20 * 20 - w * h);

        // The clip region is logical too.
        Board c(20, 20, scale);
        c.Brush(kRed);
        const HRGN clip = CreateRectRgn(2, 1, 5, 4);
        SelectClipRgn(c.dc, clip);
        PatBlt(c.dc, 0, 0, 20, 20, PATCOPY);
        const Ink clipped = InkOf(c.Image(), kRedPixel);
        EXPECT_EQ(clipped.box,
                  QRect(QPoint(int(std::lround(2 * scale)), int(std::lround(scale))),
                        QPoint(int(std::lround(5 * scale)) - 1, int(std::lround(4 * scale)) - 1)));
        EXPECT_EQ(clipped.count, clipped.box.width() * clipped.box.height());
        DeleteObject(clip);
        DeleteObject(right);
        DeleteObject(green);
    }
}

TEST(GdiScaleTest, FocusRectangleUndoesItselfAtFractionalScales) {
    for (const double scale : {1.5, 2.0, 1.25}) {
        SCOPED_TRACE(scale);
        Board b(40, 30, scale);
        b.Brush(kGreen);
        PatBlt(b.dc, 1, 1, 10, 8, PATCOPY);
        const QImage before = b.Image();
        DrawFocusRect(b.dc, RECT{2, 2, 20, 15});
        const QImage once = b.Image();
        EXPECT_NE(once, before);
        DrawFocusRect(b.dc, RECT{2, 2, 20, 15});
        EXPECT_EQ(b.Image(), before);
    }
}

TEST(GdiScaleTest, TextIsDrawnAtDeviceResolutionOnTheSameLayout) {
    LOGFONT lf;
    lf.lfHeight = -13;
    lf.lfFaceName = QStringLiteral("Arial");
    const HFONT font = CreateFontIndirect(lf);
    RECT measured1{0, 0, 200, 0}, measured2{0, 0, 200, 0};
    Board one(60, 20, 1.0), two(120, 40, 2.0);
    for (Board* b : {&one, &two}) {
        SelectObject(b->dc, font);
        SetTextColor(b->dc, 0xFFFFFF);
        SetBkMode(b->dc, TRANSPARENT);
    }
    DrawText(one.dc, "Wag", &measured1, DT_CALCRECT);
    DrawText(two.dc, "Wag", &measured2, DT_CALCRECT);
    EXPECT_EQ(measured1, measured2);  // logical measures do not change with the scale
    RECT r{2, 2, 58, 18};
    DrawText(one.dc, "Wag", &r, DT_LEFT);
    r = {2, 2, 58, 18};
    DrawText(two.dc, "Wag", &r, DT_LEFT);
    // Not the small text doubled: some 2 x 2 block of device pixels holds different values.
    const QImage img = two.Image();
    int mixed = 0, inked = 0;
    for (int y = 0; y + 1 < img.height(); y += 2)
        for (int x = 0; x + 1 < img.width(); x += 2) {
            const QRgb p = img.pixel(x, y);
            inked += p != kBlackPixel;
            mixed += img.pixel(x + 1, y) != p || img.pixel(x, y + 1) != p ||
                     img.pixel(x + 1, y + 1) != p;
        }
    EXPECT_GT(inked, 0);
    EXPECT_GT(mixed, 10);
    // Kept in its rectangle, mapped: nothing right of or below it.
    const Ink ink = InkOf(img, 0xFFFFFFFFu);
    EXPECT_GE(ink.box.left(), 4);
    EXPECT_LT(ink.box.bottom(), 36);
    DeleteObject(font);
}

TEST(GdiScaleTest, BlitsBetweenScalesAreSmoothAndWithinOneScaleExact) {
    // A source of one logical pixel per device pixel: black, white, black.
    Board src(3, 1, 1.0);
    SetPixel(src.dc, 1, 0, 0xFFFFFF);
    Board dst(12, 4, 4.0);
    BitBlt(dst.dc, 0, 0, 3, 1, src.dc, 0, 0, SRCCOPY);
    const QImage img = dst.Image();
    int greys = 0;
    for (int x = 0; x < 12; ++x) {
        const int v = qRed(img.pixel(x, 1));
        greys += v > 0 && v < 255;
    }
    EXPECT_GT(greys, 0);                    // edges blend, not blocks
    EXPECT_GT(qRed(img.pixel(6, 1)), 200);  // the white pixel stays light in its middle
    // The same blit after the source changed shows the change (scaled pixels are reused only
    // for the same source pixels).
    SetPixel(src.dc, 1, 0, 0);
    BitBlt(dst.dc, 0, 0, 3, 1, src.dc, 0, 0, SRCCOPY);
    EXPECT_EQ(InkOf(dst.Image(), kBlackPixel).count, 12 * 4);

    // Within one scale a copy moves device pixels exactly.
    Board a(8, 8, 2.0), c(8, 8, 2.0);
    SetPixel(a.dc, 1, 1, kRed);
    BitBlt(c.dc, 2, 2, 2, 2, a.dc, 0, 0, SRCCOPY);
    const Ink ink = InkOf(c.Image(), kRedPixel);
    EXPECT_EQ(ink.box, QRect(6, 6, 2, 2));
    EXPECT_EQ(GetPixel(c.dc, 3, 3), kRed);
    EXPECT_EQ(GetPixel(c.dc, 2, 2), 0u);
}
