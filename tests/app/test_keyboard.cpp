// The windows driven by the keyboard alone: real key presses on real windows.

#include <QMenu>
#include <QMenuBar>
#include <QTest>

#include "app/frmMain.h"
#include "controls/EBXp/EBXp.h"
#include "forms/ToolWindows.h"
#include "platform/forms/StandardControls.h"
#include "tests/app/Fixture.h"

using platform::forms::FormWindow;
using platform::forms::Instance;
using platform::forms::Label;
using testsupport::WaitFor;

namespace {

QWidget* Focused(QWidget* window) {
    QWidget* f = window->focusWidget();
    return f ? f : window;
}

void Press(QWidget* window, int key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QTest::keyClick(Focused(window), Qt::Key(key), mods);
}

bool Active(FormWindow& form) {
    form.widget()->activateWindow();
    return WaitFor([&] { return form.widget()->isActiveWindow(); });
}

// The names of the controls Tab visits, in order, once round the window.
QStringList TabChain(QWidget* window) {
    QStringList names;
    for (int i = 0; i < 200; ++i) {
        Press(window, Qt::Key_Tab);
        const QString name = Focused(window)->objectName();
        if (names.contains(name)) break;
        names << name;
    }
    return names;
}

// Presses Tab until control `name` has the focus; false when it never gets it.
bool TabTo(QWidget* window, const QString& name) {
    for (int i = 0; i < 200; ++i) {
        if (Focused(window)->objectName() == name && Focused(window)->hasFocus()) return true;
        Press(window, Qt::Key_Tab);
    }
    return false;
}

bool Navigated(const QString& window, const QString& address) {
    for (const auto& call : platform::browser::RecordingBrowser::Log())
        if (call.window == window && call.op == "Navigate" && call.arg == address) return true;
    return false;
}

QImage Grab(QWidget* w) {
    QWidget* top = w->window();
    return top->grab(QRect(w->mapTo(top, QPoint(0, 0)), w->size())).toImage();
}

// The pixels of `r`'s edge with x + y even: inverted in `after` against `before`.
int InvertedEdgePixels(const QImage& before, const QImage& after, const QRect& r) {
    int inverted = 0, total = 0;
    const auto check = [&](int x, int y) {
        if (((x + y) & 1) != 0) return;
        ++total;
        const QRgb a = before.pixel(x, y), b = after.pixel(x, y);
        if (qRed(b) == 255 - qRed(a) && qGreen(b) == 255 - qGreen(a) && qBlue(b) == 255 - qBlue(a))
            ++inverted;
    };
    for (int x = r.left(); x <= r.right(); ++x) {
        check(x, r.top());
        check(x, r.bottom());
    }
    for (int y = r.top() + 1; y < r.bottom(); ++y) {
        check(r.left(), y);
        check(r.right(), y);
    }
    return total > 0 && inverted == total ? total : -1;
}

class KeyboardTest : public ProgramTest {
protected:
    frmMain& Main() {
        frmMain& main = ShowMain();
        EXPECT_TRUE(Active(main));
        return main;
    }
};

}  // namespace

TEST_F(KeyboardTest, TabReachesTheQuestionsLinkAndEnterOpensItsWindow) {
    frmMain& main = Main();
    QWidget* w = main.widget();
    auto* link = main.Ctl<Label>("Label3");
    ASSERT_EQ(link->Caption(), "Questions/Report Abuse");
    ASSERT_TRUE(TabTo(w, "Label3"));
    EXPECT_FALSE(Instance<Form9>().IsLoaded());
    Press(w, Qt::Key_Return);
    ASSERT_TRUE(Instance<Form9>().IsLoaded());
    EXPECT_TRUE(Instance<Form9>().widget()->isVisible());

    // A click on a link opens its window and leaves the focus where it was.
    Instance<Form9>().Unload();
    ASSERT_TRUE(Active(main));
    auto* other = main.Ctl<Label>("Label2");
    testsupport::Click(other);
    EXPECT_TRUE(Instance<Form1>().IsLoaded());
    EXPECT_FALSE(other->hasFocus());
}

TEST_F(KeyboardTest, SpaceOnAFeesLinkOfTheConsoleNavigatesItsPane) {
    Main();
    Activate(Instance<frmMain>(), "gxButtons_H6");
    Form5& console = Instance<Form5>();
    ASSERT_TRUE(console.IsLoaded());
    ASSERT_TRUE(Active(console));
    ASSERT_EQ(console.Ctl<Label>("Label9")->Caption(), " Manage Student Fees");
    ASSERT_TRUE(TabTo(console.widget(), "Label9"));
    Press(console.widget(), Qt::Key_Space);
    EXPECT_TRUE(Navigated("Form5", console.Text("txtaddress6")));
}

TEST_F(KeyboardTest, TabOrderHoldsEveryRouteButNoPlainLabel) {
    frmMain& main = Main();
    const QStringList chain = TabChain(main.widget());
    // Every route of the main window without a menu: the buttons, the link labels, the panels.
    for (const char* name :
         {"gxButtons_H1", "gxButtons_H2", "gxButtons_H3", "gxButtons_H4", "gxButtons_H5",
          "gxButtons_H6", "gxButtons_H8", "Label4", "Command2", "Label2", "Label1", "Label3",
          "Label8", "EBXp6", "EBXp1", "EBXp2", "EBXp4"})
        EXPECT_TRUE(chain.contains(name)) << name << " not in " << chain.join(' ').toStdString();
    // Plain labels and the icons beside the link labels are not stops.
    for (const char* name : {"Label5", "Label6", "Label10", "lblTitle", "Image3", "imgSignCol"})
        EXPECT_FALSE(chain.contains(name)) << name;
    EXPECT_EQ(main.Ctl<Label>("Label5")->focusPolicy(), Qt::NoFocus);
    EXPECT_TRUE(main.Ctl<Label>("Label3")->IsLink());
    EXPECT_FALSE(main.Ctl<Label>("Label5")->IsLink());

    // The console's link labels, and a panel that cannot collapse is no stop.
    Activate(main, "gxButtons_H6");
    ASSERT_TRUE(Active(Instance<Form5>()));
    const QStringList console = TabChain(Instance<Form5>().widget());
    for (const char* name : {"Label4", "Label2", "Label1", "Label9", "Label10", "EBXp1", "EBXp2"})
        EXPECT_TRUE(console.contains(name)) << name;
    EXPECT_FALSE(console.contains("Label5"));
    Activate(main, "gxButtons_H2");
    ASSERT_TRUE(Active(Instance<Form4>()));
    const QStringList login = TabChain(Instance<Form4>().widget());
    EXPECT_TRUE(login.contains("Label3"));
    EXPECT_FALSE(login.contains("EBXp1"));
}

TEST_F(KeyboardTest, ArrowKeysStillMoveAlongTheTabOrder) {
    frmMain& main = Main();
    QWidget* w = main.widget();
    ASSERT_TRUE(TabTo(w, "Label2"));
    Press(w, Qt::Key_Down);
    const QString next = Focused(w)->objectName();
    EXPECT_NE(next, "Label2");
    Press(w, Qt::Key_Up);
    EXPECT_EQ(Focused(w)->objectName(), "Label2");
    // Arrows move on from a panel's title bar too, without toggling it.
    ASSERT_TRUE(TabTo(w, "EBXp6"));
    const float height = main.Ctl<EBXp>("EBXp6")->Height();
    Press(w, Qt::Key_Right);
    EXPECT_NE(Focused(w)->objectName(), "EBXp6");
    EXPECT_EQ(main.Ctl<EBXp>("EBXp6")->Height(), height);
}

// Only the window's own controls pass it arrows that move the focus: not a browser pane, nor
// what it holds (its page), whatever the pane lets through.
TEST_F(KeyboardTest, ArrowKeysFromABrowserPaneMoveNoFocus) {
    frmMain& main = Main();
    QWidget* w = main.widget();
    auto* pane = main.Ctl<QWidget>("Browser");
    auto* page = new QWidget(pane);
    page->setFocusPolicy(Qt::StrongFocus);
    page->show();
    for (QWidget* from : {page, pane}) {
        from->setFocus();
        ASSERT_TRUE(WaitFor([&] { return from->hasFocus(); }));
        for (int key : {Qt::Key_Down, Qt::Key_Right, Qt::Key_Up, Qt::Key_Left}) {
            Press(w, key);
            EXPECT_EQ(Focused(w), from) << from->metaObject()->className() << " key " << key;
        }
    }
}

TEST_F(KeyboardTest, SpaceOnAPanelTitleTogglesOnlyTheFocusedPanel) {
    frmMain& main = Main();
    QWidget* w = main.widget();
    auto* panel = main.Ctl<EBXp>("EBXp2");
    ASSERT_TRUE(panel->Expanded());  // starts collapsed: the flag is True while collapsed
    const float collapsed = panel->Height();
    ASSERT_TRUE(TabTo(w, "EBXp2"));
    Press(w, Qt::Key_Space);
    EXPECT_FALSE(panel->Expanded());  // False: expanded
    EXPECT_EQ(panel->Height(), float(panel->UserHeight()));
    EXPECT_EQ(sounds->played.size(), 1u);
    // The button inside is a stop only while the panel shows it.
    EXPECT_TRUE(TabChain(w).contains("gxButtons_H7"));
    ASSERT_TRUE(TabTo(w, "EBXp2"));
    Press(w, Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_TRUE(panel->Expanded());  // True: collapsed again
    EXPECT_EQ(panel->Height(), collapsed);
    EXPECT_FALSE(TabChain(w).contains("gxButtons_H7"));

    // A key a control inside the panel passes on (a plain label takes none) does not toggle it.
    auto* outer = main.Ctl<EBXp>("EBXp1");
    auto* inner = main.Ctl<Label>("Label10");
    ASSERT_TRUE(outer->isAncestorOf(inner));
    const bool state = outer->Expanded();  // True while collapsed, whichever it is now
    QTest::keyClick(inner, Qt::Key_Space);
    EXPECT_EQ(outer->Expanded(), state);
    EXPECT_EQ(sounds->played.size(), 2u);
}

TEST_F(KeyboardTest, FocusedLinksAndTitlesDrawADottedOutline) {
    frmMain& main = Main();
    QWidget* w = main.widget();
    auto* link = main.Ctl<Label>("Label3");
    const QImage before = Grab(link);
    ASSERT_TRUE(TabTo(w, "Label3"));
    const QImage focused = Grab(link);
    const QRect outline = link->TextRect().adjusted(-1, 0, 1, 1) & link->rect();
    EXPECT_GT(InvertedEdgePixels(before, focused, outline), 10);
    // Focused, the text is underlined: pixels under the text change besides the outline.
    EXPECT_NE(before.copy(outline.adjusted(1, 1, -1, -1)),
              focused.copy(outline.adjusted(1, 1, -1, -1)));
    Press(w, Qt::Key_Tab);
    EXPECT_EQ(Grab(link), before);

    auto* panel = main.Ctl<EBXp>("EBXp6");
    const QImage title = Grab(panel);
    ASSERT_TRUE(TabTo(w, "EBXp6"));
    const QImage titleFocused = Grab(panel);
    EXPECT_NE(title, titleFocused);
    // Only the title bar changes: the rest of the panel is drawn as before.
    const int band = panel->part(EBXp::TMid).Top / 15 + panel->part(EBXp::TMid).Height / 15 + 1;
    EXPECT_EQ(title.copy(0, band, title.width(), title.height() - band),
              titleFocused.copy(0, band, title.width(), title.height() - band));
}

TEST_F(KeyboardTest, LinksUnderlineOnHoverAndShowTheHand) {
    frmMain& main = Main();
    auto* link = main.Ctl<Label>("Label3");
    auto* plain = main.Ctl<Label>("Label5");
    EXPECT_EQ(link->cursor().shape(), Qt::PointingHandCursor);
    EXPECT_EQ(main.Ctl<platform::forms::Image>("Image3")->cursor().shape(), Qt::PointingHandCursor);
    EXPECT_FALSE(plain->testAttribute(Qt::WA_SetCursor));
    const QImage before = Grab(link);
    QEnterEvent enter(QPointF(2, 2), QPointF(2, 2), link->mapToGlobal(QPointF(2, 2)));
    QApplication::sendEvent(link, &enter);
    EXPECT_NE(Grab(link), before);
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(link, &leave);
    EXPECT_EQ(Grab(link), before);
}

TEST_F(KeyboardTest, F10OpensTheMenusWhoseEntriesHaveNoAccessKey) {
    frmMain& main = Main();
    QWidget* w = main.widget();
    ASSERT_TRUE(TabTo(w, "Label3"));
    Press(w, Qt::Key_F10);
    auto* file = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(file->objectName(), "file");
    // Left from the first menu wraps to the last, "Help"; its one entry opens the about box.
    QTest::keyClick(file, Qt::Key_Left);
    auto* help = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_NE(help, nullptr);
    EXPECT_EQ(help->objectName(), "Help");
    QTest::keyClick(help, Qt::Key_Down);
    QTest::keyClick(help, Qt::Key_Return);
    EXPECT_TRUE(WaitFor([] { return Instance<Form7>().IsLoaded(); }));
}
