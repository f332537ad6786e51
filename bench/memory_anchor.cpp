// The anchor of bench_memory for pages: one QWebEngineView showing one page. Prints "ready" a
// second after the page is drawn and stays until it is ended.

#include <QApplication>
#include <QTimer>
#include <QWebEngineView>
#include <cstdio>

#include "pages.h"

namespace {
void SayReady() {
    std::puts("ready");
    std::fflush(stdout);
}
}  // namespace

int main(int argc, char** argv) {
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    QWidget window;
    window.resize(720, 450);
    const QString url = firstpage::StartServer();
    auto* view = new QWebEngineView(&window);
    view->resize(window.size());
    new firstpage::PaintWatcher(view, [] { QTimer::singleShot(1000, SayReady); });
    view->load(QUrl(url + "/page"));
    window.show();
    return app.exec();
}
