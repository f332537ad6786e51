#pragma once
// A picture object as windows and controls hold it: a bitmap (BMP, PNG, JPEG, GIF, and WebP and
// TIFF where the image library's plugins are installed), an icon or a cursor, with its pixels, its
// kind and, for cursors, the hotspot. An empty Picture is "none".

#include <QImage>
#include <QPoint>
#include <QString>
#include <stdexcept>

namespace platform {

class PictureError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class Picture {
public:
    enum class Kind { None, Bitmap, Icon, Cursor };

    Picture() = default;
    Picture(QImage image, Kind kind, QString name = {}, QPoint hotspot = {});

    // Reads a picture file (a resource path ":/..." or a file path). Icons (.ico) and cursors
    // (.cur, or a name under "cursors/") take their kind from the name. A photo's orientation
    // tag is applied: the picture comes out upright. An animation gives its first frame. Throws
    // PictureError, naming the file, when it is missing or unreadable, or when its pixels (at the
    // upright size) would take more than the image reader's allocation limit.
    static Picture Load(const QString& path, QPoint hotspot = {});
    // The same from the bytes of a picture file held in memory (a page's picture); `name`
    // ("photo.jpg") hints at its kind and names it in messages. Always a bitmap.
    static Picture FromData(const QByteArray& bytes, const QString& name);

    bool IsNone() const { return mKind == Kind::None || mImage.isNull(); }
    Kind kind() const { return IsNone() ? Kind::None : mKind; }
    const QImage& image() const { return mImage; }
    const QString& name() const { return mName; }
    QPoint hotspot() const { return mHotspot; }
    int Width() const { return mImage.width(); }
    int Height() const { return mImage.height(); }

private:
    QImage mImage;
    Kind mKind = Kind::None;
    QString mName;
    QPoint mHotspot;
};

}  // namespace platform
