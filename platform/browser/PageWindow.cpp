#include "platform/browser/PageWindow.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWebEngineHistory>
#include <QWebEngineNewWindowRequest>
#include <QWebEngineView>
#include <algorithm>

#include "platform/browser/WebPane.h"
#include "platform/window/Window.h"

namespace platform::browser {

namespace {
// How far down and right of its owner a window goes when the page names no place.
constexpr int kCascade = 32;
}  // namespace

PageWindow::PageWindow() : QWidget(nullptr, Qt::Window) {
    setObjectName(QStringLiteral("PageWindow"));
    setAttribute(Qt::WA_DeleteOnClose);
    mPane = new WebPane(this);
    mPane->setObjectName(QStringLiteral("PagePane"));
    setFocusProxy(mPane);
    connect(mPane, &WebPane::TitleChanged, this,
            [this](const QString& title) { setWindowTitle(title); });
    connect(mPane, &WebPane::CloseRequested, this, &QWidget::close);
}

QRect PageWindow::Place(const QRect& requested, const QRect& owner, const QRect& screen) {
    QSize size = requested.width() > 0 && requested.height() > 0 ? requested.size() : kDefaultSize;
    if (!screen.isEmpty()) size = size.boundedTo(screen.size());
    const bool placed = requested.isValid() && !requested.topLeft().isNull();
    QPoint at = placed ? requested.topLeft() : owner.topLeft() + QPoint(kCascade, kCascade);
    if (!screen.isEmpty()) {
        at.setX(std::clamp(at.x(), screen.left(), screen.right() + 1 - size.width()));
        at.setY(std::clamp(at.y(), screen.top(), screen.bottom() + 1 - size.height()));
    }
    return QRect(at, size);
}

PageWindow* PageWindow::Open(WebPane* opener, QWebEngineNewWindowRequest& request) {
    QWidget* owner = opener->window();
    auto* w = new PageWindow();
    w->mOpener = opener;
    const QUrl url = request.requestedUrl();
    w->setWindowTitle(url.isEmpty() ? tr("New page") : url.toDisplayString());
    w->setWindowIcon(owner->windowIcon());
    QScreen* screen = owner->screen() ? owner->screen() : QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->availableGeometry() : QRect();
    const QRect frame = Place(request.requestedGeometry(), owner->geometry(), area);
    w->resize(frame.size());
    w->move(frame.topLeft());
    window::SetOwner(w, owner);
    w->mPane->OpenRequest(request);
    w->show();
    w->raise();
    w->activateWindow();
    w->mPane->Focus();
    return w;
}

bool PageWindow::ShowsNothingYet() const {
    const QWebEngineView* view = mPane->findChild<QWebEngineView*>();
    return !view || view->history()->count() == 0;
}

void PageWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    mPane->setGeometry(rect());
}

}  // namespace platform::browser
