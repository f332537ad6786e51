// Design files: any text is either refused with a DesignError or read into a design whose
// every position and size the raster layer can draw; a design that reads is then built into a
// window, shown and unloaded, which may refuse it only with a DesignError.

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QWidget>
#include <cstdlib>
#include <string>

#include "FuzzSupport.h"
#include "platform/Units.h"
#include "platform/forms/DesignFile.h"
#include "platform/forms/FormWindow.h"

namespace forms = platform::forms;

namespace {

QString gFile;  // where the window's design file is written for each input

bool Drawable(std::int64_t pixels) {
    return pixels >= -forms::kMaxSurfaceSide && pixels <= forms::kMaxSurfaceSide;
}

void CheckControls(const std::vector<forms::ControlDesign>& controls) {
    for (const forms::ControlDesign& c : controls) {
        if (c.rect) {
            const QRect& r = *c.rect;
            for (const int twips : {r.left(), r.top(), r.width(), r.height()})
                fuzz::Check(Drawable(platform::TwipsToPixels(twips)),
                            c.path + ": a position or size beyond what can be drawn");
            fuzz::Check(r.width() >= 0 && r.height() >= 0, c.path + ": a negative size");
        }
        CheckControls(c.children);
    }
}

void CheckWidgets(const QWidget* w) {
    fuzz::Check(w->width() <= forms::kMaxSurfaceSide && w->height() <= forms::kMaxSurfaceSide,
                "a widget larger than can be drawn: " + w->objectName().toStdString());
    for (const QObject* child : w->children())
        if (const auto* cw = qobject_cast<const QWidget*>(child)) CheckWidgets(cw);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    fuzz::StartApplication(argc, argv);
    const QString shm = QStringLiteral("/dev/shm");
    const QString base = QDir(shm).exists() ? shm : QDir::tempPath();
    const QString dir =
        QStringLiteral("%1/quillmere-fuzz-%2").arg(base).arg(QCoreApplication::applicationPid());
    QDir().mkpath(dir + QStringLiteral("/forms"));
    forms::SetDesignDirectory(dir);
    gFile = dir + QStringLiteral("/forms/fuzz.json");
    static const std::string removeAtExit = dir.toStdString();
    std::atexit([] { QDir(QString::fromStdString(removeAtExit)).removeRecursively(); });
    forms::SetPlaceholders({QStringLiteral("http://127.0.0.1:8080"),
                            QStringLiteral("127.0.0.1:8080"), QStringLiteral("127.0.0.1:8025"),
                            QStringLiteral("guest"), QStringLiteral("guest")});
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray text(reinterpret_cast<const char*>(data), qsizetype(size));
    forms::FormDesign design;
    try {
        design =
            forms::ParseDesign(text, QStringLiteral("fuzz.json"), forms::CurrentPlaceholders());
    } catch (const forms::DesignError&) {
        return 0;
    }
    for (const int twips : {design.clientWidth, design.clientHeight})
        fuzz::Check(twips >= 0 && Drawable(platform::TwipsToPixels(twips)), "client size");
    CheckControls(design.controls);

    {
        QFile file(gFile);
        fuzz::Check(file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
                        file.write(text) == text.size(),
                    "cannot write the design file");
    }
    forms::FormWindow window(QStringLiteral("fuzz"));
    try {
        window.Show();
    } catch (const forms::DesignError&) {
    }
    if (window.widget()) {
        CheckWidgets(window.widget());
        window.widget()->grab();
    }
    window.Unload();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return 0;
}
