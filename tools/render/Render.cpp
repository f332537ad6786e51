#include "tools/render/Render.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QPainter>
#include <QPixmap>
#include <QRegion>
#include <QRegularExpression>
#include <QWidget>
#include <algorithm>
#include <cmath>
#include <map>
#include <memory>

#include "app/frmMain.h"
#include "controls/Register.h"
#include "controls/ScrollPicture/ScrollPicture.h"
#include "controls/gxButtons_H/gxButtons_H.h"
#include "forms/ToolWindows.h"
#include "platform/Colour.h"
#include "platform/Files.h"
#include "platform/browser/RecordingBrowser.h"
#include "platform/forms/Control.h"
#include "platform/forms/DesignFile.h"
#include "platform/forms/FormWindow.h"

namespace render {

namespace {

using platform::forms::FormWindow;
using platform::forms::Json;
using platform::forms::Placeholders;
using platform::forms::PropertyBag;

[[noreturn]] void Fail(const QString& message) {
    throw RenderError(message);
}

void ApplyState(gxButtons_H& button, const QString& state) {
    if (state == QLatin1String("hover")) {
        button.SetPreviewState(true, false, false);
    } else if (state == QLatin1String("pressed")) {
        button.SetPreviewState(true, true, false);
    } else if (state == QLatin1String("focus")) {
        button.SetPreviewState(false, false, true);
    } else if (state == QLatin1String("disabled")) {
        button.SetEnabled(false);
        button.Refresh();
    } else if (state == QLatin1String("checked")) {
        button.SetMode(1);
        button.SetValue(true);
        button.Refresh();
    }
}

// Black everywhere, white over `region`.
QImage RegionImage(QSize size, const QRegion& region) {
    QImage mask(size, QImage::Format_RGB32);
    mask.fill(Qt::black);
    QPainter p(&mask);
    for (const QRect& r : region) p.fillRect(r, Qt::white);
    return mask;
}

// Sample addresses for the placeholders of the design files, in place while a window is built.
class SamplePlaceholders {
public:
    SamplePlaceholders() : mSaved(platform::forms::CurrentPlaceholders()) {
        Placeholders p;
        p.portal = QStringLiteral("http://portal.example");
        p.portalHost = QStringLiteral("portal.example");
        p.webmail = QStringLiteral("mail.example");
        p.guestUser = QStringLiteral("guest");
        p.guestPassword = QStringLiteral("guest");
        platform::forms::SetPlaceholders(p);
    }
    ~SamplePlaceholders() { platform::forms::SetPlaceholders(mSaved); }
    SamplePlaceholders(const SamplePlaceholders&) = delete;
    SamplePlaceholders& operator=(const SamplePlaceholders&) = delete;

private:
    Placeholders mSaved;
};

// Refuses the first stored value the control rejected, naming its file and key: a render
// shows the values it was given, or nothing.
void Refuse(const platform::forms::RejectedValueLog& rejected) {
    if (rejected.values().empty()) return;
    const platform::forms::RejectedValue& v = rejected.values().front();
    const QString where = v.file.isEmpty() ? QString() : v.file + QStringLiteral(": ");
    Fail(QStringLiteral("%1\"%2\" %3 %4")
             .arg(where, QString::fromStdString(v.key), v.value, v.problem));
}

template <class W>
std::unique_ptr<FormWindow> Make() {
    return std::make_unique<W>();
}

// The program's own class for a window, so that its handlers and load step run; a design file
// without one is shown as a plain window.
std::unique_ptr<FormWindow> MakeWindow(const QString& name) {
    static const std::map<QString, std::unique_ptr<FormWindow> (*)()> kWindows = {
        {QStringLiteral("frmMain"), Make<frmMain>},
        {QStringLiteral("frmToolbar"), Make<frmToolbar>},
        {QStringLiteral("Form1"), Make<Form1>},
        {QStringLiteral("Form2"), Make<Form2>},
        {QStringLiteral("Form3"), Make<Form3>},
        {QStringLiteral("Form4"), Make<Form4>},
        {QStringLiteral("Form5"), Make<Form5>},
        {QStringLiteral("Form6"), Make<Form6>},
        {QStringLiteral("Form7"), Make<Form7>},
        {QStringLiteral("Form8"), Make<Form8>},
        {QStringLiteral("Form9"), Make<Form9>},
    };
    const auto it = kWindows.find(name);
    if (it != kWindows.end()) return it->second();
    return std::make_unique<FormWindow>(name);
}

}  // namespace

RenderError::RenderError(const QString& message) : std::runtime_error(message.toStdString()) {}

const QStringList& ControlStates() {
    static const QStringList states = {
        QStringLiteral("normal"), QStringLiteral("hover"),    QStringLiteral("pressed"),
        QStringLiteral("focus"),  QStringLiteral("disabled"), QStringLiteral("checked"),
    };
    return states;
}

ControlRender RenderControl(const QString& type, const PropertyBag& bag, QSize size,
                            const QString& state, double ratio) {
    if (type != QLatin1String("gxButtons_H"))
        Fail(QStringLiteral("unknown control type \"%1\" (known: gxButtons_H)").arg(type));
    if (!ControlStates().contains(state)) {
        Fail(QStringLiteral("unknown state \"%1\" (valid: %2)")
                 .arg(state, ControlStates().join(QStringLiteral(", "))));
    }
    if (size.isEmpty())
        Fail(QStringLiteral("size %1x%2 is empty").arg(size.width()).arg(size.height()));
    if (!(ratio >= 0.25 && ratio <= 16))
        Fail(QStringLiteral("device pixel ratio %1 is not from 0.25 to 16").arg(ratio));

    const platform::Colour ambient = platform::kWindowBackground;
    QWidget container;
    // Shown so that the control gets its resize as on a window's first showing, but never on
    // a screen, whatever the platform.
    container.setAttribute(Qt::WA_DontShowOnScreen);
    container.resize(size);
    platform::forms::SetContainerBackColor(&container, ambient);
    auto* button = new gxButtons_H(&container);
    button->setObjectName(QStringLiteral("gxButtons_H1"));
    if (ratio != 1.0) button->SetPreviewDeviceRatio(ratio);

    ControlRender out;
    try {
        {
            const platform::forms::RejectedValueLog rejected;
            button->ReadProperties(bag);
            Refuse(rejected);
        }
        button->setGeometry(QRect(QPoint(0, 0), size));
        container.show();
        ApplyState(*button, state);
        out.image = button->FaceImage().convertToFormat(QImage::Format_RGB32);
    } catch (const std::exception& e) {
        Fail(QString::fromUtf8(e.what()));
    }
    if (out.image.isNull()) Fail(QStringLiteral("%1 drew no face").arg(type));
    // The picture is the control as it settled, which may have resized itself to its shape.
    const QSize settled = button->size();
    // The ratio asked for, else the screen's (a scale factor given to the whole program).
    const double drawn = button->DeviceRatio();
    const QSize device(int(std::lround(settled.width() * drawn)),
                       int(std::lround(settled.height() * drawn)));
    if (out.image.size() != device) out.image = out.image.copy(QRect(QPoint(0, 0), device));
    out.image.setDevicePixelRatio(drawn);

    const QRegion shape =
        button->mask().isEmpty() ? QRegion(button->rect()) : button->mask() & button->rect();
    out.mask = RegionImage(settled, shape);
    const QImage deviceMask =
        device == settled ? out.mask
                          : out.mask.scaled(device, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    const QRgb background = platform::ToQColor(platform::Resolve(ambient)).rgb();
    for (int y = 0; y < device.height(); ++y) {
        const QRgb* m = reinterpret_cast<const QRgb*>(deviceMask.constScanLine(y));
        QRgb* px = reinterpret_cast<QRgb*>(out.image.scanLine(y));
        for (int x = 0; x < device.width(); ++x)
            if (qRed(m[x]) == 0) px[x] = background;
    }
    return out;
}

const QStringList& ViewerZooms() {
    static const QStringList zooms = {QStringLiteral("actual"), QStringLiteral("fit"),
                                      QStringLiteral("stretch"), QStringLiteral("in"),
                                      QStringLiteral("out")};
    return zooms;
}

QImage RenderViewer(const PropertyBag& bag, const QString& picture, QSize size,
                    const QString& zoom) {
    if (!ViewerZooms().contains(zoom))
        Fail(QStringLiteral("unknown zoom \"%1\" (valid: %2)")
                 .arg(zoom, ViewerZooms().join(QStringLiteral(", "))));
    if (size.isEmpty())
        Fail(QStringLiteral("size %1x%2 is empty").arg(size.width()).arg(size.height()));
    QWidget container;
    container.setAttribute(Qt::WA_DontShowOnScreen);
    container.resize(size);
    platform::forms::SetContainerBackColor(&container, platform::kWindowBackground);
    auto* viewer = new ScrollPicture(&container);
    viewer->setObjectName(QStringLiteral("ScrollPicture1"));
    try {
        if (bag.Empty()) {
            viewer->InitProperties();
        } else {
            const platform::forms::RejectedValueLog rejected;
            viewer->ReadProperties(bag);
            Refuse(rejected);
        }
        viewer->setGeometry(QRect(QPoint(0, 0), size));
        container.show();
        viewer->SetPicture(platform::Picture::Load(picture));
        if (zoom == QLatin1String("fit")) viewer->BestFit();
        if (zoom == QLatin1String("stretch")) viewer->z_Stretch();
        if (zoom == QLatin1String("in")) viewer->z_ZoomIn();
        if (zoom == QLatin1String("out")) viewer->z_ZoomOut();
    } catch (const std::exception& e) {
        Fail(QString::fromUtf8(e.what()));
    }
    const QImage image = viewer->grab().toImage().convertToFormat(QImage::Format_RGB32);
    if (image.isNull()) Fail(QStringLiteral("the viewer gave no picture"));
    return image;
}

QImage RenderForm(const QString& name) {
    controls::RegisterControls();
    platform::browser::RecordingBrowser::Install();
    const SamplePlaceholders samples;
    const std::unique_ptr<FormWindow> window = MakeWindow(name);
    try {
        window->Show();
    } catch (const std::exception& e) {
        Fail(QString::fromUtf8(e.what()));
    }
    QWidget* w = window->widget();
    if (!w) Fail(QStringLiteral("%1.json: the window unloaded itself while loading").arg(name));
    w->ensurePolished();
    const QImage image = w->grab().toImage();
    if (image.isNull()) Fail(QStringLiteral("%1: the window gave no picture").arg(name));
    return image;
}

PropertyBag LoadBagFile(const QString& path) {
    QString why;
    const std::optional<QByteArray> read = platform::files::ReadInputFile(path, &why);
    if (!read) {
        if (why == QLatin1String("not found")) why = QStringLiteral("bag file not found");
        Fail(QStringLiteral("%1: %2").arg(path, why));
    }
    return ParseBag(*read, path);
}

PropertyBag ParseBag(const QByteArray& text, const QString& path) {
    Json object;
    try {
        object = platform::forms::ParseJsonText(text, path);
    } catch (const platform::forms::DesignError& e) {
        Fail(QString::fromUtf8(e.what()));
    }
    if (!object.is_object()) Fail(QStringLiteral("%1: expected a JSON object of values").arg(path));
    return PropertyBag(std::move(object), QFileInfo(path).fileName());
}

QSize ParseSize(const QString& text) {
    static const QRegularExpression re(QStringLiteral(R"(^\s*(\d{1,5})\s*[xX]\s*(\d{1,5})\s*$)"));
    const QRegularExpressionMatch m = re.match(text);
    const QSize size = m.hasMatch() ? QSize(m.captured(1).toInt(), m.captured(2).toInt()) : QSize();
    if (size.isEmpty())
        Fail(QStringLiteral("invalid size \"%1\" (expected WIDTHxHEIGHT in pixels, e.g. 121x41)")
                 .arg(text));
    if (size.width() > kMaxRenderSide || size.height() > kMaxRenderSide)
        Fail(QStringLiteral("size \"%1\" is larger than %2 x %2 pixels")
                 .arg(text)
                 .arg(kMaxRenderSide));
    return size;
}

QImage ContactSheet(const QString& dir, const QString& prefix, const QStringList& columns) {
    const QDir folder(dir);
    if (!folder.exists()) Fail(QStringLiteral("%1: folder not found").arg(dir));
    static const QRegularExpression nameRe(QStringLiteral(R"(^(.+)_s(\d+)_([a-z]+)\.png$)"));

    // style -> column -> picture
    std::map<int, std::map<int, QImage>> cells;
    QSize cell(0, 0);
    for (const QString& file :
         folder.entryList({prefix + QStringLiteral("_s*_*.png")}, QDir::Files)) {
        const QRegularExpressionMatch m = nameRe.match(file);
        if (!m.hasMatch() || m.captured(1) != prefix) continue;
        const int column = int(columns.indexOf(m.captured(3)));
        if (column < 0) continue;
        QImage img(folder.filePath(file));
        if (img.isNull())
            Fail(QStringLiteral("%1: not a readable picture").arg(folder.filePath(file)));
        cell = cell.expandedTo(img.size());
        cells[m.captured(2).toInt()][column] = std::move(img);
    }
    if (cells.empty())
        Fail(QStringLiteral("%1: no pictures named %2_s<style>_<state>.png").arg(dir, prefix));

    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(11);
    const QFontMetrics fm(font);
    constexpr int kGap = 8;
    int labelWidth = 0;
    for (const auto& [style, row] : cells)
        labelWidth =
            std::max(labelWidth, fm.horizontalAdvance(QStringLiteral("style %1").arg(style)));
    const int left = kGap + labelWidth + kGap, top = kGap + fm.height() + kGap / 2;
    int columnWidth = cell.width();
    for (const QString& name : columns)
        columnWidth = std::max(columnWidth, fm.horizontalAdvance(name));
    const int pitchX = columnWidth + kGap;
    const int pitchY = cell.height() + kGap;

    QImage sheet(left + pitchX * int(columns.size()), top + pitchY * int(cells.size()),
                 QImage::Format_RGB32);
    sheet.fill(Qt::white);
    QPainter p(&sheet);
    p.setFont(font);
    p.setPen(Qt::black);
    for (int c = 0; c < int(columns.size()); ++c)
        p.drawText(QRect(left + c * pitchX, kGap, pitchX - kGap, fm.height()), Qt::AlignCenter,
                   columns[c]);
    int r = 0;
    for (const auto& [style, row] : cells) {
        const int y = top + r * pitchY;
        p.drawText(QRect(kGap, y, labelWidth, cell.height()), Qt::AlignLeft | Qt::AlignVCenter,
                   QStringLiteral("style %1").arg(style));
        for (const auto& [column, img] : row)
            p.drawImage(left + column * pitchX + (pitchX - kGap - img.width()) / 2, y, img);
        ++r;
    }
    return sheet;
}

}  // namespace render
