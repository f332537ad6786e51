// The collapsible panel: its stored values, the layout of its parts, the animation with its
// events and sound, the mouse, and what it draws.

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <QScreen>
#include <cmath>
#include <limits>

#include "controls/EBXp/EBXp.h"
#include "platform/sound/Sound.h"
#include "support/Ui.h"

using platform::forms::Json;
using platform::forms::PropertyBag;

namespace {

struct PanelTest : ::testing::Test {
    void SetUp() override {
        auto player = std::make_unique<platform::sound::RecordingPlayer>();
        sounds = player.get();
        platform::sound::SetPlayer(std::move(player));
        panel = new EBXp(&window);
        panel->ReadProperties(PropertyBag(Json::parse(R"({"userheight": 2415, "caption": "x"})")));
        panel->setGeometry(0, 0, 185, 161);  // 2775 x 2415 twips
        window.resize(400, 400);
        window.show();
        QObject::connect(panel, &EBXp::ExpCol, [this] { heights.push_back(panel->Height()); });
        QObject::connect(panel, &EBXp::ExpColEnd, [this](bool& isExp) { ends.push_back(isExp); });
    }
    void Reset() {
        heights.clear();
        ends.clear();
    }
    bool SignShowsCollapsed() const {
        EXPECT_NE(panel->part(EBXp::imgSignCol).Visible, panel->part(EBXp::imgSignExp).Visible);
        return panel->part(EBXp::imgSignCol).Visible;
    }
    // A click on the middle of the caption, as a person makes it.
    void ClickTitle() { testsupport::Click(panel, QPoint(60, 13)); }

    QWidget window;
    EBXp* panel = nullptr;
    platform::sound::RecordingPlayer* sounds = nullptr;
    std::vector<float> heights;
    std::vector<bool> ends;
};

std::vector<float> Range(float from, float to, float step) {
    std::vector<float> v;
    for (float h = from; step > 0 ? h <= to : h >= to; h += step) v.push_back(h);
    return v;
}

}  // namespace

TEST_F(PanelTest, TogglesStepByStepRaisingEventsAndPlayingTheClick) {
    ClickTitle();  // collapses: 2415, 2265, ..., 465, then 450
    std::vector<float> down = Range(2415, 465, -150);
    down.push_back(450);
    EXPECT_EQ(heights, down);
    EXPECT_EQ(ends, std::vector<bool>{false});
    EXPECT_TRUE(panel->Expanded());  // the flag is True while collapsed
    EXPECT_TRUE(SignShowsCollapsed());
    ASSERT_EQ(sounds->played.size(), 1u);
    EXPECT_TRUE(sounds->played[0].endsWith("/Sounds/Action.wav"));

    Reset();
    ClickTitle();  // expands: 450, 600, ..., 2400, then 2415
    std::vector<float> up = Range(450, 2400, 150);
    up.push_back(2415);
    EXPECT_EQ(heights, up);
    EXPECT_EQ(heights.size(), 15u);
    EXPECT_EQ(ends, std::vector<bool>{true});
    EXPECT_FALSE(panel->Expanded());  // False: expanded
    EXPECT_FALSE(SignShowsCollapsed());
    EXPECT_EQ(sounds->played.size(), 2u);

    // When the distance is a multiple of the step the end height comes twice.
    panel->SetUserHeight(2250);
    Reset();
    panel->DoExpCol(true);
    ASSERT_GE(heights.size(), 2u);
    EXPECT_EQ(heights[heights.size() - 2], 450);
    EXPECT_EQ(heights.back(), 450);
}

TEST_F(PanelTest, MethodsAndFlagSetters) {
    // ExpColNoSound: at once, one ExpCol, no sound, no ExpColEnd, signs left alone.
    panel->ExpColNoSound(true);
    EXPECT_EQ(heights, std::vector<float>{450});
    EXPECT_TRUE(ends.empty());
    EXPECT_TRUE(sounds->played.empty());
    EXPECT_TRUE(panel->Expanded());  // True: collapsed
    EXPECT_FALSE(SignShowsCollapsed());

    // DoExpCol with the state the panel is in does nothing.
    Reset();
    panel->DoExpCol(true);
    EXPECT_TRUE(heights.empty());
    EXPECT_TRUE(sounds->played.empty());
    panel->DoExpCol(false);
    EXPECT_EQ(heights.back(), 2415);
    EXPECT_FALSE(panel->Expanded());  // False: expanded
    EXPECT_EQ(sounds->played.size(), 1u);
    Reset();
    panel->DoExpCol(true);
    EXPECT_EQ(heights.front(), 2415);
    EXPECT_EQ(heights.back(), 450);
    EXPECT_EQ(ends, std::vector<bool>{false});
    EXPECT_TRUE(SignShowsCollapsed());

    // Setting the flag changes nothing on screen; the next click follows the new flag.
    Reset();
    panel->SetExpanded(false);
    EXPECT_TRUE(heights.empty());
    EXPECT_EQ(panel->Height(), 450);
    EXPECT_TRUE(SignShowsCollapsed());
    ClickTitle();  // "full": collapses from 2415 down
    EXPECT_EQ(heights.front(), 2415);
    EXPECT_EQ(heights.back(), 450);
}

TEST_F(PanelTest, ExpColEndCanRewriteTheFlag) {
    panel->ExpColNoSound(true);
    QObject::connect(panel, &EBXp::ExpColEnd, [](bool& isExp) { isExp = false; });
    Reset();
    ClickTitle();  // expands, but the handler's False is inverted to True
    EXPECT_EQ(panel->Height(), 2415);
    EXPECT_TRUE(panel->Expanded());  // True means collapsed, though the panel stands at full height
    EXPECT_TRUE(SignShowsCollapsed());
    Reset();
    ClickTitle();  // so the next click expands again, from the title bar up
    EXPECT_EQ(heights.front(), 450);
    EXPECT_EQ(heights.back(), 2415);
}

TEST_F(PanelTest, StepsAndHeightsAtTheEdges) {
    // A negative or zero step jumps straight to the end height.
    for (int step : {-150, 0}) {
        SCOPED_TRACE(step);
        panel->ExpColNoSound(false);
        panel->SetTheStep(step);
        Reset();
        ClickTitle();
        EXPECT_EQ(heights, std::vector<float>{450});
        EXPECT_EQ(ends.size(), 1u);
        Reset();
        ClickTitle();
        EXPECT_EQ(heights, std::vector<float>{2415});
    }
    // Expanding towards a full height below the title bar's sets it directly.
    panel->SetTheStep(150);
    panel->ExpColNoSound(true);
    panel->SetUserHeight(0);
    Reset();
    ClickTitle();
    EXPECT_EQ(heights, std::vector<float>{0});
    EXPECT_FALSE(panel->Expanded());  // False: expanded

    // A locked panel ignores clicks; ExpColNoSound still works.
    panel->SetUserHeight(2415);
    panel->SetDontCollapsed(true);
    Reset();
    const auto played = sounds->played.size();
    ClickTitle();
    panel->DoExpCol(true);
    EXPECT_TRUE(heights.empty());
    EXPECT_EQ(sounds->played.size(), played);
    panel->ExpColNoSound(false);
    EXPECT_EQ(panel->Height(), 2415);
}

TEST_F(PanelTest, AFailedToggleLeavesThePanelUsable) {
    // A negative full height cannot be set: the click's toggle ends there, flag and signs
    // unchanged, and the program goes on.
    panel->ExpColNoSound(true);
    panel->SetUserHeight(-100);
    ClickTitle();
    EXPECT_TRUE(panel->Expanded());  // still True: collapsed
    EXPECT_FALSE(panel->Animating());
    EXPECT_THROW(panel->DoExpCol(false), std::invalid_argument);
    // A step counter that would overflow ends the animation the same way.
    panel->SetUserHeight(std::numeric_limits<std::int32_t>::max() - 1);
    panel->SetTheStep(std::numeric_limits<std::int32_t>::max());
    Reset();
    ClickTitle();
    EXPECT_EQ(heights, std::vector<float>{450});
    EXPECT_TRUE(panel->Expanded());  // still True: collapsed
    EXPECT_FALSE(panel->Animating());
    // Back to sane values, the next click works.
    panel->SetUserHeight(2415);
    panel->SetTheStep(150);
    ClickTitle();
    EXPECT_EQ(panel->Height(), 2415);
    EXPECT_FALSE(panel->Expanded());  // False: expanded
}

TEST_F(PanelTest, ClicksDuringAnAnimationAreIgnored) {
    int nested = 0;
    QObject::connect(panel, &EBXp::ExpCol, [&] {
        if (nested++ == 3) {
            ClickTitle();
            panel->DoExpCol(false);
        }
    });
    ClickTitle();
    EXPECT_EQ(ends, std::vector<bool>{false});
    EXPECT_EQ(panel->Height(), 450);
    EXPECT_TRUE(panel->Expanded());  // True: collapsed
    EXPECT_TRUE(SignShowsCollapsed());
    EXPECT_EQ(sounds->played.size(), 1u);
}

TEST_F(PanelTest, APanelDestroyedDuringTheAnimationEndsIt) {
    QObject::connect(panel, &EBXp::ExpCol, [&] {
        if (heights.size() == 3) delete panel;
    });
    panel->ToggleExpCol();
    EXPECT_EQ(heights.size(), 3u);
    EXPECT_TRUE(ends.empty());
}

// With pacing on, every step of an animation is painted and shown as a frame of its own, one
// display refresh after the one before: a 15-step toggle is seen, not jumped.
TEST_F(PanelTest, PacedStepsArePaintedOneFrameApart) {
    struct PaintedHeights : QObject {
        EBXp* panel;
        std::vector<float> painted;
        explicit PaintedHeights(EBXp* p) : panel(p) { p->installEventFilter(this); }
        bool eventFilter(QObject*, QEvent* e) override {
            if (e->type() == QEvent::Paint) painted.push_back(panel->Height());
            return false;
        }
    } paints(panel);
    // Each step reaches the screen before the next height is set.
    bool stepUnpainted = false;
    QObject::connect(panel, &EBXp::ExpCol, [&] {
        if (heights.size() > 1 && paints.painted.back() != heights[heights.size() - 2])
            stepUnpainted = true;
    });
    EBXp::SetFramePacing(true);
    panel->ToggleExpCol();
    EBXp::SetFramePacing(false);

    EXPECT_EQ(heights.size(), 15u);
    EXPECT_FALSE(stepUnpainted);
    EXPECT_EQ(paints.painted.back(), 450);
    const std::vector<std::int64_t>& frames = panel->FrameTimes();
    ASSERT_EQ(frames.size(), 14u);  // 2415 down to 465; the end height follows the last at once
    double hz = panel->screen()->refreshRate();
    if (!(hz >= 24.0 && hz <= 500.0)) hz = 60.0;
    const double interval = 1e6 / hz;
    for (std::size_t i = 1; i < frames.size(); ++i)
        EXPECT_GE(double(frames[i] - frames[i - 1]), interval - 1000.0) << "frame " << i;

    // Unpaced (as in the other tests), the same toggle records no frames.
    Reset();
    panel->ToggleExpCol();
    EXPECT_EQ(heights.size(), 15u);
    EXPECT_TRUE(panel->FrameTimes().empty());
}

TEST_F(PanelTest, OnlyTheTitleBarPartsTakeClicks) {
    // Body, margins and the controls the panel holds do not toggle it.
    for (QPoint at : {QPoint(90, 100), QPoint(1, 1), QPoint(90, 28), QPoint(183, 13)}) {
        testsupport::Click(panel, at);
        EXPECT_TRUE(heights.empty()) << at.x() << "," << at.y();
    }
    // Icon area, caption, face, sign and caps all do.
    for (QPoint at : {QPoint(10, 10), QPoint(60, 13), QPoint(150, 5), QPoint(170, 13),
                      QPoint(3, 13), QPoint(181, 13)}) {
        Reset();
        testsupport::Click(panel, at);
        EXPECT_FALSE(heights.empty()) << at.x() << "," << at.y();
    }
    // Pressed on the title bar, released on the body: no click.
    Reset();
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(60, 13),
                      panel->mapToGlobal(QPointF(60, 13)), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(90, 100),
                        panel->mapToGlobal(QPointF(90, 100)), Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(panel, &press);
    QApplication::sendEvent(panel, &release);
    EXPECT_TRUE(heights.empty());
}

TEST_F(PanelTest, TheHandShowsOverTheTitleBarOnly) {
    const auto moveTo = [&](QPoint at) {
        QMouseEvent move(QEvent::MouseMove, QPointF(at), panel->mapToGlobal(QPointF(at)),
                         Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(panel, &move);
    };
    moveTo(QPoint(60, 13));
    ASSERT_TRUE(panel->testAttribute(Qt::WA_SetCursor));
    EXPECT_EQ(panel->cursor().hotSpot(), QPoint(14, 7));
    EXPECT_EQ(panel->cursor().pixmap().size(), QSize(32, 32));
    moveTo(QPoint(90, 100));
    EXPECT_FALSE(panel->testAttribute(Qt::WA_SetCursor));
}

TEST_F(PanelTest, LayoutPlacesThePartsForEverySize) {
    const auto& part = [&](EBXp::PartId id) { return panel->part(id); };
    // 2775 wide: face 75..2700, right cap at 2700, both signs at 2445, caption 1995 wide, body
    // 2700 wide (one pixel past the face), 2415 - 450 high.
    EXPECT_EQ(part(EBXp::TMid).Left, 75);
    EXPECT_EQ(part(EBXp::TMid).Width, 2625);
    EXPECT_EQ(part(EBXp::TRight).Left, 2700);
    EXPECT_EQ(part(EBXp::imgSignExp).Left, 2445);
    EXPECT_EQ(part(EBXp::imgSignCol).Left, 2445);
    EXPECT_EQ(part(EBXp::lbCaption).Width, 1995);
    EXPECT_EQ(part(EBXp::imgBody).Width, 2700);
    EXPECT_EQ(part(EBXp::imgBody).Height, 1965);
    // Only the height changes: only the body follows.
    panel->resize(185, 30);  // 450: the title bar alone
    EXPECT_EQ(part(EBXp::imgBody).Height, 0);
    EXPECT_EQ(part(EBXp::imgBody).Width, 2700);
    EXPECT_EQ(part(EBXp::lbCaption).Width, 1995);
    // Below the title bar the body keeps its last height (a negative one is refused).
    panel->resize(185, 20);
    EXPECT_EQ(part(EBXp::imgBody).Height, 0);
    // Too narrow for the title bar: the face keeps its width, the later steps still run.
    panel->resize(8, 161);  // 120 twips
    EXPECT_EQ(part(EBXp::TMid).Width, 2625);
    EXPECT_EQ(part(EBXp::TRight).Left, 45);
    EXPECT_EQ(part(EBXp::imgBody).Width, 45);
    EXPECT_EQ(part(EBXp::imgBody).Height, 1965);
    EXPECT_EQ(part(EBXp::lbCaption).Width, 1995);  // a negative caption width is refused
    // Laid out at run time, the full height stays what was stored.
    EXPECT_EQ(panel->UserHeight(), 2415);
}

TEST(PanelDesignerTest, ADesignerResizeRecordsTheFullHeight) {
    QWidget designer;
    designer.setProperty("UserMode", false);
    auto* panel = new EBXp(&designer);
    panel->SetTheStep(75);
    panel->SetExpanded(true);
    panel->InitProperties();  // a new panel dropped on the designer starts from the defaults
    EXPECT_EQ(panel->TheStep(), 150);
    EXPECT_FALSE(panel->Expanded());  // False: expanded
    panel->resize(185, 200);          // 3000 twips
    designer.show();
    EXPECT_EQ(panel->UserHeight(), 3000);
    PropertyBag out;
    panel->WriteProperties(out);
    EXPECT_EQ(out.json().dump(), R"({"UserHeight":3000})");
}

TEST(PanelPersistenceTest, KeysInTheirOrderWithDefaultsAndCheckedValues) {
    EBXp panel;
    panel.ReadProperties(PropertyBag(Json::parse(
        R"({"_extentx": 1, "_extenty": 2, "userheight": 5385, "caption": " Control Panel"})")));
    EXPECT_EQ(panel.TheStep(), 150);
    EXPECT_FALSE(panel.Expanded());  // False: the panel starts expanded
    EXPECT_EQ(panel.Alignment(), 0);
    EXPECT_EQ(panel.FillColor(), 0x00F7DFD6u);
    EXPECT_FALSE(panel.DontCollapsed());
    EXPECT_TRUE(panel.Icon().IsNone());

    panel.ReadProperties(PropertyBag(Json::parse(
        R"({"dontcollapsed": true, "fillcolor": 16777215, "alignment": 2, "thestep": 75,
            "expanded": true, "caption": "Login", "userheight": 4575})")));
    PropertyBag out;
    panel.WriteProperties(out);
    EXPECT_EQ(out.json().dump(),
              R"({"UserHeight":4575,"Expanded":true,"Caption":"Login","TheStep":75,)"
              R"("Alignment":2,"FillColor":16777215,"DontCollapsed":true})");
    // Reading sets values only: the panel keeps its size.
    EXPECT_EQ(panel.Height(), 4560);

    {
        // A stored alignment out of range is reported and reads as the default; the rest of
        // the bag still loads.
        const platform::forms::RejectedValueLog rejected;
        panel.ReadProperties(
            PropertyBag(Json::parse(R"({"alignment": 7, "thestep": 60})"), "x.json", "EBXp1"));
        ASSERT_EQ(rejected.values().size(), 1u);
        EXPECT_EQ(rejected.values()[0].key, "Alignment");
        EXPECT_EQ(panel.Alignment(), 0);
        EXPECT_EQ(panel.TheStep(), 60);
        panel.SetAlignment(2);
    }
    EXPECT_THROW(panel.SetAlignment(3), std::invalid_argument);
    EXPECT_EQ(panel.Alignment(), 2);

    // Every setter tells the host which property changed.
    std::vector<QString> changed;
    QObject::connect(&panel, &EBXp::PropertyChanged,
                     [&](const QString& n) { changed.push_back(n); });
    panel.SetCaption("a");
    panel.SetFillColor(0);
    panel.SetDontCollapsed(false);
    EXPECT_EQ(changed, (std::vector<QString>{"Caption", "FillColor", "DontCollapsed"}));
    EXPECT_EQ(EBXp::Description("FillColor"),
              "Returns/sets the color used to fill in shapes, circles, and boxes.");
    EXPECT_TRUE(EBXp::Description("TheStep").isEmpty());
}

TEST_F(PanelTest, DrawsItsPartsBehindItsControls) {
    panel->SetFillColor(0x00FFFFFF);
    // A control the panel holds, on its body: it shows over the body, which shows around it.
    auto* held = new QWidget(panel);
    held->setGeometry(40, 60, 20, 20);
    held->setAutoFillBackground(true);
    held->setPalette(QPalette(QColor(200, 0, 0)));
    held->show();
    QImage shot(panel->size(), QImage::Format_RGB32);
    panel->render(&shot);
    EXPECT_EQ(shot.pixelColor(50, 70), QColor(200, 0, 0));
    EXPECT_EQ(shot.pixelColor(38, 70), QColor(255, 255, 255));
    EXPECT_EQ(shot.pixelColor(0, 0), QColor(121, 160, 229));      // margin
    EXPECT_EQ(shot.pixelColor(90, 100), QColor(255, 255, 255));   // body
    EXPECT_EQ(shot.pixelColor(90, 160), QColor(121, 160, 229));   // bottom margin
    EXPECT_EQ(shot.pixelColor(183, 100), QColor(121, 160, 229));  // right of the body
    EXPECT_EQ(shot.pixelColor(182, 100), QColor(255, 255, 255));  // one pixel past the bar
    const QColor face = shot.pixelColor(100, 4);
    EXPECT_GT(face.blue(), 200);  // the light title bar
    // The caption is drawn in navy on its line, and nowhere below it.
    panel->SetCaption("Student Tools");
    panel->render(&shot);
    const auto navyPixels = [&](int top, int bottom) {
        int n = 0;
        for (int x = 29; x < 162; ++x)
            for (int y = top; y < bottom; ++y) {
                const QColor c = shot.pixelColor(x, y);
                if (c.red() < 60 && c.green() < 60 && c.blue() > 90) ++n;
            }
        return n;
    };
    EXPECT_GT(navyPixels(8, 25), 20);
    EXPECT_EQ(navyPixels(27, 60), 0);
}

TEST_F(PanelTest, TheTitleBarPictureIsNoWiderThanTheWindowShowsIt) {
    const qreal dpr = panel->devicePixelRatioF();
    // A panel far wider than its 400-pixel window; the last is the widest a widget can be.
    for (const int wide : {100000, QWIDGETSIZE_MAX}) {
        SCOPED_TRACE(wide);
        panel->setGeometry(0, 0, wide, 161);
        QImage shot(400, 161, QImage::Format_RGB32);
        shot.fill(Qt::black);
        panel->render(&shot, QPoint(), QRegion(0, 0, 400, 161));
        ASSERT_GT(panel->TitleCacheSize().width(), 0);
        ASSERT_LE(panel->TitleCacheSize().width(), int(std::ceil(400 * dpr)));
        EXPECT_GT(shot.pixelColor(100, 4).blue(), 200);  // the light title bar
        EXPECT_GT(shot.pixelColor(399, 4).blue(), 200);  // as far as the window goes
    }
}
