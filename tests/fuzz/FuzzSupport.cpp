#include "FuzzSupport.h"

#include <QApplication>
#include <cstdio>
#include <cstdlib>

#include "controls/Register.h"
#include "platform/forms/FormWindow.h"
#include "platform/forms/PropertyBag.h"

namespace fuzz {

void StartApplication(int* argc, char*** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QUILLMERE_PANEL_PACING", "0");
    // Warnings about fonts, pictures and geometry are answers to broken input; with
    // QM_FUZZ_VERBOSE set they are printed.
    if (qEnvironmentVariableIsEmpty("QM_FUZZ_VERBOSE")) {
        qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& m) {
            if (type == QtFatalMsg) {
                std::fprintf(stderr, "fatal: %s\n", qPrintable(m));
                std::abort();
            }
        });
        platform::forms::SetRejectedValueHandler([](const platform::forms::RejectedValue&) {});
    }
    platform::forms::SetUnhandledErrorHandler([](const QString&) {});
    static QApplication* app = new QApplication(*argc, *argv);
    (void)app;
    controls::RegisterControls();
}

void Check(bool holds, const std::string& what) {
    if (holds) return;
    std::fprintf(stderr, "invariant broken: %s\n", what.c_str());
    std::abort();
}

}  // namespace fuzz

// Allocations the font library keeps for the life of the process, made at the first use of a
// font pattern: not ours, and not a leak that grows.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n";
}
