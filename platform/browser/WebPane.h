#pragma once
// The browser pane the program shows: a web engine view that frames the portal's pages, and
// does for them what any desktop browser does.
//
// The view is made on the first Navigate, so a window with several panes opens fast and no
// engine process runs before a page is asked for; until then the pane is plain white. Every
// pane loads through one shared off-the-record profile: cookies, cache, credentials and history
// stay in memory and nothing is written to disk.
//
// What the pane does for a page:
//  - a thin progress line at its top, and a status text at its bottom left (zoom level,
//    downloads with their Cancel link, where a saved file went);
//  - a panel of its own with a Retry button when a page cannot be loaded or its renderer ends;
//  - new windows (target="_blank", window.open from a click, the context menu) open in a
//    PageWindow owned by the pane's window; pop-ups without a click stay blocked;
//  - PDFs in the engine's PDF viewer; anything else it cannot show goes to the Save dialog;
//  - sign-in, certificate and permission questions in dialogs owned by the pane's window
//    (PaneDialogs.h); JavaScript dialogs as the engine shows them, owned the same way;
//  - the browser keys while the focus is in the pane: F5 / Ctrl+R reload (with Shift, past the
//    cache), Alt+Left / Alt+Right back and forward, Ctrl+Plus / Ctrl+Minus / Ctrl+0 zoom,
//    Ctrl+F find, F3 / Shift+F3 the next and previous match, Ctrl+P print, Escape cancels a
//    running download; a context menu with the usual entries;
//  - keys pressed in the page stay in the pane: none reaches the window (which would move the
//    focus on an arrow key, or press its default button on Enter). Only Tab leaves, at the
//    page's ends, as between the controls of any dialog.
//
// What main() does:
//     platform::browser::PrepareWebEngine();        // before QApplication exists
//     QApplication app(argc, argv);
//     platform::browser::InstallWebPane();
//     ... show the windows ...
//     const int rc = app.exec();
//     platform::browser::SettlePendingNavigations();  // lets a last logout request leave
//     return rc;

#include <QPointer>
#include <QUrl>
#include <functional>
#include <vector>

#include "platform/browser/BrowserPane.h"
#include "platform/browser/DeferredPane.h"

class QAction;
class QLabel;
class QMenu;
class QPrinter;
class QTimer;
class QWebEngineDownloadRequest;
class QWebEngineLoadingInfo;
class QWebEngineNewWindowRequest;
class QWebEngineView;

namespace platform::browser {

class FindBar;

// Makes BrowserPane::Create build WebPane panes.
void InstallWebPane();

// Waits, at most maxMs, for the views of closed panes that are still finishing a navigation
// (see WebPane::~WebPane), deletes whatever is left, then lets the shared profile go as soon as
// no page uses it. main() calls it once QApplication::exec() has returned. Without any
// navigation in the process it returns at once and starts nothing.
void SettlePendingNavigations(int maxMs = 2000);

// How many views of closed panes are still alive (finishing a navigation or about to be
// deleted).
int LingeringViewCount();

class WebPane : public BrowserPane {
    Q_OBJECT
public:
    // Asks where to save a download: gets the pane's window and the suggested path (the
    // download's file name in the user's Downloads folder), returns the chosen path or an empty
    // text to cancel. The default is a save-file dialog.
    using SaveFileChooser = std::function<QString(QWidget* parent, const QString& suggested)>;
    // Sets up the printer for a print; returns false to cancel. The default is the print dialog.
    using PrintChooser = std::function<bool(QWidget* parent, QPrinter* printer)>;

    // The zoom levels Ctrl+Plus and Ctrl+Minus step through, in percent.
    static constexpr int kZoomLevels[] = {25,  33,  50,  67,  75,  80,  90,  100, 110,
                                          125, 150, 175, 200, 250, 300, 400, 500};

    explicit WebPane(QWidget* parent = nullptr);
    // A pane that goes away while a navigation is pending hands its view over to be kept,
    // hidden and without a parent, until that load finishes or two seconds have passed, so the
    // request (a logout, say) still reaches the portal.
    ~WebPane() override;

    void Navigate(const QString& address) override;
    void Refresh() override;
    void Focus() override;
    QUrl CurrentUrl() const override { return mUrl; }
    bool NavigationPending() const override { return mPending; }
    void Prepare() override {
        if (!mView) CreateView();
    }

    // Shows the page a new-window request asked for in this pane (see PageWindow).
    void OpenRequest(QWebEngineNewWindowRequest& request);

    // The browser commands behind the keys and the context menu.
    void Reload(bool bypassCache);
    void Back();
    void Forward();
    void ZoomIn();
    void ZoomOut();
    void ZoomReset();
    int ZoomPercent() const { return mZoomPercent; }
    void OpenFindBar();
    void Print();
    // Cancels the downloads this pane started that are still running.
    void CancelDownloads();

    // The context menu for the page's last context-menu request (the caller owns it).
    QMenu* CreateContextMenu();
    // Shows the picture at `url`, as the page can read it, in the installed picture viewer
    // (see SetPictureViewer); a picture that cannot be read is said in the status text.
    void ViewPicture(const QUrl& url);

    // The status text at the bottom left (empty when none is shown).
    QString StatusText() const;

    // Replace the dialogs (tests); an empty function brings the dialog back.
    static void SetSaveFileChooser(SaveFileChooser chooser);
    static void SetPrintChooser(PrintChooser chooser);

signals:
    // The page's title changed.
    void TitleChanged(const QString& title);
    // The page asked to close its window (window.close() in a window it opened itself).
    void CloseRequested();

protected:
    void resizeEvent(QResizeEvent* event) override;
    // Keys the page did not use come back to the pane; they stop here.
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;

private:
    friend void TrackDownload(WebPane* pane, QWebEngineDownloadRequest* download);

    void Load(const QUrl& url);
    void CreateView();
    void AddKeys();
    void LayOutChildren();
    void CreateErrorPanel();
    void OnLoadingChanged(const QWebEngineLoadingInfo& info);
    void OnProgress(int percent);
    // The error panel for `url` (shown as `shown` when given: an address that makes no URL).
    void ShowProblem(const QUrl& url, const QString& reason, const QString& shown = {});
    void SetZoom(int percent);
    void ShowStatus(const QString& richText, int ms);
    void Track(QWebEngineDownloadRequest* download);
    void ShowDownloadStatus();
    // Asks the page, every little while until `deadline`, for the picture its fetch under
    // `key` brought, then hands it to the picture viewer.
    void CollectPicture(const QString& key, const QString& name, qint64 deadline);

    QWebEngineView* mView = nullptr;
    QWidget* mProgressLine = nullptr;
    QWidget* mErrorPanel = nullptr;
    QLabel* mErrorText = nullptr;
    QLabel* mStatus = nullptr;
    QTimer* mStatusTimer = nullptr;
    FindBar* mFindBar = nullptr;
    QAction* mCancelDownloads = nullptr;
    std::vector<QPointer<QWebEngineDownloadRequest>> mDownloads;
    QUrl mUrl;
    QUrl mFailedUrl;
    int mPercent = 0;
    int mZoomPercent = 100;
    bool mPending = false;
    bool mPrinting = false;
    bool mZoomShowing = false;  // the status text shows a zoom level for a moment
};

}  // namespace platform::browser
