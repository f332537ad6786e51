// Regions: rectangles, ellipses and polygons as pixel sets, their algebra, and window regions.

#include "platform/gdi/GdiObjects.h"

namespace platform::gdi {

HRGN CreateRectRgn(std::int32_t, std::int32_t, std::int32_t, std::int32_t) {
    return {};
}
HRGN CreateEllipticRgn(std::int32_t, std::int32_t, std::int32_t, std::int32_t) {
    return {};
}
HRGN CreatePolygonRgn(const POINT*, int, int) {
    return {};
}
int CombineRgn(HRGN, HRGN, HRGN, int) {
    return kRgnError;
}
int OffsetRgn(HRGN, std::int32_t, std::int32_t) {
    return kRgnError;
}
int GetRgnBox(HRGN, RECT*) {
    return kRgnError;
}
BOOL PtInRegion(HRGN, std::int32_t, std::int32_t) {
    return 0;
}
BOOL EqualRgn(HRGN, HRGN) {
    return 0;
}
BOOL FillRgn(HDC, HRGN, HBRUSH) {
    return 0;
}
BOOL FrameRgn(HDC, HRGN, HBRUSH, std::int32_t, std::int32_t) {
    return 0;
}
QRegion RegionOf(HRGN) {
    return {};
}
HRGN CreateRgnFromQRegion(const QRegion&) {
    return {};
}
BOOL SetWindowRgn(QWidget*, HRGN, bool) {
    return 0;
}
int GetWindowRgn(QWidget*, HRGN) {
    return kRgnError;
}

}  // namespace platform::gdi
