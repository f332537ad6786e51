#pragma once
// What the programs of bench_first_page and bench_memory share: a local page server and a
// watch for the page's first drawing. The page sets its title to "painted" once the engine has
// drawn it (two animation frames after its load event).

#include <httplib.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QWidget>
#include <cstdio>
#include <functional>
#include <memory>
#include <thread>
#include <utility>

namespace firstpage {

// A server on 127.0.0.1 that answers every path with the measured page; it stops with the
// process.
inline QString StartServer() {
    static httplib::Server server;
    static std::unique_ptr<std::thread> thread;
    server.Get(".*", [](const httplib::Request&, httplib::Response& res) {
        std::string rows;
        for (int i = 0; i < 40; ++i)
            rows += "<tr><td>Mon " + std::to_string(i + 1) +
                    " Nov</td><td>All day</td>"
                    "<td>Present</td></tr>";
        res.set_content(
            "<!DOCTYPE html><html><head><title>Attendance</title><script>"
            "addEventListener('load', () => requestAnimationFrame(() => "
            "requestAnimationFrame(() => document.title = 'painted')));</script>"
            "</head><body><h1>Attendance</h1><table>" +
                rows + "</table></body></html>",
            "text/html");
    });
    const int port = server.bind_to_any_port("127.0.0.1");
    thread = std::make_unique<std::thread>([] { server.listen_after_bind(); });
    thread->detach();
    return QStringLiteral("http://127.0.0.1:%1").arg(port);
}

// Runs `then` once the page of `view` is drawn. The view (a QWebEngineView) is reached through
// its signal by name, so that Quillmere's side need not link the engine, which its plugin brings.
class PaintWatcher : public QObject {
    Q_OBJECT
public:
    PaintWatcher(QObject* view, std::function<void()> then)
        : QObject(view), mThen(std::move(then)) {
        connect(view, SIGNAL(titleChanged(QString)), this, SLOT(OnTitle(QString)));
    }
private slots:
    void OnTitle(const QString& title) {
        if (title == QLatin1String("painted") && mThen) std::exchange(mThen, {})();
    }

private:
    std::function<void()> mThen;
};

// Prints the milliseconds since `clock` started, for bench_first_page, and ends the program.
inline void PrintAndQuit(const QElapsedTimer& clock) {
    std::printf("click-to-paint-ms %.3f\n", double(clock.nsecsElapsed()) / 1e6);
    std::fflush(stdout);
    QCoreApplication::exit(0);
}

// The pane views inside `window` (QWebEngineView, found by class name).
inline QList<QWidget*> ViewsIn(QWidget* window) {
    QList<QWidget*> views;
    for (QWidget* w : window->findChildren<QWidget*>())
        if (w->inherits("QWebEngineView")) views << w;
    return views;
}

}  // namespace firstpage
