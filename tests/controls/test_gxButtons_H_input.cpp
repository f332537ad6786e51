// The owner-drawn button's behaviour: the order of its events for mouse and keyboard input,
// option buttons sharing one container, hover tracking on the desktop double's timer,
// handlers that destroy the button's window, and access keys typed in a real window.

#include <gtest/gtest.h>

#include <QApplication>
#include <QDropEvent>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMetaMethod>
#include <QMimeData>
#include <QMouseEvent>
#include <QPointer>
#include <QTest>
#include <new>

#include "controls/gxButtons_H/gxButtons_H.h"
#include "platform/forms/PropertyBag.h"
#include "platform/forms/StandardControls.h"
#include "platform/window/Desktop.h"
#include "support/Ui.h"

using platform::forms::Json;
using platform::forms::PropertyBag;
namespace win = platform::window;
using Log = std::vector<std::string>;

namespace {

void Mouse(QWidget* w, QEvent::Type type, Qt::MouseButton button, QPoint at = QPoint(20, 10)) {
    Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : button;
    if (type == QEvent::MouseMove) button = Qt::NoButton;
    QMouseEvent e(type, QPointF(at), QPointF(w->mapToGlobal(at)), button, held, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

void Click(QWidget* w) {
    Mouse(w, QEvent::MouseButtonPress, Qt::LeftButton);
    Mouse(w, QEvent::MouseButtonRelease, Qt::LeftButton);
}

void Key(QWidget* w, QEvent::Type type, int key, const QString& text = {}) {
    QKeyEvent e(type, key, Qt::NoModifier, text);
    QApplication::sendEvent(w, &e);
}

void Key(QWidget* w, int key, const QString& text = {}) {
    Key(w, QEvent::KeyPress, key, text);
    Key(w, QEvent::KeyRelease, key, text);
}

std::intptr_t Address(const QWidget* b) {
    return reinterpret_cast<std::intptr_t>(b);
}

struct InputTest : ::testing::Test {
    void SetUp() override {
        window.resize(400, 200);
        button = Make(&window, 0);
    }

    // A stored button in `parent`, loaded in `mode`, its events logged under `name`.
    gxButtons_H* Make(QWidget* parent, int mode, const std::string& name = {}) {
        auto* b = new gxButtons_H(parent);
        b->setGeometry(10 + 110 * parent->children().size(), 10, 100, 30);
        b->ReadProperties(PropertyBag(Json{{"Caption", "&Go"}, {"Mode", mode}}));
        const std::string p = name.empty() ? name : name + ":";
        Record(b, &gxButtons_H::MouseDown, p + "MouseDown");
        Record(b, &gxButtons_H::MouseUp, p + "MouseUp");
        Record(b, &gxButtons_H::MouseMove, p + "MouseMove");
        Record(b, &gxButtons_H::KeyDown, p + "KeyDown");
        Record(b, &gxButtons_H::KeyPress, p + "KeyPress");
        Record(b, &gxButtons_H::KeyUp, p + "KeyUp");
        Record(b, &gxButtons_H::MouseOnButton, p + "MouseOnButton");
        Record(b, &gxButtons_H::Click, p + "Click");
        Record(b, &gxButtons_H::DoubleClick, p + "DoubleClick");
        QObject::connect(b, &gxButtons_H::MouseDown,
                         [this](std::int16_t&, std::int16_t&, float& x, float& y) {
                             downs.push_back(QPointF(x, y));
                         });
        return b;
    }
    // Logs "Name(first argument)", or "Name" for a signal without arguments.
    template <typename... Args>
    void Record(gxButtons_H* b, void (gxButtons_H::*signal)(Args...), const std::string& name) {
        QObject::connect(b, signal, [this, name](Args... args) {
            if constexpr (sizeof...(Args) == 0)
                log.push_back(name);
            else
                log.push_back(name + "(" + std::to_string(std::get<0>(std::tie(args...))) + ")");
        });
    }
    Log Take() { return std::exchange(log, {}); }

    win::DesktopDouble desktop;
    QWidget window;
    gxButtons_H* button = nullptr;
    Log log;
    std::vector<QPointF> downs;
};

// Three option buttons in a container of their own.
struct OptionGroupTest : InputTest {
    void SetUp() override {
        InputTest::SetUp();
        container = new QWidget(&window);
        for (const char* name : {"b1", "b2", "b3"}) b.push_back(Make(container, 2, name));
    }
    std::intptr_t Prop(int i) const { return Prop(("gx_Obj" + std::to_string(i)).c_str()); }
    std::intptr_t Prop(const char* name) const { return win::GetProp(container, name); }
    std::vector<bool> Values() const {
        std::vector<bool> v;
        for (const QPointer<gxButtons_H>& x : b) v.push_back(x && x->Value());
        return v;
    }

    QWidget* container = nullptr;
    std::vector<QPointer<gxButtons_H>> b;
};

using Checked = std::vector<bool>;

}  // namespace

TEST_F(InputTest, ALeftDoubleClickPressesAgainWithoutASecondClick) {
    for (const int mode : {0, 1}) {
        SCOPED_TRACE(mode);
        button->SetMode(mode);
        Take();
        downs.clear();
        Click(button);
        // The second press is reported where the desktop says the cursor is.
        desktop.SetCursorPos(button->mapToGlobal(QPoint(7, 5)));
        Mouse(button, QEvent::MouseButtonDblClick, Qt::LeftButton);
        EXPECT_EQ(button->StateFlags(), gxButtons_H::kHeld);
        Mouse(button, QEvent::MouseButtonRelease, Qt::LeftButton);
        EXPECT_EQ(Take(), (Log{"MouseDown(1)", "MouseUp(1)", "Click", "DoubleClick(1)",
                               "MouseDown(1)", "MouseUp(1)"}));
        EXPECT_EQ(downs, (std::vector<QPointF>{{20, 10}, {7, 5}}));
        EXPECT_EQ(button->StateFlags(), 0);
        EXPECT_FALSE(button->HeldDown());
        EXPECT_EQ(button->Value(), mode == 1);  // toggled once
    }
}

TEST_F(InputTest, TheRightButtonNeverClicks) {
    Mouse(button, QEvent::MouseButtonPress, Qt::RightButton);
    EXPECT_EQ(button->StateFlags(), 0);
    Mouse(button, QEvent::MouseButtonRelease, Qt::RightButton);
    EXPECT_EQ(Take(), (Log{"MouseDown(2)", "MouseUp(2)"}));
    // A right double-click reports a left MouseDown but does not press the button.
    Mouse(button, QEvent::MouseButtonDblClick, Qt::RightButton);
    EXPECT_EQ(button->StateFlags(), 0);
    Mouse(button, QEvent::MouseButtonRelease, Qt::RightButton);
    EXPECT_EQ(Take(), (Log{"DoubleClick(2)", "MouseDown(1)", "MouseUp(2)"}));
}

TEST_F(InputTest, SpaceClicksOnReleaseInTheOrderOfTheMode) {
    Key(button, QEvent::KeyPress, Qt::Key_Space, QStringLiteral(" "));
    // The pressed face is drawn; not hovering, so only held stays.
    EXPECT_EQ(button->StateFlags(), gxButtons_H::kHeld);
    EXPECT_TRUE(button->HeldDown());
    Key(button, QEvent::KeyRelease, Qt::Key_Space, QStringLiteral(" "));
    EXPECT_EQ(Take(), (Log{"KeyDown(32)", "KeyPress(32)", "Click", "KeyUp(32)"}));
    EXPECT_EQ(button->StateFlags(), 0);
    EXPECT_FALSE(button->HeldDown());

    for (const int mode : {1, 2}) {
        SCOPED_TRACE(mode);
        button->SetMode(mode);
        button->SetValue(false);
        Take();
        Key(button, Qt::Key_Space, QStringLiteral(" "));
        EXPECT_EQ(Take(), (Log{"KeyDown(32)", "KeyPress(32)", "KeyUp(32)", "Click"}));
        EXPECT_TRUE(button->Value());
    }
    // A release without its press is an ordinary key-up.
    Key(button, QEvent::KeyRelease, Qt::Key_Space, QStringLiteral(" "));
    EXPECT_EQ(Take(), Log{"KeyUp(32)"});
}

TEST_F(InputTest, ArrowKeysGoToTheContainerAndShiftHasNoKeyUp) {
    for (const int key : {Qt::Key_Left, Qt::Key_Up, Qt::Key_Right, Qt::Key_Down}) Key(button, key);
    EXPECT_EQ(Take(), Log{});
    const std::pair<int, std::uint32_t> expected[] = {
        {37, 0x4B0001}, {38, 0x480001}, {39, 0x4D0001}, {40, 0x500001}};
    ASSERT_EQ(desktop.PostedKeys().size(), 4u);
    for (size_t i = 0; i < 4; ++i) {
        const auto& posted = desktop.PostedKeys()[i];
        EXPECT_EQ(posted.window, &window);
        EXPECT_EQ(posted.virtualKey, expected[i].first);
        EXPECT_EQ(posted.keyData, expected[i].second);
    }
    Key(button, Qt::Key_Shift);
    EXPECT_EQ(Take(), Log{"KeyDown(16)"});
    Key(button, Qt::Key_A, QStringLiteral("a"));
    EXPECT_EQ(Take(), (Log{"KeyDown(65)", "KeyPress(97)", "KeyUp(65)"}));
}

TEST_F(InputTest, AClickHandlerMayDestroyTheButtonsWindow) {
    const std::function<void(gxButtons_H*)> routes[] = {
        [](gxButtons_H* b) { Click(b); },
        [](gxButtons_H* b) { Key(b, Qt::Key_Space, QStringLiteral(" ")); },
        [](gxButtons_H* b) { b->AccessKeyPress('G'); },
    };
    for (const int mode : {0, 1, 2}) {
        for (const bool later : {false, true}) {
            for (const auto& route : routes) {
                SCOPED_TRACE(testing::Message() << "mode " << mode << (later ? " later" : ""));
                auto* top = new QWidget;
                QPointer<QWidget> guard(top);
                gxButtons_H* b = Make(top, mode);
                QObject::connect(b, &gxButtons_H::Click, [top, later] {
                    if (later)
                        top->deleteLater();
                    else
                        delete top;
                });
                route(b);
                QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
                EXPECT_TRUE(guard.isNull());
            }
        }
    }
    EXPECT_EQ(std::count(log.begin(), log.end(), "Click"), 18);
}

TEST_F(OptionGroupTest, OneCheckedButtonPerContainer) {
    EXPECT_EQ(Prop("gx_OptCount"), 3);
    for (int i = 1; i <= 3; ++i) EXPECT_EQ(Prop(i), Address(b[i - 1]));
    EXPECT_EQ(b[0]->Tag(), QString::number(win::HandleOf(container)));

    b[0]->SetValue(true);
    EXPECT_EQ(Values(), (Checked{true, false, false}));
    Take();
    Click(b[1]);
    EXPECT_EQ(Values(), (Checked{false, true, false}));
    EXPECT_EQ(Take(), (Log{"b2:MouseDown(1)", "b2:MouseUp(1)", "b2:Click"}));
    Click(b[1]);
    EXPECT_EQ(Take(), (Log{"b2:MouseDown(1)", "b2:MouseUp(1)"}));
    EXPECT_EQ(Values(), (Checked{false, true, false}));

    // Back to a command button: it is unchecked and the others stay so.
    b[1]->SetMode(0);
    EXPECT_EQ(Values(), (Checked{false, false, false}));
    EXPECT_EQ(Prop("gx_OptCount"), 2);

    // Loading: the last member stored as checked keeps the check.
    b[2]->SetValue(true);
    auto* late = new gxButtons_H(container);
    late->ReadProperties(PropertyBag(Json{{"Mode", 2}, {"Value", true}}));
    EXPECT_TRUE(late->Value());
    EXPECT_FALSE(b[2]->Value());
}

TEST_F(OptionGroupTest, MembersLeavingKeepTheRestWorking) {
    b[1]->SetMode(1);
    EXPECT_EQ(Prop("gx_OptCount"), 2);
    EXPECT_EQ(Prop(1), Address(b[0]));
    EXPECT_EQ(Prop(2), Address(b[2]));
    EXPECT_FALSE(win::HasProp(container, "gx_Obj3"));

    b[1]->SetValue(true);  // a check box now, outside the group
    b[0]->SetValue(true);
    b[2]->SetValue(true);
    EXPECT_EQ(Values(), (Checked{false, true, true}));

    // Joining again while checked takes the check from the others.
    b[1]->SetMode(2);
    EXPECT_EQ(Prop("gx_OptCount"), 3);
    EXPECT_EQ(Prop(3), Address(b[1]));
    EXPECT_EQ(Values(), (Checked{false, true, false}));

    for (auto& x : b) x->SetMode(1);
    EXPECT_FALSE(win::HasProp(container, "gx_OptCount"));
    EXPECT_FALSE(win::HasProp(container, "gx_Obj1"));

    // A member destroyed while in the group leaves no entry naming it.
    for (auto& x : b) x->SetMode(2);
    const std::intptr_t gone = Address(b[1]);
    delete b[1];
    EXPECT_EQ(Prop("gx_OptCount"), 2);
    for (int i = 1; i <= 3; ++i) EXPECT_NE(Prop(i), gone) << i;
    b[0]->SetValue(true);
    b[2]->SetValue(true);
    EXPECT_EQ(Values(), (Checked{false, false, true}));
}

TEST_F(OptionGroupTest, FocusAndArrowKeysSelectInAGroupWithoutSelection) {
    QFocusEvent focus(QEvent::FocusIn, Qt::TabFocusReason);
    QApplication::sendEvent(b[1], &focus);
    EXPECT_EQ(Values(), (Checked{false, true, false}));
    EXPECT_EQ(Take(), Log{"b2:Click"});
    QApplication::sendEvent(b[2], &focus);  // the group has its selection
    EXPECT_EQ(Values(), (Checked{false, true, false}));
    EXPECT_EQ(Take(), Log{});

    // The released arrow key leaves the member it was typed on selected.
    Key(b[2], Qt::Key_Right);
    EXPECT_EQ(Values(), (Checked{false, false, true}));
    EXPECT_EQ(Take(), Log{"b3:Click"});
    ASSERT_EQ(desktop.PostedKeys().size(), 1u);
    EXPECT_EQ(desktop.PostedKeys()[0].window, container);
}

TEST_F(InputTest, HoverStartsOnceAndEndsOnTheTickAfterTheCursorLeft) {
    desktop.MoveCursorOnto(button);
    for (int i = 0; i < 3; ++i) Mouse(button, QEvent::MouseMove, Qt::NoButton);
    EXPECT_EQ(Take(), (Log{"MouseOnButton(1)", "MouseMove(0)", "MouseMove(0)", "MouseMove(0)"}));
    EXPECT_EQ(button->StateFlags(), gxButtons_H::kHoverLook);
    EXPECT_EQ(win::GetProp(button, "gx_TimerID"), 237);
    EXPECT_EQ(win::GetProp(button, "gx_ClassID"), Address(button));
    EXPECT_TRUE(win::HasTimer(button, 1));

    EXPECT_EQ(desktop.Tick(), 1);  // still over it
    EXPECT_EQ(Take(), Log{});
    EXPECT_TRUE(button->Hovering());

    desktop.MoveCursorAway();
    desktop.Tick();
    EXPECT_EQ(Take(), Log{"MouseOnButton(0)"});
    EXPECT_EQ(desktop.RunningTimerCount(), 0);
    EXPECT_FALSE(button->Hovering());
    EXPECT_EQ(button->StateFlags(), 0);

    // Any other window under the cursor is outside, even the button's container.
    desktop.SetWindowUnderCursor(&window);
    Mouse(button, QEvent::MouseMove, Qt::NoButton);
    EXPECT_EQ(Take(), Log{"MouseMove(0)"});
    EXPECT_EQ(desktop.RunningTimerCount(), 0);
}

// Running out of memory in a handler is not a refusal to hide: it reaches the caller.
TEST_F(InputTest, AnOutOfMemoryWhileHoverStartsIsNotSwallowed) {
    QObject::connect(button, &gxButtons_H::MouseOnButton, [](bool&) { throw std::bad_alloc(); });
    desktop.MoveCursorOnto(button);
    // Delivered to the button itself, not through the application: Qt's own delivery is not
    // made to be unwound by an exception and would leak its bookkeeping.
    const QPoint at(20, 10);
    QMouseEvent move(QEvent::MouseMove, QPointF(at), QPointF(button->mapToGlobal(at)), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    EXPECT_THROW(static_cast<QObject*>(button)->event(&move), std::bad_alloc);
    EXPECT_FALSE(button->Hovering());
}

TEST_F(InputTest, HeldOutsideLooksRaisedAndPressesAgainOnReturn) {
    const std::int16_t pressed = gxButtons_H::kHeld | gxButtons_H::kHoverLook;
    desktop.MoveCursorOnto(button);
    Mouse(button, QEvent::MouseMove, Qt::NoButton);
    Mouse(button, QEvent::MouseButtonPress, Qt::LeftButton);
    EXPECT_EQ(button->StateFlags(), pressed);
    desktop.MoveCursorAway();
    desktop.Tick();
    EXPECT_EQ(button->StateFlags(), gxButtons_H::kHeld);
    EXPECT_FALSE(button->HeldDown());

    desktop.MoveCursorOnto(button);
    Mouse(button, QEvent::MouseMove, Qt::LeftButton);
    EXPECT_EQ(button->StateFlags(), pressed);
    EXPECT_TRUE(button->HeldDown());
    Take();
    Mouse(button, QEvent::MouseButtonRelease, Qt::LeftButton);
    EXPECT_EQ(Take(), (Log{"MouseUp(1)", "Click"}));
    EXPECT_EQ(button->StateFlags(), gxButtons_H::kHoverLook);

    // Released while outside: back to idle without a click.
    Mouse(button, QEvent::MouseButtonPress, Qt::LeftButton);
    desktop.MoveCursorAway();
    desktop.Tick();
    Take();
    Mouse(button, QEvent::MouseButtonRelease, Qt::LeftButton, QPoint(-40, 60));
    EXPECT_EQ(Take(), Log{"MouseUp(1)"});
    EXPECT_EQ(button->StateFlags(), 0);
}

TEST_F(InputTest, AHoverTimerNeverReachesADestroyedButton) {
    desktop.MoveCursorOnto(button);
    Mouse(button, QEvent::MouseMove, Qt::NoButton);
    ASSERT_EQ(desktop.RunningTimerCount(), 1);
    delete button;
    desktop.MoveCursorAway();
    EXPECT_EQ(desktop.Tick(), 0);
    EXPECT_EQ(desktop.RunningTimerCount(), 0);

    // Nor one whose MouseOnButton handler destroyed it.
    QPointer<gxButtons_H> guard(button = Make(&window, 0));
    QObject::connect(button, &gxButtons_H::MouseOnButton, [this](bool& on) {
        if (!on) delete button;
    });
    desktop.MoveCursorOnto(button);
    Mouse(button, QEvent::MouseMove, Qt::NoButton);
    desktop.MoveCursorAway();
    desktop.Tick();
    EXPECT_TRUE(guard.isNull());
    EXPECT_EQ(desktop.Tick(), 0);
}

// The fifteen events keep their declared order, and a drop on the button reaches the host.
TEST_F(InputTest, EventsInTheirOrderAndDropsForwarded) {
    const QMetaObject& mo = gxButtons_H::staticMetaObject;
    std::vector<std::string> signalNames;
    for (int i = mo.methodOffset(); i < mo.methodCount(); ++i)
        if (mo.method(i).methodType() == QMetaMethod::Signal)
            signalNames.push_back(mo.method(i).name().toStdString());
    EXPECT_EQ(signalNames, (std::vector<std::string>{
                               "MouseDown", "MouseUp", "MouseMove", "KeyDown", "KeyPress", "KeyUp",
                               "MouseOnButton", "Click", "DoubleClick", "OLECompleteDrag",
                               "OLEDragDrop", "OLEDragOver", "OLEGiveFeedback", "OLESetData",
                               "OLEStartDrag", "PropertyChanged"}));

    EXPECT_FALSE(button->acceptDrops());  // nobody listens yet
    QString dropped;
    QObject::connect(
        button, &gxButtons_H::OLEDragDrop,
        [&](QMimeData*& data, std::int32_t& effect, std::int16_t&, std::int16_t&, float& x,
            float&) { dropped = QStringLiteral("%1 %2 %3").arg(data->text()).arg(effect).arg(x); });
    EXPECT_TRUE(button->acceptDrops());
    QMimeData data;
    data.setText(QStringLiteral("notes.txt"));
    QDragEnterEvent enter(QPoint(7, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(button, &enter);  // the drop goes to the widget that took the enter
    QDropEvent drop(QPointF(7, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(button, &drop);
    EXPECT_EQ(dropped, QStringLiteral("notes.txt 1 7"));
}

namespace {

// A shown, active window whose controls take access keys typed through the window system.
struct AccessKeyTest : ::testing::Test {
    void SetUp() override {
        window.resize(500, 60);
        for (const char* caption : {"&Save", "&Stop", "&Print"}) {
            auto* b = new gxButtons_H(&window);
            b->setGeometry(10 + 110 * int(buttons.size()), 10, 100, 30);
            b->ReadProperties(PropertyBag(Json{{"Caption", caption}}));
            QObject::connect(b, &gxButtons_H::Click,
                             [this, caption] { clicked.push_back(caption + 1); });
            buttons.push_back(b);
        }
        sort = new platform::forms::CommandButton(&window);
        sort->setGeometry(340, 10, 100, 30);
        sort->ReadProperties(PropertyBag(Json{{"Caption", "S&ort"}}));
        QObject::connect(sort, &platform::forms::CommandButton::Click,
                         [this] { clicked.push_back("Sort"); });
        window.show();
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    }
    // Alt and `key`, pressed and released on the window.
    void Alt(Qt::Key key) { QTest::keyClick(window.windowHandle(), key, Qt::AltModifier); }
    QWidget* Focused() const { return QApplication::focusWidget(); }

    QWidget window;
    std::vector<gxButtons_H*> buttons;
    platform::forms::CommandButton* sort = nullptr;
    Log clicked;
};

}  // namespace

TEST_F(AccessKeyTest, ASharedKeyMovesTheFocusInTabOrderAndAUniqueKeyClicks) {
    gxButtons_H *save = buttons[0], *stop = buttons[1], *print = buttons[2];
    print->setFocus();
    ASSERT_EQ(Focused(), print);
    // Save and Stop share S: each press moves on to the next of them, round the window.
    for (QWidget* next :
         {static_cast<QWidget*>(save), static_cast<QWidget*>(stop), static_cast<QWidget*>(save)}) {
        Alt(Qt::Key_S);
        EXPECT_EQ(Focused(), next);
    }
    EXPECT_EQ(clicked, Log{});

    // A key of one control clicks it, whether ours or a push button.
    Alt(Qt::Key_P);
    Alt(Qt::Key_O);
    // The push button shows itself pressed for a moment first.
    EXPECT_TRUE(testsupport::WaitFor([&] { return clicked.size() == 2; }));
    EXPECT_EQ(clicked, (Log{"Print", "Sort"}));

    // A push button sharing the key takes its turn; a disabled one has none.
    sort->setText(QStringLiteral("&Sort"));
    stop->SetEnabled(false);
    save->setFocus();
    Alt(Qt::Key_S);
    EXPECT_EQ(Focused(), sort);
    Alt(Qt::Key_S);
    EXPECT_EQ(Focused(), save);
    sort->hide();
    clicked.clear();
    Alt(Qt::Key_S);
    EXPECT_EQ(clicked, Log{"Save"});
}
