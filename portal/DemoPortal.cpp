#include "portal/DemoPortal.h"

#include <arpa/inet.h>
#include <httplib.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <random>
#include <string_view>

namespace portal {

namespace {

constexpr const char* kHost = "127.0.0.1";
constexpr const char* kHtml = "text/html; charset=utf-8";
constexpr const char* kSessionCookie = "QMSESSION";
constexpr const char* kHome = "/School/Profile/GUI/";
// Multipart framing (boundaries, part headers, other form fields) on top of the file itself.
constexpr std::size_t kMultipartOverhead = 64 * 1024;
// The in-memory log keeps the newest entries only, by count and by size; the log file keeps
// everything.
constexpr std::size_t kMaxLogEntries = 100000;
constexpr std::size_t kMaxLogBytes = 4 * 1024 * 1024;
constexpr std::size_t kMaxUploadsListed = 50;
// Sessions: the least recently used go first past these bounds, and any unused for an hour ends.
constexpr std::size_t kMaxSessions = 1000;
constexpr std::size_t kMaxSessionBytes = 1024 * 1024;
constexpr auto kSessionIdle = std::chrono::hours(1);
constexpr std::size_t kMaxUserName = 256;

// Connections. Each server has enough workers that a few clients which send part of a request
// and stop do not keep the others waiting, and each request's line and header fields must come
// within the head deadline (Options) and within these bounds.
constexpr std::size_t kWorkers = 32;
constexpr std::size_t kMaxHeaderCount = 100;
constexpr std::size_t kMaxHeadBytes = 64 * 1024;  // request line and header fields together
constexpr auto kBodyDeadline = std::chrono::seconds(60);
constexpr auto kReadPause = std::chrono::seconds(5);  // longest silence inside a request
constexpr auto kWritePause = std::chrono::seconds(5);
// Browsers hold idle connections open; a short keep-alive lets Stop() finish quickly.
constexpr auto kKeepAlive = std::chrono::seconds(1);
constexpr std::size_t kKeepAliveRequests = 5;
// Waits are sliced so that a stopping server ends its connections promptly.
constexpr auto kWaitSlice = std::chrono::milliseconds(50);

using Clock = std::chrono::steady_clock;

enum class Refusal { kNone, kHeadTooLarge, kTooSlow };

// A client connection as the server reads it: buffered reads that count the request's line and
// header fields as they pass and stop at the bounds above, and waits that end at the request's
// deadline or when the server stops.
class GuardedStream final : public httplib::Stream {
public:
    GuardedStream(socket_t sock, const std::atomic<socket_t>& listener)
        : mSock(sock), mListener(listener) {}

    // Waits up to `idle` for the next request to begin; false when none comes.
    bool AwaitRequest(Clock::duration idle) {
        return mPos < mLen || Wait(POLLIN, Clock::now() + idle);
    }

    void BeginRequest(Clock::duration headDeadline) {
        mInHead = true;
        mHeadBytes = mLines = mLineLength = 0;
        mDeadline = Clock::now() + headDeadline;
    }

    Refusal refusal() const { return mRefusal; }

    // After refusing a head the client may still be sending it: take in what comes for a short
    // while, so that closing does not reset the connection before the client has read the answer.
    void Drain() {
        ::shutdown(mSock, SHUT_WR);
        const auto until = Clock::now() + std::chrono::seconds(1);
        std::size_t drained = 0;
        char sink[4096];
        while (drained < kMaxHeadBytes * 16 && Wait(POLLIN, until)) {
            const ssize_t n = ::recv(mSock, sink, sizeof sink, 0);
            if (n <= 0) break;
            drained += static_cast<std::size_t>(n);
        }
    }

    bool is_readable() const override { return mPos < mLen || Wait(POLLIN, ReadUntil()); }
    bool is_writable() const override { return Wait(POLLOUT, Clock::now() + kWritePause); }

    ssize_t read(char* ptr, size_t size) override {
        if (mRefusal != Refusal::kNone) return -1;
        if (size == 0) return 0;
        if (mPos == mLen) {
            if (!Wait(POLLIN, ReadUntil())) {
                if (Clock::now() >= mDeadline) mRefusal = Refusal::kTooSlow;
                return -1;
            }
            ssize_t n;
            do {
                n = ::recv(mSock, mBuffer.data(), mBuffer.size(), 0);
            } while (n < 0 && errno == EINTR);
            if (n <= 0) return n;
            mPos = 0;
            mLen = static_cast<std::size_t>(n);
        }
        std::size_t n = std::min(size, mLen - mPos);
        if (mInHead) {
            n = CountHead(n);
            if (n == 0) return -1;
        }
        std::memcpy(ptr, mBuffer.data() + mPos, n);
        mPos += n;
        return static_cast<ssize_t>(n);
    }

    ssize_t write(const char* ptr, size_t size) override {
        if (!is_writable()) return -1;
        ssize_t n;
        do {
            n = ::send(mSock, ptr, size, MSG_NOSIGNAL);
        } while (n < 0 && errno == EINTR);
        return n;
    }

    void get_remote_ip_and_port(std::string& ip, int& port) const override {
        Address(::getpeername, ip, port);
    }
    void get_local_ip_and_port(std::string& ip, int& port) const override {
        Address(::getsockname, ip, port);
    }
    socket_t socket() const override { return mSock; }

private:
    // Counts up to `n` buffered bytes of the request head; returns how many of them to hand on
    // (fewer when the head ends among them), or 0 when the head grows past its bounds.
    std::size_t CountHead(std::size_t n) {
        for (std::size_t i = 0; i < n; ++i) {
            const char c = mBuffer[mPos + i];
            if (++mHeadBytes > kMaxHeadBytes) break;
            if (c == '\n') {
                if (mLineLength == 0) {  // the empty line: the head is complete
                    mInHead = false;
                    mDeadline = Clock::now() + kBodyDeadline;
                    return i + 1;
                }
                // The request line, then one line per header field.
                if (++mLines > kMaxHeaderCount + 1) break;
                mLineLength = 0;
            } else if (c != '\r') {
                ++mLineLength;
            }
            if (i + 1 == n) return n;
        }
        mRefusal = Refusal::kHeadTooLarge;
        return 0;
    }

    Clock::time_point ReadUntil() const { return std::min(Clock::now() + kReadPause, mDeadline); }

    // Waits for `events` until `until`; false on time-out or error, and a wait to read also
    // ends when the server stops (an answer under way is still written).
    bool Wait(short events, Clock::time_point until) const {
        for (;;) {
            if ((events & POLLIN) && mListener == INVALID_SOCKET) return false;
            const auto left = until - Clock::now();
            if (left <= Clock::duration::zero()) return false;
            const auto slice = std::min<Clock::duration>(left, kWaitSlice);
            pollfd fd{mSock, events, 0};
            const int ready = ::poll(
                &fd, 1,
                static_cast<int>(std::chrono::ceil<std::chrono::milliseconds>(slice).count()));
            if (ready > 0) return (fd.revents & (events | POLLHUP | POLLERR)) != 0;
            if (ready < 0 && errno != EINTR) return false;
        }
    }

    template <typename Get>
    void Address(Get get, std::string& ip, int& port) const {
        sockaddr_storage addr{};
        socklen_t size = sizeof addr;
        ip.clear();
        port = 0;
        if (get(mSock, reinterpret_cast<sockaddr*>(&addr), &size) != 0) return;
        char text[INET6_ADDRSTRLEN] = {};
        if (addr.ss_family == AF_INET) {
            const auto* in = reinterpret_cast<const sockaddr_in*>(&addr);
            inet_ntop(AF_INET, &in->sin_addr, text, sizeof text);
            port = ntohs(in->sin_port);
        } else if (addr.ss_family == AF_INET6) {
            const auto* in6 = reinterpret_cast<const sockaddr_in6*>(&addr);
            inet_ntop(AF_INET6, &in6->sin6_addr, text, sizeof text);
            port = ntohs(in6->sin6_port);
        }
        ip = text;
    }

    socket_t mSock;
    const std::atomic<socket_t>& mListener;
    std::array<char, 4096> mBuffer{};
    std::size_t mPos = 0, mLen = 0;
    bool mInHead = false;
    std::size_t mHeadBytes = 0, mLines = 0, mLineLength = 0;
    Clock::time_point mDeadline = Clock::time_point::max();
    Refusal mRefusal = Refusal::kNone;
};

// The connection the current worker thread is serving, for the error pages.
thread_local const GuardedStream* tConnection = nullptr;

// A server that reads its connections through GuardedStream.
class GuardedServer final : public httplib::Server {
public:
    explicit GuardedServer(Clock::duration headDeadline) : mHeadDeadline(headDeadline) {
        new_task_queue = [] { return new httplib::ThreadPool(kWorkers); };
    }

private:
    bool process_and_close_socket(socket_t sock) override {
        bool ok = false;
        {
            GuardedStream stream(sock, svr_sock_);
            tConnection = &stream;
            for (std::size_t left = kKeepAliveRequests; left > 0; --left) {
                if (!stream.AwaitRequest(kKeepAlive)) break;
                stream.BeginRequest(mHeadDeadline);
                bool closed = false;
                // Ranges are not served: every answer is the whole page, so that no request can
                // have one page sent many times over.
                ok = process_request(stream, left == 1, closed,
                                     [](httplib::Request& req) { req.ranges.clear(); });
                if (stream.refusal() == Refusal::kHeadTooLarge) stream.Drain();
                if (!ok || closed || stream.refusal() != Refusal::kNone) break;
            }
            tConnection = nullptr;
        }
        ::shutdown(sock, SHUT_RDWR);
        ::close(sock);
        return ok;
    }

    Clock::duration mHeadDeadline;
};

// A request refused while its head was read comes to the error handler as a plain 400; give
// it the status that says why.
void StatusForRefusal(httplib::Response& res) {
    if (!tConnection || res.status != 400) return;
    switch (tConnection->refusal()) {
        case Refusal::kHeadTooLarge:
            res.status = 431;
            break;
        case Refusal::kTooSlow:
            res.status = 408;
            break;
        case Refusal::kNone:
            break;
    }
}

// A request target for the log: bytes outside printable ASCII become %XX, so that a raw CR or
// a terminal escape sequence cannot start a line of its own or reach a terminal reading it.
std::string LogText(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte > 0x20 && byte < 0x7f) {
            out += c;
        } else {
            out += '%';
            out += "0123456789ABCDEF"[byte >> 4];
            out += "0123456789ABCDEF"[byte & 0xf];
        }
    }
    return out;
}

std::string Lower(std::string_view s) {
    std::string out(s);
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return out;
}

// The page key of a request path: lower case, without a trailing slash (except the root).
std::string PageKey(std::string_view path) {
    std::string key = Lower(path);
    while (key.size() > 1 && key.back() == '/') key.pop_back();
    return key;
}

std::string Escape(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            case '\'':
                out += "&#39;";
                break;
            default:
                out += c;
        }
    }
    return out;
}

void ReplaceAll(std::string& text, std::string_view from, const std::string& to) {
    for (auto pos = text.find(from); pos != std::string::npos; pos = text.find(from, pos)) {
        text.replace(pos, from.size(), to);
        pos += to.size();
    }
}

std::string FormatSize(std::size_t bytes) {
    constexpr std::size_t kKiB = 1024, kMiB = 1024 * 1024;
    if (bytes >= kMiB && bytes % kMiB == 0) return std::to_string(bytes / kMiB) + " MB";
    if (bytes >= kKiB && bytes % kKiB == 0) return std::to_string(bytes / kKiB) + " KB";
    return std::to_string(bytes) + (bytes == 1 ? " byte" : " bytes");
}

// Browsers of old sent the whole client-side path; keep the last component only.
std::string BaseName(const std::string& name) {
    auto slash = name.find_last_of("/\\");
    return slash == std::string::npos ? name : name.substr(slash + 1);
}

std::string LogWriteFailure(const std::string& file) {
    return "cannot write the request log " + file + ": " +
           (errno ? std::strerror(errno) : "the write failed");
}

std::string NewToken() {
    std::random_device rd;
    std::uniform_int_distribution<int> hex(0, 15);
    std::string token;
    for (int i = 0; i < 32; ++i) token += "0123456789abcdef"[hex(rd)];
    return token;
}

std::string CookieValue(const httplib::Request& req, std::string_view name) {
    for (std::size_t i = 0, n = req.get_header_value_count("Cookie"); i < n; ++i) {
        const std::string header = req.get_header_value("Cookie", i);
        std::string_view rest = header;
        while (!rest.empty()) {
            auto end = rest.find(';');
            std::string_view pair = rest.substr(0, end);
            rest = end == std::string_view::npos ? std::string_view{} : rest.substr(end + 1);
            while (!pair.empty() && pair.front() == ' ') pair.remove_prefix(1);
            auto eq = pair.find('=');
            if (eq != std::string_view::npos && pair.substr(0, eq) == name) {
                return std::string(pair.substr(eq + 1));
            }
        }
    }
    return {};
}

constexpr std::string_view kStyle = R"html(
body { font-family: Arial, sans-serif; font-size: 14px; margin: 0; color: #222; }
.bar { background: #1f3f6e; color: #fff; padding: 8px 16px; display: flex;
       justify-content: space-between; }
.bar a { color: #fff; }
nav { background: #e6ebf2; padding: 6px 16px; }
nav a { margin-right: 12px; }
main { padding: 8px 16px 24px; }
table { border-collapse: collapse; margin: 8px 0; }
th, td { border: 1px solid #b8c2d0; padding: 4px 10px; text-align: left; }
th { background: #eef1f6; }
.note { background: #fff6d6; border: 1px solid #e0c96a; padding: 6px 10px; }
.error { background: #fde4e1; border: 1px solid #d9776b; padding: 6px 10px; }
label { display: inline-block; min-width: 90px; }
)html";

constexpr std::string_view kStudentNav = R"(<nav>
<a href="/School/Profile/GUI/">Home</a>
<a href="/School/Profile/gui/homeworksrch.cfm">Homework</a>
<a href="/school/profile/gui/homeworkadd.cfm">Hand in homework</a>
<a href="/School/Profile/gui/reportcardsrch.cfm">Report cards</a>
<a href="/School/Profile/gui/schedulelist.cfm">Schedule</a>
<a href="/School/Profile/gui/attendencelist.cfm?cmd=resetall">Attendance</a>
<a href="/School/Profile/gui/studentslist.cfm?cmd=resetall">Students</a>
<a href="/School/Profile/quillmereoutline.htm">Outline</a>
</nav>)";

constexpr std::string_view kTeacherNav = R"(<nav>
<a href="/School/Profile/GUI/">Portal home</a>
<a href="/School/Profile/GUI/teachers/assignmentsrch.cfm">Assignments folder</a>
<a href="/School/Profile/gui/teachers/assignmentlist.cfm?cmd=resetall">Assignments</a>
<a href="/School/Profile/gui/teachers/homeworksrch.cfm">Homework</a>
<a href="/School/Profile/gui/teachers/reportcardsrch.cfm">Report cards</a>
<a href="/School/Profile/gui/teachers/attendenceadd.cfm">Take attendance</a>
<a href="/School/Profile/gui/teachers/studentslist.cfm">Roster</a>
<a href="/School/Profile/gui/teachers/Schedulelist.cfm">Schedule</a>
<a href="/School/Profile/gui/teachers/paymentslist.cfm?cmd=resetall">Payments</a>
<a href="/School/Profile/gui/teachers/classroomtools/classtools.html">Class tools</a>
</nav>)";

// The fixed sample pages. {webmail} in a body becomes the web-mail stub's address.
struct PageDef {
    std::string_view path;
    std::string_view title;
    std::string_view body;
};

constexpr std::array kPages = {
    PageDef{"/School/Profile/GUI/", "Portal Home", R"html(
<p>Welcome to the Larkspur Hill Academy student portal for the 2024&ndash;25 school year.</p>
<h2>Announcements</h2>
<ul>
<li>Parent&ndash;teacher conferences: Thursday 14 November, 4&ndash;7 pm.</li>
<li>Term 1 report cards are now available under <a href="/School/Profile/gui/reportcardsrch.cfm">Report cards</a>.</li>
<li>The library closes early (2 pm) on Friday.</li>
</ul>
<h2>Where to go</h2>
<ul>
<li><a href="/School/Profile/gui/homeworksrch.cfm">Homework</a> and <a href="/school/profile/gui/homeworkadd.cfm">hand in finished homework</a></li>
<li><a href="/School/Profile/gui/schedulelist.cfm">Class schedule</a> and <a href="/School/Profile/gui/attendencelist.cfm?cmd=resetall">attendance</a></li>
<li><a href="/School/Profile/students">Student profiles</a></li>
<li><a href="/School/Profile/GUI/teachers/assignmentsrch.cfm">Teachers' area</a></li>
<li><a href="http://{webmail}/">School web mail</a></li>
<li><a href="/School/Profile/quillmereoutline.htm">Portal outline</a> (every page on one list)</li>
</ul>)html"},
    PageDef{"/School/Profile/students", "Student Profiles", R"html(
<p>Profiles of the students in homeroom 8B. Select a name for contact details.</p>
<table>
<tr><th>Student</th><th>Grade</th><th>Homeroom</th><th>Advisor</th></tr>
<tr><td>Avery Lindqvist</td><td>8</td><td>8B</td><td>Ms. Okafor</td></tr>
<tr><td>Jonah Petrakis</td><td>8</td><td>8B</td><td>Ms. Okafor</td></tr>
<tr><td>Mira Castellanos</td><td>8</td><td>8B</td><td>Mr. Delacroix</td></tr>
<tr><td>Theo Nakamura-Brandt</td><td>8</td><td>8B</td><td>Mr. Delacroix</td></tr>
</table>
<p>See also the <a href="/School/Profile/gui/studentslist.cfm?cmd=resetall">student list</a>.</p>)html"},
    PageDef{"/School/Profile/gui/header.cfm", "Portal Header", R"html(
<p><strong>Larkspur Hill Academy</strong> &middot; 2024&ndash;25 &middot; Term 2</p>
<p><a href="/School/Profile/GUI/">Home</a> &middot; <a href="/School/Profile/gui/login.cfm">Log in</a>
&middot; <a href="/School/Profile/gui/logout.cfm">Log out</a></p>)html"},
    PageDef{"/School/Profile/gui/homeworksrch.cfm", "Homework", R"html(
<form method="get" action="/School/Profile/gui/homeworksrch.cfm">
<label for="class">Class</label>
<select id="class" name="class"><option>All classes</option><option>Mathematics 8</option>
<option>English 8</option><option>Science 8</option><option>History 8</option></select>
<button type="submit">Search</button>
</form>
<table>
<tr><th>Due</th><th>Class</th><th>Assignment</th><th>Teacher</th></tr>
<tr><td>Mon 18 Nov</td><td>Mathematics 8</td><td>Linear equations, exercises 4.1&ndash;4.3</td><td>Ms. Okafor</td></tr>
<tr><td>Tue 19 Nov</td><td>English 8</td><td>Read chapters 5&ndash;6, reading journal entry</td><td>Mr. Halvorsen</td></tr>
<tr><td>Thu 21 Nov</td><td>Science 8</td><td>Lab report: density of liquids</td><td>Dr. Abernathy</td></tr>
<tr><td>Fri 22 Nov</td><td>History 8</td><td>Timeline poster, the canal era</td><td>Mr. Delacroix</td></tr>
</table>
<p>Finished? <a href="/school/profile/gui/homeworkadd.cfm">Hand in your homework</a>.</p>)html"},
    PageDef{"/School/Profile/gui/reportcardsrch.cfm", "Report Cards", R"html(
<table>
<tr><th>Term</th><th>Issued</th><th>Average</th><th></th></tr>
<tr><td>Term 1</td><td>8 Nov 2024</td><td>B+</td><td><a href="/School/Profile/gui/teachers/reportcardexternalprint.cfm">Printable copy</a></td></tr>
<tr><td>Term 2</td><td>&ndash;</td><td>&ndash;</td><td>Not yet issued</td></tr>
</table>
<p>Questions about a grade? Ask the class teacher or see your <a href="/School/Profile/gui/schedulelist.cfm">schedule</a> for office hours.</p>)html"},
    PageDef{"/School/Profile/gui/schedulelist.cfm", "Class Schedule", R"html(
<table>
<tr><th>Period</th><th>Time</th><th>Class</th><th>Room</th><th>Teacher</th></tr>
<tr><td>1</td><td>8:15&ndash;9:05</td><td>Mathematics 8</td><td>204</td><td>Ms. Okafor</td></tr>
<tr><td>2</td><td>9:10&ndash;10:00</td><td>English 8</td><td>112</td><td>Mr. Halvorsen</td></tr>
<tr><td>3</td><td>10:15&ndash;11:05</td><td>Science 8</td><td>Lab 2</td><td>Dr. Abernathy</td></tr>
<tr><td>4</td><td>11:10&ndash;12:00</td><td>History 8</td><td>118</td><td>Mr. Delacroix</td></tr>
<tr><td>5</td><td>12:45&ndash;13:35</td><td>Art</td><td>Studio</td><td>Ms. Ferreira</td></tr>
</table>)html"},
    PageDef{"/School/Profile/gui/attendencelist.cfm", "Attendance", R"html(
<table>
<tr><th>Date</th><th>Period</th><th>Status</th><th>Note</th></tr>
<tr><td>Mon 4 Nov</td><td>All day</td><td>Present</td><td></td></tr>
<tr><td>Tue 5 Nov</td><td>1</td><td>Tardy</td><td>Bus delay</td></tr>
<tr><td>Wed 6 Nov</td><td>All day</td><td>Excused absence</td><td>Dentist appointment</td></tr>
<tr><td>Thu 7 Nov</td><td>All day</td><td>Present</td><td></td></tr>
</table>
<p>Term to date: 38 days present, 1 excused absence, 1 tardy.</p>)html"},
    PageDef{"/School/Profile/gui/studentslist.cfm", "Students", R"html(
<table>
<tr><th>Name</th><th>Grade</th><th>Homeroom</th></tr>
<tr><td>Castellanos, Mira</td><td>8</td><td>8B</td></tr>
<tr><td>Lindqvist, Avery</td><td>8</td><td>8B</td></tr>
<tr><td>Nakamura-Brandt, Theo</td><td>8</td><td>8B</td></tr>
<tr><td>Petrakis, Jonah</td><td>8</td><td>8B</td></tr>
</table>
<p>See the <a href="/School/Profile/students">student profiles</a> for more.</p>)html"},
    PageDef{"/school/profile/gui/badLogin/bad_login.cfm", "Questions? Report Abuse", R"html(
<p>Trouble signing in, or something on the portal that should not be there? Tell us.</p>
<ul>
<li>Sign-in problems: the school office, 555-0142, weekdays 7:45&ndash;16:00.</li>
<li>To report abuse or inappropriate content, write to the dean of students,
Ms. Whitcombe, at <a href="mailto:dean@larkspur-hill.example">dean@larkspur-hill.example</a>.</li>
</ul>
<p>Reports are read within one school day and handled in confidence.</p>
<p><a href="/School/Profile/gui/login.cfm">Back to the login page</a></p>)html"},
    PageDef{"/School/Profile/gui/teachers/reportcardsrch.cfm", "Report Cards (Teachers)", R"html(
<form method="get" action="/School/Profile/gui/teachers/reportcardsrch.cfm">
<label for="term">Term</label>
<select id="term" name="term"><option>Term 1</option><option>Term 2</option></select>
<button type="submit">Search</button>
</form>
<table>
<tr><th>Student</th><th>Term</th><th>Status</th><th></th></tr>
<tr><td>Avery Lindqvist</td><td>Term 1</td><td>Issued</td><td><a href="/School/Profile/gui/teachers/reportcardexternalprint.cfm">Print</a></td></tr>
<tr><td>Jonah Petrakis</td><td>Term 1</td><td>Issued</td><td><a href="/School/Profile/gui/teachers/reportcardexternalprint.cfm">Print</a></td></tr>
<tr><td>Mira Castellanos</td><td>Term 2</td><td>Draft</td><td><a href="/School/Profile/gui/teachers/reportcardadd.cfm">Edit</a></td></tr>
</table>
<p><a href="/School/Profile/gui/teachers/reportcardadd.cfm">Enter new grades</a></p>)html"},
    PageDef{"/School/Profile/gui/teachers/reportcardadd.cfm", "Enter Report Card Grades", R"html(
<form method="post" action="/School/Profile/gui/teachers/reportcardadd.cfm">
<p><label for="student">Student</label>
<select id="student" name="student"><option>Mira Castellanos</option><option>Theo Nakamura-Brandt</option></select></p>
<p><label for="math">Mathematics</label> <input id="math" name="math" size="4" value="A-"></p>
<p><label for="english">English</label> <input id="english" name="english" size="4" value="B+"></p>
<p><label for="science">Science</label> <input id="science" name="science" size="4" value="A"></p>
<p><label for="comment">Comment</label> <input id="comment" name="comment" size="50" value="Steady progress; participates well."></p>
<button type="submit">Save grades</button>
</form>
<p><a href="/School/Profile/gui/teachers/reportcardsrch.cfm">Back to report cards</a></p>)html"},
    PageDef{"/School/Profile/gui/teachers/reportcardexternalprint.cfm", "Printable Report Card",
            R"html(
<p><button type="button" onclick="window.print()">Print</button></p>
<p><strong>Student:</strong> Avery Lindqvist &middot; <strong>Grade:</strong> 8 &middot;
<strong>Homeroom:</strong> 8B &middot; <strong>Term:</strong> 1 (2024&ndash;25)</p>
<table>
<tr><th>Class</th><th>Teacher</th><th>Grade</th><th>Comment</th></tr>
<tr><td>Mathematics 8</td><td>Ms. Okafor</td><td>A-</td><td>Careful, well-organised work.</td></tr>
<tr><td>English 8</td><td>Mr. Halvorsen</td><td>B+</td><td>Thoughtful reading journal.</td></tr>
<tr><td>Science 8</td><td>Dr. Abernathy</td><td>B</td><td>Lab reports improving.</td></tr>
<tr><td>History 8</td><td>Mr. Delacroix</td><td>A</td><td>Excellent project on the canal era.</td></tr>
<tr><td>Art</td><td>Ms. Ferreira</td><td>A-</td><td>Bold use of colour.</td></tr>
</table>
<p>Days present: 38 of 40.</p>)html"},
    PageDef{"/School/Profile/gui/teachers/homeworksrch.cfm", "Homework (Teachers)", R"html(
<table>
<tr><th>Due</th><th>Class</th><th>Assignment</th><th>Handed in</th></tr>
<tr><td>Mon 18 Nov</td><td>Mathematics 8</td><td>Linear equations, exercises 4.1&ndash;4.3</td><td>17 of 24</td></tr>
<tr><td>Thu 21 Nov</td><td>Mathematics 8</td><td>Word problems worksheet</td><td>3 of 24</td></tr>
</table>
<p><a href="/School/Profile/gui/teachers/assignmentlist.cfm?cmd=resetall">All assignments</a></p>)html"},
    PageDef{"/School/Profile/gui/teachers/Schedulelist.cfm", "Teaching Schedule", R"html(
<table>
<tr><th>Period</th><th>Time</th><th>Class</th><th>Room</th></tr>
<tr><td>1</td><td>8:15&ndash;9:05</td><td>Mathematics 8 (8B)</td><td>204</td></tr>
<tr><td>2</td><td>9:10&ndash;10:00</td><td>Mathematics 7 (7A)</td><td>204</td></tr>
<tr><td>3</td><td>10:15&ndash;11:05</td><td>Planning</td><td>&ndash;</td></tr>
<tr><td>4</td><td>11:10&ndash;12:00</td><td>Algebra I (9C)</td><td>210</td></tr>
</table>)html"},
    PageDef{"/School/Profile/gui/teachers/attendenceadd.cfm", "Take Attendance", R"html(
<form method="post" action="/School/Profile/gui/teachers/attendenceadd.cfm">
<p>Mathematics 8 (8B), period 1, today.</p>
<table>
<tr><th>Student</th><th>Present</th><th>Tardy</th><th>Absent</th></tr>
<tr><td>Castellanos, Mira</td><td><input type="radio" name="s1" value="p" checked></td><td><input type="radio" name="s1" value="t"></td><td><input type="radio" name="s1" value="a"></td></tr>
<tr><td>Lindqvist, Avery</td><td><input type="radio" name="s2" value="p" checked></td><td><input type="radio" name="s2" value="t"></td><td><input type="radio" name="s2" value="a"></td></tr>
<tr><td>Nakamura-Brandt, Theo</td><td><input type="radio" name="s3" value="p" checked></td><td><input type="radio" name="s3" value="t"></td><td><input type="radio" name="s3" value="a"></td></tr>
<tr><td>Petrakis, Jonah</td><td><input type="radio" name="s4" value="p" checked></td><td><input type="radio" name="s4" value="t"></td><td><input type="radio" name="s4" value="a"></td></tr>
</table>
<button type="submit">Save attendance</button>
</form>)html"},
    PageDef{"/School/Profile/gui/teachers/studentslist.cfm", "Class Roster", R"html(
<table>
<tr><th>Name</th><th>Homeroom</th><th>Parent or guardian</th><th>Phone</th></tr>
<tr><td>Castellanos, Mira</td><td>8B</td><td>Lucia Castellanos</td><td>555-0187</td></tr>
<tr><td>Lindqvist, Avery</td><td>8B</td><td>Erik Lindqvist</td><td>555-0123</td></tr>
<tr><td>Nakamura-Brandt, Theo</td><td>8B</td><td>Hana Nakamura</td><td>555-0166</td></tr>
<tr><td>Petrakis, Jonah</td><td>8B</td><td>Eleni Petrakis</td><td>555-0159</td></tr>
</table>
<p><a href="/School/Profile/gui/teachers/attendenceadd.cfm">Take attendance</a></p>)html"},
    PageDef{"/School/Profile/gui/teachers/assignmentlist.cfm", "Assignments", R"html(
<table>
<tr><th>Posted</th><th>Class</th><th>Title</th><th>Due</th><th>Points</th></tr>
<tr><td>11 Nov</td><td>Mathematics 8</td><td>Linear equations</td><td>18 Nov</td><td>20</td></tr>
<tr><td>12 Nov</td><td>Mathematics 7</td><td>Fractions review</td><td>19 Nov</td><td>15</td></tr>
<tr><td>13 Nov</td><td>Algebra I</td><td>Systems of equations quiz prep</td><td>20 Nov</td><td>10</td></tr>
</table>
<p>Files for students are in the <a href="/School/Profile/GUI/teachers/assignmentsrch.cfm">class assignments folder</a>.</p>)html"},
    PageDef{"/School/Profile/gui/teachers/paymentslist.cfm", "Payments", R"html(
<table>
<tr><th>Date</th><th>Family</th><th>Item</th><th>Amount</th><th>Status</th></tr>
<tr><td>1 Nov</td><td>Lindqvist</td><td>Science museum trip</td><td>$18.00</td><td>Paid</td></tr>
<tr><td>4 Nov</td><td>Petrakis</td><td>Science museum trip</td><td>$18.00</td><td>Paid</td></tr>
<tr><td>&ndash;</td><td>Castellanos</td><td>Science museum trip</td><td>$18.00</td><td>Due 15 Nov</td></tr>
</table>)html"},
    PageDef{"/School/Profile/gui/teachers/classroomtools/classtools.html", "Classroom Tools",
            R"html(
<h2>Timer</h2>
<p><span id="left">5:00</span> <button type="button" onclick="startTimer(300)">Start 5 minutes</button></p>
<h2>Pick a student</h2>
<p><span id="pick">&ndash;</span> <button type="button" onclick="pick()">Pick</button></p>
<script>
var timer;
function startTimer(s) {
  clearInterval(timer);
  timer = setInterval(function () {
    s = Math.max(0, s - 1);
    document.getElementById('left').textContent = Math.floor(s / 60) + ':' + ('0' + s % 60).slice(-2);
    if (s === 0) clearInterval(timer);
  }, 1000);
}
function pick() {
  var names = ['Mira', 'Avery', 'Theo', 'Jonah'];
  document.getElementById('pick').textContent = names[Math.floor(Math.random() * names.length)];
}
</script>)html"},
    PageDef{"/School/Profile/GUI/teachers/assignmentsrch.cfm", "Class Assignments Folder", R"html(
<p>Files posted for your classes. Download one, finish it, then
<a href="/school/profile/gui/homeworkadd.cfm">hand it in</a>.</p>
<table>
<tr><th>File</th><th>Class</th><th>Posted</th><th>Due</th></tr>
<tr><td><a href="/School/Profile/files/assignment1.txt">assignment1.txt</a></td><td>Mathematics 8</td><td>11 Nov</td><td>18 Nov</td></tr>
</table>)html"},
};

constexpr std::string_view kAssignmentFile =
    "Larkspur Hill Academy - Mathematics 8 - Ms. Okafor\n"
    "Assignment 1: Linear equations (due Monday 18 November)\n\n"
    "Solve for x and show your working:\n"
    "  1. 3x + 7 = 22\n"
    "  2. 5x - 4 = 2x + 11\n"
    "  3. 2(x + 3) = 18\n\n"
    "Hand in your answers on the portal's homework page.\n";

constexpr std::string_view kWebmailInbox = R"html(
<table>
<tr><th>From</th><th>Subject</th><th>Received</th></tr>
<tr><td>School Office</td><td><a href="/message/1">Parent&ndash;teacher conferences</a></td><td>Mon 11 Nov</td></tr>
<tr><td>Ms. Okafor</td><td><a href="/message/2">Maths homework for next week</a></td><td>Tue 12 Nov</td></tr>
</table>)html";

constexpr std::array<std::pair<std::string_view, std::string_view>, 2> kWebmailMessages = {{
    {"Parent&ndash;teacher conferences",
     "<p><strong>From:</strong> School Office</p><p>Conferences are on Thursday 14 November, "
     "4&ndash;7 pm. Book a slot at the front desk.</p>"},
    {"Maths homework for next week",
     "<p><strong>From:</strong> Ms. Okafor</p><p>Exercises 4.1&ndash;4.3 are due on Monday. "
     "The worksheet is in the class assignments folder.</p>"},
}};

const PageDef* FindPage(std::string_view key) {
    for (const PageDef& page : kPages) {
        if (PageKey(page.path) == key) return &page;
    }
    return nullptr;
}

std::string Document(std::string_view brand, std::string_view nav, const std::string& title,
                     const std::string& userBar, const std::string& body) {
    std::string html;
    html.reserve(body.size() + 2048);
    html += "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n<title>";
    html += Escape(title);
    html += "</title>\n<style>";
    html += kStyle;
    html += "</style>\n</head>\n<body>\n<div class=\"bar\"><span>";
    html += brand;
    html += "</span><span>";
    html += userBar;
    html += "</span></div>\n";
    html += nav;
    html += "\n<main>\n<h1>";
    html += Escape(title);
    html += "</h1>\n";
    html += body;
    html += "\n</main>\n</body>\n</html>\n";
    return html;
}

void SetHtml(httplib::Response& res, std::string html, int status) {
    res.status = status;
    // Pages change with the session; let every visit reach the server (and the request log).
    res.set_header("Cache-Control", "no-store");
    res.set_content(std::move(html), kHtml);
}

}  // namespace

DemoPortal::DemoPortal(Options options) : mOptions(std::move(options)) {}

DemoPortal::~DemoPortal() {
    Stop();
}

bool DemoPortal::Start(std::string* error) {
    if (mPortal) return true;
    auto fail = [&](std::string message) {
        Stop();
        if (error) *error = std::move(message);
        return false;
    };

    if (!mOptions.logFile.empty()) {
        bool opened = false;
        {
            std::lock_guard lock(mMutex);
            mLogFile.open(mOptions.logFile, std::ios::app);
            opened = mLogFile.is_open();
        }
        if (!opened) {
            return fail("cannot open the request log " + mOptions.logFile +
                        " for writing: " + std::strerror(errno));
        }
    }

    mPortal = std::make_unique<GuardedServer>(mOptions.requestHeadDeadline);
    mWebmail = std::make_unique<GuardedServer>(mOptions.requestHeadDeadline);
    for (httplib::Server* server : {mPortal.get(), mWebmail.get()}) {
        // cpp-httplib's default also sets SO_REUSEPORT, which would let a second server bind a
        // port that is already taken; keep SO_REUSEADDR only, so a busy port is an error.
        server->set_socket_options([](socket_t sock) {
            int yes = 1;
            setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof(yes));
        });
        const bool webmail = server == mWebmail.get();
        server->set_pre_routing_handler(
            [this, webmail](const httplib::Request& req, httplib::Response&) {
                Log(req, webmail);
                return httplib::Server::HandlerResponse::Unhandled;
            });
    }

    // Bodies past the upload limit are refused while reading, before they are held whole.
    mPortal->set_payload_max_length(mOptions.uploadLimit + kMultipartOverhead);
    auto portal = [this](const httplib::Request& req, httplib::Response& res) {
        HandlePortal(req, res);
    };
    mPortal->Get(".*", portal).Post(".*", portal);
    // Error statuses that no handler gave a page (the body-size refusal above, unsupported
    // methods) still get a readable one.
    mPortal->set_error_handler(httplib::Server::HandlerWithResponse(
        [this](const httplib::Request& req, httplib::Response& res) {
            StatusForRefusal(res);
            if (!res.body.empty()) return httplib::Server::HandlerResponse::Unhandled;
            if (res.status == 413) {
                SendTooLarge(req, res);
            } else if (res.status == 431) {
                SendPage(req, res, "Request Header Fields Too Large",
                         "<p>The request was not read: it has more than " +
                             std::to_string(kMaxHeaderCount) + " header fields or more than " +
                             FormatSize(kMaxHeadBytes) + " of them.</p>",
                         res.status, std::string());
            } else {
                SendPage(req, res, "Error " + std::to_string(res.status),
                         "<p>The portal could not handle this request.</p>", res.status);
            }
            return httplib::Server::HandlerResponse::Handled;
        }));

    mWebmail->set_payload_max_length(kMultipartOverhead);
    mWebmail->set_error_handler(
        httplib::Server::HandlerWithResponse([](const httplib::Request&, httplib::Response& res) {
            StatusForRefusal(res);
            return httplib::Server::HandlerResponse::Unhandled;
        }));
    auto webmail = [this](const httplib::Request& req, httplib::Response& res) {
        HandleWebmail(req, res);
    };
    mWebmail->Get(".*", webmail).Post(".*", webmail);

    // Each server is bound and running before the next is tried, so a failure can stop
    // whatever already runs (a server that never listened would keep its socket).
    auto launch = [&](httplib::Server& server, int port, std::thread& thread, int& bound,
                      std::string_view what) -> bool {
        errno = 0;
        bound = port == 0 ? server.bind_to_any_port(kHost)
                          : (server.bind_to_port(kHost, port) ? port : -1);
        if (bound <= 0) {
            bound = 0;
            std::string message = "cannot listen for the " + std::string(what) + " on " + kHost +
                                  ":" + std::to_string(port);
            return fail(message + (errno ? std::string(": ") + std::strerror(errno) : ""));
        }
        thread = std::thread([&server] { server.listen_after_bind(); });
        // The socket already listens; wait for the accept loop too, since stopping a server
        // whose loop has not begun yet would not end that loop.
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (!server.is_running()) {
            if (std::chrono::steady_clock::now() > deadline) {
                return fail("the " + std::string(what) + " server did not start");
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return true;
    };
    return launch(*mPortal, mOptions.port, mPortalThread, mPort, "portal") &&
           launch(*mWebmail, mOptions.webmailPort, mWebmailThread, mWebmailPort, "web mail");
}

void DemoPortal::Stop() {
    if (mPortal) mPortal->stop();
    if (mWebmail) mWebmail->stop();
    if (mPortalThread.joinable()) mPortalThread.join();
    if (mWebmailThread.joinable()) mWebmailThread.join();
    mPortal.reset();
    mWebmail.reset();
    mPort = mWebmailPort = 0;
    std::string failure;
    {
        std::lock_guard lock(mMutex);
        if (mLogFile.is_open()) {
            errno = 0;
            mLogFile.close();
            if (mLogFile.fail() && mLogError.empty()) failure = LogWriteFailure(mOptions.logFile);
        }
    }
    if (!failure.empty()) RecordLogError(std::move(failure));
}

int DemoPortal::Port() const {
    return mPort;
}

int DemoPortal::WebmailPort() const {
    return mWebmailPort;
}

std::string DemoPortal::BaseUrl() const {
    return std::string("http://") + kHost + ":" + std::to_string(mPort);
}

std::string DemoPortal::WebmailHost() const {
    return std::string(kHost) + ":" + std::to_string(mWebmailPort);
}

std::vector<std::string> DemoPortal::RequestLog() const {
    std::lock_guard lock(mMutex);
    return {mLog.begin(), mLog.end()};
}

std::string DemoPortal::LogError() const {
    std::lock_guard lock(mMutex);
    return mLogError;
}

void DemoPortal::RecordLogError(std::string reason) {
    {
        std::lock_guard lock(mMutex);
        if (!mLogError.empty()) return;
        mLogError = reason;
    }
    if (mOptions.onLogError) mOptions.onLogError(reason);
}

void DemoPortal::Log(const httplib::Request& req, bool webmail) {
    std::string line =
        (webmail ? "webmail " : "") + LogText(req.method) + " " + LogText(req.target);
    std::string failure;
    {
        std::lock_guard lock(mMutex);
        if (mLogFile.is_open() && mLogError.empty()) {
            errno = 0;
            mLogFile << line << std::endl;  // flushed: readers poll the file
            if (!mLogFile) {
                failure = LogWriteFailure(mOptions.logFile);
                mLogFile.close();
            }
        }
        mLogBytes += line.size();
        mLog.push_back(std::move(line));
        while (mLog.size() > kMaxLogEntries || (mLogBytes > kMaxLogBytes && mLog.size() > 1)) {
            mLogBytes -= mLog.front().size();
            mLog.pop_front();
        }
    }
    if (!failure.empty()) RecordLogError(std::move(failure));
}

std::chrono::steady_clock::time_point DemoPortal::Now() const {
    return mOptions.clock ? mOptions.clock() : std::chrono::steady_clock::now();
}

std::string DemoPortal::SessionUser(const httplib::Request& req) {
    std::string token = CookieValue(req, kSessionCookie);
    if (token.empty()) return {};
    const auto now = Now();
    std::lock_guard lock(mMutex);
    auto it = mSessions.find(token);
    if (it == mSessions.end()) return {};
    if (now - it->second.lastUsed >= kSessionIdle) {
        mSessionBytes -= it->first.size() + it->second.user.size();
        mSessions.erase(it);
        return {};
    }
    it->second.lastUsed = now;
    return it->second.user;
}

void DemoPortal::AddSession(const std::string& token, const std::string& user) {
    const auto now = Now();
    std::lock_guard lock(mMutex);
    auto drop = [&](std::map<std::string, Session>::iterator it) {
        mSessionBytes -= it->first.size() + it->second.user.size();
        return mSessions.erase(it);
    };
    for (auto it = mSessions.begin(); it != mSessions.end();) {
        it = now - it->second.lastUsed >= kSessionIdle ? drop(it) : std::next(it);
    }
    mSessions[token] = {user, now};
    mSessionBytes += token.size() + user.size();
    while (mSessions.size() > 1 &&
           (mSessions.size() > kMaxSessions || mSessionBytes > kMaxSessionBytes)) {
        auto oldest = mSessions.begin();
        for (auto it = mSessions.begin(); it != mSessions.end(); ++it) {
            if (it->first != token &&
                (oldest->first == token || it->second.lastUsed < oldest->second.lastUsed)) {
                oldest = it;
            }
        }
        drop(oldest);
    }
}

void DemoPortal::SendPage(const httplib::Request& req, httplib::Response& res,
                          const std::string& title, const std::string& body, int status,
                          std::optional<std::string> user) {
    const bool teachers = Lower(req.path).find("/teachers/") != std::string::npos;
    if (!user) user = SessionUser(req);
    const std::string logout =
        teachers ? "/School/Profile/gui/teachers/logout.cfm" : "/School/Profile/gui/logout.cfm";
    std::string userBar =
        user->empty()
            ? "Not signed in &middot; <a href=\"/School/Profile/gui/login.cfm\">Log in</a>"
            : "Signed in as <strong>" + Escape(*user) + "</strong> &middot; <a href=\"" + logout +
                  "\">Log out</a>";
    SetHtml(res,
            Document("Larkspur Hill Academy &middot; Student Information System",
                     teachers ? kTeacherNav : kStudentNav, title, userBar, body),
            status);
}

void DemoPortal::HandlePortal(const httplib::Request& req, httplib::Response& res) {
    const std::string key = PageKey(req.path);
    if (key == "/") {
        res.set_redirect(kHome);
        SetHtml(
            res,
            std::string("<!DOCTYPE html>\n<title>Larkspur Hill Academy</title>\n<p><a href=\"") +
                kHome + "\">Go to the portal home page</a></p>\n",
            302);
        return;
    }
    if (key == "/school/profile/gui/login.cfm") return HandleLogin(req, res);
    if (key == "/school/profile/gui/logout.cfm" ||
        key == "/school/profile/gui/teachers/logout.cfm") {
        return HandleLogout(req, res);
    }
    if (key == "/school/profile/gui/homeworkadd.cfm") return HandleUpload(req, res);
    if (key == "/school/profile/files/assignment1.txt") {
        res.set_header("Content-Disposition", "attachment; filename=\"assignment1.txt\"");
        res.set_content(std::string(kAssignmentFile), "text/plain; charset=utf-8");
        return;
    }
    if (key == "/school/profile/quillmereoutline.htm") {
        return SendPage(req, res, "Portal Outline", Outline());
    }
    if (const PageDef* page = FindPage(key)) {
        std::string body;
        if (req.method == "POST") {
            body += "<p class=\"note\">This is the demo portal: changes are not saved.</p>\n";
        }
        if (req.get_param_value("cmd") == "resetall") {
            body += "<p class=\"note\">Filters cleared: showing all records.</p>\n";
        }
        body += page->body;
        ReplaceAll(body, "{webmail}", WebmailHost());
        return SendPage(req, res, std::string(page->title), body);
    }
    SendPage(req, res, "Page Not Found",
             "<p>There is no page at <code>" + Escape(req.path) + "</code>.</p>\n<p><a href=\"" +
                 kHome + "\">Go to the portal home page</a></p>",
             404);
}

std::string DemoPortal::Outline() const {
    std::string body = "<p>Every page of the portal:</p>\n<ul>\n";
    auto item = [&](std::string_view path, std::string_view title) {
        body += "<li><a href=\"" + std::string(path) + "\">" + std::string(title) + "</a></li>\n";
    };
    for (const PageDef& page : kPages) item(page.path, page.title);
    item("/School/Profile/gui/login.cfm", "Log In");
    item("/School/Profile/gui/logout.cfm", "Log Out");
    item("/school/profile/gui/homeworkadd.cfm", "Hand In Homework");
    item("/School/Profile/gui/teachers/logout.cfm", "Log Out (Teachers)");
    return body + "</ul>";
}

void DemoPortal::HandleLogin(const httplib::Request& req, httplib::Response& res) {
    std::string notice;
    std::string user = SessionUser(req);
    if (req.method == "POST") {
        std::string name = req.get_param_value("user");
        std::string password = req.get_param_value("password");
        const bool guest = name == mOptions.guestUser;
        if (name.empty()) {
            notice = "<p class=\"error\">Please enter your user name.</p>\n";
        } else if (name.size() > kMaxUserName) {
            notice = "<p class=\"error\">The user name is longer than " +
                     std::to_string(kMaxUserName) + " bytes.</p>\n";
        } else if (guest && password != mOptions.guestPassword) {
            notice = "<p class=\"error\">The password of the guest account is not right.</p>\n";
        } else if (password.empty()) {
            notice = "<p class=\"error\">Please enter a password.</p>\n";
        } else {
            std::string token = NewToken();
            AddSession(token, name);
            res.set_header("Set-Cookie", std::string(kSessionCookie) + "=" + token +
                                             "; Path=/; HttpOnly; SameSite=Lax");
            return SendPage(req, res, "Logged In",
                            "<p>Logged in as <strong>" + Escape(name) +
                                "</strong>.</p>\n<p><a href=\"" + kHome +
                                "\">Continue to the portal home page</a></p>",
                            200, name);
        }
    }
    std::string body = notice;
    if (!user.empty()) {
        body += "<p>Logged in as <strong>" + Escape(user) +
                "</strong>. <a href=\"/School/Profile/gui/logout.cfm\">Log out</a></p>\n";
    }
    body += R"(<form method="post" action="/School/Profile/gui/login.cfm">
<p><label for="user">User name</label> <input id="user" name="user" autocomplete="username"></p>
<p><label for="password">Password</label> <input id="password" name="password" type="password" autocomplete="current-password"></p>
<button type="submit">Log in</button>
</form>
)";
    body += "<p>Guest account: user <code>" + Escape(mOptions.guestUser) +
            "</code>, password <code>" + Escape(mOptions.guestPassword) +
            "</code>. Any other user name signs in as a demo account with any password that is "
            "not empty.</p>\n";
    body +=
        "<p><a href=\"/school/profile/gui/badLogin/bad_login.cfm\">Trouble signing in? "
        "Questions?</a></p>";
    SendPage(req, res, "Log In", body, notice.empty() ? 200 : 400);
}

void DemoPortal::HandleLogout(const httplib::Request& req, httplib::Response& res) {
    if (std::string token = CookieValue(req, kSessionCookie); !token.empty()) {
        std::lock_guard lock(mMutex);
        if (auto it = mSessions.find(token); it != mSessions.end()) {
            mSessionBytes -= it->first.size() + it->second.user.size();
            mSessions.erase(it);
        }
    }
    res.set_header("Set-Cookie",
                   std::string(kSessionCookie) + "=; Path=/; HttpOnly; SameSite=Lax; Max-Age=0");
    // The page is rendered as signed out, whatever cookie the request still carried.
    SendPage(
        req, res, "Logged Out",
        "<p>You have been logged out.</p>\n<p><a href=\"/School/Profile/gui/login.cfm\">Log in "
        "again</a></p>",
        200, std::string());
}

std::string DemoPortal::UploadTable() const {
    std::lock_guard lock(mMutex);
    if (mUploads.empty()) return "<p>Nothing handed in yet.</p>\n";
    std::string table = "<table>\n<tr><th>File</th><th>Size</th><th>Handed in by</th></tr>\n";
    for (auto it = mUploads.rbegin(); it != mUploads.rend(); ++it) {
        table += "<tr><td>" + Escape(it->fileName) + "</td><td>" + std::to_string(it->size) +
                 " bytes</td><td>" + Escape(it->user.empty() ? "(not signed in)" : it->user) +
                 "</td></tr>\n";
    }
    return table + "</table>\n";
}

void DemoPortal::SendTooLarge(const httplib::Request& req, httplib::Response& res) {
    SendPage(
        req, res, "File Too Large",
        "<p class=\"error\">The file was not accepted: it is larger than the upload limit of " +
            FormatSize(mOptions.uploadLimit) + " (" + std::to_string(mOptions.uploadLimit) +
            " bytes).</p>\n<p><a href=\"/school/profile/gui/homeworkadd.cfm\">Try a smaller "
            "file</a></p>",
        413);
}

void DemoPortal::HandleUpload(const httplib::Request& req, httplib::Response& res) {
    std::string notice;
    int status = 200;
    if (req.method == "POST") {
        // Files stay in the request's memory only; the portal keeps their names and sizes.
        std::vector<Upload> received;
        for (const auto& [field, file] : req.files) {
            if (file.filename.empty()) continue;
            if (file.content.size() > mOptions.uploadLimit) return SendTooLarge(req, res);
            received.push_back({SessionUser(req), BaseName(file.filename), file.content.size()});
        }
        if (received.empty()) {
            notice = "<p class=\"error\">Choose a file to hand in.</p>\n";
            status = 400;
        } else {
            notice = "<p class=\"note\">Received:";
            for (const Upload& upload : received) {
                notice += " <strong>" + Escape(upload.fileName) + "</strong> (" +
                          std::to_string(upload.size) + " bytes)";
            }
            notice += ".</p>\n";
            std::lock_guard lock(mMutex);
            mUploads.insert(mUploads.end(), received.begin(), received.end());
            if (mUploads.size() > kMaxUploadsListed) {
                mUploads.erase(mUploads.begin(), mUploads.end() - kMaxUploadsListed);
            }
        }
    }
    std::string body = notice;
    body +=
        R"(<form method="post" action="/school/profile/gui/homeworkadd.cfm" enctype="multipart/form-data">
<p><label for="class">Class</label>
<select id="class" name="class"><option>Mathematics 8</option><option>English 8</option>
<option>Science 8</option><option>History 8</option></select></p>
<p><label for="file">File</label> <input id="file" name="file" type="file"></p>
<button type="submit">Upload</button>
</form>
)";
    body += "<p>Files up to " + FormatSize(mOptions.uploadLimit) + ".</p>\n<h2>Handed in</h2>\n";
    body += UploadTable();
    SendPage(req, res, "Hand In Homework", body, status);
}

void DemoPortal::HandleWebmail(const httplib::Request& req, httplib::Response& res) {
    const std::string key = PageKey(req.path);
    const std::string brand = "Larkspur Hill Web Mail";
    std::string title = "Inbox";
    std::string userBar = "Not signed in";
    std::string body;
    int status = 200;
    if (key == "/" || key == "/login") {
        if (req.method == "POST" && key == "/login") {
            // The stub accepts any credentials.
            std::string name = req.get_param_value("user");
            if (name.empty()) name = mOptions.guestUser;
            userBar = "Signed in as <strong>" + Escape(name) + "</strong>";
            body = "<p>Welcome, " + Escape(name) + ". You have 2 messages.</p>\n";
        } else {
            body = R"(<form method="post" action="/login">
<p><label for="user">User name</label> <input id="user" name="user"></p>
<p><label for="password">Password</label> <input id="password" name="password" type="password"></p>
<button type="submit">Sign in</button>
</form>
)";
        }
        body += kWebmailInbox;
    } else if (key == "/message/1" || key == "/message/2") {
        const auto& [subject, text] = kWebmailMessages[key.back() - '1'];
        title = "Message";
        body = "<h2>" + std::string(subject) + "</h2>\n" + std::string(text) +
               "\n<p><a href=\"/\">Back to the inbox</a></p>";
    } else {
        title = "Not Found";
        body = "<p>There is no page at <code>" + Escape(req.path) +
               "</code>.</p>\n<p><a href=\"/\">Back to the inbox</a></p>";
        status = 404;
    }
    SetHtml(res, Document(brand, "", title, userBar, body), status);
}

}  // namespace portal
