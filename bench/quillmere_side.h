#pragma once
// What Quillmere's side of bench_first_page and bench_memory share: the program's windows set up
// as main() and the application do it, with the web engine pane from its plugin, against the
// local page server; and a click as a person's.

#include <QApplication>
#include <QMouseEvent>
#include <QUrl>

#include "controls/Register.h"
#include "pages.h"
#include "platform/browser/DeferredPane.h"
#include "platform/forms/Instances.h"

namespace firstpage {

// Call after QApplication exists (and PrepareWebEngine before it).
inline void SetUpProgram() {
    platform::browser::InstallDeferredWebPane();
    const QString url = StartServer();
    platform::forms::Placeholders p;
    p.portal = url;
    p.portalHost = QUrl(url).authority();
    p.webmail = p.portalHost;
    platform::forms::SetPlaceholders(p);
    controls::RegisterControls();
}

inline void Click(QWidget* w) {
    const QPointF at(w->rect().center());
    const QPointF global(w->mapToGlobal(at.toPoint()));
    QMouseEvent press(QEvent::MouseButtonPress, at, global, Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(w, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, at, global, Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(w, &release);
}

}  // namespace firstpage
