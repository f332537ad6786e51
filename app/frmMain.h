#pragma once
// The main window: a bar of buttons, two columns of panels with links and notices, and the
// browser pane. Its whole behaviour is its routing table: every link, button and menu entry
// either opens a tool window over this window or points the pane at a portal page held in one
// of the hidden address fields.

#include "platform/forms/FormWindow.h"

class frmMain : public platform::forms::FormWindow {
    Q_OBJECT
public:
    frmMain() : FormWindow(QStringLiteral("frmMain")) {}

protected:
    void Wire() override;
    void Form_Load() override;

private:
    template <class W>
    void Open();
    void close_Click();
};
