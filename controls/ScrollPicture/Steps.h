#pragma once
// What the viewer's routines share: running one step with its failure dropped, and the
// conversion to a 16-bit integer that fails outside its range.

#include <cstdint>
#include <exception>
#include <stdexcept>

#include "platform/Units.h"

namespace scrollpicture {

// Runs `step`; a failure is dropped and the caller goes on with its next step.
template <class F>
void Step(F&& step) noexcept {
    try {
        step();
    } catch (const std::exception&) {
    }
}

// To the nearest integer, halves to even; a result outside -32768..32767 (or not a number)
// throws std::overflow_error.
inline std::int16_t ToInt16(double v) {
    if (!(v > -32769.0 && v < 32768.0)) throw std::overflow_error("Overflow");
    const std::int64_t r = platform::RoundHalfEven(v);
    if (r < -32768 || r > 32767) throw std::overflow_error("Overflow");
    return std::int16_t(r);
}

}  // namespace scrollpicture
