// The panel's stored values, their persistence and the layout of its parts.
//
// The stored-value setters store, refresh what shows the value and raise PropertyChanged with
// the stored key; none of them lays the panel out or changes its height. Two values are refused
// by throwing std::invalid_argument, as the platform refuses them: an Alignment outside 0..2 and
// a height outside 0..QWIDGETSIZE_MAX pixels (SetHeight); the animation hands that refusal on to
// its caller. The layout runs on every resize and refuses nothing: a part that cannot take a
// negative size keeps the one it had. All geometry is in twips, single precision.

#include "controls/EBXp/EBXp.h"

#include <stdexcept>

#include "platform/Units.h"

using platform::Colour;
using platform::PixelsToTwips;
using platform::RoundHalfEven;
using platform::TwipsToPixels;

namespace {

// Largest height a widget may take, in twips.
constexpr float kMaxHeightTwips = float(QWIDGETSIZE_MAX) * 15.0f;

}  // namespace

bool EBXp::Part::Move(float left, float top, float width, float height) {
    if (width < 0 || height < 0) return false;
    Left = left;
    Top = top;
    Width = width;
    Height = height;
    return true;
}

bool EBXp::Part::SetWidth(float width) {
    if (width < 0) return false;
    Width = width;
    return true;
}

bool EBXp::Part::SetHeight(float height) {
    if (height < 0) return false;
    Height = height;
    return true;
}

EBXp::EBXp(QWidget* parent) : QWidget(parent) {
    // The parts at their design-time places.
    mParts[imgIcon] = {75, 75, 300, 300, true};
    mParts[lbCaption] = {435, 120, 4155, 255, true};
    mParts[imgBody] = {45, 405, 1515, 1155, true};
    mParts[imgSignCol] = {4740, 105, 240, 255, false};
    mParts[imgSignExp] = {5025, 105, 240, 255, true};
    mParts[TRight] = {5505, 60, 30, 345, true};
    mParts[TMid] = {75, 45, 5475, 360, true};
    mParts[TLeft] = {45, 45, 30, 360, true};
    setMouseTracking(true);  // the hand cursor over the title-bar parts
    // The panel paints every pixel of itself: nothing behind it needs painting first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    resize(TwipsToPixels(5820), TwipsToPixels(4560));
    platform::forms::SetContainerBackColor(this, mFillColor);
    UpdateFocusPolicy();
}

void EBXp::UpdateFocusPolicy() {
    // Tab only: a click on the title bar toggles without taking the focus, as before.
    setFocusPolicy(mDontCollapsed ? Qt::NoFocus : Qt::TabFocus);
}

// ---- Properties ----

void EBXp::SetUserHeight(std::int32_t New_UserHeight) {
    mUserHeight = New_UserHeight;
    emit PropertyChanged(QStringLiteral("UserHeight"));
}

void EBXp::SetExpanded(bool New_Expanded) {
    mExpanded = New_Expanded;
    emit PropertyChanged(QStringLiteral("Expanded"));
}

void EBXp::SetCaption(const QString& New_Caption) {
    mCaption = New_Caption;
    TitleChanged();
    emit PropertyChanged(QStringLiteral("Caption"));
}

void EBXp::SetTheStep(std::int32_t New_TheStep) {
    mTheStep = New_TheStep;
    emit PropertyChanged(QStringLiteral("TheStep"));
}

void EBXp::SetIcon(const platform::Picture& New_Icon) {
    mIcon = New_Icon;
    mIconPixmap = mIcon.IsNone() ? QPixmap() : QPixmap::fromImage(mIcon.image());
    update();
    emit PropertyChanged(QStringLiteral("Icon"));
}

void EBXp::SetAlignment(std::int16_t New_Alignment) {
    if (New_Alignment < 0 || New_Alignment > 2)
        throw std::invalid_argument("Invalid property value");
    mAlignment = New_Alignment;
    TitleChanged();
    emit PropertyChanged(QStringLiteral("Alignment"));
}

void EBXp::SetFillColor(Colour New_FillColor) {
    mFillColor = New_FillColor;
    platform::forms::SetContainerBackColor(this, mFillColor);
    update();
    emit PropertyChanged(QStringLiteral("FillColor"));
}

void EBXp::SetDontCollapsed(bool New_DontCollapsed) {
    mDontCollapsed = New_DontCollapsed;
    UpdateFocusPolicy();
    emit PropertyChanged(QStringLiteral("DontCollapsed"));
}

QString EBXp::Description(const QString& property) {
    const QString p = property.toLower();
    if (p == QLatin1String("caption"))
        return QStringLiteral(
            "Returns/sets the text displayed in an object's title bar or below an object's icon.");
    if (p == QLatin1String("icon"))
        return QStringLiteral("Returns/sets a graphic to be displayed in a control.");
    if (p == QLatin1String("alignment"))
        return QStringLiteral(
            "Returns/sets the alignment of a CheckBox or OptionButton, or a control's text.");
    if (p == QLatin1String("fillcolor"))
        return QStringLiteral("Returns/sets the color used to fill in shapes, circles, and boxes.");
    return {};
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
    if (!(twips >= 0 && twips <= kMaxHeightTwips))
        throw std::invalid_argument("Invalid property value");
    resize(width(), TwipsToPixels(twips));
}

std::int32_t EBXp::CollapsedHeight() const {
    return std::int32_t(RoundHalfEven(mParts[TMid].Height + 90.0f));
}

// ---- Persistence ----

void EBXp::InitProperties() {
    mTheStep = 150;
    mUserHeight = 0;
    mExpanded = false;
    mDontCollapsed = false;
    UpdateFocusPolicy();
}

void EBXp::ReadProperties(const platform::forms::PropertyBag& bag) {
    // Each value is applied as it is read; nothing is laid out and the height is left alone.
    // A value the panel cannot use is reported by the bag and keeps its default.
    mUserHeight = bag.ReadInt("UserHeight", 0);
    mExpanded = bag.ReadBool("Expanded", false);
    mCaption = bag.ReadString("Caption");
    mTheStep = bag.ReadInt("TheStep", 150);
    mIcon = bag.ReadPicture("Icon");
    mIconPixmap = mIcon.IsNone() ? QPixmap() : QPixmap::fromImage(mIcon.image());
    mAlignment = std::int16_t(bag.ReadIntInRange("Alignment", 0, 0, 2));
    mFillColor = bag.ReadColour("FillColor", platform::kWindowBackground);
    mDontCollapsed = bag.ReadBool("DontCollapsed", false);
    UpdateFocusPolicy();
    platform::forms::SetContainerBackColor(this, mFillColor);
    TitleChanged();
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

// ---- Layout ----

void EBXp::resizeEvent(QResizeEvent*) {
    UserControl_Resize();
}

void EBXp::UserControl_Resize() {
    const float W = float(PixelsToTwips(width()));
    const float H = float(PixelsToTwips(height()));
    // In a form designer the height given to the panel becomes its full height.
    if (!platform::forms::AmbientUserMode(this)) mUserHeight = std::int32_t(RoundHalfEven(H));

    // Every step runs whatever became of the one before: a part refuses a negative size (a
    // panel too narrow for its title bar, say) by keeping the size it had, and the layout goes on.
    Part& left = mParts[TLeft];
    Part& mid = mParts[TMid];
    Part& right = mParts[TRight];
    Part& body = mParts[imgBody];
    mid.Move(45 + left.Width, 45, W - 90 - left.Width - right.Width, mid.Height);
    right.SetLeft(W - 45 - right.Width);
    // The signs sit 15 twips left of the right cap; the caption ends 15 twips before them.
    Part& exp = mParts[imgSignExp];
    const float signLeft = float(right.Left - 15 - exp.Width);
    if (signLeft != exp.Left) {
        exp.SetLeft(signLeft);
        Part& col = mParts[imgSignCol];
        col.SetLeft(right.Left - 15 - col.Width);
        Part& caption = mParts[lbCaption];
        caption.SetWidth(col.Left - caption.Left - 15);
    }
    if (float(W - 90 + 15) != body.Width) body.SetWidth(W - 75);
    body.SetHeight(H - 45 - body.Top);
}

void MoveUnder(EBXp& lower, const EBXp& upper) {
    lower.SetTop(upper.Top() + upper.Height() + 45.0f);
}
