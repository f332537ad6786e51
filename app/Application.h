#pragma once
// Start-up and end of the program, apart from main() so that tests drive the same sequence.

#include <memory>

#include "app/Config.h"
#include "platform/forms/DesignFile.h"

class frmViewer;

namespace portal {
class DemoPortal;
}

namespace app {

// The addresses the windows' placeholders take: the configured ones, or the demo portal's.
platform::forms::Placeholders PlaceholdersFor(const Config& config, const portal::DemoPortal* demo);

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
    std::unique_ptr<portal::DemoPortal> mDemo;
    std::unique_ptr<frmViewer> mViewer;
};

// Renders the top-level `window` (menu bar and client area) into a PNG file.
bool SaveScreenshot(class QWidget* window, const QString& file, QString* error);

}  // namespace app
