#include "platform/window/Window.h"

#include <QCoreApplication>
#include <QEvent>
#include <QMessageBox>
#include <QPointer>
#include <QWidget>
#include <QWindowStateChangeEvent>

namespace platform::window {

namespace {

MessageBoxHook gMessageBoxHook;
// Marks an owner that already has its minimize follower.
constexpr const char* kFollowed = "qm_minimizeFollower";
QString gAppPath;

// Sits on an owner window and hides the windows it owns while it is minimized, showing
// again those that were visible when it comes back.
class MinimizeFollower : public QObject {
public:
    explicit MinimizeFollower(QWidget* owner) : QObject(owner), mOwner(owner) {
        owner->installEventFilter(this);
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
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
    return gAppPath.isEmpty() ? QCoreApplication::applicationDirPath() : gAppPath;
}

void SetAppPath(const QString& folder) {
    gAppPath = folder;
}

}  // namespace platform::window
