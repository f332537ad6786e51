#include "portal/DemoPortal.h"

#include <gtest/gtest.h>
#include <httplib.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <nlohmann/json.hpp>
#include <string>
#include <thread>
#include <vector>

namespace {

using portal::DemoPortal;

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// A plain TCP connection to 127.0.0.1, for requests no HTTP client would send.
class RawConnection {
public:
    explicit RawConnection(int port) : mSock(::socket(AF_INET, SOCK_STREAM, 0)) {
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_port = htons(static_cast<uint16_t>(port));
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        mConnected = ::connect(mSock, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
    }
    ~RawConnection() { ::close(mSock); }
    RawConnection(const RawConnection&) = delete;
    RawConnection& operator=(const RawConnection&) = delete;

    bool Send(const std::string& data) {
        std::size_t sent = 0;
        while (mConnected && sent < data.size()) {
            const ssize_t n = ::send(mSock, data.data() + sent, data.size() - sent, MSG_NOSIGNAL);
            if (n <= 0) return false;
            sent += static_cast<std::size_t>(n);
        }
        return mConnected;
    }

    // Everything the server sends until it closes the connection (or 20 s pass).
    std::string ReadToEnd() {
        std::string text;
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (std::chrono::steady_clock::now() < until) {
            pollfd fd{mSock, POLLIN, 0};
            if (::poll(&fd, 1, 100) <= 0) continue;
            char buffer[4096];
            const ssize_t n = ::recv(mSock, buffer, sizeof buffer, 0);
            if (n <= 0) break;
            text.append(buffer, static_cast<std::size_t>(n));
        }
        return text;
    }

private:
    int mSock;
    bool mConnected = false;
};

std::string Exchange(int port, const std::string& request) {
    RawConnection connection(port);
    if (!connection.Send(request)) return {};
    return connection.ReadToEnd();
}

std::vector<std::string> FileLines(const std::string& path) {
    std::vector<std::string> lines;
    std::ifstream file(path);
    for (std::string line; std::getline(file, line);) lines.push_back(line);
    return lines;
}

class DemoPortalTest : public testing::Test {
protected:
    void SetUp() override {
        logPath = testing::TempDir() + "quillmere-portal-" + std::to_string(getpid()) + "-" +
                  testing::UnitTest::GetInstance()->current_test_info()->name() + ".log";
        std::remove(logPath.c_str());
        portal::Options options;
        options.logFile = logPath;
        options.uploadLimit = 1024;
        server = std::make_unique<DemoPortal>(options);
        std::string error;
        ASSERT_TRUE(server->Start(&error)) << error;
        client = std::make_unique<httplib::Client>(server->BaseUrl());
        client->set_connection_timeout(5);
        client->set_read_timeout(10);
    }
    void TearDown() override {
        server.reset();
        std::remove(logPath.c_str());
    }

    httplib::Result Upload(const std::string& fileName, std::size_t size) {
        httplib::MultipartFormDataItems items = {
            {"class", "Mathematics 8", "", ""},
            {"file", std::string(size, 'x'), fileName, "text/plain"},
        };
        return client->Post("/school/profile/gui/homeworkadd.cfm", items);
    }

    std::string logPath;
    std::unique_ptr<DemoPortal> server;
    std::unique_ptr<httplib::Client> client;
};

TEST_F(DemoPortalTest, EveryFixedPathIsAnHtmlPage) {
    const std::vector<std::string> paths = {
        "/School/Profile/GUI/",
        "/School/Profile/students",
        "/School/Profile/quillmereoutline.htm",
        "/School/Profile/gui/logout.cfm",
        "/School/Profile/gui/login.cfm",
        "/School/Profile/gui/header.cfm",
        "/School/Profile/gui/homeworksrch.cfm",
        "/School/Profile/gui/reportcardsrch.cfm",
        "/School/Profile/gui/schedulelist.cfm",
        "/School/Profile/gui/attendencelist.cfm?cmd=resetall",
        "/School/Profile/gui/studentslist.cfm?cmd=resetall",
        "/School/Profile/gui/teachers/reportcardsrch.cfm",
        "/School/Profile/gui/teachers/reportcardadd.cfm",
        "/School/Profile/gui/teachers/reportcardexternalprint.cfm",
        "/School/Profile/gui/teachers/logout.cfm",
        "/school/profile/gui/badLogin/bad_login.cfm",
        "/School/Profile/gui/teachers/homeworksrch.cfm",
        "/School/Profile/gui/teachers/Schedulelist.cfm",
        "/School/Profile/gui/teachers/attendenceadd.cfm",
        "/School/Profile/gui/teachers/studentslist.cfm",
        "/School/Profile/gui/teachers/assignmentlist.cfm?cmd=resetall",
        "/School/Profile/gui/teachers/paymentslist.cfm?cmd=resetall",
        "/School/Profile/gui/teachers/classroomtools/classtools.html",
        "/school/profile/gui/homeworkadd.cfm",
        "/School/Profile/GUI/teachers/assignmentsrch.cfm",
    };
    for (const std::string& path : paths) {
        SCOPED_TRACE(path);
        auto res = client->Get(path);
        ASSERT_TRUE(res);
        EXPECT_EQ(res->status, 200);
        EXPECT_EQ(res->get_header_value("Content-Type"), "text/html; charset=utf-8");
        EXPECT_TRUE(Contains(res->body, "<title>"));
        EXPECT_TRUE(Contains(res->body, "<h1>"));
    }

    auto print = client->Get("/School/Profile/gui/teachers/reportcardexternalprint.cfm");
    EXPECT_TRUE(Contains(print->body, "window.print()"));
    auto folder = client->Get("/School/Profile/GUI/teachers/assignmentsrch.cfm");
    EXPECT_TRUE(Contains(folder->body, "href=\"/School/Profile/files/assignment1.txt\""));
    auto file = client->Get("/School/Profile/files/assignment1.txt");
    ASSERT_TRUE(file);
    EXPECT_EQ(file->status, 200);
    EXPECT_TRUE(Contains(file->get_header_value("Content-Disposition"), "attachment"));
}

// Every portal address a window keeps in its design file, path and query as written there.
void CollectPortalAddresses(const nlohmann::json& j, std::vector<std::string>& out) {
    if (j.is_string()) {
        const std::string text = j.get<std::string>();
        const std::string prefix = "${portal}";
        if (text.rfind(prefix, 0) == 0) out.push_back(text.substr(prefix.size()));
    } else if (j.is_structured()) {
        for (const auto& item : j) CollectPortalAddresses(item, out);
    }
}

TEST_F(DemoPortalTest, AnswersEveryAddressTheWindowsOpen) {
    std::vector<std::string> paths;
    for (const auto& entry : std::filesystem::directory_iterator(QM_FORMS_DIR)) {
        if (entry.path().extension() != ".json") continue;
        std::ifstream in(entry.path());
        CollectPortalAddresses(nlohmann::json::parse(in), paths);
    }
    ASSERT_GT(paths.size(), 30u);
    for (const std::string& path : paths) {
        SCOPED_TRACE(path);
        auto res = client->Get(path);
        ASSERT_TRUE(res);
        EXPECT_EQ(res->status, 200);
        EXPECT_TRUE(Contains(res->body, "<h1>"));
    }
}

TEST_F(DemoPortalTest, MatchesPathsWithoutCaseAndAnswersTheRest) {
    auto lower = client->Get("/school/profile/gui/homeworkadd.cfm");
    auto upper = client->Get("/SCHOOL/PROFILE/GUI/HOMEWORKADD.CFM");
    auto mixed = client->Get("/School/Profile/GUI/logout.cfm");
    ASSERT_TRUE(lower && upper && mixed);
    EXPECT_EQ(upper->status, 200);
    EXPECT_EQ(upper->body, lower->body);
    EXPECT_TRUE(Contains(mixed->body, "You have been logged out"));
    EXPECT_EQ(client->Get("/school/profile/gui")->status, 200);

    auto root = client->Get("/");
    ASSERT_TRUE(root);
    EXPECT_EQ(root->status, 302);
    EXPECT_EQ(root->get_header_value("Location"), "/School/Profile/GUI/");

    auto missing = client->Get("/School/Profile/gui/nosuchpage.cfm");
    ASSERT_TRUE(missing);
    EXPECT_EQ(missing->status, 404);
    EXPECT_EQ(missing->get_header_value("Content-Type"), "text/html; charset=utf-8");
    EXPECT_TRUE(Contains(missing->body, "/School/Profile/GUI/"));
}

TEST_F(DemoPortalTest, LogsEveryRequestOfBothServersInMemoryAndInTheFile) {
    httplib::Client mail("127.0.0.1", server->WebmailPort());
    ASSERT_TRUE(client->Get("/School/Profile/gui/attendencelist.cfm?cmd=resetall"));
    ASSERT_TRUE(client->Get("/School/Profile/gui/logout.cfm"));
    ASSERT_TRUE(mail.Get("/"));
    ASSERT_TRUE(client->Get("/nowhere"));

    const std::vector<std::string> expected = {
        "GET /School/Profile/gui/attendencelist.cfm?cmd=resetall",
        "GET /School/Profile/gui/logout.cfm",
        "webmail GET /",
        "GET /nowhere",
    };
    EXPECT_EQ(server->RequestLog(), expected);

    // The file is written as requests arrive, while the server keeps running.
    EXPECT_EQ(FileLines(logPath), expected);
}

TEST_F(DemoPortalTest, LogsControlCharactersAndEscapesAsPrintableText) {
    const std::string reply =
        Exchange(server->Port(),
                 "GET /a\rFAKE\x1b[2J\x07?q=\x9b\x7f HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: "
                 "close\r\n\r\n");
    ASSERT_TRUE(Contains(reply, "HTTP/1.1 404")) << reply;
    const std::vector<std::string> expected = {"GET /a%0DFAKE%1B[2J%07?q=%9B%7F"};
    EXPECT_EQ(server->RequestLog(), expected);
    EXPECT_EQ(FileLines(logPath), expected);
}

TEST_F(DemoPortalTest, InMemoryLogKeepsTheNewestRequestsWithinItsSize) {
    // 600 requests of 8000 bytes each: more than the log holds in memory (4 MiB).
    const std::string filler(7980, 'a');
    for (int i = 0; i < 600; ++i) {
        ASSERT_TRUE(client->Get("/long/" + std::to_string(i) + "?" + filler)) << i;
    }
    const std::vector<std::string> log = server->RequestLog();
    std::size_t bytes = 0;
    for (const std::string& entry : log) bytes += entry.size();
    EXPECT_LE(bytes, 4u * 1024 * 1024);
    EXPECT_LT(log.size(), 600u);
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.back(), "GET /long/599?" + filler);
    // The file keeps every request.
    EXPECT_EQ(FileLines(logPath).size(), 600u);
}

TEST_F(DemoPortalTest, RefusesRequestsWithTooManyOrTooLargeHeaderFields) {
    auto request = [](int fields, std::size_t size) {
        std::string text = "GET /School/Profile/GUI/ HTTP/1.1\r\nHost: 127.0.0.1\r\n";
        for (int i = 2; i < fields; ++i) {
            text += "X-Field-" + std::to_string(i) + ": " + std::string(size, 'v') + "\r\n";
        }
        return text + "Connection: close\r\n\r\n";
    };
    // 100 fields are read; one more is refused, as are 20 fields of 4000 bytes.
    EXPECT_TRUE(Contains(Exchange(server->Port(), request(100, 10)), "HTTP/1.1 200"));
    const std::string many = Exchange(server->Port(), request(101, 10));
    EXPECT_TRUE(Contains(many, "HTTP/1.1 431")) << many.substr(0, 200);
    EXPECT_TRUE(Contains(many, "more than 100 header fields"));
    const std::string large = Exchange(server->Port(), request(20, 4000));
    EXPECT_TRUE(Contains(large, "HTTP/1.1 431")) << large.substr(0, 200);
    // Far past the bound the request is refused while it is still being sent.
    RawConnection flood(server->Port());
    std::thread sender([&] { flood.Send(request(200000, 10)); });
    EXPECT_TRUE(Contains(flood.ReadToEnd(), "HTTP/1.1 431"));
    sender.join();
    // The web-mail stub has the same bounds.
    EXPECT_TRUE(Contains(Exchange(server->WebmailPort(), request(101, 10)), "HTTP/1.1 431"));
    EXPECT_EQ(client->Get("/School/Profile/GUI/")->status, 200);
}

TEST_F(DemoPortalTest, AnswersRangeRequestsWithTheWholePageOnce) {
    auto plain = client->Get("/School/Profile/GUI/");
    ASSERT_TRUE(plain);
    std::string ranges = "bytes=0-";
    while (ranges.size() < 8000) ranges += ",0-";
    auto ranged = client->Get("/School/Profile/GUI/", {{"Range", ranges}});
    ASSERT_TRUE(ranged);
    EXPECT_EQ(ranged->status, 200);
    EXPECT_EQ(ranged->body, plain->body);
}

TEST_F(DemoPortalTest, LoginSetsTheSessionCookieAndLogoutClearsIt) {
    auto post = [&](const std::string& form) {
        return client->Post("/School/Profile/gui/login.cfm", form,
                            "application/x-www-form-urlencoded");
    };
    // The guest account needs its own password; other names need one that is not empty.
    for (const std::string form : {"user=&password=x", "user=guest&password=", "user=guest",
                                   "user=guest&password=wrong", "user=avery&password="}) {
        SCOPED_TRACE(form);
        auto refused = post(form);
        ASSERT_TRUE(refused);
        EXPECT_EQ(refused->status, 400);
        EXPECT_FALSE(refused->has_header("Set-Cookie"));
        EXPECT_TRUE(Contains(refused->body, "class=\"error\""));
    }
    auto demo = post("user=avery&password=anything");
    ASSERT_TRUE(demo);
    EXPECT_EQ(demo->status, 200);
    EXPECT_TRUE(demo->has_header("Set-Cookie"));
    EXPECT_TRUE(Contains(client->Get("/School/Profile/gui/login.cfm")->body,
                         "Any other user name signs in as a demo account"));

    auto login = client->Post("/School/Profile/gui/login.cfm", "user=guest&password=guest",
                              "application/x-www-form-urlencoded");
    ASSERT_TRUE(login);
    EXPECT_EQ(login->status, 200);
    EXPECT_TRUE(Contains(login->body, "Logged in as <strong>guest</strong>"));
    const std::string cookie = login->get_header_value("Set-Cookie");
    EXPECT_TRUE(Contains(cookie, "HttpOnly"));
    EXPECT_TRUE(Contains(cookie, "Path=/"));
    const std::string session = cookie.substr(0, cookie.find(';'));
    ASSERT_TRUE(session.size() > std::string("QMSESSION=").size()) << cookie;

    const httplib::Headers withCookie = {{"Cookie", session}};
    auto page = client->Get("/School/Profile/gui/header.cfm", withCookie);
    EXPECT_TRUE(Contains(page->body, "Signed in as <strong>guest</strong>"));

    auto logout = client->Get("/School/Profile/gui/teachers/logout.cfm", withCookie);
    ASSERT_TRUE(logout);
    EXPECT_TRUE(Contains(logout->body, "You have been logged out"));
    const std::string cleared = logout->get_header_value("Set-Cookie");
    EXPECT_TRUE(Contains(cleared, "QMSESSION=;"));
    EXPECT_TRUE(Contains(cleared, "Max-Age=0"));
    // The old cookie no longer names a session.
    page = client->Get("/School/Profile/gui/header.cfm", withCookie);
    EXPECT_TRUE(Contains(page->body, "Not signed in"));
}

TEST_F(DemoPortalTest, UploadKeepsFilesWithinTheLimitAndRefusesLargerOnes) {
    auto ok = Upload("essay.txt", 1024);
    ASSERT_TRUE(ok);
    EXPECT_EQ(ok->status, 200);
    EXPECT_TRUE(Contains(ok->body, "essay.txt"));
    EXPECT_TRUE(Contains(ok->body, "1024 bytes"));
    // Later visits list what was handed in.
    EXPECT_TRUE(Contains(client->Get("/school/profile/gui/homeworkadd.cfm")->body, "essay.txt"));

    // Just over the limit: refused by the page.
    auto over = Upload("big.txt", 1025);
    ASSERT_TRUE(over);
    EXPECT_EQ(over->status, 413);
    EXPECT_TRUE(Contains(over->body, "upload limit of 1 KB"));
    // Far over: refused by the server while reading, with the same page.
    auto far = Upload("huge.txt", 200 * 1024);
    ASSERT_TRUE(far);
    EXPECT_EQ(far->status, 413);
    EXPECT_TRUE(Contains(far->body, "upload limit of 1 KB"));
    EXPECT_FALSE(Contains(client->Get("/school/profile/gui/homeworkadd.cfm")->body, "big.txt"));
}

TEST_F(DemoPortalTest, EscapesUserTextInPages) {
    auto upload = Upload("<img src=x onerror=\"alert('x')\">&.txt", 10);
    ASSERT_TRUE(upload);
    EXPECT_FALSE(Contains(upload->body, "<img src=x"));
    EXPECT_TRUE(Contains(upload->body,
                         "&lt;img src=x onerror=&quot;alert(&#39;x&#39;)&quot;&gt;&amp;.txt"));

    auto login =
        client->Post("/School/Profile/gui/login.cfm", "user=%3Cb%20onclick%3D%22x%22%3E&password=x",
                     "application/x-www-form-urlencoded");
    ASSERT_TRUE(login);
    EXPECT_FALSE(Contains(login->body, "<b onclick"));
    EXPECT_TRUE(Contains(login->body, "&lt;b onclick=&quot;x&quot;&gt;"));
}

TEST_F(DemoPortalTest, WebmailStubShowsAnInboxAndAcceptsAnyLogin) {
    httplib::Client mail("127.0.0.1", server->WebmailPort());
    EXPECT_EQ(server->WebmailHost(), "127.0.0.1:" + std::to_string(server->WebmailPort()));
    auto inbox = mail.Get("/");
    ASSERT_TRUE(inbox);
    EXPECT_EQ(inbox->status, 200);
    EXPECT_EQ(inbox->get_header_value("Content-Type"), "text/html; charset=utf-8");
    EXPECT_TRUE(Contains(inbox->body, "action=\"/login\""));

    auto login = mail.Post("/login", "user=anyone&password=", "application/x-www-form-urlencoded");
    ASSERT_TRUE(login);
    EXPECT_EQ(login->status, 200);
    EXPECT_TRUE(Contains(login->body, "Welcome, anyone"));
    EXPECT_EQ(mail.Get("/message/2")->status, 200);
}

TEST_F(DemoPortalTest, StopsPromptlyWithAnIdleConnectionOpen) {
    client->set_keep_alive(true);
    ASSERT_TRUE(client->Get("/School/Profile/GUI/"));
    const int port = server->Port();

    const auto start = std::chrono::steady_clock::now();
    server->Stop();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
    EXPECT_EQ(server->Port(), 0);

    httplib::Client after("127.0.0.1", port);
    after.set_connection_timeout(2);
    EXPECT_FALSE(after.Get("/School/Profile/GUI/"));
}

TEST(DemoPortalSessions, EndAfterAnIdleHourAndTheLeastRecentlyUsedGoFirst) {
    std::atomic<int> minutes = 0;
    portal::Options options;
    options.clock = [&] {
        return std::chrono::steady_clock::time_point() + std::chrono::minutes(minutes.load());
    };
    DemoPortal server(options);
    ASSERT_TRUE(server.Start());
    httplib::Client client(server.BaseUrl());
    client.set_read_timeout(10);
    auto login = [&](const std::string& user) {
        auto res = client.Post("/School/Profile/gui/login.cfm", "user=" + user + "&password=p",
                               "application/x-www-form-urlencoded");
        if (!res) return httplib::Headers();
        const std::string cookie = res->get_header_value("Set-Cookie");
        return httplib::Headers{{"Cookie", cookie.substr(0, cookie.find(';'))}};
    };
    auto signedIn = [&](const httplib::Headers& cookie, const std::string& user) {
        auto page = client.Get("/School/Profile/gui/header.cfm", cookie);
        return page && Contains(page->body, "Signed in as <strong>" + user + "</strong>");
    };

    const httplib::Headers idle = login("idle");
    const httplib::Headers busy = login("busy");
    minutes = 59;
    EXPECT_TRUE(signedIn(busy, "busy"));
    minutes = 61;
    EXPECT_FALSE(signedIn(idle, "idle"));
    EXPECT_TRUE(signedIn(busy, "busy"));  // used two minutes ago

    // Past 1000 sessions the one used longest ago ends.
    minutes = 62;
    for (int i = 0; i < 1000; ++i) {
        std::string user = "u";
        user += std::to_string(i);
        ASSERT_FALSE(login(user).empty()) << i;
    }
    const httplib::Headers last = login("last");
    EXPECT_FALSE(signedIn(busy, "busy"));
    EXPECT_TRUE(signedIn(last, "last"));
}

TEST(DemoPortalLogFile, AWriteFailureIsReportedOnce) {
    std::mutex mutex;
    std::vector<std::string> reports;
    portal::Options options;
    options.logFile = "/dev/full";
    options.onLogError = [&](const std::string& reason) {
        std::lock_guard lock(mutex);
        reports.push_back(reason);
    };
    DemoPortal server(options);
    ASSERT_TRUE(server.Start());
    httplib::Client client(server.BaseUrl());
    ASSERT_TRUE(client.Get("/School/Profile/GUI/"));
    ASSERT_TRUE(client.Get("/School/Profile/GUI/"));
    server.Stop();
    std::lock_guard lock(mutex);
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_TRUE(Contains(reports[0], "/dev/full")) << reports[0];
    EXPECT_TRUE(Contains(reports[0], std::strerror(ENOSPC))) << reports[0];
    EXPECT_EQ(server.LogError(), reports[0]);
    // The in-memory log still has every request.
    EXPECT_EQ(server.RequestLog().size(), 2u);
}

TEST(DemoPortalConnections, SlowClientsNeitherStallOthersNorHoldOnForLong) {
    portal::Options options;
    options.requestHeadDeadline = std::chrono::seconds(2);
    DemoPortal server(options);
    ASSERT_TRUE(server.Start());
    // Eight clients send half a request and then nothing.
    std::vector<std::unique_ptr<RawConnection>> slow;
    for (int i = 0; i < 8; ++i) {
        slow.push_back(std::make_unique<RawConnection>(server.Port()));
        ASSERT_TRUE(slow.back()->Send("GET /School/Profile/GUI/ HTTP/1.1\r\nHost: 127.0.0.1\r\n"));
    }
    // A ninth is answered at once, well before the slow ones run out of time.
    httplib::Client client(server.BaseUrl());
    client.set_connection_timeout(4);
    client.set_read_timeout(4);
    auto page = client.Get("/School/Profile/GUI/");
    ASSERT_TRUE(page);
    EXPECT_EQ(page->status, 200);
    // The slow ones are told they took too long, and their connections end.
    for (auto& connection : slow) {
        EXPECT_TRUE(Contains(connection->ReadToEnd(), "HTTP/1.1 408"));
    }
}

TEST_F(DemoPortalTest, StartReportsAPortInUse) {
    portal::Options options;
    options.port = server->Port();
    DemoPortal second(options);
    std::string error;
    EXPECT_FALSE(second.Start(&error));
    EXPECT_TRUE(Contains(error, std::to_string(server->Port()))) << error;
    EXPECT_EQ(second.Port(), 0);
}

}  // namespace
