#include "platform/forms/StandardControls.h"

#include <QAbstractButton>
#include <QCursor>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QShortcutEvent>
#include <climits>
#include <cstdint>
#include <iterator>
#include <map>

#include "platform/Units.h"
#include "platform/browser/BrowserPane.h"
#include "platform/forms/DesignFile.h"

namespace platform::forms {

namespace {

std::map<std::string, ControlCreator>& Registry() {
    static std::map<std::string, ControlCreator> registry;
    return registry;
}

QFont DefaultFont() {
    QFont f(QStringLiteral("Arial"));
    f.setPointSizeF(8.25);
    return f;
}

Qt::Alignment HorizontalAlignment(int alignment) {
    switch (alignment) {
        case 1:
            return Qt::AlignRight;
        case 2:
            return Qt::AlignHCenter;
        default:
            return Qt::AlignLeft;
    }
}

void ReadPointer(QWidget* w, const PropertyBag& bag) {
    const int pointer = bag.ReadInt("MousePointer", 0);
    ApplyMousePointer(w, pointer, pointer == 99 ? bag.ReadPicture("MouseIcon") : Picture());
    const QString tip = bag.ReadString("ToolTipText");
    if (!tip.isEmpty()) w->setToolTip(tip);
}

// A press and a release of the left button inside the control make a click.
bool IsClickRelease(bool& pressed, QWidget* w, QMouseEvent* e) {
    const bool click = pressed && e->button() == Qt::LeftButton && w->rect().contains(e->pos());
    if (e->button() == Qt::LeftButton) pressed = false;
    return click;
}

// A link shows the hand cursor unless its design chose a pointer of its own (read before the
// window wires its handlers).
void ShowLinkCursor(QWidget* w, bool link) {
    if (link && !w->testAttribute(Qt::WA_SetCursor)) {
        w->setCursor(Qt::PointingHandCursor);
    } else if (!link && w->testAttribute(Qt::WA_SetCursor) &&
               w->cursor().shape() == Qt::PointingHandCursor) {
        w->unsetCursor();
    }
}

template <class T>
ControlCreator Simple() {
    return [](const ControlDesign&, QWidget* parent) { return new T(parent); };
}

}  // namespace

void DrawFocusOutline(QPainter& p, const QRect& r) {
    if (r.width() <= 0 || r.height() <= 0) return;
    QPolygon dots;
    const auto dot = [&](int x, int y) {
        if (((x + y) & 1) == 0) dots << QPoint(x, y);
    };
    for (int x = r.left(); x <= r.right(); ++x) {
        dot(x, r.top());
        if (r.bottom() > r.top()) dot(x, r.bottom());
    }
    for (int y = r.top() + 1; y < r.bottom(); ++y) {
        dot(r.left(), y);
        if (r.right() > r.left()) dot(r.right(), y);
    }
    p.save();
    // White under "difference" inverts each colour channel.
    p.setCompositionMode(QPainter::CompositionMode_Difference);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QPen(Qt::white, 0));
    p.drawPoints(dots);
    p.restore();
}

bool IsActivationKey(const QKeyEvent* e) {
    if (e->isAutoRepeat()) return false;
    const Qt::KeyboardModifiers mods = e->modifiers() & ~Qt::KeypadModifier;
    if (mods != Qt::NoModifier) return false;
    const int key = e->key();
    return key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space;
}

Ambient AmbientOf(const QWidget* control) {
    Ambient a;
    for (const QWidget* w = control ? control->parentWidget() : nullptr; w; w = w->parentWidget()) {
        const QVariant v = w->property("BackColor");
        if (v.isValid()) {
            a.BackColor = Colour(v.toUInt());
            break;
        }
    }
    a.UserMode = AmbientUserMode(control);
    a.DisplayAsDefault = control && control->hasFocus();
    return a;
}

bool AmbientUserMode(const QWidget* control) {
    if (!control) return true;
    const QVariant mode = control->window()->property("UserMode");
    return !mode.isValid() || mode.toBool();
}

void ApplyMousePointer(QWidget* w, int pointer, const Picture& icon) {
    // The nearest shape Qt offers for each of the platform's stock pointers. The "icon"
    // pointer (a small square) has no match: the drag-move shape, an arrow carrying a small
    // box, comes closest.
    static constexpr Qt::CursorShape kStock[] = {
        Qt::ArrowCursor,      // 0 default (not used: the widget's own cursor is unset)
        Qt::ArrowCursor,      // 1 arrow
        Qt::CrossCursor,      // 2 cross
        Qt::IBeamCursor,      // 3 I-beam
        Qt::DragMoveCursor,   // 4 icon
        Qt::SizeAllCursor,    // 5 size (all four directions)
        Qt::SizeBDiagCursor,  // 6 size north-east to south-west
        Qt::SizeVerCursor,    // 7 size north to south
        Qt::SizeFDiagCursor,  // 8 size north-west to south-east
        Qt::SizeHorCursor,    // 9 size west to east
        Qt::UpArrowCursor,    // 10 up arrow
        Qt::WaitCursor,       // 11 hourglass
        Qt::ForbiddenCursor,  // 12 no drop
        Qt::BusyCursor,       // 13 arrow and hourglass
        Qt::WhatsThisCursor,  // 14 arrow and question mark
        Qt::SizeAllCursor,    // 15 size all
    };
    if (pointer == 99) {
        if (!icon.IsNone())
            w->setCursor(
                QCursor(QPixmap::fromImage(icon.image()), icon.hotspot().x(), icon.hotspot().y()));
    } else if (pointer >= 1 && pointer < int(std::size(kStock))) {
        w->setCursor(kStock[pointer]);
    } else {
        w->unsetCursor();
    }
}

void SetContainerBackColor(QWidget* container, Colour colour) {
    container->setProperty("BackColor", QVariant::fromValue(uint(colour)));
    for (QWidget* w : container->findChildren<QWidget*>()) {
        auto* listener = dynamic_cast<AmbientListener*>(w);
        if (!listener) continue;
        const QWidget* from = w->parentWidget();
        while (from && !from->property("BackColor").isValid()) from = from->parentWidget();
        if (from == container) listener->AmbientChanged(QStringLiteral("BackColor"));
    }
}

const char* WindowButtonKey(WindowButton role) {
    return role == WindowButton::Default ? "Default" : "Cancel";
}

bool IsWindowButton(const QWidget* control, WindowButton role) {
    return control->property(WindowButtonKey(role)).toBool();
}

void SetWindowButton(QWidget* control, WindowButton role, bool on) {
    control->setProperty(WindowButtonKey(role), on ? QVariant(true) : QVariant());
}

bool PressWindowButton(QWidget* control, WindowButton role) {
    if (auto* target = dynamic_cast<AccessKeyTarget*>(control)) {
        target->AccessKeyPress(std::int16_t(role == WindowButton::Default ? 13 : 27));
        return true;
    }
    if (auto* button = qobject_cast<QAbstractButton*>(control)) {
        button->animateClick();
        return true;
    }
    return false;
}

void RegisterControl(const std::string& type, ControlCreator creator) {
    Registry()[type] = std::move(creator);
}

const ControlCreator* FindControlType(const std::string& type) {
    RegisterStandardControls();
    const auto it = Registry().find(type);
    return it == Registry().end() ? nullptr : &it->second;
}

void RegisterStandardControls() {
    static bool done = false;
    if (done) return;
    done = true;
    RegisterControl("Label", Simple<Label>());
    RegisterControl("Image", Simple<Image>());
    RegisterControl("Frame", Simple<Frame>());
    RegisterControl("Line", Simple<Line>());
    RegisterControl("PictureBox", Simple<PictureBox>());
    RegisterControl("TextBox", Simple<TextBox>());
    RegisterControl("CommandButton", Simple<CommandButton>());
    RegisterControl("WebBrowser", [](const ControlDesign& d, QWidget* parent) -> QWidget* {
        auto* pane = browser::BrowserPane::Create(parent);
        const QString tip = d.bag.ReadString("ToolTipText");
        if (!tip.isEmpty()) pane->SetToolTipText(tip);
        return pane;
    });
}

// ---- Label ----

Label::Label(QWidget* parent) : QWidget(parent) {
    setFont(DefaultFont());
}

void Label::ReadProperties(const PropertyBag& bag) {
    mCaption = bag.ReadString("Caption");
    mAlignment = bag.ReadIntInRange("Alignment", 0, 0, 2);
    mBackStyle = bag.ReadIntInRange("BackStyle", 1, 0, 1);
    mBackColor = bag.ReadColour("BackColor", kButtonFace);
    mForeColor = bag.ReadColour("ForeColor", kButtonText);
    mUseMnemonic = bag.ReadBool("UseMnemonic", true);
    setFont(bag.ReadFont("Font", font()));
    ReadPointer(this, bag);
    update();
}

void Label::WriteProperties(PropertyBag& bag) const {
    bag.WriteString("Caption", mCaption);
    bag.WriteInt("Alignment", mAlignment, 0);
    bag.WriteInt("BackStyle", mBackStyle, 1);
    bag.WriteColour("BackColor", mBackColor, kButtonFace);
    bag.WriteColour("ForeColor", mForeColor, kButtonText);
    bag.WriteBool("UseMnemonic", mUseMnemonic, true);
    bag.WriteFontAlways("Font", font());
}

void Label::SetCaption(const QString& caption) {
    mCaption = caption;
    update();
}

void Label::SetLink(bool link) {
    if (link == mLink) return;
    mLink = link;
    setFocusPolicy(link ? Qt::TabFocus : Qt::NoFocus);
    ShowLinkCursor(this, link);
    if (!link) mHover = false;
    update();
}

int Label::TextFlags() const {
    int flags = int(HorizontalAlignment(mAlignment)) | Qt::AlignTop | Qt::TextWordWrap;
    return flags | (mUseMnemonic ? Qt::TextShowMnemonic : 0);
}

QRect Label::TextRect() const {
    QFont f = font();
    f.setUnderline(false);
    return QFontMetrics(f).boundingRect(rect(), TextFlags(), mCaption) & rect();
}

void Label::paintEvent(QPaintEvent*) {
    QPainter p(this);
    if (mBackStyle != 0) p.fillRect(rect(), ToQColor(mBackColor));
    p.setPen(isEnabled() ? ToQColor(mForeColor) : ToQColor(0x80000011u));
    if (mLink && (mHover || hasFocus())) {
        QFont underlined = font();
        underlined.setUnderline(true);
        p.setFont(underlined);
    }
    p.drawText(rect(), TextFlags(), mCaption);
    // The outline sits one pixel outside the text where the label leaves room for it.
    if (hasFocus() && !mCaption.isEmpty())
        DrawFocusOutline(p, TextRect().adjusted(-1, 0, 1, 1) & rect());
}

void Label::mousePressEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton) mPressed = true;
}

void Label::mouseReleaseEvent(QMouseEvent* e) {
    if (IsClickRelease(mPressed, this, e)) emit Click();
}

void Label::keyPressEvent(QKeyEvent* e) {
    if (mLink && IsActivationKey(e)) {
        emit Click();
        return;
    }
    // Arrows and the rest go on to the window.
    QWidget::keyPressEvent(e);
}

void Label::focusInEvent(QFocusEvent* e) {
    update();
    QWidget::focusInEvent(e);
}

void Label::focusOutEvent(QFocusEvent* e) {
    update();
    QWidget::focusOutEvent(e);
}

void Label::enterEvent(QEnterEvent* e) {
    if (mLink) {
        mHover = true;
        update();
    }
    QWidget::enterEvent(e);
}

void Label::leaveEvent(QEvent* e) {
    if (mHover) {
        mHover = false;
        update();
    }
    QWidget::leaveEvent(e);
}

// ---- Image ----

Image::Image(QWidget* parent) : QWidget(parent) {}

void Image::ReadProperties(const PropertyBag& bag) {
    mPicture = bag.ReadPicture("Picture");
    mStretch = bag.ReadBool("Stretch", false);
    ReadPointer(this, bag);
    update();
}

void Image::WriteProperties(PropertyBag& bag) const {
    bag.WritePicture("Picture", mPicture);
    bag.WriteBool("Stretch", mStretch, false);
}

void Image::SetLink(bool link) {
    if (link == mLink) return;
    mLink = link;
    ShowLinkCursor(this, link);
}

void Image::SetPicture(const platform::Picture& picture) {
    mPicture = picture;
    update();
}

void Image::paintEvent(QPaintEvent*) {
    if (mPicture.IsNone()) return;
    QPainter p(this);
    if (mStretch) {
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        p.drawImage(rect(), mPicture.image());
    } else {
        p.drawImage(QPoint(0, 0), mPicture.image());
    }
}

void Image::mousePressEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton) mPressed = true;
}

void Image::mouseReleaseEvent(QMouseEvent* e) {
    if (IsClickRelease(mPressed, this, e)) emit Click();
}

// ---- Frame ----

Frame::Frame(QWidget* parent) : QWidget(parent) {
    setFont(DefaultFont());
}

void Frame::ReadProperties(const PropertyBag& bag) {
    mCaption = bag.ReadString("Caption");
    mBackColor = bag.ReadColour("BackColor", kButtonFace);
    mForeColor = bag.ReadColour("ForeColor", kButtonText);
    setFont(bag.ReadFont("Font", font()));
    SetContainerBackColor(this, mBackColor);
    update();
}

void Frame::WriteProperties(PropertyBag& bag) const {
    bag.WriteString("Caption", mCaption);
    bag.WriteColour("BackColor", mBackColor, kButtonFace);
    bag.WriteColour("ForeColor", mForeColor, kButtonText);
    bag.WriteFontAlways("Font", font());
}

void Frame::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), ToQColor(mBackColor));
    const QFontMetrics fm(font());
    const int top = fm.height() / 2;
    // An etched border: a grey line with a white one just inside and below it.
    const QRect box(0, top, width() - 2, height() - top - 2);
    p.setPen(ToQColor(0x80000010u));
    p.drawRect(box);
    p.setPen(Qt::white);
    p.drawRect(box.translated(1, 1));
    if (!mCaption.isEmpty()) {
        const int flags = Qt::AlignLeft | Qt::AlignTop | Qt::TextShowMnemonic | Qt::TextSingleLine;
        QRect text = fm.boundingRect(QRect(8, 0, width() - 16, fm.height()), flags, mCaption);
        text.adjust(-2, 0, 2, 0);
        p.fillRect(text, ToQColor(mBackColor));
        p.setPen(ToQColor(mForeColor));
        p.drawText(text, Qt::AlignCenter | Qt::TextShowMnemonic, mCaption);
    }
}

// ---- Line ----

Line::Line(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void Line::ReadProperties(const PropertyBag& bag) {
    // Ends and widths beyond what a surface can hold are refused like any value out of range
    // (the property keeps its default); a line between far ends is cut at the longest side a
    // surface can have.
    constexpr std::int32_t kMaxTwips = kMaxSurfaceSide * kTwipsPerPixel;
    constexpr std::int32_t kMaxWidth = 8192;
    mX1 = bag.ReadIntInRange("X1", 0, -kMaxTwips, kMaxTwips);
    mY1 = bag.ReadIntInRange("Y1", 0, -kMaxTwips, kMaxTwips);
    mX2 = bag.ReadIntInRange("X2", 0, -kMaxTwips, kMaxTwips);
    mY2 = bag.ReadIntInRange("Y2", 0, -kMaxTwips, kMaxTwips);
    mBorderColor = bag.ReadColour("BorderColor", 0x80000008u);
    mBorderWidth = std::max(1, int(bag.ReadIntInRange("BorderWidth", 1, INT32_MIN, kMaxWidth)));
    const QPoint a(TwipsToPixels(mX1), TwipsToPixels(mY1));
    const QPoint b(TwipsToPixels(mX2), TwipsToPixels(mY2));
    const auto side = [this](int from, int to) {
        return int(std::min<std::int64_t>(std::abs(std::int64_t(to) - from) + mBorderWidth,
                                          kMaxSurfaceSide));
    };
    setGeometry(std::min(a.x(), b.x()), std::min(a.y(), b.y()), side(a.x(), b.x()),
                side(a.y(), b.y()));
    update();
}

void Line::WriteProperties(PropertyBag& bag) const {
    bag.WriteInt("X1", mX1, 0);
    bag.WriteInt("Y1", mY1, 0);
    bag.WriteInt("X2", mX2, 0);
    bag.WriteInt("Y2", mY2, 0);
    bag.WriteColour("BorderColor", mBorderColor, 0x80000008u);
    bag.WriteInt("BorderWidth", mBorderWidth, 1);
}

void Line::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QPoint origin = geometry().topLeft();
    const QPoint a = QPoint(TwipsToPixels(mX1), TwipsToPixels(mY1)) - origin;
    const QPoint b = QPoint(TwipsToPixels(mX2), TwipsToPixels(mY2)) - origin;
    if (a.y() == b.y()) {
        p.fillRect(QRect(QPoint(std::min(a.x(), b.x()), a.y()),
                         QSize(std::abs(b.x() - a.x()), mBorderWidth)),
                   ToQColor(mBorderColor));
    } else if (a.x() == b.x()) {
        p.fillRect(QRect(QPoint(a.x(), std::min(a.y(), b.y())),
                         QSize(mBorderWidth, std::abs(b.y() - a.y()))),
                   ToQColor(mBorderColor));
    } else {
        p.setPen(QPen(ToQColor(mBorderColor), mBorderWidth));
        p.drawLine(a, b);
    }
}

// ---- PictureBox ----

PictureBox::PictureBox(QWidget* parent) : QWidget(parent) {}

void PictureBox::ReadProperties(const PropertyBag& bag) {
    mPicture = bag.ReadPicture("Picture");
    mBackColor = bag.ReadColour("BackColor", kButtonFace);
    mBorderStyle = bag.ReadIntInRange("BorderStyle", 1, 0, 1);
    SetContainerBackColor(this, mBackColor);
    ReadPointer(this, bag);
    update();
}

void PictureBox::WriteProperties(PropertyBag& bag) const {
    bag.WritePicture("Picture", mPicture);
    bag.WriteColour("BackColor", mBackColor, kButtonFace);
    bag.WriteInt("BorderStyle", mBorderStyle, 1);
}

void PictureBox::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), ToQColor(mBackColor));
    const int inset = mBorderStyle == 1 ? 2 : 0;
    if (!mPicture.IsNone()) p.drawImage(QPoint(inset, inset), mPicture.image());
    if (mBorderStyle == 1) {
        // A sunken edge: dark on the top and left, light on the bottom and right.
        const int r = width() - 1, b = height() - 1;
        p.setPen(ToQColor(0x80000010u));
        p.drawLine(0, 0, r, 0);
        p.drawLine(0, 0, 0, b);
        p.setPen(ToQColor(0x80000015u));
        p.drawLine(1, 1, r - 1, 1);
        p.drawLine(1, 1, 1, b - 1);
        p.setPen(Qt::white);
        p.drawLine(0, b, r, b);
        p.drawLine(r, 0, r, b);
    }
}

// ---- TextBox ----

TextBox::TextBox(QWidget* parent) : QLineEdit(parent) {
    setFont(DefaultFont());
}

void TextBox::ReadProperties(const PropertyBag& bag) {
    setText(bag.ReadString("Text"));
    setFont(bag.ReadFont("Font", font()));
}

void TextBox::WriteProperties(PropertyBag& bag) const {
    bag.WriteString("Text", text());
}

// ---- CommandButton ----

CommandButton::CommandButton(QWidget* parent) : QPushButton(parent) {
    setFont(DefaultFont());
    connect(this, &QPushButton::clicked, this, &CommandButton::Click);
}

void CommandButton::ReadProperties(const PropertyBag& bag) {
    setText(bag.ReadString("Caption"));
    for (WindowButton role : kWindowButtons)
        SetWindowButton(this, role, bag.ReadBool(WindowButtonKey(role), false));
    // The platform draws the default button with a heavier frame.
    setDefault(IsWindowButton(this, WindowButton::Default));
    setFont(bag.ReadFont("Font", font()));
    ReadPointer(this, bag);
}

void CommandButton::WriteProperties(PropertyBag& bag) const {
    bag.WriteString("Caption", text());
    for (WindowButton role : kWindowButtons)
        bag.WriteBool(WindowButtonKey(role), IsWindowButton(this, role), false);
    bag.WriteFontAlways("Font", font());
}

bool CommandButton::IsCancel() const {
    return IsWindowButton(this, WindowButton::Cancel);
}

bool CommandButton::event(QEvent* e) {
    if (e->type() == QEvent::Shortcut) {
        auto* se = static_cast<QShortcutEvent*>(e);
        if (!se->key().isEmpty() && se->key() == QKeySequence::mnemonic(text())) {
            AccessKeyTyped(this, se->key());
            return true;
        }
    }
    return QPushButton::event(e);
}

}  // namespace platform::forms
