// The picture viewer window behind `quillmere --view FILE`: the command line, a file that cannot
// be read, the toolbar and keys, and the screenshot.

#include <gtest/gtest.h>

#include <QFile>
#include <QImage>
#include <QLabel>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>

#include "app/Application.h"
#include "app/Config.h"
#include "app/frmViewer.h"
#include "controls/ScrollPicture/ScrollPicture.h"

namespace {

app::ParseOutcome Parse(QStringList args, const QString& emptyIni) {
    args.prepend("quillmere");
    args << "--config" << emptyIni;
    return app::ParseArguments(args);
}

// A picture file: left half red, right half blue.
QString WritePicture(const QTemporaryDir& dir, const char* name, int w, int h) {
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(QColor(200, 0, 0));
    for (int y = 0; y < h; ++y)
        for (int x = w / 2; x < w; ++x) image.setPixelColor(x, y, QColor(0, 0, 200));
    const QString path = dir.filePath(name);
    EXPECT_TRUE(image.save(path));
    return path;
}

struct ViewerWindowTest : ::testing::Test {
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        QFile ini(dir.filePath("empty.ini"));
        ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
    }
    QTemporaryDir dir;
};

}  // namespace

TEST_F(ViewerWindowTest, CommandLine) {
    const QString ini = dir.filePath("empty.ini");
    auto out = Parse({"--view", "/pictures/map.png", "--screenshot", "/tmp/v.png"}, ini);
    ASSERT_FALSE(out.exitNow) << out.output.toStdString();
    EXPECT_EQ(out.config.view, "/pictures/map.png");
    EXPECT_EQ(out.config.screenshot, "/tmp/v.png");
    EXPECT_TRUE(Parse({}, ini).config.view.isEmpty());
    EXPECT_EQ(Parse({"--view"}, ini).exitCode, 2);
    auto empty = Parse({"--view="}, ini);
    EXPECT_EQ(empty.exitCode, 2);
    EXPECT_TRUE(empty.output.contains("--view")) << empty.output.toStdString();
}

TEST_F(ViewerWindowTest, AFileThatCannotBeReadFailsNamingIt) {
    QFile text(dir.filePath("notes.png"));
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write("not a picture");
    text.close();
    for (const QString& file : {dir.filePath("gone.png"), dir.filePath("notes.png")}) {
        SCOPED_TRACE(file.toStdString());
        app::Config config;
        config.view = file;
        config.screenshot = dir.filePath("out.png");
        app::Application application(config);
        QString error;
        EXPECT_FALSE(application.StartViewer(&error));
        EXPECT_TRUE(error.contains(file)) << error.toStdString();
        EXPECT_EQ(application.viewer(), nullptr);
        EXPECT_EQ(application.Run(), 1);  // with --screenshot: stderr and a failing exit
        EXPECT_FALSE(QFile::exists(config.screenshot));
    }
}

TEST_F(ViewerWindowTest, ALargePictureOpensFittedAndTheKeysZoom) {
    frmViewer window;
    QString error;
    ASSERT_TRUE(window.Open(WritePicture(dir, "wide.png", 2000, 1000), &error))
        << error.toStdString();
    window.show();
    ScrollPicture* viewer = window.viewer();
    const QSize viewport = viewer->size();
    // The window fits on the screen, and the picture fills its width in its own proportions.
    EXPECT_TRUE(window.screen()->availableGeometry().contains(window.frameGeometry()));
    EXPECT_EQ(viewer->picScroll()->width(), viewport.width());
    EXPECT_NEAR(viewer->picScroll()->height(), viewport.width() / 2, 1);
    EXPECT_TRUE(window.ZoomText().startsWith("Fit ")) << window.ZoomText().toStdString();
    EXPECT_TRUE(window.windowTitle().startsWith("wide.png"));

    const struct {
        Qt::Key key;
        const char* text;
        QSize shown;
    } steps[] = {
        {Qt::Key_Backspace, "100 %", {2000, 1000}}, {Qt::Key_Plus, "125 %", {2500, 1250}},
        {Qt::Key_Minus, "100 %", {2000, 1000}},     {Qt::Key_Minus, "90 %", {1800, 900}},
        {Qt::Key_0, "100 %", {2000, 1000}},         {Qt::Key_S, "Stretched", viewport},
        {Qt::Key_Backspace, "100 %", {2000, 1000}},
    };
    for (const auto& s : steps) {
        QTest::keyClick(&window, s.key);
        EXPECT_EQ(window.ZoomText(), s.text);
        EXPECT_EQ(viewer->picScroll()->size(), s.shown) << s.text;
    }
    EXPECT_EQ(window.findChild<QLabel*>("zoomPercent")->text(), "100 %");

    // A fitted picture follows the window; a zoomed one keeps its size.
    QTest::keyClick(&window, Qt::Key_F);
    window.resize(window.width() / 2, window.height());
    EXPECT_EQ(viewer->picScroll()->width(), viewer->width());
    EXPECT_LT(viewer->width(), viewport.width());
    QTest::keyClick(&window, Qt::Key_0);
    window.resize(window.width() + 50, window.height());
    EXPECT_EQ(viewer->picScroll()->size(), QSize(2000, 1000));

    // The toolbar says when a zoom is at the end of the ladder.
    for (int i = 0; i < 4; ++i) window.action(frmViewer::ZoomIn)->trigger();
    EXPECT_EQ(window.ZoomText(), "200 %");
    EXPECT_FALSE(window.action(frmViewer::ZoomIn)->isEnabled());
    EXPECT_TRUE(window.action(frmViewer::ZoomOut)->isEnabled());
}

TEST_F(ViewerWindowTest, ScreenshotShowsThePicture) {
    app::Config config;
    config.view = WritePicture(dir, "small.png", 300, 200);
    config.screenshot = dir.filePath("shot.png");
    app::Application application(config);
    ASSERT_EQ(application.Run(), 0);
    const QImage shot(config.screenshot);
    ASSERT_FALSE(shot.isNull());
    const QWidget* viewer = application.viewer()->viewer();
    EXPECT_EQ(shot.size(), application.viewer()->size());
    // The small picture sits centred in the control, at its own size.
    const QPoint centre = viewer->mapTo(application.viewer(), viewer->rect().center());
    EXPECT_EQ(shot.pixelColor(centre - QPoint(20, 0)), QColor(200, 0, 0));
    EXPECT_EQ(shot.pixelColor(centre + QPoint(20, 0)), QColor(0, 0, 200));
}
