// The panel's behaviour: the toggle with its sound, the counted animation, the two methods, and
// the mouse on the title-bar parts.
//
// Heights are twips; ExpCol follows every change of height, and ExpColEnd closes an animation
// that runs to its end. The toggle, the animation and the two methods catch nothing: a height
// the platform refuses or a step counter that overflows ends them where they stand and goes on
// to their caller, with the state flag and signs as they were. A click or a key is where such a
// failure stops, since it must not reach Qt's event loop (ToggleFromUser).

#include <QApplication>
#include <QEventLoop>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <limits>
#include <stdexcept>

#include "controls/EBXp/EBXp.h"
#include "platform/Units.h"
#include "platform/forms/StandardControls.h"
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

std::int64_t NowMicroseconds() {
    using namespace std::chrono;
    return duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
}

int& PacingSetting() {
    static int setting =
        qEnvironmentVariable("QUILLMERE_PANEL_PACING") == QLatin1String("0") ? 0 : 1;
    return setting;
}

}  // namespace

bool EBXp::FramePacing() {
    return PacingSetting() != 0;
}

void EBXp::SetFramePacing(bool on) {
    PacingSetting() = on ? 1 : 0;
}

void EBXp::PresentStep() {
    if (!FramePacing() || !isVisible()) return;
    const QScreen* display = screen();
    double hz = display ? display->refreshRate() : 60.0;
    if (!(hz >= 24.0 && hz <= 500.0)) hz = 60.0;  // a screen that reports no sensible rate
    const auto interval = std::int64_t(std::llround(1e6 / hz));
    QPointer<EBXp> self(this);
    if (!mFrameTimes.empty()) {
        // Wait for the frame, handling input and painting meanwhile as the loop's message
        // processing does.
        const std::int64_t due = mFrameTimes.back() + interval;
        for (std::int64_t now = NowMicroseconds(); self && now < due; now = NowMicroseconds()) {
            QEventLoop wait;
            QTimer::singleShot(std::chrono::milliseconds((due - now + 999) / 1000),
                               Qt::PreciseTimer, &wait, &QEventLoop::quit);
            wait.exec();
        }
        if (!self) return;
    }
    repaint();  // the panel at this step's height reaches the screen now
    mFrameTimes.push_back(NowMicroseconds());
}

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
    mFrameTimes.clear();
    // A zero step would repeat the start height for ever: it jumps to the end instead.
    for (std::int64_t h = start; step != 0 && (step > 0 ? h <= end : h >= end); h += step) {
        SetHeight(float(h));
        emit ExpCol();
        if (!self) return;
        QApplication::processEvents();
        if (!self) return;
        PresentStep();
        if (!self) return;
        if (h + step > std::numeric_limits<std::int32_t>::max() ||
            h + step < std::numeric_limits<std::int32_t>::min())
            throw std::overflow_error("Overflow");
    }
    SetHeight(float(end));
    emit ExpCol();
    if (!self) return;
    // The end height follows the last step at once (it differs by less than a step, if at all):
    // drawn now, with no wait and no messages processed before ExpColEnd.
    if (FramePacing() && isVisible()) repaint();
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
    ToggleFromUser();
}

void EBXp::ToggleFromUser() {
    try {
        ToggleExpCol();
    } catch (const std::exception& error) {
        // The boundary between the panel and Qt's event loop, which must not be thrown into: a
        // height the platform refuses (a negative UserHeight, say), an overflowing step counter
        // or a failure of an ExpCol handler ends the toggle where it stood, with the flag and
        // signs as they were, and is reported here. The program goes on.
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

// ---- Keyboard ----

void EBXp::keyPressEvent(QKeyEvent* e) {
    // Keys the controls inside the panel pass on arrive here too: only the focused title bar
    // acts on them.
    if (hasFocus() && platform::forms::IsActivationKey(e)) {
        ToggleFromUser();
        return;
    }
    QWidget::keyPressEvent(e);
}

void EBXp::focusInEvent(QFocusEvent* e) {
    update(0, 0, width(), TitleBandHeight());
    QWidget::focusInEvent(e);
}

void EBXp::focusOutEvent(QFocusEvent* e) {
    update(0, 0, width(), TitleBandHeight());
    QWidget::focusOutEvent(e);
}
