#pragma once
// What the form runtime asks of every control it builds from a design file, and what a control
// may ask of its container (the ambient properties).

#include <QWidget>
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

// The ambient properties a container offers the controls it holds.
struct Ambient {
    bool UserMode = true;           // false only in a design or preview host
    bool DisplayAsDefault = false;  // the control is the window's default button
    Colour BackColor = kWindowBackground;
};

// The ambient properties for `control`: BackColor from the nearest container that sets the
// dynamic property "BackColor", UserMode from the top-level window's "UserMode" (default true).
Ambient AmbientOf(const QWidget* control);
// Just the user mode, for controls that ask on every resize.
bool AmbientUserMode(const QWidget* control);
// Marks `container` as offering `colour` as the ambient background of its controls.
void SetContainerBackColor(QWidget* container, Colour colour);

// Builds a control of a registered type as a child of `parent`.
using ControlCreator = std::function<QWidget*(const ControlDesign& design, QWidget* parent)>;
void RegisterControl(const std::string& type, ControlCreator creator);
// Null when the type is unknown.
const ControlCreator* FindControlType(const std::string& type);

}  // namespace platform::forms
