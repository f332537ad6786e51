#pragma once
// What the tests of the real browser pane share: a small portal-like server on 127.0.0.1 (plain
// HTTP, or HTTPS with a self-signed certificate) that records every request, and ways to wait
// for the event loop and to answer the pane's dialogs as a person would.

#include <httplib.h>

#include <QApplication>
#include <QBuffer>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QImage>
#include <QPainter>
#include <QPdfWriter>
#include <QPointer>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace webtest {

// Runs the event loop until `done` holds or `ms` have passed.
inline bool WaitUntil(const std::function<bool()>& done, int ms = 20000) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > ms) return false;
        QEventLoop loop;
        QTimer::singleShot(10, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return true;
}

// The top-level widget named `name` that is showing, or null.
inline QWidget* Shown(const QString& name) {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == name && w->isVisible()) return w;
    return nullptr;
}

// Answers the dialog named `name` with `answer` as soon as it shows, once. The answer runs from
// a timer, so it also reaches a dialog that runs its own event loop. Returns a flag that turns
// true once it has answered.
inline std::shared_ptr<bool> AnswerWhenShown(const QString& name,
                                             std::function<void(QWidget*)> answer) {
    auto answered = std::make_shared<bool>(false);
    auto* timer = new QTimer(qApp);
    timer->setInterval(20);
    QObject::connect(timer, &QTimer::timeout, [=] {
        QWidget* dialog = Shown(name);
        if (!dialog || *answered) return;
        *answered = true;
        timer->stop();
        timer->deleteLater();
        answer(dialog);
    });
    timer->start();
    return answered;
}

// A small one-page PDF, made the way a report-card server might.
inline std::string SamplePdf() {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setTitle(QStringLiteral("Report card"));
        QPainter painter(&writer);
        painter.drawText(QPointF(200, 400), QStringLiteral("Report card: all A"));
    }
    return bytes.toStdString();
}

// A 64 x 48 picture in PNG: red over blue.
inline std::string SamplePng() {
    QImage image(64, 48, QImage::Format_RGB32);
    image.fill(Qt::blue);
    QPainter(&image).fillRect(0, 0, 64, 24, Qt::red);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes.toStdString();
}

struct Request {
    std::string path;
    std::string authorization;  // the Authorization header, empty when none was sent
};

// Every page the tests need. Paths:
//   /page, /slow (300 ms), /grades.bin (an attachment), /cut.bin (an attachment whose
//   connection ends half way), /slow.bin (an attachment that takes seconds), /opener (a link to
//   /popup with target="_blank" that fills the page, and a button that opens /popup2 with
//   window.open), /autopopup (opens a window with no click), /popup, /popup2, /report.pdf,
//   /broken.pdf, /words ("apple" twelve times), /secret and /secret2 (Basic sign-in as ann / pw1,
//   realms "Staff" and "Other"), /permission (asks to show notifications and titles itself with the
//   answer); any other path gets a small page that counts the keys it sees in window.keys.
class TestServer {
public:
    static constexpr const char* kSecretAuth = "Basic YW5uOnB3MQ==";  // ann:pw1

    // `port` 0 takes a free one; `tls` serves HTTPS with tests/platform/data/selfsigned.*.
    explicit TestServer(int port = 0, bool tls = false) {
        if (tls) {
            mServer = std::make_unique<httplib::SSLServer>(QM_TEST_DATA "/selfsigned.crt",
                                                           QM_TEST_DATA "/selfsigned.key");
        } else {
            mServer = std::make_unique<httplib::Server>();
        }
        mScheme = tls ? "https" : "http";
        Route();
        // Idle connections the engine keeps open end soon, so that stopping is quick.
        mServer->set_keep_alive_timeout(1);
        mPort = port ? (mServer->bind_to_port("127.0.0.1", port) ? port : -1)
                     : mServer->bind_to_any_port("127.0.0.1");
        mThread = std::thread([this] { mServer->listen_after_bind(); });
        // A stop that came before the server runs would be lost, and the thread never end.
        while (mPort > 0 && !mServer->is_running())
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ~TestServer() {
        mServer->stop();
        mThread.join();
    }

    QString Url(const char* path) const {
        return QStringLiteral("%1://127.0.0.1:%2%3")
            .arg(QLatin1String(mScheme))
            .arg(mPort)
            .arg(QLatin1String(path));
    }
    int Port() const { return mPort; }
    int Requests(const std::string& path) {
        std::lock_guard lock(mMutex);
        return int(std::count_if(mLog.begin(), mLog.end(),
                                 [&](const Request& r) { return r.path == path; }));
    }
    int AllRequests() {
        std::lock_guard lock(mMutex);
        return int(mLog.size());
    }
    std::vector<std::string> Authorizations(const std::string& path) {
        std::lock_guard lock(mMutex);
        std::vector<std::string> out;
        for (const Request& r : mLog)
            if (r.path == path) out.push_back(r.authorization);
        return out;
    }

private:
    static std::string Page(const std::string& title, const std::string& body = {},
                            const std::string& head = {}) {
        return "<!DOCTYPE html><html><head><title>" + title + "</title>" + head + "</head><body>" +
               body + "</body></html>";
    }

    void Route() {
        httplib::Server& s = *mServer;
        s.set_pre_routing_handler([this](const httplib::Request& req, httplib::Response&) {
            std::lock_guard lock(mMutex);
            mLog.push_back({req.path, req.get_header_value("Authorization")});
            return httplib::Server::HandlerResponse::Unhandled;
        });
        auto html = [](std::string content) {
            return [content](const httplib::Request&, httplib::Response& res) {
                res.set_content(content, "text/html");
            };
        };
        s.Get("/page", html(Page("Portal Page")));
        s.Get("/slow", [](const httplib::Request&, httplib::Response& res) {
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
            res.set_content("<html><title>Bye</title></html>", "text/html");
        });
        s.Get("/grades.bin", [](const httplib::Request&, httplib::Response& res) {
            res.set_header("Content-Disposition", "attachment; filename=\"grades.bin\"");
            res.set_content(Download(), "application/octet-stream");
        });
        s.Get("/cut.bin", [](const httplib::Request&, httplib::Response& res) {
            res.set_header("Content-Disposition", "attachment; filename=\"cut.bin\"");
            res.set_content_provider(400 * 1024, "application/octet-stream",
                                     [](size_t offset, size_t, httplib::DataSink& sink) {
                                         if (offset >= 100 * 1024)
                                             return false;  // the connection ends here
                                         const std::string chunk(50 * 1024, 'c');
                                         sink.write(chunk.data(), chunk.size());
                                         return true;
                                     });
        });
        s.Get("/slow.bin", [](const httplib::Request&, httplib::Response& res) {
            res.set_header("Content-Disposition", "attachment; filename=\"slow.bin\"");
            res.set_content_provider(
                64 * 16 * 1024, "application/octet-stream",
                [](size_t, size_t, httplib::DataSink& sink) {
                    std::this_thread::sleep_for(std::chrono::milliseconds(100));
                    const std::string chunk(16 * 1024, 's');
                    return sink.write(chunk.data(), chunk.size());
                });
        });
        s.Get("/opener",
              html(Page("Opener",
                        "<a id='blank' href='/popup' target='_blank' style='display:block;"
                        "position:absolute;left:0;top:0;width:100%;height:50%'>Open</a>"
                        "<button id='open' style='position:absolute;left:0;top:60%;"
                        "width:100%;height:40%' onclick=\"window.open('/popup2','',"
                        "'width=400,height=300')\">Open small</button>")));
        s.Get("/fileopener",
              html(Page("File opener",
                        "<a href='/grades.bin' target='_blank' style='display:block;"
                        "position:absolute;left:0;top:0;width:100%;height:100%'>Grades</a>")));
        s.Get("/autopopup", html(Page("Auto", "", "<script>window.open('/popup');</script>")));
        s.Get("/popup", html(Page("Popup Page", "<p>A page of its own</p>")));
        s.Get("/popup2", html(Page("Small Popup")));
        s.Get("/report.pdf", [pdf = SamplePdf()](const httplib::Request&, httplib::Response& res) {
            res.set_content(pdf, "application/pdf");
        });
        s.Get("/broken.pdf", [](const httplib::Request&, httplib::Response& res) {
            res.set_content("%PDF-1.4 this is not really a PDF", "application/pdf");
        });
        std::string words;
        for (int i = 0; i < 12; ++i) words += "<p>apple pie number " + std::to_string(i) + "</p>";
        s.Get("/words", html(Page("Words", words)));
        // A picture the page shows and another it cannot read; the first needs the cookie the
        // gallery page sets, as a portal's pictures need its session.
        s.Get("/gallery", [](const httplib::Request&, httplib::Response& res) {
            res.set_header("Set-Cookie", "session=abc; Path=/");
            res.set_content(Page("Gallery",
                                 "<img id='p' src='/photo.png' width='120' height='90'>"
                                 "<img id='q' src='/gone.png' width='120' height='90' "
                                 "style='background:#888'>"),
                            "text/html");
        });
        s.Get("/photo.png",
              [png = SamplePng()](const httplib::Request& req, httplib::Response& res) {
                  if (req.get_header_value("Cookie").find("session=abc") == std::string::npos) {
                      res.status = 403;
                      return;
                  }
                  res.set_content(png, "image/png");
              });
        s.Get("/gone.png",
              [](const httplib::Request&, httplib::Response& res) { res.status = 404; });
        for (const auto& [path, realm] : {std::pair{"/secret", "Staff"}, {"/secret2", "Other"}}) {
            const std::string r = realm;
            s.Get(path, [r](const httplib::Request& req, httplib::Response& res) {
                if (req.get_header_value("Authorization") == kSecretAuth) {
                    res.set_content(Page("Secret Page"), "text/html");
                    return;
                }
                res.status = 401;
                res.set_header("WWW-Authenticate", "Basic realm=\"" + r + "\"");
                res.set_content(Page("Denied", "<p>Sign in first</p>"), "text/html");
            });
        }
        s.Get("/permission", html(Page("asking", "",
                                       "<script>Notification.requestPermission().then("
                                       "r => document.title = r);</script>")));
        s.Get(".*", html(Page("Any Page", "<p>Type here</p>",
                              "<script>window.keys = 0; document.addEventListener('keydown', "
                              "() => ++window.keys);</script>")));
    }

public:
    // The bytes /grades.bin sends.
    static std::string Download() {
        std::string bytes(150 * 1024, 'q');
        bytes += std::string("\0\x01\xff end", 7);
        return bytes;
    }

private:
    std::unique_ptr<httplib::Server> mServer;
    const char* mScheme = "http";
    std::thread mThread;
    int mPort = 0;
    std::mutex mMutex;
    std::vector<Request> mLog;
};

}  // namespace webtest
