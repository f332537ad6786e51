// Reading the files that enter from outside: only regular files of a bounded size, refused at once
// otherwise, with the reason in words.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

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
