// The button as the windows use it (stored values and input), and the deferred browser pane.

#include <gtest/gtest.h>

#include "controls/gxButtons_H/gxButtons_H.h"
#include "platform/browser/DeferredPane.h"
#include "support/Ui.h"

#include <QKeyEvent>
#include <QLabel>

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
