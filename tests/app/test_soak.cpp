// A long session: every tool window opened over the main window and closed again, many times.
// Nothing a window builds may outlive it: the raster layer's objects come back to their count
// and the process's memory stays level.

#include <QFile>
#include <QPointer>
#include <algorithm>
#include <chrono>

#include "forms/ToolWindows.h"
#include "platform/gdi/Gdi.h"
#include "tests/app/Fixture.h"

using platform::forms::Instance;
using testsupport::WaitFor;

namespace {

#if defined(__SANITIZE_ADDRESS__)
// Freed memory is held back for checking, so the resident size says nothing; the sanitizer
// reports leaks itself, and fewer rounds keep the slower build within its time.
constexpr bool kMeasureMemory = false;
constexpr int kRounds = 50;
#else
constexpr bool kMeasureMemory = true;
constexpr int kRounds = 500;
#endif

// Far above what caches settling in may take, far below what a window leaked each round adds
// up to over the rounds.
constexpr qint64 kMemoryGrowthLimitKiB = 64 * 1024;

// The resident set size of this process, in KiB (0 when it cannot be read).
qint64 ResidentKiB() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) return 0;
    for (QByteArray line = status.readLine(); !line.isEmpty(); line = status.readLine()) {
        if (line.startsWith("VmRSS:")) return line.mid(6).trimmed().split(' ').first().toLongLong();
    }
    return 0;
}

}  // namespace

TEST_F(ProgramTest, ToolWindowsOpenedAndClosedManyTimesLeaveNothingBehind) {
    frmMain& main = ShowMain();
    const std::vector<ToolWindow*> windows = {
        &Instance<frmToolbar>(), &Instance<Form1>(), &Instance<Form2>(), &Instance<Form3>(),
        &Instance<Form4>(),      &Instance<Form5>(), &Instance<Form6>(), &Instance<Form7>(),
        &Instance<Form8>(),      &Instance<Form9>()};
    // One round: each window opened over the main window, then closed, and every closed window
    // gone before the next round.
    int peak = 0;  // the most raster objects standing at once, with a window open
    const auto round = [&] {
        std::vector<QPointer<QWidget>> closed;
        Calls().clear();  // the recording browser's log would grow with every round
        for (ToolWindow* w : windows) {
            w->LoadToolbar(main);
            if (!w->IsLoaded()) return false;
            closed.emplace_back(w->widget());
            peak = std::max(peak, platform::gdi::LiveObjectCount());
            w->UnloadToolbar();
            if (w->IsLoaded()) return false;
        }
        return WaitFor([&] {
            QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            return std::all_of(closed.begin(), closed.end(),
                               [](const QPointer<QWidget>& p) { return p.isNull(); });
        });
    };

    const int objectsAtStart = platform::gdi::LiveObjectCount();
    ASSERT_TRUE(round());  // caches and the first showing of each design settle here
    const qint64 residentAfterWarmUp = ResidentKiB();
    const auto started = std::chrono::steady_clock::now();
    for (int i = 1; i < kRounds; ++i) ASSERT_TRUE(round()) << "round " << i;
    const auto seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();

    EXPECT_GT(peak, objectsAtStart);  // the windows' buttons do hold objects while they stand
    EXPECT_EQ(platform::gdi::LiveObjectCount(), objectsAtStart);
    if (kMeasureMemory) {
        const qint64 growth = ResidentKiB() - residentAfterWarmUp;
        EXPECT_GT(residentAfterWarmUp, 0);
        EXPECT_LT(growth, kMemoryGrowthLimitKiB)
            << growth << " KiB more after " << kRounds << " rounds (" << seconds << " s)";
    }
    RecordProperty("rounds", kRounds);
    RecordProperty("seconds", static_cast<int>(seconds));
    RecordProperty("growthKiB", static_cast<int>(ResidentKiB() - residentAfterWarmUp));
}
