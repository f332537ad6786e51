// The panel and the button as the windows use them: stored values, events and the animation.

#include <gtest/gtest.h>

#include "controls/EBXp/EBXp.h"
#include "controls/gxButtons_H/gxButtons_H.h"
#include "platform/browser/DeferredPane.h"
#include "platform/sound/Sound.h"
#include "support/Ui.h"

#include <QKeyEvent>
#include <QLabel>

using platform::forms::Json;
using platform::forms::PropertyBag;

namespace {

struct PanelTest : ::testing::Test {
    void SetUp() override {
        auto player = std::make_unique<platform::sound::RecordingPlayer>();
        sounds = player.get();
        platform::sound::SetPlayer(std::move(player));
        panel.ReadProperties(PropertyBag(Json::parse(R"({"userheight": 2415, "caption": "x"})")));
        panel.setGeometry(0, 0, 185, 161);
        QObject::connect(&panel, &EBXp::ExpCol, [this] { heights.push_back(panel.Height()); });
        QObject::connect(&panel, &EBXp::ExpColEnd, [this](bool& isExp) { ends.push_back(isExp); });
    }
    EBXp panel;
    platform::sound::RecordingPlayer* sounds = nullptr;
    std::vector<float> heights;
    std::vector<bool> ends;
};

}  // namespace

TEST_F(PanelTest, ExpandingAndCollapsingStepAndRaiseTheirEvents) {
    panel.ExpColNoSound(true);
    EXPECT_EQ(heights, std::vector<float>{450});
    EXPECT_TRUE(panel.Expanded());  // the flag is True while collapsed
    EXPECT_TRUE(sounds->played.empty());
    heights.clear();
    panel.ToggleExpCol();
    ASSERT_EQ(heights.size(), 15u);  // 450, 600, ..., 2400, then 2415
    EXPECT_EQ(heights.front(), 450);
    EXPECT_EQ(heights[13], 2400);
    EXPECT_EQ(heights.back(), 2415);
    EXPECT_EQ(ends, std::vector<bool>{true});
    EXPECT_FALSE(panel.Expanded());
    ASSERT_EQ(sounds->played.size(), 1u);
    EXPECT_TRUE(sounds->played[0].endsWith("/Sounds/Action.wav"));
    heights.clear();
    panel.DoExpCol(false);  // already at full height: nothing
    EXPECT_TRUE(heights.empty());
    panel.DoExpCol(true);
    EXPECT_EQ(heights.back(), 450);
    EXPECT_TRUE(panel.Expanded());
}

TEST_F(PanelTest, StepsThatCannotAdvanceJumpAndLockedPanelsStay) {
    for (int step : {-150, 0}) {
        SCOPED_TRACE(step);
        panel.ExpColNoSound(false);
        panel.SetTheStep(step);
        heights.clear();
        ends.clear();
        panel.ToggleExpCol();
        EXPECT_EQ(heights, std::vector<float>{450});
        EXPECT_EQ(ends.size(), 1u);
    }
    panel.SetDontCollapsed(true);
    heights.clear();
    const auto played = sounds->played.size();
    panel.ToggleExpCol();
    EXPECT_TRUE(heights.empty());
    EXPECT_EQ(sounds->played.size(), played);
    panel.ExpColNoSound(false);  // still works
    EXPECT_EQ(panel.Height(), 2415);
}

TEST(PanelPersistenceTest, KeysRoundTripInOrderWithDefaultsOmitted) {
    EBXp panel;
    panel.ReadProperties(PropertyBag(Json::parse(
        R"({"_extentx": 1, "userheight": 5385, "caption": " Control Panel", "fillcolor": 16777215})")));
    EXPECT_EQ(panel.TheStep(), 150);
    EXPECT_FALSE(panel.DontCollapsed());
    PropertyBag out;
    panel.WriteProperties(out);
    EXPECT_EQ(out.json().dump(),
              R"({"UserHeight":5385,"Caption":" Control Panel","FillColor":16777215})");
}

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
