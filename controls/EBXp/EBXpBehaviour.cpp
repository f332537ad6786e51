// The panel's behaviour: the toggle with its sound, the counted animation, the two methods, and
// the mouse on the title-bar parts.

#include <QApplication>
#include <QMouseEvent>
#include <QPointer>
#include <cstdio>
#include <limits>
#include <stdexcept>

#include "controls/EBXp/EBXp.h"
#include "platform/Units.h"
#include "platform/sound/Sound.h"
#include "platform/window/Window.h"

namespace {

// Clears the animation mark however the animation ends, unless the panel went away with it.
class AnimationMark {
public:
    AnimationMark(EBXp* panel, bool& mark) : mPanel(panel), mMark(mark) { mMark = true; }
    ~AnimationMark() {
        if (mPanel) mMark = false;
    }
    AnimationMark(const AnimationMark&) = delete;
    AnimationMark& operator=(const AnimationMark&) = delete;

private:
    QPointer<EBXp> mPanel;
    bool& mMark;
};

}  // namespace

void EBXp::ExpColNoSound(bool ExpCol) {
    const std::int32_t h = ExpCol ? CollapsedHeight() : mUserHeight;
    mExpanded = ExpCol;
    SetHeight(float(h));
    emit this->ExpCol();
}

void EBXp::DoExpCol(bool Collapsed) {
    if (Collapsed == mExpanded) return;
    // A running animation ignores the request, as it ignores clicks.
    if (mAnimating) return;
    mExpanded = !Collapsed;
    ToggleExpCol();
}

void EBXp::ToggleExpCol() {
    if (mDontCollapsed) return;
    // A click while an animation runs is ignored: a nested toggle would run a second animation
    // and leave the flag and signs opposite to the panel's height.
    if (mAnimating) return;
    platform::sound::Player().PlayAsync(platform::sound::JoinAppPath(
        platform::window::AppPath(), QStringLiteral("\\Sounds\\Action.wav")));
    QPointer<EBXp> self(this);
    AnimateExpCol(mExpanded);
    if (!self) return;  // the window went away during the animation
    mExpanded = !mExpanded;
    ShowSigns();
}

void EBXp::AnimateExpCol(bool& flag) {
    const std::int32_t c = CollapsedHeight();
    const std::int32_t start = flag ? c : mUserHeight;
    const std::int32_t end = flag ? mUserHeight : c;
    const std::int64_t step = flag ? std::int64_t(mTheStep) : -std::int64_t(mTheStep);
    QPointer<EBXp> self(this);
    AnimationMark mark(this, mAnimating);
    // A zero step would repeat the start height for ever: it jumps to the end instead.
    for (std::int64_t h = start; step != 0 && (step > 0 ? h <= end : h >= end); h += step) {
        SetHeight(float(h));
        emit ExpCol();
        if (!self) return;
        QApplication::processEvents();
        if (!self) return;
        if (h + step > std::numeric_limits<std::int32_t>::max() ||
            h + step < std::numeric_limits<std::int32_t>::min())
            throw std::overflow_error("Overflow");
    }
    SetHeight(float(end));
    emit ExpCol();
    if (!self) return;
    emit ExpColEnd(flag);
}

void EBXp::ShowSigns() {
    mParts[imgSignExp].Visible = !mExpanded;
    mParts[imgSignCol].Visible = mExpanded;
    TitleChanged();
}

// ---- Mouse ----

int EBXp::ClickablePartAt(QPoint pos) const {
    for (int id = 0; id < kPartCount; ++id) {
        if (!mParts[id].Visible) continue;
        if (PixelRect(PartId(id)).contains(pos)) {
            // The body takes no mouse input, and what lies under it gets none either.
            return id == imgBody ? -1 : id;
        }
    }
    return -1;
}

void EBXp::mousePressEvent(QMouseEvent* e) {
    mPressedPart = e->button() == Qt::LeftButton ? ClickablePartAt(e->pos()) : -1;
}

void EBXp::mouseReleaseEvent(QMouseEvent* e) {
    const int pressed = mPressedPart;
    mPressedPart = -1;
    if (e->button() != Qt::LeftButton || pressed < 0 || ClickablePartAt(e->pos()) != pressed)
        return;
    try {
        ToggleExpCol();
    } catch (const std::exception& error) {
        // A height the platform refuses (a negative UserHeight, say) ends the toggle where it
        // stood; the flag and signs keep their values. The program goes on.
        std::fprintf(stderr, "quillmere: panel \"%s\": %s\n", qPrintable(mCaption), error.what());
    }
}

void EBXp::mouseDoubleClickEvent(QMouseEvent*) {
    // The second click of a double click toggles nothing: the panel stays where the first left it.
}

void EBXp::mouseMoveEvent(QMouseEvent* e) {
    static const QCursor hand = [] {
        const QImage image(QStringLiteral(":/controls/EBXp/hand.png"));
        return image.isNull() ? QCursor(Qt::PointingHandCursor)
                              : QCursor(QPixmap::fromImage(image), 14, 7);
    }();
    if (ClickablePartAt(e->pos()) >= 0) {
        setCursor(hand);
    } else {
        unsetCursor();
    }
}
