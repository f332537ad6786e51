// The picture viewer's properties, persistence, zoom ladder, redraw and viewport layout.
//
// Every new size of PicScroll is drawn by RenderAtSize, whether a zoom or a change of back colour
// asks for it; the viewport layout is the one place that places PicScroll, picks its cursor and
// shows it. A size beyond the largest widget is refused before anything changes. Unexpected
// failures (no memory for an image) are not caught here: they reach the caller with the wait cursor
// taken down and PicScroll shown again.

#include "controls/ScrollPicture/ScrollPicture.h"

#include <QGuiApplication>
#include <QPaintEvent>
#include <QPainter>
#include <algorithm>
#include <climits>
#include <cmath>

#include "controls/ScrollPicture/Support.h"
#include "platform/Units.h"
#include "platform/window/Window.h"

using platform::Colour;
using scrollpicture::AtEventLoopBoundary;
using scrollpicture::Size32;
using scrollpicture::ToSize;

namespace {

// Where the two hand cursors point: between the fingers' tips and the knuckles.
constexpr QPoint kHandHotspot{12, 5};

platform::Picture HandCursor(const char* file) {
    const QString path = QStringLiteral(":/controls/ScrollPicture/") + QLatin1String(file);
    const QImage image(path);
    if (image.isNull()) return {};
    return platform::Picture(image.convertToFormat(QImage::Format_ARGB32),
                             platform::Picture::Kind::Cursor, path, kHandHotspot);
}

// The hourglass over the whole screen for as long as it lives, taken down however the scope is
// left.
class WaitCursor {
public:
    WaitCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QGuiApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

// Runs `last` when the scope is left, normally or by an exception. `last` must not throw.
template <class F>
class AtScopeExit {
public:
    explicit AtScopeExit(F last) : mLast(std::move(last)) {}
    ~AtScopeExit() { mLast(); }
    AtScopeExit(const AtScopeExit&) = delete;
    AtScopeExit& operator=(const AtScopeExit&) = delete;

private:
    F mLast;
};

}  // namespace

// ---- Lifetime ----

ScrollPicture::ScrollPicture(QWidget* parent) : QWidget(parent) {
    InitZoomLevels();
    // The control paints its background itself; PicScroll paints all of its own pixels.
    setAttribute(Qt::WA_OpaquePaintEvent);
    PicLoaded = new ScrollPictureBox(this);
    PicLoaded->hide();
    PicScroll = new ScrollPictureBox(this);
    PicScroll->move(0, 0);
    PicScroll->installEventFilter(this);
    cGrab = HandCursor("grab.png");
    cRelease = HandCursor("release.png");
    PicScroll->SetMouseIcon(cRelease);
    ApplyBackColor(mBackColor);
    resize(320, 240);
}

ScrollPicture::~ScrollPicture() {
    // The boxes release their images and device contexts as they go; no event is raised.
    PicScroll->removeEventFilter(this);
}

void ScrollPicture::InitZoomLevels() {
    mZoomLevels = {5, 10, 20, 30, 40, 50, 60, 70, 80, 90, 100, 125, 150, 175, 200};
    mZoomIndex = kActualPixelsIndex;
}

// ---- Properties ----

void ScrollPicture::ApplyBackColor(Colour colour) {
    mBackColor = colour;
    PicScroll->SetBackColor(colour);
    PicLoaded->SetBackColor(colour);
    update();
}

void ScrollPicture::SetBackColor(Colour New_BackColor) {
    ApplyBackColor(New_BackColor);
    // A picture with transparent pixels shows the new colour through them: redraw it over the
    // colour at the size it is shown at, leaving the scroll position alone.
    if (Loaded() && PicLoaded->Translucent()) {
        RenderAtSize(PicScroll->width(), PicScroll->height(), PicScroll->ScaledSize(),
                     QPoint(mScrollX, mScrollY));
    }
    emit PropertyChanged(QStringLiteral("BackColor"));
}

bool ScrollPicture::Enabled() const {
    return !testAttribute(Qt::WA_ForceDisabled);
}

void ScrollPicture::SetEnabled(bool New_Enabled) {
    setEnabled(New_Enabled);
    emit PropertyChanged(QStringLiteral("Enabled"));
}

const platform::Picture& ScrollPicture::Picture() const {
    return PicScroll->Picture();
}

void ScrollPicture::SetPicture(const platform::Picture& New_Picture) {
    LoadPicture(New_Picture);
}

QVariant ScrollPicture::ZoomPercent() const {
    return QVariant::fromValue<qint16>(mZoomLevels[std::size_t(mZoomIndex)]);
}

bool ScrollPicture::Loaded() const {
    return !PicScroll->Picture().IsNone();
}

// ---- Persistence ----

void ScrollPicture::InitProperties() {
    SetBackColor(platform::kButtonFace);
}

void ScrollPicture::ReadProperties(const platform::forms::PropertyBag& bag) {
    // One read serves the control and PicScroll, which ApplyBackColor keeps in one colour: a
    // value that is no colour is reported once, and both keep the default.
    ApplyBackColor(bag.ReadColour("BackColor", platform::kButtonFace));
    setEnabled(bag.ReadBool("Enabled", true));
    LoadPicture(bag.ReadPicture("Picture"));
}

void ScrollPicture::WriteProperties(platform::forms::PropertyBag& bag) const {
    // The same key twice, PicScroll's colour and then the control's: every path that sets one
    // sets the other, so both writes store one value.
    bag.WriteColour("BackColor", PicScroll->BackColor(), platform::kButtonFace);
    bag.WriteColour("BackColor", mBackColor, platform::kButtonFace);
    bag.WriteBool("Enabled", Enabled(), true);
    bag.WritePicture("Picture", Picture());
}

// ---- Loading and layout ----

void ScrollPicture::LoadPicture(const platform::Picture& picture) {
    PicScroll->hide();
    const qreal ratio = DevicePixelRatio();
    mRatio = ratio > 0 ? ratio : 1.0;
    PicScroll->SetPicture(picture, mRatio);
    PicLoaded->SetPicture(picture, mRatio);
    // In logical pixels: at a ratio above 1 the box is the picture's size rounded up.
    mOriginalWidth = picture.IsNone() || mRatio == 1.0 ? float(PicScroll->width())
                                                       : float(picture.Width() / mRatio);
    mOriginalHeight = picture.IsNone() || mRatio == 1.0 ? float(PicScroll->height())
                                                        : float(picture.Height() / mRatio);
    LayoutViewport();
    emit PropertyChanged(QStringLiteral("Picture"));
}

QPoint ScrollPicture::PlannedScroll(QSize box, std::optional<QPoint> wanted) const {
    // Centred unless asked otherwise: a larger picture shows its middle, a smaller one sits in
    // the middle of the viewport with the background around it. A wanted offset holds only on
    // an axis where the picture is larger than the viewport, within 0..max.
    const auto axis = [](int side, int view, std::optional<int> want) {
        const std::int64_t max = std::int64_t(side) - view;
        if (want && side > view) return int(std::clamp<std::int64_t>(*want, 0, max));
        return int(platform::RoundHalfEven(double(max) / 2.0));
    };
    return QPoint(
        axis(box.width(), width(), wanted ? std::optional<int>(wanted->x()) : std::nullopt),
        axis(box.height(), height(), wanted ? std::optional<int>(wanted->y()) : std::nullopt));
}

void ScrollPicture::LayoutViewport(std::optional<QPoint> wanted) {
    const int SW = width(), SH = height();
    const bool loaded = Loaded();
    mScrollMaxX = loaded ? PicScroll->width() - SW : 0;
    mScrollMaxY = loaded ? PicScroll->height() - SH : 0;
    if (loaded) {
        const QPoint scroll = PlannedScroll(PicScroll->size(), wanted);
        mScrollX = scroll.x();
        mScrollY = scroll.y();
        PicScroll->move(-mScrollX, -mScrollY);
    } else {
        // The empty box covers the viewport in the back colour (a widget's sides are never
        // negative, so the box takes the size).
        mScrollX = mScrollY = 0;
        PicScroll->move(0, 0);
        PicScroll->SetSize(SW, SH);
    }
    // The open hand says the picture can be moved; it can only when it is larger.
    if (PicScroll->width() > SW || PicScroll->height() > SH) {
        PicScroll->SetMouseIcon(cRelease);
        PicScroll->SetMousePointer(99);
    } else {
        PicScroll->SetMousePointer(0);
    }
    PicScroll->show();
}

void ScrollPicture::resizeEvent(QResizeEvent*) {
    AtEventLoopBoundary("resize", [this] { LayoutViewport(); });
}

void ScrollPicture::showEvent(QShowEvent*) {
    AtEventLoopBoundary("show", [this] { LayoutViewport(); });
}

void ScrollPicture::paintEvent(QPaintEvent* e) {
    QPainter p(this);
    const QColor back = platform::ToQColor(mBackColor);
    for (const QRect& r : e->region()) p.fillRect(r, back);
}

// ---- Zoom ----

void ScrollPicture::Clear() {
    LoadPicture(platform::Picture());
}

void ScrollPicture::BestFit() {
    if (!Loaded()) return;
    if (const auto size = FittedSize()) RenderAtSize(size->w, size->h);
}

void ScrollPicture::z_Stretch() {
    if (!Loaded()) return;
    if (const auto size = ToSize(width(), height())) RenderAtSize(size->w, size->h);
}

void ScrollPicture::z_ZoomIn() {
    if (!Loaded() || mZoomIndex >= kZoomLevelCount - 1) return;
    ZoomTo(mZoomIndex + 1);
}

void ScrollPicture::z_ZoomOut() {
    if (!Loaded() || mZoomIndex <= 0) return;
    ZoomTo(mZoomIndex - 1);
}

void ScrollPicture::z_ZoomPrevious() {
    if (!Loaded()) return;
    ZoomTo(mZoomIndex);
}

void ScrollPicture::z_ZoomActualPixels() {
    if (!Loaded()) return;
    ZoomTo(kActualPixelsIndex);
}

void ScrollPicture::ZoomInAt(QPoint anchor) {
    if (!Loaded() || mZoomIndex >= kZoomLevelCount - 1) return;
    ZoomAbout(mZoomIndex + 1, anchor);
}

void ScrollPicture::ZoomOutAt(QPoint anchor) {
    if (!Loaded() || mZoomIndex <= 0) return;
    ZoomAbout(mZoomIndex - 1, anchor);
}

void ScrollPicture::ZoomAbout(int index, QPoint anchor) {
    const auto size = ZoomSize(index);
    if (!size) return;
    // The point under the anchor as a fraction of the picture, found again at the new size.
    const QSize before = PicScroll->size();
    const auto at = [](int offset, int side, int next) {
        const double fraction = side > 0 ? double(offset) / side : 0.5;
        return int(std::clamp(std::round(fraction * next), double(INT_MIN), double(INT_MAX)));
    };
    const int x = at(anchor.x() + mScrollX, before.width(), size->w) - anchor.x();
    const int y = at(anchor.y() + mScrollY, before.height(), size->h) - anchor.y();
    ZoomTo(index, QPoint(x, y));
}

void ScrollPicture::ZoomTo(int index, std::optional<QPoint> wanted) {
    // The size first: one beyond the largest widget leaves the level where it was, since
    // nothing is drawn at the new one.
    const auto size = ZoomSize(index);
    if (!size) return;
    mZoomIndex = std::int16_t(index);
    RenderAtSize(size->w, size->h, ScaledZoomSize(index, *size), wanted);
}

std::optional<Size32> ScrollPicture::ZoomSize(int index) const {
    const float p = mZoomLevels[std::size_t(index)];
    auto size = ToSize(p * mOriginalWidth / 100.0f, p * mOriginalHeight / 100.0f);
    // A picture never shrinks to nothing: a side of it stays at least one pixel.
    if (size) {
        size->w = std::max(size->w, mOriginalWidth > 0 ? 1 : 0);
        size->h = std::max(size->h, mOriginalHeight > 0 ? 1 : 0);
    }
    return size;
}

QSize ScrollPicture::ScaledZoomSize(int index, Size32 shown) const {
    if (mRatio == 1.0) return QSize(shown.w, shown.h);
    // In device pixels from the picture's own size, so that 100 % is exactly one picture pixel
    // per device pixel.
    const double p = mZoomLevels[std::size_t(index)];
    const QSize picture = PictureSize();
    return QSize(std::max(1, int(platform::RoundHalfEven(p * picture.width() / 100.0))),
                 std::max(1, int(platform::RoundHalfEven(p * picture.height() / 100.0))));
}

std::optional<Size32> ScrollPicture::FittedSize() const {
    const float SW = float(width()), SH = float(height());
    if (mOriginalHeight == SH && mOriginalWidth == SW)
        return ToSize(mOriginalWidth, mOriginalHeight);
    const float rH = SH / mOriginalHeight;
    const float rW = SW / mOriginalWidth;
    // A very long picture still fits to a visible line: at least one pixel on each side.
    if (rW >= rH)  // the height is the tighter fit
        return ToSize(std::max(1.0f, std::floor(rH * mOriginalWidth)), SH);
    return ToSize(SW, std::max(1.0f, std::floor(rW * mOriginalHeight)));
}

// ---- Panning ----

void ScrollPicture::ScrollBy(int dx, int dy) {
    MoveTo(std::int64_t(mScrollX) + dx, std::int64_t(mScrollY) + dy);
}

void ScrollPicture::ScrollTo(int x, int y) {
    MoveTo(x, y);
}

void ScrollPicture::MoveTo(std::int64_t x, std::int64_t y) {
    if (!Loaded()) return;
    if (PicScroll->width() > width())
        mScrollX = std::int32_t(std::clamp<std::int64_t>(x, 0, mScrollMaxX));
    if (PicScroll->height() > height())
        mScrollY = std::int32_t(std::clamp<std::int64_t>(y, 0, mScrollMaxY));
    PicScroll->move(-mScrollX, -mScrollY);
}

// ---- Frames ----

QSize ScrollPicture::PictureSize() const {
    return Loaded() ? PicLoaded->Picture().image().size() : QSize();
}

void ScrollPicture::ReplaceFrame(const platform::Picture& frame) {
    if (!Loaded() || frame.IsNone() || frame.image().size() != PictureSize()) return;
    PicLoaded->ReplacePicture(frame);
    PicScroll->ReplacePicture(frame);
}

// ---- Redraw ----
//
// A redraw, in order:
//   1. the hourglass goes up over the whole screen, for the whole redraw;
//   2. PicScroll is hidden and takes the size w x h; a negative side is refused and nothing is
//      drawn;
//   3. the scaled copy draws the part of the picture that will show into PicScroll's cache
//      while nobody can see it;
//   4. if the copy failed, the picture falls back once to its own size at 100 %;
//   5. PicScroll is laid out (centred, or at the wanted offsets; the fallback centres it), and
//      the hourglass comes down.
// Step 5 and the hourglass's end are taken however the redraw ends, also when an unexpected
// failure (no memory for the cache) leaves it on its way to the caller.
void ScrollPicture::RenderAtSize(int w, int h, QSize scaled, std::optional<QPoint> wanted) {
    const WaitCursor wait;
    const AtScopeExit shown([&] { LayoutViewport(wanted); });
    PicScroll->hide();
    if (!PicScroll->SetSize(w, h, scaled)) return;
    if (CopyPicture(wanted)) return;
    wanted.reset();
    FallBackToActualPixels();
}

void ScrollPicture::FallBackToActualPixels() {
    // What the box showed before is never shown: it is blank in the back colour first, and
    // stays so if the size at 100 % is refused or its copy fails as well.
    PicScroll->SetDrawn(false);
    const auto actual = ZoomSize(kActualPixelsIndex);
    if (!actual) return;
    mZoomIndex = kActualPixelsIndex;
    if (PicScroll->SetSize(actual->w, actual->h, ScaledZoomSize(kActualPixelsIndex, *actual)) &&
        !CopyPicture(std::nullopt))
        PicScroll->SetDrawn(false);
}

bool ScrollPicture::CopyPicture(std::optional<QPoint> wanted) {
    const QRect part = QRect(PlannedScroll(PicScroll->size(), wanted), size());
    const QPoint origin = PicScroll->AllocateCache(part);
    QImage& tile = PicScroll->Cache();
    if (tile.isNull()) return true;
    // Blank until the copy is done: a copy that runs out of memory leaves no stale pixels.
    PicScroll->SetDrawn(false);
    const bool copied =
        CopyStretched(tile, origin, PicScroll->ScaledSize(), PicLoaded->DrawingSource());
    PicScroll->SetDrawn(copied);
    return copied;
}

bool ScrollPicture::CopyStretched(QImage& tile, QPoint origin, QSize size,
                                  const scrollpicture::Source& source) {
    scrollpicture::DrawScaled(tile, origin, size, source);
    return true;
}

// ---- About ----

void ScrollPicture::about() {
    platform::window::MsgBoxInfo(
        this,
        QStringLiteral("ScrollPicture, the Quillmere picture viewer\n"
                       "Version 2.0\n"
                       "\n"
                       "Drag the picture with the left mouse button to move it.\n"
                       "Zoom from 5 % to 200 %, fit it to the view or stretch it.\n"
                       "\n"
                       "Written by the Quillmere developers."),
        QStringLiteral("About ScrollPicture"));
}
