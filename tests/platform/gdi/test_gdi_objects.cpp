// Device contexts and the objects behind handles: selection, deletion, bad handles, leaks.

#include <gtest/gtest.h>

#include "platform/gdi/Gdi.h"

using namespace platform::gdi;

TEST(GdiObjectsTest, MemoryDcsStartMonochromeAndPutBackWhatTheyCameWith) {
    const int before = LiveObjectCount();
    HDC dc = CreateCompatibleDC(GetScreenDC());
    ASSERT_TRUE(dc);
    // A bitmap compatible with a fresh memory DC is monochrome; with the screen, colour.
    BITMAP info;
    HBITMAP mono = CreateCompatibleBitmap(dc, 8, 4);
    ASSERT_TRUE(GetObject(mono, &info));
    EXPECT_EQ(info.bmBitsPixel, 1);
    HBITMAP colour = CreateCompatibleBitmap(GetScreenDC(), 8, 4);
    ASSERT_TRUE(GetObject(colour, &info));
    EXPECT_EQ(info.bmBitsPixel, 32);
    EXPECT_EQ(info.bmWidth, 8);
    EXPECT_EQ(info.bmHeight, 4);
    EXPECT_NE(info.bmBits, nullptr);

    // Select, note what was there, put it back, delete ours.
    const HBITMAP firstBitmap = SelectObject(dc, colour);
    ASSERT_TRUE(firstBitmap);
    EXPECT_EQ(SurfaceSize(dc), QSize(8, 4));
    HPEN pen = CreatePen(PS_SOLID, 1, 0x0000FF);
    HBRUSH brush = CreateSolidBrush(0x00FF00);
    LOGFONT lf;
    lf.lfHeight = FontHeightForPoints(9);
    lf.lfFaceName = "Times New Roman";
    HFONT font = CreateFontIndirect(lf);
    const HPEN firstPen = SelectObject(dc, pen);
    const HBRUSH firstBrush = SelectObject(dc, brush);
    const HFONT firstFont = SelectObject(dc, font);
    EXPECT_EQ(firstPen, GetStockPen(BLACK_PEN));
    EXPECT_EQ(firstBrush, GetStockBrush(WHITE_BRUSH));
    EXPECT_EQ(firstFont, GetStockFont(SYSTEM_FONT));
    // Objects in use cannot be deleted; stock objects never.
    EXPECT_FALSE(DeleteObject(pen));
    EXPECT_FALSE(DeleteObject(colour));
    EXPECT_FALSE(DeleteObject(GetStockBrush(WHITE_BRUSH)));
    // A bitmap is selected into one DC at a time.
    HDC other = CreateCompatibleDC(dc);
    EXPECT_FALSE(SelectObject(other, colour));
    EXPECT_TRUE(DeleteDC(other));

    EXPECT_EQ(SelectObject(dc, firstPen), pen);
    EXPECT_EQ(SelectObject(dc, firstBrush), brush);
    EXPECT_EQ(SelectObject(dc, firstFont), font);
    EXPECT_EQ(SelectObject(dc, firstBitmap), colour);
    for (BOOL ok : {DeleteObject(pen), DeleteObject(brush), DeleteObject(font),
                    DeleteObject(colour), DeleteObject(mono), DeleteDC(dc)})
        EXPECT_TRUE(ok);
    EXPECT_EQ(LiveObjectCount(), before);
    // Deleted handles are dead for good.
    EXPECT_FALSE(DeleteObject(pen));
    EXPECT_FALSE(SelectObject(dc, GetStockPen(WHITE_PEN)));
    EXPECT_FALSE(DeleteDC(GetScreenDC()));
}

TEST(GdiObjectsTest, AttributesColoursAndBadInput) {
    HDC dc = CreateCompatibleDC(HDC{});
    EXPECT_EQ(GetTextColor(dc), 0x000000u);
    EXPECT_EQ(GetBkColor(dc), 0xFFFFFFu);
    EXPECT_EQ(GetBkMode(dc), OPAQUE);
    EXPECT_EQ(SetBkMode(dc, TRANSPARENT), OPAQUE);
    EXPECT_EQ(SetTextColor(dc, 0x8000000F), 0x000000u);  // system colours are resolved
    EXPECT_EQ(GetTextColor(dc), GetSysColor(15));
    EXPECT_EQ(ResolveColor(0x80000012), GetSysColor(18));
    EXPECT_EQ(ResolveColor(0x00123456), 0x00123456u);

    // Sizes the platform refuses.
    EXPECT_FALSE(CreateBitmap(0, 5, 32));
    EXPECT_FALSE(CreateBitmap(-1, 5, 32));
    EXPECT_FALSE(CreateBitmap(32768, 1, 32));
    EXPECT_FALSE(CopyImage(HBITMAP{}, 4, 4));
    // Handles of the wrong kind or none at all.
    HDC none{};
    EXPECT_EQ(GetTextColor(none), kClrInvalid);
    EXPECT_FALSE(SelectObject(none, GetStockPen(BLACK_PEN)));
    EXPECT_EQ(SelectClipRgn(none, HRGN{}), kRgnError);
    EXPECT_FALSE(DeleteObject(HBITMAP{dc.value}));  // a DC's number as a bitmap
    EXPECT_TRUE(DeleteDC(dc));
}

TEST(GdiObjectsTest, PicturesBecomeBitmapsAndScaleByNearestPixel) {
    QImage picture(4, 2, QImage::Format_ARGB32);
    picture.fill(0x00FF00FF);  // fully transparent magenta: the colour is kept
    picture.setPixel(3, 1, 0xFF102030);
    HBITMAP b = CreateBitmapFromImage(picture);
    const QImage back = ImageOf(b);
    EXPECT_EQ(back.pixel(0, 0), 0xFFFF00FFu);
    EXPECT_EQ(back.pixel(3, 1), 0xFF102030u);
    HBITMAP big = CopyImage(b, 8, 4);
    const QImage scaled = ImageOf(big);
    ASSERT_EQ(scaled.size(), QSize(8, 4));
    // No smoothing: every pixel is one of the source's.
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 8; ++x)
            EXPECT_TRUE(scaled.pixel(x, y) == 0xFFFF00FFu || scaled.pixel(x, y) == 0xFF102030u);
    EXPECT_EQ(scaled.pixel(7, 3), 0xFF102030u);
    EXPECT_EQ(FontHeightForPoints(9), -12);
    EXPECT_EQ(FontHeightForPoints(8.25), -11);
    DeleteObject(b);
    DeleteObject(big);
}
