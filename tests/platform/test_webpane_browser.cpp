// What a real portal page asks of the pane, against the test server with the real web engine:
// new windows, PDFs, sign-in, certificates, permissions, the browser keys, the context menu
// and downloads that end badly.

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QWebEnginePage>
#include <QWebEngineView>
#include <memory>

#include "platform/WebTestServer.h"
#include "platform/browser/PageWindow.h"
#include "platform/browser/WebPane.h"
#include "platform/window/Window.h"

namespace platform::browser {
namespace {

using webtest::AnswerWhenShown;
using webtest::Shown;
using webtest::TestServer;
using webtest::WaitUntil;

// The result of a script in `view`'s page, waited for.
QVariant Evaluate(QWebEngineView* view, const QString& script) {
    QVariant result;
    bool done = false;
    view->page()->runJavaScript(script, [&](const QVariant& v) {
        result = v;
        done = true;
    });
    WaitUntil([&] { return done; });
    return result;
}

class BrowserTest : public ::testing::Test {
protected:
    void SetUp() override {
        InstallWebPane();
        mWindow = std::make_unique<QWidget>();
        mWindow->setObjectName(QStringLiteral("Opener"));
        mWindow->resize(480, 360);
        mPane = static_cast<WebPane*>(BrowserPane::Create(mWindow.get()));
        mPane->setGeometry(0, 0, 480, 360);
        mWindow->show();
        mWindow->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(mWindow.get()));
    }
    void TearDown() override {
        WebPane::SetSaveFileChooser({});
        mWindow.reset();
        // Page windows and dialogs left by a failed test go too.
        for (QWidget* w : QApplication::topLevelWidgets()) w->deleteLater();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    QWebEngineView* View(WebPane* pane = nullptr) const {
        return (pane ? pane : mPane)->findChild<QWebEngineView*>();
    }
    // Loads `path` and waits until the page is complete.
    void Load(const char* path, WebPane* pane = nullptr) {
        pane = pane ? pane : mPane;
        pane->Navigate(mServer.Url(path));
        ASSERT_TRUE(WaitUntil([&] { return !pane->NavigationPending(); }));
        ASSERT_TRUE(WaitUntil([&] { return Ready(pane); }));
    }
    // Whether the page is complete, and has been drawn once since.
    bool Ready(WebPane* pane = nullptr) const {
        QWebEngineView* view = View(pane);
        if (Evaluate(view, QStringLiteral("document.readyState")).toString() !=
            QLatin1String("complete"))
            return false;
        Evaluate(view, QStringLiteral("window.qmDrawn = false; requestAnimationFrame(() => "
                                      "requestAnimationFrame(() => window.qmDrawn = true)); 0"));
        return WaitUntil([&] { return Evaluate(view, QStringLiteral("window.qmDrawn")).toBool(); },
                         5000);
    }
    QString Title(WebPane* pane = nullptr) const { return View(pane)->title(); }
    // The widget inside the view that takes input, as a person's keys and clicks reach it.
    QWidget* Input(WebPane* pane = nullptr) const { return View(pane)->focusProxy(); }
    void Keys(QKeySequence keys, WebPane* pane = nullptr) {
        QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : Input(pane);
        for (int i = 0; i < keys.count(); ++i)
            QTest::keyClick(target, keys[i].key(), keys[i].keyboardModifiers());
    }

    // The pane's context menu for a right click at `at` in the page, or null (a click that
    // comes before the page takes input is lost, as a person's would be: it is tried again).
    QMenu* ContextMenuAt(QPoint at) {
        QMenu* menu = nullptr;
        for (int attempt = 0; attempt < 5 && !menu; ++attempt) {
            QTest::mouseClick(Input(), Qt::RightButton, {}, at);
            WaitUntil(
                [&] {
                    return (menu = qobject_cast<QMenu*>(Shown(QStringLiteral("PaneContextMenu"))));
                },
                3000);
        }
        return menu;
    }

    TestServer mServer;
    std::unique_ptr<QWidget> mWindow;
    WebPane* mPane = nullptr;
};

// A page window opened by a click, if any.
PageWindow* OpenPageWindow() {
    return qobject_cast<PageWindow*>(Shown(QStringLiteral("PageWindow")));
}

// Clicks at `at` in `pane`'s page until a page window shows (a click that comes before the
// page can take input is lost, as a person's would be).
PageWindow* ClickForWindow(QWidget* input, QPoint at) {
    for (int attempt = 0; attempt < 5; ++attempt) {
        QTest::mouseClick(input, Qt::LeftButton, {}, at);
        if (WaitUntil([] { return OpenPageWindow() != nullptr; }, 3000)) return OpenPageWindow();
    }
    return nullptr;
}

TEST_F(BrowserTest, BlankTargetOpensAnOwnedWindowThatItsPageCanClose) {
    Load("/opener");
    PageWindow* opened = ClickForWindow(Input(), QPoint(60, 40));
    ASSERT_NE(opened, nullptr);
    QPointer<PageWindow> popup(opened);

    // Owned by the window whose pane asked, at the default size, on the screen.
    EXPECT_EQ(window::OwnerOf(popup), mWindow.get());
    EXPECT_TRUE(popup->isWindow());
    EXPECT_EQ(popup->size(), PageWindow::kDefaultSize);
    ASSERT_TRUE(WaitUntil([&] { return mServer.Requests("/popup") == 1; }));
    EXPECT_TRUE(WaitUntil([&] { return popup->windowTitle() == QStringLiteral("Popup Page"); }));
    EXPECT_EQ(popup->Pane()->CurrentUrl(), QUrl(mServer.Url("/popup")));

    // window.open from a click, with a size, and from the new window itself: windows chain.
    QWebEngineView* inner = View(popup->Pane());
    ASSERT_TRUE(WaitUntil([&] {
        return Evaluate(inner, QStringLiteral("document.readyState")).toString() ==
               QLatin1String("complete");
    }));
    inner->page()->runJavaScript(QStringLiteral(
        "document.body.innerHTML = \"<button style='position:fixed;left:0;top:0;width:100%;"
        "height:100%' onclick=\\\"window.open('/popup2','','width=400,height=300')\\\">"
        "x</button>\""));
    PageWindow* second = nullptr;
    for (int attempt = 0; attempt < 5 && !second; ++attempt) {
        QTest::mouseClick(Input(popup->Pane()), Qt::LeftButton, {}, QPoint(100, 100));
        WaitUntil(
            [&] {
                for (QWidget* w : QApplication::topLevelWidgets())
                    if (w != popup && qobject_cast<PageWindow*>(w) && w->isVisible())
                        second = static_cast<PageWindow*>(w);
                return second != nullptr;
            },
            3000);
    }
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(window::OwnerOf(second), popup.data());
    EXPECT_EQ(second->size(), QSize(400, 300));
    EXPECT_TRUE(WaitUntil([&] { return mServer.Requests("/popup2") == 1; }));

    // The page closes its own window, and the window it opened goes with it.
    QPointer<PageWindow> secondGuard(second);
    inner->page()->runJavaScript(QStringLiteral("window.close()"));
    EXPECT_TRUE(WaitUntil([&] { return popup.isNull() && secondGuard.isNull(); }));
    EXPECT_NE(View(), nullptr);
}

TEST_F(BrowserTest, FileOpenedInANewWindowDownloadsInTheOpenerAndLeavesNoEmptyWindow) {
    QTemporaryDir dir;
    QWidget* asked = nullptr;
    WebPane::SetSaveFileChooser([&](QWidget* parent, const QString&) {
        asked = parent;
        return dir.filePath(QStringLiteral("grades.bin"));
    });
    Load("/fileopener");
    for (int attempt = 0; attempt < 5 && mServer.Requests("/grades.bin") == 0; ++attempt) {
        QTest::mouseClick(Input(), Qt::LeftButton, {}, QPoint(60, 40));
        WaitUntil([&] { return mServer.Requests("/grades.bin") > 0; }, 3000);
    }
    ASSERT_TRUE(WaitUntil([&] { return mPane->StatusText().startsWith(QStringLiteral("Saved")); }));
    EXPECT_EQ(asked, mWindow.get());
    EXPECT_TRUE(WaitUntil([] { return OpenPageWindow() == nullptr; }));
    EXPECT_EQ(Title(), QStringLiteral("File opener"));
}

TEST_F(BrowserTest, PopupWithoutAClickStaysBlocked) {
    Load("/autopopup");
    Load("/page");  // one more round trip after the script ran
    EXPECT_EQ(OpenPageWindow(), nullptr);
    EXPECT_EQ(mServer.Requests("/popup"), 0);
}

TEST_F(BrowserTest, PageWindowPlacementKeepsItOnTheScreen) {
    const QRect screen(0, 0, 1280, 1024);
    const QRect owner(100, 100, 400, 300);
    // No size asked: the default, a step down and right of the owner.
    EXPECT_EQ(PageWindow::Place(QRect(), owner, screen), QRect(132, 132, 800, 600));
    // Asked for a place and size: kept, unless it would leave the screen.
    EXPECT_EQ(PageWindow::Place(QRect(50, 60, 300, 200), owner, screen), QRect(50, 60, 300, 200));
    EXPECT_EQ(PageWindow::Place(QRect(1200, 1000, 300, 200), owner, screen),
              QRect(980, 824, 300, 200));
    EXPECT_EQ(PageWindow::Place(QRect(0, 0, 5000, 4000), owner, screen), QRect(0, 0, 1280, 1024));
    EXPECT_EQ(PageWindow::Place(QRect(), QRect(1000, 900, 10, 10), screen),
              QRect(480, 424, 800, 600));
}

TEST_F(BrowserTest, PdfShowsInTheViewerAndABrokenOneDoesNotCrash) {
    int offered = 0;
    WebPane::SetSaveFileChooser([&](QWidget*, const QString&) {
        ++offered;
        return QString();
    });
    Load("/report.pdf");
    const QString embedded = QStringLiteral(
        "(() => { const e = document.querySelector('embed'); return e ? e.type : ''; })()");
    EXPECT_TRUE(WaitUntil(
        [&] { return Evaluate(View(), embedded).toString() == QLatin1String("application/pdf"); }));
    EXPECT_EQ(offered, 0);
    EXPECT_EQ(mServer.Requests("/report.pdf"), 1);

    Load("/broken.pdf");
    EXPECT_EQ(offered, 0);
    Load("/page");
    EXPECT_EQ(Title(), QStringLiteral("Portal Page"));
}

TEST_F(BrowserTest, SignInSendsExactlyWhatWasTypedAndCancelSendsNothing) {
    // The dialog belongs to the pane's window, with the focus in the user name.
    QWidget* owner = nullptr;
    QString focused;
    AnswerWhenShown(QStringLiteral("SignInDialog"), [&](QWidget* dialog) {
        owner = dialog->parentWidget();
        focused = dialog->focusWidget() ? dialog->focusWidget()->objectName() : QString();
        QTest::keyClicks(dialog->focusWidget(), QStringLiteral("ann"));
        QTest::keyClick(dialog->focusWidget(), Qt::Key_Tab);
        QTest::keyClicks(dialog->focusWidget(), QStringLiteral("pw1"));
        QTest::keyClick(dialog->focusWidget(), Qt::Key_Return);
    });
    Load("/secret");
    EXPECT_TRUE(WaitUntil([&] { return Title() == QStringLiteral("Secret Page"); }));
    EXPECT_EQ(owner, mWindow.get());
    EXPECT_EQ(focused, QStringLiteral("UserName"));
    // First without credentials (the server asks), then exactly those typed.
    EXPECT_EQ(mServer.Authorizations("/secret"),
              (std::vector<std::string>{"", TestServer::kSecretAuth}));

    // Another server (the engine keeps what was typed for the first one's pages).
    TestServer other;
    auto cancelled = AnswerWhenShown(QStringLiteral("SignInDialog"), [](QWidget* dialog) {
        QTest::keyClick(dialog->focusWidget(), Qt::Key_Escape);
    });
    mPane->Navigate(other.Url("/secret2"));
    ASSERT_TRUE(WaitUntil([&] { return *cancelled && !mPane->NavigationPending(); }));
    // The server's own page for the refusal shows, and nothing at all was sent.
    EXPECT_TRUE(WaitUntil([&] { return Title() == QStringLiteral("Denied"); }));
    EXPECT_EQ(other.Authorizations("/secret2"), std::vector<std::string>{""});
    auto* error = mPane->findChild<QWidget*>(QStringLiteral("ErrorPanel"));
    EXPECT_TRUE(error == nullptr || !error->isVisible());
}

TEST_F(BrowserTest, UntrustedCertificateAsksAndNothingReachesTheServerUntilContinue) {
    TestServer secure(0, true);
    const QString address = secure.Url("/page");

    // Enter takes the default: go back. No request got through.
    QWidget* owner = nullptr;
    QString problem;
    auto refused = AnswerWhenShown(QStringLiteral("CertificateDialog"), [&](QWidget* dialog) {
        owner = dialog->parentWidget();
        problem = dialog->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"))->text();
        QTest::keyClick(dialog, Qt::Key_Return);
    });
    mPane->Navigate(address);
    ASSERT_TRUE(WaitUntil([&] { return *refused && !mPane->NavigationPending(); }));
    EXPECT_EQ(owner, mWindow.get());
    EXPECT_TRUE(problem.contains(QStringLiteral("127.0.0.1:%1").arg(secure.Port())))
        << problem.toStdString();
    EXPECT_TRUE(problem.contains(QStringLiteral("not issued by an authority")))
        << problem.toStdString();
    EXPECT_EQ(secure.AllRequests(), 0);
    auto* error = mPane->findChild<QWidget*>(QStringLiteral("ErrorPanel"));
    ASSERT_NE(error, nullptr);
    EXPECT_TRUE(error->isVisible());

    // Continue: the page loads, and the answer holds for the rest of the run.
    auto accepted = AnswerWhenShown(QStringLiteral("CertificateDialog"), [](QWidget* dialog) {
        dialog->findChild<QPushButton*>(QStringLiteral("ContinueButton"))->click();
    });
    mPane->Navigate(address);
    ASSERT_TRUE(WaitUntil([&] { return secure.Requests("/page") == 1; }));
    EXPECT_TRUE(*accepted);
    EXPECT_TRUE(WaitUntil([&] { return Title() == QStringLiteral("Portal Page"); }));
    EXPECT_FALSE(error->isVisible());
    mPane->Navigate(secure.Url("/words"));
    ASSERT_TRUE(WaitUntil([&] { return Title() == QStringLiteral("Words"); }));
    EXPECT_EQ(Shown(QStringLiteral("CertificateDialog")), nullptr);
}

TEST_F(BrowserTest, PermissionIsDeniedByDefaultAndAskedOncePerRun) {
    int asked = 0;
    AnswerWhenShown(QStringLiteral("PermissionDialog"), [&](QWidget* dialog) {
        ++asked;
        EXPECT_EQ(dialog->parentWidget(), mWindow.get());
        QTest::keyClick(dialog, Qt::Key_Return);
    });
    Load("/permission");
    EXPECT_TRUE(WaitUntil([&] { return Title() == QStringLiteral("denied"); }));
    EXPECT_EQ(asked, 1);
    Load("/permission");
    EXPECT_TRUE(WaitUntil([&] { return Title() == QStringLiteral("denied"); }));
    EXPECT_EQ(asked, 1);
}

TEST_F(BrowserTest, BrowserKeysReloadFindZoomAndGoBack) {
    Load("/words");
    mPane->Focus();

    Keys(QKeySequence(Qt::Key_F5));
    EXPECT_TRUE(WaitUntil([&] { return mServer.Requests("/words") == 2; }));
    Keys(QKeySequence(Qt::CTRL | Qt::Key_R));
    EXPECT_TRUE(WaitUntil([&] { return mServer.Requests("/words") == 3; }));
    ASSERT_TRUE(WaitUntil([&] { return !mPane->NavigationPending() && Ready(); }));

    // Find: type, count, next and previous, Escape gives the page the keys back.
    Keys(QKeySequence(Qt::CTRL | Qt::Key_F));
    auto* field = mPane->findChild<QLineEdit*>(QStringLiteral("FindText"));
    auto* count = mPane->findChild<QLabel*>(QStringLiteral("FindCount"));
    ASSERT_NE(field, nullptr);
    ASSERT_TRUE(field->isVisible());
    EXPECT_TRUE(field->hasFocus());
    QTest::keyClicks(field, QStringLiteral("apple"));
    EXPECT_TRUE(WaitUntil([&] { return count->text() == QStringLiteral("1 of 12"); }))
        << count->text().toStdString();
    QTest::keyClick(field, Qt::Key_Return);
    EXPECT_TRUE(WaitUntil([&] { return count->text() == QStringLiteral("2 of 12"); }));
    QTest::keyClick(field, Qt::Key_F3);
    EXPECT_TRUE(WaitUntil([&] { return count->text() == QStringLiteral("3 of 12"); }));
    QTest::keyClick(field, Qt::Key_Return, Qt::ShiftModifier);
    EXPECT_TRUE(WaitUntil([&] { return count->text() == QStringLiteral("2 of 12"); }));
    QTest::keyClicks(field, QStringLiteral("zz"));
    EXPECT_TRUE(WaitUntil([&] { return count->text() == QStringLiteral("No matches"); }));
    QTest::keyClick(field, Qt::Key_Escape);
    EXPECT_FALSE(field->isVisible());
    EXPECT_TRUE(View()->isAncestorOf(QApplication::focusWidget()));

    // Zoom in steps, shown in the status text, per pane.
    Keys(QKeySequence(Qt::CTRL | Qt::Key_Plus));
    EXPECT_DOUBLE_EQ(View()->page()->zoomFactor(), 1.1);
    EXPECT_TRUE(mPane->StatusText().contains(QStringLiteral("110 %")));
    Keys(QKeySequence(Qt::CTRL | Qt::Key_Minus));
    Keys(QKeySequence(Qt::CTRL | Qt::Key_Minus));
    EXPECT_DOUBLE_EQ(View()->page()->zoomFactor(), 0.9);
    for (int i = 0; i < 20; ++i) mPane->ZoomIn();
    EXPECT_EQ(mPane->ZoomPercent(), 500);
    Keys(QKeySequence(Qt::CTRL | Qt::Key_0));
    EXPECT_DOUBLE_EQ(View()->page()->zoomFactor(), 1.0);
    for (int i = 0; i < 20; ++i) mPane->ZoomOut();
    EXPECT_EQ(mPane->ZoomPercent(), 25);
    mPane->ZoomReset();

    // Back and forward with Alt and the arrows; Backspace does not go back.
    Load("/page");
    mPane->Focus();
    Keys(QKeySequence(Qt::Key_Backspace));
    Keys(QKeySequence(Qt::ALT | Qt::Key_Left));
    EXPECT_TRUE(WaitUntil([&] { return Title() == QStringLiteral("Words"); }));
    Keys(QKeySequence(Qt::ALT | Qt::Key_Right));
    EXPECT_TRUE(WaitUntil([&] { return Title() == QStringLiteral("Portal Page"); }));
}

TEST_F(BrowserTest, ContextMenuOffersTheBrowserEntriesAndNoPageSource) {
    Load("/opener");
    QMenu* menu = ContextMenuAt(QPoint(60, 40));
    ASSERT_NE(menu, nullptr);
    QStringList names;
    for (QAction* a : menu->actions())
        if (!a->isSeparator()) names << a->objectName();
    EXPECT_EQ(names,
              (QStringList{"Back", "Forward", "Reload", "OpenLinkInNewWindow", "DownloadLinkToDisk",
                           "CopyLinkToClipboard", "Copy", "Paste", "SelectAll", "Print"}));
    for (QAction* a : menu->actions()) EXPECT_FALSE(a->text().contains(QStringLiteral("ource")));

    // "Open link in new window" opens the link's page in an owned window.
    menu->findChild<QAction*>(QStringLiteral("OpenLinkInNewWindow"));
    for (QAction* a : menu->actions())
        if (a->objectName() == QLatin1String("OpenLinkInNewWindow")) a->trigger();
    menu->close();
    ASSERT_TRUE(WaitUntil([] { return OpenPageWindow() != nullptr; }));
    EXPECT_EQ(window::OwnerOf(OpenPageWindow()), mWindow.get());
    EXPECT_TRUE(WaitUntil([&] { return mServer.Requests("/popup") == 1; }));
}

TEST_F(BrowserTest, ViewPictureHandsThePicturesBytesToTheViewerWithThePagesSession) {
    struct Viewed {
        QWidget* owner;
        QByteArray bytes;
        QString name;
    };
    std::vector<Viewed> shown;
    platform::browser::SetPictureViewer(
        [&](QWidget* owner, const QByteArray& bytes, const QString& name) {
            shown.push_back({owner, bytes, name});
        });
    Load("/gallery");
    // The context menu on the picture offers it; the viewer gets the file as the server sent
    // it (the server refuses a request without the page's cookie), over the pane's window.
    QMenu* menu = ContextMenuAt(QPoint(40, 40));
    ASSERT_NE(menu, nullptr);
    QAction* view = menu->findChild<QAction*>(QStringLiteral("ViewPicture"));
    ASSERT_NE(view, nullptr);
    view->trigger();
    menu->close();
    ASSERT_TRUE(WaitUntil([&] { return !shown.empty(); })) << mPane->StatusText().toStdString();
    EXPECT_EQ(shown[0].bytes, QByteArray::fromStdString(webtest::SamplePng()));
    EXPECT_EQ(shown[0].name, QStringLiteral("photo.png"));
    EXPECT_EQ(shown[0].owner, mWindow.get());

    // A picture the server does not give is said in the status text, naming it.
    mPane->ViewPicture(QUrl(mServer.Url("/gone.png")));
    EXPECT_TRUE(WaitUntil([&] { return mPane->StatusText().contains(QStringLiteral("404")); }))
        << mPane->StatusText().toStdString();
    EXPECT_TRUE(mPane->StatusText().contains(QStringLiteral("gone.png")));
    EXPECT_EQ(shown.size(), 1u);

    // Without a viewer the menu has no such entry.
    platform::browser::SetPictureViewer({});
    menu = ContextMenuAt(QPoint(40, 40));
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(menu->findChild<QAction*>(QStringLiteral("ViewPicture")), nullptr);
    EXPECT_NE(menu->findChild<QAction*>(QStringLiteral("CopyImageToClipboard")), nullptr);
    menu->close();
}

TEST_F(BrowserTest, DownloadShowsProgressAndEndsWithWhereItWentOrWhyNot) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    WebPane::SetSaveFileChooser([&](QWidget*, const QString& suggested) {
        return dir.filePath(QFileInfo(suggested).fileName());
    });
    Load("/page");
    mPane->Navigate(mServer.Url("/grades.bin"));
    ASSERT_TRUE(WaitUntil([&] { return mPane->StatusText().startsWith(QStringLiteral("Saved")); }))
        << "status \"" << mPane->StatusText().toStdString() << "\", "
        << mServer.Requests("/grades.bin") << " request(s), files: "
        << QDir(dir.path()).entryList(QDir::Files).join(' ').toStdString();
    EXPECT_TRUE(mPane->StatusText().contains(QStringLiteral("grades.bin")));
    EXPECT_TRUE(mPane->StatusText().contains(dir.path().toHtmlEscaped()));

    // A server that stops half way: the failure is said, and no partial file stays.
    mPane->Navigate(mServer.Url("/cut.bin"));
    ASSERT_TRUE(WaitUntil([&] { return mPane->StatusText().contains(QStringLiteral("failed")); }))
        << mPane->StatusText().toStdString();
    EXPECT_TRUE(mPane->StatusText().contains(QStringLiteral("cut.bin")));
    EXPECT_TRUE(WaitUntil([&] {
        return QDir(dir.path()).entryList(QDir::Files) == QStringList{"grades.bin"};
    })) << QDir(dir.path()).entryList(QDir::Files).join(' ').toStdString();
    // The page stays as it was.
    EXPECT_EQ(Title(), QStringLiteral("Portal Page"));

    // Escape in the page cancels a download that runs, and again nothing stays.
    mPane->Navigate(mServer.Url("/slow.bin"));
    ASSERT_TRUE(WaitUntil([&] { return mPane->StatusText().contains(QStringLiteral("Cancel")); }));
    EXPECT_TRUE(mPane->StatusText().startsWith(QStringLiteral("Saving slow.bin: ")))
        << mPane->StatusText().toStdString();
    mPane->Focus();
    Keys(QKeySequence(Qt::Key_Escape));
    ASSERT_TRUE(
        WaitUntil([&] { return mPane->StatusText().contains(QStringLiteral("cancelled")); }));
    EXPECT_TRUE(WaitUntil(
        [&] { return QDir(dir.path()).entryList(QDir::Files) == QStringList{"grades.bin"}; }));
}

}  // namespace
}  // namespace platform::browser
