#pragma once
// What the viewer's routines share: sizes and offsets as pixel counts, the scaled drawing of the
// picture, and the one place where a failure stops on its way into Qt's event loop.
//
// A floating value becomes a pixel count by rounding to the nearest integer, halves to even.
// A value beyond the largest side a widget can have (or not a number) has no such form: that is
// an expected refusal (a zoom too large for the picture boxes), so it is an empty optional, not
// an exception.

#include <QImage>
#include <QPoint>
#include <QSize>
#include <cstdint>
#include <cstdio>
#include <exception>
#include <optional>

#include "platform/Units.h"

namespace scrollpicture {

// The largest side of a picture box: Qt's limit on a widget's width and height.
inline constexpr std::int32_t kMaxSide = 16777215;

inline std::optional<std::int32_t> ToPixels(double v) {
    if (!(v >= -double(kMaxSide) && v <= double(kMaxSide))) return std::nullopt;
    return std::int32_t(platform::RoundHalfEven(v));
}

// A picture size in pixels.
struct Size32 {
    std::int32_t w = 0, h = 0;
};

// Both sides converted, or nothing when either has no pixel form.
inline std::optional<Size32> ToSize(double w, double h) {
    const auto pw = ToPixels(w);
    const auto ph = ToPixels(h);
    if (!pw || !ph) return std::nullopt;
    return Size32{*pw, *ph};
}

// What a scaled drawing reads: the decoded picture (shared, never copied), whether any of its
// pixels is not fully opaque, and the back colour those pixels are composed over.
struct Source {
    QImage picture;
    bool translucent = false;
    QRgb back = 0xFF000000u;
};

// Draws into `tile` (Format_RGB32) the part of the picture scaled to `size` that starts at
// `origin`: tile pixel (x, y) is pixel origin + (x, y) of the scaled picture. Where the tile
// reaches beyond the scaled picture it gets the back colour. On an axis where the scaled side is
// shorter than the picture's, every pixel is the area average of the picture pixels it covers;
// where it is as long or longer, the picture pixel under its centre. A pixel depends only on its
// position in the scaled picture, so tiles drawn apart join without a seam or a shift.
void DrawScaled(QImage& tile, QPoint origin, QSize size, const Source& source);

// Runs an event handler's work. This is the boundary between the viewer and Qt's event loop,
// which must not be thrown into: an unexpected failure (running out of memory, say) is reported
// on stderr and the handler ends there. Expected refusals never reach it; they are return values.
template <class F>
void AtEventLoopBoundary(const char* handler, F&& work) {
    try {
        work();
    } catch (const std::exception& error) {
        std::fprintf(stderr, "quillmere: picture viewer, %s: %s\n", handler, error.what());
    }
}

}  // namespace scrollpicture
