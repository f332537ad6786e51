#include "app/frmMain.h"

#include "app/FloatTbr.h"
#include "controls/EBXp/EBXp.h"
#include "forms/ToolWindows.h"

template <class W>
void frmMain::Open() {
    OpenTool<W>(*this);
}

void frmMain::Wire() {
    // Menu entries.
    OnClick("login", [this] { Open<Form4>(); });
    OnClick("logout", [this] { GoTo("Browser", "txtaddress3"); });
    OnClick("close", [this] { close_Click(); });
    OnClick("mnuAttn", [this] { Open<Form2>(); });
    OnClick("mnuToolbar", [this] { Open<frmToolbar>(); });
    OnClick("mnuPersonalInfo", [this] { Open<Form3>(); });
    OnClick("mnuCalender", [this] { Open<Form1>(); });
    OnClick("about", [this] { Open<Form7>(); });

    // The button bar, and the administration button.
    OnClick("gxButtons_H1", [this] { Open<frmToolbar>(); });
    OnClick("gxButtons_H2", [this] { Open<Form4>(); });
    OnClick("gxButtons_H3", [this] { Open<Form1>(); });
    OnClick("gxButtons_H4", [this] { Open<Form2>(); });
    OnClick("gxButtons_H5", [this] { Open<Form3>(); });
    OnClick("gxButtons_H6", [this] { Open<Form5>(); });
    OnClick("gxButtons_H7", [this] { GoTo("Browser", "txtaddress7"); });
    OnClick("gxButtons_H8", [this] { GoTo("Browser", "txtaddress3"); });

    // Link rows: the label and its icon go to the same place.
    OnClick("Label4", [this] { Open<Form4>(); });
    OnClick("Image4", [this] { Open<Form4>(); });
    OnClick("Command2", [this] { Open<frmToolbar>(); });
    OnClick("Image1", [this] { Open<frmToolbar>(); });
    OnClick("Label2", [this] { Open<Form1>(); });
    OnClick("Image2", [this] { Open<Form1>(); });
    OnClick("Label1", [this] { Open<Form2>(); });
    OnClick("imgSignCol", [this] { Open<Form2>(); });
    OnClick("Label3", [this] { Open<Form9>(); });
    OnClick("Image3", [this] { Open<Form9>(); });
    OnClick("Label8", [this] { Open<Form5>(); });

    // Each column is a stack of two panels.
    OnSignal("EBXp2", &EBXp::ExpCol, [this] { Follow(*this, "EBXp2", "EBXp4"); });
    OnSignal("EBXp6", &EBXp::ExpCol, [this] { Follow(*this, "EBXp6", "EBXp1"); });
}

void frmMain::Form_Load() {
    // The report-card panel starts as its title bar alone.
    Ctl<EBXp>("EBXp2")->ExpColNoSound(true);
}

void frmMain::close_Click() {
    GoTo("Browser", "txtaddress3");
    Unload();
}
