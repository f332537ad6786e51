#pragma once
// The program's browser pane without the web engine in the program: the engine and the real
// pane live in a plugin (quillmere-webpane, next to the program) that is loaded on the first
// navigation of any pane. Start-up then never maps the engine's libraries, and no engine
// process runs before a page is asked for.
//
// What main() does:
//     platform::browser::PrepareWebEngine();        // before QApplication exists
//     QApplication app(argc, argv);
//     platform::browser::InstallDeferredWebPane();
//     ... show the windows, run, destroy the windows ...
//     platform::browser::SettleDeferredNavigations();  // lets a last logout request leave

#include <QPointer>
#include <QString>

#include "platform/browser/BrowserPane.h"

class QLabel;

namespace platform::browser {

// Sets what the web engine reads when it starts; call it before QApplication is constructed.
// It shares OpenGL contexts between windows (the engine requires it), turns the engine's
// sandbox off when the program runs as root (the sandbox refuses to start as root) and says so
// in one line on stderr, and adds to QTWEBENGINE_CHROMIUM_FLAGS, after what the user put
// there, the switches that keep the engine from sending requests nobody asked for. It starts no
// engine process. Calling it again does nothing.
void PrepareWebEngine();

// Makes BrowserPane::Create build DeferredPane panes. `plugin` is the plugin's path; empty
// means "quillmere-webpane" in the program's folder.
void InstallDeferredWebPane(const QString& plugin = {});

// Starts the web engine ahead of the first page (the plugin, the shared profile and one spare
// view), so that the first page a person asks for draws without waiting for the engine. The
// program calls it once its main window has painted and it is idle. Nothing unless
// InstallDeferredWebPane has run.
void WarmUpDeferredWebPane();

// Whether the program traces the web engine's start (QUILLMERE_TRACE in the environment):
// lines on standard error when the warm-up begins and ends, and at the first view, whether the
// engine was warm.
bool Tracing();

// When the plugin was loaded: waits, at most maxMs, for closed panes still finishing a
// navigation (see WebPane). Otherwise returns at once.
void SettleDeferredNavigations(int maxMs = 2000);

// The engine's view draws through OpenGL, and a window that had none is made anew when the
// first view appears in it: its native window changes, and the windows it owns lose their
// owner on the window system. A window that will hold panes is made with an OpenGL surface
// from the start instead. Call it before the window is first shown; DeferredPane does it for
// the window it is placed in. Nothing on platforms without OpenGL windows.
void PrepareWindowForPanes(QWidget* window);

// A pane that stands white until its first navigation, then loads the plugin and holds the
// real pane, to which every call goes from then on.
class DeferredPane : public BrowserPane {
    Q_OBJECT
public:
    explicit DeferredPane(QWidget* parent = nullptr);

    void Navigate(const QString& address) override;
    void Refresh() override;
    void Focus() override;
    QUrl CurrentUrl() const override;
    bool NavigationPending() const override;
    void Prepare() override;

protected:
    void resizeEvent(QResizeEvent*) override;
    // Once the engine is warm, a pane that shows gets its view ready, so that the first click
    // only loads the page.
    void showEvent(QShowEvent*) override;

private:
    bool EnsureReal();

    QPointer<BrowserPane> mReal;
    QLabel* mProblem = nullptr;  // shown when the plugin cannot be loaded
};

}  // namespace platform::browser
