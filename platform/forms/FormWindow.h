#pragma once
// A window of the program. The object lives for the whole process; its on-screen window is
// built from the design file when it is shown and destroyed when it is unloaded, so the next
// Show builds it afresh. Subclasses wire their handlers by control name in Wire() and may
// react to Form_Load and Form_Unload.
//
// States: not loaded (no on-screen window) and loaded. Show moves to loaded (building and
// running Wire and Form_Load first when needed); Unload, the user closing the window, or the
// destruction of its owner move back to not loaded.

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QWidget>
#include <functional>
#include <memory>

#include "platform/forms/DesignFile.h"

class QMenuBar;

namespace platform::browser {
class BrowserPane;
}

namespace platform::forms {

class FormWindow;

// An error that escapes an event handler (a tool window whose design file is broken, say) goes
// here: by default it is printed and shown, and the program ends with exit code 1. Tests
// install a recorder.
using UnhandledErrorHandler = std::function<void(const QString& message)>;
void SetUnhandledErrorHandler(UnhandledErrorHandler handler);
void ReportUnhandledError(const QString& message);

// The on-screen window: an optional menu bar over a client area of the designed size.
class FormWidget : public QWidget {
    Q_OBJECT
public:
    FormWidget(FormWindow* form, const FormDesign& design);
    QWidget* Client() const { return mClient; }
    QMenuBar* MenuBar() const { return mMenuBar; }
    // Places the menu bar and the client area; again once the menus are filled.
    void LayOut();
    // Called by FormWindow::Unload so that the close it starts skips the unload handler.
    void SetUnloading() { mUnloading = true; }

protected:
    void closeEvent(QCloseEvent* event) override;
    // Enter presses the default command button, Escape the cancel button.
    void keyPressEvent(QKeyEvent* event) override;
    // Tab, Shift+Tab and the arrows pass over controls that cannot be seen: those a collapsed
    // panel cuts off below its title bar.
    bool focusNextPrevChild(bool next) override;

private:
    QPointer<FormWindow> mForm;
    QWidget* mClient = nullptr;
    QMenuBar* mMenuBar = nullptr;
    QSize mClientSize;
    bool mUnloading = false;
};

class FormWindow : public QObject {
    Q_OBJECT
public:
    // `designName` names resources/forms/<designName>.json and the on-screen window.
    explicit FormWindow(QString designName);
    ~FormWindow() override;

    const QString& Name() const { return mName; }

    // Shows the window modelessly, building it first when it is not loaded, and brings it
    // forward. Throws DesignError when the design file is not JSON or its structure is
    // broken; a stored value a control cannot use is reported and keeps its default.
    void Show();
    // Runs Form_Unload, then destroys the on-screen window. Nothing when not loaded.
    void Unload();
    bool IsLoaded() const { return !mWidget.isNull(); }

    // The on-screen window, or null when not loaded.
    FormWidget* widget() const { return mWidget.data(); }

    // A control or menu entry by name ("Label4", "Line1(0)", "mnuAttn"); null when missing.
    QObject* Find(const QString& name) const;
    // The control `name` as T. Throws DesignError when it is missing or of another type.
    template <class T>
    T* Ctl(const QString& name) const {
        T* t = qobject_cast<T*>(Find(name));
        if (!t) MissingControl(name);
        return t;
    }

    // The current text of the address field `field` (empty when the window is not loaded).
    QString Text(const QString& field) const;
    void SetText(const QString& field, const QString& text);

    // The navigation steps every window repeats: read the field's current text, navigate the
    // pane to it, give the pane the focus. Each step runs even when the one before failed,
    // and failures are dropped without a message.
    void GoTo(const QString& pane, const QString& field);
    // The same with a fixed address instead of a field.
    void GoToAddress(const QString& pane, const QString& address);
    // Reloads the page the pane shows and gives it the focus; each step's failure is dropped.
    void Reload(const QString& pane);

signals:
    void Loaded();
    void Unloaded();

protected:
    // Connect handlers; runs after each build, before Form_Load.
    virtual void Wire() {}
    virtual void Form_Load() {}
    virtual void Form_Unload() {}

    // Runs `handler` on the Click of control or menu entry `name`. Throws DesignError when
    // the window has no such control.
    void OnClick(const QString& name, std::function<void()> handler);
    // Runs `handler` on `signal` (as SIGNAL() writes it, e.g. "2ExpCol()") of control `name`.
    void OnSignal(const QString& name, const char* signal, std::function<void()> handler);

    const FormDesign& Design() const { return mDesign; }

private:
    friend class FormWidget;
    void Build();
    void BuildControl(const ControlDesign& design, QWidget* parent);
    void BuildMenus(QMenuBar* bar, const std::vector<MenuDesign>& menus);
    void ClosedByUser();
    [[noreturn]] void MissingControl(const QString& name) const;
    // `step` on the pane, then the pane takes the focus; each runs even when the one before
    // failed, and failures are dropped.
    void ThenFocus(const QString& pane, const std::function<void(browser::BrowserPane&)>& step);
    // `handler`, guarded, run only while the on-screen window it was wired to is the current one.
    std::function<void()> WhileLoaded(std::function<void()> handler);

    QString mName;
    FormDesign mDesign;
    QPointer<FormWidget> mWidget;
    QHash<QString, QPointer<QObject>> mControls;
};

}  // namespace platform::forms
