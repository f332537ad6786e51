#include "platform/browser/WebPane.h"

#include <QAction>
#include <QApplication>
#include <QAuthenticator>
#include <QContextMenuEvent>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileDialog>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPointer>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QStandardPaths>
#include <QTimer>
#include <QVBoxLayout>
#include <QWebEngineCertificateError>
#include <QWebEngineContextMenuRequest>
#include <QWebEngineDownloadRequest>
#include <QWebEngineLoadingInfo>
#include <QWebEngineNewWindowRequest>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineSettings>
#include <QWebEngineView>
#include <algorithm>
#include <cstdio>
#include <iterator>

#include "platform/browser/FindBar.h"
#include "platform/browser/PageWindow.h"
#include "platform/browser/PaneDialogs.h"
#include "platform/browser/WebEngineShared.h"

namespace platform::browser {

namespace {

// How long the view of a closed pane may go on finishing its navigation.
constexpr int kLingerMs = 2000;
constexpr int kProgressLineHeight = 3;
const QColor kProgressColour(0x3a, 0x7b, 0xd5);
// How long the status text shows a zoom level, and the end of a download.
constexpr int kZoomStatusMs = 1500;
constexpr int kDownloadEndStatusMs = 8000;

// The engine's view with our context menu in place of the engine's own.
class PaneView : public QWebEngineView {
public:
    using QWebEngineView::QWebEngineView;

protected:
    void contextMenuEvent(QContextMenuEvent* event) override {
        auto* pane = qobject_cast<WebPane*>(parentWidget());
        if (!pane) return;
        QMenu* menu = pane->CreateContextMenu();
        menu->setAttribute(Qt::WA_DeleteOnClose);
        menu->popup(event->globalPos());
    }
};

// Deletes the profile once it has been let go and its last page is gone: a profile deleted
// before its pages leaves the engine with pages that point at nothing.
void ReleaseProfileIfUnused() {
    Engine& e = TheEngine();
    if (!e.releaseRequested || !e.profile || e.livePages > 0) return;
    delete e.profile;
    e.profile = nullptr;
    e.releaseRequested = false;
}

}  // namespace

// Hands a download the user accepted to the pane that shows its progress.
void TrackDownload(WebPane* pane, QWebEngineDownloadRequest* download) {
    pane->Track(download);
}

namespace {

// Sends `download` to `path` and lets `pane` (if any) show how it goes.
void Place(QWebEngineDownloadRequest* download, const QString& path, WebPane* pane) {
    const QFileInfo target(path);
    download->setDownloadDirectory(target.absolutePath());
    download->setDownloadFileName(target.fileName());
    download->accept();
    TheEngine().placedDownloads.insert(download->id(), {path, pane});
    // The place is forgotten when the download ends, also when no pane (or a pane closed since)
    // follows it: a later download of the same id must not go there.
    QObject::connect(download, &QWebEngineDownloadRequest::isFinishedChanged, download, [download] {
        if (download->isFinished()) TheEngine().placedDownloads.remove(download->id());
    });
    if (pane) TrackDownload(pane, download);
}

void HandleDownload(QWebEngineDownloadRequest* download) {
    Engine& e = TheEngine();
    if (const auto placed = e.placedDownloads.constFind(download->id());
        placed != e.placedDownloads.cend()) {
        Place(download, placed->path, placed->pane);  // the engine tries again
        return;
    }
    // The dialog and the progress belong to the pane whose page started the download; a page
    // of a closed pane has none. A link that opened a window for a file leaves that window
    // empty: the download goes to the pane that asked, and the empty window closes.
    QPointer<WebPane> pane = PaneOf(download->page());
    if (auto* opened = pane ? qobject_cast<PageWindow*>(pane->window()) : nullptr;
        opened && opened->Opener() && opened->ShowsNothingYet()) {
        pane = opened->Opener();
        opened->close();
    }
    QWidget* parent = pane ? pane->window() : nullptr;
    QString name = download->suggestedFileName();
    if (name.isEmpty()) name = download->downloadFileName();
    if (name.isEmpty()) name = QStringLiteral("download");
    QString folder = QStandardPaths::writableLocation(QStandardPaths::DownloadLocation);
    if (folder.isEmpty()) folder = QDir::homePath();
    const QString suggested = QDir(folder).filePath(name);

    // The dialog runs its own event loop; the request may be gone when it returns.
    QPointer<QWebEngineDownloadRequest> request(download);
    const auto& chooser = e.saveFileChooser;
    const QString chosen =
        chooser ? chooser(parent, suggested)
                : QFileDialog::getSaveFileName(parent, WebPane::tr("Save Download"), suggested);
    if (!request) return;
    if (chosen.isEmpty()) {
        request->cancel();
        return;
    }
    // The dialog has already asked about replacing an existing file, so the download goes to
    // exactly the chosen path.
    Place(request, chosen, pane);
}

// Marks a lingering view as finished and deletes it.
void Retire(QWebEngineView* view) {
    for (LingeringView& l : TheEngine().lingering) {
        if (l.view == view && !l.done) {
            l.done = true;
            view->deleteLater();
        }
    }
}

void Linger(QWebEngineView* view) {
    view->hide();
    view->setParent(nullptr);
    Engine& e = TheEngine();
    std::erase_if(e.lingering, [](const LingeringView& l) { return l.view.isNull(); });
    e.lingering.push_back({view, false});
    QObject::connect(view, &QWebEngineView::loadFinished, view, [view] { Retire(view); });
    QTimer::singleShot(kLingerMs, view, [view] { Retire(view); });
}

bool AnyViewStillLoading() {
    for (const LingeringView& l : TheEngine().lingering) {
        if (l.view && !l.done) return true;
    }
    return false;
}

// Says in words why a load failed; the engine's own text for HTTP errors is a page template.
QString FailureReason(const QWebEngineLoadingInfo& info) {
    const QString code = info.errorString().startsWith(QLatin1String("net::"))
                             ? QStringLiteral(" (%1)").arg(info.errorString())
                             : QString();
    switch (info.errorDomain()) {
        case QWebEngineLoadingInfo::DnsErrorDomain:
            return WebPane::tr("The server's name could not be found.") + code;
        case QWebEngineLoadingInfo::ConnectionErrorDomain:
            return WebPane::tr("The server could not be reached.") + code;
        case QWebEngineLoadingInfo::CertificateErrorDomain:
            return WebPane::tr("The server's certificate was not accepted.") + code;
        default:
            return WebPane::tr("The page could not be loaded.") + code;
    }
}

// A file name and its folder for the status text, as rich text.
QString Escaped(const QString& text) {
    return text.toHtmlEscaped();
}

QString SizeText(qint64 bytes) {
    return QLocale().formattedDataSize(bytes, 1, QLocale::DataSizeTraditionalFormat);
}

}  // namespace

Engine& TheEngine() {
    static Engine engine;
    return engine;
}

QWebEngineProfile* SharedProfile() {
    Engine& e = TheEngine();
    e.releaseRequested = false;
    if (e.profile) return e.profile;
    // A profile without a storage name is off the record: cookies, cache, credentials and
    // visited links live in memory only.
    e.profile = new QWebEngineProfile();
    QWebEngineSettings* s = e.profile->settings();
    // Our own panel reports failed loads; the engine's error page would show under it and
    // make what the pane shows depend on the engine.
    s->setAttribute(QWebEngineSettings::ErrorPageEnabled, false);
    // The engine's PDF viewer is a plugin of its own.
    s->setAttribute(QWebEngineSettings::PluginsEnabled, true);
    s->setAttribute(QWebEngineSettings::PdfViewerEnabled, true);
    // Windows open from a click only; a page cannot open them by itself.
    s->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, false);
    QObject::connect(e.profile, &QWebEngineProfile::downloadRequested, &HandleDownload);
    return e.profile;
}

WebPane* PaneOf(QWebEnginePage* page) {
    if (!page) return nullptr;
    QWebEngineView* view = QWebEngineView::forPage(page);
    return view ? qobject_cast<WebPane*>(view->parentWidget()) : nullptr;
}

void InstallWebPane() {
    BrowserPane::SetFactory([](QWidget* parent) -> BrowserPane* { return new WebPane(parent); });
}

void SettlePendingNavigations(int maxMs) {
    Engine& e = TheEngine();
    if (AnyViewStillLoading()) {
        QElapsedTimer clock;
        clock.start();
        QEventLoop loop;
        QTimer tick;
        tick.setInterval(10);
        QObject::connect(&tick, &QTimer::timeout, &loop, [&] {
            if (!AnyViewStillLoading() || clock.elapsed() >= maxMs) loop.quit();
        });
        tick.start();
        loop.exec();
    }
    for (LingeringView& l : e.lingering) delete l.view.data();
    e.lingering.clear();
    delete e.spare.data();
    e.releaseRequested = true;
    ReleaseProfileIfUnused();
}

int LingeringViewCount() {
    int count = 0;
    for (const LingeringView& l : TheEngine().lingering) count += l.view ? 1 : 0;
    return count;
}

void WebPane::SetSaveFileChooser(SaveFileChooser chooser) {
    TheEngine().saveFileChooser = std::move(chooser);
}

void WebPane::SetPrintChooser(PrintChooser chooser) {
    TheEngine().printChooser = std::move(chooser);
}

WebPane::WebPane(QWidget* parent) : BrowserPane(parent) {
    mProgressLine = new QWidget(this);
    mProgressLine->setObjectName(QStringLiteral("LoadProgress"));
    mProgressLine->setAttribute(Qt::WA_TransparentForMouseEvents);
    mProgressLine->setAutoFillBackground(true);
    QPalette lineColours = mProgressLine->palette();
    lineColours.setColor(QPalette::Window, kProgressColour);
    mProgressLine->setPalette(lineColours);
    mProgressLine->hide();

    mStatus = new QLabel(this);
    mStatus->setObjectName(QStringLiteral("PaneStatus"));
    mStatus->setTextFormat(Qt::RichText);
    mStatus->setAutoFillBackground(true);
    mStatus->setBackgroundRole(QPalette::ToolTipBase);
    mStatus->setForegroundRole(QPalette::ToolTipText);
    mStatus->setFrameShape(QFrame::Box);
    mStatus->setMargin(2);
    mStatus->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    connect(mStatus, &QLabel::linkActivated, this, [this](const QString& link) {
        if (link == QLatin1String("#cancel")) CancelDownloads();
    });
    mStatus->hide();
    mStatusTimer = new QTimer(this);
    mStatusTimer->setSingleShot(true);
    connect(mStatusTimer, &QTimer::timeout, this, [this] {
        mStatus->hide();
        mZoomShowing = false;
        ShowDownloadStatus();  // a running download comes back after a zoom level
    });

    AddKeys();
}

WebPane::~WebPane() {
    if (!mView) return;
    mView->disconnect(this);
    mView->page()->disconnect(this);
    // Without a pending navigation the view goes with the pane, as its child.
    if (mPending) Linger(mView);
}

void WebPane::AddKeys() {
    // Each key works while the focus is anywhere in the pane: in the page or in the find bar.
    auto add = [this](std::initializer_list<QKeySequence> keys, std::function<void()> run) {
        auto* a = new QAction(this);
        a->setShortcuts(QList<QKeySequence>(keys));
        a->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        connect(a, &QAction::triggered, this, std::move(run));
        addAction(a);
        return a;
    };
    add({Qt::Key_F5, Qt::CTRL | Qt::Key_R}, [this] { Reload(false); });
    add({Qt::SHIFT | Qt::Key_F5, Qt::CTRL | Qt::SHIFT | Qt::Key_R, Qt::CTRL | Qt::Key_F5},
        [this] { Reload(true); });
    add({Qt::ALT | Qt::Key_Left}, [this] { Back(); });
    add({Qt::ALT | Qt::Key_Right}, [this] { Forward(); });
    add({Qt::CTRL | Qt::Key_Plus, Qt::CTRL | Qt::Key_Equal, Qt::CTRL | Qt::SHIFT | Qt::Key_Plus},
        [this] { ZoomIn(); });
    add({Qt::CTRL | Qt::Key_Minus}, [this] { ZoomOut(); });
    add({Qt::CTRL | Qt::Key_0}, [this] { ZoomReset(); });
    add({Qt::CTRL | Qt::Key_F}, [this] { OpenFindBar(); });
    add({Qt::Key_F3}, [this] {
        if (mFindBar) mFindBar->Find(false);
    });
    add({Qt::SHIFT | Qt::Key_F3}, [this] {
        if (mFindBar) mFindBar->Find(true);
    });
    add({Qt::CTRL | Qt::Key_P}, [this] { Print(); });
    // Escape belongs to the page, except while a download runs.
    mCancelDownloads = add({Qt::Key_Escape}, [this] { CancelDownloads(); });
    mCancelDownloads->setEnabled(false);
}

void WebPane::Navigate(const QString& address) {
    const QUrl url = AddressToUrl(address);
    if (url.isValid()) {
        Load(url);
    } else if (!address.trimmed().isEmpty()) {
        // Said, never silently dropped: a window's address that makes no URL is a fault to see.
        mPending = false;
        mProgressLine->hide();
        ShowProblem(url, tr("This is not a valid address."), address.trimmed());
    }
}

void WebPane::Refresh() {
    Reload(false);
}

void WebPane::Reload(bool bypassCache) {
    if (!mView) return;
    // After a failure the view still holds the page before it; the failed address is the one
    // to try again.
    if (mErrorPanel && mErrorPanel->isVisible()) {
        if (mFailedUrl.isValid()) Load(mFailedUrl);
        return;
    }
    mPending = true;
    mView->page()->triggerAction(bypassCache ? QWebEnginePage::ReloadAndBypassCache
                                             : QWebEnginePage::Reload);
}

void WebPane::Back() {
    if (mView) mView->page()->triggerAction(QWebEnginePage::Back);
}

void WebPane::Forward() {
    if (mView) mView->page()->triggerAction(QWebEnginePage::Forward);
}

void WebPane::Focus() {
    if (mView) {
        mView->setFocus(Qt::OtherFocusReason);
    } else {
        setFocus(Qt::OtherFocusReason);
    }
}

void WebPane::Load(const QUrl& url) {
    if (!mView) CreateView();
    mUrl = url;
    mPending = true;
    if (mErrorPanel) mErrorPanel->hide();
    OnProgress(0);
    mView->load(url);
}

void WebPane::OpenRequest(QWebEngineNewWindowRequest& request) {
    if (!mView) CreateView();
    mUrl = request.requestedUrl();
    request.openIn(mView->page());
}

// A view with its page on the shared profile, counted so that the profile outlives it.
QWebEngineView* NewView(QWidget* parent) {
    auto* view = new PaneView(parent);
    auto* page = new QWebEnginePage(SharedProfile(), view);
    ++TheEngine().livePages;
    // Counted down once the page is fully gone, so the profile can follow it.
    QObject::connect(page, &QObject::destroyed, [] {
        --TheEngine().livePages;
        ReleaseProfileIfUnused();
    });
    view->setPage(page);
    return view;
}

void WarmUp() {
    Engine& e = TheEngine();
    if (e.spare) return;
    // A view of its own starts the engine and one renderer; the first pane takes it over.
    e.spare = NewView(nullptr);
    e.spare->setAttribute(Qt::WA_DontShowOnScreen);
    e.spare->page()->setUrl(QUrl(QStringLiteral("about:blank")));
    if (Tracing()) std::fputs("quillmere: web engine warm\n", stderr);
}

void WebPane::CreateView() {
    Engine& e = TheEngine();
    const bool warm = e.spare != nullptr;
    if (Tracing() && !e.viewMade) {
        std::fprintf(stderr, "quillmere: first view: web engine %s\n", warm ? "warm" : "cold");
    }
    e.viewMade = true;
    if (warm) {
        mView = e.spare.data();
        e.spare = nullptr;
        mView->setParent(this);
        mView->setAttribute(Qt::WA_DontShowOnScreen, false);
    } else {
        mView = NewView(this);
    }
    QWebEnginePage* page = mView->page();
    page->setZoomFactor(mZoomPercent / 100.0);
    LayOutChildren();
    mView->lower();
    mView->show();
    setFocusProxy(mView);
    if (mFindBar) mFindBar->SetView(mView);

    connect(page, &QWebEnginePage::loadingChanged, this, &WebPane::OnLoadingChanged);
    connect(page, &QWebEnginePage::loadProgress, this, &WebPane::OnProgress);
    connect(page, &QWebEnginePage::printRequested, this, &WebPane::Print);
    connect(page, &QWebEnginePage::urlChanged, this, [this](const QUrl& url) {
        if (!url.isEmpty()) mUrl = url;
    });
    connect(page, &QWebEnginePage::titleChanged, this, [this](const QString& title) {
        if (!title.isEmpty()) emit TitleChanged(title);
    });
    connect(page, &QWebEnginePage::windowCloseRequested, this, &WebPane::CloseRequested);
    connect(page, &QWebEnginePage::newWindowRequested, this,
            [this](QWebEngineNewWindowRequest& request) { PageWindow::Open(this, request); });
    connect(page, &QWebEnginePage::authenticationRequired, this,
            [this](const QUrl& url, QAuthenticator* authenticator) {
                SignIn(window(), url, authenticator);
            });
    connect(page, &QWebEnginePage::proxyAuthenticationRequired, this,
            [this](const QUrl& url, QAuthenticator* authenticator, const QString& proxy) {
                SignIn(window(), url, authenticator, proxy);
            });
    connect(
        page, &QWebEnginePage::certificateError, this,
        [this](const QWebEngineCertificateError& error) { AskAboutCertificate(window(), error); });
    connect(page, &QWebEnginePage::featurePermissionRequested, this,
            [this, page](const QUrl& origin, QWebEnginePage::Feature feature) {
                const auto key = qMakePair(origin.toString(), int(feature));
                auto answer = [page = QPointer<QWebEnginePage>(page), origin, feature,
                               key](bool allow) {
                    TheEngine().permissions.insert(key, allow);
                    if (page)
                        page->setFeaturePermission(origin, feature,
                                                   allow ? QWebEnginePage::PermissionGrantedByUser
                                                         : QWebEnginePage::PermissionDeniedByUser);
                };
                const auto known = TheEngine().permissions.constFind(key);
                if (known != TheEngine().permissions.cend()) {
                    answer(*known);
                } else {
                    AskForPermission(window(), origin, feature, answer);
                }
            });
    connect(page, &QWebEnginePage::renderProcessTerminated, this,
            [this](QWebEnginePage::RenderProcessTerminationStatus status, int) {
                if (status == QWebEnginePage::NormalTerminationStatus) return;
                mPending = false;
                mProgressLine->hide();
                ShowProblem(mUrl, tr("The page stopped working."));
            });
}

void WebPane::LayOutChildren() {
    const int bar = mFindBar && mFindBar->isVisible() ? mFindBar->sizeHint().height() : 0;
    if (mFindBar) mFindBar->setGeometry(0, height() - bar, width(), bar);
    if (mView) mView->setGeometry(0, 0, width(), height() - bar);
    if (mErrorPanel) mErrorPanel->setGeometry(0, 0, width(), height() - bar);
    if (mStatus->isVisible()) {
        mStatus->adjustSize();
        const QSize size = mStatus->size().boundedTo(QSize(width(), height()));
        mStatus->setGeometry(0, height() - bar - size.height(), size.width(), size.height());
        mStatus->raise();
    }
    if (mProgressLine->isVisible()) OnProgress(mPercent);
}

void WebPane::OnLoadingChanged(const QWebEngineLoadingInfo& info) {
    switch (info.status()) {
        case QWebEngineLoadingInfo::LoadStartedStatus:
            // The page's own navigations (a link, a form) count as pending too.
            mPending = true;
            OnProgress(mPercent);
            return;
        case QWebEngineLoadingInfo::LoadSucceededStatus:
        case QWebEngineLoadingInfo::LoadStoppedStatus:  // also a navigation that became a download
            break;
        case QWebEngineLoadingInfo::LoadFailedStatus:
            // An HTTP error still brings the server's own page (a 404 or 401 page), which is
            // what the user should see, as in any browser.
            if (info.errorDomain() != QWebEngineLoadingInfo::HttpStatusCodeDomain) {
                ShowProblem(info.url().isEmpty() ? mUrl : info.url(), FailureReason(info));
            }
            break;
    }
    mPending = false;
    mPercent = 0;
    mProgressLine->hide();
}

void WebPane::OnProgress(int percent) {
    mPercent = std::clamp(percent, 0, 100);
    // A sliver shows at once so the line is seen before the first bytes arrive.
    const int width = std::max(this->width() * mPercent / 100, this->width() / 50 + 1);
    mProgressLine->setGeometry(0, 0, width, kProgressLineHeight);
    mProgressLine->raise();
    mProgressLine->show();
}

void WebPane::CreateErrorPanel() {
    mErrorPanel = new QWidget(this);
    mErrorPanel->setObjectName(QStringLiteral("ErrorPanel"));
    mErrorPanel->setAutoFillBackground(true);
    auto* title = new QLabel(tr("This page could not be opened"), mErrorPanel);
    QFont bigger = title->font();
    bigger.setBold(true);
    bigger.setPointSizeF(bigger.pointSizeF() * 1.25);
    title->setFont(bigger);
    title->setAlignment(Qt::AlignCenter);
    mErrorText = new QLabel(mErrorPanel);
    mErrorText->setObjectName(QStringLiteral("ErrorText"));
    mErrorText->setTextFormat(Qt::PlainText);
    mErrorText->setWordWrap(true);
    mErrorText->setAlignment(Qt::AlignCenter);
    mErrorText->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* retry = new QPushButton(tr("Retry"), mErrorPanel);
    retry->setObjectName(QStringLiteral("RetryButton"));
    connect(retry, &QPushButton::clicked, this, [this] {
        if (mFailedUrl.isValid()) Load(mFailedUrl);
    });

    auto* layout = new QVBoxLayout(mErrorPanel);
    layout->setContentsMargins(16, 16, 16, 16);
    layout->setSpacing(12);
    layout->addStretch(1);
    layout->addWidget(title);
    layout->addWidget(mErrorText);
    layout->addWidget(retry, 0, Qt::AlignHCenter);
    layout->addStretch(1);
}

void WebPane::ShowProblem(const QUrl& url, const QString& reason, const QString& shown) {
    if (!mErrorPanel) CreateErrorPanel();
    mFailedUrl = url;
    mErrorText->setText(tr("The address %1 could not be loaded.\n%2\n\nCheck that the portal is "
                           "running and the network is connected, then try again.")
                            .arg(shown.isEmpty() ? mFailedUrl.toDisplayString() : shown, reason));
    LayOutChildren();
    mErrorPanel->raise();
    mErrorPanel->show();
    mStatus->raise();
}

// ---- Zoom ----

void WebPane::SetZoom(int percent) {
    mZoomPercent = std::clamp(percent, std::begin(kZoomLevels)[0], std::end(kZoomLevels)[-1]);
    if (mView) mView->page()->setZoomFactor(mZoomPercent / 100.0);
    ShowStatus(tr("Zoom: %1 %").arg(mZoomPercent), kZoomStatusMs);
    mZoomShowing = true;
}

void WebPane::ZoomIn() {
    const int* next =
        std::upper_bound(std::begin(kZoomLevels), std::end(kZoomLevels), mZoomPercent);
    SetZoom(next == std::end(kZoomLevels) ? mZoomPercent : *next);
}

void WebPane::ZoomOut() {
    const int* at = std::lower_bound(std::begin(kZoomLevels), std::end(kZoomLevels), mZoomPercent);
    SetZoom(at == std::begin(kZoomLevels) ? mZoomPercent : at[-1]);
}

void WebPane::ZoomReset() {
    SetZoom(100);
}

// ---- Find, print, context menu ----

void WebPane::OpenFindBar() {
    if (!mView) return;
    // Made at its first use: until then a screen reader finds no search field in every pane.
    if (!mFindBar) {
        mFindBar = new FindBar(this);
        connect(mFindBar, &FindBar::VisibilityChanged, this, &WebPane::LayOutChildren);
        mFindBar->SetView(mView);
    }
    mFindBar->Open();
}

void WebPane::Print() {
    if (mPrinting || !mView) return;  // one print at a time, as the engine allows
    auto* printer = new QPrinter(QPrinter::HighResolution);
    const auto& chooser = TheEngine().printChooser;
    QWidget* parent = window();
    const bool accepted = chooser ? chooser(parent, printer)
                                  : QPrintDialog(printer, parent).exec() == QDialog::Accepted;
    if (!accepted || !mView) {
        delete printer;
        return;
    }
    // The engine paints onto the printer after print() has returned, until printFinished; the
    // printer is deleted only then, once control is back in the event loop. Should the view go
    // before the print ends, the printer is left alone: it may still be painted on.
    mPrinting = true;
    QPointer<WebPane> self(this);
    connect(
        mView, &QWebEngineView::printFinished, mView,
        [self, printer](bool) {
            if (self) self->mPrinting = false;
            QTimer::singleShot(0, qApp, [printer] { delete printer; });
        },
        Qt::SingleShotConnection);
    mView->print(printer);
}

QMenu* WebPane::CreateContextMenu() {
    auto* menu = new QMenu(this);
    menu->setObjectName(QStringLiteral("PaneContextMenu"));
    if (!mView) return menu;
    QWebEnginePage* page = mView->page();
    const QWebEngineContextMenuRequest* request = mView->lastContextMenuRequest();
    // Each entry runs the engine's own action, which knows what was clicked; the entry is
    // enabled when that action is.
    auto entry = [&](const QString& text, QWebEnginePage::WebAction action, const char* name) {
        QAction* a = menu->addAction(text, page, [page, action] { page->triggerAction(action); });
        a->setObjectName(QLatin1String(name));
        a->setEnabled(page->action(action)->isEnabled());
        return a;
    };
    entry(tr("&Back"), QWebEnginePage::Back, "Back");
    entry(tr("&Forward"), QWebEnginePage::Forward, "Forward");
    menu->addAction(tr("&Reload"), this, [this] { Reload(false); })
        ->setObjectName(QStringLiteral("Reload"));
    if (request && !request->linkUrl().isEmpty()) {
        menu->addSeparator();
        entry(tr("Open link in new &window"), QWebEnginePage::OpenLinkInNewWindow,
              "OpenLinkInNewWindow");
        entry(tr("Save lin&k as..."), QWebEnginePage::DownloadLinkToDisk, "DownloadLinkToDisk");
        entry(tr("Copy &link address"), QWebEnginePage::CopyLinkToClipboard, "CopyLinkToClipboard");
    }
    if (request && request->mediaType() == QWebEngineContextMenuRequest::MediaTypeImage) {
        menu->addSeparator();
        if (InstalledPictureViewer() && request->mediaUrl().isValid()) {
            const QUrl url = request->mediaUrl();
            menu->addAction(tr("&View picture"), this, [this, url] { ViewPicture(url); })
                ->setObjectName(QStringLiteral("ViewPicture"));
        }
        entry(tr("Copy i&mage"), QWebEnginePage::CopyImageToClipboard, "CopyImageToClipboard");
        entry(tr("Save &image as..."), QWebEnginePage::DownloadImageToDisk, "DownloadImageToDisk");
    }
    menu->addSeparator();
    entry(tr("&Copy"), QWebEnginePage::Copy, "Copy");
    entry(tr("&Paste"), QWebEnginePage::Paste, "Paste");
    entry(tr("Select &all"), QWebEnginePage::SelectAll, "SelectAll");
    menu->addSeparator();
    menu->addAction(tr("P&rint..."), this, [this] { Print(); })
        ->setObjectName(QStringLiteral("Print"));
    return menu;
}

// ---- Pictures shown in the viewer ----

namespace {

// The most a picture read from a page for the viewer may hold.
constexpr qint64 kPictureLimit = 64 * 1024 * 1024;
constexpr qint64 kPictureWaitMs = 30000;

// `text` as a JavaScript string literal.
QString JsString(const QString& text) {
    const QByteArray array = QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact);
    return QString::fromUtf8(array.mid(1, array.size() - 2));
}

QString PictureName(const QUrl& url) {
    const QString name = QFileInfo(url.path()).fileName();
    return name.isEmpty() || url.scheme() == QLatin1String("data") ? QStringLiteral("picture")
                                                                   : name;
}

}  // namespace

void WebPane::ViewPicture(const QUrl& url) {
    if (!mView || !InstalledPictureViewer() || !url.isValid()) return;
    const QString name = PictureName(url);
    // The page reads the picture as it read it to show it: from its own origin with its own
    // cookies (a portal's pictures need the signed-in session). The script runs in a world of
    // its own, which the page's scripts cannot see, and leaves the file's bytes there as a
    // data address for CollectPicture.
    static int requests = 0;
    const QString key = QStringLiteral("__quillmerePicture%1").arg(++requests);
    const QString script =
        QStringLiteral(
            "(function () {"
            "  var key = %1, limit = %3;"
            "  window[key] = null;"
            "  fetch(%2, {credentials: 'include'}).then(function (r) {"
            "    if (!r.ok) throw new Error('the server answered ' + r.status);"
            "    return r.blob();"
            "  }).then(function (b) {"
            "    if (b.size > limit) throw new Error('it is larger than 64 MiB');"
            "    return new Promise(function (done, fail) {"
            "      var f = new FileReader();"
            "      f.onload = function () { done(f.result); };"
            "      f.onerror = function () { fail(new Error('it cannot be read')); };"
            "      f.readAsDataURL(b);"
            "    });"
            "  }).then(function (d) { window[key] = {data: d}; },"
            "          function (e) { window[key] = {error: String(e && e.message || e)}; });"
            "})()")
            .arg(JsString(key), JsString(url.toString(QUrl::FullyEncoded)))
            .arg(kPictureLimit);
    mView->page()->runJavaScript(script, QWebEngineScript::ApplicationWorld);
    ShowStatus(tr("Opening %1...").arg(name.toHtmlEscaped()), 0);
    CollectPicture(key, name, QDateTime::currentMSecsSinceEpoch() + kPictureWaitMs);
}

void WebPane::CollectPicture(const QString& key, const QString& name, qint64 deadline) {
    if (!mView) return;
    const QString ask = QStringLiteral(
                            "(function () { var v = window[%1];"
                            "  if (v) delete window[%1]; return v ? v : null; })()")
                            .arg(JsString(key));
    QPointer<WebPane> self(this);
    mView->page()->runJavaScript(
        ask, QWebEngineScript::ApplicationWorld, [self, key, name, deadline](const QVariant& v) {
            if (!self) return;
            const QVariantMap answer = v.toMap();
            const auto fail = [&](const QString& why) {
                self->ShowStatus(
                    tr("Cannot show %1: %2").arg(name.toHtmlEscaped(), why.toHtmlEscaped()), 6000);
            };
            if (answer.isEmpty()) {
                if (QDateTime::currentMSecsSinceEpoch() > deadline)
                    return fail(tr("the page did not give it in time"));
                QTimer::singleShot(50, self, [self, key, name, deadline] {
                    if (self) self->CollectPicture(key, name, deadline);
                });
                return;
            }
            if (answer.contains(QStringLiteral("error")))
                return fail(answer.value(QStringLiteral("error")).toString());
            const QString data = answer.value(QStringLiteral("data")).toString();
            const qsizetype comma = data.indexOf(QLatin1Char(','));
            const QByteArray bytes =
                comma < 0 ? QByteArray() : QByteArray::fromBase64(data.mid(comma + 1).toLatin1());
            if (bytes.isEmpty()) return fail(tr("it is empty"));
            self->mStatusTimer->stop();
            self->mStatus->hide();
            self->LayOutChildren();
            if (const PictureViewer& viewer = InstalledPictureViewer())
                viewer(self->window(), bytes, name);
        });
}

// ---- Status text and downloads ----

QString WebPane::StatusText() const {
    return mStatus->isVisible() ? mStatus->text() : QString();
}

void WebPane::ShowStatus(const QString& richText, int ms) {
    mZoomShowing = false;
    mStatus->setText(richText);
    mStatus->show();
    LayOutChildren();
    if (ms > 0) {
        mStatusTimer->start(ms);
    } else {
        mStatusTimer->stop();
    }
}

void WebPane::Track(QWebEngineDownloadRequest* download) {
    // A download the engine asks for again replaces the attempt before it.
    std::erase_if(mDownloads,
                  [id = download->id()](const auto& d) { return d.isNull() || d->id() == id; });
    mDownloads.push_back(download);
    mCancelDownloads->setEnabled(true);
    auto update = [this] { ShowDownloadStatus(); };
    connect(download, &QWebEngineDownloadRequest::receivedBytesChanged, this, update);
    connect(download, &QWebEngineDownloadRequest::totalBytesChanged, this, update);
    connect(
        download, &QWebEngineDownloadRequest::stateChanged, this,
        [this, d = QPointer<QWebEngineDownloadRequest>(download)](
            QWebEngineDownloadRequest::DownloadState state) {
            if (!d || state < QWebEngineDownloadRequest::DownloadCompleted) return;
            // Cancelling an interrupted download comes back here as cancelled: the end has
            // been told already.
            if (d->property("qm_ended").toBool()) return;
            d->setProperty("qm_ended", true);
            TheEngine().placedDownloads.remove(d->id());
            const QString name = Escaped(d->downloadFileName());
            QString end;
            switch (state) {
                case QWebEngineDownloadRequest::DownloadCompleted:
                    end = tr("Saved %1 in %2")
                              .arg(name, Escaped(QDir::toNativeSeparators(d->downloadDirectory())));
                    break;
                case QWebEngineDownloadRequest::DownloadCancelled:
                    end = tr("Saving %1 was cancelled").arg(name);
                    break;
                default:
                    end = tr("Saving %1 failed: %2").arg(name, Escaped(d->interruptReasonString()));
                    // The engine would keep the part it has for a later resume, which
                    // nobody can ask for: cancelling removes the part-written file.
                    d->cancel();
                    break;
            }
            std::erase_if(mDownloads,
                          [](const auto& r) { return !r || r->property("qm_ended").toBool(); });
            mCancelDownloads->setEnabled(!mDownloads.empty());
            if (mDownloads.empty()) {
                ShowStatus(end, kDownloadEndStatusMs);
            } else {
                ShowDownloadStatus();
            }
        });
    ShowDownloadStatus();
}

void WebPane::ShowDownloadStatus() {
    // The newest running download speaks for all of them.
    for (auto it = mDownloads.rbegin(); it != mDownloads.rend(); ++it) {
        QWebEngineDownloadRequest* d = *it;
        if (!d || d->property("qm_ended").toBool()) continue;
        if (mZoomShowing) return;  // the download comes back when the zoom level goes
        const QString name = Escaped(d->downloadFileName());
        const QString amount =
            d->totalBytes() > 0
                ? QStringLiteral("%1 %").arg(d->receivedBytes() * 100 / d->totalBytes())
                : SizeText(d->receivedBytes());
        ShowStatus(tr("Saving %1: %2").arg(name, amount) +
                       QStringLiteral(" &nbsp;<a href=\"#cancel\">%1</a>").arg(tr("Cancel")),
                   0);
        return;
    }
}

void WebPane::CancelDownloads() {
    for (const auto& d : mDownloads)
        if (d && !d->property("qm_ended").toBool()) d->cancel();
}

// ---- Keys and layout ----

void WebPane::keyPressEvent(QKeyEvent* event) {
    // Whatever the page let through ends here, so that it cannot move the window's focus or
    // press one of its buttons.
    event->accept();
}

void WebPane::keyReleaseEvent(QKeyEvent* event) {
    event->accept();
}

void WebPane::resizeEvent(QResizeEvent* event) {
    BrowserPane::resizeEvent(event);
    LayOutChildren();
}

}  // namespace platform::browser
