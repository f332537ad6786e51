#pragma once
// Design files: resources/forms/<Window>.json, compiled in under ":/forms/". Each holds a
// window's caption, client size in twips, border, opening position, background, icon, menu
// and its controls as a tree. Positions are twips relative to the container. Shape:
//
//   { "caption": "...", "clientWidth": 10800, "clientHeight": 6465,
//     "border": "fixedSingle" | "fixedToolWindow", "position": [left, top] | null,
//     "backColor": 16244694, "icon": "pictures/app32.png",
//     "menu": [ { "name": "file", "caption": "File", "items": [ {"name": ..., "caption": ...} ] }
//     ], "controls": [ { "type": "EBXp", "name": "EBXp6", "rect": [l, t, w, h], "visible": true,
//                     "index": 0, "bag": { ...stored design values... }, "children": [ ... ] } ] }
//
// String values may hold the placeholders ${portal}, ${portalHost}, ${webmail}, ${guestUser}
// and ${guestPassword}, filled from configuration when the file is read.

#include <QPoint>
#include <QRect>
#include <QString>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/Colour.h"
#include "platform/forms/PropertyBag.h"

namespace platform::forms {

// A broken design file: the message names the file and the key.
class DesignError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct Placeholders {
    QString portal;      // scheme, host and port, no trailing slash: "http://127.0.0.1:8080"
    QString portalHost;  // host and port of the portal: "127.0.0.1:8080"
    QString webmail;     // host[:port] of the web-mail server
    QString guestUser;
    QString guestPassword;
};

// The longest side, in pixels, of a surface the raster layer draws: positions and sizes in
// design files are held to it once converted from twips.
inline constexpr int kMaxSurfaceSide = 32767;
// Design files and property bags nest objects and lists at most this deep.
inline constexpr int kMaxJsonDepth = 64;

enum class Border { FixedSingle, FixedToolWindow };

struct ControlDesign {
    std::string type;
    std::string name;
    int index = -1;             // element of a control array, or -1
    std::optional<QRect> rect;  // twips; absent for controls that place themselves (lines)
    bool visible = true;
    PropertyBag bag;
    std::vector<ControlDesign> children;
    std::string path;  // where it stands in the file, for messages: "controls[3].children[0]"

    // "Line1(0)" for an array element, else the name.
    QString QualifiedName() const;
};

struct MenuDesign {
    std::string name;
    QString caption;
    std::vector<MenuDesign> items;
};

struct FormDesign {
    QString file;  // "frmMain.json"
    QString caption;
    int clientWidth = 0;   // twips
    int clientHeight = 0;  // twips
    Border border = Border::FixedSingle;
    std::optional<QPoint> position;  // twips, screen coordinates of the client area
    Colour backColor = kWindowBackground;
    QString icon;
    std::vector<MenuDesign> menus;
    std::vector<ControlDesign> controls;
};

// The values that fill placeholders; set once at start-up from configuration.
void SetPlaceholders(const Placeholders& values);
const Placeholders& CurrentPlaceholders();

// Developer override: read design files and pictures from this folder before the resources.
void SetDesignDirectory(const QString& dir);

// Where a resource named in a design file ("pictures/login.png") is read from.
QString ResolveResourcePath(const QString& name);

// Parses the JSON text of a design file or a bag. Throws DesignError naming `file` and, in our
// own words, where the text is broken or that it nests deeper than kMaxJsonDepth.
Json ParseJsonText(const QByteArray& text, const QString& file);

// Reads and checks <name>.json. Throws DesignError naming the file and the key.
FormDesign LoadDesign(const QString& name);
// The same from text, for tests; `file` names it in messages.
FormDesign ParseDesign(const QByteArray& text, const QString& file, const Placeholders& values);

}  // namespace platform::forms
