#include "platform/browser/DeferredPane.h"

#include <unistd.h>

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QGuiApplication>
#include <QLabel>
#include <QLibrary>
#include <QOpenGLWidget>
#include <QTimer>
#include <cstdio>

#include "platform/Files.h"

namespace platform::browser {

namespace {

// The plugin's entry points (see WebPanePlugin.cpp).
using CreateFn = BrowserPane* (*)(QWidget*);
using SettleFn = void (*)(int);
using WarmFn = void (*)();

struct Plugin {
    QString path;
    bool tried = false;
    QString error;
    CreateFn create = nullptr;
    SettleFn settle = nullptr;
    WarmFn warm = nullptr;
};

bool gInstalled = false;  // InstallDeferredWebPane has run
bool gWarm = false;       // WarmUpDeferredWebPane has run

Plugin& ThePlugin() {
    static Plugin plugin;
    return plugin;
}

// Loads the plugin once; later calls give the same answer.
bool LoadPlugin() {
    Plugin& p = ThePlugin();
    if (p.tried) return p.create != nullptr;
    p.tried = true;
    const QString path =
        p.path.isEmpty() ? files::PluginPath(QStringLiteral("quillmere-webpane")) : p.path;
    QLibrary lib(path);
    if (Tracing()) std::fprintf(stderr, "quillmere: browser pane plugin %s\n", qPrintable(path));
    if (!lib.load()) {
        p.error = lib.errorString();
        return false;
    }
    p.create = reinterpret_cast<CreateFn>(lib.resolve("qm_web_pane_create"));
    p.settle = reinterpret_cast<SettleFn>(lib.resolve("qm_web_pane_settle"));
    p.warm = reinterpret_cast<WarmFn>(lib.resolve("qm_web_pane_warm"));
    if (!p.create || !p.settle) {
        p.error = QStringLiteral("%1 lacks its entry points").arg(path);
        p.create = nullptr;
        p.settle = nullptr;
        return false;
    }
    return true;
}

}  // namespace

void PrepareWebEngine() {
    static bool prepared = false;
    if (prepared) return;
    prepared = true;

    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);

    // The engine's sandbox refuses to start as root. It is turned off with a switch rather than
    // with QTWEBENGINE_DISABLE_SANDBOX, which makes the engine print a line of its own.
    QList<QByteArray> added;
    if (geteuid() == 0) {
        added << "--no-sandbox";
        std::fputs("quillmere: running as root, browser sandbox disabled\n", stderr);
    }
    // The engine has no component updater, safe-browsing or metrics services that could call
    // out (switches such as --disable-background-networking are not even read); what is left
    // is the hyperlink-auditing ping, which a closed network has no use for.
    added << "--no-pings";
    // Pages of one portal share one renderer process, however many windows show them.
    added << "--process-per-site";

    // The user's own switches come first and stay.
    QByteArray flags = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS").trimmed();
    const QList<QByteArray> given = flags.split(' ');
    for (const QByteArray& flag : added) {
        if (given.contains(flag)) continue;
        if (!flags.isEmpty()) flags += ' ';
        flags += flag;
    }
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS", flags);
}

void InstallDeferredWebPane(const QString& plugin) {
    gInstalled = true;
    ThePlugin().path = plugin;
    BrowserPane::SetFactory(
        [](QWidget* parent) -> BrowserPane* { return new DeferredPane(parent); });
}

bool Tracing() {
    static const bool tracing = qEnvironmentVariableIsSet("QUILLMERE_TRACE");
    return tracing;
}

void WarmUpDeferredWebPane() {
    if (!gInstalled) return;
    // Said before any engine process starts, so that a watcher can tell them from early ones.
    if (Tracing()) std::fputs("quillmere: warming up the web engine\n", stderr);
    if (!LoadPlugin() || !ThePlugin().warm) return;
    ThePlugin().warm();
    gWarm = true;
    // The panes already on the screen get ready now.
    for (QWidget* w : QApplication::allWidgets())
        if (auto* pane = qobject_cast<DeferredPane*>(w); pane && pane->isVisible()) pane->Prepare();
}

void SettleDeferredNavigations(int maxMs) {
    if (ThePlugin().settle) ThePlugin().settle(maxMs);
}

void PrepareWindowForPanes(QWidget* window) {
    // Only a platform with OpenGL windows: the offscreen one has none (screenshots, tests).
    const QString platform = QGuiApplication::platformName();
    if (platform != QLatin1String("xcb") && platform != QLatin1String("wayland")) return;
    if (!window || window->internalWinId() || window->property("qm_panesReady").toBool()) return;
    window->setProperty("qm_panesReady", true);
    // The toolkit gives a window an OpenGL surface when it is made with an OpenGL widget
    // inside; this one is never shown, and never makes a context of its own.
    auto* marker = new QOpenGLWidget(window);
    marker->setObjectName(QStringLiteral("SurfaceForPanes"));
    marker->setAttribute(Qt::WA_DontShowOnScreen);
    marker->hide();
}

DeferredPane::DeferredPane(QWidget* parent) : BrowserPane(parent) {
    PrepareWindowForPanes(window());
}

bool DeferredPane::EnsureReal() {
    if (mReal) return true;
    if (!LoadPlugin()) {
        if (!mProblem) {
            mProblem = new QLabel(this);
            mProblem->setWordWrap(true);
            mProblem->setAlignment(Qt::AlignCenter);
            mProblem->setText(tr("The web browser could not be started: %1")
                                  .arg(ThePlugin().error.toHtmlEscaped()));
            mProblem->setGeometry(rect().adjusted(12, 12, -12, -12));
            mProblem->show();
        }
        return false;
    }
    mReal = ThePlugin().create(this);
    mReal->setObjectName(objectName());
    mReal->setToolTip(toolTip());
    mReal->setGeometry(rect());
    mReal->show();
    setFocusProxy(mReal);
    return true;
}

void DeferredPane::Navigate(const QString& address) {
    if (EnsureReal()) mReal->Navigate(address);
}

void DeferredPane::Refresh() {
    if (mReal) mReal->Refresh();
}

void DeferredPane::Focus() {
    if (mReal) {
        mReal->Focus();
    } else {
        BrowserPane::Focus();
    }
}

QUrl DeferredPane::CurrentUrl() const {
    return mReal ? mReal->CurrentUrl() : QUrl();
}

bool DeferredPane::NavigationPending() const {
    return mReal && mReal->NavigationPending();
}

void DeferredPane::Prepare() {
    if (EnsureReal()) mReal->Prepare();
}

void DeferredPane::showEvent(QShowEvent* event) {
    BrowserPane::showEvent(event);
    if (gWarm && !mReal) QTimer::singleShot(0, this, &DeferredPane::Prepare);
}

void DeferredPane::resizeEvent(QResizeEvent*) {
    if (mReal) mReal->setGeometry(rect());
    if (mProblem) mProblem->setGeometry(rect().adjusted(12, 12, -12, -12));
}

}  // namespace platform::browser
