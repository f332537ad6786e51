#pragma once
// The browser pane the program shows: a web engine view that frames the portal's pages.
//
// The view is made on the first Navigate, so a window with several panes opens fast and no
// engine process runs before a page is asked for; until then the pane is plain white. Every
// pane loads through one shared off-the-record profile: cookies, cache and history stay in
// memory and nothing is written to disk. The pane draws its own thin progress line, shows a
// panel of its own with a Retry button when a page cannot be loaded, saves downloads where the
// user says, and prints on the page's request.
//
// What main() does:
//     platform::browser::PrepareWebEngine();        // before QApplication exists
//     QApplication app(argc, argv);
//     platform::browser::InstallWebPane();
//     ... show the windows ...
//     const int rc = app.exec();
//     platform::browser::SettlePendingNavigations();  // lets a last logout request leave
//     return rc;

#include <QUrl>
#include <functional>
#include <memory>

#include "platform/browser/BrowserPane.h"
#include "platform/browser/DeferredPane.h"

class QLabel;
class QPrinter;
class QWebEngineLoadingInfo;
class QWebEngineView;

namespace platform::browser {

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
    // Sets up the printer for a print the page asked for; returns false to cancel. The default
    // is the print dialog.
    using PrintChooser = std::function<bool(QWidget* parent, QPrinter* printer)>;

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

    // Replace the dialogs (tests); an empty function brings the dialog back.
    static void SetSaveFileChooser(SaveFileChooser chooser);
    static void SetPrintChooser(PrintChooser chooser);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void Load(const QUrl& url);
    void CreateView();
    void CreateErrorPanel();
    void OnLoadingChanged(const QWebEngineLoadingInfo& info);
    void OnProgress(int percent);
    void OnPrintRequested();
    void ShowError(const QWebEngineLoadingInfo& info);

    QWebEngineView* mView = nullptr;
    QWidget* mProgressLine = nullptr;
    QWidget* mErrorPanel = nullptr;
    QLabel* mErrorText = nullptr;
    QUrl mUrl;
    QUrl mFailedUrl;
    int mPercent = 0;
    bool mPending = false;
    bool mPrinting = false;
};

}  // namespace platform::browser
