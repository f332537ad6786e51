// The picture viewer: the zoom ladder, fitting and stretching, the centred layout, dragging by
// the cursor's screen position (through the desktop double), loading, the empty state, stored
// values, and what happens when a size or a copy fails or memory runs out.

#include <gtest/gtest.h>

#include <QApplication>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <new>

#include "controls/ScrollPicture/ScrollPicture.h"
#include "platform/window/Desktop.h"
#include "platform/window/Window.h"

using platform::forms::Json;
using platform::forms::PropertyBag;
namespace gdi = platform::gdi;

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

// The control with its stretching copy observed, and made to fail on request.
class Probe : public ScrollPicture {
public:
    using ScrollPicture::ScrollPicture;
    int copies = 0;
    int failNext = 0;              // how many of the next copies fail; -1: all of them
    bool outOfMemoryNext = false;  // the next copy runs out of memory
    bool alwaysUnderWaitCursor = true;
    bool alwaysHidden = true;

protected:
    bool CopyStretched(gdi::HDC dst, std::int32_t dw, std::int32_t dh, gdi::HDC src,
                       std::int32_t sw, std::int32_t sh) override {
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
        return ScrollPicture::CopyStretched(dst, dw, dh, src, sw, sh);
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

TEST_F(ViewerTest, AZoomTooLargeForSixteenBitsKeepsTheLevel) {
    viewer->SetPicture(Quadrants(20000, 4));
    viewer->z_ZoomIn();  // 25000
    viewer->z_ZoomIn();  // 30000
    const int copies = viewer->copies;
    viewer->z_ZoomIn();  // 35000 does not fit: nothing is drawn, so the level stays
    EXPECT_EQ(viewer->copies, copies);
    EXPECT_EQ(viewer->ZoomPercent().toInt(), 150);
    EXPECT_EQ(Shown(), QSize(30000, 6));
    viewer->z_ZoomOut();
    EXPECT_EQ(viewer->ZoomPercent().toInt(), 125);
    EXPECT_EQ(Shown(), QSize(25000, 5));
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
