#pragma once
// Helpers for tests that use the program as a person would: clicks delivered as mouse events,
// and waiting by polling the event loop with a generous bound (never a fixed sleep).

#include <QApplication>
#include <QElapsedTimer>
#include <QMouseEvent>
#include <QWidget>
#include <functional>

namespace testsupport {

// A left-button press and release at `at` (default: the widget's centre).
inline void Click(QWidget* w, QPoint at = QPoint(-1, -1)) {
    if (at == QPoint(-1, -1)) at = w->rect().center();
    const QPointF local(at);
    const QPointF global(w->mapToGlobal(at));
    QMouseEvent press(QEvent::MouseButtonPress, local, global, Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(w, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, local, global, Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(w, &release);
}

// Processes events until `done` holds or `ms` pass; returns whether it holds.
inline bool WaitFor(const std::function<bool()>& done, int ms = 10000) {
    QElapsedTimer t;
    t.start();
    while (!done()) {
        if (t.elapsed() > ms) return false;
        QApplication::processEvents(QEventLoop::AllEvents, 20);
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    return true;
}

}  // namespace testsupport
