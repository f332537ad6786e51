// The button's faces: colour shading, the toggled face, gradients, the caption and picture
// layout, the press shift, disabled captions and the repaint switch.

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QImage>
#include <QScreen>
#include <memory>
#include <set>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "controls/gxButtons_H/gxButtons_H.h"
#include "platform/forms/PropertyBag.h"

using platform::Colour;
using platform::Rgb;
using platform::forms::Json;
using platform::forms::PropertyBag;

namespace {

constexpr Colour kRedText = 0x0000FF;  // pure red, easy to find among the face's greys

struct FaceTest : ::testing::Test {
    // A button of `size` loaded from `bag` (Caption "Go" unless the bag says otherwise).
    gxButtons_H* Make(Json bag, QSize size = QSize(121, 41)) {
        if (!bag.contains("Caption")) bag["Caption"] = "Go";
        auto* b = new gxButtons_H(&container);
        b->ReadProperties(PropertyBag(bag));
        b->resize(size);
        b->Refresh();
        return b;
    }

    // The bounding box of the caption's red pixels.
    static QRect RedBox(const QImage& face) {
        QRect box;
        for (int y = 0; y < face.height(); ++y)
            for (int x = 0; x < face.width(); ++x) {
                const QRgb p = face.pixel(x, y);
                if (qRed(p) > 150 && qGreen(p) < 90 && qBlue(p) < 90) box |= QRect(x, y, 1, 1);
            }
        return box;
    }

    static int Count(const QImage& face, QRect area, QRgb colour) {
        int n = 0;
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x)
                n += (face.pixel(x, y) & 0xFFFFFF) == (colour & 0xFFFFFF);
        return n;
    }

    static QRgb Q(Colour c) {
        return qRgb(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF));
    }

    static platform::Picture Square() {
        QImage img(32, 32, QImage::Format_RGB32);
        img.fill(qRgb(255, 0, 255));
        for (int y = 8; y < 24; ++y)
            for (int x = 8; x < 24; ++x) img.setPixel(x, y, qRgb(0, 0, 0));
        return platform::Picture(img, platform::Picture::Kind::Bitmap);
    }

    QWidget container;
};

}  // namespace

TEST(ShadeColorTest, ChannelsAmountsAndExtremes) {
    std::int16_t a = -32;
    EXPECT_EQ(gxButtons_H::ShadeColor(0xFFFFFF, a), Rgb(223, 224, 224));
    // Avoiding extremes: black darkened gives black, so the amount turns round.
    a = -10;
    EXPECT_EQ(gxButtons_H::ShadeColor(0, a, false, true), Rgb(10, 10, 10));
    EXPECT_EQ(a, 10);
    a = 0;
    EXPECT_EQ(gxButtons_H::ShadeColor(0, a, false, true), Rgb(64, 64, 64));
    // Proportional blue moves blue by its share of 192; the plain rule by the amount.
    a = -32;
    EXPECT_EQ(gxButtons_H::ShadeColor(Rgb(40, 40, 100), a, true), Rgb(8, 8, 84));
    a = -32;
    EXPECT_EQ(gxButtons_H::ShadeColor(Rgb(40, 40, 100), a, false), Rgb(8, 8, 68));
    a = 20;
    EXPECT_EQ(gxButtons_H::ShadeColor(Rgb(250, 0, 10), a, false, false, true), Rgb(0, 235, 225));
}

TEST(GradientTableTest, StartsExactlyAndEndsAtTheEndColour) {
    std::vector<Colour> t;
    gxButtons_H::BuildGradientTable(t, 5, Rgb(0, 0, 0), Rgb(100, 200, 255));
    ASSERT_EQ(t.size(), 5u);
    EXPECT_EQ(t[0], Rgb(0, 0, 0));
    // End channels are read like the platform reads green and blue: 200 green is 201 here.
    EXPECT_EQ(t[4], Rgb(100, 201, 255));
    EXPECT_EQ(t[2] & 0xFF, 50u);
    gxButtons_H::BuildGradientTable(t, 1, Rgb(1, 2, 3), Rgb(9, 9, 9));
    EXPECT_EQ(t, std::vector<Colour>{Rgb(1, 2, 3)});
}

TEST_F(FaceTest, ToggledOnFaceIsTheSameLightGreyWhateverTheBackColour) {
    for (int style : {0, 1, 4, 5, 6}) {
        for (Colour back : {Colour(0x8000000F), Rgb(200, 30, 30)}) {
            gxButtons_H* b = Make(Json{{"Caption", ""},
                                       {"BackStyle", style},
                                       {"Mode", 1},
                                       {"Value", true},
                                       {"cBack", back}});
            EXPECT_EQ(b->ToggledFaceColor(), Rgb(223, 224, 224)) << style;
            EXPECT_EQ(b->FaceImage().pixel(60, 20) & 0xFFFFFF, qRgb(223, 224, 224) & 0xFFFFFF)
                << "style " << style;
            // Gradients are never drawn on a toggled-on button.
            b->SetGradientColor(Rgb(0, 0, 255));
            b->SetGradientMode(1);
            const QImage face = b->FaceImage();
            EXPECT_EQ(Count(face, QRect(5, 5, 111, 31), qRgb(223, 224, 224)), 111 * 31)
                << "style " << style;
            delete b;
        }
    }
}

TEST_F(FaceTest, WideGradientsUseTwoPixelStripes) {
    const int screen = QGuiApplication::primaryScreen()->geometry().width();
    const auto stripesOfTwo = [&](int width) {
        gxButtons_H* b = Make(Json{{"Caption", ""},
                                   {"BackStyle", 4},
                                   {"Gradient", 1},
                                   {"cBack", 0},
                                   {"cGradient", 0xFFFFFF}},
                              QSize(width, 30));
        const QImage face = b->FaceImage();
        bool pairs = true;
        for (int x = 2; x + 1 < width - 2; x += 2)
            pairs = pairs && face.pixel(x, 15) == face.pixel(x + 1, 15);
        // The gradient climbs from black at the left towards white at the right.
        EXPECT_LT(qRed(face.pixel(2, 15)), qRed(face.pixel(width - 3, 15)));
        delete b;
        return pairs;
    };
    EXPECT_TRUE(stripesOfTwo(screen / 4 + 20));   // screen / width is 3
    EXPECT_FALSE(stripesOfTwo(screen / 4 - 20));  // screen / width is 4
}

TEST_F(FaceTest, HoverStyleShowsNoBorderUntilTheMouseComes) {
    gxButtons_H* b = Make(Json{{"Caption", ""}, {"BackStyle", 5}, {"cBack", 0x8000000F}});
    const QRgb face = Q(b->FaceColor());
    EXPECT_EQ(b->FaceImage().pixel(0, 20), face);
    EXPECT_EQ(b->FaceImage().pixel(120, 20), face);
    b->SetPreviewState(true, false, false);  // raised
    EXPECT_EQ(b->FaceImage().pixel(0, 20) & 0xFFFFFF, 0xFFFFFFu);
    EXPECT_EQ(b->FaceImage().pixel(120, 20) & 0xFFFFFF, qRgb(128, 128, 128) & 0xFFFFFF);
    b->SetPreviewState(true, true, false);  // sunken
    EXPECT_EQ(b->FaceImage().pixel(0, 20) & 0xFFFFFF, qRgb(128, 128, 128) & 0xFFFFFF);
    EXPECT_EQ(b->FaceImage().pixel(120, 20) & 0xFFFFFF, 0xFFFFFFu);
}

// Caption and picture places for each picture alignment, on a face tall enough that nothing
// is clamped: the 32-pixel slot sits beside the caption (0 to 3) or above or below it (4, 5).
TEST_F(FaceTest, CaptionAndPictureSlots) {
    const QSize size(161, 80);
    gxButtons_H* plain = Make(Json{{"Caption", "Reports"}}, size);
    const auto cap = plain->CaptionRect();
    const int w = cap.Width(), h = cap.Height();
    EXPECT_EQ(cap.left, (161 - w) / 2);
    EXPECT_EQ(cap.top, (80 - h) / 2);

    struct Expect {
        int align, capLeft, picLeft, capTop, picTop;
    };
    const Expect expects[] = {
        {0, 32 + (161 - 32 - w) / 2, 4, (80 - h) / 2, 24},
        {1, 32 + (161 - (w + 36)) / 2 + 4, 32 + (161 - (w + 36)) / 2 - 32, (80 - h) / 2, 24},
        {2, (161 - 32 - w) / 2, 161 - 4 - 32, (80 - h) / 2, 24},
        {3, (161 - (w + 36)) / 2, (161 - (w + 36)) / 2 + w + 4, (80 - h) / 2, 24},
        {4, (161 - w) / 2, (161 - 32) / 2, (80 - (h + 32)) / 2 + 34, (80 - (h + 32)) / 2},
        {5, (161 - w) / 2, (161 - 32) / 2, (80 - (h + 32)) / 2 + 2, h + (80 - (h + 32)) / 2 + 4},
    };
    for (const Expect& e : expects) {
        gxButtons_H* b =
            Make(Json{{"Caption", "Reports"}, {"ImgAlign", e.align}, {"ImgSize", 32}}, size);
        b->SetPicture(Square());
        EXPECT_EQ(b->CaptionRect().left, e.capLeft) << "align " << e.align;
        EXPECT_EQ(b->CaptionRect().top, e.capTop) << "align " << e.align;
        EXPECT_EQ(b->PictureRect().left, e.picLeft) << "align " << e.align;
        EXPECT_EQ(b->PictureRect().top, e.picTop) << "align " << e.align;
        EXPECT_EQ(b->PictureRect().Width(), 32);
        // The picture is drawn where the layout put it, its magenta key transparent.
        const QImage face = b->FaceImage();
        const auto& p = b->PictureRect();
        EXPECT_EQ(face.pixel(p.left + 16, p.top + 16) & 0xFFFFFF, 0u) << "align " << e.align;
        EXPECT_EQ(Count(face, QRect(0, 0, 161, 80), qRgb(255, 0, 255)), 0);
    }

    // A fitted picture (48) reserves no slot: the caption is centred on the whole face.
    gxButtons_H* fitted = Make(Json{{"Caption", "Reports"}, {"ImgSize", 48}}, size);
    fitted->SetPicture(Square());
    EXPECT_EQ(fitted->CaptionRect().left, (161 - w) / 2);
    EXPECT_EQ(fitted->PictureRect().Width(), 68);  // fitted to 80 - 12 high
}

TEST_F(FaceTest, DoubleBarsBreakTheCaption) {
    gxButtons_H* one = Make(Json{{"Caption", "Reports"}}, QSize(161, 80));
    gxButtons_H* two = Make(Json{{"Caption", "Reports||Cards"}}, QSize(161, 80));
    gxButtons_H* bar = Make(Json{{"Caption", "Reports|Cards"}}, QSize(161, 80));
    const int line = one->CaptionRect().Height();
    EXPECT_EQ(two->CaptionRect().Height(), 2 * line);
    EXPECT_EQ(bar->CaptionRect().Height(), line);
    EXPECT_GT(bar->CaptionRect().Width(), one->CaptionRect().Width());
}

TEST_F(FaceTest, DelayDrawingHoldsRepaintsBack) {
    gxButtons_H* b = Make(Json{});
    const int before = b->RedrawCount();
    b->DelayDrawing(true);
    b->SetCaption(QStringLiteral("Later"));
    b->SetBackColor(Rgb(10, 200, 10));
    b->SetButtonStyle(3);
    EXPECT_EQ(b->RedrawCount(), before);
    b->Refresh();
    EXPECT_EQ(b->RedrawCount(), before + 1);
    EXPECT_FALSE(b->DelayDrawingFlag());
    b->DelayDrawing(true);
    b->DelayDrawing(false);
    EXPECT_EQ(b->RedrawCount(), before + 2);
}

TEST_F(FaceTest, PressingShiftsCaptionExceptInTheFlatStyle) {
    for (int style = 0; style <= 7; ++style) {
        gxButtons_H* b = Make(Json{{"Caption", "Go"},
                                   {"BackStyle", style},
                                   {"cFore", kRedText},
                                   {"cFHover", kRedText},
                                   {"cBack", 0xFFFFFF}});
        const QRect normal = RedBox(b->FaceImage());
        b->SetPreviewState(true, true, false);
        const QRect pressed = RedBox(b->FaceImage());
        ASSERT_FALSE(normal.isEmpty()) << "style " << style;
        if (style == 7) continue;  // its pressed caption takes the light face colour
        const QPoint shift = style == 3 ? QPoint(0, 0) : QPoint(1, 1);
        EXPECT_EQ(pressed.topLeft() - normal.topLeft(), shift) << "style " << style;
        delete b;
    }
}

TEST_F(FaceTest, DisabledCaptionsEmbossedOrFlat) {
    const auto whiteInCaption = [&](Json bag) {
        bag["Caption"] = "Reports";
        bag["Enabled"] = false;
        bag["cBack"] = Rgb(160, 160, 160);
        gxButtons_H* b = Make(bag);
        const auto& c = b->CaptionRect();
        const QRect area(c.left, c.top, c.Width() + 2, c.Height() + 2);
        const int white = Count(b->FaceImage(), area, qRgb(255, 255, 255));
        const int grey = Count(b->FaceImage(), area, qRgb(128, 128, 128));
        EXPECT_GT(grey, 0);
        delete b;
        return white;
    };
    for (int style : {0, 1, 4, 5, 6}) {
        EXPECT_GT(whiteInCaption(Json{{"BackStyle", style}, {"Mode", 0}}), 0) << style;
        EXPECT_EQ(whiteInCaption(Json{{"BackStyle", style}, {"Mode", 1}}), 0) << style;
        // With a gradient every disabled caption is embossed.
        EXPECT_GT(whiteInCaption(Json{{"BackStyle", style}, {"Mode", 1}, {"Gradient", 3}}), 0)
            << style;
    }
}

TEST_F(FaceTest, AButtonInADisabledContainerIsDrawnDisabledAtOnce) {
    // The flat style also keeps its corner pixels while disabled.
    const Json bag{{"BackStyle", 3}, {"Caption", "Reports"}};
    gxButtons_H* inFrame = Make(bag);
    const QImage enabled = inFrame->FaceImage();
    QWidget other;
    auto* own = new gxButtons_H(&other);
    own->ReadProperties(PropertyBag(bag));
    own->resize(inFrame->size());
    own->SetEnabled(false);
    ASSERT_TRUE(own->FaceImage() != enabled);
    ASSERT_TRUE(own->mask().contains(QPoint(120, 0)));

    container.setEnabled(false);
    EXPECT_TRUE(inFrame->Enabled());
    EXPECT_TRUE(inFrame->FaceImage() == own->FaceImage());
    EXPECT_TRUE(inFrame->mask().contains(QPoint(120, 0)));
    container.setEnabled(true);
    EXPECT_TRUE(inFrame->FaceImage() == enabled);
    EXPECT_FALSE(inFrame->mask().contains(QPoint(120, 0)));
}

TEST_F(FaceTest, SlantedButtonsInterlockAndWidenThemselves) {
    gxButtons_H* b = Make(Json{{"Shape", 1}}, QSize(20, 30));
    // The slant is the height plus one; the width grows by fives until 5 pixels are left.
    EXPECT_EQ(b->width(), 40);
    EXPECT_EQ(b->LeftInset(), 31);
    EXPECT_EQ(b->RightLimit(), 40);
    EXPECT_FALSE(b->mask().contains(QPoint(1, 28)));  // cut away by the slant
    EXPECT_TRUE(b->mask().contains(QPoint(1, 1)));
    gxButtons_H* r = Make(Json{{"Shape", 3}}, QSize(120, 30));
    EXPECT_EQ(r->RightLimit(), 120 - 31);
    EXPECT_FALSE(r->mask().contains(QPoint(118, 1)));
    EXPECT_TRUE(r->mask().contains(QPoint(116, 28)));
    // Style 1 trims its corner pixels; style 3 only while enabled.
    gxButtons_H* framed = Make(Json{{"BackStyle", 1}});
    EXPECT_FALSE(framed->mask().contains(QPoint(0, 0)));
    EXPECT_TRUE(framed->mask().contains(QPoint(1, 0)));
    gxButtons_H* flat = Make(Json{{"BackStyle", 3}});
    EXPECT_FALSE(flat->mask().contains(QPoint(120, 0)));
    flat->SetEnabled(false);
    EXPECT_TRUE(flat->mask().contains(QPoint(120, 0)));
}

TEST_F(FaceTest, ALongCaptionStaysAboveTheBottomBevel) {
    // Three lines do not fit 41 pixels: the caption rectangle ends at row 36 (SH - 5), and the
    // lines that run past it are cut there, not drawn over the rings.
    for (int style : {0, 3}) {
        gxButtons_H* b = Make(Json{{"Caption", "Attendance Records for the Whole Term"},
                                   {"BackStyle", style},
                                   {"cFore", kRedText},
                                   {"cFHover", kRedText},
                                   {"cBack", 0xFFFFFF}});
        ASSERT_EQ(b->CaptionRect().bottom, 36);
        const QRect ink = RedBox(b->FaceImage());
        ASSERT_FALSE(ink.isEmpty());
        EXPECT_LE(ink.bottom(), 35) << "style " << style;
        delete b;
    }
}

// ---- The focus indicator and the style-2 rings, at places and colours worked out by hand ----

namespace {

using Pixels = std::set<std::pair<int, int>>;

// Where two faces differ inside the three bevel rings.
Pixels Changed(const QImage& a, const QImage& b) {
    Pixels changed;
    for (int y = 3; y < a.height() - 3; ++y)
        for (int x = 3; x < a.width() - 3; ++x)
            if (a.pixel(x, y) != b.pixel(x, y)) changed.insert({x, y});
    return changed;
}

// The border of the box (l, t) to (r, b), both corners included.
Pixels Border(int l, int t, int r, int b) {
    Pixels border;
    for (int x = l; x <= r; ++x) {
        border.insert({x, t});
        border.insert({x, b});
    }
    for (int y = t; y <= b; ++y) {
        border.insert({l, y});
        border.insert({r, y});
    }
    return border;
}

// "" when the pixel sets agree, else the pixels only one of them has.
std::string Mismatch(const Pixels& got, const Pixels& want) {
    std::string out;
    for (const auto& [set, other, name] :
         {std::tuple{&got, &want, "extra"}, std::tuple{&want, &got, "missing"}})
        for (const auto& p : *set)
            if (!other->count(p))
                out += std::string(name) + " (" + std::to_string(p.first) + ", " +
                       std::to_string(p.second) + ") ";
    return out;
}

// A dotted border of the box (l, t) to (r, b): nothing off it, every other pixel of each side.
void ExpectDotted(const Pixels& got, int l, int t, int r, int b) {
    const Pixels border = Border(l, t, r, b);
    for (const auto& p : got)
        EXPECT_TRUE(border.count(p)) << "(" << p.first << ", " << p.second << ") off the border";
    const auto side = [&](int x0, int y0, int dx, int dy, int n) {
        int count = 0;
        for (int i = 0; i < n; ++i) {
            const bool here = got.count({x0 + i * dx, y0 + i * dy}) > 0;
            const bool next = got.count({x0 + (i + 1) * dx, y0 + (i + 1) * dy}) > 0;
            EXPECT_FALSE(here && next && i + 1 < n)
                << "solid at " << x0 + i * dx << ", " << y0 + i * dy;
            count += here;
        }
        EXPECT_GE(count, (n - 1) / 2) << "side from " << x0 << ", " << y0;
    };
    side(l, t, 1, 0, r - l + 1);
    side(l, b, 1, 0, r - l + 1);
    side(l, t, 0, 1, b - t + 1);
    side(r, t, 0, 1, b - t + 1);
}

}  // namespace

TEST_F(FaceTest, TheFocusRectangleOfARectangularFace) {
    // At 121 x 41 the rectangle is (4, 4, 117, 37): dotted over the pixels it covers, solid
    // through its four corner points while Value is True.
    for (int style : {0, 1, 4, 5, 6}) {
        for (bool value : {false, true}) {
            SCOPED_TRACE(testing::Message() << "style " << style << " value " << value);
            gxButtons_H* b =
                Make(Json{{"BackStyle", style}, {"Mode", value ? 1 : 0}, {"Value", value}});
            b->SetPreviewState(false, false, false);
            const QImage plain = b->FaceImage();
            b->SetPreviewState(false, false, true);
            const Pixels focus = Changed(plain, b->FaceImage());
            if (value)
                EXPECT_EQ(Mismatch(focus, Border(4, 4, 117, 37)), "");
            else
                ExpectDotted(focus, 4, 4, 116, 36);
            delete b;
        }
    }
}

TEST_F(FaceTest, ACaptionlessFocusRectangleFollowsThePicture) {
    // A 32-pixel picture above an empty caption on 121 x 61 takes (44, 14, 76, 46). It keeps
    // clear of both sides, so the margin is 2: (42, 12, 78, 48). Pressing adds one pixel down
    // (and one right on the rectangular shape) except in style 3.
    struct Case {
        int style, shape;
        bool pressed, solid;
        int l, t, r, b;  // the rectangle, right and bottom exclusive
    };
    const Case cases[] = {
        {3, 0, false, true, 42, 12, 78, 48},  {3, 0, true, true, 42, 12, 78, 48},
        {7, 0, false, false, 42, 12, 78, 48}, {7, 0, true, false, 43, 13, 80, 50},
        {0, 4, false, false, 42, 12, 78, 48}, {0, 4, true, false, 42, 13, 78, 50},
        {6, 6, false, false, 42, 12, 78, 48},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << "style " << c.style << " shape " << c.shape << " pressed " << c.pressed);
        gxButtons_H* b = Make(Json{{"Caption", ""},
                                   {"BackStyle", c.style},
                                   {"Shape", c.shape},
                                   {"ImgAlign", 4},
                                   {"ImgSize", 32}},
                              QSize(121, 61));
        b->SetPicture(Square());
        ASSERT_EQ(b->PictureRect(), (platform::gdi::RECT{44, 14, 76, 46}));
        b->SetPreviewState(c.pressed, c.pressed, false);
        const QImage plain = b->FaceImage();
        b->SetPreviewState(c.pressed, c.pressed, true);
        const Pixels focus = Changed(plain, b->FaceImage());
        if (c.solid)
            EXPECT_EQ(Mismatch(focus, Border(c.l, c.t, c.r, c.b)), "");
        else
            ExpectDotted(focus, c.l, c.t, c.r - 1, c.b - 1);
        delete b;
    }
}

TEST_F(FaceTest, TheSlantedFocusOutline) {
    // Both edges slanted at 121 x 41: the slant is 42, so the face runs from 42 to 79. The
    // outline runs (40, 36) (8, 4) (78, 4) (110, 36) (41, 36), its last point left open.
    gxButtons_H* b = Make(Json{{"Caption", ""}, {"BackStyle", 1}, {"Shape", 3}});
    ASSERT_EQ(b->LeftInset(), 42);
    ASSERT_EQ(b->RightLimit(), 79);
    b->SetPreviewState(false, false, false);
    const QImage plain = b->FaceImage();
    b->SetPreviewState(false, false, true);
    Pixels want;
    for (int k = 0; k < 32; ++k) {
        want.insert({40 - k, 36 - k});
        want.insert({78 + k, 4 + k});
    }
    for (int x = 8; x < 78; ++x) want.insert({x, 4});
    for (int x = 42; x <= 110; ++x) want.insert({x, 36});
    EXPECT_EQ(Mismatch(Changed(plain, b->FaceImage()), want), "");
}

TEST_F(FaceTest, AFocusedButtonWithNothingOnItShowsNoFocusRectangle) {
    // Styles whose rectangle follows the caption or picture, and every style on the ovals.
    struct Case {
        int style, shape, pictureSize;
    };
    std::vector<Case> cases = {{3, 0, 32}, {7, 0, 32}, {3, 0, 40}, {7, 0, 40}};
    for (int shape : {4, 5, 6})
        for (int style : {0, 1, 3, 4, 5, 6, 7}) cases.push_back({style, shape, 32});
    for (const Case& c : cases) {
        for (bool value : {false, true}) {
            SCOPED_TRACE(testing::Message() << "style " << c.style << " shape " << c.shape
                                            << " size " << c.pictureSize << " value " << value);
            gxButtons_H* b = Make(Json{{"Caption", ""},
                                       {"BackStyle", c.style},
                                       {"Shape", c.shape},
                                       {"ImgSize", c.pictureSize},
                                       {"Mode", value ? 1 : 0},
                                       {"Value", value}});
            b->SetPreviewState(false, false, false);
            const QImage plain = b->FaceImage();
            b->SetPreviewState(false, false, true);
            // The whole face, rings included: none of these faces' rings show the focus.
            EXPECT_TRUE(plain == b->FaceImage());
            delete b;
        }
    }
}

TEST_F(FaceTest, ASystemGradientColourIsResolvedInEveryStyle) {
    // The default GradientColor is the button-face system colour: it must draw the same
    // gradient as that colour's value written out, never a flat face.
    const Colour buttonFace = 0x8000000F;
    for (int style = 0; style <= 7; ++style) {
        const auto face = [&](Colour gradient) {
            gxButtons_H* b = Make(Json{{"Caption", ""},
                                       {"BackStyle", style},
                                       {"Gradient", 1},
                                       {"cBack", Rgb(200, 30, 30)},
                                       {"cGradient", gradient}});
            const QImage img = b->FaceImage();
            delete b;
            return img;
        };
        const QImage named = face(buttonFace);
        EXPECT_TRUE(named == face(platform::Resolve(buttonFace))) << "style " << style;
        EXPECT_NE(named.pixel(10, 20), named.pixel(110, 20)) << "style " << style;
    }
}

TEST_F(FaceTest, StyleTwoRingsByState) {
    // BackColor RGB(90, 140, 200) makes the face RGB(138, 189, 251) (+48, proportional blue);
    // the normal and pressed entries are that face shaded, each worked out by hand.
    const QRgb rings[8][4] = {
        // normal           focus look           pressed              hover
        {qRgb(128, 180, 239), qRgb(181, 209, 240), qRgb(116, 168, 224), qRgb(255, 203, 107)},
        {qRgb(148, 200, 255), qRgb(189, 215, 247), qRgb(114, 166, 221), qRgb(255, 219, 140)},
        {qRgb(114, 166, 221), qRgb(181, 209, 240), qRgb(138, 189, 251), qRgb(255, 203, 107)},
        {qRgb(106, 158, 210), qRgb(140, 174, 231), qRgb(148, 200, 255), qRgb(255, 178, 49)},
        {qRgb(133, 185, 246), qRgb(140, 174, 231), qRgb(106, 158, 210), qRgb(255, 178, 49)},
        {qRgb(154, 206, 255), qRgb(191, 223, 255), qRgb(106, 158, 210), qRgb(255, 233, 166)},
        {qRgb(102, 154, 205), qRgb(140, 174, 231), qRgb(143, 195, 255), qRgb(255, 178, 49)},
        {qRgb(90, 142, 189), qRgb(107, 130, 239), qRgb(154, 206, 255), qRgb(231, 150, 0)},
    };
    // The middle of each side of the inner ring (2 pixels in), the middle ring (1 in) and the
    // outer ring (the edge), left, top, right, bottom.
    const char* names[12] = {"inner left",  "inner top",  "inner right",  "inner bottom",
                             "middle left", "middle top", "middle right", "middle bottom",
                             "outer left",  "outer top",  "outer right",  "outer bottom"};
    const QPoint at[12] = {{2, 20},   {60, 2},  {118, 20}, {60, 38}, {1, 20},   {60, 1},
                           {119, 20}, {60, 39}, {0, 20},   {60, 0},  {120, 20}, {60, 40}};
    const QRgb outer = qRgb(0, 60, 115);
    const auto rgb = [](const QImage& f, QPoint p) { return f.pixel(p) & 0xFFFFFF; };

    gxButtons_H* b = Make(Json{{"Caption", ""},
                               {"BackStyle", 2},
                               {"Focus", true},
                               {"cBack", Rgb(90, 140, 200)},
                               {"cBHover", Rgb(90, 140, 200)}});
    ASSERT_EQ(b->FaceColor(), Rgb(138, 189, 251));
    struct State {
        bool hover, held, focus;
    };
    const State states[4] = {
        {false, false, false}, {false, false, true}, {true, true, false}, {true, false, false}};
    for (int s = 0; s < 4; ++s) {
        SCOPED_TRACE(testing::Message() << "state " << s);
        b->SetPreviewState(states[s].hover, states[s].held, states[s].focus);
        const QImage f = b->FaceImage();
        for (int i = 0; i < 12; ++i)
            EXPECT_EQ(rgb(f, at[i]), (i < 8 ? rings[i][s] : outer) & 0xFFFFFF) << names[i];
        // The corners just inside the edge take the outer ring's colour.
        for (const QPoint p : {QPoint(1, 1), QPoint(1, 39), QPoint(119, 39), QPoint(119, 1)})
            EXPECT_EQ(rgb(f, p), outer & 0xFFFFFF) << p.x() << ", " << p.y();
    }

    // Disabled: the face darkens by 24 to RGB(114, 166, 221) and shows through where the inner
    // and middle rings were; the outer ring is that face shaded by -84.
    b->SetPreviewState(false, false, false);
    b->SetEnabled(false);
    const QImage f = b->FaceImage();
    for (int i = 0; i < 12; ++i)
        EXPECT_EQ(rgb(f, at[i]), (i < 8 ? qRgb(114, 166, 221) : qRgb(30, 83, 125)) & 0xFFFFFF)
            << names[i];
}

// On a dense screen the face is drawn in device pixels and reaches the screen one to one: the
// paint shows the back buffer as drawn, not doubled, and a new ratio renews the buffer with the
// same layout in logical pixels.
TEST_F(FaceTest, ADenseScreenGetsTheFaceInItsDevicePixels) {
    gxButtons_H* b = Make({{"Caption", "Report Cards"}, {"cFore", kRedText}});
    const QRect small = RedBox(b->FaceImage());
    b->SetPreviewDeviceRatio(2.0);
    const QImage face = b->FaceImage();
    ASSERT_EQ(face.size(), QSize(242, 82));
    EXPECT_EQ(face.devicePixelRatio(), 2.0);
    // The caption keeps its place and size, in twice the pixels.
    const QRect dense = RedBox(face);
    EXPECT_NEAR(dense.left(), 2 * small.left(), 2);
    EXPECT_NEAR(dense.right(), 2 * small.right() + 1, 2);
    EXPECT_NEAR(dense.center().y(), 2 * small.center().y(), 2);

    QImage screen(242, 82, QImage::Format_RGB32);
    screen.setDevicePixelRatio(2.0);
    screen.fill(Qt::black);
    b->render(&screen);
    EXPECT_EQ(screen.convertToFormat(QImage::Format_RGB32),
              face.convertToFormat(QImage::Format_RGB32));

    b->SetPreviewDeviceRatio(0);  // back to the screen's ratio
    EXPECT_EQ(b->FaceImage().size(), QSize(121, 41));
    EXPECT_EQ(RedBox(b->FaceImage()), small);
}
