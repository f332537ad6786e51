#pragma once
// What a screen reader is told about our controls: the owner-drawn button (push button, check
// box or option button), the collapsible panel (a grouping with its title bar as a toggle
// button) and the picture viewer (a graphic), on top of the standard controls and windows of
// platform/forms/AccessibleForms.h.

namespace controls {

// Installs the factory that gives each of our controls its accessible interface. Idempotent.
void InstallAccessibility();

}  // namespace controls
