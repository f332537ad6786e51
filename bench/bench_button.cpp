// The owner-drawn button's repaint against Qt drawing a push button, in one run, offscreen.
//
// Ours: a gxButtons_H of 121 x 41 pixels, child of a container (not shown) with the window
// background, read from a property bag: caption "Report Cards" in Arial 8.25 pt and a 32 x 32
// picture at picture size 32. One iteration is Refresh(): the whole face drawn into the back
// buffer (the copy to the screen is only scheduled, and the hidden widget never paints).
// The anchor: the Fusion style drawing CE_PushButton of the same size, text, font and icon
// into a 121 x 41 RGB32 image through a painter opened once; each iteration fills the image
// first, so that it paints the whole button.
// Every face style 0 to 7, normal and with the hover look, at a device pixel ratio of 1 and as on
// a screen of twice the density (both sides drawing 242 x 82 device pixels). Anchor and ours
// alternate in five rounds; prints the ratios of the medians (our time / anchor time) at the end.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QIcon>
#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QResizeEvent>
#include <QStyle>
#include <QStyleFactory>
#include <QStyleOptionButton>
#include <cstdio>
#include <memory>
#include <string>

#include "Rounds.h"
#include "controls/gxButtons_H/gxButtons_H.h"
#include "platform/Colour.h"
#include "platform/Picture.h"
#include "platform/forms/Control.h"
#include "platform/forms/PropertyBag.h"

namespace {

using platform::forms::Json;
using platform::forms::PropertyBag;

constexpr int kWidth = 121, kHeight = 41;
constexpr int kIterations = 3000;
constexpr int kRounds = 5;
const char* const kCaption = "Report Cards";
const char* const kPicture = "pictures/btn_reportcard.png";

using bench::gMeans;
using bench::Median;
using bench::Record;

QFont CaptionFont() {
    QFont f(QStringLiteral("Arial"));
    f.setPointSizeF(8.25);
    return f;
}

constexpr double kDeviceRatios[] = {1.0, 2.0};

std::string CaseName(int style, bool hover, double ratio, const char* who) {
    return "style " + std::to_string(style) + (hover ? " hover" : " normal") +
           (ratio == 1.0 ? "" : " x" + std::to_string(int(ratio))) + "/" + who;
}

QSize DeviceSize(double ratio) {
    return {int(kWidth * ratio), int(kHeight * ratio)};
}

// The button as a form holds it: a child of its container, its design values read from a bag.
struct ButtonOnForm {
    QWidget container;
    gxButtons_H* button;

    ButtonOnForm(int style, bool hover, double ratio) {
        platform::forms::SetContainerBackColor(&container, platform::kWindowBackground);
        button = new gxButtons_H(&container);
        Json design = {
            {"Caption", kCaption},
            {"BackStyle", style},
            {"Image", kPicture},
            {"ImgSize", 32},
            {"Font", PropertyBag::FontToJson(CaptionFont())},
        };
        button->ReadProperties(PropertyBag(design));
        if (ratio != 1.0) button->SetPreviewDeviceRatio(ratio);
        // A hidden widget gets its resize event only when shown: hand it over now, as showing
        // would, so that the back buffer and the layout take the new size.
        const QSize before = button->size();
        button->resize(kWidth, kHeight);
        QResizeEvent resized(button->size(), before);
        QCoreApplication::sendEvent(button, &resized);
        if (hover) button->SetPreviewState(true, false, false);
    }
};

void BM_Ours(benchmark::State& state, int style, bool hover, double ratio) {
    ButtonOnForm form(style, hover, ratio);
    gxButtons_H& button = *form.button;
    if (button.ButtonStyle() != style ||
        bool(button.StateFlags() & gxButtons_H::kHoverLook) != hover ||
        button.FaceImage().size() != DeviceSize(ratio)) {
        state.SkipWithError("the button did not take its style, state or size");
        return;
    }
    const int drawnBefore = button.RedrawCount();
    QElapsedTimer t;
    double total = 0;
    for (auto _ : state) {
        t.start();
        button.Refresh();
        total += double(t.nsecsElapsed());
    }
    // A refresh that skipped the face would make the times meaningless.
    if (button.RedrawCount() - drawnBefore != int(state.iterations())) {
        state.SkipWithError("a refresh did not draw the face");
        return;
    }
    Record(state, CaseName(style, hover, ratio, "ours"), total);
}

void BM_Anchor(benchmark::State& state, int style, bool hover, double ratio) {
    const std::unique_ptr<QStyle> fusion(QStyleFactory::create(QStringLiteral("Fusion")));
    const QFont font = CaptionFont();
    const QPixmap picture = QPixmap::fromImage(
        platform::Picture::Load(QStringLiteral(":/") + QLatin1String(kPicture)).image());

    QStyleOptionButton opt;
    opt.rect = QRect(0, 0, kWidth, kHeight);
    opt.text = QString::fromLatin1(kCaption);
    opt.icon = QIcon(picture);
    opt.iconSize = QSize(32, 32);
    opt.state = QStyle::State_Enabled | (hover ? QStyle::State_MouseOver : QStyle::State_None);
    opt.fontMetrics = QFontMetrics(font);
    opt.palette = fusion->standardPalette();

    QImage image(DeviceSize(ratio), QImage::Format_RGB32);
    image.setDevicePixelRatio(ratio);
    QPainter painter(&image);
    painter.setFont(font);
    const QColor background = opt.palette.color(QPalette::Window);
    QElapsedTimer t;
    double total = 0;
    for (auto _ : state) {
        t.start();
        painter.fillRect(opt.rect, background);
        fusion->drawControl(QStyle::CE_PushButton, &opt, &painter);
        total += double(t.nsecsElapsed());
    }
    benchmark::DoNotOptimize(image.constBits());
    Record(state, CaseName(style, hover, ratio, "anchor"), total);
}

// Anchor and ours take turns, five times each per case, so that drift in the machine's speed
// hits both.
void Register() {
    for (const double ratio : kDeviceRatios)
        for (int style = 0; style <= 7; ++style)
            for (bool hover : {false, true})
                for (int round = 0; round < kRounds; ++round) {
                    benchmark::RegisterBenchmark(CaseName(style, hover, ratio, "anchor").c_str(),
                                                 BM_Anchor, style, hover, ratio)
                        ->Iterations(kIterations);
                    benchmark::RegisterBenchmark(CaseName(style, hover, ratio, "ours").c_str(),
                                                 BM_Ours, style, hover, ratio)
                        ->Iterations(kIterations);
                }
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    Register();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();

    std::printf("\nbutton repaint %dx%d, \"%s\", 32x32 picture (medians of rounds)\n", kWidth,
                kHeight, kCaption);
    std::printf("%-7s %-7s %-5s %12s %12s %7s\n", "style", "state", "dpr", "ours ns", "anchor ns",
                "ratio");
    bool allMet = true, any = false;
    for (const double dpr : kDeviceRatios)
        for (int style = 0; style <= 7; ++style)
            for (bool hover : {false, true}) {
                const std::string ours = CaseName(style, hover, dpr, "ours");
                const std::string anchor = CaseName(style, hover, dpr, "anchor");
                if (!gMeans.count(ours) || !gMeans.count(anchor)) continue;
                const double o = Median(gMeans[ours]), a = Median(gMeans[anchor]);
                const double ratio = a > 0 ? o / a : 0.0;
                any = true;
                allMet = allMet && ratio <= 1.0;
                std::printf("%-7d %-7s %-5.0f %12.0f %12.0f %7.2f%s\n", style,
                            hover ? "hover" : "normal", dpr, o, a, ratio,
                            ratio <= 1.0 ? "" : "  over");
            }
    if (any)
        std::printf("goal: every ratio <= 1.0 -> %s\n", allMet ? "met" : "MISSED");
    else
        std::printf("goal: every ratio <= 1.0 -> no complete case ran\n");
    return 0;
}
