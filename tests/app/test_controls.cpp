// The button as the windows use it (stored values and input), and the deferred browser pane.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QTemporaryDir>

#include "controls/Register.h"
#include "controls/gxButtons_H/gxButtons_H.h"
#include "platform/browser/DeferredPane.h"
#include "platform/forms/FormWindow.h"
#include "platform/window/Desktop.h"
#include "support/Ui.h"

using platform::forms::Json;
using platform::forms::PropertyBag;

TEST(ButtonPersistenceTest, StoredValuesRoundTripInTheirOrder) {
    gxButtons_H button;
    button.ReadProperties(PropertyBag(Json::parse(
        R"({"caption": "Login", "capalign": 2, "backstyle": 2, "shape": 2, "cgradient": 0,
            "mode": 0, "value": false, "imgsize": 32, "cback": 16777215})")));
    EXPECT_EQ(button.Caption(), "Login");
    EXPECT_EQ(button.ButtonShape(), 2);
    EXPECT_EQ(button.PictureSizePx(), 32);
    PropertyBag out;
    button.WriteProperties(out);
    std::vector<std::string> keys;
    for (auto it = out.json().begin(); it != out.json().end(); ++it) keys.push_back(it.key());
    EXPECT_EQ(keys, (std::vector<std::string>{"Caption", "BackStyle", "Shape", "Font", "cGradient",
                                              "Mode", "Value", "ImgSize", "cBack"}));
}

TEST(ButtonInputTest, LeftClicksSpaceAndEnterRaiseClick) {
    gxButtons_H button;
    button.resize(80, 30);
    int clicks = 0;
    QObject::connect(&button, &gxButtons_H::Click, [&] { ++clicks; });
    testsupport::Click(&button);
    EXPECT_EQ(clicks, 1);
    testsupport::Click(&button, QPoint(200, 10));  // released outside
    EXPECT_EQ(clicks, 1);
    QKeyEvent down(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, " ");
    QKeyEvent up(QEvent::KeyRelease, Qt::Key_Space, Qt::NoModifier, " ");
    QApplication::sendEvent(&button, &down);
    EXPECT_EQ(clicks, 1);  // Space clicks on release
    QApplication::sendEvent(&button, &up);
    EXPECT_EQ(clicks, 2);
}

TEST(DeferredPaneTest, AMissingPluginSaysSoAndNeverCrashes) {
    platform::browser::InstallDeferredWebPane("/nonexistent/quillmere-webpane");
    QWidget window;
    std::unique_ptr<platform::browser::BrowserPane> pane(
        platform::browser::BrowserPane::Create(&window));
    EXPECT_FALSE(pane->NavigationPending());
    pane->Refresh();  // before any navigation: nothing
    pane->Navigate("http://portal.test/");
    pane->Focus();
    EXPECT_FALSE(pane->CurrentUrl().isValid());
    auto* problem = pane->findChild<QLabel*>();
    ASSERT_NE(problem, nullptr);
    EXPECT_TRUE(problem->text().contains("could not be started"));
    platform::browser::SettleDeferredNavigations(0);  // returns at once
    platform::browser::BrowserPane::SetFactory({});
}

// A window of buttons: Enter and Escape reach its default and cancel buttons, and an arrow key
// that a button passes to the window moves the focus, selecting the option button it lands on.
TEST(ButtonInWindowTest, DefaultCancelAndArrowKeys) {
    controls::RegisterControls();
    QTemporaryDir dir;
    ASSERT_TRUE(QDir(dir.path()).mkpath("forms"));
    QFile file(dir.filePath("forms/Keys.json"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(R"({"caption": "Keys", "clientWidth": 6000, "clientHeight": 3000,
        "border": "fixedSingle", "controls": [
        {"type": "gxButtons_H", "name": "Opt1", "rect": [0, 0, 1200, 450],
         "bag": {"Caption": "One", "Mode": 2}},
        {"type": "gxButtons_H", "name": "Opt2", "rect": [1500, 0, 1200, 450],
         "bag": {"Caption": "Two", "Mode": 2}},
        {"type": "gxButtons_H", "name": "Ok", "rect": [0, 900, 1200, 450],
         "bag": {"Caption": "OK", "Default": true}},
        {"type": "gxButtons_H", "name": "Esc", "rect": [1500, 900, 1200, 450],
         "bag": {"Caption": "Cancel", "Cancel": true}}]})");
    file.close();
    platform::forms::SetDesignDirectory(dir.path());
    platform::forms::FormWindow form("Keys");
    form.Show();
    ASSERT_TRUE(form.IsLoaded());
    QStringList clicks;
    for (const char* name : {"Opt1", "Opt2", "Ok", "Esc"}) {
        QObject::connect(form.Ctl<gxButtons_H>(name), &gxButtons_H::Click,
                         [&clicks, name] { clicks << name; });
    }

    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, "\r");
    QApplication::sendEvent(form.widget(), &enter);
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier, "\x1b");
    QApplication::sendEvent(form.widget(), &escape);
    EXPECT_EQ(clicks, QStringList({"Ok", "Esc"}));

    // Right on the first option button: the window moves the focus to the second, whose
    // key-up selects it.
    auto* opt1 = form.Ctl<gxButtons_H>("Opt1");
    auto* opt2 = form.Ctl<gxButtons_H>("Opt2");
    opt1->setFocus();
    clicks.clear();
    QKeyEvent right(QEvent::KeyPress, Qt::Key_Right, Qt::NoModifier);
    QApplication::sendEvent(opt1, &right);
    ASSERT_TRUE(testsupport::WaitFor([&] { return QApplication::focusWidget() == opt2; }));
    QKeyEvent rightUp(QEvent::KeyRelease, Qt::Key_Right, Qt::NoModifier);
    QApplication::sendEvent(opt2, &rightUp);
    EXPECT_TRUE(opt2->Value());
    EXPECT_FALSE(opt1->Value());
    EXPECT_EQ(clicks.count("Opt2"), 1);
    form.Unload();
    platform::forms::SetDesignDirectory({});
}
