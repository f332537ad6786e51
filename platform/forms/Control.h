#pragma once
// What the form runtime asks of every control it builds from a design file, and what a control
// may ask of its container (the ambient properties).

#include <QKeySequence>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <string>

#include "platform/Colour.h"
#include "platform/forms/DesignFile.h"
#include "platform/forms/PropertyBag.h"

namespace platform::forms {

// A control with stored design values. The runtime calls ReadProperties once, right after the
// control is created and before it receives its designed size.
class Persistent {
public:
    virtual ~Persistent() = default;
    // A new instance dropped on a window (no stored values yet).
    virtual void InitProperties() {}
    virtual void ReadProperties(const PropertyBag& bag) = 0;
    virtual void WriteProperties(PropertyBag& bag) const = 0;
};

// A control that clicks itself when its access key is typed, and that its window may treat as
// its default or cancel button (see WindowButton).
class AccessKeyTarget {
public:
    virtual ~AccessKeyTarget() = default;
    virtual void AccessKeyPress(std::int16_t KeyAscii) = 0;
    // The key typed with Alt to reach the control ("" for none).
    virtual QString AccessKeys() const = 0;
};

// The platform's rule for an access key (`sequence`, Alt and the key) typed in the window of
// `receiver`, the control Qt handed the shortcut to. The key's holders are the visible,
// enabled controls of that window whose access key it is: access-key targets and push buttons.
// A key held by one control clicks it. A key that several share clicks none: each press moves
// the focus to the next of them in tab order after the focused control, wrapping round.
void AccessKeyTyped(QWidget* receiver, const QKeySequence& sequence);
// Alt with `key` (compared without regard to case), as an access key is typed.
QKeySequence AccessKeySequence(const QString& key);

// The window's default button, pressed by Enter, and its cancel button, pressed by Escape. The
// design marks them with the stored values "Default" and "Cancel". A command button reads them
// with its other values; for an access-key target the runtime reads them when it builds the
// control. Either way the role is kept on the control as the dynamic property of that name:
// the one mark the window's keys look for (the screen reader reads "Default" too).
enum class WindowButton { Default, Cancel };
inline constexpr WindowButton kWindowButtons[] = {WindowButton::Default, WindowButton::Cancel};
// The stored key and the dynamic property: "Default" or "Cancel".
const char* WindowButtonKey(WindowButton role);
bool IsWindowButton(const QWidget* control, WindowButton role);
void SetWindowButton(QWidget* control, WindowButton role, bool on);
// Presses `control` as the window's button in `role`: a push button clicks, an access-key
// target takes the key's KeyAscii (13 for Enter, 27 for Escape). False for any other control.
bool PressWindowButton(QWidget* control, WindowButton role);

// A control that wants to know when an ambient property of its container changes
// ("BackColor", "DisplayAsDefault").
class AmbientListener {
public:
    virtual ~AmbientListener() = default;
    virtual void AmbientChanged(const QString& PropertyName) = 0;
};

// The ambient properties a container offers the controls it holds.
struct Ambient {
    bool UserMode = true;           // false only in a design or preview host
    bool DisplayAsDefault = false;  // the control shows as the default button: it has the focus
    Colour BackColor = kWindowBackground;
};

// The ambient properties for `control`: BackColor from the nearest container that sets the
// dynamic property "BackColor", UserMode from the top-level window's "UserMode" (default true).
Ambient AmbientOf(const QWidget* control);
// Just the user mode, for controls that ask on every resize.
bool AmbientUserMode(const QWidget* control);
// Marks `container` as offering `colour` as the ambient background of its controls, and tells
// the listening controls that take their background from it.
void SetContainerBackColor(QWidget* container, Colour colour);

// Shows the mouse pointer that a stored MousePointer value names over `w`: 0 the default, 1
// arrow, 2 cross, 3 I-beam, 4 icon, 5 size, 6 size NE-SW, 7 size N-S, 8 size NW-SE, 9 size W-E,
// 10 up arrow, 11 hourglass, 12 no-drop, 13 arrow and hourglass, 14 arrow and question mark,
// 15 size all, 99 the custom `icon` (a cursor or icon). Any other value shows the default.
void ApplyMousePointer(QWidget* w, int pointer, const Picture& icon);

// Builds a control of a registered type as a child of `parent`.
using ControlCreator = std::function<QWidget*(const ControlDesign& design, QWidget* parent)>;
void RegisterControl(const std::string& type, ControlCreator creator);
// Null when the type is unknown.
const ControlCreator* FindControlType(const std::string& type);

}  // namespace platform::forms
