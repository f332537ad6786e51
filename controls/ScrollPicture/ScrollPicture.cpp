// The picture viewer's properties, persistence, zoom ladder, redraw and viewport layout.
//
// Every picture PicScroll shows is drawn by RenderAtSize, whether a zoom or a change of back
// colour asks for it; the viewport layout is the one place that places PicScroll, picks its
// cursor and shows it. Sizes are 16-bit pixels from the zoom arithmetic on; a size with no
// 16-bit form is refused before anything changes. Unexpected failures (no memory for an image)
// are not caught here: they reach the caller with the wait cursor taken down and PicScroll
// shown again.

#include "controls/ScrollPicture/ScrollPicture.h"

#include <QGuiApplication>
#include <QPaintEvent>
#include <QPainter>
#include <cmath>

#include "controls/ScrollPicture/Support.h"
#include "platform/Units.h"
#include "platform/window/Window.h"

using platform::Colour;
using scrollpicture::AtEventLoopBoundary;
using scrollpicture::Size16;
using scrollpicture::StoreInt16;
using scrollpicture::ToSize16;

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
    // A picture with transparent pixels shows the new colour through them: compose it again and
    // redraw it at the size it is shown at, leaving the scroll position alone.
    if (Loaded() && PicLoaded->Translucent()) {
        PicLoaded->RecomposePicture();
        RenderAtSize(PicScroll->width(), PicScroll->height(), Placement::InPlace);
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
    PicScroll->SetPicture(picture);
    PicLoaded->SetPicture(picture);
    mOriginalWidth = float(PicScroll->width());
    mOriginalHeight = float(PicScroll->height());
    LayoutViewport();
    emit PropertyChanged(QStringLiteral("Picture"));
}

void ScrollPicture::LayoutViewport() {
    const int SW = width(), SH = height();
    const bool loaded = Loaded();
    // An extent with no 16-bit form (a viewport more than 32767 pixels wider than the picture)
    // leaves the value it had.
    StoreInt16(mScrollMaxX, loaded ? double(PicScroll->width()) - SW : 0.0);
    StoreInt16(mScrollMaxY, loaded ? double(PicScroll->height()) - SH : 0.0);
    if (loaded) {
        // Centred: a larger picture shows its middle, a smaller one sits in the middle of the
        // viewport with the background around it. Any earlier scroll position is dropped.
        StoreInt16(mScrollX, mScrollMaxX / 2.0);
        StoreInt16(mScrollY, mScrollMaxY / 2.0);
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
    if (const auto size = ToSize16(width(), height())) RenderAtSize(size->w, size->h);
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

void ScrollPicture::ZoomTo(int index) {
    // The size first: one that does not fit 16 bits leaves the level where it was, since
    // nothing is drawn at the new one.
    const auto size = ZoomSize(index);
    if (!size) return;
    mZoomIndex = std::int16_t(index);
    RenderAtSize(size->w, size->h);
}

std::optional<Size16> ScrollPicture::ZoomSize(int index) const {
    const float p = mZoomLevels[std::size_t(index)];
    return ToSize16(p * mOriginalWidth / 100.0f, p * mOriginalHeight / 100.0f);
}

std::optional<Size16> ScrollPicture::FittedSize() const {
    const float SW = float(width()), SH = float(height());
    if (mOriginalHeight == SH && mOriginalWidth == SW)
        return ToSize16(mOriginalWidth, mOriginalHeight);
    const float rH = SH / mOriginalHeight;
    const float rW = SW / mOriginalWidth;
    if (rW >= rH)  // the height is the tighter fit
        return ToSize16(std::floor(rH * mOriginalWidth), SH);
    return ToSize16(SW, std::floor(rW * mOriginalHeight));
}

// ---- Redraw ----
//
// A redraw, in order:
//   1. the hourglass goes up over the whole screen, for the whole redraw;
//   2. PicScroll is hidden and takes the size w x h (its image follows); a negative side is
//      refused and nothing is drawn;
//   3. the stretching copy draws the picture into PicScroll's image while nobody can see it;
//   4. if the copy failed, the picture falls back once to its own size at 100 %;
//   5. PicScroll is laid out centred (a new size, or the fallback's) or shown where it stood
//      (InPlace), and the hourglass comes down.
// Step 5 and the hourglass's end are taken however the redraw ends, also when an unexpected
// failure (no memory for the image) leaves it on its way to the caller.
void ScrollPicture::RenderAtSize(int w, int h, Placement placement) {
    const WaitCursor wait;
    const AtScopeExit shown([&] {
        if (placement == Placement::Centred) {
            LayoutViewport();
        } else {
            PicScroll->show();
        }
    });
    PicScroll->hide();
    if (!PicScroll->SetSize(w, h)) return;
    if (CopyPicture()) return;
    FallBackToActualPixels();
    placement = Placement::Centred;
}

void ScrollPicture::FallBackToActualPixels() {
    // What the image held before is never shown: it is blanked in the back colour first, and
    // stays so if the size at 100 % has no 16-bit form or its copy fails as well.
    PicScroll->FillImage();
    const auto actual = ZoomSize(kActualPixelsIndex);
    if (!actual) return;
    mZoomIndex = kActualPixelsIndex;
    if (PicScroll->SetSize(actual->w, actual->h) && !CopyPicture()) PicScroll->FillImage();
}

bool ScrollPicture::CopyPicture() {
    const platform::gdi::HDC dst = PicScroll->hDC();
    if (!dst) return true;
    return CopyStretched(dst, PicScroll->width(), PicScroll->height(), PicLoaded->hDC(),
                         std::int32_t(platform::RoundHalfEven(mOriginalWidth)),
                         std::int32_t(platform::RoundHalfEven(mOriginalHeight)));
}

bool ScrollPicture::CopyStretched(platform::gdi::HDC dst, std::int32_t dw, std::int32_t dh,
                                  platform::gdi::HDC src, std::int32_t sw, std::int32_t sh) {
    return platform::gdi::StretchBlt(dst, 0, 0, dw, dh, src, 0, 0, sw, sh,
                                     platform::gdi::SRCCOPY) != 0;
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
