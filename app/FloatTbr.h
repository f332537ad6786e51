#pragma once
// The tool-window protocol. Every secondary window floats over the window that opened it: it
// stays in front of its owner, hides with it and is destroyed with it. Callers show and hide
// tool windows only through LoadToolbar, UnloadToolbar and Tool.

#include <QPointer>
#include <cstdint>

#include "platform/forms/FormWindow.h"
#include "platform/forms/Instances.h"

class QWidget;

namespace FloatTbr {

// Shared values of the protocol (16-bit, True being -1).
// TbrVisible: when True, opening handlers hide their target instead of showing it. Nothing
// sets it True, so links always show their window.
extern std::int16_t TbrVisible;
// The assignment tool window's position when it was last unloaded, in twips; it opens there
// again on its next showing.
extern std::int16_t TbrLeft;
extern std::int16_t TbrTop;

// The owner-window slot of a top-level window.
inline constexpr int GWL_HWNDPARENT = -8;
// Writes slot `index` of window `hwnd`; only the owner slot is supported. Returns nothing
// useful (callers ignore it).
std::int32_t SetWindowWord(QWidget* hwnd, int index, QWidget* newValue);

// A twips value stored into a 16-bit shared value: nearest integer, halves to even, held
// to the 16-bit range.
std::int16_t ToInt16(double twips);

}  // namespace FloatTbr

class ToolWindow : public platform::forms::FormWindow {
    Q_OBJECT
public:
    using FormWindow::FormWindow;

    // Shows this window modelessly, then makes `owner` its owner window.
    void LoadToolbar(platform::forms::FormWindow& owner);
    // Unloads this window.
    void UnloadToolbar();
    // Always False.
    std::int16_t Tool() const { return mTool; }

    // The window passed to the last LoadToolbar, while it exists.
    platform::forms::FormWindow* Owner() const { return mOwner.data(); }

private:
    QPointer<platform::forms::FormWindow> mOwner;
    std::int16_t mTool = 0;
};

// What every opening handler does: obtain the target's single instance and show it over
// `owner` (or hide it, were TbrVisible True).
template <class W>
void OpenTool(platform::forms::FormWindow& owner) {
    W& target = platform::forms::Instance<W>();
    if (FloatTbr::TbrVisible) {
        target.UnloadToolbar();
    } else {
        target.LoadToolbar(owner);
    }
}
