// Property bags: the stored values of a button read as a design file's bag would be, then the
// button rendered at a size and in a state. The input's first line names them, as
// "121x41 hover 1.5" (size, state, device pixel ratio), and the rest is the bag's text; a first
// line that does not read gives 121 x 41, normal, 1. A bag is refused only with a RenderError
// naming it; a render that is not refused draws a face of the size the button settled at.

#include <QByteArray>
#include <QList>
#include <QSize>
#include <QString>

#include "FuzzSupport.h"
#include "platform/forms/DesignFile.h"
#include "tools/render/Render.h"

namespace {

struct Request {
    QSize size{121, 41};
    QString state = QStringLiteral("normal");
    double ratio = 1.0;
};

Request ReadRequest(const QByteArray& line) {
    Request r;
    const QList<QByteArray> words = line.simplified().split(' ');
    if (!words.isEmpty()) {
        const QList<QByteArray> wh = words[0].split('x');
        bool okW = false, okH = false;
        const int w = wh.size() == 2 ? wh[0].toInt(&okW) : 0;
        const int h = wh.size() == 2 ? wh[1].toInt(&okH) : 0;
        // Sizes up to the renderer's limit, but not beyond: those are refused before drawing.
        if (okW && okH && w > 0 && h > 0 && w <= render::kMaxRenderSide &&
            h <= render::kMaxRenderSide)
            r.size = QSize(w, h);
    }
    if (words.size() > 1) r.state = QString::fromLatin1(words[1]);
    if (words.size() > 2) {
        bool ok = false;
        const double ratio = words[2].toDouble(&ok);
        if (ok) r.ratio = ratio;
    }
    return r;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    fuzz::StartApplication(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray input(reinterpret_cast<const char*>(data), qsizetype(size));
    const qsizetype end = input.indexOf('\n');
    const Request request = ReadRequest(end < 0 ? QByteArray() : input.left(end));
    const QByteArray text = end < 0 ? input : input.mid(end + 1);
    // Very large faces take seconds each; the size limit itself is a unit test's business.
    if (qint64(request.size.width()) * request.size.height() * request.ratio * request.ratio >
        4096.0 * 4096.0)
        return 0;
    try {
        const platform::forms::PropertyBag bag =
            render::ParseBag(text, QStringLiteral("fuzz.json"));
        const render::ControlRender out = render::RenderControl(
            QStringLiteral("gxButtons_H"), bag, request.size, request.state, request.ratio);
        fuzz::Check(!out.image.isNull() && !out.mask.isNull(), "a render without a picture");
        fuzz::Check(out.mask.size().width() <= platform::forms::kMaxSurfaceSide &&
                        out.mask.size().height() <= platform::forms::kMaxSurfaceSide,
                    "a face larger than can be drawn");
    } catch (const render::RenderError&) {
    }
    return 0;
}
