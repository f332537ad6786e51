#include "forms/ToolWindows.h"

#include <QWidget>

#include "platform/Units.h"

void frmToolbar::Form_Load() {
    // Open where the user last left the window during this run.
    if (mPlaced && widget()) {
        widget()->move(platform::TwipsToPixels(FloatTbr::TbrLeft),
                       platform::TwipsToPixels(FloatTbr::TbrTop));
    }
}

void frmToolbar::Form_Unload() {
    FloatTbr::TbrVisible = 0;
    if (QWidget* w = widget()) {
        FloatTbr::TbrLeft = FloatTbr::ToInt16(platform::PixelsToTwips(w->x()));
        FloatTbr::TbrTop = FloatTbr::ToInt16(platform::PixelsToTwips(w->y()));
        mPlaced = true;
    }
    if (FormWindow* owner = Owner()) {
        if (QWidget* ow = owner->widget()) {
            ow->activateWindow();
            ow->setFocus(Qt::OtherFocusReason);
        }
    }
}
