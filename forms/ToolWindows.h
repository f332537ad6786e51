#pragma once
// The ten tool windows. Each builds itself from resources/forms/<name>.json and floats over the
// window that opened it (see FloatTbr.h).

#include "app/FloatTbr.h"

// Assignment tool: fetch class assignments, upload finished work. Its unload hands the
// keyboard focus back to its owner and remembers where it stood.
class frmToolbar : public ToolWindow {
    Q_OBJECT
public:
    frmToolbar() : ToolWindow(QStringLiteral("frmToolbar")) {}

protected:
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
};

// Attendance records.
class Form2 : public ToolWindow {
    Q_OBJECT
public:
    Form2() : ToolWindow(QStringLiteral("Form2")) {}
};

// Student information.
class Form3 : public ToolWindow {
    Q_OBJECT
public:
    Form3() : ToolWindow(QStringLiteral("Form3")) {}
};

// Student login.
class Form4 : public ToolWindow {
    Q_OBJECT
public:
    Form4() : ToolWindow(QStringLiteral("Form4")) {}
};

// School administration console.
class Form5 : public ToolWindow {
    Q_OBJECT
public:
    Form5() : ToolWindow(QStringLiteral("Form5")) {}
};

// School e-mail.
class Form6 : public ToolWindow {
    Q_OBJECT
public:
    Form6() : ToolWindow(QStringLiteral("Form6")) {}
};

// About box.
class Form7 : public ToolWindow {
    Q_OBJECT
public:
    Form7() : ToolWindow(QStringLiteral("Form7")) {}
};

// Report cards.
class Form8 : public ToolWindow {
    Q_OBJECT
public:
    Form8() : ToolWindow(QStringLiteral("Form8")) {}
};

// Questions and reporting abuse.
class Form9 : public ToolWindow {
    Q_OBJECT
public:
    Form9() : ToolWindow(QStringLiteral("Form9")) {}
};
