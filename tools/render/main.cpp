// quillmere-render: draws a control, a window or a contact sheet of control pictures to a PNG
// without a display.
//
//   quillmere-render --control gxButtons_H --bag FILE.json --size WxH [--state STATE]
//                    [--dpr R] --out FILE.png [--mask FILE.png]
//   quillmere-render --control ScrollPicture --picture FILE [--bag FILE.json] [--size WxH]
//                    [--zoom actual|fit|stretch|in|out] --out FILE.png
//   quillmere-render --form NAME --out FILE.png
//   quillmere-render --sheet DIR --out FILE.png
//
// Exit codes: 0 done, 2 a bad command line, 1 a file or value that cannot be rendered. Errors
// are one line on stderr naming the file, key or value. A window is drawn as the program shows
// it: a stored value one of its controls cannot use is a line on stderr, and the render goes on.

#include <QApplication>
#include <QCommandLineParser>
#include <QFileInfo>
#include <cstdio>
#include <exception>

#include "platform/forms/DesignFile.h"
#include "tools/render/Render.h"

namespace {

constexpr int kUsageError = 2;
constexpr int kRenderError = 1;

struct UsageError {
    QString message;
};

// Headless runs make Qt note what the platform lacks (no runtime folder, no raising of
// windows offscreen); those notes say nothing about the picture and are dropped.
QtMessageHandler gQtHandler = nullptr;

void FilterMessages(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (type == QtWarningMsg &&
        (text.startsWith(QLatin1String("QStandardPaths: XDG_RUNTIME_DIR")) ||
         text.startsWith(QLatin1String("This plugin does not support"))))
        return;
    if (gQtHandler) gQtHandler(type, context, text);
}

int Report(const QString& message, int code) {
    QString line = message;
    line.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
    std::fprintf(stderr, "quillmere-render: %s\n", qPrintable(line.simplified()));
    return code;
}

void Save(const QImage& image, const QString& file) {
    if (!image.save(file, "PNG"))
        throw render::RenderError(QStringLiteral("%1: cannot write the picture").arg(file));
}

QString Required(const QCommandLineParser& parser, const QString& option, const QString& mode) {
    const QString value = parser.value(option);
    if (value.isEmpty()) throw UsageError{QStringLiteral("--%1 needs --%2").arg(mode, option)};
    return value;
}

int Run(const QCommandLineParser& parser) {
    const QStringList modes = {QStringLiteral("control"), QStringLiteral("form"),
                               QStringLiteral("sheet")};
    QStringList given;
    for (const QString& m : modes)
        if (parser.isSet(m)) given << QStringLiteral("--") + m;
    if (given.size() != 1)
        throw UsageError{
            given.isEmpty()
                ? QStringLiteral("give one of --control, --form, --sheet")
                : QStringLiteral("%1 cannot be combined").arg(given.join(QStringLiteral(" and ")))};
    if (!parser.positionalArguments().isEmpty())
        throw UsageError{
            QStringLiteral("unexpected argument \"%1\"").arg(parser.positionalArguments().first())};

    if (!parser.isSet(QStringLiteral("control"))) {
        for (const char* own : {"bag", "size", "state", "mask", "picture", "zoom", "dpr"})
            if (parser.isSet(QLatin1String(own)))
                throw UsageError{QStringLiteral("--%1 goes with --control only").arg(own)};
    } else if (parser.value(QStringLiteral("control")) == QLatin1String("ScrollPicture")) {
        // The picture viewer: a picture file, optionally stored values, a size and a zoom.
        for (const char* own : {"state", "mask", "dpr"})
            if (parser.isSet(QLatin1String(own)))
                throw UsageError{
                    QStringLiteral("--%1 goes with --control gxButtons_H only").arg(own)};
        const QString picture =
            Required(parser, QStringLiteral("picture"), QStringLiteral("control ScrollPicture"));
        const QString out = Required(parser, QStringLiteral("out"), QStringLiteral("control"));
        QSize size(400, 300);
        if (parser.isSet(QStringLiteral("size"))) {
            try {
                size = render::ParseSize(parser.value(QStringLiteral("size")));
            } catch (const render::RenderError& e) {
                throw UsageError{QStringLiteral("--size: %1").arg(QString::fromUtf8(e.what()))};
            }
        }
        const QString zoom = parser.isSet(QStringLiteral("zoom"))
                                 ? parser.value(QStringLiteral("zoom"))
                                 : QStringLiteral("actual");
        if (!render::ViewerZooms().contains(zoom))
            throw UsageError{QStringLiteral("--zoom: unknown zoom \"%1\" (valid: %2)")
                                 .arg(zoom, render::ViewerZooms().join(QStringLiteral(", ")))};
        const platform::forms::PropertyBag bag =
            parser.isSet(QStringLiteral("bag"))
                ? render::LoadBagFile(parser.value(QStringLiteral("bag")))
                : platform::forms::PropertyBag();
        Save(render::RenderViewer(bag, picture, size, zoom), out);
        return 0;
    } else {
        if (parser.isSet(QStringLiteral("picture")) || parser.isSet(QStringLiteral("zoom")))
            throw UsageError{
                QStringLiteral("--picture and --zoom go with --control ScrollPicture")};
        const QString type = parser.value(QStringLiteral("control"));
        const QString bagFile = Required(parser, QStringLiteral("bag"), QStringLiteral("control"));
        const QString sizeText =
            Required(parser, QStringLiteral("size"), QStringLiteral("control"));
        const QString out = Required(parser, QStringLiteral("out"), QStringLiteral("control"));
        const QString state = parser.isSet(QStringLiteral("state"))
                                  ? parser.value(QStringLiteral("state"))
                                  : QStringLiteral("normal");
        QSize size;
        try {
            size = render::ParseSize(sizeText);
        } catch (const render::RenderError& e) {
            throw UsageError{QStringLiteral("--size: %1").arg(QString::fromUtf8(e.what()))};
        }
        if (type != QLatin1String("gxButtons_H"))
            throw UsageError{
                QStringLiteral(
                    "--control: unknown control type \"%1\" (known: gxButtons_H, ScrollPicture)")
                    .arg(type)};
        if (!render::ControlStates().contains(state))
            throw UsageError{QStringLiteral("--state: unknown state \"%1\" (valid: %2)")
                                 .arg(state, render::ControlStates().join(QStringLiteral(", ")))};

        double ratio = 1.0;
        if (parser.isSet(QStringLiteral("dpr"))) {
            bool ok = false;
            ratio = parser.value(QStringLiteral("dpr")).toDouble(&ok);
            if (!ok || !(ratio >= 0.25 && ratio <= 16))
                throw UsageError{QStringLiteral("--dpr: \"%1\" is not a ratio from 0.25 to 16")
                                     .arg(parser.value(QStringLiteral("dpr")))};
        }

        const platform::forms::PropertyBag bag = render::LoadBagFile(bagFile);
        // Pictures next to the bag file come before the compiled-in ones.
        platform::forms::SetDesignDirectory(QFileInfo(bagFile).absolutePath());
        const render::ControlRender r = render::RenderControl(type, bag, size, state, ratio);
        Save(r.image, out);
        if (parser.isSet(QStringLiteral("mask")))
            Save(r.mask, parser.value(QStringLiteral("mask")));
        return 0;
    }
    if (parser.isSet(QStringLiteral("form"))) {
        const QString out = Required(parser, QStringLiteral("out"), QStringLiteral("form"));
        Save(render::RenderForm(parser.value(QStringLiteral("form"))), out);
        return 0;
    }
    const QString out = Required(parser, QStringLiteral("out"), QStringLiteral("sheet"));
    Save(render::ContactSheet(parser.value(QStringLiteral("sheet")), QStringLiteral("button"),
                              render::ControlStates()),
         out);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    gQtHandler = qInstallMessageHandler(FilterMessages);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("quillmere-render"));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Draws a control, a window or a contact sheet of button pictures to a PNG "
                       "file, without a display."));
    parser.addHelpOption();
    parser.addOptions({
        {QStringLiteral("control"),
         QStringLiteral("Control type to draw (gxButtons_H or ScrollPicture)."),
         QStringLiteral("TYPE")},
        {QStringLiteral("picture"), QStringLiteral("ScrollPicture: the picture file to show."),
         QStringLiteral("FILE")},
        {QStringLiteral("zoom"),
         QStringLiteral("ScrollPicture: actual (default), fit, stretch, in or out."),
         QStringLiteral("ZOOM")},
        {QStringLiteral("bag"),
         QStringLiteral("JSON file with the control's stored values, as in a design file."),
         QStringLiteral("FILE")},
        {QStringLiteral("size"),
         QStringLiteral("Control size in pixels, e.g. 121x41, at most 8192x8192 "
                        "(ScrollPicture: 400x300 unless given)."),
         QStringLiteral("WxH")},
        {QStringLiteral("state"),
         QStringLiteral("normal (default), hover, pressed, focus, disabled or checked."),
         QStringLiteral("STATE")},
        {QStringLiteral("dpr"),
         QStringLiteral("Device pixels per pixel to draw the face at, as on a dense screen (1 "
                        "unless given; the picture gets size x R pixels, the mask stays at size)."),
         QStringLiteral("R")},
        {QStringLiteral("mask"),
         QStringLiteral("Also write the control's window region (white inside) to this PNG."),
         QStringLiteral("FILE")},
        {QStringLiteral("form"), QStringLiteral("Window to draw, by design file name (frmMain)."),
         QStringLiteral("NAME")},
        {QStringLiteral("sheet"),
         QStringLiteral("Folder of button_s<style>_<state>.png pictures to lay out as a sheet."),
         QStringLiteral("DIR")},
        {QStringLiteral("out"), QStringLiteral("PNG file to write."), QStringLiteral("FILE")},
    });
    if (!parser.parse(QApplication::arguments())) return Report(parser.errorText(), kUsageError);
    platform::forms::SetRejectedValueHandler(
        [](const platform::forms::RejectedValue& v) { Report(v.Message(), 0); });
    if (parser.isSet(QStringLiteral("help"))) {
        std::fputs(qPrintable(parser.helpText()), stdout);
        return 0;
    }
    try {
        return Run(parser);
    } catch (const UsageError& e) {
        return Report(e.message, kUsageError);
    } catch (const std::exception& e) {
        return Report(QString::fromUtf8(e.what()), kRenderError);
    }
}
