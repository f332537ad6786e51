// The picture viewer: the zoom ladder, fitting and stretching, the centred layout, dragging by
// the cursor's screen position (through the desktop double), loading, the empty state, stored
// values, and what happens when a size or a copy fails or memory runs out; then pictures far
// larger than the viewport, the quality of scaling, the bounded drawing cache, panning and
// zooming about a point, animation frames and a screen density of 2.

#include <gtest/gtest.h>

#include <QApplication>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <climits>
#include <new>
#include <random>

#include "controls/ScrollPicture/ScrollPicture.h"
#include "platform/window/Desktop.h"
#include "platform/window/Window.h"

using platform::forms::Json;
using platform::forms::PropertyBag;

namespace {

const QColor kTopLeft(200, 0, 0), kTopRight(0, 0, 200), kBottomLeft(0, 150, 0),
    kBottomRight(220, 220, 0);

// A picture whose four quadrants have four colours, so a copy at any size shows where each part
// went.
platform::Picture Quadrants(int w, int h) {
    QImage img(w, h, QImage::Format_ARGB32);
    QPainter p(&img);
    p.fillRect(0, 0, w / 2, h / 2, kTopLeft);
    p.fillRect(w / 2, 0, w - w / 2, h / 2, kTopRight);
    p.fillRect(0, h / 2, w / 2, h - h / 2, kBottomLeft);
    p.fillRect(w / 2, h / 2, w - w / 2, h - h / 2, kBottomRight);
    p.end();
    return platform::Picture(img, platform::Picture::Kind::Bitmap, QStringLiteral("quadrants"));
}

// Random opaque colours: every pixel differs from its neighbours, so any shift shows.
platform::Picture Noise(int w, int h) {
    QImage img(w, h, QImage::Format_ARGB32);
    std::mt19937 random(42);
    for (int y = 0; y < h; ++y) {
        auto* row = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < w; ++x) row[x] = 0xFF000000u | (random() & 0xFFFFFFu);
    }
    return platform::Picture(img, platform::Picture::Kind::Bitmap, QStringLiteral("noise"));
}

// The control with its stretching copy observed, and made to fail on request.
class Probe : public ScrollPicture {
public:
    using ScrollPicture::ScrollPicture;
    int copies = 0;
    int failNext = 0;              // how many of the next copies fail; -1: all of them
    bool outOfMemoryNext = false;  // the next copy runs out of memory
    bool alwaysUnderWaitCursor = true;
    bool alwaysHidden = true;
    qreal ratio = 0;  // the screen density, when set

protected:
    qreal DevicePixelRatio() const override {
        return ratio > 0 ? ratio : ScrollPicture::DevicePixelRatio();
    }
    bool CopyStretched(QImage& tile, QPoint origin, QSize size,
                       const scrollpicture::Source& source) override {
        ++copies;
        const QCursor* c = QGuiApplication::overrideCursor();
        alwaysUnderWaitCursor &= c && c->shape() == Qt::WaitCursor;
        alwaysHidden &= picScroll()->isHidden();
        if (outOfMemoryNext) {
            outOfMemoryNext = false;
            throw std::bad_alloc();
        }
        if (failNext != 0) {
            if (failNext > 0) --failNext;
            return false;
        }
        return ScrollPicture::CopyStretched(tile, origin, size, source);
    }
};

enum class Hand { Default, Open, Closed, Other };

struct ViewerTest : ::testing::Test {
    void SetUp() override {
        viewer = new Probe(&window);
        viewer->setGeometry(0, 0, 200, 200);
        window.resize(240, 240);
        window.show();
        QObject::connect(viewer, &ScrollPicture::MouseMove,
                         [this](std::int16_t&, std::int16_t&, float& x, float& y) {
                             moves.push_back(QPointF(x, y));
                         });
        QObject::connect(viewer, &ScrollPicture::MouseDown,
                         [this](std::int16_t& b, std::int16_t&, float&, float&) {
                             events.push_back("down" + std::to_string(b));
                         });
        QObject::connect(viewer, &ScrollPicture::MouseUp,
                         [this](std::int16_t& b, std::int16_t&, float&, float&) {
                             events.push_back("up" + std::to_string(b));
                         });
        QObject::connect(viewer, &ScrollPicture::Click, [this] { events.push_back("click"); });
        QObject::connect(viewer, &ScrollPicture::DblClick,
                         [this] { events.push_back("dblclick"); });
    }
    void TearDown() override { EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr); }

    QWidget* box() const { return viewer->picScroll(); }
    QSize Shown() const { return box()->size(); }
    QPoint At() const { return box()->pos(); }
    QColor ShownPixel(int x, int y) const {
        return viewer->picScroll()->Snapshot().pixelColor(x, y);
    }

    void Mouse(QEvent::Type type, Qt::MouseButton button, Qt::MouseButtons held,
               QPoint at = {5, 5}) {
        QMouseEvent e(type, QPointF(at), QPointF(box()->mapToGlobal(at)), button, held,
                      Qt::NoModifier);
        QApplication::sendEvent(box(), &e);
    }
    // The cursor goes to `screen` first: the control reads it from the desktop, not the event.
    void Press(QPoint screen, Qt::MouseButton button = Qt::LeftButton) {
        desktop.SetCursorPos(screen);
        Mouse(QEvent::MouseButtonPress, button, button);
    }
    void DragTo(QPoint screen, Qt::MouseButtons held = Qt::LeftButton) {
        desktop.SetCursorPos(screen);
        Mouse(QEvent::MouseMove, Qt::NoButton, held);
    }
    void Release(Qt::MouseButton button = Qt::LeftButton) {
        Mouse(QEvent::MouseButtonRelease, button, Qt::NoButton);
    }

    Hand CursorOverPicture() const {
        if (!box()->testAttribute(Qt::WA_SetCursor)) return Hand::Default;
        const QCursor c = box()->cursor();
        EXPECT_EQ(c.hotSpot(), QPoint(12, 5));
        const QImage shape = c.pixmap().toImage().convertToFormat(QImage::Format_ARGB32);
        if (shape == viewer->releaseCursor().image()) return Hand::Open;
        if (shape == viewer->grabCursor().image()) return Hand::Closed;
        return Hand::Other;
    }

    platform::window::DesktopDouble desktop;
    QWidget window;
    Probe* viewer = nullptr;
    std::vector<QPointF> moves;
    std::vector<std::string> events;
};

}  // namespace

TEST_F(ViewerTest, ZoomLadderRoundsHalvesToEvenAndStopsAtBothEnds) {
    viewer->SetPicture(Quadrants(50, 30));
    EXPECT_EQ(viewer->ZoomPercent().toInt(), 100);
    const std::vector<std::pair<int, QSize>> up = {
        {125, {62, 38}}, {150, {75, 45}}, {175, {88, 52}}, {200, {100, 60}}};
    for (const auto& [percent, size] : up) {
        viewer->z_ZoomIn();
        EXPECT_EQ(viewer->ZoomPercent().toInt(), percent);
        EXPECT_EQ(Shown(), size) << percent;
    }
    const int copies = viewer->copies;
    viewer->z_ZoomIn();
    EXPECT_EQ(viewer->ZoomPercent().toInt(), 200);
    EXPECT_EQ(viewer->copies, copies);  // nothing redrawn

    viewer->z_ZoomActualPixels();
    EXPECT_EQ(viewer->ZoomIndex(), 10);
    EXPECT_EQ(Shown(), QSize(50, 30));
    std::vector<int> down;
    for (int i = 0; i < 11; ++i) {
        viewer->z_ZoomOut();
        down.push_back(viewer->ZoomPercent().toInt());
    }
    EXPECT_EQ(down, (std::vector<int>{90, 80, 70, 60, 50, 40, 30, 20, 10, 5, 5}));
    EXPECT_EQ(Shown(), QSize(2, 2));  // 2.5 and 1.5 both go to 2
    EXPECT_TRUE(viewer->alwaysUnderWaitCursor);
    EXPECT_TRUE(viewer->alwaysHidden);
    EXPECT_FALSE(box()->isHidden());
}

TEST_F(ViewerTest, BestFitAndStretchLeaveTheLevelForZoomPrevious) {
    viewer->SetPicture(Quadrants(400, 300));
    EXPECT_EQ(At(), QPoint(-100, -50));
    EXPECT_EQ(CursorOverPicture(), Hand::Open);

    viewer->BestFit();  // rW 0.5 < rH 0.667: the width is the tighter fit
    EXPECT_EQ(Shown(), QSize(200, 150));
    EXPECT_EQ(At(), QPoint(0, 25));
    EXPECT_EQ(viewer->ZoomPercent().toInt(), 100);
    EXPECT_EQ(CursorOverPicture(), Hand::Default);
    EXPECT_EQ(ShownPixel(99, 74), kTopLeft);
    EXPECT_EQ(ShownPixel(100, 75), kBottomRight);

    viewer->z_Stretch();
    EXPECT_EQ(Shown(), QSize(200, 200));
    EXPECT_EQ(At(), QPoint(0, 0));
    EXPECT_EQ(ShownPixel(100, 99), kTopRight);
    EXPECT_EQ(ShownPixel(100, 100), kBottomRight);

    viewer->z_ZoomPrevious();
    EXPECT_EQ(Shown(), QSize(400, 300));
    EXPECT_EQ(At(), QPoint(-100, -50));

    viewer->z_ZoomOut();
    viewer->BestFit();
    viewer->z_ZoomPrevious();
    EXPECT_EQ(Shown(), QSize(360, 270));
    EXPECT_EQ(viewer->ZoomPercent().toInt(), 90);
}

TEST_F(ViewerTest, SmallPictureSitsCentredAndDoesNotMove) {
    viewer->SetBackColor(platform::Rgb(10, 20, 30));
    viewer->SetPicture(Quadrants(100, 50));
    EXPECT_EQ(At(), QPoint(50, 75));
    EXPECT_EQ(viewer->ScrollX(), -50);
    EXPECT_EQ(viewer->ScrollY(), -75);
    EXPECT_EQ(CursorOverPicture(), Hand::Default);

    Press({500, 500});
    DragTo({540, 530});
    EXPECT_EQ(At(), QPoint(50, 75));
    EXPECT_EQ(moves.size(), 1u);  // the event still comes
    Release();
    EXPECT_EQ(CursorOverPicture(), Hand::Default);  // the hands are for larger pictures

    viewer->BestFit();  // rW 2 < rH 4
    EXPECT_EQ(Shown(), QSize(200, 100));
    EXPECT_EQ(At(), QPoint(0, 50));
    const QImage screen = window.grab().toImage();
    EXPECT_EQ(screen.pixelColor(100, 20), QColor(10, 20, 30));
    EXPECT_EQ(screen.pixelColor(20, 60), kTopLeft);
    EXPECT_EQ(screen.pixelColor(180, 140), kBottomRight);
}

TEST_F(ViewerTest, DragFollowsTheScreenCursorAndStopsAtTheEdges) {
    viewer->SetPicture(Quadrants(1000, 800));
    EXPECT_EQ(viewer->ScrollMaxX(), 800);
    EXPECT_EQ(viewer->ScrollMaxY(), 600);
    EXPECT_EQ(viewer->ScrollX(), 400);
    EXPECT_EQ(viewer->ScrollY(), 300);

    Press({300, 300});
    EXPECT_TRUE(viewer->Dragging());
    EXPECT_EQ(CursorOverPicture(), Hand::Closed);
    DragTo({330, 300});
    EXPECT_EQ(viewer->ScrollX(), 370);
    EXPECT_EQ(At(), QPoint(-370, -300));
    DragTo({330, 290});
    EXPECT_EQ(viewer->ScrollY(), 310);
    DragTo({-5000, 290});
    EXPECT_EQ(viewer->ScrollX(), 800);
    DragTo({5000, 5000});
    EXPECT_EQ(viewer->ScrollX(), 0);
    EXPECT_EQ(viewer->ScrollY(), 0);
    EXPECT_EQ(At(), QPoint(0, 0));
    DragTo({4990, -9000});
    EXPECT_EQ(viewer->ScrollX(), 10);
    EXPECT_EQ(viewer->ScrollY(), 600);
    EXPECT_EQ(moves.size(), 5u);
    EXPECT_EQ(moves.front(), QPointF(5, 5));  // PicScroll's own coordinates, unchanged
    Release();
    EXPECT_FALSE(viewer->Dragging());
    EXPECT_EQ(CursorOverPicture(), Hand::Open);
    EXPECT_EQ(events, (std::vector<std::string>{"down1", "up1", "click"}));

    // Moves without the left button, and after the release, move nothing and raise nothing.
    events.clear();
    Press({0, 0}, Qt::RightButton);
    DragTo({50, 50}, Qt::RightButton);
    Release(Qt::RightButton);
    DragTo({80, 80});
    EXPECT_EQ(moves.size(), 5u);
    EXPECT_EQ(At(), QPoint(-10, -600));
    EXPECT_EQ(events, (std::vector<std::string>{"down2", "up2"}));

    // A disabled control takes no mouse input at all.
    viewer->SetEnabled(false);
    Press({0, 0});
    DragTo({30, 0});
    Release();
    EXPECT_EQ(events.size(), 2u);
    EXPECT_EQ(At(), QPoint(-10, -600));
}

TEST_F(ViewerTest, DoubleClickRaisesDblClickWithoutASecondClick) {
    viewer->SetPicture(Quadrants(10, 10));
    Press({0, 0});
    Release();
    Mouse(QEvent::MouseButtonDblClick, Qt::LeftButton, Qt::LeftButton);
    Release();
    EXPECT_EQ(events, (std::vector<std::string>{"down1", "up1", "click", "dblclick", "up1"}));
}

TEST_F(ViewerTest, NewPictureShowsAtItsOwnSizeWhileZoomPercentKeepsTheLevel) {
    viewer->SetPicture(Quadrants(400, 300));
    viewer->z_ZoomIn();
    viewer->z_ZoomIn();
    std::vector<QString> changed;
    QObject::connect(viewer, &ScrollPicture::PropertyChanged,
                     [&](const QString& name) { changed.push_back(name); });
    viewer->SetPicture(Quadrants(303, 101));
    EXPECT_EQ(Shown(), QSize(303, 101));
    // Offsets 103 / 2 and -99 / 2 round halves to even: 52 and -50.
    EXPECT_EQ(At(), QPoint(-52, 50));
    EXPECT_EQ(viewer->ZoomPercent().toInt(), 150);
    EXPECT_EQ(changed, std::vector<QString>{"Picture"});
    viewer->z_ZoomPrevious();
    EXPECT_EQ(Shown(), QSize(454, 152));
}

TEST_F(ViewerTest, WithoutAPictureEveryMethodDoesNothing) {
    auto check = [&](const char* when) {
        SCOPED_TRACE(when);
        viewer->BestFit();
        viewer->z_Stretch();
        viewer->z_ZoomIn();
        viewer->z_ZoomOut();
        viewer->z_ZoomPrevious();
        viewer->z_ZoomActualPixels();
        EXPECT_EQ(viewer->copies, 0);
        EXPECT_EQ(viewer->ZoomPercent().toInt(), 100);
        EXPECT_EQ(Shown(), QSize(200, 200));  // the empty box covers the viewport
        EXPECT_EQ(At(), QPoint(0, 0));
        EXPECT_EQ(viewer->ScrollMaxX(), 0);
        EXPECT_EQ(CursorOverPicture(), Hand::Default);
        Press({0, 0});
        DragTo({30, 30});
        Release();
        EXPECT_TRUE(moves.empty());
    };
    check("new");
    viewer->SetPicture(Quadrants(1000, 800));
    viewer->Clear();
    EXPECT_TRUE(viewer->Picture().IsNone());
    EXPECT_TRUE(viewer->picLoaded()->ImageSize().isEmpty());
    check("cleared");
}

TEST_F(ViewerTest, StoredValues) {
    std::vector<QString> changed;
    QObject::connect(viewer, &ScrollPicture::PropertyChanged,
                     [&](const QString& name) { changed.push_back(name); });
    viewer->SetBackColor(0x00445566);
    changed.clear();
    viewer->InitProperties();  // back to the button face, for the control and its picture box
    EXPECT_EQ(viewer->BackColor(), platform::kButtonFace);
    EXPECT_EQ(viewer->picScroll()->BackColor(), platform::kButtonFace);
    PropertyBag defaults;
    viewer->WriteProperties(defaults);
    EXPECT_TRUE(defaults.Empty());

    viewer->SetBackColor(0x00336699);
    viewer->SetEnabled(false);
    viewer->SetPicture(
        platform::Picture::Load(QStringLiteral(":/controls/ScrollPicture/grab.png")));
    EXPECT_EQ(changed, (std::vector<QString>{"BackColor", "BackColor", "Enabled", "Picture"}));
    EXPECT_EQ(viewer->picScroll()->BackColor(), 0x00336699u);
    EXPECT_EQ(viewer->picLoaded()->BackColor(), 0x00336699u);
    PropertyBag bag;
    viewer->WriteProperties(bag);
    // "BackColor" goes in twice with the one shared colour, so the bag holds it once.
    EXPECT_EQ(
        bag.json().dump(),
        R"({"BackColor":3368601,"Enabled":false,"Picture":"controls/ScrollPicture/grab.png"})");

    Probe copy(&window);
    copy.ReadProperties(PropertyBag(Json::parse(
        R"({"backcolor": "&H00112233&", "enabled": false, "picture": "controls/ScrollPicture/release.png"})")));
    EXPECT_EQ(copy.BackColor(), 0x00112233u);
    EXPECT_FALSE(copy.Enabled());
    EXPECT_EQ(copy.picScroll()->size(), QSize(32, 32));
    EXPECT_EQ(copy.OriginalWidth(), 32.0f);
}

TEST_F(ViewerTest, HandCursorsAreSixteenColourPicturesWithTheirHotSpot) {
    for (const char* file : {"grab.png", "release.png"}) {
        SCOPED_TRACE(file);
        const QImage image(QStringLiteral(":/controls/ScrollPicture/") + file);
        ASSERT_FALSE(image.isNull());
        EXPECT_EQ(image.size(), QSize(32, 32));
        EXPECT_LE(image.colorCount(), 16);
        EXPECT_GT(image.colorCount(), 0);
        EXPECT_EQ(qAlpha(image.pixel(12, 5)), 255);  // the hot spot is on the hand
    }
    // The two hands differ; the cursor a person gets, with its hot spot, is checked where the
    // picture is dragged (CursorOverPicture).
    EXPECT_NE(viewer->grabCursor().image(), viewer->releaseCursor().image());
}

TEST_F(ViewerTest, AZoomBeyondSixteenBitsIsDrawn) {
    viewer->SetPicture(Quadrants(20000, 4));
    viewer->z_ZoomIn();  // 25000
    viewer->z_ZoomIn();  // 30000
    const int copies = viewer->copies;
    viewer->z_ZoomIn();  // 35000
    EXPECT_EQ(viewer->copies, copies + 1);
    EXPECT_EQ(viewer->ZoomPercent().toInt(), 175);
    EXPECT_EQ(Shown(), QSize(35000, 7));
    EXPECT_EQ(viewer->ScrollX(), 17400);
    viewer->z_ZoomOut();
    EXPECT_EQ(viewer->ZoomPercent().toInt(), 150);
    EXPECT_EQ(Shown(), QSize(30000, 6));
}

TEST_F(ViewerTest, AFailedCopyFallsBackOnceAndAlwaysEndsShownWithoutTheWaitCursor) {
    viewer->SetBackColor(platform::Rgb(1, 2, 3));
    viewer->SetPicture(Quadrants(400, 300));
    viewer->z_ZoomOut();
    viewer->z_ZoomOut();  // 80 %

    // One failure, at 90 %: the fallback draws the picture at its own size at 100 %.
    viewer->failNext = 1;
    viewer->copies = 0;
    viewer->z_ZoomIn();
    EXPECT_EQ(viewer->copies, 2);
    EXPECT_EQ(viewer->ZoomIndex(), 10);
    EXPECT_EQ(Shown(), QSize(400, 300));
    EXPECT_EQ(ShownPixel(399, 299), kBottomRight);
    EXPECT_FALSE(box()->isHidden());
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);

    // Every copy fails: one fallback only, then the box stays in the back colour, shown.
    viewer->failNext = -1;
    viewer->copies = 0;
    viewer->z_ZoomIn();
    EXPECT_EQ(viewer->copies, 2);
    EXPECT_EQ(viewer->ZoomIndex(), 10);
    EXPECT_EQ(Shown(), QSize(400, 300));
    EXPECT_EQ(ShownPixel(0, 0), QColor(1, 2, 3));
    EXPECT_EQ(At(), QPoint(-100, -50));
    EXPECT_FALSE(box()->isHidden());
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_TRUE(viewer->alwaysUnderWaitCursor);
}

TEST_F(ViewerTest, RunningOutOfMemoryDuringAZoomReachesTheCaller) {
    viewer->SetPicture(Quadrants(400, 300));
    viewer->copies = 0;
    viewer->outOfMemoryNext = true;
    EXPECT_THROW(viewer->z_ZoomIn(), std::bad_alloc);
    EXPECT_EQ(viewer->copies, 1);  // no fallback: that is for a copy that fails, not for this
    // The redraw still ends as every redraw does: laid out at the new size, shown, and the
    // wait cursor down (TearDown).
    EXPECT_EQ(viewer->ZoomPercent().toInt(), 125);
    EXPECT_EQ(Shown(), QSize(500, 375));
    EXPECT_EQ(At(), QPoint(-150, -88));
    EXPECT_FALSE(box()->isHidden());
}

TEST_F(ViewerTest, ANewBackColourShowsThroughWhereThePictureStands) {
    // The top-left quadrant is transparent.
    QImage image = Quadrants(1000, 800).image();
    QPainter p(&image);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.fillRect(0, 0, 500, 400, Qt::transparent);
    p.end();
    viewer->SetPicture(
        platform::Picture(image, platform::Picture::Kind::Bitmap, QStringLiteral("clear")));
    viewer->z_ZoomOut();  // 90 %: 900 x 720, centred at (-350, -260)
    Press({300, 300});
    DragTo({330, 300});
    Release();
    ASSERT_EQ(At(), QPoint(-320, -260));

    // Drawn again at the size and place it has.
    viewer->copies = 0;
    viewer->SetBackColor(platform::Rgb(1, 2, 3));
    EXPECT_EQ(viewer->copies, 1);
    EXPECT_EQ(ShownPixel(0, 0), QColor(1, 2, 3));
    EXPECT_EQ(ShownPixel(899, 719), kBottomRight);
    EXPECT_EQ(At(), QPoint(-320, -260));
    EXPECT_EQ(viewer->ZoomPercent().toInt(), 90);
    EXPECT_FALSE(box()->isHidden());

    // A copy that fails here falls back as any failed copy does: 100 %, centred.
    viewer->failNext = 1;
    viewer->copies = 0;
    viewer->SetBackColor(platform::Rgb(4, 5, 6));
    EXPECT_EQ(viewer->copies, 2);
    EXPECT_EQ(viewer->ZoomIndex(), 10);
    EXPECT_EQ(Shown(), QSize(1000, 800));
    EXPECT_EQ(At(), QPoint(-400, -300));
    EXPECT_EQ(ShownPixel(0, 0), QColor(4, 5, 6));
    EXPECT_TRUE(viewer->alwaysUnderWaitCursor);
}

TEST_F(ViewerTest, AboutShowsTheNotice) {
    QString shown;
    platform::window::SetMessageBoxHook([&](const QString& text, const QString&) { shown = text; });
    viewer->about();
    platform::window::SetMessageBoxHook({});
    EXPECT_TRUE(shown.contains("ScrollPicture"));
    EXPECT_GE(shown.count('\n'), 2);
}

// ---- Large pictures, scaling, the drawing cache, navigation and density ----

TEST_F(ViewerTest, LongPicturesFitZoomStretchAndDragWithTheirClamps) {
    for (const bool wide : {true, false}) {
        SCOPED_TRACE(wide ? "40000 x 10" : "10 x 40000");
        // Along and across the long side, as (x, y) or (y, x).
        const auto xy = [wide](int along, int across) {
            return wide ? QPoint(along, across) : QPoint(across, along);
        };
        const auto size = [&](int along, int across) {
            const QPoint p = xy(along, across);
            return QSize(p.x(), p.y());
        };
        const auto scroll = [&] { return QPoint(viewer->ScrollX(), viewer->ScrollY()); };
        const auto scrollMax = [&] { return QPoint(viewer->ScrollMaxX(), viewer->ScrollMaxY()); };
        viewer->z_ZoomActualPixels();
        viewer->SetPicture(wide ? Quadrants(40000, 10) : Quadrants(10, 40000));
        EXPECT_EQ(scrollMax(), xy(39800, -190));
        EXPECT_EQ(scroll(), xy(19900, -95));
        EXPECT_EQ(At(), xy(-19900, 95));
        EXPECT_EQ(CursorOverPicture(), Hand::Open);

        // Dragged to both ends of the long side; the short side stays centred.
        Press({0, 0});
        DragTo(xy(-100000, 50));
        EXPECT_EQ(scroll(), xy(39800, -95));
        DragTo(xy(100000, -50));
        EXPECT_EQ(scroll(), xy(0, -95));
        Release();

        viewer->z_ZoomIn();
        EXPECT_EQ(Shown(), size(50000, 12));
        EXPECT_EQ(scroll(), xy(24900, -94));
        viewer->z_ZoomOut();
        viewer->z_ZoomOut();
        EXPECT_EQ(Shown(), size(36000, 9));

        // Fitted to the viewport's side, and still a visible line across it.
        viewer->BestFit();
        EXPECT_EQ(Shown(), size(200, 1));
        EXPECT_EQ(At(), xy(0, 100));
        // Each pixel of the line averages the whole width (height) of the picture it covers.
        EXPECT_EQ(ShownPixel(0, 0), wide ? QColor(100, 75, 0) : QColor(100, 0, 100));
        viewer->z_Stretch();
        EXPECT_EQ(Shown(), QSize(200, 200));
        viewer->z_ZoomPrevious();
        EXPECT_EQ(Shown(), size(36000, 9));
        EXPECT_EQ(viewer->ZoomPercent().toInt(), 90);
    }

    // 30000 x 10 in a wide, low viewport: fitted to a line one pixel high, not to nothing.
    viewer->setGeometry(0, 0, 680, 200);
    viewer->SetPicture(Quadrants(30000, 10));
    viewer->BestFit();
    EXPECT_EQ(Shown(), QSize(680, 1));
    EXPECT_EQ(ShownPixel(679, 0), QColor(110, 110, 100));
}

TEST_F(ViewerTest, ReducedPicturesAverageAndEnlargedOnesRepeatPixels) {
    // One-pixel stripes, black and white.
    QImage stripes(100, 80, QImage::Format_ARGB32);
    for (int x = 0; x < 100; ++x)
        for (int y = 0; y < 80; ++y) stripes.setPixel(x, y, x % 2 ? 0xFFFFFFFFu : 0xFF000000u);
    const platform::Picture picture(stripes, platform::Picture::Kind::Bitmap,
                                    QStringLiteral("stripes"));
    viewer->SetPicture(picture);
    for (int i = 0; i < 5; ++i) viewer->z_ZoomOut();  // 50 %
    const QImage half = viewer->picScroll()->Snapshot();
    ASSERT_EQ(half.size(), QSize(50, 40));
    for (const QPoint p : {QPoint(0, 0), QPoint(25, 20), QPoint(49, 39)}) {
        EXPECT_NEAR(qRed(half.pixel(p)), 128, 1) << p.x() << "," << p.y();
        EXPECT_EQ(half.pixelColor(p).red(), half.pixelColor(p).blue());
    }

    // At 200 % every picture pixel is a 2 x 2 block of its own colour.
    const platform::Picture noise = Noise(60, 50);
    viewer->SetPicture(noise);
    viewer->z_ZoomActualPixels();
    for (int i = 0; i < 4; ++i) viewer->z_ZoomIn();
    const QImage twice = viewer->picScroll()->Snapshot();
    ASSERT_EQ(twice.size(), QSize(120, 100));
    int wrong = 0;
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 120; ++x)
            wrong += twice.pixel(x, y) != noise.image().pixel(x / 2, y / 2);
    EXPECT_EQ(wrong, 0);
}

TEST_F(ViewerTest, WhatShowsAfterDraggingIsThePictureAtThatPlaceWithoutASeam) {
    viewer->SetPicture(Noise(1000, 800));
    for (const int steps : {3, 1, 5}) {  // 70 %, 125 %, 50 %
        SCOPED_TRACE(steps);
        viewer->z_ZoomActualPixels();
        for (int i = 0; i < steps; ++i) steps == 1 ? viewer->z_ZoomIn() : viewer->z_ZoomOut();
        const QImage whole = viewer->picScroll()->Snapshot();
        Press({300, 300});
        for (const QPoint to : {QPoint(307, 295), QPoint(250, 333), QPoint(251, 334)}) {
            DragTo(to);
            const QImage screen =
                window.grab(QRect(0, 0, 200, 200)).toImage().convertToFormat(QImage::Format_RGB32);
            const QImage expected =
                whole.copy(QRect(viewer->ScrollX(), viewer->ScrollY(), 200, 200));
            EXPECT_TRUE(screen == expected) << to.x() << "," << to.y();
        }
        Release();
        // The cache never holds more than what shows.
        const QSize cache = viewer->picScroll()->ImageSize();
        EXPECT_LE(cache.width() * cache.height(), 200 * 200);
    }
}

TEST_F(ViewerTest, ALargeZoomKeepsOnlyAViewportsWorthAndSharesTheDecodedPicture) {
    const platform::Picture picture = Quadrants(4000, 3000);
    viewer->SetPicture(picture);
    for (int i = 0; i < 4; ++i) viewer->z_ZoomIn();
    ASSERT_EQ(Shown(), QSize(8000, 6000));
    EXPECT_EQ(viewer->picScroll()->ImageSize(), QSize(200, 200));
    window.grab();  // a paint after the zoom draws from what the zoom made
    EXPECT_EQ(viewer->picScroll()->ImageSize(), QSize(200, 200));
    // Neither box holds a copy of the picture's pixels.
    EXPECT_TRUE(viewer->picLoaded()->ImageSize().isEmpty());
    EXPECT_EQ(viewer->picLoaded()->Picture().image().constBits(), picture.image().constBits());
    EXPECT_EQ(viewer->picScroll()->Picture().image().constBits(), picture.image().constBits());
    EXPECT_EQ(viewer->PictureSize(), QSize(4000, 3000));
}

TEST_F(ViewerTest, PanningAndZoomingAboutAPointStayWithinTheClamps) {
    viewer->SetPicture(Quadrants(1000, 800));
    const int movesBefore = int(moves.size());
    viewer->ScrollBy(30, -20);
    EXPECT_EQ(At(), QPoint(-430, -280));
    viewer->ScrollTo(0, INT_MAX);
    EXPECT_EQ(QPoint(viewer->ScrollX(), viewer->ScrollY()), QPoint(0, 600));
    viewer->ScrollBy(INT_MAX, INT_MIN);
    EXPECT_EQ(At(), QPoint(-800, 0));
    EXPECT_EQ(int(moves.size()), movesBefore);  // no event

    // The picture point under the anchor stays under it, whichever way the zoom goes.
    viewer->ScrollTo(400, 300);
    const QPoint anchor(50, 160);
    const auto pointUnder = [&] {
        return QPointF((anchor.x() + viewer->ScrollX()) * 1000.0 / Shown().width(),
                       (anchor.y() + viewer->ScrollY()) * 800.0 / Shown().height());
    };
    const QPointF before = pointUnder();
    viewer->ZoomInAt(anchor);
    EXPECT_EQ(viewer->ZoomPercent().toInt(), 125);
    EXPECT_NEAR(pointUnder().x(), before.x(), 1.0);
    EXPECT_NEAR(pointUnder().y(), before.y(), 1.0);
    viewer->ZoomOutAt(anchor);
    viewer->ZoomOutAt(anchor);
    EXPECT_EQ(viewer->ZoomPercent().toInt(), 90);
    EXPECT_NEAR(pointUnder().x(), before.x(), 1.5);
    EXPECT_NEAR(pointUnder().y(), before.y(), 1.5);

    // At an edge the clamp wins; a side no larger than the viewport is centred.
    viewer->ScrollTo(0, 0);
    viewer->ZoomOutAt({199, 199});
    EXPECT_EQ(viewer->ZoomPercent().toInt(), 80);
    EXPECT_EQ(QPoint(viewer->ScrollX(), viewer->ScrollY()), QPoint(0, 0));
    for (int i = 0; i < 6; ++i) viewer->ZoomOutAt({0, 0});
    EXPECT_EQ(viewer->ZoomPercent().toInt(), 20);
    EXPECT_EQ(At(), QPoint(0, 20));  // 200 x 160: centred across, both ways nothing to pan
    viewer->ScrollBy(50, 50);
    EXPECT_EQ(At(), QPoint(0, 20));
}

TEST_F(ViewerTest, ANewFrameShowsAtTheZoomAndPlaceOfTheLastOne) {
    viewer->SetPicture(Quadrants(400, 300));
    viewer->z_ZoomIn();
    viewer->ScrollBy(-40, 25);
    const QPoint at = At();
    window.grab();  // the cache holds the old frame's pixels
    std::vector<QString> changed;
    QObject::connect(viewer, &ScrollPicture::PropertyChanged,
                     [&](const QString& name) { changed.push_back(name); });
    QImage next(400, 300, QImage::Format_ARGB32);
    next.fill(QColor(9, 99, 199));
    viewer->ReplaceFrame(
        platform::Picture(next, platform::Picture::Kind::Bitmap, QStringLiteral("frame")));
    EXPECT_TRUE(changed.empty());
    EXPECT_EQ(viewer->ZoomPercent().toInt(), 125);
    EXPECT_EQ(Shown(), QSize(500, 375));
    EXPECT_EQ(At(), at);
    const QImage screen = window.grab().toImage();
    EXPECT_EQ(screen.pixelColor(10, 10), QColor(9, 99, 199));
    EXPECT_EQ(screen.pixelColor(190, 190), QColor(9, 99, 199));

    // A frame of another size, or with nothing loaded, changes nothing.
    viewer->ReplaceFrame(Quadrants(401, 300));
    EXPECT_EQ(ShownPixel(0, 0), QColor(9, 99, 199));
    viewer->Clear();
    viewer->ReplaceFrame(
        platform::Picture(next, platform::Picture::Kind::Bitmap, QStringLiteral("frame")));
    EXPECT_FALSE(viewer->Loaded());
}

TEST_F(ViewerTest, AtADensityOfTwoActualPixelsAreDevicePixels) {
    viewer->ratio = 2;
    const platform::Picture noise = Noise(100, 60);
    viewer->SetPicture(noise);
    EXPECT_EQ(viewer->OriginalWidth(), 50.0f);
    EXPECT_EQ(viewer->OriginalHeight(), 30.0f);
    EXPECT_EQ(Shown(), QSize(50, 30));
    EXPECT_EQ(At(), QPoint(75, 85));
    const QImage expected = noise.image().convertToFormat(QImage::Format_RGB32);
    EXPECT_TRUE(viewer->picScroll()->Snapshot() == expected);

    viewer->z_ZoomIn();  // 125 % of the device pixels
    EXPECT_EQ(Shown(), QSize(62, 38));
    viewer->z_ZoomActualPixels();
    EXPECT_EQ(Shown(), QSize(50, 30));
    EXPECT_TRUE(viewer->picScroll()->Snapshot() == expected);
}
