// Accessible interfaces of our controls. Each reads the control's state when asked, and each
// action goes through the same path as the mouse: the window's Click handlers run as for a
// click, and may unload the window.

#include "controls/Accessible.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QFileInfo>
#include <QPointer>

#include "controls/EBXp/EBXp.h"
#include "controls/ScrollPicture/ScrollPicture.h"
#include "controls/gxButtons_H/gxButtons_H.h"
#include "platform/Units.h"
#include "platform/forms/AccessibleForms.h"
#include "platform/forms/Control.h"

namespace controls {

namespace {

using platform::forms::SpokenCaption;

class ButtonAccessible : public QAccessibleWidget {
public:
    explicit ButtonAccessible(gxButtons_H* b) : QAccessibleWidget(b) {
        // A check box or option button changes its Value by clicks and by the window's code;
        // both reach a screen reader as a change of the checked state.
        QObject::connect(b, &gxButtons_H::PropertyChanged, b, [b](const QString& name) {
            if (name != QLatin1String("Value")) return;
            QAccessible::State changed;
            changed.checked = true;
            QAccessibleStateChangeEvent event(b, changed);
            QAccessible::updateAccessibility(&event);
        });
    }

    gxButtons_H* button() const { return static_cast<gxButtons_H*>(widget()); }

    QAccessible::Role role() const override {
        switch (button()->Mode()) {
            case 1:
                return QAccessible::CheckBox;
            case 2:
                return QAccessible::RadioButton;
            default:
                return QAccessible::PushButton;
        }
    }

    QString text(QAccessible::Text t) const override {
        switch (t) {
            case QAccessible::Name: {
                // "||" breaks the caption's line on the face; spoken, it is a space.
                QString caption = button()->Caption();
                caption.replace(QLatin1String("||"), QLatin1String(" "));
                return SpokenCaption(caption);
            }
            case QAccessible::Description:
                return button()->toolTip();
            case QAccessible::Accelerator:
                return KeyBinding();
            default:
                return QAccessibleWidget::text(t);
        }
    }

    QAccessible::State state() const override {
        QAccessible::State s = QAccessibleWidget::state();
        s.pressed = button()->HeldDown() || (button()->StateFlags() & gxButtons_H::kHeld);
        s.checkable = button()->Mode() != 0;
        s.checked = button()->Mode() != 0 && button()->Value();
        // The window's default button, or the focused one shown as the default.
        s.defaultButton =
            platform::forms::IsWindowButton(button(), platform::forms::WindowButton::Default) ||
            (button()->StateFlags() & gxButtons_H::kFocusLook) != 0;
        return s;
    }

    QStringList actionNames() const override {
        QStringList names;
        if (button()->isEnabled()) {
            names << pressAction();
            if (button()->Mode() == 1) names << toggleAction();
        }
        return names + QAccessibleWidget::actionNames();
    }

    void doAction(const QString& action) override {
        if (action == pressAction() || action == toggleAction()) {
            if (actionNames().contains(action)) button()->ClickAsMouse();
            return;
        }
        QAccessibleWidget::doAction(action);
    }

    QStringList keyBindingsForAction(const QString& action) const override {
        if (action == pressAction() && !KeyBinding().isEmpty()) return {KeyBinding()};
        return QAccessibleWidget::keyBindingsForAction(action);
    }

private:
    QString KeyBinding() const {
        const QString key = button()->AccessKeys();
        if (key.isEmpty()) return {};
        return QKeySequence(platform::forms::AccessKeySequence(key))
            .toString(QKeySequence::PortableText);
    }
};

// The panel's title bar: a toggle button whose checked and expanded states are the panel's
// visual state. It has no widget of its own; the panel's interface owns it.
class PanelTitleAccessible : public QAccessibleInterface, public QAccessibleActionInterface {
public:
    explicit PanelTitleAccessible(EBXp* panel) : mPanel(panel) {}

    bool isValid() const override { return !mPanel.isNull(); }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return mPanel ? mPanel->window()->windowHandle() : nullptr; }
    QAccessibleInterface* parent() const override {
        return mPanel ? QAccessible::queryAccessibleInterface(mPanel.data()) : nullptr;
    }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }

    QString text(QAccessible::Text t) const override {
        if (!mPanel || t != QAccessible::Name) return {};
        return SpokenCaption(mPanel->Caption(), false);
    }
    void setText(QAccessible::Text, const QString&) override {}

    QRect rect() const override {
        if (!mPanel) return {};
        const int band = platform::TwipsToPixels(mPanel->CollapsedHeight());
        return {mPanel->mapToGlobal(QPoint(0, 0)),
                QSize(mPanel->width(), std::min(band, mPanel->height()))};
    }

    QAccessible::Role role() const override { return QAccessible::PushButton; }

    QAccessible::State state() const override {
        QAccessible::State s;
        if (!mPanel) {
            s.invalid = true;
            return s;
        }
        // The stored flag is True while the panel is collapsed.
        const bool expanded = !mPanel->Expanded();
        s.invisible = !mPanel->isVisible();
        s.disabled = !mPanel->isEnabled();
        s.focusable = (mPanel->focusPolicy() & Qt::TabFocus) != 0;
        s.focused = mPanel->hasFocus();
        s.checkable = true;
        s.checked = expanded;
        s.expandable = true;
        s.expanded = expanded;
        s.collapsed = !expanded;
        return s;
    }

    void* interface_cast(QAccessible::InterfaceType t) override {
        if (t == QAccessible::ActionInterface)
            return static_cast<QAccessibleActionInterface*>(this);
        return nullptr;
    }

    QStringList actionNames() const override {
        if (!mPanel || !mPanel->isEnabled() || mPanel->DontCollapsed()) return {};
        return {pressAction(), toggleAction()};
    }
    void doAction(const QString& action) override {
        // What a click on the title bar does: sound, animation, ExpCol and ExpColEnd.
        if (actionNames().contains(action)) mPanel->ToggleExpCol();
    }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }

private:
    QPointer<EBXp> mPanel;
};

// The panel: a grouping named by its caption; its first child is the title bar.
class PanelAccessible : public platform::forms::AccessibleContainer {
public:
    explicit PanelAccessible(EBXp* panel) : AccessibleContainer(panel, QAccessible::Grouping, 1) {
        // The flag flips after the animation's last event: tell once it has.
        QObject::connect(panel, &EBXp::ExpColEnd, panel, [panel](bool&) {
            QMetaObject::invokeMethod(
                panel,
                [panel] {
                    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(panel);
                    if (!iface || !iface->child(0)) return;
                    QAccessible::State changed;
                    changed.checked = changed.expanded = changed.collapsed = true;
                    QAccessibleStateChangeEvent event(iface->child(0), changed);
                    QAccessible::updateAccessibility(&event);
                },
                Qt::QueuedConnection);
        });
    }
    ~PanelAccessible() override {
        if (mTitleId) QAccessible::deleteAccessibleInterface(mTitleId);
    }

    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Name)
            return SpokenCaption(static_cast<EBXp*>(widget())->Caption(), false);
        return AccessibleContainer::text(t);
    }

    // The panel takes the focus for its title bar.
    QAccessibleInterface* focusChild() const override {
        return widget()->hasFocus() ? child(0) : AccessibleContainer::focusChild();
    }

protected:
    QAccessibleInterface* LeadingChild(int) const override {
        if (!mTitleId)
            mTitleId = QAccessible::registerAccessibleInterface(
                new PanelTitleAccessible(static_cast<EBXp*>(widget())));
        return QAccessible::accessibleInterface(mTitleId);
    }

private:
    mutable QAccessible::Id mTitleId = 0;
};

// The viewer: a graphic named by its picture's file, described by the zoom.
class ViewerAccessible : public QAccessibleWidget {
public:
    explicit ViewerAccessible(ScrollPicture* v) : QAccessibleWidget(v, QAccessible::Graphic) {}
    ScrollPicture* viewer() const { return static_cast<ScrollPicture*>(widget()); }

    // The boxes inside are the viewer's own workings.
    int childCount() const override { return 0; }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }

    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Name)
            return viewer()->Loaded() ? QFileInfo(viewer()->Picture().name()).fileName()
                                      : QString();
        if (t == QAccessible::Description && viewer()->Loaded())
            return QStringLiteral("%1 %").arg(viewer()->ZoomPercent().toInt());
        return QAccessibleWidget::text(t);
    }
};

QAccessibleInterface* Factory(const QString& className, QObject* object) {
    // Asked once per class up the hierarchy: answer for the object's own class only, so that a
    // type we leave alone (a text field) falls through to the platform's interface.
    if (!object || className != QLatin1String(object->metaObject()->className())) return nullptr;
    if (auto* b = qobject_cast<gxButtons_H*>(object)) return new ButtonAccessible(b);
    if (auto* p = qobject_cast<EBXp*>(object)) return new PanelAccessible(p);
    if (auto* v = qobject_cast<ScrollPicture*>(object)) return new ViewerAccessible(v);
    return platform::forms::StandardAccessible(object);
}

}  // namespace

void InstallAccessibility() {
    static const bool installed = [] {
        QAccessible::installFactory(&Factory);
        return true;
    }();
    (void)installed;
}

}  // namespace controls
