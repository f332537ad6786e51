#include "platform/Colour.h"

#include <QGuiApplication>
#include <QPalette>
#include <array>

namespace platform {

namespace {

// The classic desktop palette: a fixed table keeps drawing identical on every machine.
constexpr std::array<Colour, 31> kSystemColours = {
    Rgb(212, 208, 200),  //  0 scroll bar
    Rgb(58, 110, 165),   //  1 desktop
    Rgb(10, 36, 106),    //  2 active caption
    Rgb(128, 128, 128),  //  3 inactive caption
    Rgb(212, 208, 200),  //  4 menu
    Rgb(255, 255, 255),  //  5 window
    Rgb(0, 0, 0),        //  6 window frame
    Rgb(0, 0, 0),        //  7 menu text
    Rgb(0, 0, 0),        //  8 window text
    Rgb(255, 255, 255),  //  9 caption text
    Rgb(212, 208, 200),  // 10 active border
    Rgb(212, 208, 200),  // 11 inactive border
    Rgb(128, 128, 128),  // 12 application workspace
    Rgb(10, 36, 106),    // 13 highlight
    Rgb(255, 255, 255),  // 14 highlight text
    Rgb(212, 208, 200),  // 15 button face
    Rgb(128, 128, 128),  // 16 button shadow
    Rgb(128, 128, 128),  // 17 grey text
    Rgb(0, 0, 0),        // 18 button text
    Rgb(212, 208, 200),  // 19 inactive caption text
    Rgb(255, 255, 255),  // 20 button highlight
    Rgb(64, 64, 64),     // 21 3-D dark shadow
    Rgb(212, 208, 200),  // 22 3-D light
    Rgb(0, 0, 0),        // 23 tooltip text
    Rgb(255, 255, 225),  // 24 tooltip background
    Rgb(181, 181, 181),  // 25 (unused)
    Rgb(0, 0, 128),      // 26 hot-tracked item
    Rgb(166, 202, 240),  // 27 active caption gradient
    Rgb(192, 192, 192),  // 28 inactive caption gradient
    Rgb(49, 106, 197),   // 29 menu highlight
    Rgb(236, 233, 216),  // 30 menu bar
};

SystemColours gSource = SystemColours::Classic;

// The palette role that plays each system colour's part, by index; NColorRoles for none.
struct PaletteEntry {
    QPalette::ColorGroup group;
    QPalette::ColorRole role;
};
constexpr auto kA = QPalette::Active, kI = QPalette::Inactive, kD = QPalette::Disabled;
constexpr std::array<PaletteEntry, 31> kPaletteRoles = {{
    {kA, QPalette::Button},           //  0 scroll bar
    {kA, QPalette::Dark},             //  1 desktop
    {kA, QPalette::Highlight},        //  2 active caption
    {kI, QPalette::Highlight},        //  3 inactive caption
    {kA, QPalette::Window},           //  4 menu
    {kA, QPalette::Window},           //  5 window
    {kA, QPalette::WindowText},       //  6 window frame
    {kA, QPalette::WindowText},       //  7 menu text
    {kA, QPalette::WindowText},       //  8 window text
    {kA, QPalette::HighlightedText},  //  9 caption text
    {kA, QPalette::Button},           // 10 active border
    {kI, QPalette::Button},           // 11 inactive border
    {kA, QPalette::Dark},             // 12 application workspace
    {kA, QPalette::Highlight},        // 13 highlight
    {kA, QPalette::HighlightedText},  // 14 highlight text
    {kA, QPalette::Button},           // 15 button face
    {kA, QPalette::Dark},             // 16 button shadow
    {kD, QPalette::WindowText},       // 17 grey text
    {kA, QPalette::ButtonText},       // 18 button text
    {kI, QPalette::HighlightedText},  // 19 inactive caption text
    {kA, QPalette::Light},            // 20 button highlight
    {kA, QPalette::Shadow},           // 21 3-D dark shadow
    {kA, QPalette::Midlight},         // 22 3-D light
    {kA, QPalette::ToolTipText},      // 23 tooltip text
    {kA, QPalette::ToolTipBase},      // 24 tooltip background
    {kA, QPalette::NColorRoles},      // 25 (unused)
    {kA, QPalette::Link},             // 26 hot-tracked item
    {kA, QPalette::Highlight},        // 27 active caption gradient
    {kI, QPalette::Highlight},        // 28 inactive caption gradient
    {kA, QPalette::Highlight},        // 29 menu highlight
    {kA, QPalette::Window},           // 30 menu bar
}};

}  // namespace

void SetSystemColours(SystemColours source) {
    gSource = source;
}

SystemColours SystemColourSource() {
    return gSource;
}

Colour SystemColour(int index) {
    if (index < 0 || index >= int(kSystemColours.size())) return 0;
    if (gSource == SystemColours::Desktop && qGuiApp) {
        const PaletteEntry& entry = kPaletteRoles[std::size_t(index)];
        if (entry.role != QPalette::NColorRoles) {
            const QColor c = QGuiApplication::palette().color(entry.group, entry.role);
            return Rgb(c.red(), c.green(), c.blue());
        }
    }
    return kSystemColours[std::size_t(index)];
}

Colour Resolve(Colour c) {
    if (IsSystemColour(c)) return SystemColour(int(c & 0xFF));
    return c & 0x00FFFFFFu;
}

QColor ToQColor(Colour c) {
    const Colour r = Resolve(c);
    return QColor(int(r & 0xFF), int((r >> 8) & 0xFF), int((r >> 16) & 0xFF));
}

}  // namespace platform
