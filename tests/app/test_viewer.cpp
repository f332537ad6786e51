// The picture viewer window behind `quillmere --view FILE`: the command line, a file that cannot
// be read, the toolbar and keys, and the screenshot.

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QFileDialog>
#include <QImage>
#include <QImageReader>
#include <QImageWriter>
#include <QLabel>
#include <QMimeData>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>
#include <QWheelEvent>

#include "app/Application.h"
#include "app/Config.h"
#include "app/frmViewer.h"
#include "controls/ScrollPicture/ScrollPicture.h"
#include "platform/browser/BrowserPane.h"
#include "platform/window/Window.h"

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

// An animated GIF of one frame per colour (at most four), each shown for 50 ms, looping for
// ever. The image writer makes no GIFs: the codes are written uncompressed, the table cleared
// every two pixels so that the code width stays 3 bits.
QByteArray AnimatedGif(const QList<QColor>& colours, int w, int h) {
    QByteArray gif("GIF89a");
    const auto u16 = [&](int v) {
        gif.append(char(v & 0xff));
        gif.append(char(v >> 8));
    };
    u16(w);
    u16(h);
    gif.append(char(0x81)).append('\0').append('\0');  // a global table of 4 colours
    for (int i = 0; i < 4; ++i) {
        const QColor c = i < colours.size() ? colours[i] : QColor(Qt::black);
        gif.append(char(c.red())).append(char(c.green())).append(char(c.blue()));
    }
    gif.append("\x21\xFF\x0BNETSCAPE2.0\x03\x01\x00\x00\x00", 19);
    for (int frame = 0; frame < colours.size(); ++frame) {
        gif.append("\x21\xF9\x04\x00", 4);
        u16(5);
        gif.append('\0').append('\0');
        gif.append(',');
        u16(0);
        u16(0);
        u16(w);
        u16(h);
        gif.append('\0');
        gif.append(char(2));  // the smallest code width
        QByteArray data;
        quint32 bits = 0;
        int count = 0;
        const auto code = [&](int c) {
            bits |= quint32(c) << count;
            for (count += 3; count >= 8; count -= 8, bits >>= 8) data.append(char(bits & 0xff));
        };
        for (int i = 0; i < w * h; ++i) {
            if (i % 2 == 0) code(4);  // clear
            code(frame);
        }
        code(5);  // end
        if (count > 0) data.append(char(bits & 0xff));
        for (qsizetype at = 0; at < data.size(); at += 255) {
            const QByteArray block = data.mid(at, 255);
            gif.append(char(block.size())).append(block);
        }
        gif.append('\0');
    }
    gif.append(';');
    return gif;
}

// The picture point under `at` (control coordinates), in picture pixels.
QPointF PicturePointAt(const ScrollPicture* viewer, QPoint at) {
    const QWidget* box = viewer->picScroll();
    const double scale = box->width() / double(viewer->PictureSize().width());
    return QPointF(box->mapFrom(viewer, at)) / scale;
}

// A wheel turned over `at` in the viewer; the window is where it arrives once the viewer has
// passed it on.
void Wheel(ScrollPicture* viewer, QPoint at, QPoint angle, Qt::KeyboardModifiers modifiers) {
    QWidget* window = viewer->window();
    const QPoint inWindow = viewer->mapTo(window, at);
    QWheelEvent e(inWindow, window->mapToGlobal(inWindow), QPoint(), angle, Qt::NoButton, modifiers,
                  Qt::NoScrollPhase, false);
    QApplication::sendEvent(window, &e);
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

TEST_F(ViewerWindowTest, PicturesOpenUpToTheConfiguredMemoryLimit) {
    const int before = QImageReader::allocationLimit();
    // 8000 x 6000 takes 183 MiB decoded: well within the default limit.
    {
        app::Config config;
        config.view = WritePicture(dir, "panorama.png", 8000, 6000);
        app::Application application(config);
        QString error;
        ASSERT_TRUE(application.StartViewer(&error)) << error.toStdString();
        EXPECT_EQ(application.viewer()->viewer()->PictureSize(), QSize(8000, 6000));
        EXPECT_TRUE(
            application.viewer()->windowTitle().startsWith("panorama.png - 8000 x 6000 - Fit "))
            << application.viewer()->windowTitle().toStdString();
    }
    // Under a small limit a picture is refused, naming its size; within it, it opens.
    app::Config config;
    config.view = WritePicture(dir, "scan.jpg", 3000, 2000);
    config.maxPictureMegabytes = 16;
    {
        app::Application application(config);
        QString error;
        EXPECT_FALSE(application.StartViewer(&error));
        EXPECT_TRUE(error.endsWith(
            "scan.jpg: picture too large: 3000 x 2000 needs 23 MiB, the limit is 16 MiB"))
            << error.toStdString();
    }
    config.maxPictureMegabytes = 32;
    {
        app::Application application(config);
        QString error;
        ASSERT_TRUE(application.StartViewer(&error)) << error.toStdString();
        EXPECT_EQ(application.viewer()->viewer()->PictureSize(), QSize(3000, 2000));
    }
    QImageReader::setAllocationLimit(before);
}

TEST_F(ViewerWindowTest, TheWheelZoomsAboutTheCursorAndPansWithTheKeys) {
    frmViewer window;
    QString error;
    ASSERT_TRUE(window.Open(WritePicture(dir, "map.png", 1600, 1200), &error));
    window.show();
    ScrollPicture* viewer = window.viewer();
    QTest::keyClick(&window, Qt::Key_0);
    ASSERT_EQ(window.ZoomText(), "100 %");

    // Ctrl+wheel: one ladder step per notch, the point under the cursor staying there.
    const QPoint cursor(viewer->width() / 3, viewer->height() / 4);
    const QPointF under = PicturePointAt(viewer, cursor);
    Wheel(viewer, cursor, {0, 120}, Qt::ControlModifier);
    EXPECT_EQ(window.ZoomText(), "125 %");
    EXPECT_NEAR(PicturePointAt(viewer, cursor).x(), under.x(), 1.0);
    EXPECT_NEAR(PicturePointAt(viewer, cursor).y(), under.y(), 1.0);
    // A fine wheel's half notches add up to one step.
    Wheel(viewer, cursor, {0, -60}, Qt::ControlModifier);
    EXPECT_EQ(window.ZoomText(), "125 %");
    Wheel(viewer, cursor, {0, -60}, Qt::ControlModifier);
    EXPECT_EQ(window.ZoomText(), "100 %");
    EXPECT_NEAR(PicturePointAt(viewer, cursor).x(), under.x(), 1.0);
    EXPECT_TRUE(window.windowTitle().startsWith("map.png - 1600 x 1200 - 100 % - "));

    // Home and End go to the corners; the arrows pan a tenth of the viewport, the pages a
    // viewport; the wheel pans down, and sideways with Shift.
    QTest::keyClick(&window, Qt::Key_End);
    EXPECT_EQ(viewer->ScrollX(), viewer->ScrollMaxX());
    EXPECT_EQ(viewer->ScrollY(), viewer->ScrollMaxY());
    QTest::keyClick(&window, Qt::Key_Home);
    EXPECT_EQ(viewer->ScrollX(), 0);
    EXPECT_EQ(viewer->ScrollY(), 0);
    QTest::keyClick(&window, Qt::Key_Right);
    QTest::keyClick(&window, Qt::Key_Down);
    EXPECT_EQ(viewer->ScrollX(), viewer->width() / 10);
    EXPECT_EQ(viewer->ScrollY(), viewer->height() / 10);
    QTest::keyClick(&window, Qt::Key_Left);
    QTest::keyClick(&window, Qt::Key_PageDown);
    EXPECT_EQ(viewer->ScrollX(), 0);
    EXPECT_EQ(viewer->ScrollY(), viewer->height() / 10 + viewer->height());
    QTest::keyClick(&window, Qt::Key_Home);
    Wheel(viewer, cursor, {0, -120}, Qt::NoModifier);
    EXPECT_EQ(viewer->ScrollY(), viewer->height() / 10);
    Wheel(viewer, cursor, {0, -120}, Qt::ShiftModifier);
    EXPECT_EQ(viewer->ScrollX(), viewer->width() / 10);
    EXPECT_EQ(viewer->ScrollY(), viewer->height() / 10);
}

TEST_F(ViewerWindowTest, OtherPicturesComeFromTheFolderADropOrMemory) {
    // Three pictures in name order (capitals or not, numbers by value), a damaged one that is
    // passed over, and a file that is no picture.
    const QString first = WritePicture(dir, "Photo 2.png", 40, 30);
    const QString second = WritePicture(dir, "photo 10.jpg", 50, 30);
    const QString third = WritePicture(dir, "photo 30.bmp", 60, 30);
    for (const char* name : {"photo 20.png", "readme.txt"}) {
        QFile f(dir.filePath(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("not a picture");
    }
    frmViewer window;
    QString error;
    ASSERT_TRUE(window.Open(second, &error)) << error.toStdString();
    window.show();
    QTest::keyClick(&window, Qt::Key_Right, Qt::ControlModifier);
    EXPECT_EQ(window.File(), third);
    EXPECT_TRUE(window.windowTitle().startsWith("photo 30.bmp - 60 x 30 - 100 % - "))
        << window.windowTitle().toStdString();
    EXPECT_FALSE(window.action(frmViewer::NextPicture)->isEnabled());
    QTest::keyClick(&window, Qt::Key_Right, Qt::ControlModifier);
    EXPECT_EQ(window.File(), third);
    QTest::keyClick(&window, Qt::Key_Left, Qt::ControlModifier);
    EXPECT_EQ(window.File(), second);
    window.action(frmViewer::PreviousPicture)->trigger();
    EXPECT_EQ(window.File(), first);
    EXPECT_EQ(window.viewer()->PictureSize(), QSize(40, 30));
    EXPECT_FALSE(window.action(frmViewer::PreviousPicture)->isEnabled());
    EXPECT_TRUE(window.action(frmViewer::NextPicture)->isEnabled());

    // Ctrl+O asks for a file, starting in the shown one's folder.
    QTest::keyClick(&window, Qt::Key_O, Qt::ControlModifier);
    auto* dialog = window.findChild<QFileDialog*>();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->directory(), QDir(dir.path()));
    dialog->selectFile(second);
    QMetaObject::invokeMethod(dialog, "accept");
    EXPECT_EQ(window.File(), second);

    // A file dropped on the window opens.
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(third)});
    const QPoint over = window.viewer()->mapTo(&window, QPoint(20, 20));
    QDragEnterEvent enter(over, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&window, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(over, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&window, &drop);
    EXPECT_EQ(window.File(), third);
    EXPECT_EQ(window.viewer()->PictureSize(), QSize(60, 30));

    // A picture held in memory has a name but no file and no folder.
    QImage green(70, 20, QImage::Format_ARGB32);
    green.fill(Qt::green);
    ASSERT_TRUE(window.OpenPicture(platform::Picture(green, platform::Picture::Kind::Bitmap),
                                   "timetable.png"));
    EXPECT_TRUE(window.File().isEmpty());
    EXPECT_TRUE(window.windowTitle().startsWith("timetable.png - 70 x 20 - "));
    EXPECT_FALSE(window.action(frmViewer::NextPicture)->isEnabled());
    EXPECT_FALSE(window.action(frmViewer::PreviousPicture)->isEnabled());
}

TEST_F(ViewerWindowTest, AnAnimationPlaysAndPPausesIt) {
    const QList<QColor> colours = {QColor(255, 0, 0), QColor(0, 255, 0), QColor(0, 0, 255)};
    const QString file = dir.filePath("blink.gif");
    {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(AnimatedGif(colours, 16, 8));
    }
    frmViewer window;
    QString error;
    ASSERT_TRUE(window.Open(file, &error)) << error.toStdString();
    window.show();
    ASSERT_TRUE(window.Animated());
    const auto shown = [&] { return window.viewer()->picScroll()->Snapshot().pixelColor(8, 4); };
    // Every frame comes to the screen in turn.
    QList<QColor> seen;
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            if (!seen.contains(shown())) seen << shown();
            return seen.size() == colours.size();
        },
        10000));
    QTest::keyClick(&window, Qt::Key_P);
    EXPECT_TRUE(window.AnimationPaused());
    QTest::keyClick(&window, Qt::Key_P);
    EXPECT_FALSE(window.AnimationPaused());
    const int frame = window.FrameNumber();
    EXPECT_TRUE(QTest::qWaitFor([&] { return window.FrameNumber() != frame; }, 10000));

    // A still picture plays nothing.
    ASSERT_TRUE(window.Open(WritePicture(dir, "still.png", 20, 20), &error));
    EXPECT_FALSE(window.Animated());
}

// A picture from a page's context menu (the pane hands over its bytes) opens in a viewer window
// of its own over the page's window; bytes that make no picture are said over that window.
TEST(PagePictureTest, APagePictureOpensInAViewerOverThePagesWindow) {
    app::Config config;
    config.portal = QStringLiteral("http://portal.test");
    QWidget page;
    page.show();
    QStringList said;
    platform::window::SetMessageBoxHook([&](const QString& text, const QString&) { said << text; });
    {
        app::Application application(config);
        QString error;
        ASSERT_TRUE(application.Start(&error)) << error.toStdString();
        const platform::browser::PictureViewer& show = platform::browser::InstalledPictureViewer();
        ASSERT_TRUE(show);

        QImage image(64, 48, QImage::Format_RGB32);
        image.fill(Qt::red);
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        ASSERT_TRUE(image.save(&buffer, "PNG"));
        show(&page, png, QStringLiteral("photo.png"));
        frmViewer* viewer = nullptr;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* v = qobject_cast<frmViewer*>(w); v && v->isVisible()) viewer = v;
        ASSERT_NE(viewer, nullptr);
        EXPECT_EQ(platform::window::OwnerOf(viewer), &page);
        EXPECT_EQ(viewer->viewer()->PictureSize(), QSize(64, 48));
        EXPECT_TRUE(viewer->windowTitle().startsWith(QStringLiteral("photo.png - 64 x 48")))
            << viewer->windowTitle().toStdString();
        viewer->close();

        show(&page, QByteArray("not a picture"), QStringLiteral("notes.png"));
        ASSERT_EQ(said.size(), 1);
        EXPECT_TRUE(said[0].contains(QStringLiteral("cannot be shown"))) << said[0].toStdString();
        EXPECT_TRUE(said[0].contains(QStringLiteral("notes.png"))) << said[0].toStdString();
    }
    // The program gone, panes offer no viewer.
    EXPECT_FALSE(platform::browser::InstalledPictureViewer());
    platform::window::SetMessageBoxHook({});
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}
