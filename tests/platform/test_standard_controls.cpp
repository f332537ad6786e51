// Standard controls as a window builds them: clicks, drawing and self-placing lines.

#include <gtest/gtest.h>

#include <QApplication>
#include <QSignalSpy>

#include "platform/forms/StandardControls.h"
#include "support/Ui.h"

using namespace platform::forms;

namespace {
template <class T>
std::unique_ptr<T> Make(const char* bag, QWidget* parent = nullptr) {
    auto t = std::make_unique<T>(parent);
    t->ReadProperties(PropertyBag(Json::parse(bag), "test"));
    return t;
}
}  // namespace

TEST(StandardControlsTest, LabelsAndImagesClickOnlyForALeftClickInside) {
    auto label = Make<Label>(R"({"Caption": " Login/Logout", "BackStyle": 0})");
    label->resize(100, 17);
    int clicks = 0;
    QObject::connect(label.get(), &Label::Click, [&] { ++clicks; });
    testsupport::Click(label.get());
    EXPECT_EQ(clicks, 1);
    // Pressed inside, released outside: no click.
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(5, 5), QPointF(5, 5), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(label.get(), &press);
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(500, 5), QPointF(500, 5),
                        Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(label.get(), &release);
    EXPECT_EQ(clicks, 1);
    // A right click is no click.
    QMouseEvent rpress(QEvent::MouseButtonPress, QPointF(5, 5), QPointF(5, 5), Qt::RightButton,
                       Qt::RightButton, Qt::NoModifier);
    QMouseEvent rrelease(QEvent::MouseButtonRelease, QPointF(5, 5), QPointF(5, 5), Qt::RightButton,
                         Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(label.get(), &rpress);
    QApplication::sendEvent(label.get(), &rrelease);
    EXPECT_EQ(clicks, 1);

    auto image = Make<Image>(R"({"Picture": "pictures/ico_login.png"})");
    image->resize(16, 16);
    QSignalSpy spy(image.get(), &Image::Click);
    testsupport::Click(image.get());
    EXPECT_EQ(spy.count(), 1);
    EXPECT_EQ(image->Picture().Width(), 16);
}

TEST(StandardControlsTest, OpaqueLabelsFillAndTransparentOnesLetTheContainerShow) {
    QWidget container;
    container.setAutoFillBackground(true);
    QPalette p = container.palette();
    p.setColor(QPalette::Window, QColor(1, 2, 3));
    container.setPalette(p);
    container.resize(200, 40);
    auto opaque = Make<Label>(R"({"Caption": "", "BackColor": 16777215})", &container);
    opaque->setGeometry(0, 0, 100, 40);
    auto clear = Make<Label>(R"({"Caption": "", "BackStyle": 0})", &container);
    clear->setGeometry(100, 0, 100, 40);
    const QImage shot = container.grab().toImage();
    EXPECT_EQ(shot.pixelColor(50, 20), QColor(255, 255, 255));
    EXPECT_EQ(shot.pixelColor(150, 20), QColor(1, 2, 3));
}

TEST(StandardControlsTest, LinesPlaceThemselvesFromTheirEnds) {
    QWidget container;
    auto line = Make<Line>(R"({"X1": 2415, "Y1": 1335, "X2": 120, "Y2": 1335, "BorderColor": 255})",
                           &container);
    EXPECT_EQ(line->geometry(), QRect(8, 89, 154, 1));
    EXPECT_TRUE(line->testAttribute(Qt::WA_TransparentForMouseEvents));
    const QImage img = line->grab().toImage();
    EXPECT_EQ(img.pixelColor(0, 0), QColor(255, 0, 0));

    // Ends and widths beyond what can be drawn are refused, naming the key; a line between the
    // farthest ends allowed is cut at the longest side a surface can have.
    RejectedValueLog rejected;
    auto far = Make<Line>(R"({"X1": 0, "Y1": 1920, "X2": 555032767, "Y2": 1920,
                              "BorderWidth": 2147483647})",
                          &container);
    ASSERT_EQ(rejected.values().size(), 2u);
    EXPECT_EQ(rejected.values()[0].key, "X2");
    EXPECT_EQ(rejected.values()[1].key, "BorderWidth");
    EXPECT_EQ(far->geometry(), QRect(0, 128, 1, 1));
    auto wide = Make<Line>(R"({"X1": -491505, "Y1": 0, "X2": 491505, "Y2": 0})", &container);
    EXPECT_EQ(wide->geometry(), QRect(-32767, 0, 32767, 1));
}

TEST(StandardControlsTest, FramesOfferTheirBackColourToTheirControls) {
    auto frame = Make<Frame>(R"({"Caption": "Toolbar Menu", "BackColor": 16777215})");
    auto label = std::make_unique<Label>(frame.get());
    EXPECT_EQ(AmbientOf(label.get()).BackColor, 0x00FFFFFFu);
    EXPECT_TRUE(AmbientOf(label.get()).UserMode);
}

TEST(StandardControlsTest, SystemColoursComeFromTheDesktopPaletteOnlyWhenAsked) {
    const QPalette saved = QApplication::palette();
    QPalette dark = saved;
    dark.setColor(QPalette::Button, QColor(20, 30, 40));
    dark.setColor(QPalette::ButtonText, QColor(250, 240, 0));
    dark.setColor(QPalette::Window, QColor(5, 6, 7));
    QApplication::setPalette(dark);
    const auto face = [] {
        auto label = Make<Label>(R"({"Caption": ""})");
        label->resize(20, 10);
        return label->grab().toImage().pixelColor(10, 5);
    };
    const QColor classicFace(212, 208, 200);

    EXPECT_EQ(platform::SystemColourSource(), platform::SystemColours::Classic);
    EXPECT_EQ(platform::ToQColor(platform::kButtonFace), classicFace);
    EXPECT_EQ(face(), classicFace);

    platform::SetSystemColours(platform::SystemColours::Desktop);
    EXPECT_EQ(platform::ToQColor(platform::kButtonFace), QColor(20, 30, 40));
    EXPECT_EQ(platform::ToQColor(platform::kButtonText), QColor(250, 240, 0));
    EXPECT_EQ(platform::ToQColor(0x80000005u), QColor(5, 6, 7));
    EXPECT_EQ(face(), QColor(20, 30, 40));
    // Plain colours and unknown indexes are untouched.
    EXPECT_EQ(platform::ToQColor(platform::Rgb(1, 2, 3)), QColor(1, 2, 3));
    EXPECT_EQ(platform::ToQColor(0x80000040u), QColor(0, 0, 0));

    platform::SetSystemColours(platform::SystemColours::Classic);
    EXPECT_EQ(face(), classicFace);
    QApplication::setPalette(saved);
}
