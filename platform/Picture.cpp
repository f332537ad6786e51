#include "platform/Picture.h"

#include <QFile>
#include <QImageReader>

namespace platform {

Picture::Picture(QImage image, Kind kind, QString name, QPoint hotspot)
    : mImage(std::move(image)), mKind(kind), mName(std::move(name)), mHotspot(hotspot) {}

Picture Picture::Load(const QString& path, QPoint hotspot) {
    if (!QFile::exists(path)) {
        throw PictureError(QStringLiteral("picture file not found: %1").arg(path).toStdString());
    }
    QImageReader reader(path);
    QImage image = reader.read();
    if (image.isNull()) {
        throw PictureError(QStringLiteral("cannot read picture %1: %2")
                               .arg(path, reader.errorString())
                               .toStdString());
    }
    const QString lower = path.toLower();
    Kind kind = Kind::Bitmap;
    if (lower.endsWith(QLatin1String(".ico"))) kind = Kind::Icon;
    if (lower.endsWith(QLatin1String(".cur")) || lower.contains(QLatin1String("cursors/")))
        kind = Kind::Cursor;
    return Picture(image.convertToFormat(QImage::Format_ARGB32), kind, path, hotspot);
}

}  // namespace platform
