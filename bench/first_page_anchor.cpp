// The anchor of bench_first_page: a plain Qt program with a button and a QWebEngineView. The view
// is shown at start with an empty page (the engine and a renderer running); some time later the
// button is clicked, and its handler loads the page.

#include <QApplication>
#include <QElapsedTimer>
#include <QMouseEvent>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <QWebEngineView>

#include "pages.h"

int main(int argc, char** argv) {
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    const QString url = firstpage::StartServer();
    QWidget window;
    auto* button = new QPushButton(QStringLiteral("Load/Reload"), &window);
    auto* view = new QWebEngineView(&window);
    auto* layout = new QVBoxLayout(&window);
    layout->addWidget(button);
    layout->addWidget(view, 1);
    window.resize(481, 449);
    view->setUrl(QUrl(QStringLiteral("about:blank")));
    window.show();

    QElapsedTimer clock;
    QObject::connect(button, &QPushButton::clicked, [&] { view->load(QUrl(url + "/page")); });
    // A person clicks a while after the window came up.
    QTimer::singleShot(argc > 1 ? QByteArray(argv[1]).toInt() : 2000, [&] {
        clock.start();
        new firstpage::PaintWatcher(view, [&] { firstpage::PrintAndQuit(clock); });
        button->click();
    });
    return app.exec();
}
