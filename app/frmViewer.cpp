#include "app/frmViewer.h"

#include <QAction>
#include <QFileInfo>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QScreen>
#include <QToolBar>
#include <cmath>
#include <new>

#include "controls/ScrollPicture/ScrollPicture.h"
#include "platform/Picture.h"

namespace {

// The window's first size keeps to this part of the screen, and to at least a usable minimum.
constexpr double kScreenShare = 0.85;
const QSize kMinimumViewport(360, 240);

}  // namespace

frmViewer::frmViewer(QWidget* parent) : QMainWindow(parent) {
    setWindowTitle(QStringLiteral("Quillmere picture viewer"));
    setWindowIcon(QIcon(QStringLiteral(":/pictures/app32.png")));
    mViewer = new ScrollPicture(this);
    mViewer->InitProperties();
    mViewer->SetBackColor(platform::kWindowBackground);
    setCentralWidget(mViewer);

    auto* bar = new QToolBar(QStringLiteral("Zoom"), this);
    bar->setObjectName(QStringLiteral("zoomBar"));
    bar->setMovable(false);
    bar->setFloatable(false);
    bar->setContextMenuPolicy(Qt::PreventContextMenu);
    bar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    const struct {
        Command command;
        const char* text;
        const char* key;
    } commands[] = {
        {ZoomIn, "Zoom in", "+"},
        {ZoomOut, "Zoom out", "-"},
        {PreviousZoom, "Previous zoom", "Backspace"},
        {ActualPixels, "Actual pixels", "0"},
        {BestFit, "Best fit", "F"},
        {Stretch, "Stretch", "S"},
    };
    for (const auto& c : commands) {
        QAction* a = bar->addAction(QString::fromLatin1(c.text));
        a->setToolTip(QStringLiteral("%1 (%2)").arg(QLatin1String(c.text), QLatin1String(c.key)));
        const Command command = c.command;
        connect(a, &QAction::triggered, this, [this, command] { Run(command); });
        mActions[c.command] = a;
    }
    bar->addSeparator();
    mZoom = new QLabel(bar);
    mZoom->setObjectName(QStringLiteral("zoomPercent"));
    mZoom->setContentsMargins(6, 0, 6, 0);
    mZoom->setMinimumWidth(mZoom->fontMetrics().horizontalAdvance(QStringLiteral("Fit 100 %")) +
                           12);
    bar->addWidget(mZoom);
    addToolBar(Qt::TopToolBarArea, bar);
    // Keys reach the window wherever the focus is; the toolbar buttons take none.
    setFocusPolicy(Qt::StrongFocus);
    for (QWidget* w : bar->findChildren<QWidget*>()) w->setFocusPolicy(Qt::NoFocus);
    Update();
}

bool frmViewer::Open(const QString& file, QString* error) {
    platform::Picture picture;
    try {
        picture = platform::Picture::Load(file);
    } catch (const platform::PictureError& e) {
        *error = QString::fromUtf8(e.what());
        return false;
    }
    mViewer->SetPicture(picture);
    mSizing = Sizing::Ladder;
    setWindowTitle(QStringLiteral("%1 - Quillmere picture viewer").arg(QFileInfo(file).fileName()));

    // The window opens at the picture's own size within a share of the screen; a picture larger
    // than that is fitted once the window has its size.
    QSize limit(1024, 768);
    if (const QScreen* s = QGuiApplication::primaryScreen()) {
        const QSize room = s->availableGeometry().size() * kScreenShare;
        limit = limit.boundedTo(room).expandedTo(kMinimumViewport);
    }
    const QSize wanted(picture.Width(), picture.Height());
    // A larger picture gets a window of its proportions, so that the fit leaves no margin.
    const QSize fitted = wanted.width() > limit.width() || wanted.height() > limit.height()
                             ? wanted.scaled(limit, Qt::KeepAspectRatio)
                             : wanted;
    // Wide enough for the whole toolbar.
    const QSize bar = findChild<QToolBar*>()->sizeHint();
    const QSize viewport = fitted.expandedTo(kMinimumViewport).expandedTo({bar.width(), 0});
    resize(viewport.width(), viewport.height() + bar.height());
    mFitWhenShown = wanted.width() > viewport.width() || wanted.height() > viewport.height();
    Update();
    return true;
}

void frmViewer::showEvent(QShowEvent* e) {
    QMainWindow::showEvent(e);
    // The layout has given the control its size by now.
    if (mFitWhenShown) {
        mFitWhenShown = false;
        Run(BestFit);
    }
}

void frmViewer::resizeEvent(QResizeEvent* e) {
    // The layout has resized the control before this runs.
    QMainWindow::resizeEvent(e);
    if (mSizing == Sizing::Fit) Run(BestFit);
    if (mSizing == Sizing::Stretch) Run(Stretch);
}

void frmViewer::Run(Command c) {
    // The viewer lets running out of memory through (a zoom of a large picture); the window is
    // where it stops: it says so and stays usable at the size the viewer laid out.
    try {
        Apply(c);
    } catch (const std::bad_alloc&) {
        auto* box = new QMessageBox(QMessageBox::Warning, windowTitle(),
                                    tr("There is not enough memory to show the picture at this "
                                       "size."),
                                    QMessageBox::Ok, this);
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->open();
    }
    Update();
}

void frmViewer::Apply(Command c) {
    switch (c) {
        case ZoomIn:
            mViewer->z_ZoomIn();
            mSizing = Sizing::Ladder;
            break;
        case ZoomOut:
            mViewer->z_ZoomOut();
            mSizing = Sizing::Ladder;
            break;
        case PreviousZoom:
            mViewer->z_ZoomPrevious();
            mSizing = Sizing::Ladder;
            break;
        case ActualPixels:
            mViewer->z_ZoomActualPixels();
            mSizing = Sizing::Ladder;
            break;
        case BestFit:
            mViewer->BestFit();
            mSizing = Sizing::Fit;
            break;
        case Stretch:
            mViewer->z_Stretch();
            mSizing = Sizing::Stretch;
            break;
    }
}

QString frmViewer::ZoomText() const {
    if (!mViewer->Loaded()) return {};
    const QSize shown = mViewer->picScroll()->size();
    switch (mSizing) {
        case Sizing::Fit: {
            // The larger side gives the finer figure.
            const bool wide = mViewer->OriginalWidth() >= mViewer->OriginalHeight();
            const double ratio = wide ? shown.width() / double(mViewer->OriginalWidth())
                                      : shown.height() / double(mViewer->OriginalHeight());
            return QStringLiteral("Fit %1 %").arg(std::lround(ratio * 100));
        }
        case Sizing::Stretch:
            return QStringLiteral("Stretched");
        case Sizing::Ladder:
            break;
    }
    return QStringLiteral("%1 %").arg(mViewer->ZoomPercent().toInt());
}

void frmViewer::Update() {
    const bool loaded = mViewer->Loaded();
    const int level = mViewer->ZoomIndex();
    for (QAction* a : mActions) a->setEnabled(loaded);
    mActions[ZoomIn]->setEnabled(loaded && level < ScrollPicture::kZoomLevelCount - 1);
    mActions[ZoomOut]->setEnabled(loaded && level > 0);
    mZoom->setText(ZoomText());
}

void frmViewer::keyPressEvent(QKeyEvent* e) {
    Command c;
    switch (e->key()) {
        case Qt::Key_Plus:
        case Qt::Key_Equal:
            c = ZoomIn;
            break;
        case Qt::Key_Minus:
            c = ZoomOut;
            break;
        case Qt::Key_0:
            c = ActualPixels;
            break;
        case Qt::Key_F:
            c = BestFit;
            break;
        case Qt::Key_S:
            c = Stretch;
            break;
        case Qt::Key_Backspace:
            c = PreviousZoom;
            break;
        default:
            QMainWindow::keyPressEvent(e);
            return;
    }
    if ((e->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) != 0) {
        QMainWindow::keyPressEvent(e);
        return;
    }
    if (mActions[c]->isEnabled()) mActions[c]->trigger();
}
