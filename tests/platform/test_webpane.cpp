// The real browser pane against a small HTTP server on 127.0.0.1, with the real web engine.

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <httplib.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QLabel>
#include <QPrinter>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <QWebEngineHistory>
#include <QWebEngineView>
#include <atomic>
#include <memory>
#include <mutex>
#include <thread>

#include "platform/WebTestServer.h"
#include "platform/browser/WebEngineShared.h"
#include "platform/browser/WebPane.h"

namespace platform::browser {
namespace {

using webtest::TestServer;
using webtest::WaitUntil;

// A socket on a free loopback port. Closed at once, it leaves a port nobody answers on;
// listening, it takes connections but never answers them.
struct LoopbackSocket {
    int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    int port = 0;
    explicit LoopbackSocket(bool listen) {
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t len = sizeof addr;
        ::bind(fd, reinterpret_cast<sockaddr*>(&addr), len);
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len);
        port = ntohs(addr.sin_port);
        if (listen) ::listen(fd, 8);
    }
    ~LoopbackSocket() { ::close(fd); }
};

const QByteArray kDownload = QByteArray::fromStdString(webtest::TestServer::Download());

class WebPaneTest : public ::testing::Test {
protected:
    void SetUp() override {
        InstallWebPane();
        mWindow = std::make_unique<QWidget>();
        mWindow->resize(480, 360);
        mPane = BrowserPane::Create(mWindow.get());
        mPane->setGeometry(0, 0, 480, 360);
        mWindow->show();
    }
    void TearDown() override {
        WebPane::SetSaveFileChooser({});
        WebPane::SetPrintChooser({});
    }

    QWebEngineView* View() const { return mPane->findChild<QWebEngineView*>(); }
    QWidget* ErrorPanel() const { return mPane->findChild<QWidget*>(QStringLiteral("ErrorPanel")); }
    bool Loaded() const { return !mPane->NavigationPending(); }

    TestServer mServer;
    std::unique_ptr<QWidget> mWindow;
    BrowserPane* mPane = nullptr;
};

TEST_F(WebPaneTest, CreatesItsViewOnFirstNavigationAndLoadsThePage) {
    ASSERT_NE(dynamic_cast<WebPane*>(mPane), nullptr);
    mPane->Refresh();
    mPane->Navigate(QStringLiteral("   "));
    EXPECT_EQ(View(), nullptr);
    EXPECT_FALSE(mPane->NavigationPending());
    EXPECT_TRUE(mPane->CurrentUrl().isEmpty());

    // A bare host with a port and a path becomes an http address.
    mPane->Navigate(QStringLiteral("127.0.0.1:%1/page").arg(mServer.Port()));
    ASSERT_NE(View(), nullptr);
    EXPECT_TRUE(mPane->NavigationPending());
    QWidget* line = mPane->findChild<QWidget*>(QStringLiteral("LoadProgress"));
    ASSERT_NE(line, nullptr);
    EXPECT_TRUE(line->isVisible());
    EXPECT_LE(line->height(), 3);

    ASSERT_TRUE(WaitUntil([&] { return Loaded(); }));
    EXPECT_EQ(mServer.Requests("/page"), 1);
    EXPECT_EQ(mPane->CurrentUrl(), QUrl(mServer.Url("/page")));
    EXPECT_TRUE(WaitUntil([&] { return View()->title() == QStringLiteral("Portal Page"); }));
    EXPECT_FALSE(line->isVisible());
    EXPECT_TRUE(ErrorPanel() == nullptr || !ErrorPanel()->isVisible());

    mPane->Refresh();
    EXPECT_TRUE(WaitUntil([&] { return mServer.Requests("/page") == 2 && Loaded(); }));
}

TEST_F(WebPaneTest, FirstPaneTakesTheWarmedUpViewWithNoBlankPageToGoBackTo) {
    WarmUp();
    QPointer<QWebEngineView> spare = TheEngine().spare.data();
    ASSERT_NE(spare, nullptr);
    EXPECT_FALSE(spare->isVisible());
    mPane->Navigate(mServer.Url("/page"));
    EXPECT_EQ(View(), spare.data());
    EXPECT_EQ(TheEngine().spare, nullptr);
    ASSERT_TRUE(WaitUntil([&] { return Loaded() && View()->title() == "Portal Page"; }));
    EXPECT_TRUE(View()->isVisible());
    EXPECT_TRUE(WaitUntil([&] { return !View()->history()->canGoBack(); }));
    mPane->Navigate(mServer.Url("/popup"));
    ASSERT_TRUE(WaitUntil([&] { return Loaded() && View()->title() == "Popup Page"; }));
    EXPECT_EQ(View()->history()->count(), 2);
}

TEST_F(WebPaneTest, AnAddressThatMakesNoUrlIsSaidNotDropped) {
    mPane->Navigate(QStringLiteral("http://[::1:8080/School/Profile/gui/login.cfm"));
    ASSERT_NE(ErrorPanel(), nullptr);
    EXPECT_TRUE(ErrorPanel()->isVisible());
    EXPECT_FALSE(mPane->NavigationPending());
    auto* text = ErrorPanel()->findChild<QLabel*>(QStringLiteral("ErrorText"));
    EXPECT_TRUE(text->text().contains(QStringLiteral("http://[::1:8080/School")))
        << text->text().toStdString();
    // Retry has nothing to load; a good address afterwards loads as ever.
    ErrorPanel()->findChild<QPushButton*>(QStringLiteral("RetryButton"))->click();
    EXPECT_TRUE(ErrorPanel()->isVisible());
    mPane->Navigate(mServer.Url("/page"));
    ASSERT_TRUE(WaitUntil([&] { return Loaded() && View()->title() == "Portal Page"; }));
    EXPECT_FALSE(ErrorPanel()->isVisible());
}

TEST_F(WebPaneTest, FailedLoadShowsErrorPanelAndRetryLoadsAgain) {
    const int port = LoopbackSocket(false).port;
    const QString address = QStringLiteral("http://127.0.0.1:%1/page").arg(port);
    mPane->Navigate(address);
    ASSERT_TRUE(WaitUntil([&] { return ErrorPanel() && ErrorPanel()->isVisible(); }));
    EXPECT_FALSE(mPane->NavigationPending());
    auto* text = ErrorPanel()->findChild<QLabel*>(QStringLiteral("ErrorText"));
    ASSERT_NE(text, nullptr);
    EXPECT_TRUE(text->text().contains(address)) << text->text().toStdString();

    // The portal comes up; Retry asks for the same address again.
    TestServer late(port);
    ASSERT_EQ(late.Port(), port);
    auto* retry = ErrorPanel()->findChild<QPushButton*>(QStringLiteral("RetryButton"));
    ASSERT_NE(retry, nullptr);
    retry->click();
    EXPECT_FALSE(ErrorPanel()->isVisible());
    ASSERT_TRUE(WaitUntil([&] { return late.Requests("/page") == 1 && Loaded(); }));
    EXPECT_FALSE(ErrorPanel()->isVisible());
    EXPECT_TRUE(WaitUntil([&] { return View()->title() == QStringLiteral("Portal Page"); }));
}

TEST_F(WebPaneTest, DownloadIsSavedWhereTheUserChose) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString target = dir.filePath(QStringLiteral("saved.bin"));
    QFile old(target);  // the dialog has confirmed replacing it
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("old contents");
    old.close();

    int asked = 0;
    QStringList suggestions;
    WebPane::SetSaveFileChooser([&](QWidget* parent, const QString& suggested) {
        EXPECT_EQ(parent, mWindow.get());
        suggestions << suggested;
        return ++asked == 1 ? QString() : target;  // the first time the user cancels
    });

    mPane->Navigate(mServer.Url("/grades.bin"));
    ASSERT_TRUE(WaitUntil([&] { return asked == 1 && Loaded(); }));
    mPane->Navigate(mServer.Url("/grades.bin"));
    ASSERT_TRUE(WaitUntil([&] {
        QFile f(target);
        return f.open(QIODevice::ReadOnly) && f.readAll() == kDownload;
    }));
    EXPECT_EQ(asked, 2);
    ASSERT_EQ(suggestions.size(), 2);
    const QString downloads = QStandardPaths::writableLocation(QStandardPaths::DownloadLocation);
    EXPECT_EQ(suggestions[0], downloads + QStringLiteral("/grades.bin"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("saved.bin")});
    EXPECT_FALSE(mPane->NavigationPending());
}

TEST_F(WebPaneTest, WindowPrintGoesThroughThePrintChooser) {
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("page.pdf"));
    int asked = 0;
    WebPane::SetPrintChooser([&](QWidget* parent, QPrinter* printer) {
        EXPECT_EQ(parent, mWindow.get());
        ++asked;
        printer->setOutputFormat(QPrinter::PdfFormat);
        printer->setOutputFileName(pdf);
        return true;
    });
    mPane->Navigate(mServer.Url("/page"));
    ASSERT_TRUE(WaitUntil([&] { return Loaded(); }));
    int printed = 0;
    QObject::connect(View(), &QWebEngineView::printFinished, [&](bool ok) { printed += ok; });
    View()->page()->runJavaScript(QStringLiteral("window.print()"));
    ASSERT_TRUE(WaitUntil([&] { return asked == 1; }));
    // The page is printed onto the printer the chooser set up.
    ASSERT_TRUE(WaitUntil([&] { return printed == 1; }));
    QFile file(pdf);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.read(5) == "%PDF-");
}

// Counts the engine's complaint that a profile was deleted before its pages.
std::atomic<int> gEarlyProfileReleases{0};
QtMessageHandler gPreviousHandler = nullptr;
void CountEarlyProfileReleases(QtMsgType type, const QMessageLogContext& context,
                               const QString& msg) {
    if (msg.contains(QLatin1String("Release of profile requested"))) ++gEarlyProfileReleases;
    gPreviousHandler(type, context, msg);
}

TEST_F(WebPaneTest, ClosedPaneFinishesItsNavigationWithinBounds) {
    gPreviousHandler = qInstallMessageHandler(CountEarlyProfileReleases);

    // A pane with nothing pending takes its view along at once.
    mPane->Navigate(mServer.Url("/page"));
    ASSERT_TRUE(WaitUntil([&] { return Loaded(); }));
    delete mPane;
    EXPECT_EQ(LingeringViewCount(), 0);

    // Another window stays open through the settling and keeps using the shared profile.
    QWidget other;
    BrowserPane* otherPane = BrowserPane::Create(&other);
    otherPane->Navigate(mServer.Url("/page"));
    ASSERT_TRUE(WaitUntil([&] { return !otherPane->NavigationPending(); }));

    // A logout asked for just before the window goes still reaches the server.
    mPane = BrowserPane::Create(mWindow.get());
    mPane->Navigate(mServer.Url("/slow"));
    mWindow.reset();
    EXPECT_EQ(LingeringViewCount(), 1);
    QElapsedTimer clock;
    clock.start();
    SettlePendingNavigations(10000);
    EXPECT_LT(clock.elapsed(), 10000);
    EXPECT_EQ(mServer.Requests("/slow"), 1);
    EXPECT_EQ(LingeringViewCount(), 0);

    otherPane->Refresh();
    EXPECT_TRUE(WaitUntil([&] { return mServer.Requests("/page") == 3; }));
    EXPECT_TRUE(WaitUntil([&] { return !otherPane->NavigationPending(); }));

    // A server that never answers holds the exit up no longer than the bound.
    LoopbackSocket silent(true);
    SetUp();
    mPane->Navigate(QStringLiteral("http://127.0.0.1:%1/logout").arg(silent.port));
    mWindow.reset();
    EXPECT_EQ(LingeringViewCount(), 1);
    clock.restart();
    SettlePendingNavigations(700);
    EXPECT_GE(clock.elapsed(), 650);
    EXPECT_LT(clock.elapsed(), 700 + 1500);
    EXPECT_EQ(LingeringViewCount(), 0);

    delete otherPane;  // the last page goes, and the profile after it
    qInstallMessageHandler(gPreviousHandler);
    EXPECT_EQ(gEarlyProfileReleases, 0);
}

}  // namespace
}  // namespace platform::browser

int main(int argc, char** argv) {
    platform::browser::PrepareWebEngine();
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    const int rc = RUN_ALL_TESTS();
    platform::browser::SettlePendingNavigations();
    return rc;
}
