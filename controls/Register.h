#pragma once

namespace controls {
// Makes the custom controls ("EBXp", "gxButtons_H", "ScrollPicture") known to the form runtime.
// Idempotent.
void RegisterControls();
}  // namespace controls
