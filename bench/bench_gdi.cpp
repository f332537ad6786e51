// The raster layer's blits against Qt's own operations and a plain loop, in one run, offscreen.
//
// Cases (each "ours" against its anchor):
// - copy: BitBlt SRCCOPY of 1920 x 1080 between two colour bitmaps; anchor QPainter::drawImage of
//   one 1920 x 1080 image onto another (the painter opened once, outside the timing).
// - rop: BitBlt 0xB8074A of 1920 x 1080 with a brush selected; the anchor is the bound, a plain
//   scanline loop computing (D & S) | (P & ~S) over buffers of the same size, built with the same
//   compiler options as this file.
// - stretch up / stretch down: StretchBlt 4000 x 3000 to 8000 x 6000 and to 2000 x 1500 into
//   existing bitmaps; anchor QImage::scaled(..., Qt::FastTransformation), which also allocates
//   its result.
// - mask: a monochrome mask from a key colour on 1024 x 1024 (colour to mono BitBlt with the
//   source background colour as key); anchor a QImage::pixel / setPixel loop doing the same.
// Anchor and ours alternate in five rounds; prints the throughput ratios of the medians at the
// end (anchor time / our time: above 1 we are faster).

#include <benchmark/benchmark.h>

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cstdio>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "Rounds.h"
#include "platform/gdi/Gdi.h"

namespace {

using namespace platform::gdi;

constexpr std::uint32_t kKey = 0xFF8000;      // stored pixel of the mask's key colour
constexpr COLORREF kKeyColour = 0x0080FF;     // the same as a COLORREF
constexpr std::uint32_t kPattern = 0x3366CC;  // stored pixel of the brush 0xCC6633

using bench::gMeans;
using bench::Median;
using bench::Record;

// Random colours; with `keyShare` > 0 that share of the pixels is the key colour.
QImage Noise(int w, int h, unsigned seed, double keyShare = 0) {
    QImage image(w, h, QImage::Format_RGB32);
    std::mt19937 random(seed);
    std::bernoulli_distribution key(keyShare);
    for (int y = 0; y < h; ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(image.scanLine(y));
        for (int x = 0; x < w; ++x)
            row[x] = 0xFF000000u | (keyShare > 0 && key(random) ? kKey : random() & 0xFFFFFFu);
    }
    return image;
}

// A memory DC with its own bitmap selected.
struct Canvas {
    HDC dc = CreateCompatibleDC(GetScreenDC());
    HBITMAP bitmap, old;
    explicit Canvas(HBITMAP b) : bitmap(b), old(SelectObject(dc, b)) {}
    ~Canvas() {
        SelectObject(dc, old);
        DeleteObject(bitmap);
        DeleteDC(dc);
    }
};

template <class Work>
void Timed(benchmark::State& state, const std::string& name, Work&& work) {
    QElapsedTimer t;
    double total = 0;
    for (auto _ : state) {
        t.start();
        work();
        total += double(t.nsecsElapsed());
    }
    Record(state, name, total);
}

// ---- copy ----

void BM_Copy_Anchor(benchmark::State& state) {
    const QImage src = Noise(1920, 1080, 1);
    QImage dst = Noise(1920, 1080, 2);
    QPainter painter(&dst);
    Timed(state, "copy/anchor", [&] { painter.drawImage(0, 0, src); });
}

void BM_Copy_Ours(benchmark::State& state) {
    Canvas src(CreateBitmapFromImage(Noise(1920, 1080, 1)));
    Canvas dst(CreateBitmapFromImage(Noise(1920, 1080, 2)));
    Timed(state, "copy/ours", [&] { BitBlt(dst.dc, 0, 0, 1920, 1080, src.dc, 0, 0, SRCCOPY); });
}

// ---- rop ----

__attribute__((noinline)) void BoundRow(std::uint32_t* d, const std::uint32_t* s, std::uint32_t p,
                                        int n) {
    for (int i = 0; i < n; ++i) d[i] = (d[i] & s[i]) | (p & ~s[i]);
}

void BM_Rop_Bound(benchmark::State& state) {
    const QImage src = Noise(1920, 1080, 3);
    QImage dst = Noise(1920, 1080, 4);
    const std::uint32_t p = 0xFF000000u | kPattern;
    Timed(state, "rop/anchor", [&] {
        for (int y = 0; y < dst.height(); ++y)
            BoundRow(reinterpret_cast<std::uint32_t*>(dst.scanLine(y)),
                     reinterpret_cast<const std::uint32_t*>(src.constScanLine(y)), p, dst.width());
    });
    benchmark::DoNotOptimize(dst.constBits());
}

void BM_Rop_Ours(benchmark::State& state) {
    Canvas src(CreateBitmapFromImage(Noise(1920, 1080, 3)));
    Canvas dst(CreateBitmapFromImage(Noise(1920, 1080, 4)));
    HBRUSH brush = CreateSolidBrush(0xCC6633);
    const HBRUSH before = SelectObject(dst.dc, brush);
    Timed(state, "rop/ours", [&] { BitBlt(dst.dc, 0, 0, 1920, 1080, src.dc, 0, 0, DSPDXAX); });
    SelectObject(dst.dc, before);
    DeleteObject(brush);
}

// ---- stretch ----

const QImage& StretchSource() {
    static const QImage image = Noise(4000, 3000, 5);
    return image;
}

template <int W, int H>
void BM_Stretch_Anchor(benchmark::State& state, const char* name) {
    const QImage& src = StretchSource();
    Timed(state, name, [&] {
        QImage out = src.scaled(W, H, Qt::IgnoreAspectRatio, Qt::FastTransformation);
        benchmark::DoNotOptimize(out.constBits());
    });
}

template <int W, int H>
void BM_Stretch_Ours(benchmark::State& state, const char* name) {
    Canvas src(CreateBitmapFromImage(StretchSource()));
    Canvas dst(CreateBitmap(W, H, 32));
    Timed(state, name, [&] { StretchBlt(dst.dc, 0, 0, W, H, src.dc, 0, 0, 4000, 3000, SRCCOPY); });
}

// ---- mask ----

const QImage& MaskSource() {
    static const QImage image = Noise(1024, 1024, 6, 0.3);
    return image;
}

void BM_Mask_Anchor(benchmark::State& state) {
    const QImage& src = MaskSource();
    QImage mask(1024, 1024, QImage::Format_RGB32);
    Timed(state, "mask/anchor", [&] {
        for (int y = 0; y < src.height(); ++y)
            for (int x = 0; x < src.width(); ++x)
                mask.setPixel(x, y,
                              (src.pixel(x, y) & 0xFFFFFFu) == kKey ? 0xFFFFFFFFu : 0xFF000000u);
    });
    benchmark::DoNotOptimize(mask.constBits());
}

void BM_Mask_Ours(benchmark::State& state) {
    Canvas src(CreateBitmapFromImage(MaskSource()));
    Canvas mask(CreateBitmap(1024, 1024, 1));
    SetBkColor(src.dc, kKeyColour);
    Timed(state, "mask/ours", [&] { BitBlt(mask.dc, 0, 0, 1024, 1024, src.dc, 0, 0, SRCCOPY); });
}

// Anchor and ours take turns, five times each, so that drift in the machine's speed hits both.
void Register() {
    for (int round = 0; round < 5; ++round) {
        benchmark::RegisterBenchmark("copy/anchor", BM_Copy_Anchor)->Iterations(300);
        benchmark::RegisterBenchmark("copy/ours", BM_Copy_Ours)->Iterations(300);
    }
    for (int round = 0; round < 5; ++round) {
        benchmark::RegisterBenchmark("rop/anchor", BM_Rop_Bound)->Iterations(300);
        benchmark::RegisterBenchmark("rop/ours", BM_Rop_Ours)->Iterations(300);
    }
    for (int round = 0; round < 5; ++round) {
        benchmark::RegisterBenchmark("stretch up/anchor", BM_Stretch_Anchor<8000, 6000>,
                                     "stretch up/anchor")
            ->Iterations(4);
        benchmark::RegisterBenchmark("stretch up/ours", BM_Stretch_Ours<8000, 6000>,
                                     "stretch up/ours")
            ->Iterations(4);
    }
    for (int round = 0; round < 5; ++round) {
        benchmark::RegisterBenchmark("stretch down/anchor", BM_Stretch_Anchor<2000, 1500>,
                                     "stretch down/anchor")
            ->Iterations(30);
        benchmark::RegisterBenchmark("stretch down/ours", BM_Stretch_Ours<2000, 1500>,
                                     "stretch down/ours")
            ->Iterations(30);
    }
    for (int round = 0; round < 5; ++round) {
        benchmark::RegisterBenchmark("mask/anchor", BM_Mask_Anchor)->Iterations(10);
        benchmark::RegisterBenchmark("mask/ours", BM_Mask_Ours)->Iterations(300);
    }
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    Register();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    const struct {
        const char* name;
        const char* title;
        double goal;
    } cases[] = {
        {"copy", "block copy 1920x1080 (SRCCOPY vs QPainter::drawImage)", 1.0},
        {"rop", "raster operation 0xB8074A 1920x1080 (vs plain loop bound)", 0.8},
        {"stretch up", "stretch 4000x3000 -> 8000x6000 (vs QImage::scaled fast)", 1.0},
        {"stretch down", "stretch 4000x3000 -> 2000x1500 (vs QImage::scaled fast)", 1.0},
        {"mask", "key-colour mask 1024x1024 (vs pixel/setPixel loop)", 20.0},
    };
    for (const auto& c : cases) {
        const std::string ours = std::string(c.name) + "/ours";
        const std::string anchor = std::string(c.name) + "/anchor";
        if (!gMeans.count(ours) || !gMeans.count(anchor)) continue;
        const double o = Median(gMeans[ours]), a = Median(gMeans[anchor]);
        const double ratio = o > 0 ? a / o : 0.0;
        std::printf(
            "%s: ours %.3f ms, anchor %.3f ms (medians of %zu), throughput ratio %.2f "
            "(goal >= %.1f) %s\n",
            c.title, o / 1e6, a / 1e6, gMeans[ours].size(), ratio, c.goal,
            ratio >= c.goal ? "met" : "MISSED");
    }
    return 0;
}
