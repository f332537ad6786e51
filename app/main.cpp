// Quillmere: the program's entry point.

#include <QApplication>
#include <cstdio>
#include <cstring>

#include "app/Application.h"
#include "app/Config.h"
#include "platform/browser/DeferredPane.h"
#include "platform/window/Window.h"

namespace {

// A screenshot needs no display: choose the offscreen platform before Qt starts.
bool WantsScreenshot(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--screenshot") == 0 ||
            std::strncmp(argv[i], "--screenshot=", 13) == 0)
            return true;
    }
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    {
        // --help and --version need no display: they are answered before the GUI starts.
        QCoreApplication core(argc, argv);
        const app::ParseOutcome early = app::ParseArguments(QCoreApplication::arguments());
        if (early.exitNow && early.exitCode == 0) {
            std::fputs(qPrintable(early.output), stdout);
            return 0;
        }
    }
    const bool screenshot = WantsScreenshot(argc, argv);
    if (screenshot) qputenv("QT_QPA_PLATFORM", "offscreen");
    platform::browser::PrepareWebEngine();
    QApplication qapp(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quillmere"));
    QApplication::setApplicationVersion(QStringLiteral("2.0"));

    const app::ParseOutcome parsed = app::ParseArguments(QApplication::arguments());
    if (parsed.exitNow) {
        std::fputs(qPrintable(parsed.output), parsed.exitCode == 0 ? stdout : stderr);
        return parsed.exitCode;
    }
    std::fputs(qPrintable(parsed.warnings), stderr);
    if (!screenshot) platform::browser::InstallDeferredWebPane();
    if (platform::browser::Tracing())
        std::fprintf(stderr, "quillmere: run-time files in %s\n",
                     qPrintable(platform::window::AppPath()));
    app::Application application(parsed.config);
    const int code = application.Run();
    application.CloseWindows();
    // A logout asked for just before the last window closed still gets its request out
    // (the demo portal, when it runs, stops only after this).
    platform::browser::SettleDeferredNavigations(2000);
    return code;
}
