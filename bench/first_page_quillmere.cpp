// Quillmere's side of bench_first_page: the main window and the attendance window, built and
// wired as in the program, with the web engine pane from its plugin. Then "Load/Reload
// Attendace" is clicked: at once after the attendance window has painted ("cold", the engine
// not started), or once the engine has warmed up as the program does when idle ("warm").
//
//   first-page-quillmere cold|warm [WAIT_MS]

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <cstring>

#include "app/frmMain.h"
#include "forms/ToolWindows.h"
#include "platform/forms/Instances.h"
#include "quillmere_side.h"

int main(int argc, char** argv) {
    const bool warm = argc > 1 && std::strcmp(argv[1], "warm") == 0;
    const int waitMs = argc > 2 ? std::atoi(argv[2]) : 2000;
    platform::browser::PrepareWebEngine();
    QApplication app(argc, argv);
    firstpage::SetUpProgram();

    auto& main = platform::forms::Instance<frmMain>();
    main.Show();
    auto& form = platform::forms::Instance<Form2>();
    form.LoadToolbar(main);

    QElapsedTimer clock;
    auto click = [&] {
        clock.start();
        testsupport::Click(form.Ctl<QWidget>(QStringLiteral("gxButtons_H1")));
        // The click made the pane's view; the page's drawing ends the run.
        for (QWidget* view : firstpage::ViewsIn(form.widget()))
            new firstpage::PaintWatcher(view, [&] { firstpage::PrintAndQuit(clock); });
    };
    if (warm) {
        // As the program does once idle after its first paint; a person clicks later.
        QTimer::singleShot(250, [&] {
            platform::browser::WarmUpDeferredWebPane();
            QTimer::singleShot(waitMs, click);
        });
    } else {
        QTimer::singleShot(0, click);
    }
    const int rc = app.exec();
    platform::forms::DestroyInstances();
    platform::browser::SettleDeferredNavigations(0);
    return rc;
}
