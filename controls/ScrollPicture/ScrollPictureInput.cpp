// The picture viewer's mouse handling: dragging the picture by the cursor's screen position,
// the hand cursors, and the five events.

#include <QEvent>
#include <QMouseEvent>
#include <QPointer>

#include "controls/ScrollPicture/ScrollPicture.h"
#include "controls/ScrollPicture/Steps.h"
#include "platform/window/Desktop.h"

using scrollpicture::Step;
using scrollpicture::ToInt16;

namespace {

// The new scroll offset after the cursor moved by `delta` along one axis: the picture follows
// the cursor and stops at its edges (0 and `max`).
std::int16_t Follow(std::int16_t scroll, std::int16_t max, std::int64_t delta) {
    const std::int64_t moved = std::int64_t(scroll) - delta;
    if (delta > 0) return moved > 0 ? ToInt16(double(moved)) : 0;
    return moved < max ? ToInt16(double(moved)) : max;
}

}  // namespace

bool ScrollPicture::eventFilter(QObject* watched, QEvent* event) {
    // A disabled control takes no mouse input: PicScroll's own handling drops it.
    if (watched != PicScroll || !isEnabled()) return QWidget::eventFilter(watched, event);
    switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseMove: {
            auto* e = static_cast<QMouseEvent*>(event);
            const auto shift = platform::window::ShiftBits(e->modifiers());
            const auto x = float(e->position().x()), y = float(e->position().y());
            if (event->type() == QEvent::MouseButtonPress) {
                PicScroll_MouseDown(platform::window::ButtonBits(e->button()), shift, x, y);
            } else if (event->type() == QEvent::MouseMove) {
                PicScroll_MouseMove(platform::window::ButtonBits(e->buttons()), shift, x, y);
            } else {
                const bool click = mClickArmed && e->button() == Qt::LeftButton &&
                                   PicScroll->rect().contains(e->position().toPoint());
                if (e->button() == Qt::LeftButton) mClickArmed = false;
                QPointer<ScrollPicture> self(this);
                PicScroll_MouseUp(platform::window::ButtonBits(e->button()), shift, x, y);
                if (click && self) emit Click();
            }
            return true;
        }
        case QEvent::MouseButtonDblClick: {
            // The second press of a double click raises DblClick alone; its release is a
            // MouseUp without a click.
            auto* e = static_cast<QMouseEvent*>(event);
            mClickArmed = false;
            if (e->button() == Qt::LeftButton) emit DblClick();
            return true;
        }
        default:
            return QWidget::eventFilter(watched, event);
    }
}

void ScrollPicture::PicScroll_MouseDown(std::int16_t Button, std::int16_t Shift, float X, float Y) {
    mDragging = true;
    if (Button == 1) {
        mClickArmed = true;
        // Seen only while the custom cursor is in force (a picture larger than the viewport).
        Step([&] { PicScroll->SetMouseIcon(cGrab); });
    }
    Step([&] { mCursorNow = platform::window::GetCursorPos(); });
    mCursorLast = mCursorNow;
    emit MouseDown(Button, Shift, X, Y);
}

void ScrollPicture::PicScroll_MouseMove(std::int16_t Button, std::int16_t Shift, float X, float Y) {
    if (!(Button & 1) || !Loaded() || !mDragging) return;
    // Screen coordinates: PicScroll moves under the cursor, so the event's own coordinates
    // would shift with every step.
    Step([&] { mCursorNow = platform::window::GetCursorPos(); });
    if (PicScroll->width() > width()) {
        Step([&] {
            mScrollX = Follow(mScrollX, mScrollMaxX,
                              std::int64_t(mCursorNow.x()) - std::int64_t(mCursorLast.x()));
        });
    }
    if (PicScroll->height() > height()) {
        Step([&] {
            mScrollY = Follow(mScrollY, mScrollMaxY,
                              std::int64_t(mCursorNow.y()) - std::int64_t(mCursorLast.y()));
        });
    }
    mCursorLast = mCursorNow;
    PicScroll->move(-mScrollX, -mScrollY);
    emit MouseMove(Button, Shift, X, Y);
}

void ScrollPicture::PicScroll_MouseUp(std::int16_t Button, std::int16_t Shift, float X, float Y) {
    mDragging = false;
    Step([&] { PicScroll->SetMouseIcon(cRelease); });
    emit MouseUp(Button, Shift, X, Y);
}
