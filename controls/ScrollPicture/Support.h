#pragma once
// What the viewer's routines share: sizes and offsets as 16-bit numbers, and the one place where
// a failure stops on its way into Qt's event loop.
//
// A floating value becomes a 16-bit number by rounding to the nearest integer, halves to even.
// A value outside -32768..32767 (or not a number) has no 16-bit form: that is an expected
// refusal (a zoom too large for the picture boxes), so it is an empty optional, not an exception.

#include <cstdint>
#include <cstdio>
#include <exception>
#include <optional>

#include "platform/Units.h"

namespace scrollpicture {

inline std::optional<std::int16_t> ToInt16(double v) {
    if (!(v > -32769.0 && v < 32768.0)) return std::nullopt;
    const std::int64_t r = platform::RoundHalfEven(v);
    if (r < -32768 || r > 32767) return std::nullopt;
    return std::int16_t(r);
}

// A picture size in 16-bit pixels.
struct Size16 {
    std::int16_t w = 0, h = 0;
};

// Both sides converted, or nothing when either has no 16-bit form.
inline std::optional<Size16> ToSize16(double w, double h) {
    const auto w16 = ToInt16(w);
    const auto h16 = ToInt16(h);
    if (!w16 || !h16) return std::nullopt;
    return Size16{*w16, *h16};
}

// Stores `v` in `field` when it has a 16-bit form; otherwise the field keeps the value it had.
inline void StoreInt16(std::int16_t& field, double v) {
    if (const auto n = ToInt16(v)) field = *n;
}

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
