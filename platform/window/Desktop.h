#pragma once
// What controls ask of the desktop while they track the mouse and talk to their container:
// window handles, the cursor and the window under it, mouse capture, per-window timers by id,
// named window properties, key-down messages posted to a window, and window moves.
//
// Every call goes through one backend. The real backend asks Qt; tests install a
// DesktopDouble (below) that holds the cursor where the test puts it, reports the window the
// test names as the one under the cursor, and runs timers only when the test ticks them.

#include <QPoint>
#include <QPointer>
#include <QRect>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <vector>

namespace platform::window {

// A window handle: a number that names one widget for as long as it lives and is never
// reused. 0 names no window.
using Hwnd = std::uintptr_t;
Hwnd HandleOf(QWidget* window);
// The widget a handle names, or null when there is none (unknown or already destroyed).
QWidget* FromHandle(Hwnd handle);

// The cursor position in screen coordinates.
QPoint GetCursorPos();
// The innermost visible widget under a screen point, honouring window masks (a point in a
// masked-off corner finds the widget behind), or null.
QWidget* WindowFromPoint(QPoint screen);
// Screen point to `window`'s client coordinates.
QPoint ScreenToClient(QWidget* window, QPoint screen);

// Mouse capture: while a window holds it, mouse input goes to that window wherever the cursor
// is. Qt already captures the mouse implicitly from a press to the release; these record which
// window holds it for the control's own bookkeeping.
void SetCapture(QWidget* window);
void ReleaseCapture();
QWidget* GetCapture();

// Window timers. SetTimer starts (or restarts with the new interval and procedure) timer `id`
// on `window`; `proc` then runs with the id every `intervalMs` milliseconds until KillTimer or
// until the window is destroyed, so a timer never fires into a destroyed window. KillTimer
// returns false when no such timer runs.
using TimerProc = std::function<void(int id)>;
void SetTimer(QWidget* window, int id, int intervalMs, TimerProc proc);
bool KillTimer(QWidget* window, int id);
bool HasTimer(QWidget* window, int id);

// Named window properties: an integer value under a name, kept on the window. GetProp gives 0
// for a missing name; HasProp tells a missing name from a stored 0.
void SetProp(QWidget* window, const char* name, std::intptr_t value);
std::intptr_t GetProp(const QWidget* window, const char* name);
bool HasProp(const QWidget* window, const char* name);
// Removes the property and returns the value it held (0 when missing).
std::intptr_t RemoveProp(QWidget* window, const char* name);

// Virtual-key codes the controls use.
inline constexpr int VK_RETURN = 13, VK_ESCAPE = 27, VK_SHIFT = 16, VK_SPACE = 32;
inline constexpr int VK_LEFT = 37, VK_UP = 38, VK_RIGHT = 39, VK_DOWN = 40;
inline constexpr unsigned WM_KEYDOWN = 256;
// Posts a key-down message to the window a handle names, to be delivered by the event loop as
// a key press with the key's scan code (bits 16 to 23 of `keyData`). An unknown handle posts
// nothing and gives false.
bool PostKeyDown(Hwnd window, int virtualKey, std::uint32_t keyData);
// The Qt key for a virtual-key code and back (0 for keys without one).
int QtKeyFromVirtualKey(int virtualKey);
int VirtualKeyFromQtKey(int qtKey);

// The mouse buttons and modifier keys as the controls' events pass them: 1 left, 2 right,
// 4 middle (one button for a press or release, those held for a move); 1 Shift, 2 Ctrl, 4 Alt.
std::int16_t ButtonBits(Qt::MouseButtons buttons);
std::int16_t ShiftBits(Qt::KeyboardModifiers modifiers);

// Moves and sizes a child window within its parent's client area.
void MoveWindow(QWidget* window, QRect rect, bool repaint);

// The backend behind the calls above.
class Desktop {
public:
    virtual ~Desktop() = default;
    virtual QPoint CursorPos() = 0;
    virtual QWidget* WindowAt(QPoint screen) = 0;
    virtual void StartTimer(QWidget* window, int id, int intervalMs, TimerProc proc) = 0;
    virtual bool StopTimer(QWidget* window, int id) = 0;
    virtual bool TimerRunning(QWidget* window, int id) = 0;
    virtual bool PostKey(QWidget* window, int virtualKey, std::uint32_t keyData) = 0;
};

// Installs `desktop` in place of the real one (null puts the real one back). The caller keeps
// ownership and must outlive its installation.
void InstallDesktop(Desktop* desktop);

// The test stand-in. Installs itself on construction and puts back the desktop it replaced
// (the real one unless another double was installed) when it ends. Its timers tick only
// through Tick; posted keys are recorded, not delivered.
class DesktopDouble : public Desktop {
public:
    struct PostedKey {
        QWidget* window;
        int virtualKey;
        std::uint32_t keyData;
    };

    DesktopDouble();
    ~DesktopDouble() override;
    DesktopDouble(const DesktopDouble&) = delete;
    DesktopDouble& operator=(const DesktopDouble&) = delete;

    void SetCursorPos(QPoint screen) { mCursor = screen; }
    // The window reported under every point from now on. Without one, the double asks the
    // real hit test at the point.
    void SetWindowUnderCursor(QWidget* window);
    void ClearWindowUnderCursor();
    // Puts the cursor on the centre of `window` and names it as the window under the cursor.
    void MoveCursorOnto(QWidget* window);
    // Puts the cursor far from every window and names none.
    void MoveCursorAway();

    // Runs every running timer once (those of destroyed windows are dropped), in the order
    // they were started. Returns how many ran.
    int Tick();
    int RunningTimerCount() const;
    const std::vector<PostedKey>& PostedKeys() const { return mPosted; }
    void ClearPostedKeys() { mPosted.clear(); }

    QPoint CursorPos() override { return mCursor; }
    QWidget* WindowAt(QPoint screen) override;
    void StartTimer(QWidget* window, int id, int intervalMs, TimerProc proc) override;
    bool StopTimer(QWidget* window, int id) override;
    bool TimerRunning(QWidget* window, int id) override;
    bool PostKey(QWidget* window, int virtualKey, std::uint32_t keyData) override;

private:
    struct Timer;
    Desktop* mPrevious = nullptr;
    QPoint mCursor{-10000, -10000};
    bool mWindowSet = false;
    QPointer<QWidget> mWindowUnderCursor;
    std::vector<std::unique_ptr<Timer>> mTimers;
    std::vector<PostedKey> mPosted;
};

}  // namespace platform::window
