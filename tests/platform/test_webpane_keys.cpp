// Keys pressed in a page stay in the pane: a tool window with buttons around a real pane.

#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QTest>
#include <QWebEnginePage>
#include <QWebEngineView>

#include "controls/Register.h"
#include "forms/ToolWindows.h"
#include "platform/WebTestServer.h"
#include "platform/browser/WebPane.h"
#include "platform/forms/Instances.h"
#include "support/Ui.h"

namespace platform::browser {
namespace {

using webtest::TestServer;
using webtest::WaitUntil;

// Counts the presses of one key that reach the object it filters.
class KeyCounter : public QObject {
public:
    KeyCounter(int key, int* count) : mKey(key), mCount(count) {}
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == mKey)
            ++*mCount;
        return false;
    }

private:
    int mKey;
    int* mCount;
};

TEST(PaneKeys, ArrowsSpaceAndEnterInAPageNeverReachTheWindowButtons) {
    TestServer server;
    InstallWebPane();
    controls::RegisterControls();
    forms::Placeholders p;
    p.portal = QStringLiteral("http://127.0.0.1:%1").arg(server.Port());
    p.portalHost = QStringLiteral("127.0.0.1:%1").arg(server.Port());
    p.webmail = p.portalHost;
    forms::SetPlaceholders(p);
    forms::SetDesignDirectory({});

    // The attendance window: "Load/Reload" shows the list, the next button logs out.
    auto& form = forms::Instance<Form2>();
    form.Show();
    QWidget* window = form.widget();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    testsupport::Click(form.Ctl<QWidget>(QStringLiteral("gxButtons_H1")));
    const std::string list = "/School/Profile/gui/attendencelist.cfm";
    ASSERT_TRUE(WaitUntil([&] { return server.Requests(list) == 1; }));
    auto* pane = form.Ctl<BrowserPane>(QStringLiteral("Browser2"));
    ASSERT_TRUE(WaitUntil([&] { return !pane->NavigationPending(); }));
    QWebEngineView* view = pane->findChild<QWebEngineView*>();
    ASSERT_NE(view, nullptr);
    auto keysSeen = [&] {
        int n = -1;
        bool done = false;
        view->page()->runJavaScript(QStringLiteral("window.keys"), [&](const QVariant& v) {
            n = v.isValid() ? v.toInt() : -1;
            done = true;
        });
        WaitUntil([&] { return done; });
        return n;
    };
    ASSERT_TRUE(WaitUntil([&] { return keysSeen() == 0; }));
    ASSERT_TRUE(view->isAncestorOf(QApplication::focusWidget()));

    // Keys the page does not use come back from the engine to the pane, in the order they
    // were pressed. F9, which nothing uses, follows each key: once it is back, so is the key.
    int sentinels = 0;
    auto* counter = new KeyCounter(Qt::Key_F9, &sentinels);
    view->parentWidget()->installEventFilter(counter);

    // What a person might press while reading the page, one key after the other.
    const Qt::Key keys[] = {Qt::Key_Down,   Qt::Key_Right, Qt::Key_Space, Qt::Key_Return,
                            Qt::Key_Escape, Qt::Key_Up,    Qt::Key_Left,  Qt::Key_Space};
    int pressed = 0;
    for (Qt::Key key : keys) {
        QWidget* target = QApplication::focusWidget();
        QTest::keyClick(target, key);
        QTest::keyClick(target, Qt::Key_F9);
        ++pressed;
        // Should a key have taken the focus out of the page, F9 never comes back, and the next
        // key goes where the focus went, as a person's would.
        WaitUntil([&] { return sentinels == pressed; }, 3000);
    }
    EXPECT_EQ(keysSeen(), 2 * int(std::size(keys)));
    delete counter;

    EXPECT_TRUE(view->isAncestorOf(QApplication::focusWidget()));
    EXPECT_EQ(server.Requests("/School/Profile/gui/logout.cfm"), 0);
    EXPECT_EQ(server.Requests(list), 1);

    // Tab at the page's end leaves the pane for the window's next control, as in any dialog.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_TRUE(WaitUntil([&] { return !view->isAncestorOf(QApplication::focusWidget()); }));
    // The pane comes last in the window's tab order, which goes round to the panel's title bar.
    EXPECT_EQ(QApplication::focusWidget()->objectName(), QStringLiteral("EBXp1"));
    EXPECT_EQ(server.Requests("/School/Profile/gui/logout.cfm"), 0);
    forms::DestroyInstances();
}

}  // namespace
}  // namespace platform::browser
