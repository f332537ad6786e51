#pragma once
// The browser pane that windows place to show portal pages. Windows rely on three things only:
// Navigate with one address text, Refresh, and taking the keyboard focus. Which implementation
// a window gets is decided by one factory: the program installs the web engine pane, tests a
// recording double, and without either a blank pane stands in (tools that render offscreen).

#include <QByteArray>
#include <QUrl>
#include <QWidget>
#include <functional>

namespace platform::browser {

class BrowserPane : public QWidget {
    Q_OBJECT
public:
    using Factory = std::function<BrowserPane*(QWidget* parent)>;

    // Every pane stands white until a page shows, and takes the keyboard focus.
    explicit BrowserPane(QWidget* parent = nullptr);

    // Creates a pane through the installed factory.
    static BrowserPane* Create(QWidget* parent);
    static void SetFactory(Factory factory);

    // Starts loading the page for `address` (see AddressToUrl) and returns at once.
    virtual void Navigate(const QString& address) = 0;
    // Reloads the current page, if any.
    virtual void Refresh() = 0;
    // Gives the pane the keyboard focus.
    virtual void Focus() { setFocus(Qt::OtherFocusReason); }
    // The address of the last navigation (empty before the first).
    virtual QUrl CurrentUrl() const = 0;
    // True while a navigation that was asked for has not finished; a window that goes away
    // meanwhile lets the pane finish it (bounded) so that a logout request is not dropped.
    virtual bool NavigationPending() const { return false; }
    // Gets ready to show a page without showing one yet (the web engine pane makes its view).
    virtual void Prepare() {}

    // The tooltip of the pane as the window designs it.
    void SetToolTipText(const QString& text) { setToolTip(text); }
};

// The rule that turns a window's address text into a URL:
//  - an absolute URL ("http://...", "ftp://...", "file:/...", "about:blank") is kept as it is;
//  - a drive path ("c:\", "D:/work") becomes the local root folder ("file:///");
//  - anything else is a host name, perhaps with a port and a path: "mail.school" becomes
//    "http://mail.school/".
// An empty or blank text gives an invalid URL.
QUrl AddressToUrl(const QString& text);

// Shows a picture a page held, given as the bytes of its file, in the program's picture viewer
// over `owner`; `name` is the file name its address gives ("photo.jpg"). The program installs
// it; without one, panes offer no "View picture". The bytes stay in memory: nothing is written.
using PictureViewer =
    std::function<void(QWidget* owner, const QByteArray& bytes, const QString& name)>;
void SetPictureViewer(PictureViewer viewer);
const PictureViewer& InstalledPictureViewer();

// A pane that shows nothing and remembers the last address: the stand-in when no factory is
// installed.
class BlankPane : public BrowserPane {
    Q_OBJECT
public:
    using BrowserPane::BrowserPane;
    void Navigate(const QString& address) override { mUrl = AddressToUrl(address); }
    void Refresh() override {}
    QUrl CurrentUrl() const override { return mUrl; }

private:
    QUrl mUrl;
};

}  // namespace platform::browser
