#include "platform/browser/WebPane.h"

#include <unistd.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QPointer>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QStandardPaths>
#include <QTimer>
#include <QVBoxLayout>
#include <QWebEngineDownloadRequest>
#include <QWebEngineLoadingInfo>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineSettings>
#include <QWebEngineView>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace platform::browser {

namespace {

// How long the view of a closed pane may go on finishing its navigation.
constexpr int kLingerMs = 2000;
constexpr int kProgressLineHeight = 3;
const QColor kProgressColour(0x3a, 0x7b, 0xd5);

// The view of a closed pane that is finishing its last navigation. `done` is set once the load
// has finished or the time is up; the view is then on its way to deletion.
struct LingeringView {
    QPointer<QWebEngineView> view;
    bool done = false;
};

// What all panes share: the profile, how many pages use it, and the views of closed panes.
struct Engine {
    QWebEngineProfile* profile = nullptr;
    int livePages = 0;
    bool releaseRequested = false;
    std::vector<LingeringView> lingering;
    WebPane::SaveFileChooser saveFileChooser;
    WebPane::PrintChooser printChooser;
};

Engine& TheEngine() {
    static Engine engine;
    return engine;
}

// Deletes the profile once it has been let go and its last page is gone: a profile deleted
// before its pages leaves the engine with pages that point at nothing.
void ReleaseProfileIfUnused() {
    Engine& e = TheEngine();
    if (!e.releaseRequested || !e.profile || e.livePages > 0) return;
    delete e.profile;
    e.profile = nullptr;
    e.releaseRequested = false;
}

void HandleDownload(QWebEngineDownloadRequest* download) {
    QWidget* parent = nullptr;
    // The dialog belongs to the window of the pane whose page started the download; a page of
    // a closed pane has none.
    if (QWebEnginePage* page = download->page()) {
        if (QWebEngineView* view = QWebEngineView::forPage(page); view && view->parentWidget()) {
            parent = view->window();
        }
    }
    QString name = download->suggestedFileName();
    if (name.isEmpty()) name = download->downloadFileName();
    QString folder = QStandardPaths::writableLocation(QStandardPaths::DownloadLocation);
    if (folder.isEmpty()) folder = QDir::homePath();
    const QString suggested = QDir(folder).filePath(name);

    // The dialog runs its own event loop; the request may be gone when it returns.
    QPointer<QWebEngineDownloadRequest> request(download);
    const auto& chooser = TheEngine().saveFileChooser;
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
    const QFileInfo target(chosen);
    request->setDownloadDirectory(target.absolutePath());
    request->setDownloadFileName(target.fileName());
    request->accept();
}

QWebEngineProfile* SharedProfile() {
    Engine& e = TheEngine();
    e.releaseRequested = false;
    if (e.profile) return e.profile;
    // A profile without a storage name is off the record: cookies, cache and visited links
    // live in memory only.
    e.profile = new QWebEngineProfile();
    // Our own panel reports failed loads; the engine's error page would show under it and
    // make what the pane shows depend on the engine.
    e.profile->settings()->setAttribute(QWebEngineSettings::ErrorPageEnabled, false);
    QObject::connect(e.profile, &QWebEngineProfile::downloadRequested, &HandleDownload);
    return e.profile;
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
        case QWebEngineLoadingInfo::HttpStatusCodeDomain:
            return WebPane::tr("The server answered with status %1.").arg(info.errorCode());
        default:
            return WebPane::tr("The page could not be loaded.") + code;
    }
}

}  // namespace

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
}

WebPane::~WebPane() {
    if (!mView) return;
    mView->disconnect(this);
    mView->page()->disconnect(this);
    // Without a pending navigation the view goes with the pane, as its child.
    if (mPending) Linger(mView);
}

void WebPane::Navigate(const QString& address) {
    const QUrl url = AddressToUrl(address);
    if (url.isValid()) Load(url);
}

void WebPane::Refresh() {
    if (!mView) return;
    // After a failure the view still holds the page before it; the failed address is the one
    // to try again.
    if (mErrorPanel && mErrorPanel->isVisible()) {
        Load(mFailedUrl);
        return;
    }
    mPending = true;
    mView->reload();
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

void WebPane::CreateView() {
    mView = new QWebEngineView(this);
    auto* page = new QWebEnginePage(SharedProfile(), mView);
    ++TheEngine().livePages;
    // Counted down once the page is fully gone, so the profile can follow it.
    connect(page, &QObject::destroyed, [] {
        --TheEngine().livePages;
        ReleaseProfileIfUnused();
    });
    mView->setPage(page);
    mView->setGeometry(rect());
    mView->lower();
    mView->show();
    setFocusProxy(mView);

    connect(page, &QWebEnginePage::loadingChanged, this, &WebPane::OnLoadingChanged);
    connect(page, &QWebEnginePage::loadProgress, this, &WebPane::OnProgress);
    connect(page, &QWebEnginePage::printRequested, this, &WebPane::OnPrintRequested);
    connect(page, &QWebEnginePage::urlChanged, this, [this](const QUrl& url) {
        if (!url.isEmpty()) mUrl = url;
    });
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
            ShowError(info);
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
    connect(retry, &QPushButton::clicked, this, [this] { Load(mFailedUrl); });

    auto* layout = new QVBoxLayout(mErrorPanel);
    layout->setContentsMargins(16, 16, 16, 16);
    layout->setSpacing(12);
    layout->addStretch(1);
    layout->addWidget(title);
    layout->addWidget(mErrorText);
    layout->addWidget(retry, 0, Qt::AlignHCenter);
    layout->addStretch(1);
}

void WebPane::ShowError(const QWebEngineLoadingInfo& info) {
    if (!mErrorPanel) CreateErrorPanel();
    mFailedUrl = info.url().isEmpty() ? mUrl : info.url();
    mErrorText->setText(tr("The address %1 could not be loaded.\n%2\n\nCheck that the portal is "
                           "running and the network is connected, then try again.")
                            .arg(mFailedUrl.toDisplayString(), FailureReason(info)));
    mErrorPanel->setGeometry(rect());
    mErrorPanel->raise();
    mErrorPanel->show();
}

void WebPane::OnPrintRequested() {
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

void WebPane::resizeEvent(QResizeEvent* event) {
    BrowserPane::resizeEvent(event);
    if (mView) mView->setGeometry(rect());
    if (mErrorPanel) mErrorPanel->setGeometry(rect());
    if (mProgressLine->isVisible()) OnProgress(mPercent);
}

}  // namespace platform::browser
