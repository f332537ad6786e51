#include "platform/window/Desktop.h"

#include <QApplication>
#include <QCoreApplication>
#include <QCursor>
#include <QKeyEvent>
#include <QTimer>
#include <QVariant>
#include <algorithm>
#include <iterator>
#include <utility>

namespace platform::window {

// ---- Handles -------------------------------------------------------------------------------

namespace {

constexpr const char* kHandleProperty = "qm_hwnd";
Hwnd gNextHandle = 0x10000;

std::map<Hwnd, QPointer<QWidget>>& Handles() {
    static std::map<Hwnd, QPointer<QWidget>> handles;
    return handles;
}

}  // namespace

Hwnd HandleOf(QWidget* window) {
    if (!window) return 0;
    const QVariant stored = window->property(kHandleProperty);
    if (stored.isValid()) return stored.value<qulonglong>();
    const Hwnd handle = gNextHandle++;
    window->setProperty(kHandleProperty, QVariant::fromValue<qulonglong>(handle));
    Handles().emplace(handle, window);
    QObject::connect(window, &QObject::destroyed, [handle] { Handles().erase(handle); });
    return handle;
}

QWidget* FromHandle(Hwnd handle) {
    const auto it = Handles().find(handle);
    return it == Handles().end() ? nullptr : it->second.data();
}

// ---- Keys ----------------------------------------------------------------------------------

namespace {

constexpr int VK_F1 = 112, VK_F12 = 123;

// Virtual keys whose Qt key is not the same number. Digits and letters share their codes.
constexpr std::pair<int, int> kKeys[] = {
    {VK_RETURN, Qt::Key_Return},
    {VK_ESCAPE, Qt::Key_Escape},
    {VK_SHIFT, Qt::Key_Shift},
    {17, Qt::Key_Control},
    {18, Qt::Key_Alt},
    {VK_SPACE, Qt::Key_Space},
    {VK_LEFT, Qt::Key_Left},
    {VK_UP, Qt::Key_Up},
    {VK_RIGHT, Qt::Key_Right},
    {VK_DOWN, Qt::Key_Down},
    {9, Qt::Key_Tab},
    {8, Qt::Key_Backspace},
    {45, Qt::Key_Insert},
    {46, Qt::Key_Delete},
    {36, Qt::Key_Home},
    {35, Qt::Key_End},
    {33, Qt::Key_PageUp},
    {34, Qt::Key_PageDown},
};

bool SharesCode(int key) {
    return (key >= '0' && key <= '9') || (key >= 'A' && key <= 'Z');
}

}  // namespace

int QtKeyFromVirtualKey(int virtualKey) {
    for (const auto& [vk, qt] : kKeys)
        if (vk == virtualKey) return qt;
    if (SharesCode(virtualKey)) return virtualKey;
    if (virtualKey >= VK_F1 && virtualKey <= VK_F12) return Qt::Key_F1 + (virtualKey - VK_F1);
    return 0;
}

int VirtualKeyFromQtKey(int qtKey) {
    if (qtKey == Qt::Key_Enter) return VK_RETURN;
    for (const auto& [vk, qt] : kKeys)
        if (qt == qtKey) return vk;
    if (SharesCode(qtKey)) return qtKey;
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F12) return VK_F1 + (qtKey - Qt::Key_F1);
    return 0;
}

// ---- The real backend ----------------------------------------------------------------------

namespace {

class RealDesktop final : public Desktop {
public:
    QPoint CursorPos() override { return QCursor::pos(); }
    QWidget* WindowAt(QPoint screen) override { return QApplication::widgetAt(screen); }

    // Each timer is a QTimer child of its window, so it dies with the window.
    void StartTimer(QWidget* window, int id, int intervalMs, TimerProc proc) override {
        if (!window) return;
        QTimer* timer = Find(window, id);
        if (!timer) {
            timer = new QTimer(window);
            timer->setObjectName(TimerName(id));
        }
        // Replacing the connection while the old procedure runs is safe: Qt keeps a running
        // slot alive until it returns.
        QObject::disconnect(timer, &QTimer::timeout, nullptr, nullptr);
        QObject::connect(timer, &QTimer::timeout, timer, [id, proc = std::move(proc)] {
            if (proc) proc(id);
        });
        timer->start(std::max(intervalMs, 0));
    }

    bool StopTimer(QWidget* window, int id) override {
        QTimer* timer = Find(window, id);
        if (!timer) return false;
        // The timer may be the one whose procedure is running, so it goes later; losing its
        // name hides it from Find at once.
        timer->stop();
        timer->setObjectName({});
        timer->deleteLater();
        return true;
    }

    bool TimerRunning(QWidget* window, int id) override { return Find(window, id) != nullptr; }

    bool PostKey(QWidget* window, int virtualKey, std::uint32_t keyData) override {
        const int key = QtKeyFromVirtualKey(virtualKey);
        if (!window || !key) return false;
        const quint32 scanCode = (keyData >> 16) & 0xFF;
        QCoreApplication::postEvent(
            window, new QKeyEvent(QEvent::KeyPress, key, Qt::NoModifier, scanCode, virtualKey, 0));
        return true;
    }

private:
    static QString TimerName(int id) { return QStringLiteral("qm_timer_%1").arg(id); }
    static QTimer* Find(QWidget* window, int id) {
        if (!window) return nullptr;
        return window->findChild<QTimer*>(TimerName(id), Qt::FindDirectChildrenOnly);
    }
};

Desktop* gInstalled = nullptr;

Desktop& Current() {
    static RealDesktop real;
    return gInstalled ? *gInstalled : real;
}

QPointer<QWidget> gCapture;

}  // namespace

void InstallDesktop(Desktop* desktop) {
    gInstalled = desktop;
}

// ---- Free functions ------------------------------------------------------------------------

QPoint GetCursorPos() {
    return Current().CursorPos();
}
QWidget* WindowFromPoint(QPoint screen) {
    return Current().WindowAt(screen);
}
QPoint ScreenToClient(QWidget* window, QPoint screen) {
    return window ? window->mapFromGlobal(screen) : screen;
}

void SetCapture(QWidget* window) {
    gCapture = window;
}
void ReleaseCapture() {
    gCapture = nullptr;
}
QWidget* GetCapture() {
    return gCapture;
}

void SetTimer(QWidget* window, int id, int intervalMs, TimerProc proc) {
    Current().StartTimer(window, id, intervalMs, std::move(proc));
}
bool KillTimer(QWidget* window, int id) {
    return Current().StopTimer(window, id);
}
bool HasTimer(QWidget* window, int id) {
    return Current().TimerRunning(window, id);
}

void SetProp(QWidget* window, const char* name, std::intptr_t value) {
    if (window) window->setProperty(name, QVariant(qlonglong(value)));
}
std::intptr_t GetProp(const QWidget* window, const char* name) {
    return window ? std::intptr_t(window->property(name).toLongLong()) : 0;
}
bool HasProp(const QWidget* window, const char* name) {
    return window && window->property(name).isValid();
}
std::intptr_t RemoveProp(QWidget* window, const char* name) {
    const std::intptr_t value = GetProp(window, name);
    if (window) window->setProperty(name, QVariant());
    return value;
}

bool PostKeyDown(Hwnd window, int virtualKey, std::uint32_t keyData) {
    QWidget* target = FromHandle(window);
    return target && Current().PostKey(target, virtualKey, keyData);
}

std::int16_t ButtonBits(Qt::MouseButtons b) {
    return std::int16_t(((b & Qt::LeftButton) ? 1 : 0) | ((b & Qt::RightButton) ? 2 : 0) |
                        ((b & Qt::MiddleButton) ? 4 : 0));
}

std::int16_t ShiftBits(Qt::KeyboardModifiers m) {
    return std::int16_t(((m & Qt::ShiftModifier) ? 1 : 0) | ((m & Qt::ControlModifier) ? 2 : 0) |
                        ((m & Qt::AltModifier) ? 4 : 0));
}

void MoveWindow(QWidget* window, QRect rect, bool repaint) {
    if (!window) return;
    window->setGeometry(rect);
    if (repaint) {
        window->repaint();
    } else {
        window->update();
    }
}

// ---- The test double -----------------------------------------------------------------------

namespace {
// Tells timer entries apart across a Tick, even when one is freed and another takes its place.
std::uint64_t gNextTimerSerial = 0;
}  // namespace

struct DesktopDouble::Timer {
    QPointer<QWidget> window;
    int id;
    int interval;
    TimerProc proc;
    std::uint64_t serial;
};

DesktopDouble::DesktopDouble() : mPrevious(gInstalled) {
    InstallDesktop(this);
}
DesktopDouble::~DesktopDouble() {
    InstallDesktop(mPrevious);
}

void DesktopDouble::SetWindowUnderCursor(QWidget* window) {
    mWindowSet = true;
    mWindowUnderCursor = window;
}

void DesktopDouble::ClearWindowUnderCursor() {
    mWindowSet = false;
    mWindowUnderCursor = nullptr;
}

void DesktopDouble::MoveCursorOnto(QWidget* window) {
    if (!window) return MoveCursorAway();
    mCursor = window->mapToGlobal(window->rect().center());
    SetWindowUnderCursor(window);
}

void DesktopDouble::MoveCursorAway() {
    mCursor = QPoint(-10000, -10000);
    SetWindowUnderCursor(nullptr);
}

QWidget* DesktopDouble::WindowAt(QPoint screen) {
    return mWindowSet ? mWindowUnderCursor.data() : QApplication::widgetAt(screen);
}

void DesktopDouble::StartTimer(QWidget* window, int id, int intervalMs, TimerProc proc) {
    if (!window) return;
    for (const auto& t : mTimers) {
        if (t->window == window && t->id == id) {
            t->interval = intervalMs;
            t->proc = std::move(proc);
            return;
        }
    }
    mTimers.push_back(std::make_unique<Timer>(
        Timer{window, id, intervalMs, std::move(proc), gNextTimerSerial++}));
}

bool DesktopDouble::StopTimer(QWidget* window, int id) {
    const auto it = std::find_if(mTimers.begin(), mTimers.end(), [&](const auto& t) {
        return t->window && t->window == window && t->id == id;
    });
    if (it == mTimers.end()) return false;
    mTimers.erase(it);
    return true;
}

bool DesktopDouble::TimerRunning(QWidget* window, int id) {
    return std::any_of(mTimers.begin(), mTimers.end(), [&](const auto& t) {
        return t->window && t->window == window && t->id == id;
    });
}

int DesktopDouble::Tick() {
    // A procedure may start or kill timers, or destroy its window, so walk a snapshot and look
    // each entry up again before running it. Timers started during the tick wait for the next.
    std::vector<std::uint64_t> due;
    std::transform(mTimers.begin(), mTimers.end(), std::back_inserter(due),
                   [](const auto& t) { return t->serial; });
    int ran = 0;
    for (const std::uint64_t serial : due) {
        const auto it = std::find_if(mTimers.begin(), mTimers.end(),
                                     [&](const auto& t) { return t->serial == serial; });
        if (it == mTimers.end() || !(*it)->window) continue;
        // Run a copy: the procedure may replace or kill its own entry.
        const TimerProc proc = (*it)->proc;
        const int id = (*it)->id;
        if (proc) proc(id);
        ++ran;
    }
    std::erase_if(mTimers, [](const auto& t) { return !t->window; });
    return ran;
}

int DesktopDouble::RunningTimerCount() const {
    return int(std::count_if(mTimers.begin(), mTimers.end(),
                             [](const auto& t) { return !t->window.isNull(); }));
}

bool DesktopDouble::PostKey(QWidget* window, int virtualKey, std::uint32_t keyData) {
    if (!window) return false;
    mPosted.push_back({window, virtualKey, keyData});
    return true;
}

}  // namespace platform::window
