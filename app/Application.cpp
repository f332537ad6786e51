#include "app/Application.h"

#include <QApplication>
#include <QDir>
#include <QEvent>
#include <QImage>
#include <QImageReader>
#include <QLibrary>
#include <QMessageBox>
#include <QPixmap>
#include <QTimer>
#include <QUrl>
#include <cstdio>
#include <functional>
#include <utility>

#include "app/frmMain.h"
#include "app/frmViewer.h"
#include "controls/Register.h"
#include "platform/Files.h"
#include "platform/Picture.h"
#include "platform/browser/BrowserPane.h"
#include "platform/browser/DeferredPane.h"
#include "platform/forms/Instances.h"
#include "platform/window/Window.h"

namespace app {

namespace {

// Runs `then` once, `delayMs` after the watched window's first paint.
class AfterFirstPaint : public QObject {
public:
    AfterFirstPaint(QObject* parent, int delayMs, std::function<void()> then)
        : QObject(parent), mDelayMs(delayMs), mThen(std::move(then)) {}
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint && mThen) {
            QTimer::singleShot(mDelayMs, qApp, std::exchange(mThen, {}));
        }
        return false;
    }

private:
    int mDelayMs;
    std::function<void()> mThen;
};

// How long the program is left idle after its first paint before the web engine warms up.
constexpr int kWarmUpAfterMs = 250;

// The image reader's own default (128 MiB) refuses an ordinary large photo; the configured limit
// is what a picture's decoded pixels may take.
void ApplyPictureLimit(const Config& config) {
    QImageReader::setAllocationLimit(config.maxPictureMegabytes);
}

// A picture a page showed, opened from its context menu: a viewer window of its own over the
// page's window, closed with it. A picture that cannot be read is said over the page's window.
void ShowPagePicture(QWidget* owner, const QByteArray& bytes, const QString& name) {
    platform::Picture picture;
    try {
        picture = platform::Picture::FromData(bytes, name);
    } catch (const platform::PictureError& e) {
        platform::window::MsgBoxInfo(
            owner,
            QStringLiteral("The picture cannot be shown.\n\n%1").arg(QString::fromUtf8(e.what())),
            QStringLiteral("Quillmere picture viewer"));
        return;
    }
    auto* viewer = new frmViewer();
    viewer->setAttribute(Qt::WA_DeleteOnClose);
    viewer->OpenPicture(picture, name);
    platform::window::SetOwner(viewer, owner);
    viewer->show();
    viewer->raise();
    viewer->activateWindow();
}

}  // namespace

platform::forms::Placeholders PlaceholdersFor(const Config& config, const DemoAddresses* demo) {
    platform::forms::Placeholders p;
    p.portal = config.portal;
    if (p.portal.isEmpty() && demo) p.portal = demo->base;
    const QUrl url(p.portal);
    // An IPv6 host keeps its brackets: the windows put it into addresses of their own.
    QString host = url.host();
    if (host.contains(QLatin1Char(':'))) host = QStringLiteral("[%1]").arg(host);
    p.portalHost = url.port() > 0 ? QStringLiteral("%1:%2").arg(host).arg(url.port()) : host;
    p.webmail = config.webmail;
    if (p.webmail.isEmpty()) {
        // Without a configured web-mail server: the demo's stub, or the portal's own host.
        p.webmail = demo && config.portal.isEmpty() ? demo->webmail : p.portalHost;
    }
    p.guestUser = config.guestUser;
    p.guestPassword = config.guestPassword;
    return p;
}

DemoPortalPlugin::~DemoPortalPlugin() {
    if (mPortal) mStop(mPortal);
}

bool DemoPortalPlugin::Start(const QString& guestUser, const QString& guestPassword,
                             QString* error) {
    QLibrary lib(platform::files::PluginPath(QStringLiteral("quillmere-portal")));
    if (!lib.load()) {
        *error = lib.errorString();
        return false;
    }
    using StartFn = void* (*)(const char*, const char*, char*, std::size_t);
    using AddressesFn = void (*)(void*, char*, std::size_t, char*, std::size_t);
    auto start = reinterpret_cast<StartFn>(lib.resolve("qm_portal_start_with_guest"));
    auto addresses = reinterpret_cast<AddressesFn>(lib.resolve("qm_portal_addresses"));
    mStop = reinterpret_cast<void (*)(void*)>(lib.resolve("qm_portal_stop"));
    if (!start || !addresses || !mStop) {
        *error = QStringLiteral("%1 lacks its entry points").arg(lib.fileName());
        return false;
    }
    char why[512] = {};
    mPortal =
        start(guestUser.toUtf8().constData(), guestPassword.toUtf8().constData(), why, sizeof why);
    if (!mPortal) {
        *error = QString::fromUtf8(why);
        return false;
    }
    char base[256] = {};
    char webmail[256] = {};
    addresses(mPortal, base, sizeof base, webmail, sizeof webmail);
    mAddresses = {QString::fromUtf8(base), QString::fromUtf8(webmail)};
    return true;
}

Application::Application(Config config) : mConfig(std::move(config)) {}

Application::~Application() {
    platform::browser::SetPictureViewer({});
    CloseWindows();
    mDemo.reset();
}

void Application::CloseWindows() {
    mViewer.reset();
    platform::forms::DestroyInstances();
}

bool Application::Start(QString* error) {
    if (mConfig.portal.isEmpty()) {
        mDemo = std::make_unique<DemoPortalPlugin>();
        QString why;
        if (!mDemo->Start(mConfig.guestUser, mConfig.guestPassword, &why)) {
            mDemo.reset();
            *error = QStringLiteral("cannot start the demo portal: %1").arg(why);
            return false;
        }
    }
    platform::forms::SetPlaceholders(
        PlaceholdersFor(mConfig, mDemo ? &mDemo->Addresses() : nullptr));
    if (!mConfig.designDir.isEmpty()) platform::forms::SetDesignDirectory(mConfig.designDir);
    ApplyPictureLimit(mConfig);
    controls::RegisterControls();
    platform::browser::SetPictureViewer(ShowPagePicture);
    try {
        platform::forms::Instance<frmMain>().Show();
    } catch (const std::exception& e) {
        *error = QString::fromUtf8(e.what());
        return false;
    }
    return true;
}

bool Application::StartViewer(QString* error) {
    ApplyPictureLimit(mConfig);
    mViewer = std::make_unique<frmViewer>();
    if (!mViewer->Open(mConfig.view, error)) {
        mViewer.reset();
        return false;
    }
    mViewer->show();
    return true;
}

int Application::RunViewer() {
    QString error;
    if (!StartViewer(&error)) {
        std::fprintf(stderr, "quillmere: %s\n", qPrintable(error));
        // On a display the person who asked for the picture sees why it did not open.
        if (mConfig.screenshot.isEmpty())
            QMessageBox::critical(nullptr, QStringLiteral("Quillmere picture viewer"),
                                  QStringLiteral("The picture cannot be shown.\n\n%1%2.")
                                      .arg(error.left(1).toUpper(), error.mid(1)));
        return 1;
    }
    if (!mConfig.screenshot.isEmpty()) {
        if (!SaveScreenshot(mViewer.get(), mConfig.screenshot, &error)) {
            std::fprintf(stderr, "quillmere: %s\n", qPrintable(error));
            return 1;
        }
        return 0;
    }
    return QApplication::exec();
}

int Application::Run() {
    platform::SetSystemColours(mConfig.palette);
    if (!mConfig.view.isEmpty()) return RunViewer();
    QString error;
    if (!Start(&error)) {
        std::fprintf(stderr, "quillmere: %s\n", qPrintable(error));
        return 1;
    }
    QWidget* main = platform::forms::Instance<frmMain>().widget();
    if (!mConfig.screenshot.isEmpty()) {
        if (!SaveScreenshot(main, mConfig.screenshot, &error)) {
            std::fprintf(stderr, "quillmere: %s\n", qPrintable(error));
            return 1;
        }
        return 0;
    }
    if (mConfig.quitAfterFirstPaint) {
        // The start-up benchmark's finish line.
        main->installEventFilter(new AfterFirstPaint(main, 0, [] { QCoreApplication::exit(0); }));
    } else {
        // The first page a person asks for then finds the web engine started.
        main->installEventFilter(new AfterFirstPaint(
            main, kWarmUpAfterMs, [] { platform::browser::WarmUpDeferredWebPane(); }));
    }
    return QApplication::exec();
}

bool SaveScreenshot(QWidget* window, const QString& file, QString* error) {
    if (!window) {
        *error = QStringLiteral("no window to render");
        return false;
    }
    window->ensurePolished();
    const QImage image = window->grab().toImage();
    if (image.isNull() || !image.save(file, "PNG")) {
        *error = QStringLiteral("cannot write the screenshot to %1").arg(file);
        return false;
    }
    return true;
}

}  // namespace app
