// The owner-drawn button against its golden pictures (tests/golden/button_s<style>_<state>.png,
// made by scripts/make-goldens from tests/golden/button.json), and the renderer that draws them:
// states, window-region masks, sizes, a whole window and the contact sheet.

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <cmath>

#include "platform/Colour.h"
#include "platform/forms/DesignFile.h"
#include "tools/render/Render.h"

using platform::forms::Json;
using platform::forms::PropertyBag;
using render::RenderControl;
using render::RenderError;

namespace {

const QSize kSize(121, 41);

PropertyBag GoldenBag(int style) {
    Json j = render::LoadBagFile(QStringLiteral(QM_GOLDEN_DIR "/button.json")).json();
    j["BackStyle"] = style;
    return PropertyBag(j, QStringLiteral("button.json"));
}

// "" when equal, else where they first differ.
std::string FirstDifference(const QImage& want, const QImage& got) {
    if (want.size() != got.size())
        return QStringLiteral("size %1x%2, golden %3x%4")
            .arg(got.width())
            .arg(got.height())
            .arg(want.width())
            .arg(want.height())
            .toStdString();
    const QImage a = want.convertToFormat(QImage::Format_RGB32);
    const QImage b = got.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if (a.pixel(x, y) != b.pixel(x, y))
                return QStringLiteral("first difference at (%1, %2): #%3, golden #%4")
                    .arg(x)
                    .arg(y)
                    .arg(b.pixel(x, y) & 0xFFFFFF, 6, 16, QLatin1Char('0'))
                    .arg(a.pixel(x, y) & 0xFFFFFF, 6, 16, QLatin1Char('0'))
                    .toStdString();
    return {};
}

}  // namespace

TEST(GoldenButtons, EveryGoldenMatchesTheRenderPixelForPixel) {
    static const QRegularExpression re(QStringLiteral(R"(^button_s(\d+)_([a-z]+)\.png$)"));
    const QStringList files =
        QDir(QStringLiteral(QM_GOLDEN_DIR)).entryList({QStringLiteral("button_s*_*.png")});
    if (files.isEmpty()) GTEST_SKIP() << "no goldens in " QM_GOLDEN_DIR " yet";
    for (const QString& file : files) {
        SCOPED_TRACE(file.toStdString());
        const QRegularExpressionMatch m = re.match(file);
        ASSERT_TRUE(m.hasMatch()) << "golden name not button_s<style>_<state>.png";
        const QImage golden(QStringLiteral(QM_GOLDEN_DIR "/") + file);
        ASSERT_FALSE(golden.isNull());
        const QImage got =
            RenderControl(QStringLiteral("gxButtons_H"), GoldenBag(m.captured(1).toInt()),
                          golden.size(), m.captured(2))
                .image;
        const std::string diff = FirstDifference(golden, got);
        if (diff.empty()) continue;
        QDir().mkpath(QStringLiteral(QM_GOLDEN_ACTUAL_DIR));
        const QString actual = QStringLiteral(QM_GOLDEN_ACTUAL_DIR "/") + file;
        got.save(actual, "PNG");
        ADD_FAILURE() << file.toStdString() << ": " << diff << "; the render is in "
                      << actual.toStdString();
    }
}

// The same faces as on a screen of twice the density
// (tests/golden/dpr2/button_s<style>_<state>.png).
TEST(GoldenButtons, EveryDenseGoldenMatchesTheRenderAtRatioTwo) {
    static const QRegularExpression re(QStringLiteral(R"(^button_s(\d+)_([a-z]+)\.png$)"));
    const QString dir = QStringLiteral(QM_GOLDEN_DIR "/dpr2/");
    const QStringList files = QDir(dir).entryList({QStringLiteral("button_s*_*.png")});
    if (files.isEmpty()) GTEST_SKIP() << "no goldens in " << dir.toStdString() << " yet";
    for (const QString& file : files) {
        SCOPED_TRACE(file.toStdString());
        const QRegularExpressionMatch m = re.match(file);
        ASSERT_TRUE(m.hasMatch()) << "golden name not button_s<style>_<state>.png";
        const QImage golden(dir + file);
        ASSERT_EQ(golden.size(), kSize * 2);
        const QImage got =
            RenderControl(QStringLiteral("gxButtons_H"), GoldenBag(m.captured(1).toInt()), kSize,
                          m.captured(2), 2.0)
                .image;
        const std::string diff = FirstDifference(golden, got);
        if (diff.empty()) continue;
        QDir().mkpath(QStringLiteral(QM_GOLDEN_ACTUAL_DIR "/dpr2"));
        const QString actual = QStringLiteral(QM_GOLDEN_ACTUAL_DIR "/dpr2/") + file;
        got.save(actual, "PNG");
        ADD_FAILURE() << file.toStdString() << ": " << diff << "; the render is in "
                      << actual.toStdString();
    }
}

// At a ratio of 2 the face is drawn at the screen's density, not drawn small and doubled: the
// caption's glyphs have detail inside 2 x 2 blocks, while every one-pixel bevel is exactly two
// device pixels wide and in the colour and place it has at a ratio of 1.
TEST(RenderControl, AtRatioTwoCaptionsAreSharpAndBevelsTwoDevicePixelsWide) {
    for (const double ratio : {2.0, 1.5}) {
        SCOPED_TRACE(ratio);
        const QImage one = RenderControl("gxButtons_H", GoldenBag(0), kSize, "normal").image;
        const QImage dense =
            RenderControl("gxButtons_H", GoldenBag(0), kSize, "normal", ratio).image;
        ASSERT_EQ(dense.size(), QSize(int(std::lround(121 * ratio)), int(std::lround(41 * ratio))));
        EXPECT_EQ(dense.devicePixelRatio(), ratio);
        // The bevels along the middle row: white, light, face on the left; face, grey, black on
        // the right. Each one-pixel line is round(ratio) device pixels wide.
        const int t = int(std::lround(ratio));
        const int row = int(std::lround(20 * ratio));
        const int w = dense.width();
        for (int i = 0; i < t; ++i) {
            EXPECT_EQ(dense.pixel(i, row), one.pixel(0, 20)) << i;
            EXPECT_EQ(dense.pixel(w - 1 - i, row), one.pixel(120, 20)) << i;
        }
        EXPECT_NE(dense.pixel(t, row), one.pixel(0, 20));
        EXPECT_NE(dense.pixel(w - 1 - t, row), one.pixel(120, 20));
        if (ratio != 2.0) continue;
        // At a whole ratio the inner bevels line up too.
        for (int i = 0; i < t; ++i) {
            EXPECT_EQ(dense.pixel(t + i, row), one.pixel(1, 20)) << i;
            EXPECT_EQ(dense.pixel(w - 1 - t - i, row), one.pixel(119, 20)) << i;
        }
        EXPECT_EQ(dense.pixel(2 * t, row), one.pixel(2, 20));
        EXPECT_EQ(dense.pixel(w - 1 - 2 * t, row), one.pixel(118, 20));
        // The caption: black ink right of the picture.
        int mixed = 0, ink = 0;
        for (int y = 0; y + 1 < dense.height(); y += 2)
            for (int x = 2 * 50; x + 1 < dense.width() - 2 * 6; x += 2) {
                const QRgb p = dense.pixel(x, y);
                ink += qGray(p) < 64;
                mixed += dense.pixel(x + 1, y) != p || dense.pixel(x, y + 1) != p ||
                         dense.pixel(x + 1, y + 1) != p;
            }
        EXPECT_GT(ink, 20);
        EXPECT_GT(mixed, 40);
    }
}

// Shapes in four styles with their masks (shape_s<style>_k<shape>_<state>[_mask].png).
TEST(GoldenButtons, EveryShapeAndItsMaskMatch) {
    static const QRegularExpression re(QStringLiteral(R"(^shape_s(\d+)_k(\d+)_([a-z]+)\.png$)"));
    const QStringList files =
        QDir(QStringLiteral(QM_GOLDEN_DIR)).entryList({QStringLiteral("shape_s*_k*_*.png")});
    int compared = 0;
    for (const QString& file : files) {
        const QRegularExpressionMatch m = re.match(file);
        if (!m.hasMatch()) continue;  // a mask
        SCOPED_TRACE(file.toStdString());
        Json j = render::LoadBagFile(QStringLiteral(QM_GOLDEN_DIR "/shape.json")).json();
        j["BackStyle"] = m.captured(1).toInt();
        j["Shape"] = m.captured(2).toInt();
        j["Image"] = QM_GOLDEN_DIR "/shape.png";
        if (m.captured(2).toInt() >= 7) j["ImgSize"] = 48;
        const render::ControlRender got = RenderControl(
            QStringLiteral("gxButtons_H"), PropertyBag(j, QStringLiteral("shape.json")),
            QSize(80, 40), m.captured(3));
        const QString base = QStringLiteral(QM_GOLDEN_DIR "/") + file.chopped(4);
        for (const auto& [golden, image] :
             {std::pair{base + QStringLiteral(".png"), got.image},
              std::pair{base + QStringLiteral("_mask.png"), got.mask}}) {
            const std::string diff = FirstDifference(QImage(golden), image);
            if (diff.empty()) continue;
            QDir().mkpath(QStringLiteral(QM_GOLDEN_ACTUAL_DIR));
            const QString actual =
                QStringLiteral(QM_GOLDEN_ACTUAL_DIR "/") + QFileInfo(golden).fileName();
            image.save(actual, "PNG");
            ADD_FAILURE() << golden.toStdString() << ": " << diff << "; the render is in "
                          << actual.toStdString();
        }
        ++compared;
    }
    if (compared == 0) GTEST_SKIP() << "no shape goldens in " QM_GOLDEN_DIR " yet";
}

TEST(RenderControl, IsRepeatableAndEachStateReachesTheButton) {
    PropertyBag bag = GoldenBag(0);
    bag.WriteColourAlways("cBHover", platform::Rgb(255, 0, 0));
    const QImage normal = RenderControl("gxButtons_H", bag, kSize, "normal").image;
    EXPECT_EQ(normal.size(), kSize);
    EXPECT_EQ(FirstDifference(normal, RenderControl("gxButtons_H", bag, kSize, "normal").image),
              "");
    for (const QString& state : render::ControlStates()) {
        if (state == QLatin1String("normal")) continue;
        SCOPED_TRACE(state.toStdString());
        const QImage img = RenderControl("gxButtons_H", bag, kSize, state).image;
        EXPECT_NE(FirstDifference(normal, img), "");
        EXPECT_EQ(FirstDifference(img, RenderControl("gxButtons_H", bag, kSize, state).image), "");
    }
}

TEST(RenderControl, OutsideTheWindowRegionShowsTheContainerBackground) {
    const QRgb background = platform::ToQColor(platform::kWindowBackground).rgb();
    for (int shape = 0; shape <= 8; ++shape) {
        SCOPED_TRACE(shape);
        PropertyBag bag = GoldenBag(3);
        bag.WriteIntAlways("Shape", shape);
        const render::ControlRender r = RenderControl("gxButtons_H", bag, kSize, "normal");
        // Picture shapes take their fitted picture's size; the mask always has the face's.
        ASSERT_EQ(r.mask.size(), shape >= 7 ? QSize(41, 41) : kSize);
        ASSERT_EQ(r.mask.size(), r.image.size());
        ASSERT_EQ(r.mask.format(), QImage::Format_RGB32);
        if (shape == 0) {
            EXPECT_EQ(r.mask.pixel(0, 0), qRgb(255, 255, 255));
        }
        for (int y = 0; y < r.mask.height(); ++y)
            for (int x = 0; x < r.mask.width(); ++x) {
                const QRgb m = r.mask.pixel(x, y);
                ASSERT_TRUE(m == qRgb(0, 0, 0) || m == qRgb(255, 255, 255)) << x << "," << y;
                ASSERT_TRUE(m == qRgb(255, 255, 255) || r.image.pixel(x, y) == background)
                    << "outside the region at " << x << "," << y;
            }
    }
}

namespace {
// The right-most column where `mask` is white, or -1.
int RightmostInside(const QImage& mask) {
    for (int x = mask.width() - 1; x >= 0; --x)
        for (int y = 0; y < mask.height(); ++y)
            if (mask.pixel(x, y) == qRgb(255, 255, 255)) return x;
    return -1;
}
}  // namespace

// A button that resizes itself is drawn whole, at the size it settled at, not the size it was
// given.
TEST(RenderControl, SelfResizingShapesAreDrawnAtTheirOwnSize) {
    const QRgb background = platform::ToQColor(platform::kWindowBackground).rgb();
    // Slanted: 20 pixels is too narrow for the slant of a 40-pixel-high button (41), so it
    // widens in steps of 5 until 5 pixels are left beside the slant: 50.
    PropertyBag slanted(Json{{"Caption", "Go"}, {"Shape", 1}, {"BackStyle", 2}});
    const render::ControlRender s = RenderControl("gxButtons_H", slanted, QSize(20, 40), "normal");
    EXPECT_EQ(s.image.size(), QSize(50, 40));
    EXPECT_EQ(s.mask.size(), QSize(50, 40));
    // Its straight right edge is the last column, and its frame is drawn there.
    ASSERT_EQ(RightmostInside(s.mask), 49);
    bool ink = false;
    for (int y = 0; y < 40; ++y) ink = ink || s.image.pixel(49, y) != background;
    EXPECT_TRUE(ink);

    // Shaped by its 64 x 40 picture: fitted into 80 x 40 it keeps its own size, and the window
    // region ends where the picture's opaque part ends.
    const QImage picture(QStringLiteral(QM_GOLDEN_DIR "/shape.png"));
    ASSERT_EQ(picture.size(), QSize(64, 40));
    const QRgb key = picture.pixel(0, 0);
    int opaqueRight = -1;
    for (int x = 0; x < picture.width(); ++x)
        for (int y = 0; y < picture.height(); ++y)
            if (picture.pixel(x, y) != key) opaqueRight = x;
    PropertyBag shaped(Json{{"Shape", 7}, {"ImgSize", 48}, {"Image", QM_GOLDEN_DIR "/shape.png"}});
    const render::ControlRender p = RenderControl("gxButtons_H", shaped, QSize(80, 40), "normal");
    EXPECT_EQ(p.image.size(), QSize(64, 40));
    EXPECT_EQ(p.mask.size(), QSize(64, 40));
    EXPECT_EQ(RightmostInside(p.mask), opaqueRight);
}

// Bag files and the command line's messages are checked by tests/tools/render_cli.sh.
TEST(RenderFiles, SizesAreTwoPositiveNumbers) {
    EXPECT_EQ(render::ParseSize(QStringLiteral("121x41")), QSize(121, 41));
    EXPECT_EQ(render::ParseSize(QStringLiteral("8X9")), QSize(8, 9));
    for (const char* bad : {"", "121", "121x", "0x41", "121x0", "-1x4", "axb", "121x41x2"})
        EXPECT_THROW(render::ParseSize(QString::fromLatin1(bad)), RenderError) << bad;
}

TEST(RenderFiles, SheetPlacesStylesDownAndStatesAcross) {
    QTemporaryDir dir;
    const QStringList columns = {QStringLiteral("normal"), QStringLiteral("hover")};
    const auto colour = [](int style, int column) { return qRgb(40 * style, 200, 100 * column); };
    for (int style : {0, 2})
        for (int c = 0; c < 2; ++c) {
            QImage img(12, 6, QImage::Format_RGB32);
            img.fill(colour(style, c));
            ASSERT_TRUE(img.save(
                dir.filePath(QStringLiteral("button_s%1_%2.png").arg(style).arg(columns[c]))));
        }
    const QImage sheet = render::ContactSheet(dir.path(), QStringLiteral("button"), columns);
    EXPECT_EQ(sheet.pixel(0, 0), qRgb(255, 255, 255));
    const auto find = [&](QRgb c) {
        for (int y = 0; y < sheet.height(); ++y)
            for (int x = 0; x < sheet.width(); ++x)
                if (sheet.pixel(x, y) == c) return QPoint(x, y);
        return QPoint(-1, -1);
    };
    const QPoint a = find(colour(0, 0)), b = find(colour(0, 1)), c = find(colour(2, 0));
    ASSERT_GE(a.x(), 0);
    EXPECT_GT(b.x(), a.x());
    EXPECT_EQ(b.y(), a.y());
    EXPECT_GT(c.y(), a.y());
    EXPECT_EQ(c.x(), a.x());

    QTemporaryDir empty;
    EXPECT_THROW(render::ContactSheet(empty.path(), QStringLiteral("button"), columns),
                 RenderError);
}

TEST(RenderForm, DrawsTheMainWindowWithSampleAddressesOnlyWhileBuilding) {
    const QString portalBefore = platform::forms::CurrentPlaceholders().portal;
    const QImage main = render::RenderForm(QStringLiteral("frmMain"));
    EXPECT_EQ(main.width(), 720);
    EXPECT_GT(main.height(), 400);
    EXPECT_EQ(platform::forms::CurrentPlaceholders().portal, portalBefore);
}
