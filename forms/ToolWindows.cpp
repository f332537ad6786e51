#include "forms/ToolWindows.h"

#include <QWidget>

#include "controls/EBXp/EBXp.h"
#include "platform/Units.h"

void Follow(platform::forms::FormWindow& form, const QString& upper, const QString& lower) {
    MoveUnder(*form.Ctl<EBXp>(lower), *form.Ctl<EBXp>(upper));
}

// Assignment tool.

void frmToolbar::Wire() {
    OnClick("gxButtons_H3", [this] { GoTo("Browser1", "txtaddress1"); });
    OnClick("gxButtons_H1", [this] { GoTo("Browser2", "txtaddress"); });
    // "Login Logout" sits in the info panel but drives the upload pane.
    OnClick("gxButtons_H2", [this] { GoTo("Browser2", "Text1"); });
    // The stack: the info panel moves the upload panel, which moves the class folder. Moving a
    // panel raises nothing, so the folder follows only height changes of the upload panel.
    OnSignal("EBXp3", &EBXp::ExpCol, [this] { Follow(*this, "EBXp3", "EBXp2"); });
    OnSignal("EBXp2", &EBXp::ExpCol, [this] { Follow(*this, "EBXp2", "EBXp1"); });
}

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

// Page windows.

void Form1::Wire() {
    OnClick("gxButtons_H1", [this] { GoTo("Browser2", "txtaddress"); });
    OnClick("gxButtons_H2", [this] { GoTo("Browser2", "Text1"); });
}

void Form2::Wire() {
    OnClick("gxButtons_H1", [this] { GoTo("Browser2", "txtaddress"); });
    OnClick("gxButtons_H2", [this] { GoTo("Browser2", "Text1"); });
}

void Form3::Wire() {
    OnClick("gxButtons_H1", [this] { GoTo("Browser2", "txtaddress"); });
    OnClick("gxButtons_H2", [this] { GoTo("Browser2", "Text1"); });
}

void Form4::Wire() {
    OnClick("gxButtons_H2", [this] { GoTo("Browser", "txtaddress4"); });
    OnClick("Label3", [this] { OpenTool<Form9>(*this); });
}

void Form6::Wire() {
    OnClick("gxButtons_H1", [this] { GoTo("Browser", "Text1"); });
    OnClick("gxButtons_H2", [this] { Reload("Browser"); });
}

void Form7::Wire() {
    OnClick("cmdOK", [this] { Unload(); });
}

void Form8::Wire() {
    OnClick("gxButtons_H1", [this] { GoTo("Browser2", "txtaddress"); });
    OnClick("cmdinsert", [this] { GoTo("Browser2", "Text2"); });
    OnClick("gxButtons_H3", [this] { GoTo("Browser2", "Text3"); });
    OnClick("gxButtons_H2", [this] { GoTo("Browser2", "Text1"); });
}

void Form9::Wire() {
    // Goes back to the fixed questions page, wherever the user has browsed since.
    OnClick("gxButtons_H1", [this] { GoTo("Browser", "txtaddress"); });
}

// Administration console.

void Form5::Wire() {
    const auto goTo = [this](const char* field) {
        return [this, field] { GoTo("Browser", field); };
    };
    const auto reportCards = [this] { OpenTool<Form8>(*this); };

    // Link rows: the label and its icon go to the same place.
    OnClick("Label4", goTo("txtaddress"));
    OnClick("Image4", goTo("txtaddress"));
    OnClick("Label2", goTo("txtaddress2"));
    OnClick("imgSignCol", goTo("txtaddress2"));
    OnClick("Label1", goTo("txtaddress3"));
    OnClick("Image2", goTo("txtaddress3"));
    OnClick("Label9", goTo("txtaddress6"));
    OnClick("Image6", goTo("txtaddress6"));
    OnClick("Label10", reportCards);
    OnClick("Image7", reportCards);

    // The button bar, the user-accounts button and the inbox button of the e-mail panel.
    OnClick("gxButtons_H1", goTo("Text2"));
    OnClick("gxButtons_H2", reportCards);
    OnClick("gxButtons_H3", goTo("Text4"));
    // The local disk's root folder; the pane maps any drive path to it.
    OnClick("gxButtons_H4", [this] { GoToAddress("Browser", QStringLiteral("c:\\")); });
    OnClick("gxButtons_H5", goTo("txtaddress3"));
    OnClick("gxButtons_H6", goTo("txtaddress2"));
    OnClick("gxButtons_H7", goTo("txtaddress"));
    OnClick("gxButtons_H8", goTo("txtaddress4"));
    OnClick("gxButtons_H9", goTo("Text4"));

    OnClick("mnuMail", [this] { OpenTool<Form6>(*this); });
    OnClick("mnuClose", [this] { mnuClose_Click(); });

    OnSignal("EBXp1", &EBXp::ExpCol, [this] { Follow(*this, "EBXp1", "EBXp2"); });
}

void Form5::mnuClose_Click() {
    // Sign the teacher out before the window goes; the report-card window goes with it.
    GoTo("Browser", "txtaddress");
    Unload();
}
