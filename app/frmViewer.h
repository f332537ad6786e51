#pragma once
// The picture viewer window (quillmere --view FILE): one local picture in a ScrollPicture that
// fills the window, under a small toolbar with the zoom commands and the zoom in effect.
//
// Keys: + (or =) zoom in, - zoom out, 0 actual pixels, F best fit, S stretch, Backspace the
// previous zoom. The window opens at the picture's size within a limit; a larger picture is
// fitted to it at first, so "Previous zoom" goes to 100 %. A fitted or stretched picture is
// fitted or stretched again when the window changes size; a zoomed one keeps its zoom.

#include <QMainWindow>

class QAction;
class QLabel;
class ScrollPicture;

class frmViewer : public QMainWindow {
    Q_OBJECT
public:
    explicit frmViewer(QWidget* parent = nullptr);

    // Reads `file` and shows it at its own size. False, with `error` naming the file and why,
    // when it cannot be read; the window then shows nothing.
    bool Open(const QString& file, QString* error);

    ScrollPicture* viewer() const { return mViewer; }
    // What the toolbar shows: "125 %" on the ladder, "Fit 37 %" after Best fit, "Stretched".
    QString ZoomText() const;

    enum Command { ZoomIn, ZoomOut, PreviousZoom, ActualPixels, BestFit, Stretch };
    QAction* action(Command c) const { return mActions[c]; }

protected:
    void keyPressEvent(QKeyEvent* e) override;
    void showEvent(QShowEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;

private:
    void Run(Command c);
    // The command alone, without the window's own update; running out of memory goes through.
    void Apply(Command c);
    void Update();

    ScrollPicture* mViewer;
    QLabel* mZoom;
    QAction* mActions[6] = {};
    // How the picture's size was last set: by a ladder level, fitted or stretched.
    enum class Sizing { Ladder, Fit, Stretch } mSizing = Sizing::Ladder;
    bool mFitWhenShown = false;
};
