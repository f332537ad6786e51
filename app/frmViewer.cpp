#include "app/frmViewer.h"

#include <QAction>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImageReader>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QMimeData>
#include <QMovie>
#include <QScreen>
#include <QToolBar>
#include <QWheelEvent>
#include <algorithm>
#include <climits>
#include <cmath>
#include <new>

#include "controls/ScrollPicture/ScrollPicture.h"
#include "platform/Picture.h"

namespace {

// The window's first size keeps to this part of the screen, and to at least a usable minimum.
constexpr double kScreenShare = 0.85;
const QSize kMinimumViewport(360, 240);
// A wheel's notch, in eighths of a degree.
constexpr int kWheelNotch = 120;

const QString kTitle = QStringLiteral("Quillmere picture viewer");

// The suffixes the image reader knows, as name patterns: "*.png".
QStringList PicturePatterns() {
    QStringList patterns;
    for (const QByteArray& format : QImageReader::supportedImageFormats())
        patterns << QStringLiteral("*.") + QString::fromLatin1(format);
    return patterns;
}

// Name order as a person reads it: capitals or not, and a run of digits by its value ("photo 9"
// before "photo 10"). Negative, zero or positive as for QString::compare.
int CompareNames(const QString& a, const QString& b) {
    qsizetype i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        if (a[i].isDigit() && b[j].isDigit()) {
            qsizetype ei = i, ej = j;
            while (ei < a.size() && a[ei].isDigit()) ++ei;
            while (ej < b.size() && b[ej].isDigit()) ++ej;
            // Leading zeros aside, the longer run is the larger number.
            const QStringView da = QStringView(a).mid(i, ei - i),
                              db = QStringView(b).mid(j, ej - j);
            qsizetype za = 0, zb = 0;
            while (za + 1 < da.size() && da[za] == u'0') ++za;
            while (zb + 1 < db.size() && db[zb] == u'0') ++zb;
            const QStringView na = da.mid(za), nb = db.mid(zb);
            if (na.size() != nb.size()) return na.size() < nb.size() ? -1 : 1;
            if (const int c = na.compare(nb)) return c;
            i = ei;
            j = ej;
            continue;
        }
        const QChar ca = a[i].toCaseFolded(), cb = b[j].toCaseFolded();
        if (ca != cb) return ca < cb ? -1 : 1;
        ++i;
        ++j;
    }
    return (a.size() - i > 0) - (b.size() - j > 0);
}

// The first local file among dragged or dropped data; empty when there is none.
QString DroppedFile(const QMimeData* data) {
    if (!data || !data->hasUrls()) return {};
    for (const QUrl& url : data->urls())
        if (url.isLocalFile()) return url.toLocalFile();
    return {};
}

}  // namespace

frmViewer::frmViewer(QWidget* parent) : QMainWindow(parent) {
    setWindowTitle(kTitle);
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
        {OpenFile, "Open", "Ctrl+O"},
        {PreviousPicture, "Previous picture", "Ctrl+Left"},
        {NextPicture, "Next picture", "Ctrl+Right"},
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
        // Arrows on the buttons keep the toolbar narrow enough for a small window.
        if (c.command == PreviousPicture) a->setIconText(QStringLiteral("\u25C0"));
        if (c.command == NextPicture) {
            a->setIconText(QStringLiteral("\u25B6"));
            bar->addSeparator();
        }
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
    setAcceptDrops(true);
    Update();
}

frmViewer::~frmViewer() = default;

bool frmViewer::Open(const QString& file, QString* error) {
    platform::Picture picture;
    try {
        picture = platform::Picture::Load(file);
    } catch (const platform::PictureError& e) {
        *error = QString::fromUtf8(e.what());
        return false;
    } catch (const std::bad_alloc&) {
        *error = QStringLiteral("%1: there is not enough memory to read the picture").arg(file);
        return false;
    }
    StopAnimation();
    try {
        Present(picture, QFileInfo(file).fileName());
    } catch (const std::bad_alloc&) {
        *error = QStringLiteral("%1: there is not enough memory to show the picture").arg(file);
        mViewer->Clear();
        mFile.clear();
        ListFolder();
        Update();
        return false;
    }
    mFile = file;
    ListFolder();
    StartAnimation(file);
    Update();
    return true;
}

bool frmViewer::OpenPicture(const platform::Picture& picture, const QString& name) {
    if (picture.IsNone()) return false;
    StopAnimation();
    Present(picture, name);
    mFile.clear();
    mFolder.clear();
    mFolderIndex = -1;
    Update();
    return true;
}

void frmViewer::Present(const platform::Picture& picture, const QString& name) {
    mViewer->SetPicture(picture);
    mSizing = Sizing::Ladder;
    mName = name;

    // At 100 % a picture pixel is a device pixel: the window's sizes are in logical pixels.
    const qreal ratio = devicePixelRatioF();
    const QSize wanted(std::max(1, int(std::ceil(picture.Width() / ratio))),
                       std::max(1, int(std::ceil(picture.Height() / ratio))));
    if (isVisible()) {
        // A window on screen keeps its size (stepping through a folder would make it jump): the
        // picture is fitted to it when larger, else shown at 100 %.
        if (wanted.width() > mViewer->width() || wanted.height() > mViewer->height())
            Apply(BestFit);
        else if (mViewer->ZoomIndex() != ScrollPicture::kActualPixelsIndex)
            Apply(ActualPixels);
        return;
    }
    if (mViewer->ZoomIndex() != ScrollPicture::kActualPixelsIndex) Apply(ActualPixels);

    // The window opens at the picture's own size within a share of the screen; a picture larger
    // than that is fitted once the window has its size.
    QSize limit(1024, 768);
    if (const QScreen* s = QGuiApplication::primaryScreen()) {
        const QSize room = s->availableGeometry().size() * kScreenShare;
        limit = limit.boundedTo(room).expandedTo(kMinimumViewport);
    }
    // A larger picture gets a window of its proportions, so that the fit leaves no margin.
    const QSize fitted = wanted.width() > limit.width() || wanted.height() > limit.height()
                             ? wanted.scaled(limit, Qt::KeepAspectRatio)
                             : wanted;
    // Wide enough for the whole toolbar.
    const QSize bar = findChild<QToolBar*>()->sizeHint();
    const QSize viewport = fitted.expandedTo(kMinimumViewport).expandedTo({bar.width(), 0});
    resize(viewport.width(), viewport.height() + bar.height());
    mFitWhenShown = wanted.width() > viewport.width() || wanted.height() > viewport.height();
}

void frmViewer::OpenAsked(const QString& file) {
    QString error;
    if (!Open(file, &error)) Complain(error);
}

void frmViewer::Complain(const QString& text) {
    auto* box = new QMessageBox(QMessageBox::Warning, kTitle, text, QMessageBox::Ok, this);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

void frmViewer::ChooseFile() {
    const QString folder = mFile.isEmpty() ? QDir::homePath() : QFileInfo(mFile).path();
    auto* dialog = new QFileDialog(this, tr("Open a picture"), folder);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setFileMode(QFileDialog::ExistingFile);
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    dialog->setNameFilters(
        {tr("Pictures (%1)").arg(PicturePatterns().join(QLatin1Char(' '))), tr("All files (*)")});
    connect(dialog, &QFileDialog::fileSelected, this, &frmViewer::OpenAsked);
    dialog->open();
}

void frmViewer::ListFolder() {
    mFolder.clear();
    mFolderIndex = -1;
    if (mFile.isEmpty()) return;
    const QFileInfo shown(mFile);
    QDir dir = shown.dir();
    dir.setNameFilters(PicturePatterns());
    dir.setFilter(QDir::Files | QDir::Readable);
    QStringList names = dir.entryList();
    const auto before = [](const QString& a, const QString& b) {
        const int c = CompareNames(a, b);
        return c != 0 ? c < 0 : a < b;
    };
    std::sort(names.begin(), names.end(), before);
    // The shown file has its place even when its name does not look like a picture's.
    const QString name = shown.fileName();
    auto at = std::lower_bound(names.begin(), names.end(), name, before);
    if (at == names.end() || *at != name) at = names.insert(at, name);
    mFolderIndex = at - names.begin();
    for (const QString& n : names) mFolder << dir.filePath(n);
}

void frmViewer::Step(int direction) {
    // The folder as it is now: files come and go while a picture is shown.
    ListFolder();
    if (mFolderIndex < 0) return;
    QString error;
    for (qsizetype i = mFolderIndex + direction; i >= 0 && i < mFolder.size(); i += direction) {
        QString why;
        if (Open(mFolder[i], &why)) return;
        if (error.isEmpty()) error = why;
    }
    if (!error.isEmpty()) Complain(error);
}

bool frmViewer::AnimationPaused() const {
    return mMovie && mMovie->state() == QMovie::Paused;
}

int frmViewer::FrameNumber() const {
    return mMovie ? mMovie->currentFrameNumber() : 0;
}

void frmViewer::StartAnimation(const QString& file) {
    {
        // A picture of one frame is not played; a count the format does not know (0) is.
        QImageReader probe(file);
        if (!probe.supportsAnimation() || probe.imageCount() == 1) return;
    }
    mMovie = new QMovie(file, QByteArray(), this);
    mMovie->setCacheMode(QMovie::CacheNone);
    if (!mMovie->isValid()) {
        StopAnimation();
        return;
    }
    connect(mMovie, &QMovie::frameChanged, this, &frmViewer::ShowFrame);
    mMovie->start();
}

void frmViewer::StopAnimation() {
    delete mMovie;
    mMovie = nullptr;
}

void frmViewer::ShowFrame() {
    QImage frame = mMovie->currentImage();
    frame.convertTo(QImage::Format_ARGB32);
    try {
        mViewer->ReplaceFrame(
            platform::Picture(std::move(frame), platform::Picture::Kind::Bitmap, mFile));
    } catch (const std::bad_alloc&) {
        // The picture stays at the frame it shows.
        mMovie->stop();
    }
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
    switch (c) {
        case OpenFile:
            ChooseFile();
            return;
        case PreviousPicture:
            Step(-1);
            return;
        case NextPicture:
            Step(+1);
            return;
        default:
            break;
    }
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
        case OpenFile:
        case PreviousPicture:
        case NextPicture:
        case kCommandCount:
            break;
    }
}

QString frmViewer::ZoomText() const {
    if (!mViewer->Loaded()) return {};
    switch (mSizing) {
        case Sizing::Fit: {
            // In device pixels; the larger side gives the finer figure.
            const QSize shown = mViewer->picScroll()->size() * devicePixelRatioF();
            const QSize picture = mViewer->PictureSize();
            const bool wide = picture.width() >= picture.height();
            const double ratio = wide ? shown.width() / double(picture.width())
                                      : shown.height() / double(picture.height());
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
    for (Command c : {ZoomIn, ZoomOut, PreviousZoom, ActualPixels, BestFit, Stretch})
        mActions[c]->setEnabled(loaded);
    mActions[ZoomIn]->setEnabled(loaded && level < ScrollPicture::kZoomLevelCount - 1);
    mActions[ZoomOut]->setEnabled(loaded && level > 0);
    mActions[PreviousPicture]->setEnabled(mFolderIndex > 0);
    mActions[NextPicture]->setEnabled(mFolderIndex >= 0 && mFolderIndex < mFolder.size() - 1);
    const QString zoom = ZoomText();
    mZoom->setText(zoom);
    if (!loaded) {
        setWindowTitle(kTitle);
        return;
    }
    const QSize size = mViewer->PictureSize();
    setWindowTitle(QStringLiteral("%1 - %2 x %3 - %4 - %5")
                       .arg(mName)
                       .arg(size.width())
                       .arg(size.height())
                       .arg(zoom, kTitle));
}

void frmViewer::Pan(int dx, int dy) {
    if (mViewer->Loaded()) mViewer->ScrollBy(dx, dy);
}

void frmViewer::ZoomAt(Command c, QPoint anchor) {
    if (!mActions[c]->isEnabled()) return;
    try {
        if (c == ZoomIn)
            mViewer->ZoomInAt(anchor);
        else
            mViewer->ZoomOutAt(anchor);
        mSizing = Sizing::Ladder;
    } catch (const std::bad_alloc&) {
        Complain(tr("There is not enough memory to show the picture at this size."));
    }
    Update();
}

void frmViewer::wheelEvent(QWheelEvent* e) {
    if (!mViewer->Loaded()) {
        QMainWindow::wheelEvent(e);
        return;
    }
    e->accept();
    if (e->modifiers() & Qt::ControlModifier) {
        // A fine wheel sends parts of a notch; a step is taken for each whole one.
        mWheelZoom += e->angleDelta().y();
        const QPoint anchor = mViewer->mapFrom(this, e->position().toPoint());
        for (; mWheelZoom >= kWheelNotch; mWheelZoom -= kWheelNotch) ZoomAt(ZoomIn, anchor);
        for (; mWheelZoom <= -kWheelNotch; mWheelZoom += kWheelNotch) ZoomAt(ZoomOut, anchor);
        return;
    }
    // Shift turns the wheel sideways where the system has not done so already.
    const bool sideways = (e->modifiers() & Qt::ShiftModifier) != 0;
    const auto turn = [sideways](QPoint d) {
        return sideways && d.x() == 0 ? QPoint(d.y(), 0) : d;
    };
    // A touchpad gives pixels; a wheel gives notches, each a tenth of the viewport.
    QPoint delta = turn(e->pixelDelta());
    if (delta.isNull()) {
        const QPoint notches = turn(e->angleDelta());
        delta =
            QPoint(int(qint64(notches.x()) * std::max(1, mViewer->width() / 10) / kWheelNotch),
                   int(qint64(notches.y()) * std::max(1, mViewer->height() / 10) / kWheelNotch));
    }
    // Turning the wheel away shows what is above.
    Pan(-delta.x(), -delta.y());
}

void frmViewer::dragEnterEvent(QDragEnterEvent* e) {
    if (!DroppedFile(e->mimeData()).isEmpty()) e->acceptProposedAction();
}

void frmViewer::dropEvent(QDropEvent* e) {
    const QString file = DroppedFile(e->mimeData());
    if (file.isEmpty()) return;
    e->acceptProposedAction();
    OpenAsked(file);
}

void frmViewer::keyPressEvent(QKeyEvent* e) {
    const Qt::KeyboardModifiers held =
        e->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    if (held == Qt::ControlModifier) {
        const Command c = e->key() == Qt::Key_O       ? OpenFile
                          : e->key() == Qt::Key_Left  ? PreviousPicture
                          : e->key() == Qt::Key_Right ? NextPicture
                                                      : kCommandCount;
        if (c == kCommandCount)
            QMainWindow::keyPressEvent(e);
        else if (mActions[c]->isEnabled())
            mActions[c]->trigger();
        return;
    }
    if (held != Qt::NoModifier) {
        QMainWindow::keyPressEvent(e);
        return;
    }
    const int stepX = std::max(1, mViewer->width() / 10);
    const int stepY = std::max(1, mViewer->height() / 10);
    Command c;
    switch (e->key()) {
        case Qt::Key_Left:
            return Pan(-stepX, 0);
        case Qt::Key_Right:
            return Pan(stepX, 0);
        case Qt::Key_Up:
            return Pan(0, -stepY);
        case Qt::Key_Down:
            return Pan(0, stepY);
        case Qt::Key_PageUp:
            return Pan(0, -mViewer->height());
        case Qt::Key_PageDown:
            return Pan(0, mViewer->height());
        case Qt::Key_Home:
            if (mViewer->Loaded()) mViewer->ScrollTo(0, 0);
            return;
        case Qt::Key_End:
            if (mViewer->Loaded()) mViewer->ScrollTo(INT_MAX, INT_MAX);
            return;
        case Qt::Key_P:
            if (mMovie) mMovie->setPaused(mMovie->state() == QMovie::Running);
            return;
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
    if (mActions[c]->isEnabled()) mActions[c]->trigger();
}
