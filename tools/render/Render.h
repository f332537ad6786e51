#pragma once
// Offscreen pictures of the program's controls and windows, for the developer tool
// quillmere-render and for the golden-image tests. Nothing here needs a display or starts the
// web engine; every error is a RenderError whose message names the bad key, file or value.

#include <QImage>
#include <QSize>
#include <QString>
#include <QStringList>
#include <stdexcept>

#include "platform/forms/PropertyBag.h"

namespace render {

class RenderError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
    explicit RenderError(const QString& message);
};

// Both pictures have the control's own size once it settled, which can differ from the size
// it was given: a slanted shape too narrow for its slant widens itself, and a picture shape
// takes the size of its picture fitted into the given size.
struct ControlRender {
    QImage image;  // the face as drawn; outside the window region, the container's background
    QImage mask;   // Format_RGB32: white inside the control's window region, black outside
};

// The interaction states a control can be rendered in: normal hover pressed focus disabled
// checked.
const QStringList& ControlStates();

// Builds a control of `type` (only "gxButtons_H" for now) on a plain container offering the
// windows' background, reads `bag` as a design file would, gives it `size` pixels and puts it
// into `state`. Throws RenderError for an unknown type or state or an empty size, and for a
// stored value the control cannot use (naming the bag's file and the key): a picture asked
// for is drawn as asked or not at all. With a device pixel ratio the face is drawn as on a
// screen of that density: the image has round(side x ratio) device pixels a side (its device
// pixel ratio set), the mask stays in the control's pixels.
ControlRender RenderControl(const QString& type, const platform::forms::PropertyBag& bag,
                            QSize size, const QString& state, double ratio = 1.0);

// The picture viewer (ScrollPicture) of `size` pixels showing the picture file `picture`, read
// from `bag` first (its stored values; an empty bag gives a new instance), at `zoom`: "actual"
// (100 %), "fit", "stretch", "in" or "out" (one step of the ladder from 100 %). Throws
// RenderError naming the picture file, the unknown zoom or a stored value the viewer cannot use.
QImage RenderViewer(const platform::forms::PropertyBag& bag, const QString& picture, QSize size,
                    const QString& zoom);
const QStringList& ViewerZooms();

// The window whose design file is resources/forms/<name>.json, as the program shows it (its
// own handlers and load step), with sample portal addresses and the recording browser pane.
// Throws RenderError naming the file and key of a broken or missing design file; a stored value
// a control cannot use is reported as the program reports it, and the window drawn without it.
QImage RenderForm(const QString& name);

// Reads a bag from a JSON file holding one object of stored values; errors in its values name
// the file and the key. Picture names in it resolve as in design files (see
// platform::forms::ResolveResourcePath). Throws RenderError naming the file.
platform::forms::PropertyBag LoadBagFile(const QString& path);
// The same from the file's text; `path` names it in messages.
platform::forms::PropertyBag ParseBag(const QByteArray& text, const QString& path);

// The largest picture side a render is asked for: a larger one takes minutes and gigabytes.
inline constexpr int kMaxRenderSide = 8192;

// "121x41" to a size; throws RenderError quoting the text when it is not two positive numbers
// or a side is larger than kMaxRenderSide.
QSize ParseSize(const QString& text);

// A contact sheet of the pictures in `dir` named <prefix>_s<row>_<column>.png: one row per
// style number found (ascending), one column per entry of `columns` (in that order), with the
// row and column names printed in the margins on white. Throws RenderError when the folder
// holds none or a picture cannot be read.
QImage ContactSheet(const QString& dir, const QString& prefix, const QStringList& columns);

}  // namespace render
