#pragma once
// What windows and controls ask of the window system beyond Qt's widgets: the owner slot of a
// top-level window, the information message box, the application folder.

#include <QString>
#include <functional>

class QWidget;

namespace platform::window {

// Writes the owner slot of the top-level `window`: from now on it stays above `owner`, is
// hidden while `owner` is minimized and comes back with it, and is destroyed with it. The
// window keeps its position, size and visibility. Calling it again with the same owner only
// re-applies the owner and brings the window forward. A null owner does nothing.
void SetOwner(QWidget* window, QWidget* owner);

// The window that owns `window`, or null.
QWidget* OwnerOf(const QWidget* window);

// An information message box over `owner` (modal, one OK button). Tests replace the box with
// a recorder through SetMessageBoxHook.
void MsgBoxInfo(QWidget* owner, const QString& text, const QString& title = {});
using MessageBoxHook = std::function<void(const QString& text, const QString& title)>;
void SetMessageBoxHook(MessageBoxHook hook);

// The folder the program runs from (the one that holds its Sounds folder).
QString AppPath();
void SetAppPath(const QString& folder);

}  // namespace platform::window
