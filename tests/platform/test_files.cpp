// Reading the files that enter from outside: only regular files of a bounded size, refused at once
// otherwise, with the reason in words.

#include <gtest/gtest.h>

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QImageWriter>
#include <QTemporaryDir>
#include <cstdlib>

#include <sys/stat.h>

#include "platform/Files.h"
#include "platform/Picture.h"

using platform::files::ReadInputFile;

namespace {

TEST(InputFiles, OnlyRegularFilesOfABoundedSizeAreRead) {
    QTemporaryDir dir;
    const QString plain = dir.filePath("design.json");
    {
        QFile f(plain);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("{\"controls\": []}");
    }
    QString why;
    const auto text = ReadInputFile(plain, &why);
    ASSERT_TRUE(text.has_value()) << why.toStdString();
    EXPECT_EQ(*text, QByteArray("{\"controls\": []}"));

    // Exactly at the limit is read; one byte over is refused, naming the limit.
    EXPECT_TRUE(ReadInputFile(plain, &why, 16).has_value());
    EXPECT_FALSE(ReadInputFile(plain, &why, 15).has_value());
    EXPECT_EQ(why, "larger than 15 bytes");

    EXPECT_FALSE(ReadInputFile(dir.filePath("missing.json"), &why));
    EXPECT_EQ(why, "not found");
    EXPECT_FALSE(ReadInputFile(dir.path(), &why));
    EXPECT_EQ(why, "not a regular file");
    // A device that never ends and a FIFO with no writer are refused at once, not read or
    // waited on.
    EXPECT_FALSE(ReadInputFile(QStringLiteral("/dev/zero"), &why));
    EXPECT_EQ(why, "not a regular file");
    const QString fifo = dir.filePath("pipe");
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    EXPECT_FALSE(ReadInputFile(fifo, &why));
    EXPECT_EQ(why, "not a regular file");
    // The reason may be left unasked.
    EXPECT_FALSE(ReadInputFile(fifo, nullptr));
}

TEST(InputFiles, APictureIsReadOnlyFromARegularFile) {
    // A FIFO named as a picture (a bag's picture, a file given to the viewer) is refused at
    // once instead of waiting for a writer; a picture whose name does not match its content
    // still opens.
    QTemporaryDir dir;
    const QString fifo = dir.filePath("face.png");
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    try {
        platform::Picture::Load(fifo);
        ADD_FAILURE() << "a FIFO was read as a picture";
    } catch (const platform::PictureError& e) {
        EXPECT_EQ(std::string(e.what()),
                  "cannot read picture " + fifo.toStdString() + ": not a regular file");
    }
    EXPECT_THROW(platform::Picture::Load(QStringLiteral("/dev/zero")), platform::PictureError);

    const QString misnamed = dir.filePath("face.bmp");
    QImage red(3, 2, QImage::Format_ARGB32);
    red.fill(Qt::red);
    ASSERT_TRUE(red.save(misnamed, "PNG"));
    EXPECT_EQ(platform::Picture::Load(misnamed).image().size(), QSize(3, 2));
}

}  // namespace

namespace {

// A picture file: the left half red, the right half blue. With `turned`, a JPEG whose
// orientation tag (6) says the camera was turned a quarter clockwise. The image writer turns the
// pixels instead of writing the tag, so the tag goes in by hand, right after the start marker.
QString WriteHalves(const QTemporaryDir& dir, const char* name, QSize size, bool turned = false) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(QColor(220, 0, 0));
    for (int y = 0; y < size.height(); ++y)
        for (int x = size.width() / 2; x < size.width(); ++x)
            image.setPixelColor(x, y, QColor(0, 0, 220));
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, QFileInfo(name).suffix().toLatin1());
    writer.setQuality(100);
    EXPECT_TRUE(writer.write(image)) << writer.errorString().toStdString();
    QByteArray bytes = buffer.data();
    if (turned) {
        static const char exif[] =
            "\xFF\xE1\x00\x22"
            "Exif\0\0"
            "II*\0\x08\0\0\0"  // APP1, little-endian TIFF
            "\x01\0"
            "\x12\x01\x03\0\x01\0\0\0\x06\0\0\0"  // one entry: orientation 6
            "\0\0\0\0";
        bytes.insert(2, exif, sizeof exif - 1);
    }
    const QString path = dir.filePath(name);
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    return path;
}

bool Near(QColor a, QColor b) {
    return std::abs(a.red() - b.red()) < 24 && std::abs(a.green() - b.green()) < 24 &&
           std::abs(a.blue() - b.blue()) < 24;
}

}  // namespace

TEST(Pictures, APhotoTurnedByItsOrientationTagComesUpright) {
    QTemporaryDir dir;
    // Orientation 6: the camera was turned a quarter clockwise; the picture reads 40 x 20 and
    // shows 20 x 40 with its left half on top.
    const QString turned = WriteHalves(dir, "phone.jpg", {40, 20}, true);
    const QImage upright = platform::Picture::Load(turned).image();
    ASSERT_EQ(upright.size(), QSize(20, 40));
    EXPECT_TRUE(Near(upright.pixelColor(10, 5), QColor(220, 0, 0)))
        << upright.pixelColor(10, 5).name().toStdString();
    EXPECT_TRUE(Near(upright.pixelColor(10, 34), QColor(0, 0, 220)));

    // Over the limit, the size reported is the upright one.
    const QString large = WriteHalves(dir, "large.jpg", {1200, 400}, true);
    const int before = QImageReader::allocationLimit();
    QImageReader::setAllocationLimit(1);
    try {
        platform::Picture::Load(large);
        ADD_FAILURE() << "a picture over the limit was read";
    } catch (const platform::PictureError& e) {
        EXPECT_EQ(std::string(e.what()),
                  large.toStdString() +
                      ": picture too large: 400 x 1200 needs 2 MiB, the limit is 1 MiB");
    }
    QImageReader::setAllocationLimit(before);
}

TEST(Pictures, WebPAndTiffOpen) {
    QTemporaryDir dir;
    for (const char* name : {"leaf.webp", "scan.tiff", "scan.tif"}) {
        SCOPED_TRACE(name);
        const QImage image = platform::Picture::Load(WriteHalves(dir, name, {64, 32})).image();
        ASSERT_EQ(image.size(), QSize(64, 32));
        EXPECT_TRUE(Near(image.pixelColor(8, 16), QColor(220, 0, 0)));
        EXPECT_TRUE(Near(image.pixelColor(56, 16), QColor(0, 0, 220)));
    }
}
