// Text: measuring and drawing with word breaks, line breaks and access-key prefixes.

#include "platform/gdi/GdiObjects.h"

namespace platform::gdi {

int DrawText(HDC, const QString&, RECT*, std::uint32_t) {
    return 0;
}

}  // namespace platform::gdi
