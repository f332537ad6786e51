#pragma once
// The window a page opens for a new page (a target="_blank" link, window.open from a click,
// "Open link in new window"): a top-level window owned by the window of the pane that asked,
// so it floats over it, hides with it and closes with it, holding one pane that fills it. It
// takes the size the page asks for (800 x 600 by default), stays on the screen, and is titled
// with its page's title. Its page shares the session of every other pane, may open windows of
// its own, and closes it with window.close().

#include <QPointer>
#include <QRect>
#include <QWidget>

class QWebEngineNewWindowRequest;

namespace platform::browser {

class WebPane;

class PageWindow : public QWidget {
    Q_OBJECT
public:
    static constexpr QSize kDefaultSize{800, 600};

    // Opens `request` in a new window owned by `opener`'s window; returns the window.
    static PageWindow* Open(WebPane* opener, QWebEngineNewWindowRequest& request);

    WebPane* Pane() const { return mPane; }
    // The pane whose page asked for this window, while it exists.
    WebPane* Opener() const { return mOpener.data(); }
    // True while the window has shown no page of its own: its first navigation may still turn
    // out to be a download, which then belongs to the opener, and the window goes.
    bool ShowsNothingYet() const;

    // Where a window of `requested` geometry goes: the requested size, or the default one when
    // none is given; the requested place, or a step down and right of `owner` when none is
    // given; all of it moved and shrunk to fit `screen`.
    static QRect Place(const QRect& requested, const QRect& owner, const QRect& screen);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    PageWindow();
    WebPane* mPane = nullptr;
    QPointer<WebPane> mOpener;
};

}  // namespace platform::browser
