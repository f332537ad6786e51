#pragma once
// The picture viewer window (quillmere --view FILE): one picture in a ScrollPicture that fills
// the window, under a small toolbar with the file and zoom commands and the zoom in effect. The
// title names the picture, its size in pixels and the zoom.
//
// Keys: + (or =) zoom in, - zoom out, 0 actual pixels, F best fit, S stretch, Backspace the
// previous zoom; arrows pan by a tenth of the viewport, Page Up and Page Down by a viewport,
// Home and End go to the top-left and bottom-right corners; Ctrl+O opens a file, Ctrl+Left and
// Ctrl+Right step to the previous and next picture of the folder in name order; P pauses and
// resumes an animation. The wheel pans up and down, Shift+wheel left and right, and Ctrl+wheel
// zooms one ladder step about the point under the cursor. A file dropped on the window opens.
//
// The window opens at the picture's size within a limit; a larger picture is fitted to it at
// first, so "Previous zoom" goes to 100 %. A fitted or stretched picture is fitted or stretched
// again when the window changes size; a zoomed one keeps its zoom. Percentages are in device
// pixels: at 100 % one picture pixel covers one pixel of the screen.

#include <QMainWindow>
#include <QStringList>

class QAction;
class QLabel;
class QMovie;
class ScrollPicture;

namespace platform {
class Picture;
}

class frmViewer : public QMainWindow {
    Q_OBJECT
public:
    explicit frmViewer(QWidget* parent = nullptr);
    ~frmViewer() override;

    // Reads `file` and shows it at its own size; an animation starts playing. False, with `error`
    // naming the file and why, when it cannot be read; the window then keeps what it showed.
    bool Open(const QString& file, QString* error);
    // Shows a picture held in memory under `name` (for the title); nothing is read or written.
    // There is no folder to step through. False when `picture` is none.
    bool OpenPicture(const platform::Picture& picture, const QString& name);

    ScrollPicture* viewer() const { return mViewer; }
    // The file shown; empty for a picture held in memory or none.
    const QString& File() const { return mFile; }
    // What the toolbar shows: "125 %" on the ladder, "Fit 37 %" after Best fit, "Stretched".
    QString ZoomText() const;

    // The animation being played, if any: its frame and whether P has paused it.
    bool Animated() const { return mMovie != nullptr; }
    bool AnimationPaused() const;
    int FrameNumber() const;

    enum Command {
        ZoomIn,
        ZoomOut,
        PreviousZoom,
        ActualPixels,
        BestFit,
        Stretch,
        OpenFile,
        PreviousPicture,
        NextPicture,
        kCommandCount
    };
    QAction* action(Command c) const { return mActions[c]; }

protected:
    void keyPressEvent(QKeyEvent* e) override;
    void wheelEvent(QWheelEvent* e) override;
    void dragEnterEvent(QDragEnterEvent* e) override;
    void dropEvent(QDropEvent* e) override;
    void showEvent(QShowEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;

private:
    void Run(Command c);
    // The command alone, without the window's own update; running out of memory goes through.
    void Apply(Command c);
    void Update();
    // Shows a picture that has been read, sizing the window to it.
    void Present(const platform::Picture& picture, const QString& name);
    // Opens a file asked for from within the window; a failure is said in a message box and the
    // window keeps its picture.
    void OpenAsked(const QString& file);
    void Complain(const QString& text);
    void ChooseFile();
    // The next (+1) or previous (-1) picture of the folder that opens; broken files are passed.
    void Step(int direction);
    // The folder's pictures in name order, and where the shown file stands among them.
    void ListFolder();
    void Pan(int dx, int dy);
    void ZoomAt(Command c, QPoint anchor);
    void StartAnimation(const QString& file);
    void StopAnimation();
    void ShowFrame();

    ScrollPicture* mViewer;
    QLabel* mZoom;
    QAction* mActions[kCommandCount] = {};
    // How the picture's size was last set: by a ladder level, fitted or stretched.
    enum class Sizing { Ladder, Fit, Stretch } mSizing = Sizing::Ladder;
    bool mFitWhenShown = false;
    QString mFile, mName;
    QStringList mFolder;  // full paths, in name order
    qsizetype mFolderIndex = -1;
    QMovie* mMovie = nullptr;
    int mWheelZoom = 0;  // wheel turn towards the next zoom step, in eighths of a degree
};
