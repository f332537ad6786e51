// The collapsible panel's animation against its anchor, in one run, offscreen.
//
// Each case builds a column like the main window's: an upper panel holding five link rows (an
// icon and a label each) and a lower panel 45 twips under it. One step changes the upper
// panel's height, lets the lower one follow (through ExpCol for the panel; directly for the
// anchor) and repaints both. The anchor is a plain QWidget holding the same children, resized
// and moved the same way. A whole toggle is the panel's own 15-step expand or collapse against
// the anchor doing the same 15 height changes with the same event processing in between.
// Anchor and panel alternate in five rounds; prints the ratios of the medians at the end.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "Rounds.h"
#include "controls/EBXp/EBXp.h"
#include "platform/Picture.h"
#include "platform/forms/PropertyBag.h"
#include "platform/forms/StandardControls.h"
#include "platform/sound/Sound.h"

namespace {

using platform::forms::Json;
using platform::forms::PropertyBag;

class SilentPlayer : public platform::sound::SoundPlayer {
public:
    void PlayAsync(const QString&) override {}
};

// Five link rows, as in the main window's " Student Tools" panel.
void AddLinks(QWidget* panel) {
    for (int row = 0; row < 5; ++row) {
        auto* icon = new platform::forms::Image(panel);
        icon->ReadProperties(PropertyBag(Json::parse(R"({"Picture": "pictures/ico_login.png"})")));
        icon->setGeometry(16, 32 + row * 24, 16, 16);
        auto* label = new platform::forms::Label(panel);
        label->ReadProperties(PropertyBag(Json::parse(
            R"({"Caption": " Assignment Work Folder", "ForeColor": 8388608, "BackColor": 16244694})")));
        label->setGeometry(32, 32 + row * 24, 145, 17);
    }
}

// One column: the upper container with its links and the one below it.
template <class Box>
struct Column {
    QWidget window;
    Box* upper = new Box(&window);
    Box* lower = new Box(&window);
    Column() {
        window.resize(185, 400);
        upper->setGeometry(0, 0, 185, 161);
        lower->setGeometry(0, 164, 185, 185);
        AddLinks(upper);
        window.show();
        QApplication::processEvents();
    }
};

struct PanelColumn : Column<EBXp> {
    PanelColumn() {
        upper->ReadProperties(PropertyBag(Json::parse(
            R"({"UserHeight": 2415, "Caption": " Student Tools", "Icon": "pictures/panel_tools.png"})")));
        lower->ReadProperties(PropertyBag(
            Json::parse(R"({"UserHeight": 2775, "Caption": " Administration Tools"})")));
        QObject::connect(upper, &EBXp::ExpCol, lower, [this] { MoveUnder(*lower, *upper); });
    }
};

using bench::gMeans;
using bench::Median;
using bench::Record;

// Heights of one expansion, as the panel sets them: 450, 600, ..., 2400, then 2415 (twips).
constexpr int kStepPixels[] = {30, 40, 50, 60, 70, 80, 90, 100, 110, 120, 130, 140, 150, 160, 161};

void BM_Step_Panel(benchmark::State& state) {
    PanelColumn c;
    std::size_t i = 0;
    QElapsedTimer t;
    double total = 0;
    for (auto _ : state) {
        t.start();
        c.upper->SetHeight(float(kStepPixels[i++ % 15] * 15));
        emit c.upper->ExpCol();
        c.upper->repaint();
        c.lower->repaint();
        total += double(t.nsecsElapsed());
    }
    Record(state, "step/panel", total);
}

void BM_Step_Anchor(benchmark::State& state) {
    Column<QWidget> c;
    std::size_t i = 0;
    QElapsedTimer t;
    double total = 0;
    for (auto _ : state) {
        t.start();
        c.upper->resize(185, kStepPixels[i++ % 15]);
        c.lower->move(0, c.upper->y() + c.upper->height() + 3);
        c.upper->repaint();
        c.lower->repaint();
        total += double(t.nsecsElapsed());
    }
    Record(state, "step/anchor", total);
}

void BM_Toggle_Panel(benchmark::State& state) {
    PanelColumn c;
    QElapsedTimer t;
    double total = 0;
    for (auto _ : state) {
        t.start();
        c.upper->ToggleExpCol();
        total += double(t.nsecsElapsed());
    }
    Record(state, "toggle/panel", total);
}

void BM_Toggle_Anchor(benchmark::State& state) {
    Column<QWidget> c;
    bool down = true;
    QElapsedTimer t;
    double total = 0;
    for (auto _ : state) {
        t.start();
        for (int k = 0; k < 15; ++k) {
            c.upper->resize(185, kStepPixels[down ? 14 - k : k]);
            c.lower->move(0, c.upper->y() + c.upper->height() + 3);
            QApplication::processEvents();
        }
        down = !down;
        total += double(t.nsecsElapsed());
    }
    Record(state, "toggle/anchor", total);
}

// Anchor and panel take turns, five times each, so that drift in the machine's speed hits both.
void Register() {
    for (int round = 0; round < 5; ++round) {
        benchmark::RegisterBenchmark("step/anchor", BM_Step_Anchor)->Iterations(6000);
        benchmark::RegisterBenchmark("step/panel", BM_Step_Panel)->Iterations(6000);
    }
    for (int round = 0; round < 5; ++round) {
        benchmark::RegisterBenchmark("toggle/anchor", BM_Toggle_Anchor)->Iterations(500);
        benchmark::RegisterBenchmark("toggle/panel", BM_Toggle_Panel)->Iterations(500);
    }
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    platform::sound::SetPlayer(std::make_unique<SilentPlayer>());
    // The toggle measures the work of its steps; paced, it would measure the display's refresh.
    EBXp::SetFramePacing(false);
    Register();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    for (const char* what : {"step", "toggle"}) {
        const std::string panel = std::string(what) + "/panel";
        const std::string anchor = std::string(what) + "/anchor";
        if (gMeans.count(panel) && gMeans.count(anchor)) {
            const double p = Median(gMeans[panel]), a = Median(gMeans[anchor]);
            std::printf(
                "%s: panel %.1f us, anchor %.1f us (medians of %zu), ratio %.2fx "
                "(goal <= 1.5x)\n",
                what, p / 1000, a / 1000, gMeans[panel].size(), a > 0 ? p / a : 0.0);
        }
    }
    return 0;
}
