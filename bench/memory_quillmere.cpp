// Quillmere's side of bench_memory: the main window and five tool windows built and wired as in
// the program, each showing one portal page through the pane plugin. Prints "ready" once every
// page is drawn and a second has passed, then stays until it is ended.

#include <QApplication>
#include <QTimer>
#include <cstdio>

#include "app/frmMain.h"
#include "forms/ToolWindows.h"
#include "platform/forms/Instances.h"
#include "quillmere_side.h"

namespace {

template <class W>
void ShowPage(platform::forms::FormWindow& main, const char* button, int* painted) {
    auto& form = platform::forms::Instance<W>();
    form.LoadToolbar(main);
    testsupport::Click(form.template Ctl<QWidget>(QString::fromLatin1(button)));
    for (QWidget* view : firstpage::ViewsIn(form.widget()))
        new firstpage::PaintWatcher(view, [painted] { ++*painted; });
}

}  // namespace

int main(int argc, char** argv) {
    platform::browser::PrepareWebEngine();
    QApplication app(argc, argv);
    firstpage::SetUpProgram();

    auto& main = platform::forms::Instance<frmMain>();
    main.Show();
    int painted = 0;
    ShowPage<Form1>(main, "gxButtons_H1", &painted);
    ShowPage<Form2>(main, "gxButtons_H1", &painted);
    ShowPage<Form3>(main, "gxButtons_H1", &painted);
    ShowPage<Form4>(main, "gxButtons_H2", &painted);
    ShowPage<frmToolbar>(main, "gxButtons_H3", &painted);
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (painted < 5) return;
        poll.stop();
        QTimer::singleShot(1000, [] {
            std::puts("ready");
            std::fflush(stdout);
        });
    });
    poll.start(20);
    const int rc = app.exec();
    platform::forms::DestroyInstances();
    return rc;
}
