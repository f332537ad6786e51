// The picture processing of a picture-shaped button, against the plain recipe, in one run.
//
// Both take a 256 x 256 picture whose top-left colour (magenta) is its background: a disc with
// rings and holes cut into it, so that most rows hold several transparent runs. Both make a
// copy scaled to 256 x 256, set every pixel within 3 per channel of the key to the key, and
// carve the transparent runs out of the window region, the runs grown by one out of the face
// region and the runs grown by two out of the inner region.
// Ours: gxButtons_H::PreparePicture on a 256 x 256 button.
// The anchor, the plain recipe: QImage::pixel and setPixel for every pixel, and one QRegion
// subtraction for every run and region.
// Anchor and ours alternate in five rounds; prints the ratio of the medians at the end.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QRegion>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "Rounds.h"
#include "controls/gxButtons_H/gxButtons_H.h"
#include "platform/Picture.h"
#include "platform/forms/PropertyBag.h"
#include "platform/gdi/Gdi.h"

namespace {

constexpr int kSize = 256;
constexpr int kRounds = 5;
constexpr int kIterations = 20;
constexpr QRgb kKey = 0xFFFF00FF;

using bench::gMeans;
using bench::Median;
using bench::Record;

// A disc of radius 120 with three transparent rings and a grid of small holes; near-key pixels
// along the rings' edges.
QImage TestPicture() {
    QImage img(kSize, kSize, QImage::Format_RGB32);
    for (int y = 0; y < kSize; ++y)
        for (int x = 0; x < kSize; ++x) {
            const double r = std::hypot(x - 128.0, y - 128.0);
            const bool ring = (r > 40 && r < 46) || (r > 70 && r < 75) || (r > 100 && r < 104);
            const bool hole = (x % 16 < 3) && (y % 16 < 3) && r < 38;
            QRgb p = qRgb(40 + x / 2, 90, 200 - y / 2);
            if (r >= 120 || ring || hole) p = kKey;
            if (std::abs(r - 46) < 0.5) p = qRgb(253, 2, 254);
            img.setPixel(x, y, p);
        }
    return img;
}

void BM_Ours(benchmark::State& state) {
    QWidget container;
    gxButtons_H button(&container);
    button.resize(kSize, kSize);
    button.SetPicture(platform::Picture(TestPicture(), platform::Picture::Kind::Bitmap));
    QElapsedTimer timer;
    double total = 0;
    for (auto _ : state) {
        platform::gdi::HRGN region = platform::gdi::CreateRectRgn(0, 0, kSize, kSize);
        timer.start();
        button.PreparePicture(kSize, kSize, &region);
        total += double(timer.nsecsElapsed());
        benchmark::DoNotOptimize(region);
        platform::gdi::DeleteObject(region);
    }
    Record(state, "ours", total);
}

void BM_Anchor(benchmark::State& state) {
    const QImage picture = TestPicture();
    QElapsedTimer timer;
    double total = 0;
    for (auto _ : state) {
        timer.start();
        QImage img = picture.scaled(kSize, kSize, Qt::IgnoreAspectRatio, Qt::FastTransformation);
        QRegion window(0, 0, kSize, kSize), shape(window), inner(window);
        const QRgb key = img.pixel(0, 0);
        const auto near = [key](QRgb p) {
            return std::abs(qRed(p) - qRed(key)) <= 3 && std::abs(qGreen(p) - qGreen(key)) <= 3 &&
                   std::abs(qBlue(p) - qBlue(key)) <= 3;
        };
        for (int y = 0; y <= kSize; ++y) {
            int start = -1;
            for (int x = 0; x <= kSize; ++x) {
                const bool inside = x < kSize && y < kSize;
                const bool transparent =
                    x < kSize && (inside ? near(img.pixel(x, y)) : near(0xFFFFFFFF));
                if (transparent) {
                    if (inside) img.setPixel(x, y, key);
                    if (start < 0) start = x;
                } else if (start >= 0) {
                    const QRect run(start, y, x - start, 1);
                    window -= run;
                    shape -= run.adjusted(-1, -1, 1, 1);
                    inner -= run.adjusted(-2, -2, 2, 2);
                    start = -1;
                }
            }
        }
        total += double(timer.nsecsElapsed());
        benchmark::DoNotOptimize(window);
        benchmark::DoNotOptimize(inner);
    }
    Record(state, "anchor", total);
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    for (int round = 0; round < kRounds; ++round) {
        benchmark::RegisterBenchmark("prepare picture 256x256/anchor", BM_Anchor)
            ->Iterations(kIterations)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark("prepare picture 256x256/ours", BM_Ours)
            ->Iterations(kIterations)
            ->Unit(benchmark::kMillisecond);
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (!gMeans.count("ours") || !gMeans.count("anchor")) return 0;
    const double ours = Median(gMeans["ours"]), anchor = Median(gMeans["anchor"]);
    std::printf("\npicture-shaped button 256x256, scan and regions (medians of rounds)\n");
    std::printf("ours %.0f us, plain recipe %.0f us: %.1fx faster\n", ours / 1000, anchor / 1000,
                anchor / ours);
    std::printf("goal: at least 10x faster -> %s\n", anchor / ours >= 10 ? "met" : "MISSED");
    return 0;
}
