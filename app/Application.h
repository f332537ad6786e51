#pragma once
// Start-up and end of the program, apart from main() so that tests drive the same sequence.

#include <QString>
#include <memory>

#include "app/Config.h"
#include "platform/forms/DesignFile.h"

class frmViewer;

namespace app {

// Where the demo portal answers: its base URL ("http://127.0.0.1:PORT") and web-mail host.
struct DemoAddresses {
    QString base;
    QString webmail;
};

// The addresses the windows' placeholders take: the configured ones, or the demo portal's.
platform::forms::Placeholders PlaceholdersFor(const Config& config, const DemoAddresses* demo);

// The demo portal, from its plugin (quillmere-portal in the program's folder), loaded only when
// no portal is configured. Stops when it goes.
class DemoPortalPlugin {
public:
    DemoPortalPlugin() = default;
    DemoPortalPlugin(const DemoPortalPlugin&) = delete;
    DemoPortalPlugin& operator=(const DemoPortalPlugin&) = delete;
    ~DemoPortalPlugin();
    // Loads the plugin and starts the portal with the guest account the settings name (so the
    // portal accepts the password the windows fill in); false, with `error` saying why, when it
    // cannot.
    bool Start(const QString& guestUser, const QString& guestPassword, QString* error);
    const DemoAddresses& Addresses() const { return mAddresses; }

private:
    void* mPortal = nullptr;
    void (*mStop)(void*) = nullptr;
    DemoAddresses mAddresses;
};

class Application {
public:
    explicit Application(Config config);
    ~Application();

    // Starts the demo portal when no portal is configured, fills the placeholders, registers
    // the controls, and shows the main window. Returns false, with `error` naming the file and
    // key, when a design file or picture is broken.
    bool Start(QString* error);
    // With --view: opens the picture viewer window on the file instead of the main window (no
    // portal, no main window). Returns false, with `error` naming the file, when the picture
    // cannot be read.
    bool StartViewer(QString* error);
    // Start (or StartViewer), then the event loop (or the screenshot). Returns the exit code.
    int Run();
    // Destroys every window; the demo portal keeps running until this object goes.
    void CloseWindows();
    frmViewer* viewer() const { return mViewer.get(); }

private:
    int RunViewer();

    Config mConfig;
    std::unique_ptr<DemoPortalPlugin> mDemo;
    std::unique_ptr<frmViewer> mViewer;
};

// Renders the top-level `window` (menu bar and client area) into a PNG file.
bool SaveScreenshot(class QWidget* window, const QString& file, QString* error);

}  // namespace app
