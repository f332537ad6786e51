// Window handles, properties, timers, posted keys and hit testing, against both the test
// double and the real desktop.

#include <gtest/gtest.h>

#include <QCursor>
#include <QKeyEvent>
#include <QPointer>
#include <QRegion>
#include <memory>

#include "platform/window/Desktop.h"
#include "support/Ui.h"

using namespace platform::window;
using testsupport::WaitFor;

namespace {

class KeyRecorder : public QWidget {
public:
    int key = 0;
    quint32 scanCode = 0;
    quint32 virtualKey = 0;

protected:
    void keyPressEvent(QKeyEvent* e) override {
        key = e->key();
        scanCode = e->nativeScanCode();
        virtualKey = e->nativeVirtualKey();
    }
};

}  // namespace

TEST(DesktopTest, HandlesNameOneLiveWidgetAndAreNeverReused) {
    auto* a = new QWidget;
    QWidget b;
    const Hwnd ha = HandleOf(a);
    EXPECT_NE(ha, 0u);
    EXPECT_EQ(HandleOf(a), ha);
    EXPECT_NE(HandleOf(&b), ha);
    EXPECT_EQ(FromHandle(ha), a);
    EXPECT_EQ(HandleOf(nullptr), 0u);
    EXPECT_EQ(FromHandle(0), nullptr);
    delete a;
    EXPECT_EQ(FromHandle(ha), nullptr);
    QWidget c;  // may land where `a` lived
    EXPECT_NE(HandleOf(&c), ha);
    EXPECT_EQ(FromHandle(ha), nullptr);
}

TEST(DesktopTest, PropertiesTellMissingFromZero) {
    QWidget w;
    EXPECT_EQ(GetProp(&w, "qm_old"), 0);
    EXPECT_FALSE(HasProp(&w, "qm_old"));
    SetProp(&w, "qm_old", 0);
    EXPECT_TRUE(HasProp(&w, "qm_old"));
    const auto big = std::intptr_t(0x7FFF00001234);
    SetProp(&w, "qm_old", big);
    EXPECT_EQ(GetProp(&w, "qm_old"), big);
    EXPECT_EQ(RemoveProp(&w, "qm_old"), big);
    EXPECT_FALSE(HasProp(&w, "qm_old"));
    EXPECT_EQ(RemoveProp(&w, "qm_old"), 0);
}

TEST(DesktopTest, KeyCodesMapBothWays) {
    for (int vk : {VK_RETURN, VK_ESCAPE, VK_SHIFT, VK_SPACE, VK_LEFT, VK_DOWN, 9, 8, 46, 33, 34,
                   112, 123, int('0'), int('9'), int('A'), int('Z')}) {
        EXPECT_EQ(VirtualKeyFromQtKey(QtKeyFromVirtualKey(vk)), vk) << vk;
    }
    EXPECT_EQ(QtKeyFromVirtualKey(VK_LEFT), Qt::Key_Left);
    EXPECT_EQ(QtKeyFromVirtualKey(113), Qt::Key_F2);
    EXPECT_EQ(VirtualKeyFromQtKey(Qt::Key_Enter), VK_RETURN);
    EXPECT_EQ(QtKeyFromVirtualKey(0xFF), 0);
    EXPECT_EQ(VirtualKeyFromQtKey(Qt::Key_Launch0), 0);
}

TEST(DesktopDoubleTest, CursorAndWindowUnderItAreWhatTheTestSays) {
    DesktopDouble desktop;
    auto* w = new QWidget;
    w->setGeometry(10, 20, 100, 60);
    desktop.MoveCursorOnto(w);
    EXPECT_EQ(w->mapFromGlobal(GetCursorPos()), QPoint(49, 29));  // QRect::center rounds down
    EXPECT_EQ(WindowFromPoint({-5, -5}), w);
    delete w;
    EXPECT_EQ(WindowFromPoint(GetCursorPos()), nullptr);
    {
        DesktopDouble inner;
        EXPECT_EQ(GetCursorPos(), QPoint(-10000, -10000));
    }
    desktop.SetCursorPos({3, 4});
    EXPECT_EQ(GetCursorPos(), QPoint(3, 4));  // the outer double is back

    QWidget target;
    EXPECT_TRUE(PostKeyDown(HandleOf(&target), VK_ESCAPE, 0x00010001));
    EXPECT_FALSE(PostKeyDown(0, VK_ESCAPE, 0));
    ASSERT_EQ(desktop.PostedKeys().size(), 1u);
    EXPECT_EQ(desktop.PostedKeys()[0].window, &target);
    EXPECT_EQ(desktop.PostedKeys()[0].keyData, 0x00010001u);
}

TEST(DesktopDoubleTest, TimersRunOnlyWhenTickedAndSurviveTheirProcedures) {
    DesktopDouble desktop;
    QWidget w;
    std::vector<int> runs;
    SetTimer(&w, 1, 100, [&](int id) { runs.push_back(id); });
    SetTimer(&w, 2, 100, [&](int id) { runs.push_back(id); });
    SetTimer(&w, 1, 50, [&](int id) { runs.push_back(10 * id); });  // restarts in place
    EXPECT_EQ(desktop.RunningTimerCount(), 2);
    EXPECT_TRUE(runs.empty());
    EXPECT_EQ(desktop.Tick(), 2);
    EXPECT_EQ(runs, (std::vector<int>{10, 2}));
    EXPECT_TRUE(KillTimer(&w, 2));
    EXPECT_FALSE(KillTimer(&w, 2));
    runs.clear();
    desktop.Tick();
    EXPECT_EQ(runs, (std::vector<int>{10}));

    // One procedure kills itself and starts another, one deletes its window, and a third
    // belongs to that window: nothing crashes and the destroyed window's timer never runs.
    auto* doomed = new QWidget;
    int killerRuns = 0, doomedRuns = 0, lateRuns = 0;
    SetTimer(&w, 3, 10, [&](int id) {
        ++killerRuns;
        KillTimer(&w, id);
        SetTimer(&w, 4, 10, [&](int) { ++lateRuns; });
    });
    SetTimer(doomed, 1, 10, [&](int) { delete doomed; });
    SetTimer(doomed, 2, 10, [&](int) { ++doomedRuns; });
    desktop.Tick();
    EXPECT_EQ(killerRuns, 1);
    EXPECT_EQ(lateRuns, 0);  // started during the tick: waits for the next
    EXPECT_EQ(doomedRuns, 0);
    EXPECT_EQ(desktop.RunningTimerCount(), 2);  // w's 1 and 4
    desktop.Tick();
    EXPECT_EQ(killerRuns, 1);
    EXPECT_EQ(lateRuns, 1);
}

TEST(RealDesktopTest, TimersFireRestartAndStopWithTheirWindow) {
    QWidget clock;
    int ticks = 0;
    SetTimer(&clock, 1, 5, [&](int) { ++ticks; });

    auto* w = new QWidget;
    int first = 0, second = 0, selfKilled = 0;
    SetTimer(w, 7, 5, [&](int) { ++first; });
    SetTimer(w, 7, 5, [&](int id) { second += id; });
    SetTimer(w, 8, 5, [&](int id) {
        ++selfKilled;
        KillTimer(w, id);
    });
    EXPECT_TRUE(HasTimer(w, 7));
    ASSERT_TRUE(WaitFor([&] { return second >= 14 && selfKilled > 0; }));
    EXPECT_EQ(first, 0);
    EXPECT_FALSE(HasTimer(w, 8));
    delete w;

    const int before = second;
    ticks = 0;
    ASSERT_TRUE(WaitFor([&] { return ticks >= 5; }));
    EXPECT_EQ(second, before);
    EXPECT_EQ(selfKilled, 1);
    EXPECT_TRUE(KillTimer(&clock, 1));
    EXPECT_FALSE(HasTimer(&clock, 1));
}

TEST(RealDesktopTest, PostedKeyArrivesAsAKeyPressWithItsScanCode) {
    KeyRecorder w;
    EXPECT_TRUE(PostKeyDown(HandleOf(&w), VK_LEFT, 0x014B0001));
    EXPECT_EQ(w.key, 0);  // posted, not sent
    ASSERT_TRUE(WaitFor([&] { return w.key != 0; }));
    EXPECT_EQ(w.key, Qt::Key_Left);
    EXPECT_EQ(w.scanCode, 0x4Bu);
    EXPECT_EQ(w.virtualKey, quint32(VK_LEFT));
    EXPECT_FALSE(PostKeyDown(HandleOf(&w), 0xFF, 0));
}

TEST(RealDesktopTest, HitTestHonoursMasksAndCursorIsQts) {
    QWidget top;
    top.setGeometry(200, 150, 200, 150);
    auto* child = new QWidget(&top);
    child->setGeometry(50, 40, 100, 80);
    child->setMask(QRegion(child->rect()).subtracted(QRegion(0, 0, 20, 20)));
    top.show();
    const QPoint centre = child->mapToGlobal(child->rect().center());
    ASSERT_TRUE(WaitFor([&] { return WindowFromPoint(centre) == child; }));
    EXPECT_EQ(WindowFromPoint(child->mapToGlobal(QPoint(5, 5))), &top);
    EXPECT_EQ(ScreenToClient(child, child->mapToGlobal(QPoint(5, 5))), QPoint(5, 5));

    QCursor::setPos(centre);
    EXPECT_EQ(GetCursorPos(), centre);

    SetCapture(child);
    EXPECT_EQ(GetCapture(), child);
    delete child;
    EXPECT_EQ(GetCapture(), nullptr);
}
