#pragma once
// The embedded demo portal: a small local stand-in for the school's web portal, so the program
// and its end-to-end tests have real pages to show without any network. Two HTTP servers on
// 127.0.0.1, each on its own thread: the portal itself (sample pages for every fixed path the
// windows open, a login session cookie, an in-memory homework upload) and a web-mail stub.
// Every request either server answers is recorded in one request log.
//
// Plain C++ on cpp-httplib; no Qt, so the standalone tool and the tests link it alone.

#include <chrono>
#include <cstddef>
#include <deque>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace httplib {
class Server;
struct Request;
struct Response;
}  // namespace httplib

namespace portal {

struct Options {
    int port = 0;         // 0 = an ephemeral port chosen by the system
    int webmailPort = 0;  // 0 = ephemeral
    std::string logFile;  // request log file, appended to and flushed per line; empty = none
    std::size_t uploadLimit = 8 * 1024 * 1024;  // largest file the upload page accepts, in bytes
    // The guest account signs in with its password only; any other name is a demo account that
    // signs in with any password that is not empty.
    std::string guestUser = "guest";
    std::string guestPassword = "guest";
    // How long a client may take to send a request's line and header fields; a connection that
    // is slower is answered 408 and closed, so that it cannot hold a worker.
    std::chrono::milliseconds requestHeadDeadline{10000};
    // The clock sessions age by (steady_clock when empty); tests put in their own.
    std::function<std::chrono::steady_clock::time_point()> clock;
    // Called once (from a server thread, or from Stop() when closing the file fails) with the
    // reason when the request log file cannot be written any more. The file is not written after
    // that; LogError() keeps the reason.
    std::function<void(const std::string&)> onLogError;
};

class DemoPortal {
public:
    explicit DemoPortal(Options options = {});
    ~DemoPortal();  // stops both servers and joins their threads
    DemoPortal(const DemoPortal&) = delete;
    DemoPortal& operator=(const DemoPortal&) = delete;

    // Binds both servers to 127.0.0.1 and returns once both accept connections. On failure
    // nothing keeps running and `error` (if given) says why. Starting a running portal is a
    // no-op that succeeds.
    bool Start(std::string* error = nullptr);
    // Stops both servers and waits for their threads. Safe to call more than once.
    void Stop();

    int Port() const;                 // bound port of the portal (0 when not running)
    int WebmailPort() const;          // bound port of the web-mail stub (0 when not running)
    std::string BaseUrl() const;      // "http://127.0.0.1:PORT", no trailing slash
    std::string WebmailHost() const;  // "127.0.0.1:PORT", no scheme

    // One entry per request, oldest first: method, one space, the request target as sent
    // (path and query), e.g. "GET /School/Profile/gui/attendencelist.cfm?cmd=resetall".
    // Requests to the web-mail stub start with "webmail ": "webmail GET /". Bytes of the target
    // outside printable ASCII (control characters, terminal escapes) are written as %XX, so each
    // entry is one printable line. Only the newest entries are kept, by count and by size.
    std::vector<std::string> RequestLog() const;
    // Why the request log file could not be written, or empty while it could.
    std::string LogError() const;

private:
    struct Upload {
        std::string user;
        std::string fileName;
        std::size_t size = 0;
    };

    void Log(const httplib::Request& req, bool webmail);
    void HandlePortal(const httplib::Request& req, httplib::Response& res);
    void HandleWebmail(const httplib::Request& req, httplib::Response& res);
    void HandleLogin(const httplib::Request& req, httplib::Response& res);
    void HandleLogout(const httplib::Request& req, httplib::Response& res);
    void HandleUpload(const httplib::Request& req, httplib::Response& res);
    void SendTooLarge(const httplib::Request& req, httplib::Response& res);
    // Sends a portal page; the bar names `user`, or the request's session user when not given.
    void SendPage(const httplib::Request& req, httplib::Response& res, const std::string& title,
                  const std::string& body, int status = 200,
                  std::optional<std::string> user = std::nullopt);
    std::string SessionUser(const httplib::Request& req);
    void AddSession(const std::string& token, const std::string& user);
    std::chrono::steady_clock::time_point Now() const;
    void RecordLogError(std::string reason);
    std::string UploadTable() const;
    std::string Outline() const;

    Options mOptions;
    std::unique_ptr<httplib::Server> mPortal;
    std::unique_ptr<httplib::Server> mWebmail;
    std::thread mPortalThread;
    std::thread mWebmailThread;
    int mPort = 0;
    int mWebmailPort = 0;

    mutable std::mutex mMutex;  // guards everything below
    struct Session {
        std::string user;
        std::chrono::steady_clock::time_point lastUsed;
    };

    std::deque<std::string> mLog;
    std::size_t mLogBytes = 0;  // text held in mLog
    std::ofstream mLogFile;
    std::string mLogError;
    std::map<std::string, Session> mSessions;  // session token -> user and last use
    std::size_t mSessionBytes = 0;             // tokens and names held in mSessions
    std::vector<Upload> mUploads;              // newest last; names and sizes only
};

}  // namespace portal
