#pragma once
// The ten tool windows. Each builds itself from resources/forms/<name>.json and floats over the
// window that opened it (see FloatTbr.h). Apart from the about box, each frames portal pages:
// every button points a browser pane at the address kept in one of the window's hidden
// address fields (read at each click), reloads the pane, or opens another tool window.

#include "app/FloatTbr.h"

// Keeps panel `lower` of `form` 45 twips under panel `upper`: every window with a stack of
// panels runs it on each ExpCol of `upper`.
void Follow(platform::forms::FormWindow& form, const QString& upper, const QString& lower);

// Assignment tool: fetch class assignments, upload finished work. Three stacked panels, each
// following the one above it; its unload hands the keyboard focus back to its owner and
// remembers where it stood.
class frmToolbar : public ToolWindow {
    Q_OBJECT
public:
    frmToolbar() : ToolWindow(QStringLiteral("frmToolbar")) {}

protected:
    void Wire() override;
    void Form_Load() override;
    void Form_Unload() override;

private:
    bool mPlaced = false;  // TbrLeft/TbrTop hold a position to open at
};

// Schedule.
class Form1 : public ToolWindow {
    Q_OBJECT
public:
    Form1() : ToolWindow(QStringLiteral("Form1")) {}

protected:
    void Wire() override;
};

// Attendance records.
class Form2 : public ToolWindow {
    Q_OBJECT
public:
    Form2() : ToolWindow(QStringLiteral("Form2")) {}

protected:
    void Wire() override;
};

// Student information.
class Form3 : public ToolWindow {
    Q_OBJECT
public:
    Form3() : ToolWindow(QStringLiteral("Form3")) {}

protected:
    void Wire() override;
};

// Student login; its "Report Abuse" link opens the questions window over it.
class Form4 : public ToolWindow {
    Q_OBJECT
public:
    Form4() : ToolWindow(QStringLiteral("Form4")) {}

protected:
    void Wire() override;
};

// School administration console: the staff side's bar of buttons, two link panels and a pane.
class Form5 : public ToolWindow {
    Q_OBJECT
public:
    Form5() : ToolWindow(QStringLiteral("Form5")) {}

protected:
    void Wire() override;

private:
    void mnuClose_Click();
};

// School e-mail.
class Form6 : public ToolWindow {
    Q_OBJECT
public:
    Form6() : ToolWindow(QStringLiteral("Form6")) {}

protected:
    void Wire() override;
};

// About box.
class Form7 : public ToolWindow {
    Q_OBJECT
public:
    Form7() : ToolWindow(QStringLiteral("Form7")) {}

protected:
    void Wire() override;
};

// Report cards.
class Form8 : public ToolWindow {
    Q_OBJECT
public:
    Form8() : ToolWindow(QStringLiteral("Form8")) {}

protected:
    void Wire() override;
};

// Questions and reporting abuse.
class Form9 : public ToolWindow {
    Q_OBJECT
public:
    Form9() : ToolWindow(QStringLiteral("Form9")) {}

protected:
    void Wire() override;
};
