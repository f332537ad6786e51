// The picture viewer's mouse handling: dragging the picture by the cursor's screen position,
// the hand cursors, and the five events.
//
// PicScroll's mouse events arrive through the control's event filter, which is where they leave
// Qt's event loop: each runs to its end (nothing in it refuses), and an unexpected failure stops
// there, reported, instead of going back into the loop. The events are raised after the
// control's own handling. Positions are pixels; the drag reads the cursor in screen pixels.

#include <QEvent>
#include <QMouseEvent>
#include <QPointer>

#include "controls/ScrollPicture/ScrollPicture.h"
#include "controls/ScrollPicture/Support.h"
#include "platform/window/Desktop.h"

using scrollpicture::AtEventLoopBoundary;

namespace {

// The new scroll offset after the cursor moved by `delta` along one axis: the picture follows
// the cursor and stops at its edges (0 and `max`). The result lies between `scroll` and one of
// those edges, so it always fits 32 bits.
std::int32_t Follow(std::int32_t scroll, std::int32_t max, std::int64_t delta) {
    const std::int64_t moved = std::int64_t(scroll) - delta;
    if (delta > 0) return moved > 0 ? std::int32_t(moved) : 0;
    return moved < max ? std::int32_t(moved) : max;
}

}  // namespace

bool ScrollPicture::eventFilter(QObject* watched, QEvent* event) {
    // A disabled control takes no mouse input: PicScroll's own handling drops it.
    if (watched != PicScroll || !isEnabled()) return QWidget::eventFilter(watched, event);
    switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseMove:
        case QEvent::MouseButtonDblClick: {
            auto* e = static_cast<QMouseEvent*>(event);
            AtEventLoopBoundary("mouse", [&] { PicScroll_Mouse(e); });
            return true;
        }
        default:
            return QWidget::eventFilter(watched, event);
    }
}

void ScrollPicture::PicScroll_Mouse(QMouseEvent* e) {
    const auto shift = platform::window::ShiftBits(e->modifiers());
    const auto x = float(e->position().x()), y = float(e->position().y());
    switch (e->type()) {
        case QEvent::MouseButtonPress:
            PicScroll_MouseDown(platform::window::ButtonBits(e->button()), shift, x, y);
            break;
        case QEvent::MouseMove:
            PicScroll_MouseMove(platform::window::ButtonBits(e->buttons()), shift, x, y);
            break;
        case QEvent::MouseButtonRelease: {
            const bool click = mClickArmed && e->button() == Qt::LeftButton &&
                               PicScroll->rect().contains(e->position().toPoint());
            if (e->button() == Qt::LeftButton) mClickArmed = false;
            QPointer<ScrollPicture> self(this);
            PicScroll_MouseUp(platform::window::ButtonBits(e->button()), shift, x, y);
            if (click && self) emit Click();
            break;
        }
        default:
            // The second press of a double click raises DblClick alone; its release is a
            // MouseUp without a click.
            mClickArmed = false;
            if (e->button() == Qt::LeftButton) emit DblClick();
            break;
    }
}

void ScrollPicture::PicScroll_MouseDown(std::int16_t Button, std::int16_t Shift, float X, float Y) {
    mDragging = true;
    if (Button == 1) {
        mClickArmed = true;
        // Seen only while the custom cursor is in force (a picture larger than the viewport).
        PicScroll->SetMouseIcon(cGrab);
    }
    mCursorNow = platform::window::GetCursorPos();
    mCursorLast = mCursorNow;
    emit MouseDown(Button, Shift, X, Y);
}

void ScrollPicture::PicScroll_MouseMove(std::int16_t Button, std::int16_t Shift, float X, float Y) {
    if (!(Button & 1) || !Loaded() || !mDragging) return;
    // Screen coordinates: PicScroll moves under the cursor, so the event's own coordinates
    // would shift with every step.
    mCursorNow = platform::window::GetCursorPos();
    if (PicScroll->width() > width())
        mScrollX = Follow(mScrollX, mScrollMaxX,
                          std::int64_t(mCursorNow.x()) - std::int64_t(mCursorLast.x()));
    if (PicScroll->height() > height())
        mScrollY = Follow(mScrollY, mScrollMaxY,
                          std::int64_t(mCursorNow.y()) - std::int64_t(mCursorLast.y()));
    mCursorLast = mCursorNow;
    PicScroll->move(-mScrollX, -mScrollY);
    emit MouseMove(Button, Shift, X, Y);
}

void ScrollPicture::PicScroll_MouseUp(std::int16_t Button, std::int16_t Shift, float X, float Y) {
    mDragging = false;
    PicScroll->SetMouseIcon(cRelease);
    emit MouseUp(Button, Shift, X, Y);
}
