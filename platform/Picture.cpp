#include "platform/Picture.h"

#include "platform/Files.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>

namespace platform {

namespace {

// Reads the picture on `device`; `path` names it in messages and its suffix hints at its kind.
QImage Decode(QIODevice& device, const QString& path) {
    // The name's suffix is a hint; the content decides when it does not match.
    QImageReader reader(&device, QFileInfo(path).suffix().toLower().toLatin1());
    if (!reader.canRead()) {
        device.seek(0);
        reader.setDevice(&device);
        reader.setFormat(QByteArray());
    }
    // A photo's orientation tag turns it upright as it is read.
    reader.setAutoTransform(true);
    // The image library refuses to decode beyond its allocation limit with a message of its own;
    // the size in the file's header is checked first, so that the report says what is wrong.
    QSize size = reader.size();
    if (reader.transformation() & QImageIOHandler::TransformationRotate90) size.transpose();
    const qint64 limitMiB = QImageReader::allocationLimit();
    if (size.isValid() && limitMiB > 0) {
        const QImage::Format format = reader.imageFormat();
        const qint64 bits = format == QImage::Format_Invalid
                                ? 32
                                : qMax(1, int(QImage::toPixelFormat(format).bitsPerPixel()));
        const qint64 bytes = (qint64(size.width()) * bits + 7) / 8 * size.height();
        if (bytes > (limitMiB << 20)) {
            throw PictureError(
                QStringLiteral("%1: picture too large: %2 x %3 needs %4 MiB, the limit is %5 MiB")
                    .arg(path)
                    .arg(size.width())
                    .arg(size.height())
                    .arg((bytes + (1 << 20) - 1) >> 20)
                    .arg(limitMiB)
                    .toStdString());
        }
    }
    QImage image = reader.read();
    if (image.isNull()) {
        // In our words rather than the image library's.
        const QString why = reader.error() == QImageReader::UnsupportedFormatError
                                ? QStringLiteral("not a picture of a known kind")
                                : QStringLiteral("the picture data is damaged or cut short");
        throw PictureError(
            QStringLiteral("cannot read picture %1: %2").arg(path, why).toStdString());
    }
    // In place where the pixel size allows (32-bit pictures, the usual photo): a large picture is
    // not held twice while it is converted.
    image.convertTo(QImage::Format_ARGB32);
    return image;
}

}  // namespace

Picture::Picture(QImage image, Kind kind, QString name, QPoint hotspot)
    : mImage(std::move(image)), mKind(kind), mName(std::move(name)), mHotspot(hotspot) {}

Picture Picture::Load(const QString& path, QPoint hotspot) {
    if (path.contains(QChar(0))) {
        QString shown = path;
        shown.replace(QChar(0), QLatin1String("\\0"));
        throw PictureError(
            QStringLiteral("picture name holds a NUL character: %1").arg(shown).toStdString());
    }
    // Only a regular file is decoded: a FIFO or a device would block or never end.
    QFile file;
    QString refused;
    if (!files::OpenInputFile(path, &file, &refused)) {
        if (refused == QLatin1String("not found"))
            throw PictureError(
                QStringLiteral("picture file not found: %1").arg(path).toStdString());
        throw PictureError(
            QStringLiteral("cannot read picture %1: %2").arg(path, refused).toStdString());
    }
    QImage image = Decode(file, path);
    const QString lower = path.toLower();
    Kind kind = Kind::Bitmap;
    if (lower.endsWith(QLatin1String(".ico"))) kind = Kind::Icon;
    if (lower.endsWith(QLatin1String(".cur")) || lower.contains(QLatin1String("cursors/")))
        kind = Kind::Cursor;
    return Picture(std::move(image), kind, path, hotspot);
}

Picture Picture::FromData(const QByteArray& bytes, const QString& name) {
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    return Picture(Decode(buffer, name), Kind::Bitmap, name);
}

}  // namespace platform
