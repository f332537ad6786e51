// The button's properties: what each setter accepts, refuses and sets off, the designer's
// descriptions, and the stored design values.

#include "controls/gxButtons_H/gxButtons_H.h"

#include <utility>

#include "platform/window/Desktop.h"
#include "platform/window/Window.h"

using platform::Colour;
using platform::kButtonFace;
using platform::kButtonText;
using platform::forms::PropertyBag;

namespace {

bool InRange(std::int32_t v, std::int32_t lo, std::int32_t hi) {
    return v >= lo && v <= hi;
}

// Hover lock bits: 1 the hover back colour is explicit, 2 the hover fore colour is.
bool BackFollows(std::int32_t locks) {
    return locks == 0 || locks == 2;
}
bool ForeFollows(std::int32_t locks) {
    return locks == 0 || locks == 1;
}

const std::pair<const char*, const char*> kDescriptions[] = {
    {"ButtonStyle", "Various operating system button styles"},
    {"Mode", "Command button, check box or option button mode"},
    {"Caption", "The caption of the button. Double pipe (||) is a line break."},
    {"CaptionAlign", "Horizontal alignment of caption on the button."},
    {"CaptionStyle", "Flat, Embossed or Engraved effects"},
    {"CustomClick",
     "Custom shaped buttons only. Moves the button vs the traditional click effect."},
    {"ButtonShape", "Rectangular or various diagonal shapes"},
    {"Picture", "The image used to display on the button."},
    {"PictureAlign", "Alignment of the button image in relation to the caption and/or button."},
    {"Enabled", "Determines if events are fired for this button."},
    {"ShowFocusRect",
     "Allows or prevents a focus rectangle from being displayed. In design mode, this may "
     "always be displayed for button set as Default."},
    {"Value", "Applicable to only check box or option button modes: True or False"},
    {"PictureSize",
     "Various sizes for images used on buttons. Last 2 options center image automatically."},
    {"MousePointer", "Various optional mouse pointers to use when mouse is over the button"},
    {"MouseIcon",
     "Icon or cursor used to display when mouse is over the button. MousePointer must be set "
     "to Custom."},
    {"Font", "Font used to display the caption."},
    {"FontStyle", "Various font attributes that can be changed directly."},
    {"ForeColor", "The color of the caption's font ."},
    {"BackColor", "Button back color. See also ResetDefaultColors"},
    {"GradientColor",
     "Secondary color used for gradient shades. The BackColor property is the primary color."},
    {"GradientMode", "Various directions to draw the gradient shading."},
    {"ResetDefaultColors",
     "Resets button's back color and text color to Window's standard. The hover properties "
     "are also reset."},
    {"HoverColorLocks",
     "Can ensure the hover colors match the caption and back colors. Click for more options."},
    {"HoverForeColor",
     "Color of button caption's text when mouse is hovering over it. Affects the "
     "HoverLockColors property."},
    {"HoverBackColor",
     "Color of button background when mouse is hovering over it. Affects the HoverLockColors "
     "property."},
};

const QString kCrLf = QStringLiteral("\r\n");

// The stored picture size in pixels: 16 to 48 in steps of 8, or 0 from data saved before a
// picture size was chosen (it reads as 16 on first use). Any other value keeps the default.
std::int16_t ReadPictureSizePx(const PropertyBag& bag) {
    constexpr std::int32_t kDefault = 16;
    const std::int32_t v = bag.ReadInt("ImgSize", kDefault);
    if (v == 0 || (InRange(v, 16, 48) && v % 8 == 0)) return std::int16_t(v);
    bag.Reject("ImgSize", QStringLiteral("is not 0, 16, 24, 32, 40 or 48"));
    return kDefault;
}

// The stored mouse pointer: a pointer constant 0 to 15, or 99 for the custom pointer.
std::int32_t ReadMousePointer(const PropertyBag& bag) {
    const std::int32_t v = bag.ReadInt("mPointer", 0);
    if (InRange(v, 0, 15) || v == 99) return v;
    bag.Reject("mPointer", QStringLiteral("is out of range"));
    return 0;
}

}  // namespace

QString gxButtons_H::Description(const QString& property) {
    for (const auto& [name, text] : kDescriptions)
        if (property.compare(QLatin1String(name), Qt::CaseInsensitive) == 0)
            return QString::fromUtf8(text);
    return {};
}

QString gxButtons_H::Category(const QString& property) {
    if (property.compare(QLatin1String("Caption"), Qt::CaseInsensitive) == 0)
        return QStringLiteral("Appearance");
    if (property.compare(QLatin1String("Enabled"), Qt::CaseInsensitive) == 0)
        return QStringLiteral("Behavior");
    if (property.compare(QLatin1String("Font"), Qt::CaseInsensitive) == 0)
        return QStringLiteral("Font");
    return {};
}

bool gxButtons_H::UserMode() const {
    return platform::forms::AmbientUserMode(this);
}

void gxButtons_H::ShowDesignMessage(const QString& text, const QString& title) {
    if (!UserMode()) platform::window::MsgBoxInfo(window(), text, title);
}

// ---- Setters ----

void gxButtons_H::SetButtonStyle(std::int32_t New_ButtonStyle) {
    if (!InRange(New_ButtonStyle, 0, 7)) return;
    const std::int32_t old = mButtonStyle;
    mButtonStyle = New_ButtonStyle;
    if (mButtonShape < 4 || ((old == 5 || New_ButtonStyle == 5) && mButtonShape < 7))
        RebuildShape();
    bool reprocess = false;
    LayoutFace(reprocess);
    UpdateDrawingResources(QStringLiteral("BackColor"));
    RedrawButton();
    emit PropertyChanged(QStringLiteral("BackStyle"));
}

void gxButtons_H::SetMode(std::int32_t New_Mode) {
    if (!InRange(New_Mode, 0, 2)) return;
    if (mMode == 2 && New_Mode < 2) OptionToggle(OptionAction::Leave);
    if (New_Mode == 2 && mMode < 2) OptionToggle(OptionAction::Join);
    if (New_Mode == 0 && mMode > 0) SetValue(false);
    mMode = New_Mode;
    RedrawButton();
    emit PropertyChanged(QStringLiteral("Mode"));
}

void gxButtons_H::SetCaption(const QString& New_Caption) {
    DeriveAccessKey(New_Caption);
    mCaption = New_Caption;
    bool reprocess = false;
    LayoutFace(reprocess);
    RedrawButton();
    emit PropertyChanged(QStringLiteral("Caption"));
}

void gxButtons_H::SetCaptionAlign(std::int32_t New_CaptionAlign) {
    if (!InRange(New_CaptionAlign, 0, 2)) return;
    if (New_CaptionAlign != 2 && mPictureAlign >= 4 && mPictureWidth + mPictureHeight >= 1) {
        ShowDesignMessage(QStringLiteral("When button images are aligned top/bottom center, ") +
                          kCrLf + QStringLiteral("button captions can only be center aligned"));
        return;
    }
    mCaptionAlign = New_CaptionAlign;
    bool reprocess = false;
    LayoutFace(reprocess);
    RedrawButton();
    emit PropertyChanged(QStringLiteral("CapAlign"));
}

void gxButtons_H::SetCaptionStyle(std::int32_t New_CaptionStyle) {
    if (!InRange(New_CaptionStyle, 0, 2)) return;
    mCaptionStyle = New_CaptionStyle;
    emit PropertyChanged(QStringLiteral("CapStyle"));
    if (!mCaption.isEmpty()) {
        bool reprocess = false;
        LayoutFace(reprocess);
        RedrawButton();
    }
}

void gxButtons_H::SetCustomClick(std::int32_t New_CustomClick) {
    if (!InRange(New_CustomClick, 0, 8)) return;
    if (mButtonShape < 7 && New_CustomClick > 0)
        ShowDesignMessage(QStringLiteral(
            "This property has no effect unless the Button Shape is a custom shape."));
    mCustomClick = New_CustomClick;
    emit PropertyChanged(QStringLiteral("CustomClick"));
}

void gxButtons_H::SetButtonShape(std::int32_t New_ButtonShape) {
    if (!InRange(New_ButtonShape, 0, 8)) return;
    if (New_ButtonShape >= 7) {
        if (mPicture.IsNone() || mPicture.kind() == platform::Picture::Kind::Icon) {
            ShowDesignMessage(QStringLiteral(
                "The Picture Property must be assigned first and must be a bitmap or JPEG."));
            return;
        }
        if (PictureSize() != 4) {
            DelayDrawing(true);
            SetPictureSize(4);
            mDelayDrawing = false;
        }
    }
    mButtonShape = New_ButtonShape;
    mCaptionAlign = 2;  // any shape leaves the caption centred
    UserControl_Resize();
    DelayDrawing(false);
    emit PropertyChanged(QStringLiteral("Shape"));
}

void gxButtons_H::SetPicture(const platform::Picture& New_Picture) {
    mPicture = New_Picture;
    if (mPictureSizePx == 0) mPictureSizePx = 16;
    UpdateDrawingResources(QStringLiteral("Picture"));
    if (mButtonShape < 7) {
        bool reprocess = true;
        LayoutFace(reprocess);
        RedrawButton();
    } else {
        if (mPicture.IsNone()) {
            SetButtonShape(0);
        } else if (mPicture.kind() == platform::Picture::Kind::Icon) {
            SetButtonShape(0);
            ShowDesignMessage(
                QStringLiteral("Icons cannot be used for custom buttons. Only use bitmaps or "
                               "JPEGs.") +
                kCrLf + QStringLiteral("Button was changed to Rectangular shaped."));
        }
        UserControl_Resize();
    }
    emit PropertyChanged(QStringLiteral("Image"));
}

void gxButtons_H::SetPictureAlign(std::int32_t New_PictureAlign) {
    if (!InRange(New_PictureAlign, 0, 5)) return;
    mPictureAlign = New_PictureAlign;
    if (New_PictureAlign >= 4) SetCaptionAlign(2);
    bool reprocess = false;
    LayoutFace(reprocess);
    RedrawButton();
    emit PropertyChanged(QStringLiteral("ImgAlign"));
}

void gxButtons_H::SetEnabled(bool New_Enabled) {
    if (New_Enabled == Enabled()) return;
    // A change that shows comes back through changeEvent, which redraws.
    setEnabled(New_Enabled);
    emit PropertyChanged(QStringLiteral("Enabled"));
}

void gxButtons_H::SetShowFocusRect(bool New_ShowFocusRect) {
    mShowFocusRect = New_ShowFocusRect;
    if (mStateFlags & kFocusLook) {
        if (UserMode()) {
            mStateFlags &= ~kFocusLook;
            RedrawButton();
        } else {
            ShowDesignMessage(
                QStringLiteral(
                    "The focus rectangle may appear on default buttons ONLY while in design "
                    "mode, ") +
                kCrLf + QStringLiteral("but will not appear when the form is running."));
        }
    } else {
        RedrawButton();
    }
    emit PropertyChanged(QStringLiteral("Focus"));
}

void gxButtons_H::SetValue(bool New_Value) {
    if (New_Value && mMode == 0) {
        ShowDesignMessage(
            QStringLiteral("This property is not applicable for command button modes."));
        return;
    }
    mValue = New_Value;
    if (New_Value && mMode == 2) OptionToggle(OptionAction::ClearOthers);
    RedrawButton();
    emit PropertyChanged(QStringLiteral("Value"));
}

std::int32_t gxButtons_H::PictureSize() {
    if (mPictureSizePx == 0) mPictureSizePx = 16;
    // 16 px is size 0 and 48 px size 4.
    return mPictureSizePx / 8 - 2;
}

void gxButtons_H::SetPictureSize(std::int32_t New_PictureSize) {
    if (!InRange(New_PictureSize, 0, 4)) return;
    if (mButtonShape == 7 || mButtonShape == 8) {
        ShowDesignMessage(QStringLiteral("The picture size cannot be changed for Shaped buttons"));
        return;
    }
    mPictureSizePx = std::int16_t((New_PictureSize + 2) * 8);
    bool reprocess = true;
    LayoutFace(reprocess);
    RedrawButton();
    emit PropertyChanged(QStringLiteral("ImgSize"));
}

void gxButtons_H::SetMousePointer(std::int32_t New_MousePointer) {
    // The pointer constants: 0 to 15, and 99 for the custom pointer.
    if (!InRange(New_MousePointer, 0, 15) && New_MousePointer != 99) return;
    mMousePointer = New_MousePointer;
    UpdateMousePointer();
    emit PropertyChanged(QStringLiteral("mPointer"));
}

void gxButtons_H::SetMouseIcon(const platform::Picture& New_MouseIcon) {
    const platform::Picture::Kind kind = New_MouseIcon.kind();
    if (kind != platform::Picture::Kind::None && kind != platform::Picture::Kind::Icon &&
        kind != platform::Picture::Kind::Cursor) {
        ShowDesignMessage(QStringLiteral("Invalid property value"),
                          QStringLiteral("Select .ico Or .cur Files Only"));
        return;
    }
    mMouseIcon = New_MouseIcon;
    UpdateMousePointer();
    if (!New_MouseIcon.IsNone()) {
        SetMousePointer(99);
        emit PropertyChanged(QStringLiteral("mIcon"));
    }
}

void gxButtons_H::UpdateMousePointer() {
    platform::forms::ApplyMousePointer(this, mMousePointer, mMouseIcon);
}

void gxButtons_H::SetFont(const QFont& New_Font) {
    setFont(New_Font);
    UpdateDrawingResources(QStringLiteral("Font"));
    bool reprocess = false;
    LayoutFace(reprocess);
    RedrawButton();
    emit PropertyChanged(QStringLiteral("Font"));
}

std::int32_t gxButtons_H::FontStyle() const {
    const QFont f = font();
    return 2 * f.bold() + 4 * f.italic() + 8 * f.underline();
}

void gxButtons_H::SetFontStyle(std::int32_t New_FontStyle) {
    QFont f = font();
    f.setBold((New_FontStyle & 2) != 0);
    f.setItalic((New_FontStyle & 4) != 0);
    f.setUnderline((New_FontStyle & 8) != 0);
    setFont(f);
    UpdateDrawingResources(QStringLiteral("Font"));
    bool reprocess = false;
    LayoutFace(reprocess);
    emit PropertyChanged(QStringLiteral("Font"));
    RedrawButton();
}

void gxButtons_H::SetForeColor(Colour New_ForeColor) {
    if (New_ForeColor == mForeColor) return;
    mForeColor = New_ForeColor;
    if (ForeFollows(mHoverColorLocks)) SetHoverForeColor(New_ForeColor);
    mDelayDrawing = false;
    RedrawButton();
    emit PropertyChanged(QStringLiteral("cFore"));
}

void gxButtons_H::SetBackColor(Colour New_BackColor) {
    mBackColor = New_BackColor;
    if (BackFollows(mHoverColorLocks))
        SetHoverBackColor(mGradientMode != 0 ? mGradientColor : New_BackColor);
    UpdateDrawingResources(QStringLiteral("BackColor"));
    RedrawButton();
    emit PropertyChanged(QStringLiteral("cBack"));
}

void gxButtons_H::SetGradientColor(Colour New_GradientColor) {
    if (BackFollows(mHoverColorLocks) && mGradientMode > 0) mHoverBackColor = New_GradientColor;
    mGradientColor = New_GradientColor;
    UpdateDrawingResources(QStringLiteral("BackColor"));
    if (mGradientMode != 0) RedrawButton();
    emit PropertyChanged(QStringLiteral("cGradient"));
}

void gxButtons_H::SetGradientMode(std::int32_t New_GradientMode) {
    if (!InRange(New_GradientMode, 0, 4)) return;
    mGradientMode = New_GradientMode;
    if (BackFollows(mHoverColorLocks)) {
        mHoverBackColor = New_GradientMode == 0 ? mBackColor : mGradientColor;
        UpdateDrawingResources(QStringLiteral("BackColor"));
    }
    RedrawButton();
    emit PropertyChanged(QStringLiteral("Gradient"));
}

void gxButtons_H::SetResetDefaultColors(bool New_ResetDefaultColors) {
    if (UserMode() || !New_ResetDefaultColors) return;
    DelayDrawing(true);
    mBackColor = kButtonFace;
    SetForeColor(kButtonText);
    SetGradientColor(kButtonFace);
    SetGradientMode(0);
    SetHoverColorLocks(0);
    UpdateDrawingResources(QStringLiteral("BackColor"));
    DelayDrawing(false);
    emit PropertyChanged(QStringLiteral("cGradient"));
    emit PropertyChanged(QStringLiteral("cBack"));
}

void gxButtons_H::SetHoverColorLocks(std::int32_t New_HoverColorLocks) {
    mHoverColorLocks = New_HoverColorLocks;
    if (BackFollows(New_HoverColorLocks)) {
        mHoverBackColor = mGradientMode != 0 ? mGradientColor : mBackColor;
        emit PropertyChanged(QStringLiteral("cBHover"));
    }
    if (ForeFollows(New_HoverColorLocks)) {
        mHoverForeColor = mForeColor;
        emit PropertyChanged(QStringLiteral("cFHover"));
    }
    UpdateDrawingResources(QStringLiteral("BackColor"));
    emit PropertyChanged(QStringLiteral("LockHover"));
}

void gxButtons_H::SetHoverForeColor(Colour New_HoverForeColor) {
    if (New_HoverForeColor == mHoverForeColor) return;
    mHoverForeColor = New_HoverForeColor;
    emit PropertyChanged(QStringLiteral("cFHover"));
    if (New_HoverForeColor != mForeColor) {
        if (mHoverColorLocks == 0) mHoverColorLocks = 2;
        if (mHoverColorLocks == 1) mHoverColorLocks = 3;
    }
    emit PropertyChanged(QStringLiteral("cFHover"));
}

void gxButtons_H::SetHoverBackColor(Colour New_HoverBackColor) {
    if (New_HoverBackColor == mHoverBackColor) return;
    mHoverBackColor = New_HoverBackColor;
    if (New_HoverBackColor != mBackColor) {
        if (mHoverColorLocks == 0) mHoverColorLocks = 1;
        if (mHoverColorLocks == 2) mHoverColorLocks = 3;
    }
    UpdateDrawingResources(QStringLiteral("BackColor"));
    emit PropertyChanged(QStringLiteral("cBHover"));
}

platform::gdi::HDC gxButtons_H::hDC() {
    if (!mBackDC) MakeBackBuffer();
    return mBackDC;
}

platform::window::Hwnd gxButtons_H::hwnd() {
    return platform::window::HandleOf(this);
}

void gxButtons_H::Refresh() {
    mDelayDrawing = false;
    RedrawButton();
}

void gxButtons_H::DelayDrawing(bool Delay) {
    mDelayDrawing = Delay;
    if (!Delay) Refresh();
}

// The character after the last single ampersand is the access key; "&&" stands for a literal
// ampersand, as the caption is drawn, so it marks nothing. A trailing ampersand gives no key;
// a caption that marks none keeps the key it had.
void gxButtons_H::DeriveAccessKey(const QString& caption) {
    bool marked = false;
    QString key;
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (caption[i] != QLatin1Char('&')) continue;
        if (i + 1 < caption.size() && caption[i + 1] == QLatin1Char('&')) {
            ++i;
            continue;
        }
        marked = true;
        key = i + 1 < caption.size() ? QString(caption[i + 1]) : QString();
    }
    if (!marked || key == mAccessKeys) return;
    mAccessKeys = key;
    if (mAccessKeyId != 0) releaseShortcut(mAccessKeyId);
    mAccessKeyId = 0;
    if (!key.isEmpty())
        mAccessKeyId = grabShortcut(platform::forms::AccessKeySequence(key), Qt::WindowShortcut);
}

// ---- New instance, loading and saving ----

void gxButtons_H::InitProperties() {
    mTag = QString::number(platform::window::HandleOf(parentWidget()));
    mCaption = objectName();
    mCaptionAlign = 2;
    mShowFocusRect = true;
    mHoverForeColor = kButtonText;
    mHoverBackColor = kButtonFace;
    if (parentWidget()) setFont(parentWidget()->font());
    mContainerBackColor = platform::Resolve(platform::forms::AmbientOf(this).BackColor);
    mBackColor = kButtonFace;
    UpdateDrawingResources(QStringLiteral("BackColor"));
    for (const char* key : {"Caption", "CapAlign", "Focus", "cFHover", "cBHover", "Font"})
        emit PropertyChanged(QString::fromLatin1(key));
}

void gxButtons_H::ReadProperties(const PropertyBag& bag) {
    mTag = QString::number(platform::window::HandleOf(parentWidget()));
    const platform::forms::Ambient ambient = platform::forms::AmbientOf(this);
    mContainerBackColor = platform::Resolve(ambient.BackColor);
    DelayDrawing(true);

    // Each read gives its default for a value it cannot use, and reports it.
    mCaption = bag.ReadString("Caption");
    mCaptionAlign = bag.ReadIntInRange("CapAlign", 2, 0, 2);
    mButtonStyle = bag.ReadIntInRange("BackStyle", 0, 0, 7);
    mButtonShape = bag.ReadIntInRange("Shape", 0, 0, 8);
    mGradientMode = bag.ReadIntInRange("Gradient", 0, 0, 4);
    mGradientColor = bag.ReadColour("cGradient", kButtonFace);
    mForeColor = bag.ReadColour("cFore", kButtonText);
    mShowFocusRect = bag.ReadBool("Focus", true);
    mMode = bag.ReadIntInRange("Mode", 0, 0, 2);
    mValue = bag.ReadBool("Value", false);
    mCustomClick = bag.ReadIntInRange("CustomClick", 0, 0, 8);
    mPicture = bag.ReadPicture("Image");
    mPictureSizePx = ReadPictureSizePx(bag);
    mPictureAlign = bag.ReadIntInRange("ImgAlign", 0, 0, 5);
    mHoverForeColor = bag.ReadColour("cFHover", kButtonText);
    setEnabled(bag.ReadBool("Enabled", true));
    mBackColor = bag.ReadColour("cBack", ambient.BackColor);
    mHoverBackColor = bag.ReadColour("cBHover", mBackColor);
    mHoverColorLocks = bag.ReadIntInRange("LockHover", 0, 0, 3);
    mCaptionStyle = bag.ReadIntInRange("CapStyle", 0, 0, 2);
    const platform::Picture icon = bag.ReadPicture("mIcon");
    if (icon.kind() == platform::Picture::Kind::Bitmap)
        bag.Reject("mIcon", QStringLiteral("is not an icon or a cursor"));
    else
        SetMouseIcon(icon);
    SetMousePointer(ReadMousePointer(bag));
    if (bag.Contains("Font")) setFont(bag.ReadFont("Font", font()));

    // Derived resources, the access key and the option group. None of these refuses a stored
    // value (the reads above did that); a failure here is unexpected and goes to the loader.
    UpdateDrawingResources(QStringLiteral("Picture"));
    UpdateDrawingResources(QStringLiteral("BackColor"));
    SetCaption(mCaption);
    if (mMode == 2) OptionToggle(OptionAction::Join);

    mDelayDrawing = false;
    UserControl_Resize();
}

void gxButtons_H::WriteProperties(PropertyBag& bag) const {
    bag.WriteString("Caption", mCaption);
    bag.WriteInt("CapAlign", mCaptionAlign, 2);
    bag.WriteInt("BackStyle", mButtonStyle, 0);
    bag.WriteInt("Shape", mButtonShape, 0);
    bag.WriteFontAlways("Font", font());
    bag.WriteColour("cFore", mForeColor, kButtonText);
    bag.WriteColour("cFHover", mHoverForeColor, kButtonText);
    bag.WriteColour("cBhover", mHoverBackColor, mBackColor);
    bag.WriteBool("Focus", mShowFocusRect, true);
    bag.WriteInt("LockHover", mHoverColorLocks, 0);
    bag.WriteColour("cGradient", mGradientColor, kButtonFace);
    bag.WriteInt("Gradient", mGradientMode, 0);
    bag.WriteInt("CapStyle", mCaptionStyle, 0);
    bag.WriteIntAlways("Mode", mMode);
    bag.WriteBoolAlways("Value", mValue);
    bag.WriteInt("CustomClick", mCustomClick, 0);
    bag.WriteInt("ImgAlign", mPictureAlign, 0);
    bag.WritePicture("Image", mPicture);
    bag.WriteInt("ImgSize", mPictureSizePx, 16);
    bag.WriteBool("Enabled", Enabled(), true);
    bag.WriteColourAlways("cBack", mBackColor);
    bag.WriteInt("mPointer", mMousePointer, 0);
    bag.WritePicture("mIcon", mMouseIcon);
}
