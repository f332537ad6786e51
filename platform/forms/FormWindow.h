#pragma once
// A window of the program. The object lives for the whole process; its on-screen window is
// built from the design file when it is shown and destroyed when it is unloaded, so the next
// Show builds it afresh. Subclasses wire their handlers by control name in Wire() and may
// react to Form_Load and Form_Unload.
//
// States: not loaded (no on-screen window) and loaded. Show moves to loaded (building and
// running Wire and Form_Load first when needed); Unload, the user closing the window, or the
// destruction of its owner move back to not loaded.
//
// Leaving the loaded state takes one path (EndLoad), whichever of the three starts it:
//  - Unload and the user's close run Form_Unload first, while the controls still stand; when
//    the handler has unloaded the window itself, nothing more happens. The on-screen window then
//    closes and is deleted by the event loop (a handler of one of its controls may be running).
//  - The on-screen window destroyed without a close (its owner's window took it along) does not
//    run Form_Unload: the window is already going.
// Either way the controls are forgotten and Unloaded fires once, after Form_Unload. The
// destruction of this object takes its on-screen window along with neither. An error escaping
// Form_Unload goes to Unload's caller; in a user's close, which comes straight from the event
// loop, it is reported (ReportUnhandledError) and the close goes on.
//
// The FormWindow owns its on-screen window; the window owns its controls, which the FormWindow
// finds by name through guarded pointers.

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
    ~FormWidget() override;
    QWidget* Client() const { return mClient; }
    QMenuBar* MenuBar() const { return mMenuBar; }
    // Places the menu bar and the client area; again once the menus are filled.
    void LayOut();

protected:
    // The user's close (or the platform's) unloads the window; the close that Unload starts
    // finds the window already unloaded.
    void closeEvent(QCloseEvent* event) override;
    // Enter presses the window's default button, Escape its cancel button (see WindowButton);
    // an arrow that one of the window's own controls passes on moves the focus.
    void keyPressEvent(QKeyEvent* event) override;
    // Tab, Shift+Tab and the arrows pass over controls that cannot be seen: those a collapsed
    // panel cuts off below its title bar.
    bool focusNextPrevChild(bool next) override;

private:
    // True when `w` is one of the controls the window built from its design (not one of a
    // window it owns, nor anything a control holds).
    bool OwnControl(const QWidget* w) const;
    // True when the focus is on one of the window's own controls other than a browser pane.
    // Only such a control's keys move the focus.
    bool FocusOnOwnControl() const;

    QPointer<FormWindow> mForm;
    QWidget* mClient = nullptr;
    QMenuBar* mMenuBar = nullptr;
    QSize mClientSize;
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
    // Runs Form_Unload, then closes the on-screen window, which is deleted by the event loop.
    // Nothing when not loaded.
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
    // Once a fresh build has run Form_Load and been shown.
    void Loaded();
    // Whenever the loaded state ends, but for this object's destruction (see the top).
    void Unloaded();

protected:
    // Connect handlers; runs after each build, before Form_Load.
    virtual void Wire() {}
    virtual void Form_Load() {}
    virtual void Form_Unload() {}

    // Wiring. Every handler runs through one wrapper, Handler(), which guarantees two things:
    //  - it runs only while the on-screen window it was wired to is the current one: a window
    //    unloaded while one of its controls is still busy (a panel animating, say) may raise
    //    events after its controls are gone, and their handlers no longer run;
    //  - an error escaping it (std::bad_alloc included) goes to ReportUnhandledError: handlers
    //    run inside Qt's event dispatch, which must not be unwound by an exception.

    // Runs `handler` on the Click of control `name`, or when menu entry `name` is chosen.
    // The runtime does not know every control's class, so a control's Click is found by name
    // as the window wires it: throws DesignError when the window has no such control or the
    // control has no Click.
    void OnClick(const QString& name, std::function<void()> handler);
    // Runs `handler` on `signal` of control `name`, a C: OnSignal("EBXp2", &EBXp::ExpCol, ...).
    // A signal the class does not have fails to compile; throws DesignError when the window has
    // no control `name` or it is not a C.
    template <class C, class... Args>
    void OnSignal(const QString& name, void (C::*signal)(Args...), std::function<void()> handler) {
        C* control = Ctl<C>(name);
        connect(control, signal, control, Handler(std::move(handler)));
    }

    const FormDesign& Design() const { return mDesign; }

private:
    friend class FormWidget;
    void Build();
    void BuildControl(const ControlDesign& design, QWidget* parent);
    void BuildMenus(QMenuBar* bar, const std::vector<MenuDesign>& menus);
    // What ends the loaded state of on-screen window `w`.
    enum class Ending {
        Unload,     // Unload(): Form_Unload runs, then the window is closed
        UserClose,  // the window is closing: Form_Unload runs, the close goes on
        Destroyed,  // the window is being destroyed without a close: no Form_Unload
    };
    // The one way out of the loaded state (see the top of this file). Nothing when `w` is not
    // the current on-screen window: it was unloaded before, and a later one may stand in its
    // place.
    void EndLoad(FormWidget* w, Ending ending);
    // True when `o` is one of the controls or menu entries built from the design.
    bool IsControl(const QObject* o) const;
    [[noreturn]] void MissingControl(const QString& name) const;
    // `step` on the pane, then the pane takes the focus; each runs even when the one before
    // failed, and failures are dropped.
    void ThenFocus(const QString& pane, const std::function<void(browser::BrowserPane&)>& step);
    // `handler` as every wired handler runs (see Wiring above).
    std::function<void()> Handler(std::function<void()> handler);

    QString mName;
    FormDesign mDesign;
    QPointer<FormWidget> mWidget;
    QHash<QString, QPointer<QObject>> mControls;
};

}  // namespace platform::forms
