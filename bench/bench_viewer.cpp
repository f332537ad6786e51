// The picture viewer against its anchor, in one run, offscreen.
//
// Cases:
// - zoom: z_ZoomIn on a 4000 x 3000 picture, from 100 % to 125 % (a redraw at 5000 x 3750: the
//   wait cursor, the stretching copy into the hidden PicScroll, the layout); the anchor is
//   QImage::scaled(5000, 3750, Qt::FastTransformation) of the same picture, which allocates its
//   result. Between two timed zooms the control goes back to 100 % untimed, as a person zooming
//   in and out would make it; one such pair runs before the timing, so the measured zooms find
//   the image memory they had before.
// - drag: one drag step (a mouse move with the left button held, the cursor read from the
//   desktop, PicScroll moved, and the control repainted) on a 1000 x 800 and on a 4000 x 3000
//   picture in an 800 x 600 viewport. Panning moves the picture box and redraws nothing of the
//   picture beyond what shows, so the two should cost the same.
// - memory: in a child process (this program with --memory-child), the growth of VmHWM from
//   /proc/self/status while a 5700 x 5600 picture is made, shown in an 800 x 600 viewer, zoomed
//   to 200 % and painted, against the decoded picture's own size (5700 x 5600 x 4 bytes).
//   Goal: at most the decoded picture plus 64 MiB.
// Sides alternate in five rounds; prints the ratios of the medians at the end.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QMouseEvent>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <random>
#include <string>

#include "Rounds.h"
#include "child_process.h"
#include "controls/ScrollPicture/ScrollPicture.h"
#include "platform/window/Desktop.h"

namespace {

using bench::gMeans;
using bench::Median;
using bench::Record;

// Random opaque colours, as a photograph's pixels are to a copy.
QImage Noise(int w, int h, unsigned seed) {
    QImage image(w, h, QImage::Format_ARGB32);
    std::mt19937 random(seed);
    for (int y = 0; y < h; ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(image.scanLine(y));
        for (int x = 0; x < w; ++x) row[x] = 0xFF000000u | (random() & 0xFFFFFFu);
    }
    return image;
}

const QImage& Large() {
    static const QImage image = Noise(4000, 3000, 7);
    return image;
}

const QImage& Small() {
    static const QImage image = Noise(1000, 800, 8);
    return image;
}

platform::Picture PictureOf(const QImage& image) {
    return platform::Picture(image, platform::Picture::Kind::Bitmap, QStringLiteral("noise"));
}

// A shown window holding one viewer with a picture.
struct Stage {
    QWidget window;
    ScrollPicture* viewer = new ScrollPicture(&window);
    explicit Stage(const QImage& picture) {
        window.resize(800, 600);
        viewer->setGeometry(0, 0, 800, 600);
        viewer->SetPicture(PictureOf(picture));
        window.show();
        QApplication::processEvents();
    }
};

// ---- zoom ----

void BM_Zoom_Anchor(benchmark::State& state) {
    // The anchor scales the picture as a plain Qt program would hold it: opaque, 32 bits.
    static const QImage source = Large().convertToFormat(QImage::Format_RGB32);
    QElapsedTimer t;
    double total = 0;
    for (auto _ : state) {
        t.start();
        QImage out = source.scaled(5000, 3750, Qt::IgnoreAspectRatio, Qt::FastTransformation);
        benchmark::DoNotOptimize(out.constBits());
        total += double(t.nsecsElapsed());
    }
    Record(state, "zoom/anchor", total);
}

void BM_Zoom_Ours(benchmark::State& state) {
    Stage stage(Large());
    ScrollPicture& viewer = *stage.viewer;
    viewer.z_ZoomIn();
    viewer.z_ZoomOut();
    QElapsedTimer t;
    double total = 0;
    for (auto _ : state) {
        t.start();
        viewer.z_ZoomIn();
        total += double(t.nsecsElapsed());
        state.PauseTiming();
        if (viewer.ZoomPercent().toInt() != 125 || viewer.picScroll()->width() != 5000)
            state.SkipWithError("the zoom did not reach 125 %");
        viewer.z_ZoomOut();
        state.ResumeTiming();
    }
    Record(state, "zoom/ours", total);
}

// ---- drag ----

void DragStep(benchmark::State& state, const QImage& picture, const char* name) {
    platform::window::DesktopDouble desktop;
    Stage stage(picture);
    ScrollPicture& viewer = *stage.viewer;
    QWidget* box = viewer.picScroll();
    const QPoint at(400, 300);
    desktop.SetCursorPos(at);
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(at), QPointF(box->mapToGlobal(at)),
                      Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(box, &press);
    const auto moveTo = [&](QPoint cursor) {
        desktop.SetCursorPos(cursor);
        QMouseEvent move(QEvent::MouseMove, QPointF(at), QPointF(box->mapToGlobal(at)),
                         Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(box, &move);
    };
    const auto centred = viewer.ScrollX();
    moveTo(at + QPoint(3, 3));
    if (viewer.ScrollX() != centred - 3) state.SkipWithError("the picture did not follow");
    moveTo(at);
    QElapsedTimer t;
    double total = 0;
    int step = 0;
    for (auto _ : state) {
        // Back and forth by three pixels on both axes: never at an edge.
        const QPoint cursor = at + (++step % 2 ? QPoint(3, 3) : QPoint(0, 0));
        t.start();
        moveTo(cursor);
        viewer.repaint();
        total += double(t.nsecsElapsed());
    }
    Record(state, name, total);
}

void BM_Drag_Small(benchmark::State& state) {
    DragStep(state, Small(), "drag/1000x800");
}

void BM_Drag_Large(benchmark::State& state) {
    DragStep(state, Large(), "drag/4000x3000");
}

// ---- memory ----

constexpr int kMemoryWidth = 5700, kMemoryHeight = 5600;

// A field of /proc/self/status in KiB (0 when missing).
long StatusKiB(const char* field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    const std::size_t n = std::strlen(field);
    while (std::getline(status, line))
        if (line.compare(0, n, field) == 0 && line.size() > n && line[n] == ':')
            return std::stol(line.substr(n + 1));
    return 0;
}

// The child's side: prints "hwm-growth-kib decoded-bytes".
int MemoryChild() {
    QApplication::processEvents();
    const long before = StatusKiB("VmHWM");
    {
        // A photograph-like picture made in place: the decoded picture itself, no other copy.
        QImage image(kMemoryWidth, kMemoryHeight, QImage::Format_ARGB32);
        for (int y = 0; y < image.height(); ++y) {
            auto* row = reinterpret_cast<std::uint32_t*>(image.scanLine(y));
            for (int x = 0; x < image.width(); ++x)
                row[x] = 0xFF000000u | std::uint32_t(x * 7 + y * 13) * 2654435761u >> 8;
        }
        const qsizetype decoded = image.sizeInBytes();
        Stage stage(image);
        image = QImage();
        ScrollPicture& viewer = *stage.viewer;
        while (viewer.ZoomPercent().toInt() < 200) {
            viewer.z_ZoomIn();
            viewer.repaint();
            QApplication::processEvents();
        }
        const long after = StatusKiB("VmHWM");
        std::printf("%ld %lld\n", after - before, static_cast<long long>(decoded));
    }
    return 0;
}

void ReportMemory(const char* self) {
    bench::Child child;
    std::string error;
    if (!child.Start(self, {"--memory-child"}, bench::ChildEnvironment(), &error)) {
        std::printf("memory: could not start the child: %s\n", error.c_str());
        return;
    }
    const int status = child.Wait();
    long growthKiB = 0;
    long long decoded = 0;
    const std::string out = child.Output();
    // The child's numbers are its last line; Qt may have written warnings before them.
    const std::size_t end = out.find_last_not_of('\n');
    const std::size_t start = end == std::string::npos ? 0 : out.rfind('\n', end);
    const std::string last = out.substr(start == std::string::npos ? 0 : start + 1);
    if (status != 0 || std::sscanf(last.c_str(), "%ld %lld", &growthKiB, &decoded) != 2 ||
        decoded <= 0) {
        std::printf("memory: the child failed (%s): %s\n", bench::DescribeStatus(status).c_str(),
                    out.c_str());
        return;
    }
    const double growth = double(growthKiB) * 1024.0;
    const double excessMiB = (growth - double(decoded)) / (1024.0 * 1024.0);
    std::printf(
        "peak memory, %dx%d zoomed to 200 %% in an 800x600 viewer: VmHWM grew %.1f MiB, the "
        "decoded picture is %.1f MiB: ratio %.2f, excess %.1f MiB (goal: excess <= 64 MiB) %s\n",
        kMemoryWidth, kMemoryHeight, growth / (1024.0 * 1024.0),
        double(decoded) / (1024.0 * 1024.0), growth / double(decoded), excessMiB,
        excessMiB <= 64.0 ? "met" : "MISSED");
}

void Register() {
    for (int round = 0; round < 5; ++round) {
        benchmark::RegisterBenchmark("zoom/anchor", BM_Zoom_Anchor)->Iterations(8);
        benchmark::RegisterBenchmark("zoom/ours", BM_Zoom_Ours)->Iterations(8);
    }
    for (int round = 0; round < 5; ++round) {
        benchmark::RegisterBenchmark("drag/1000x800", BM_Drag_Small)->Iterations(300);
        benchmark::RegisterBenchmark("drag/4000x3000", BM_Drag_Large)->Iterations(300);
    }
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc > 1 && std::strcmp(argv[1], "--memory-child") == 0) return MemoryChild();
    Register();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();

    if (gMeans.count("zoom/ours") && gMeans.count("zoom/anchor")) {
        const double o = Median(gMeans["zoom/ours"]), a = Median(gMeans["zoom/anchor"]);
        const double ratio = a > 0 ? o / a : 0.0;
        std::printf(
            "z_ZoomIn 4000x3000 to 125 %% (vs QImage::scaled fast to 5000x3750): ours %.2f ms, "
            "anchor %.2f ms (medians of %zu), time ratio %.2f (goal <= 1.2) %s\n",
            o / 1e6, a / 1e6, gMeans["zoom/ours"].size(), ratio, ratio <= 1.2 ? "met" : "MISSED");
    }
    if (gMeans.count("drag/1000x800") && gMeans.count("drag/4000x3000")) {
        const double s = Median(gMeans["drag/1000x800"]), l = Median(gMeans["drag/4000x3000"]);
        const double ratio = s > 0 ? l / s : 0.0;
        std::printf(
            "drag step with repaint, 800x600 viewport: 1000x800 %.3f ms, 4000x3000 %.3f ms "
            "(medians of %zu), time ratio large/small %.2f (goal: the same, within 1.2x) %s\n",
            s / 1e6, l / 1e6, gMeans["drag/1000x800"].size(), ratio,
            ratio <= 1.2 && ratio >= 1 / 1.2 ? "met" : "MISSED");
    }
    ReportMemory(argv[0]);
    return 0;
}
