#include "platform/window/Window.h"

#include <xcb/xcb.h>

#include <QCoreApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <QWindowStateChangeEvent>

#include "platform/Files.h"

namespace platform::window {

namespace {

MessageBoxHook gMessageBoxHook;
// Marks an owner that already has its minimize follower, and an owned window its marker.
constexpr const char* kFollowed = "qm_minimizeFollower";
constexpr const char* kMarked = "qm_transientMarker";

// Names the owner of `window` to an X11 window manager (WM_TRANSIENT_FOR), which then keeps the
// window above its owner and minimizes it with it. The toolkit does so only for dialog and tool
// windows, and clears the property of any other window each time it is shown; and when either
// native window is made anew, what it had set names a window that no longer exists. So it is
// set here after every show and every change of either native window. Elsewhere than on X11 it
// does nothing.
void MarkTransient(QWidget* window) {
    // The offscreen platform answers for X11 too (without a display): only xcb counts.
    if (QGuiApplication::platformName() != QLatin1String("xcb")) return;
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (!x11 || !x11->connection() || !window->isWindow() || !window->parentWidget()) return;
    const auto id = xcb_window_t(window->internalWinId());
    const auto owner = xcb_window_t(window->parentWidget()->window()->internalWinId());
    if (!id || !owner) return;
    xcb_change_property(x11->connection(), XCB_PROP_MODE_REPLACE, id, XCB_ATOM_WM_TRANSIENT_FOR,
                        XCB_ATOM_WINDOW, 32, 1, &owner);
    xcb_flush(x11->connection());
}

// Sits on an owned window and marks it transient for its owner again whenever that is undone.
class TransientMarker : public QObject {
public:
    explicit TransientMarker(QWidget* window) : QObject(window), mWindow(window) {
        window->installEventFilter(this);
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched != mWindow) return false;
        if (event->type() == QEvent::WinIdChange) {
            MarkTransient(mWindow);
        } else if (event->type() == QEvent::Show) {
            // The toolkit maps the window, clearing the property, after this event.
            QTimer::singleShot(0, mWindow, [w = mWindow] { MarkTransient(w); });
        }
        return false;
    }

private:
    QWidget* mWindow;
};
QString gAppPath;

// Sits on an owner window and hides the windows it owns while it is minimized, showing
// again those that were visible when it comes back.
class MinimizeFollower : public QObject {
public:
    explicit MinimizeFollower(QWidget* owner) : QObject(owner), mOwner(owner) {
        owner->installEventFilter(this);
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == mOwner && event->type() == QEvent::WinIdChange) {
            // The owner's native window was made anew: its windows name the new one.
            for (QWidget* child : mOwner->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
                if (child->isWindow()) MarkTransient(child);
        }
        if (watched == mOwner && event->type() == QEvent::WindowStateChange) {
            if (mOwner->isMinimized()) {
                HideOwned();
            } else {
                ShowHidden();
            }
        }
        return false;
    }

private:
    void HideOwned() {
        for (QWidget* child : mOwner->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            if (child->isWindow() && child->isVisible()) {
                mHidden.push_back(child);
                child->hide();
            }
        }
    }
    void ShowHidden() {
        for (const QPointer<QWidget>& w : mHidden)
            if (w) w->show();
        mHidden.clear();
    }

    QWidget* mOwner;
    std::vector<QPointer<QWidget>> mHidden;
};

}  // namespace

void SetOwner(QWidget* window, QWidget* owner) {
    if (!window || !owner || window == owner) return;
    if (window->parentWidget() != owner) {
        const QRect geometry = window->geometry();
        const bool visible = window->isVisible();
        // Reparenting keeps the window a top-level window (its flags say so); Qt then keeps
        // it above its parent, marks it transient for the parent on the window system, and
        // deletes it with the parent.
        window->setParent(owner, window->windowFlags());
        window->setGeometry(geometry);
        if (visible) window->show();
        if (!owner->property(kFollowed).toBool()) {
            owner->setProperty(kFollowed, true);
            new MinimizeFollower(owner);
        }
    }
    if (!window->property(kMarked).toBool()) {
        window->setProperty(kMarked, true);
        new TransientMarker(window);
    }
    MarkTransient(window);
    window->raise();
}

QWidget* OwnerOf(const QWidget* window) {
    return window && window->isWindow() ? window->parentWidget() : nullptr;
}

void MsgBoxInfo(QWidget* owner, const QString& text, const QString& title) {
    if (gMessageBoxHook) {
        gMessageBoxHook(text, title);
        return;
    }
    QMessageBox::information(owner, title.isEmpty() ? QCoreApplication::applicationName() : title,
                             text);
}

void SetMessageBoxHook(MessageBoxHook hook) {
    gMessageBoxHook = std::move(hook);
}

QString AppPath() {
    return gAppPath.isEmpty() ? files::DataDir() : gAppPath;
}

void SetAppPath(const QString& folder) {
    gAppPath = folder;
}

}  // namespace platform::window
