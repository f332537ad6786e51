// The button's behaviour: mouse, keyboard, focus and container changes, the three modes, the
// option-group registry kept on the container, hover tracking with its timer, the one-pixel
// movement of picture-shaped buttons, and the control's lifetime.
//
// The expected refusals (a container that is gone, an option-group slot naming no live button)
// are return values. Nothing here catches exceptions: an unexpected one, such as running out of
// memory, reaches whoever delivered the event (the form guards the handlers it wires itself).

#include <QDrag>
#include <QDropEvent>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMetaMethod>
#include <QMimeData>
#include <QMouseEvent>
#include <QPointer>
#include <QShortcutEvent>
#include <unordered_set>

#include "controls/gxButtons_H/gxButtons_H.h"

namespace win = platform::window;

namespace {

// The hover timer: its identifier on the button's window, and how often it looks for the
// cursor (often enough that leaving feels immediate, rarely enough to cost nothing).
constexpr int kHoverTimerId = 1;
constexpr int kHoverIntervalMs = 50;
constexpr std::intptr_t kTimerTag = 237;

// Every button alive. Registry entries and timer ticks name buttons by address; an address is
// used only while it names a live button.
std::unordered_set<const gxButtons_H*>& LiveButtons() {
    static std::unordered_set<const gxButtons_H*> live;
    return live;
}

gxButtons_H* LiveButton(std::intptr_t address) {
    auto* b = reinterpret_cast<gxButtons_H*>(address);
    return LiveButtons().count(b) ? b : nullptr;
}

QByteArray ObjKey(int i) {
    return "gx_Obj" + QByteArray::number(i);
}

// Drop effects: 1 copy, 2 move, 4 link.
std::int32_t EffectOf(Qt::DropActions a) {
    return ((a & Qt::CopyAction) ? 1 : 0) | ((a & Qt::MoveAction) ? 2 : 0) |
           ((a & Qt::LinkAction) ? 4 : 0);
}

// The key data of a posted arrow key: repeat count 1, the key's scan code in bits 16 to 23.
std::uint32_t ArrowKeyData(int vk) {
    switch (vk) {
        case win::VK_LEFT:
            return 0x4B0001;
        case win::VK_UP:
            return 0x480001;
        case win::VK_RIGHT:
            return 0x4D0001;
        default:
            return 0x500001;
    }
}

bool IsArrow(int vk) {
    return vk >= win::VK_LEFT && vk <= win::VK_DOWN;
}

// Data handed out by a drag the button starts. A format declared with empty data is filled
// on demand through OLESetData.
class DragData : public QMimeData {
public:
    explicit DragData(gxButtons_H* button) : mButton(button) {}

protected:
    QVariant retrieveData(const QString& mimeType, QMetaType type) const override {
        if (mButton && QMimeData::data(mimeType).isEmpty()) {
            QMimeData* self = const_cast<DragData*>(this);
            std::int16_t format = mimeType == QLatin1String("text/plain")      ? 1
                                  : mimeType == QLatin1String("text/uri-list") ? 15
                                                                               : 0;
            emit mButton->OLESetData(self, format);
        }
        return QMimeData::retrieveData(mimeType, type);
    }

private:
    QPointer<gxButtons_H> mButton;
};

}  // namespace

// ---- Lifetime ----

gxButtons_H::gxButtons_H(QWidget* parent) : QWidget(parent) {
    LiveButtons().insert(this);
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

gxButtons_H::~gxButtons_H() {
    LiveButtons().erase(this);
    // A button that ends leaves its option group, so the registry never names a dead button.
    if (mMode == 2)
        if (QWidget* c = Container()) LeaveOptionGroup(c);
    if (mHovering) win::KillTimer(this, kHoverTimerId);
    if (win::GetCapture() == this) win::ReleaseCapture();
    ReleaseDrawingResources();
}

QWidget* gxButtons_H::Container() const {
    return win::FromHandle(mTag.toULongLong());
}

// ---- Mouse ----

void gxButtons_H::UserControl_MouseDown(std::int16_t Button, std::int16_t Shift, float X, float Y) {
    QPointer<gxButtons_H> self(this);
    mLastButton = Button;
    if (Button == 1) {
        mStateFlags |= kHeld;
        mHeldDown = true;
        mDelayDrawing = false;
        RedrawButton();
        win::SetCapture(this);
    }
    emit MouseDown(Button, Shift, X, Y);
}

void gxButtons_H::UserControl_MouseMove(std::int16_t Button, std::int16_t Shift, float X, float Y) {
    QPointer<gxButtons_H> self(this);
    if (!mHovering && win::WindowFromPoint(win::GetCursorPos()) == this) {
        mStateFlags |= kHoverLook;
        bool on = true;
        emit MouseOnButton(on);
        if (!self) return;
        win::SetProp(this, "gx_ClassID", reinterpret_cast<std::intptr_t>(this));
        win::SetProp(this, "gx_TimerID", kTimerTag);
        // The tick finds its button through the window's gx_ClassID.
        QWidget* window = this;
        win::SetTimer(window, kHoverTimerId, kHoverIntervalMs, [window](int id) {
            if (gxButtons_H* b = LiveButton(win::GetProp(window, "gx_ClassID")))
                b->CheckHoverExit(id);
        });
        mHovering = true;
        mDelayDrawing = false;
        if (Button == 1) mHeldDown = true;
        RedrawButton();
    }
    emit MouseMove(Button, Shift, X, Y);
}

void gxButtons_H::CheckHoverExit(int timerId) {
    if (win::WindowFromPoint(win::GetCursorPos()) == this) return;
    QPointer<gxButtons_H> self(this);
    win::KillTimer(this, timerId);
    mStateFlags &= ~kHoverLook;
    mHovering = false;
    mDelayDrawing = false;
    bool off = false;
    emit MouseOnButton(off);
    if (!self) return;
    mHeldDown = false;
    RedrawButton();
}

void gxButtons_H::UserControl_MouseUp(std::int16_t Button, std::int16_t Shift, float X, float Y) {
    QPointer<gxButtons_H> self(this);
    mHeldDown = false;
    if (Button == 1) {
        win::ReleaseCapture();
        mStateFlags &= ~kHeld;
        mDelayDrawing = false;
        // Check boxes and option buttons redraw from the change of Value in the click.
        if (mMode == 0) RedrawButton();
    }
    std::int16_t b = Button, s = Shift;
    float x = X, y = Y;
    emit MouseUp(b, s, x, y);
    if (!self) return;
    mLastButton = Button;
}

void gxButtons_H::UserControl_Click() {
    if (mLastButton != 1) return;  // right and middle clicks raise no Click
    switch (mMode) {
        case 0:
            emit Click();
            break;
        case 1: {
            QPointer<gxButtons_H> self(this);
            SetValue(!mValue);
            if (self) emit Click();
            break;
        }
        case 2: {
            if (mValue) return;
            QPointer<gxButtons_H> self(this);
            SetValue(true);
            if (self) emit Click();
            break;
        }
        default:
            break;
    }
}

void gxButtons_H::UserControl_DblClick() {
    QPointer<gxButtons_H> self(this);
    const QPoint at = win::ScreenToClient(this, win::GetCursorPos());
    std::int16_t button = mLastButton;
    emit DoubleClick(button);
    if (!self) return;
    if (mLastButton == 1) {
        // The second press shows the button pressed again; it makes no Click.
        UserControl_MouseDown(1, 0, float(at.x()), float(at.y()));
        if (self) mLastButton = -1;
    } else {
        std::int16_t b = 1, s = 0;
        float x = float(at.x()), y = float(at.y());
        emit MouseDown(b, s, x, y);
    }
}

void gxButtons_H::mousePressEvent(QMouseEvent* e) {
    const std::int16_t button = win::ButtonBits(e->button());
    if (button == 0) return;
    mClickArmed = true;
    UserControl_MouseDown(button, win::ShiftBits(e->modifiers()), float(e->position().x()),
                          float(e->position().y()));
}

void gxButtons_H::mouseReleaseEvent(QMouseEvent* e) {
    const std::int16_t button = win::ButtonBits(e->button());
    if (button == 0) return;
    QPointer<gxButtons_H> self(this);
    const QPoint at = e->position().toPoint();
    UserControl_MouseUp(button, win::ShiftBits(e->modifiers()), float(e->position().x()),
                        float(e->position().y()));
    if (!self) return;
    // The platform's click: a release over the button (inside its shape) completing a press
    // that started on it.
    const bool over = rect().contains(at) && (mask().isEmpty() || mask().contains(at));
    const bool click = mClickArmed && over;
    mClickArmed = false;
    if (click) UserControl_Click();
}

void gxButtons_H::mouseDoubleClickEvent(QMouseEvent* e) {
    if (win::ButtonBits(e->button()) == 0) return;
    mClickArmed = false;
    UserControl_DblClick();
}

void gxButtons_H::mouseMoveEvent(QMouseEvent* e) {
    UserControl_MouseMove(win::ButtonBits(e->buttons()), win::ShiftBits(e->modifiers()),
                          float(e->position().x()), float(e->position().y()));
}

// ---- Keyboard ----

void gxButtons_H::UserControl_KeyDown(std::int16_t KeyCode, std::int16_t Shift) {
    if (IsArrow(KeyCode)) {
        // The container moves the focus.
        win::PostKeyDown(mTag.toULongLong(), KeyCode, ArrowKeyData(KeyCode));
        KeyCode = 0;
    } else if (KeyCode == win::VK_SPACE && !(mStateFlags & kHeld)) {
        mStateFlags |= kHoverLook | kHeld;
        mHeldDown = true;
        RedrawButton();
        // The pressed face stays on screen until the key is released.
        if (!mHovering) mStateFlags &= ~kHoverLook;
    }
    if (KeyCode != 0) emit KeyDown(KeyCode, Shift);
}

void gxButtons_H::UserControl_KeyUp(std::int16_t KeyCode, std::int16_t Shift) {
    QPointer<gxButtons_H> self(this);
    mHeldDown = false;
    if (KeyCode == win::VK_SPACE && (mStateFlags & kHeld)) {
        mStateFlags &= ~kHeld;
        mLastButton = 1;
        if (mMode == 0) {
            RedrawButton();
        } else {
            std::int16_t k = KeyCode, s = Shift;
            emit KeyUp(k, s);
            if (!self) return;
            KeyCode = 0;
        }
        UserControl_Click();
        if (!self) return;
    }
    if (IsArrow(KeyCode)) {
        KeyCode = 0;
        // The option button the arrow key moved the focus to becomes the selected one.
        if (mMode == 2 && !mValue) {
            mLastButton = 1;
            UserControl_Click();
            if (!self) return;
        }
    }
    if (KeyCode == win::VK_SHIFT) KeyCode = 0;
    if (KeyCode != 0) emit KeyUp(KeyCode, Shift);
}

void gxButtons_H::keyPressEvent(QKeyEvent* e) {
    const bool enter = e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter;
    if (enter && e->modifiers() == Qt::NoModifier &&
        platform::forms::AmbientOf(this).DisplayAsDefault) {
        // The button shown as the default (the focused one) takes Enter.
        AccessKeyPress(win::VK_RETURN);
        return;
    }
    QPointer<gxButtons_H> self(this);
    const int vk = win::VirtualKeyFromQtKey(e->key());
    if (vk != 0) UserControl_KeyDown(std::int16_t(vk), win::ShiftBits(e->modifiers()));
    if (!self) return;
    const QString text = e->text();
    if (!text.isEmpty() && text[0].unicode() < 0x8000) {
        std::int16_t ascii = std::int16_t(text[0].unicode());
        emit KeyPress(ascii);
        if (!self) return;
    }
    // Escape goes on to the window, whose cancel button may want it.
    if (e->key() == Qt::Key_Escape)
        e->ignore();
    else
        e->accept();
}

void gxButtons_H::keyReleaseEvent(QKeyEvent* e) {
    if (e->isAutoRepeat()) return;
    const int vk = win::VirtualKeyFromQtKey(e->key());
    if (vk != 0) UserControl_KeyUp(std::int16_t(vk), win::ShiftBits(e->modifiers()));
}

void gxButtons_H::AccessKeyPress(std::int16_t KeyAscii) {
    const bool enterOrEscape = KeyAscii == win::VK_RETURN || KeyAscii == win::VK_ESCAPE;
    if (enterOrEscape && (mMode == 1 || mMode == 2)) return;
    if (!enterOrEscape && !(mStateFlags & kFocusLook)) {
        QPointer<gxButtons_H> self(this);
        RedrawButton();
        if (!self) return;
    }
    mLastButton = 1;
    UserControl_Click();
}

void gxButtons_H::ClickAsMouse() {
    mLastButton = 1;
    UserControl_Click();
}

bool gxButtons_H::event(QEvent* e) {
    if (e->type() == QEvent::Shortcut) {
        auto* se = static_cast<QShortcutEvent*>(e);
        if (se->shortcutId() == mAccessKeyId && !mAccessKeys.isEmpty()) {
            // Clicks this button, or another, or moves the focus when the key is shared.
            platform::forms::AccessKeyTyped(this, se->key());
            return true;
        }
    }
    return QWidget::event(e);
}

// ---- Focus and container ----

void gxButtons_H::UserControl_GotFocus() {
    if (mMode != 2 || mValue) return;
    if (!OptionToggle(OptionAction::AskAnyChecked)) {
        // An option group without a selection selects the button that takes the focus.
        mLastButton = 1;
        UserControl_Click();
    }
}

void gxButtons_H::focusInEvent(QFocusEvent*) {
    QPointer<gxButtons_H> self(this);
    AmbientChanged(QStringLiteral("DisplayAsDefault"));
    if (self) UserControl_GotFocus();
}

void gxButtons_H::focusOutEvent(QFocusEvent*) {
    AmbientChanged(QStringLiteral("DisplayAsDefault"));
}

void gxButtons_H::AmbientChanged(const QString& PropertyName) {
    if (PropertyName.compare(QLatin1String("DisplayAsDefault"), Qt::CaseInsensitive) == 0) {
        const bool design = !UserMode();
        const bool look =
            platform::forms::AmbientOf(this).DisplayAsDefault && (mShowFocusRect || design);
        if (look)
            mStateFlags |= kFocusLook;
        else
            mStateFlags &= ~kFocusLook;
        if (design && mButtonShape >= 7) {
            // A default picture-shaped button shows its hover outline in the designer.
            mHovering = look;
            RedrawButton();
            mHovering = false;
        } else {
            RedrawButton();
        }
    } else if (PropertyName.compare(QLatin1String("BackColor"), Qt::CaseInsensitive) == 0) {
        mContainerBackColor = platform::Resolve(platform::forms::AmbientOf(this).BackColor);
        // These show the container's colour around the shape.
        if (mButtonShape > 3 || mButtonStyle == 5) RedrawButton();
    }
}

void gxButtons_H::showEvent(QShowEvent*) {
    if (!UserMode() && mShowFocusRect && platform::forms::AmbientOf(this).DisplayAsDefault) {
        mStateFlags |= kFocusLook;
        RedrawButton();
    }
}

// Qt reports a change of the enabled state as the button sees it: its own setting or its
// container's, whichever changed what the button shows.
void gxButtons_H::changeEvent(QEvent* e) {
    if (e->type() == QEvent::EnabledChange) ShowEnabledState();
    QWidget::changeEvent(e);
}

void gxButtons_H::ShowEnabledState() {
    // While drawing is held back (loading stored values) the caller lays out and redraws.
    if (mDelayDrawing) return;
    if (mButtonStyle == 3 && mMode == 0 && mButtonShape <= 3) {
        // This style cuts its corners only while enabled: the shape changes with the state.
        RebuildShapeAndLayout();
    }
    RedrawButton();
}

// ---- Option groups ----

bool gxButtons_H::OptionToggle(OptionAction action) {
    QWidget* c = Container();
    if (!c) return false;
    const int n = std::int16_t(win::GetProp(c, "gx_OptCount"));
    // A slot that names no live button ends the walk: the group stays as far as it was
    // updated, and the action itself is not carried out.
    const auto member = [c](int i) -> gxButtons_H* {
        const QByteArray key = ObjKey(i);
        return win::HasProp(c, key) ? LiveButton(win::GetProp(c, key)) : nullptr;
    };
    if (mValue && n > 0) {
        for (int i = 1; i <= n; ++i) {
            gxButtons_H* b = member(i);
            if (!b) return false;
            if (b != this) b->SetValue(false);
        }
    }
    switch (action) {
        case OptionAction::Join:
            win::SetProp(c, "gx_OptCount", n + 1);
            win::SetProp(c, ObjKey(n + 1), reinterpret_cast<std::intptr_t>(this));
            break;
        case OptionAction::Leave:
            LeaveOptionGroup(c);
            break;
        case OptionAction::AskAnyChecked:
            for (int i = 1; i <= n; ++i) {
                const gxButtons_H* b = member(i);
                if (!b) return false;
                if (b->mValue) return true;
            }
            break;
        case OptionAction::ClearOthers:
            break;
    }
    return false;
}

// Later entries move down one slot over this button's entry; the count drops by one and goes
// away with the last member. A button that is not in the group changes nothing.
void gxButtons_H::LeaveOptionGroup(QWidget* container) {
    const int n = std::int16_t(win::GetProp(container, "gx_OptCount"));
    const auto self = reinterpret_cast<std::intptr_t>(this);
    bool passed = false;
    for (int i = 1; i <= n; ++i) {
        const std::intptr_t entry = win::GetProp(container, ObjKey(i));
        if (passed)
            win::SetProp(container, ObjKey(i - 1), entry);
        else if (entry == self)
            passed = true;
    }
    if (!passed) return;
    win::RemoveProp(container, ObjKey(n));
    if (n == 1)
        win::RemoveProp(container, "gx_OptCount");
    else
        win::SetProp(container, "gx_OptCount", n - 1);
}

// ---- Custom click ----

bool gxButtons_H::ApplyCustomClickOffset() {
    if (mCustomClick == 0 || mButtonShape < 7 || mMode != 0) return false;
    static constexpr QPoint kOffsets[] = {{0, -1}, {1, -1}, {-1, -1}, {1, 1},
                                          {-1, 1}, {1, 0},  {0, 1},   {-1, 0}};
    const QPoint offset = kOffsets[mCustomClick - 1];
    const bool pressed = IsPressed();
    QRect r = geometry();  // the container is the parent: its client coordinates
    if (pressed && !(mStateFlags & kShifted)) {
        r.translate(offset);
        win::MoveWindow(this, r, false);
        mStateFlags |= kShifted;
        // The face on screen is reused at the new place. Inside a paint no copy is scheduled;
        // the update asks for one more paint all the same, which draws the face anew.
        ScheduleCopyToScreen();
        update();
        return true;
    }
    if ((mStateFlags & kShifted) && !pressed) {
        r.translate(-offset);
        win::MoveWindow(this, r, false);
        mStateFlags &= ~kShifted;
    }
    return false;
}

// ---- Drag and drop, forwarded ----

void gxButtons_H::connectNotify(const QMetaMethod& signal) {
    if (signal == QMetaMethod::fromSignal(&gxButtons_H::OLEDragDrop) ||
        signal == QMetaMethod::fromSignal(&gxButtons_H::OLEDragOver))
        setAcceptDrops(true);
}

// State 0 entering, 2 moving over.
void gxButtons_H::ForwardDragOver(QDragMoveEvent* e, std::int16_t state) {
    QMimeData* data = const_cast<QMimeData*>(e->mimeData());
    std::int32_t effect = EffectOf(e->proposedAction());
    std::int16_t button = win::ButtonBits(e->buttons()), shift = win::ShiftBits(e->modifiers());
    float x = float(e->position().x()), y = float(e->position().y());
    e->acceptProposedAction();
    emit OLEDragOver(data, effect, button, shift, x, y, state);
}

void gxButtons_H::dragEnterEvent(QDragEnterEvent* e) {
    ForwardDragOver(e, 0);
}

void gxButtons_H::dragMoveEvent(QDragMoveEvent* e) {
    ForwardDragOver(e, 2);
}

void gxButtons_H::dragLeaveEvent(QDragLeaveEvent*) {
    QMimeData* data = nullptr;
    std::int32_t effect = 0;
    std::int16_t button = 0, shift = 0, state = 1;
    float x = 0, y = 0;
    emit OLEDragOver(data, effect, button, shift, x, y, state);
}

void gxButtons_H::dropEvent(QDropEvent* e) {
    QMimeData* data = const_cast<QMimeData*>(e->mimeData());
    std::int32_t effect = EffectOf(e->proposedAction());
    std::int16_t button = win::ButtonBits(e->buttons()), shift = win::ShiftBits(e->modifiers());
    float x = float(e->position().x()), y = float(e->position().y());
    e->acceptProposedAction();
    emit OLEDragDrop(data, effect, button, shift, x, y);
}

void gxButtons_H::OLEDrag() {
    QPointer<gxButtons_H> self(this);
    auto* data = new DragData(this);
    QMimeData* handed = data;
    std::int32_t allowed = 3;  // copy and move
    emit OLEStartDrag(handed, allowed);
    if (!self) {
        delete data;
        return;
    }
    auto* drag = new QDrag(this);
    drag->setMimeData(data);
    connect(drag, &QDrag::actionChanged, this, [this](Qt::DropAction action) {
        std::int32_t effect = EffectOf(action);
        bool defaultCursors = true;
        emit OLEGiveFeedback(effect, defaultCursors);
    });
    const Qt::DropAction done = drag->exec(Qt::CopyAction | Qt::MoveAction);
    if (!self) return;
    std::int32_t effect = EffectOf(done);
    emit OLECompleteDrag(effect);
}
