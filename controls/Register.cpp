#include "controls/Register.h"

#include "controls/Accessible.h"
#include "controls/EBXp/EBXp.h"
#include "controls/ScrollPicture/ScrollPicture.h"
#include "controls/gxButtons_H/gxButtons_H.h"
#include "platform/forms/StandardControls.h"

namespace controls {

void RegisterControls() {
    using platform::forms::ControlDesign;
    platform::forms::RegisterStandardControls();
    platform::forms::RegisterControl(
        "EBXp", [](const ControlDesign&, QWidget* parent) { return new EBXp(parent); });
    platform::forms::RegisterControl("gxButtons_H", [](const ControlDesign&, QWidget* parent) {
        return new gxButtons_H(parent);
    });
    platform::forms::RegisterControl("ScrollPicture", [](const ControlDesign&, QWidget* parent) {
        return new ScrollPicture(parent);
    });
    InstallAccessibility();
}

}  // namespace controls
