// The button's shapes and pictures: window regions that let clicks through, the key colour and
// its tolerance, picture sizes, greyed and icon pictures, and the regions a picture carves.

#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>

#include "controls/gxButtons_H/gxButtons_H.h"
#include "platform/forms/PropertyBag.h"
#include "platform/gdi/Gdi.h"
#include "platform/window/Desktop.h"

using platform::Picture;
using platform::forms::Json;
using platform::forms::PropertyBag;
namespace gdi = platform::gdi;

namespace {

constexpr QRgb kMagenta = qRgb(255, 0, 255);

struct ShapeTest : ::testing::Test {
    ShapeTest() {
        window.resize(400, 300);
        window.show();
    }

    gxButtons_H* Make(Json bag, QSize size, const Picture& picture = {}) {
        if (!bag.contains("Caption")) bag["Caption"] = "";
        auto* b = new gxButtons_H(&window);
        b->move(20, 20);
        b->ReadProperties(PropertyBag(bag));
        b->resize(size);
        if (!picture.IsNone()) b->SetPicture(picture);
        b->show();
        b->Refresh();
        return b;
    }

    static Picture Bitmap(const QImage& img) { return Picture(img, Picture::Kind::Bitmap); }

    // `size` filled with `back`, with an opaque `ink` square [from, to) in both directions.
    static QImage Square(int size, QRgb back, QRgb ink, int from, int to) {
        QImage img(size, size, QImage::Format_RGB32);
        img.fill(back);
        for (int y = from; y < to; ++y)
            for (int x = from; x < to; ++x) img.setPixel(x, y, ink);
        return img;
    }

    static QRgb At(gxButtons_H* b, int x, int y) { return b->FaceImage().pixel(x, y) & 0xFFFFFF; }

    QWidget window;
};

}  // namespace

TEST_F(ShapeTest, ATrimmedCornerLetsTheClickThroughToTheContainer) {
    gxButtons_H* b = Make(Json{{"BackStyle", 1}}, QSize(80, 30));
    const QPoint corner = b->mapToGlobal(QPoint(0, 0));
    EXPECT_EQ(platform::window::WindowFromPoint(corner), &window);
    EXPECT_EQ(platform::window::WindowFromPoint(b->mapToGlobal(QPoint(1, 0))), b);
    // Ovals: the corner of the box is outside, the middle inside.
    gxButtons_H* oval = Make(Json{{"Shape", 4}}, QSize(80, 40));
    EXPECT_FALSE(oval->mask().contains(QPoint(1, 1)));
    EXPECT_TRUE(oval->mask().contains(QPoint(40, 20)));
    EXPECT_FALSE(oval->ShapeRegion().contains(QPoint(40, 0)));
    EXPECT_TRUE(oval->InnerRegion().contains(QPoint(40, 20)));
}

TEST_F(ShapeTest, TheModernStylesCornersEachLoseThreePixels) {
    // Styles 2 and 7 cut four small triangles; a slanted button keeps those on its straight side.
    const QPoint cut[] = {{0, 0},  {1, 0},  {0, 1},  {118, 0},  {119, 0},  {119, 1},
                          {0, 38}, {0, 39}, {1, 39}, {119, 38}, {118, 39}, {119, 39}};
    for (int style : {2, 7}) {
        gxButtons_H* b = Make(Json{{"BackStyle", style}}, QSize(120, 40));
        QRegion expected(0, 0, 121, 41);
        for (const QPoint& p : cut) expected -= QRect(p, QSize(1, 1));
        EXPECT_TRUE((b->mask() ^ expected).isEmpty()) << style;
    }
    // Shape 2 slants its right side, so only the left corners are cut.
    gxButtons_H* slanted = Make(Json{{"BackStyle", 2}, {"Shape", 2}}, QSize(120, 40));
    for (int i = 0; i < 6; ++i) EXPECT_FALSE(slanted->mask().contains(cut[i < 3 ? i : i + 3]));
    EXPECT_TRUE(slanted->mask().contains(QPoint(1, 1)) && slanted->mask().contains(QPoint(2, 39)));
}

TEST_F(ShapeTest, APictureShapedButtonWithoutAPictureKeepsItsRegion) {
    gxButtons_H* b = Make(Json{{"BackStyle", 1}}, QSize(80, 30));
    const QRegion cut = b->mask();
    ASSERT_FALSE(cut.isEmpty());
    b->ReadProperties(PropertyBag(Json{{"Shape", 7}}));
    EXPECT_EQ(b->ButtonShape(), 7);
    EXPECT_EQ(b->mask(), cut);
}

TEST_F(ShapeTest, TheKeyColourAndItsTolerance) {
    // Key magenta; a row of near-key colours and one just outside the tolerance.
    QImage img(32, 32, QImage::Format_RGB32);
    img.fill(qRgb(0, 0, 0));
    img.setPixel(0, 0, kMagenta);
    const QRgb nearKeys[] = {qRgb(252, 0, 252), qRgb(255, 3, 255), qRgb(253, 2, 254)};
    for (int i = 0; i < 3; ++i)
        for (int y = 8; y < 12; ++y) img.setPixel(4 + i, y, nearKeys[i]);
    for (int y = 8; y < 12; ++y) img.setPixel(10, y, qRgb(251, 0, 255));
    gxButtons_H* b = Make(Json{{"ImgSize", 32}, {"cBack", 0xFFFFFF}}, QSize(120, 40), Bitmap(img));
    const auto& p = b->PictureRect();
    ASSERT_EQ(p.Width(), 32);
    const QRgb face = At(b, 60, 2 + 1);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(At(b, p.left + 4 + i, p.top + 9), face) << i;
    EXPECT_EQ(At(b, p.left + 10, p.top + 9), qRgb(251, 0, 255) & 0xFFFFFF);
    EXPECT_EQ(At(b, p.left + 20, p.top + 20), 0u);
}

TEST_F(ShapeTest, FixedSizesStretchAndFittedSizesKeepTheAspect) {
    QImage wide(64, 32, QImage::Format_RGB32);
    wide.fill(qRgb(10, 20, 30));
    wide.setPixel(0, 0, kMagenta);
    gxButtons_H* fixed = Make(Json{{"ImgSize", 16}}, QSize(120, 40), Bitmap(wide));
    EXPECT_EQ(fixed->PictureRect().Width(), 16);
    EXPECT_EQ(fixed->PictureRect().Height(), 16);
    gxButtons_H* fitted = Make(Json{{"ImgSize", 48}}, QSize(120, 60), Bitmap(wide));
    EXPECT_EQ(fitted->PictureRect().Width(), 2 * fitted->PictureRect().Height());
    EXPECT_EQ(fitted->PictureRect().Height(), 48 - 0);  // 60 - 12 high, half as wide as high
}

TEST_F(ShapeTest, DisabledPicturesGreyAndIconsKeepTheirOwnMask) {
    // Black on white: the white corner is the key, black turns grey on a disabled button.
    const QImage ink = Square(32, qRgb(255, 255, 255), qRgb(0, 0, 0), 8, 24);
    gxButtons_H* b =
        Make(Json{{"ImgSize", 32}, {"cBack", 0x00C0A080}}, QSize(120, 40), Bitmap(ink));
    const auto& p = b->PictureRect();
    EXPECT_EQ(At(b, p.left + 16, p.top + 16), 0u);
    b->SetEnabled(false);
    EXPECT_EQ(At(b, p.left + 16, p.top + 16), qRgb(128, 128, 128) & 0xFFFFFF);
    EXPECT_EQ(At(b, p.left + 2, p.top + 2), At(b, 60, 3));  // the face

    // An icon: its alpha is the mask; a magenta corner is just a colour.
    QImage icon(32, 32, QImage::Format_ARGB32);
    icon.fill(Qt::transparent);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) icon.setPixel(x, y, kMagenta);
    gxButtons_H* i = Make(Json{{"ImgSize", 32}, {"cBack", 0xFFFFFF}}, QSize(120, 40),
                          Picture(icon, Picture::Kind::Icon));
    const auto& q = i->PictureRect();
    EXPECT_EQ(At(i, q.left + 2, q.top + 2), kMagenta & 0xFFFFFF);
    EXPECT_EQ(At(i, q.left + 24, q.top + 24), 0xFFFFFFu);
}

// A picture with a transparent margin of 4 and a transparent 4 x 4 hole at (16, 16).
TEST_F(ShapeTest, APictureCarvesTheWindowAndFaceRegions) {
    QImage img = Square(40, kMagenta, qRgb(0, 80, 0), 4, 36);
    for (int y = 16; y < 20; ++y)
        for (int x = 16; x < 20; ++x) img.setPixel(x, y, kMagenta);
    gxButtons_H* b = Make(Json{{"Caption", "x"}}, QSize(40, 40), Bitmap(img));
    b->SetButtonShape(8);
    ASSERT_EQ(b->ButtonShape(), 8);
    ASSERT_EQ(b->size(), QSize(40, 40));
    const QRegion window = b->mask();
    EXPECT_EQ(window, QRegion(4, 4, 32, 32) - QRegion(16, 16, 4, 4));

    // Before the face regions are moved inside the window's box: each run grown by one and
    // two. Checked on a fresh preparation.
    gdi::HRGN r = gdi::CreateRectRgn(0, 0, 40, 40);
    b->PreparePicture(40, 40, &r);
    EXPECT_EQ(gdi::RegionOf(r), window);
    EXPECT_EQ(b->ShapeRegion(), QRegion(5, 5, 30, 30) - QRegion(15, 15, 6, 6));
    EXPECT_EQ(b->InnerRegion(), QRegion(6, 6, 28, 28) - QRegion(14, 14, 8, 8));
    gdi::DeleteObject(r);
}

TEST_F(ShapeTest, AWhiteKeyTrimsTheBottomEdgeAnotherKeyDoesNot) {
    const auto bottomRowKept = [&](QRgb key) {
        // Opaque down to the last row, transparent only in the top-left corner pixel.
        QImage img(20, 20, QImage::Format_RGB32);
        img.fill(qRgb(0, 0, 120));
        img.setPixel(0, 0, key);
        gxButtons_H* b = Make(Json{}, QSize(20, 20), Bitmap(img));
        gdi::HRGN r = gdi::CreateRectRgn(0, 0, 20, 20);
        b->PreparePicture(20, 20, &r);
        gdi::DeleteObject(r);
        return b->ShapeRegion().contains(QPoint(10, 19));
    };
    EXPECT_FALSE(bottomRowKept(qRgb(255, 255, 255)));
    EXPECT_FALSE(bottomRowKept(qRgb(253, 254, 255)));  // near-white counts as white
    EXPECT_TRUE(bottomRowKept(kMagenta));
}

TEST_F(ShapeTest, APressedPictureButtonMovesByItsCustomClick) {
    platform::window::DesktopDouble desktop;
    QImage img = Square(40, kMagenta, qRgb(0, 80, 0), 4, 36);
    gxButtons_H* b = Make(Json{}, QSize(40, 40), Bitmap(img));
    b->SetButtonShape(7);
    b->SetCustomClick(4);  // down and right
    const QPoint home = b->pos();
    b->SetPreviewState(true, true, false);
    EXPECT_EQ(b->pos(), home + QPoint(1, 1));
    EXPECT_TRUE(b->StateFlags() & gxButtons_H::kShifted);
    b->SetPreviewState(true, false, false);
    EXPECT_EQ(b->pos(), home);
    // Not in check-box mode, and not for a rectangle.
    b->SetMode(1);
    b->SetPreviewState(true, true, false);
    EXPECT_EQ(b->pos(), home);
    gxButtons_H* r = Make(Json{{"CustomClick", 4}}, QSize(40, 40));
    const QPoint rHome = r->pos();
    r->SetPreviewState(true, true, false);
    EXPECT_EQ(r->pos(), rHome);
}

// A button laid out first at a size that clamps its picture slot, then given its real size,
// draws the picture as it is, not a squashed copy stretched back.
TEST_F(ShapeTest, APictureLaidOutSmallFirstIsDrawnWholeLater) {
    QImage img(32, 32, QImage::Format_RGB32);
    img.fill(kMagenta);
    for (int y = 1; y < 32; ++y)
        for (int x = 1; x < 32; ++x)
            img.setPixel(x, y, (y * 7 + x * 3) % 2 ? 0xFF2040C0 : 0xFFC04020);
    gxButtons_H* b = Make(Json{{"ImgSize", 32}, {"cBack", 0xFFFFFF}}, QSize(100, 20), Bitmap(img));
    b->resize(121, 41);
    b->Refresh();
    const auto& p = b->PictureRect();
    ASSERT_EQ(p.Width(), 32);
    ASSERT_EQ(p.Height(), 32);
    const QImage face = b->FaceImage();
    int wrong = 0;
    for (int y = 1; y < 32; ++y)
        for (int x = 1; x < 32; ++x)
            wrong += (face.pixel(p.left + x, p.top + y) & 0xFFFFFF) != (img.pixel(x, y) & 0xFFFFFF);
    EXPECT_EQ(wrong, 0);
}
