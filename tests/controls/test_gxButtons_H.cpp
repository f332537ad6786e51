// The owner-drawn button's properties: what the setters accept and refuse (with the designer's
// messages), how the hover colours follow the normal ones, the stored design values, the
// access key taken from the caption, and the drawing objects it releases.

#include <gtest/gtest.h>

#include <QImage>
#include <QPointer>
#include <QTest>

#include "controls/gxButtons_H/gxButtons_H.h"
#include "platform/forms/PropertyBag.h"
#include "platform/gdi/Gdi.h"
#include "platform/window/Window.h"
#include "support/Ui.h"

using platform::Colour;
using platform::kButtonFace;
using platform::kButtonText;
using platform::Picture;
using platform::forms::Json;
using platform::forms::PropertyBag;
using Texts = std::vector<std::string>;

namespace {

constexpr Colour kRed = platform::Rgb(255, 0, 0), kGreen = platform::Rgb(0, 255, 0),
                 kBlue = platform::Rgb(0, 0, 255), kYellow = platform::Rgb(255, 255, 0);

const std::string kCentredOnly =
    "When button images are aligned top/bottom center, \r\nbutton captions can only be center "
    "aligned";
const std::string kNeedsBitmap =
    "The Picture Property must be assigned first and must be a bitmap or JPEG.";
const std::string kNotForCommand = "This property is not applicable for command button modes.";
const std::string kNoSizeOnShapes = "The picture size cannot be changed for Shaped buttons";
const std::string kCustomOnly =
    "This property has no effect unless the Button Shape is a custom shape.";
const std::string kFocusRect =
    "The focus rectangle may appear on default buttons ONLY while in design mode, \r\nbut will "
    "not appear when the form is running.";
const std::string kNoIcons =
    "Icons cannot be used for custom buttons. Only use bitmaps or JPEGs.\r\nButton was changed "
    "to Rectangular shaped.";

Picture Pic(Picture::Kind kind, const QString& name = {}) {
    QImage img(24, 16, QImage::Format_RGB32);
    img.fill(Qt::darkCyan);
    return Picture(img, kind, name);
}

Texts Keys(const PropertyBag& bag) {
    Texts keys;
    for (const auto& item : bag.json().items()) keys.push_back(item.key());
    return keys;
}

struct ButtonTest : ::testing::Test {
    void SetUp() override {
        window.resize(300, 200);
        platform::window::SetMessageBoxHook([this](const QString& text, const QString&) {
            messages.push_back(text.toStdString());
        });
        Fresh();
    }
    void TearDown() override { platform::window::SetMessageBoxHook(nullptr); }

    // A new instance as the designer places it, in place of the previous one.
    gxButtons_H* Fresh() {
        delete button;
        button = new gxButtons_H(&window);
        button->setObjectName(QStringLiteral("gxButtons_H1"));
        button->setGeometry(10, 10, 120, 40);
        button->show();
        button->InitProperties();
        QObject::connect(button, &gxButtons_H::PropertyChanged,
                         [this](const QString& key) { notified.push_back(key.toStdString()); });
        QObject::connect(button, &gxButtons_H::Click, [this] { ++clicks; });
        messages.clear();
        notified.clear();
        return button;
    }
    // False for the form designer, true for a running window.
    void UserMode(bool on) { window.setProperty("UserMode", on); }
    Texts Take() { return std::exchange(messages, {}); }

    QWidget window;
    QPointer<gxButtons_H> button;
    Texts messages, notified;
    int clicks = 0;
};

}  // namespace

TEST_F(ButtonTest, RefusedCombinationsChangeNothingAndExplainOnlyInTheDesigner) {
    for (const bool design : {true, false}) {
        SCOPED_TRACE(design ? "designer" : "running");
        UserMode(!design);
        const auto said = [&](const std::string& text) { return design ? Texts{text} : Texts{}; };

        // A caption off centre under a top- or bottom-centred picture.
        Fresh()->SetPicture(Pic(Picture::Kind::Bitmap));
        button->SetPictureAlign(4);
        button->SetCaptionAlign(0);
        EXPECT_EQ(button->CaptionAlign(), 2);
        EXPECT_EQ(Take(), said(kCentredOnly));
        button->SetPictureAlign(3);
        button->SetCaptionAlign(0);
        EXPECT_EQ(button->CaptionAlign(), 0);
        EXPECT_EQ(Take(), Texts{});

        // A custom shape needs a bitmap first; an icon will not do either.
        Fresh()->SetButtonShape(7);
        EXPECT_EQ(button->ButtonShape(), 0);
        EXPECT_EQ(Take(), said(kNeedsBitmap));
        button->SetPicture(Pic(Picture::Kind::Icon));
        button->SetButtonShape(8);
        EXPECT_EQ(button->ButtonShape(), 0);
        EXPECT_EQ(Take(), said(kNeedsBitmap));

        // A command button cannot be checked.
        notified.clear();
        button->SetValue(true);
        EXPECT_FALSE(button->Value());
        EXPECT_EQ(Take(), said(kNotForCommand));
        EXPECT_EQ(notified, Texts{});

        // A custom-shaped button keeps its picture size.
        Fresh()->SetPicture(Pic(Picture::Kind::Bitmap));
        button->SetButtonShape(7);
        Take();
        button->SetPictureSize(1);
        EXPECT_EQ(button->PictureSizePx(), 48);
        EXPECT_EQ(Take(), said(kNoSizeOnShapes));

        // CustomClick on a rectangle is stored all the same.
        Fresh()->SetCustomClick(4);
        EXPECT_EQ(button->CustomClick(), 4);
        EXPECT_EQ(Take(), said(kCustomOnly));
        button->SetCustomClick(0);
        EXPECT_EQ(Take(), Texts{});
    }
}

TEST_F(ButtonTest, ShowFocusRectWhileShownAsTheDefault) {
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    for (const bool design : {true, false}) {
        SCOPED_TRACE(design ? "designer" : "running");
        UserMode(!design);
        Fresh()->setFocus();
        button->AmbientChanged(QStringLiteral("DisplayAsDefault"));
        ASSERT_TRUE(button->StateFlags() & gxButtons_H::kFocusLook);
        Take();
        button->SetShowFocusRect(false);
        EXPECT_FALSE(button->ShowFocusRect());
        // The designer keeps showing the focus look; a running window drops it.
        EXPECT_EQ(bool(button->StateFlags() & gxButtons_H::kFocusLook), design);
        EXPECT_EQ(Take(), design ? Texts{kFocusRect} : Texts{});
    }
}

TEST_F(ButtonTest, OutOfRangeValuesAreIgnoredSilently) {
    UserMode(false);
    button->SetPictureSize(2);
    button->SetButtonStyle(3);
    notified.clear();
    button->SetPictureSize(7);
    button->SetPictureSize(-1);
    button->SetButtonStyle(8);
    button->SetMode(3);
    button->SetCaptionAlign(3);
    button->SetCaptionStyle(3);
    button->SetCustomClick(9);
    button->SetButtonShape(9);
    button->SetPictureAlign(6);
    button->SetGradientMode(5);
    EXPECT_EQ(button->PictureSizePx(), 32);
    EXPECT_EQ(button->ButtonStyle(), 3);
    EXPECT_EQ(button->Mode(), 0);
    EXPECT_EQ(button->CaptionAlign(), 2);
    EXPECT_EQ(button->CaptionStyle(), 0);
    EXPECT_EQ(button->CustomClick(), 0);
    EXPECT_EQ(button->ButtonShape(), 0);
    EXPECT_EQ(button->PictureAlign(), 0);
    EXPECT_EQ(button->GradientMode(), 0);
    EXPECT_EQ(notified, Texts{});
    EXPECT_EQ(Take(), Texts{});
}

TEST_F(ButtonTest, PictureSizesAndCustomShapes) {
    // A new instance has no pixel size yet and reads as the smallest slot.
    EXPECT_EQ(button->PictureSizePx(), 0);
    EXPECT_EQ(button->PictureSize(), 0);
    EXPECT_EQ(button->PictureSizePx(), 16);
    for (int size = 0; size <= 4; ++size) {
        button->SetPictureSize(size);
        EXPECT_EQ(button->PictureSizePx(), (size + 2) * 8);
        EXPECT_EQ(button->PictureSize(), size);
    }
    button->SetPictureSize(3);
    PropertyBag bag;
    button->WriteProperties(bag);
    EXPECT_EQ(bag.ReadInt("ImgSize", 0), 40);

    // A picture-shaped button fits its picture and centres its caption.
    button->SetPictureSize(1);
    button->SetCaptionAlign(0);
    button->SetPicture(Pic(Picture::Kind::Bitmap));
    button->SetButtonShape(7);
    EXPECT_EQ(button->ButtonShape(), 7);
    EXPECT_EQ(button->PictureSizePx(), 48);
    EXPECT_EQ(button->CaptionAlign(), 2);
    EXPECT_FALSE(button->DelayDrawingFlag());

    // Already fitted, so changing to the other custom shape has no size to refuse.
    UserMode(false);
    Take();
    button->SetButtonShape(8);
    EXPECT_EQ(button->ButtonShape(), 8);
    EXPECT_EQ(Take(), Texts{});
    // An icon turns it back into a rectangle but stays its picture; so does no picture.
    button->SetPicture(Pic(Picture::Kind::Icon));
    EXPECT_EQ(button->ButtonShape(), 0);
    EXPECT_EQ(button->Picture().kind(), Picture::Kind::Icon);
    EXPECT_EQ(Take(), Texts{kNoIcons});
    button->SetPicture(Pic(Picture::Kind::Bitmap));
    button->SetButtonShape(7);
    button->SetPicture(Picture());
    EXPECT_EQ(button->ButtonShape(), 0);

    // Every shape leaves the caption centred.
    button->SetCaptionAlign(1);
    button->SetButtonShape(2);
    EXPECT_EQ(button->CaptionAlign(), 2);
}

TEST_F(ButtonTest, ModeChangesAndResettingColours) {
    button->SetMode(1);
    button->SetValue(true);
    button->SetMode(0);
    EXPECT_FALSE(button->Value());

    button->SetBackColor(kRed);
    button->SetForeColor(kBlue);
    button->SetGradientColor(kGreen);
    button->SetGradientMode(2);
    button->SetHoverColorLocks(3);
    button->SetHoverForeColor(kYellow);
    const auto unchanged = [&] {
        EXPECT_EQ(button->BackColor(), kRed);
        EXPECT_EQ(button->ForeColor(), kBlue);
        EXPECT_EQ(button->GradientMode(), 2);
        EXPECT_EQ(button->HoverColorLocks(), 3);
    };
    button->SetResetDefaultColors(true);  // a running window: nothing
    unchanged();
    UserMode(false);
    button->SetResetDefaultColors(false);
    unchanged();
    button->SetResetDefaultColors(true);
    EXPECT_EQ(button->BackColor(), kButtonFace);
    EXPECT_EQ(button->ForeColor(), kButtonText);
    EXPECT_EQ(button->GradientColor(), kButtonFace);
    EXPECT_EQ(button->GradientMode(), 0);
    EXPECT_EQ(button->HoverColorLocks(), 0);
    EXPECT_EQ(button->HoverForeColor(), kButtonText);
    EXPECT_EQ(button->HoverBackColor(), kButtonFace);
    EXPECT_FALSE(button->ResetDefaultColors());
    EXPECT_FALSE(button->DelayDrawingFlag());
}

TEST_F(ButtonTest, HoverColoursFollowUntilSetExplicitly) {
    button->SetForeColor(kRed);
    EXPECT_EQ(button->HoverForeColor(), kRed);
    EXPECT_EQ(button->HoverColorLocks(), 0);
    button->SetHoverForeColor(kBlue);
    EXPECT_EQ(button->HoverColorLocks(), 2);
    button->SetForeColor(kGreen);
    EXPECT_EQ(button->HoverForeColor(), kBlue);
    button->SetBackColor(kYellow);  // the back colour still follows
    EXPECT_EQ(button->HoverBackColor(), kYellow);
    EXPECT_EQ(button->HoverColorLocks(), 2);
    button->SetHoverColorLocks(0);
    EXPECT_EQ(button->HoverForeColor(), kGreen);
    button->SetForeColor(kRed);
    EXPECT_EQ(button->HoverForeColor(), kRed);

    // A stored gradient button: its hover back colour was its back colour. A new BackColor
    // hands the gradient colour on, which marks the hover back colour as explicit.
    button->ReadProperties(
        PropertyBag(Json{{"gradient", 1}, {"cgradient", kGreen}, {"cback", kBlue}}));
    EXPECT_EQ(button->HoverBackColor(), kBlue);
    button->SetBackColor(kYellow);
    EXPECT_EQ(button->HoverBackColor(), kGreen);
    EXPECT_EQ(button->HoverColorLocks(), 1);
    button->SetGradientColor(kRed);  // locked: left alone
    EXPECT_EQ(button->HoverBackColor(), kGreen);
    button->SetHoverColorLocks(0);
    button->SetGradientColor(kBlue);
    EXPECT_EQ(button->HoverBackColor(), kBlue);
    button->SetGradientMode(0);
    EXPECT_EQ(button->HoverBackColor(), kYellow);
    EXPECT_EQ(button->HoverColorLocks(), 0);
}

// A new button's gradient colour and picture size start at 0, so both are stored (as every
// button of the program's windows stores "cGradient": 0).
TEST_F(ButtonTest, ANewButtonStoresOnlyTheAlwaysWrittenKeys) {
    PropertyBag bag;
    button->WriteProperties(bag);
    EXPECT_EQ(Keys(bag),
              (Texts{"Caption", "Font", "cGradient", "Mode", "Value", "ImgSize", "cBack"}));
    EXPECT_EQ(bag.ReadString("Caption"), QStringLiteral("gxButtons_H1"));
    EXPECT_EQ(bag.ReadColour("cBack", 0), kButtonFace);
    button->SetCaption(QString());
    PropertyBag empty;
    button->WriteProperties(empty);
    EXPECT_EQ(Keys(empty), (Texts{"Font", "cGradient", "Mode", "Value", "ImgSize", "cBack"}));
}

TEST_F(ButtonTest, StoredValuesKeepTheirOrderAndReadBack) {
    button->SetButtonShape(1);
    button->SetCaption(QStringLiteral("&Go"));
    button->SetCaptionAlign(0);
    button->SetButtonStyle(3);
    button->SetForeColor(kRed);
    button->SetHoverForeColor(kBlue);
    button->SetHoverBackColor(kYellow);
    button->SetShowFocusRect(false);
    button->SetGradientColor(kGreen);
    button->SetGradientMode(2);
    button->SetCaptionStyle(1);
    button->SetMode(1);
    button->SetValue(true);
    button->SetCustomClick(3);
    button->SetPictureAlign(2);
    button->SetPicture(Picture::Load(QStringLiteral(":/controls/EBXp/face.png")));
    button->SetPictureSize(2);
    button->SetEnabled(false);
    button->SetBackColor(kBlue);
    button->SetMousePointer(2);
    PropertyBag bag;
    button->WriteProperties(bag);
    EXPECT_EQ(Keys(bag),
              (Texts{"Caption",  "CapAlign", "BackStyle", "Shape",       "Font",      "cFore",
                     "cFHover",  "cBhover",  "Focus",     "LockHover",   "cGradient", "Gradient",
                     "CapStyle", "Mode",     "Value",     "CustomClick", "ImgAlign",  "Image",
                     "ImgSize",  "Enabled",  "cBack",     "mPointer"}));
    EXPECT_EQ(bag.ReadInt("CapAlign", -1), 0);
    EXPECT_EQ(bag.ReadInt("ImgSize", -1), 32);
    EXPECT_EQ(bag.ReadInt("LockHover", -1), 3);

    // A fresh button reads the same values back and stores the same bag.
    gxButtons_H* copy = Fresh();
    copy->ReadProperties(bag);
    EXPECT_EQ(copy->AccessKeys(), QStringLiteral("G"));
    EXPECT_EQ(copy->CaptionAlign(), 0);
    EXPECT_TRUE(copy->Value());
    EXPECT_FALSE(copy->Enabled());
    EXPECT_EQ(copy->HoverBackColor(), kYellow);
    EXPECT_FALSE(copy->DelayDrawingFlag());
    PropertyBag again;
    copy->WriteProperties(again);
    EXPECT_EQ(again.json(), bag.json());

    // An icon makes the pointer the custom one; the icon is stored last.
    copy->SetMouseIcon(Pic(Picture::Kind::Icon, QStringLiteral("cursors/arrow.cur")));
    PropertyBag withIcon;
    copy->WriteProperties(withIcon);
    const Texts keys = Keys(withIcon);
    EXPECT_EQ(Texts(keys.end() - 2, keys.end()), (Texts{"mPointer", "mIcon"}));
    EXPECT_EQ(withIcon.ReadInt("mPointer", 0), 99);
}

TEST_F(ButtonTest, EnabledIsTheButtonsOwnWhateverItsContainer) {
    const auto stored = [&] {
        PropertyBag bag;
        button->WriteProperties(bag);
        return bag.ReadBool("Enabled", true);
    };
    // Saved while the container is disabled: the button's own True, not the container's state.
    window.setEnabled(false);
    EXPECT_TRUE(button->Enabled());
    EXPECT_FALSE(button->isEnabled());
    EXPECT_TRUE(stored());

    // Turned off while the container is off: it stays off when the container comes back.
    notified.clear();
    button->SetEnabled(false);
    EXPECT_FALSE(button->Enabled());
    EXPECT_EQ(notified, Texts{"Enabled"});
    window.setEnabled(true);
    EXPECT_FALSE(button->isEnabled());
    EXPECT_FALSE(stored());
    button->SetEnabled(true);
    EXPECT_TRUE(button->isEnabled());
    EXPECT_TRUE(stored());
}

TEST_F(ButtonTest, EachStockMousePointerShowsItsCursor) {
    // The shapes for 0 to 15; 0 leaves the cursor to the container.
    const Qt::CursorShape shapes[] = {
        Qt::ArrowCursor,     Qt::ArrowCursor,   Qt::CrossCursor,     Qt::IBeamCursor,
        Qt::DragMoveCursor,  Qt::SizeAllCursor, Qt::SizeBDiagCursor, Qt::SizeVerCursor,
        Qt::SizeFDiagCursor, Qt::SizeHorCursor, Qt::UpArrowCursor,   Qt::WaitCursor,
        Qt::ForbiddenCursor, Qt::BusyCursor,    Qt::WhatsThisCursor, Qt::SizeAllCursor};
    for (int pointer = 15; pointer >= 0; --pointer) {
        SCOPED_TRACE(pointer);
        button->SetMousePointer(pointer);
        EXPECT_EQ(button->MousePointer(), pointer);
        EXPECT_EQ(button->testAttribute(Qt::WA_SetCursor), pointer != 0);
        EXPECT_EQ(button->cursor().shape(), shapes[pointer]);
    }
}

TEST_F(ButtonTest, ReadingStoredFormsOldAndBroken) {
    // Stored forms spell the keys in lower case; a centred caption is not stored.
    button->ReadProperties(PropertyBag(Json{{"capalign", 0}, {"backstyle", 5}, {"value", true}}));
    EXPECT_EQ(button->CaptionAlign(), 0);
    EXPECT_EQ(button->ButtonStyle(), 5);
    EXPECT_TRUE(button->Value());
    button->ReadProperties(PropertyBag(Json{{"caption", "x"}}));
    EXPECT_EQ(button->CaptionAlign(), 2);
    PropertyBag centred;
    button->WriteProperties(centred);
    EXPECT_FALSE(centred.Contains("CapAlign"));

    // Data from before picture sizes were chosen: 0 pixels, read as the 16-pixel slot.
    button->ReadProperties(PropertyBag(Json{{"ImgSize", 0}}));
    EXPECT_EQ(button->PictureSizePx(), 0);
    EXPECT_EQ(button->PictureSize(), 0);
    EXPECT_EQ(button->PictureSizePx(), 16);

    // A value out of its range is reported under the key it came from and reads as the
    // default; the values around it still load.
    for (const auto& [stored, key] :
         {std::pair{Json{{"BackStyle", 12}}, "BackStyle"}, std::pair{Json{{"shape", 9}}, "Shape"},
          std::pair{Json{{"Mode", -1}}, "Mode"}, std::pair{Json{{"ImgSize", 20}}, "ImgSize"},
          std::pair{Json{{"CapAlign", 3}}, "CapAlign"},
          std::pair{Json{{"mPointer", 50}}, "mPointer"},
          std::pair{Json{{"mIcon", "pictures/btn_login.png"}}, "mIcon"}}) {
        SCOPED_TRACE(key);
        Json bag = stored;
        bag["Caption"] = "Kept";
        bag["Gradient"] = 2;
        const platform::forms::RejectedValueLog rejected;
        gxButtons_H* fresh = Fresh();
        fresh->ReadProperties(PropertyBag(bag, QStringLiteral("frmTest.json")));
        ASSERT_EQ(rejected.values().size(), 1u);
        EXPECT_EQ(rejected.values()[0].key, key);
        EXPECT_EQ(fresh->Caption(), "Kept");
        EXPECT_EQ(fresh->GradientMode(), 2);
        EXPECT_EQ(fresh->ButtonStyle(), 0);
        EXPECT_EQ(fresh->ButtonShape(), 0);
        EXPECT_EQ(fresh->Mode(), 0);
        EXPECT_EQ(fresh->PictureSizePx(), 16);
        EXPECT_EQ(fresh->CaptionAlign(), 2);
        EXPECT_EQ(fresh->MousePointer(), 0);
    }
}

TEST_F(ButtonTest, AccessKeysFromTheCaptionAndByMode) {
    const auto keyOf = [&](const char* caption) {
        button->SetCaption(QString::fromUtf8(caption));
        return button->AccessKeys().toStdString();
    };
    EXPECT_EQ(keyOf("&Save"), "S");
    EXPECT_EQ(keyOf("Save&"), "");
    EXPECT_EQ(keyOf("&Open"), "O");
    EXPECT_EQ(keyOf("Close"), "O");
    EXPECT_EQ(keyOf("Save && &Exit"), "E");
    EXPECT_EQ(keyOf("&File &Print"), "P");

    button->AccessKeyPress(13);  // a command button as the window's default
    EXPECT_EQ(clicks, 1);
    button->SetMode(1);
    button->AccessKeyPress(13);
    button->AccessKeyPress(27);
    EXPECT_EQ(clicks, 1);
    EXPECT_FALSE(button->Value());
    button->AccessKeyPress('P');
    EXPECT_EQ(clicks, 2);
    EXPECT_TRUE(button->Value());
}

TEST(ButtonResources, ADeletedButtonReleasesItsDrawingObjects) {
    const int before = platform::gdi::LiveObjectCount();
    QWidget window;
    window.resize(200, 100);
    auto* button = new gxButtons_H(&window);
    button->setGeometry(5, 5, 100, 40);
    button->InitProperties();
    button->SetCaption(QStringLiteral("&Draw"));
    button->SetPicture(Pic(Picture::Kind::Bitmap));
    button->SetFontStyle(2);
    window.show();
    button->resize(140, 50);
    button->grab();
    ASSERT_GT(button->RedrawCount(), 0);
    EXPECT_GT(platform::gdi::LiveObjectCount(), before);
    delete button;
    EXPECT_EQ(platform::gdi::LiveObjectCount(), before);
}

TEST_F(ButtonTest, ASizeBeyondWhatCanBeDrawnLeavesTheButtonBlankAndSaysSoOnce) {
    window.show();
    for (const int shape : {0, 5}) {
        SCOPED_TRACE(shape);
        Fresh()->SetButtonShape(shape);
        ASSERT_TRUE(testsupport::WaitFor([&] { return !button->FaceImage().isNull(); }));
        testing::internal::CaptureStderr();
        button->resize(32768, 1);
        button->Refresh();
        button->repaint();
        QApplication::processEvents();
        const std::string said = testing::internal::GetCapturedStderr();
        EXPECT_TRUE(button->FaceImage().isNull());
        EXPECT_EQ(button->size(), QSize(32768, 1));
        const std::string line = "quillmere: gxButtons_H1: cannot draw at 32768 x 1 device pixels";
        EXPECT_EQ(said.find(line), 0u) << said;
        EXPECT_EQ(said.find(line, 1), std::string::npos) << said;  // once

        // Back within reach, it draws again.
        button->resize(120, 1);
        EXPECT_TRUE(testsupport::WaitFor([&] { return !button->FaceImage().isNull(); }));
    }
}
