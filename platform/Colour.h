#pragma once
// Colours as the windows and controls store them: a 32-bit value 0x00BBGGRR, or, with the top
// bit set, the index of a system colour in the low byte (0x8000000F is the button face).

#include <QColor>
#include <cstdint>

namespace platform {

using Colour = std::uint32_t;

inline constexpr Colour kSystemColourFlag = 0x80000000u;
inline constexpr Colour kButtonFace = 0x8000000Fu;
inline constexpr Colour kButtonText = 0x80000012u;
// The background every window of the program shares.
inline constexpr Colour kWindowBackground = 0x00F7DFD6u;

constexpr bool IsSystemColour(Colour c) {
    return (c & kSystemColourFlag) != 0;
}
constexpr Colour Rgb(int r, int g, int b) {
    return Colour(r & 0xFF) | (Colour(g & 0xFF) << 8) | (Colour(b & 0xFF) << 16);
}

// Where system colours come from. Classic (the default): a fixed table, so drawing is identical on
// every machine. Desktop: the application's palette (QGuiApplication::palette()), so a
// high-contrast or dark desktop theme reaches every control; an index the palette has no role
// for keeps its classic value, as does every index while no application object exists.
enum class SystemColours { Classic, Desktop };
void SetSystemColours(SystemColours source);
SystemColours SystemColourSource();

// The system colour `index` (0 to 30) from the current source; an unknown index reads as black.
Colour SystemColour(int index);

// A system colour becomes its table entry; any other value keeps its low 24 bits.
Colour Resolve(Colour c);

QColor ToQColor(Colour c);

}  // namespace platform
