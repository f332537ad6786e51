// Text: any string drawn with any rectangle, flags, font, background mode, clip and device
// scale on a small surface. Whatever is drawn stays on the surface and inside the clip; inside
// the rectangle too unless DT_NOCLIP; DT_CALCRECT draws nothing. The input's first bytes choose
// the surface, the rectangle (any 32-bit values in every eighth input), the flags and the font;
// the rest is the text, as UTF-8.

#include <QImage>
#include <QRect>
#include <QString>
#include <algorithm>
#include <cmath>
#include <string>

#include "FuzzSupport.h"
#include "platform/gdi/Gdi.h"

namespace gdi = platform::gdi;

namespace {

constexpr QRgb kPaper = 0xFF123456;

// The device pixels `r` (logical, right and bottom exclusive) covers at scale `s`, grown by
// `slack` on each side, within 64-bit arithmetic.
struct Area {
    std::int64_t left, top, right, bottom;
    bool Holds(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
};
Area Covered(const gdi::RECT& r, double s, int slack) {
    const auto edge = [s](std::int32_t v) { return std::int64_t(std::llround(double(v) * s)); };
    return {edge(r.left) - slack, edge(r.top) - slack, edge(r.right) + slack,
            edge(r.bottom) + slack};
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    fuzz::StartApplication(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Input in(data, size);
    const std::uint8_t choice = in.Byte();
    const bool wide = (choice & 7) == 7;
    static constexpr double kScales[] = {1.0, 1.0, 1.25, 1.5, 2.0, 1.0, 0.5, 3.0};
    const double scale = kScales[choice >> 3 & 7];
    const int w = in.In(1, 96), h = in.In(1, 64);
    QImage surface(int(std::ceil(w * scale)), int(std::ceil(h * scale)), QImage::Format_RGB32);
    surface.fill(kPaper);

    const auto coord = [&] { return wide ? in.I32() : in.In(-40, 140); };
    gdi::RECT rect{coord(), coord(), coord(), coord()};
    const gdi::RECT asked = rect;
    std::uint32_t flags = in.U16();
    if (!(choice & 0x40)) flags &= 0xFFF;  // mostly the known flags, now and then any
    const bool clip = choice & 0x80;
    gdi::RECT clipRect{in.In(-8, 100), in.In(-8, 70), in.In(-8, 100), in.In(-8, 70)};
    // A region's rectangle is taken with its corners in either order.
    if (clipRect.left > clipRect.right) std::swap(clipRect.left, clipRect.right);
    if (clipRect.top > clipRect.bottom) std::swap(clipRect.top, clipRect.bottom);

    gdi::LOGFONT lf;
    const std::uint8_t fontByte = in.Byte();
    static const char* const kFaces[] = {"Liberation Sans", "DejaVu Sans", "", "No Such Face"};
    lf.lfFaceName = QString::fromLatin1(kFaces[fontByte & 3]);
    lf.lfHeight = in.In(-120, 120);
    lf.lfWeight = fontByte & 4 ? 700 : 400;
    lf.lfItalic = fontByte & 8;
    lf.lfUnderline = fontByte & 16;
    lf.lfStrikeOut = fontByte & 32;
    const QString text = QString::fromUtf8(in.Rest()).left(400);

    const int before = gdi::LiveObjectCount();
    const gdi::HDC dc = gdi::CreateImageDC(&surface);
    fuzz::Check(bool(dc), "no DC for the surface");
    if (scale != 1.0) gdi::SetDeviceScale(dc, scale);
    const gdi::HFONT font = gdi::CreateFontIndirect(lf);
    const gdi::HFONT old = font ? gdi::SelectObject(dc, font) : gdi::HFONT{};
    gdi::SetTextColor(dc, 0x00000000);
    gdi::SetBkColor(dc, 0x00FFFFFF);
    gdi::SetBkMode(dc, fontByte & 64 ? gdi::OPAQUE : gdi::TRANSPARENT);
    gdi::HRGN clipRegion{};
    if (clip) {
        clipRegion =
            gdi::CreateRectRgn(clipRect.left, clipRect.top, clipRect.right, clipRect.bottom);
        gdi::SelectClipRgn(dc, clipRegion);
    }

    const int height = gdi::DrawText(dc, text, &rect, flags);
    fuzz::Check(height >= 0, "a negative text height");

    if (font) gdi::SelectObject(dc, old);
    gdi::DeleteDC(dc);
    if (font) gdi::DeleteObject(font);
    if (clipRegion) gdi::DeleteObject(clipRegion);
    fuzz::Check(gdi::LiveObjectCount() == before, "objects leaked or deleted twice");

    if (flags & gdi::DT_CALCRECT) {
        for (int y = 0; y < surface.height(); ++y)
            for (int x = 0; x < surface.width(); ++x)
                fuzz::Check(surface.pixel(x, y) == kPaper, "DT_CALCRECT drew");
        fuzz::Check(rect.left == asked.left && rect.top == asked.top,
                    "DT_CALCRECT moved the rectangle's left or top");
        return 0;
    }
    fuzz::Check(rect.left == asked.left && rect.top == asked.top && rect.right == asked.right &&
                    rect.bottom == asked.bottom,
                "drawing changed the rectangle");
    // At a fractional scale the edge pixel of an area may take a share of the ink.
    const int slack = scale == std::floor(scale) ? 0 : 1;
    const Area inRect = Covered(asked, scale, slack);
    const Area inClip = Covered(clipRect, scale, slack);
    for (int y = 0; y < surface.height(); ++y)
        for (int x = 0; x < surface.width(); ++x) {
            if (surface.pixel(x, y) == kPaper) continue;
            if (!(flags & gdi::DT_NOCLIP))
                fuzz::Check(inRect.Holds(x, y), "ink or paper outside the rectangle at " +
                                                    std::to_string(x) + "," + std::to_string(y));
            if (clip)
                fuzz::Check(inClip.Holds(x, y), "ink or paper outside the clip at " +
                                                    std::to_string(x) + "," + std::to_string(y));
        }
    return 0;
}
