// Blits: block copies, stretched copies and pattern fills through the ternary raster operations.

#include "platform/gdi/GdiObjects.h"

namespace platform::gdi {

std::uint32_t ApplyRop(std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t) {
    return 0;
}
BOOL BitBlt(HDC, std::int32_t, std::int32_t, std::int32_t, std::int32_t, HDC, std::int32_t,
            std::int32_t, std::uint32_t) {
    return 0;
}
BOOL StretchBlt(HDC, std::int32_t, std::int32_t, std::int32_t, std::int32_t, HDC, std::int32_t,
                std::int32_t, std::int32_t, std::int32_t, std::uint32_t) {
    return 0;
}
BOOL PatBlt(HDC, std::int32_t, std::int32_t, std::int32_t, std::int32_t, std::uint32_t) {
    return 0;
}

}  // namespace platform::gdi
