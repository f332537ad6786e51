#include "controls/EBXp/EBXp.h"

#include <QApplication>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>

#include "platform/Units.h"
#include "platform/sound/Sound.h"
#include "platform/window/Window.h"

using platform::Colour;
using platform::PixelsToTwips;
using platform::RoundHalfEven;
using platform::ToQColor;
using platform::TwipsToPixels;

namespace {
// The title-bar band: a 45-twip margin, the 360-twip bar, a 45-twip margin.
constexpr int kMarginTwips = 45;
constexpr int kTitleBarTwips = 360;
constexpr Colour kPanelBackground = platform::Rgb(121, 160, 229);
constexpr Colour kCaptionColour = platform::Rgb(0, 0, 128);
}  // namespace

EBXp::EBXp(QWidget* parent) : QWidget(parent) {
    platform::forms::SetContainerBackColor(this, mFillColor);
}

void EBXp::SetUserHeight(std::int32_t v) {
    mUserHeight = v;
    emit PropertyChanged(QStringLiteral("UserHeight"));
}
void EBXp::SetExpanded(bool v) {
    mExpanded = v;
    emit PropertyChanged(QStringLiteral("Expanded"));
}
void EBXp::SetCaption(const QString& v) {
    mCaption = v;
    update();
    emit PropertyChanged(QStringLiteral("Caption"));
}
void EBXp::SetTheStep(std::int32_t v) {
    mTheStep = v;
    emit PropertyChanged(QStringLiteral("TheStep"));
}
void EBXp::SetIcon(const platform::Picture& v) {
    mIcon = v;
    update();
    emit PropertyChanged(QStringLiteral("Icon"));
}
void EBXp::SetAlignment(std::int16_t v) {
    mAlignment = v;
    update();
    emit PropertyChanged(QStringLiteral("Alignment"));
}
void EBXp::SetFillColor(Colour v) {
    mFillColor = v;
    platform::forms::SetContainerBackColor(this, v);
    update();
    emit PropertyChanged(QStringLiteral("FillColor"));
}
void EBXp::SetDontCollapsed(bool v) {
    mDontCollapsed = v;
    emit PropertyChanged(QStringLiteral("DontCollapsed"));
}

float EBXp::Top() const {
    return float(PixelsToTwips(y()));
}
void EBXp::SetTop(float twips) {
    move(x(), TwipsToPixels(twips));
}
float EBXp::Height() const {
    return float(PixelsToTwips(height()));
}
void EBXp::SetHeight(float twips) {
    resize(width(), TwipsToPixels(twips));
}

std::int32_t EBXp::CollapsedHeight() const {
    return std::int32_t(RoundHalfEven(kTitleBarTwips + 2.0 * kMarginTwips));
}

void EBXp::InitProperties() {
    mTheStep = 150;
    mUserHeight = 0;
    mExpanded = false;
    mDontCollapsed = false;
}

void EBXp::ReadProperties(const platform::forms::PropertyBag& bag) {
    mUserHeight = bag.ReadInt("UserHeight", 0);
    mExpanded = bag.ReadBool("Expanded", false);
    mCaption = bag.ReadString("Caption");
    mTheStep = bag.ReadInt("TheStep", 150);
    mIcon = bag.ReadPicture("Icon");
    mAlignment = std::int16_t(bag.ReadInt("Alignment", 0));
    mFillColor = bag.ReadColour("FillColor", platform::kWindowBackground);
    mDontCollapsed = bag.ReadBool("DontCollapsed", false);
    platform::forms::SetContainerBackColor(this, mFillColor);
    update();
}

void EBXp::WriteProperties(platform::forms::PropertyBag& bag) const {
    bag.WriteInt("UserHeight", mUserHeight, 0);
    bag.WriteBool("Expanded", mExpanded, false);
    bag.WriteString("Caption", mCaption);
    bag.WriteInt("TheStep", mTheStep, 150);
    bag.WritePicture("Icon", mIcon);
    bag.WriteInt("Alignment", mAlignment, 0);
    bag.WriteColour("FillColor", mFillColor, platform::kWindowBackground);
    bag.WriteBool("DontCollapsed", mDontCollapsed, false);
}

void EBXp::ExpColNoSound(bool expCol) {
    const std::int32_t h = expCol ? CollapsedHeight() : mUserHeight;
    mExpanded = expCol;
    SetHeight(float(h));
    emit ExpCol();
}

void EBXp::DoExpCol(bool collapsed) {
    if (collapsed == mExpanded) return;
    mExpanded = !collapsed;
    ToggleExpCol();
}

void EBXp::ToggleExpCol() {
    // A click while an animation runs is ignored, so flag, signs and height stay consistent.
    if (mDontCollapsed || mAnimating) return;
    platform::sound::Player().PlayAsync(platform::sound::JoinAppPath(
        platform::window::AppPath(), QStringLiteral("\\Sounds\\Action.wav")));
    QPointer<EBXp> self(this);
    bool flag = mExpanded;
    AnimateExpCol(flag);
    if (!self) return;  // the window went away during the animation
    mExpanded = !flag;
    mShowCollapsedSign = mExpanded;
    update();
}

void EBXp::AnimateExpCol(bool& flag) {
    const std::int32_t c = CollapsedHeight();
    const std::int32_t start = flag ? c : mUserHeight;
    const std::int32_t end = flag ? mUserHeight : c;
    // A zero step would never reach its end: it jumps there, like a negative one.
    const std::int32_t step = flag ? mTheStep : -mTheStep;
    QPointer<EBXp> self(this);
    mAnimating = true;
    if (mTheStep > 0) {
        for (std::int64_t h = start; step >= 0 ? h <= end : h >= end; h += step) {
            SetHeight(float(h));
            emit ExpCol();
            if (!self) return;
            QApplication::processEvents();
            if (!self) return;
        }
    }
    SetHeight(float(end));
    emit ExpCol();
    if (!self) return;
    emit ExpColEnd(flag);
    if (!self) return;
    mAnimating = false;
}

bool EBXp::InTitleBar(QPoint p) const {
    const int m = TwipsToPixels(kMarginTwips);
    const int bar = TwipsToPixels(kTitleBarTwips);
    return p.y() >= m && p.y() < m + bar && p.x() >= m && p.x() < width() - m;
}

void EBXp::mousePressEvent(QMouseEvent* e) {
    mPressed = e->button() == Qt::LeftButton && InTitleBar(e->pos());
}

void EBXp::mouseReleaseEvent(QMouseEvent* e) {
    const bool click = mPressed && e->button() == Qt::LeftButton && InTitleBar(e->pos());
    mPressed = false;
    if (click) ToggleExpCol();
}

void EBXp::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const int m = TwipsToPixels(kMarginTwips);
    const int bar = TwipsToPixels(kTitleBarTwips);
    p.fillRect(rect(), ToQColor(kPanelBackground));
    // Body below the title bar.
    p.fillRect(QRect(m, m + bar, width() - 2 * m + 1, height() - 2 * m - bar),
               ToQColor(mFillColor));
    // Title bar: white to light blue.
    const QRect titleBar(m, m, width() - 2 * m, bar);
    QLinearGradient g(titleBar.topLeft(), titleBar.topRight());
    g.setColorAt(0, Qt::white);
    g.setColorAt(1, QColor(198, 214, 247));
    p.fillRect(titleBar, g);
    if (!mIcon.IsNone()) p.drawImage(QPoint(TwipsToPixels(75), TwipsToPixels(75)), mIcon.image());
    // Sign: a small round button with a chevron.
    const QRect sign(titleBar.right() - 19, titleBar.top() + 3, 16, 16);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QColor(90, 120, 190));
    p.setBrush(Qt::white);
    p.drawEllipse(sign.adjusted(0, 0, -1, -1));
    p.setPen(QPen(QColor(33, 64, 154), 1.6));
    const QPointF c = QRectF(sign).center();
    const double d = mShowCollapsedSign ? 1.5 : -1.5;
    for (double off : {-2.5, 1.5}) {
        const double yy = c.y() + off * (mShowCollapsedSign ? 1 : -1);
        p.drawLine(QPointF(c.x() - 3.5, yy - d), QPointF(c.x(), yy + d));
        p.drawLine(QPointF(c.x(), yy + d), QPointF(c.x() + 3.5, yy - d));
    }
    p.setRenderHint(QPainter::Antialiasing, false);
    // Caption: navy, bold, one line.
    const QRect text(TwipsToPixels(435), TwipsToPixels(120), sign.left() - TwipsToPixels(435) - 1,
                     TwipsToPixels(255));
    QFont captionFont(QStringLiteral("Arial"));
    captionFont.setPointSizeF(8.25);
    captionFont.setBold(true);
    p.setFont(captionFont);
    p.setPen(ToQColor(kCaptionColour));
    const Qt::Alignment align = mAlignment == 1   ? Qt::AlignRight
                                : mAlignment == 2 ? Qt::AlignHCenter
                                                  : Qt::AlignLeft;
    p.drawText(text, int(align | Qt::AlignTop | Qt::TextSingleLine), mCaption);
}

void MoveUnder(EBXp& lower, const EBXp& upper) {
    lower.SetTop(upper.Top() + upper.Height() + 45.0f);
}
