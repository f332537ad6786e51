#pragma once

namespace controls {
// Makes the custom controls ("EBXp", "gxButtons_H", "ScrollPicture") known to the form runtime,
// and gives them and the standard controls their accessible interfaces.
// Idempotent.
void RegisterControls();
}  // namespace controls
