#pragma once
// Windows and panels measure in twips (1/1440 inch); at 96 dots per inch 15 twips make a pixel.
// Conversions round to the nearest integer, halves to even, as every floating value in the
// program does when it becomes an integer.

#include <cmath>
#include <cstdint>

namespace platform {

inline constexpr int kTwipsPerPixel = 15;

// Nearest integer, halves to even (the default rounding mode of the floating-point unit).
inline std::int64_t RoundHalfEven(double v) {
    return std::llrint(v);
}

inline int TwipsToPixels(double twips) {
    return int(RoundHalfEven(twips / kTwipsPerPixel));
}
inline double PixelsToTwips(int pixels) {
    return double(pixels) * kTwipsPerPixel;
}

}  // namespace platform
