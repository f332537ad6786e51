// Drawing: rectangles, polylines, arcs, single pixels, the focus rectangle and icons.

#include "platform/gdi/GdiObjects.h"

namespace platform::gdi {

BOOL Rectangle(HDC, std::int32_t, std::int32_t, std::int32_t, std::int32_t) {
    return 0;
}
BOOL Polyline(HDC, const POINT*, int) {
    return 0;
}
BOOL Arc(HDC, std::int32_t, std::int32_t, std::int32_t, std::int32_t, std::int32_t, std::int32_t,
         std::int32_t, std::int32_t) {
    return 0;
}
COLORREF SetPixel(HDC, std::int32_t, std::int32_t, COLORREF) {
    return kClrInvalid;
}
COLORREF GetPixel(HDC, std::int32_t, std::int32_t) {
    return kClrInvalid;
}
BOOL DrawFocusRect(HDC, const RECT&) {
    return 0;
}
BOOL DrawIconEx(HDC, std::int32_t, std::int32_t, const QImage&, std::int32_t, std::int32_t) {
    return 0;
}

}  // namespace platform::gdi
