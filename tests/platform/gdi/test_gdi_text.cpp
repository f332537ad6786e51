// Text: measuring with word and line breaks and prefixes, alignment, the background mode and
// monochrome surfaces.

#include <gtest/gtest.h>

#include <QRect>
#include <algorithm>
#include <initializer_list>

#include "platform/gdi/Gdi.h"

using namespace platform::gdi;

namespace {

// A black bitmap (or mask) in a memory DC with a 14-pixel sans-serif font, white text on blue.
class GdiTextTest : public testing::Test {
protected:
    void Make(int w, int h, int bits = 32) {
        dc_ = CreateCompatibleDC(HDC{});
        bitmap_ = CreateBitmap(w, h, bits);
        SelectObject(dc_, bitmap_);
        LOGFONT lf;
        lf.lfHeight = -14;
        lf.lfFaceName = "DejaVu Sans";  // installed with the project's packages; its ink stays
                                        // inside its advances
        font_ = CreateFontIndirect(lf);
        SelectObject(dc_, font_);
        SetTextColor(dc_, 0xFFFFFF);
        SetBkColor(dc_, 0xFF0000);
        lh_ = Measure("x", DT_SINGLELINE).bottom;
        ASSERT_GT(lh_, 0);
    }
    void SetUp() override { Make(120, 40); }
    void TearDown() override {
        DeleteDC(dc_);
        DeleteObject(bitmap_);
        DeleteObject(font_);
    }
    void Remake(int w = 120, int h = 40, int bits = 32) {
        TearDown();
        Make(w, h, bits);
    }
    RECT Measure(const QString& text, std::uint32_t flags, int width = 0) {
        RECT r{0, 0, width, 0};
        EXPECT_EQ(DrawText(dc_, text, &r, flags | DT_CALCRECT), r.bottom);
        return r;
    }
    int Width(const QString& text) { return Measure(text, DT_SINGLELINE).right; }
    // True when exactly the pixels inside `boxes` differ from black.
    bool InkedExactly(std::initializer_list<QRect> boxes) const {
        const QImage img = ImageOf(bitmap_);
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x) {
                bool inside = false;
                for (const QRect& b : boxes) inside = inside || b.contains(x, y);
                if ((img.pixel(x, y) != 0xFF000000u) != inside) return false;
            }
        return true;
    }

    HDC dc_;
    HBITMAP bitmap_;
    HFONT font_;
    int lh_ = 0;
};

}  // namespace

TEST_F(GdiTextTest, MeasuringBreaksAtSpacesAndLineBreaks) {
    const int aaa = Width("aaa");
    RECT r = Measure("aaa bbb", DT_WORDBREAK, aaa + 2);
    EXPECT_EQ(r, (RECT{0, 0, std::max(aaa, Width("bbb")), 2 * lh_}));
    EXPECT_EQ(Measure("aaa bbb", DT_WORDBREAK, Width("aaa bbb")).bottom, lh_);
    EXPECT_EQ(Measure("aaa bbb", 0, aaa + 2).bottom, lh_);  // no word breaks asked for
    EXPECT_EQ(Measure("a\r\nb\nc", 0).bottom, 3 * lh_);
    EXPECT_EQ(Measure("a\r\nb\nc", DT_SINGLELINE).bottom, lh_);

    // A word wider than the rectangle stands alone and overflows; nothing else ever does.
    r = Measure("a verylongword b", DT_WORDBREAK, Width("a b"));
    EXPECT_EQ(r, (RECT{0, 0, Width("verylongword"), 3 * lh_}));
    const QString words = "aa bb cc dd ee ff gg hh";
    int widest = 0;
    for (const QString& word : words.split(' ')) widest = std::max(widest, Width(word));
    for (int w = widest; w <= Width(words); ++w) {
        r = Measure(words, DT_WORDBREAK, w);
        EXPECT_LE(r.right, w);
        EXPECT_EQ(r.bottom == lh_, w == Width(words)) << w;
    }

    // "&&" is one ampersand, "&x" is x, a final "&" is nothing.
    EXPECT_EQ(Width("a&&b"), Measure("a&b", DT_SINGLELINE | DT_NOPREFIX).right);
    EXPECT_EQ(Width("&File"), Width("File"));
    EXPECT_EQ(Width("ab&"), Width("ab"));

    EXPECT_EQ(DrawText(dc_, "a", nullptr, 0), 0);
    EXPECT_EQ(DrawText(HDC{}, "a", &r, 0), 0);
    EXPECT_TRUE(InkedExactly({}));  // measuring draws nothing
}

TEST_F(GdiTextTest, OpaqueLinesFillTheirAlignedBoxes) {
    const int w = Width("ii");
    struct Case {
        std::uint32_t flags;
        QRect box;
    };
    for (const Case& c :
         {Case{DT_LEFT, QRect(0, 0, w, lh_)}, Case{DT_CENTER, QRect((120 - w) / 2, 0, w, lh_)},
          Case{DT_RIGHT, QRect(120 - w, 0, w, lh_)},
          Case{DT_SINGLELINE | DT_BOTTOM | DT_RIGHT, QRect(120 - w, 40 - lh_, w, lh_)},
          Case{DT_SINGLELINE | DT_VCENTER, QRect(0, (40 - lh_) / 2, w, lh_)}}) {
        Remake();
        RECT r{0, 0, 120, 40};
        EXPECT_EQ(DrawText(dc_, "ii", &r, c.flags), lh_);
        EXPECT_TRUE(InkedExactly({c.box})) << c.flags;
    }
    Remake();
    RECT r{0, 0, Width("aaa") + 2, 40};
    EXPECT_EQ(DrawText(dc_, "aaa bbb", &r, DT_WORDBREAK), 2 * lh_);
    EXPECT_TRUE(InkedExactly({QRect(0, 0, Width("aaa"), lh_), QRect(0, lh_, Width("bbb"), lh_)}));
}

TEST_F(GdiTextTest, TransparentTextAndItsPrefixUnderline) {
    RECT r{0, 0, 120, 40};
    auto draw = [&](const QString& text) {
        Remake();
        SetTextColor(dc_, 0x00FF00);
        SetBkMode(dc_, TRANSPARENT);
        DrawText(dc_, text, &r, DT_LEFT);
    };
    draw("xbz");
    const QImage plain = ImageOf(bitmap_);
    draw("x&bz");
    const QImage marked = ImageOf(bitmap_);

    // The glyphs only, no paper; and the underline: one row below them, under the "b" only.
    const int from = Width("x"), to = Width("xb");
    int inked = 0, underline = -1, count = 0;
    for (int y = 0; y < plain.height(); ++y)
        for (int x = 0; x < plain.width(); ++x) {
            const std::uint32_t p =
                reinterpret_cast<const std::uint32_t*>(plain.constScanLine(y))[x];
            EXPECT_EQ(p >> 24, 0xFFu);  // alpha stays opaque
            EXPECT_EQ(p & 0xFFu, 0u);   // no blue
            inked += p != 0xFF000000u;
            if (p == marked.pixel(x, y)) continue;
            if (underline < 0) underline = y;
            EXPECT_EQ(y, underline);
            EXPECT_TRUE(x >= from && x < to) << x;
            ++count;
        }
    EXPECT_GT(inked, 10);
    EXPECT_GE(count, to - from - 1);
    EXPECT_GT(underline, lh_ / 2);
    EXPECT_LT(underline, lh_);
}

TEST_F(GdiTextTest, MonochromeSurfacesGetOnlyBlackAndWhite) {
    Remake(100, 30, 1);
    SetTextColor(dc_, 0x202020);
    SetBkColor(dc_, 0xE0E0E0);
    RECT r{2, 2, 100, 30};
    ASSERT_EQ(DrawText(dc_, "Quill &mere", &r, DT_LEFT), lh_);
    const QImage img = ImageOf(bitmap_);
    int white = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            const QRgb p = img.pixel(x, y);
            ASSERT_TRUE(p == 0xFF000000u || p == 0xFFFFFFFFu) << x << "," << y;
            white += p == 0xFFFFFFFFu;
        }
    // A white box with black glyphs in it.
    EXPECT_GT(white, Width("Quill mere") * lh_ / 2);
    EXPECT_LT(white, Width("Quill mere") * lh_);
}

TEST_F(GdiTextTest, TextStaysInsideItsRectangleUnlessNoClip) {
    // Three opaque lines in a box with room for one and a half, the first cut at half its width.
    const int a = Width("aaa"), b = Width("bbb"), c = Width("ccc");
    const QRect box(10, 5, a / 2, lh_ + lh_ / 2);
    RECT r{box.left(), box.top(), box.right() + 1, box.bottom() + 1};
    EXPECT_EQ(DrawText(dc_, "aaa\nbbb\nccc", &r, DT_LEFT), 3 * lh_);
    EXPECT_TRUE(InkedExactly({box}));
    Remake();
    EXPECT_EQ(DrawText(dc_, "aaa\nbbb\nccc", &r, DT_LEFT | DT_NOCLIP), 3 * lh_);
    EXPECT_TRUE(InkedExactly(
        {QRect(10, 5, a, lh_), QRect(10, 5 + lh_, b, lh_), QRect(10, 5 + 2 * lh_, c, lh_)}));

    // A centred word wider than its box is cut on both sides; an inverted box shows nothing.
    Remake();
    r = RECT{40, 0, 40 + a / 2, 40};
    DrawText(dc_, "aaa", &r, DT_CENTER);
    EXPECT_TRUE(InkedExactly({QRect(40, 0, a / 2, lh_)}));
    Remake();
    r = RECT{60, 30, 20, 0};
    EXPECT_EQ(DrawText(dc_, "aaa", &r, DT_LEFT), lh_);
    EXPECT_TRUE(InkedExactly({}));
}
