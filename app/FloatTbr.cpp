#include "app/FloatTbr.h"

#include <QWidget>
#include <algorithm>

#include "platform/Units.h"
#include "platform/window/Window.h"

namespace FloatTbr {

std::int16_t TbrVisible = 0;
std::int16_t TbrLeft = 0;
std::int16_t TbrTop = 0;

std::int32_t SetWindowWord(QWidget* hwnd, int index, QWidget* newValue) {
    if (index == GWL_HWNDPARENT) platform::window::SetOwner(hwnd, newValue);
    return 0;
}

std::int16_t ToInt16(double twips) {
    const auto v = platform::RoundHalfEven(twips);
    return std::int16_t(std::clamp<std::int64_t>(v, INT16_MIN, INT16_MAX));
}

}  // namespace FloatTbr

void ToolWindow::LoadToolbar(platform::forms::FormWindow& owner) {
    mOwner = &owner;
    Show();
    // The owner is set after the window is shown, and again on every call.
    FloatTbr::SetWindowWord(widget(), FloatTbr::GWL_HWNDPARENT, owner.widget());
}

void ToolWindow::UnloadToolbar() {
    Unload();
}
