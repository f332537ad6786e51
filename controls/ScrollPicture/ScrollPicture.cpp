// The picture viewer's properties, persistence, zoom ladder, redraw and viewport layout.

#include "controls/ScrollPicture/ScrollPicture.h"

#include <QGuiApplication>
#include <QPaintEvent>
#include <QPainter>
#include <cmath>

#include "controls/ScrollPicture/Steps.h"
#include "platform/Units.h"
#include "platform/window/Window.h"

using platform::Colour;
using scrollpicture::Step;
using scrollpicture::ToInt16;

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
// left. Nested ones stack, so the fallback redraw inside a redraw leaves the outer one's in place.
class WaitCursor {
public:
    WaitCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QGuiApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
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
    Step([&] { ApplyBackColor(New_BackColor); });
    // A picture with transparent pixels shows the new colour through them: compose it again and
    // copy it at the size it is shown at, leaving the scroll position alone.
    if (Loaded() && PicLoaded->Translucent()) {
        Step([&] {
            PicLoaded->RecomposePicture();
            if (PicScroll->hDC())
                CopyStretched(PicScroll->hDC(), PicScroll->width(), PicScroll->height(),
                              PicLoaded->hDC(),
                              std::int32_t(platform::RoundHalfEven(mOriginalWidth)),
                              std::int32_t(platform::RoundHalfEven(mOriginalHeight)));
            PicScroll->update();
        });
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
    Step([&] { PicScroll->hide(); });
    Step([&] { PicScroll->SetPicture(picture); });
    Step([&] { PicLoaded->SetPicture(picture); });
    mOriginalWidth = float(PicScroll->width());
    mOriginalHeight = float(PicScroll->height());
    LayoutViewport();
    emit PropertyChanged(QStringLiteral("Picture"));
}

void ScrollPicture::LayoutViewport() {
    const int SW = width(), SH = height();
    const bool loaded = Loaded();
    Step([&] { mScrollMaxX = loaded ? ToInt16(double(PicScroll->width()) - SW) : 0; });
    Step([&] { mScrollMaxY = loaded ? ToInt16(double(PicScroll->height()) - SH) : 0; });
    if (loaded) {
        // Centred: a larger picture shows its middle, a smaller one sits in the middle of the
        // viewport with the background around it. Any earlier scroll position is dropped.
        Step([&] { mScrollX = ToInt16(mScrollMaxX / 2.0); });
        Step([&] { mScrollY = ToInt16(mScrollMaxY / 2.0); });
        PicScroll->move(-mScrollX, -mScrollY);
    } else {
        // The empty box covers the viewport in the back colour.
        mScrollX = mScrollY = 0;
        PicScroll->move(0, 0);
        Step([&] { PicScroll->SetSize(SW, SH); });
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
    LayoutViewport();
}

void ScrollPicture::showEvent(QShowEvent*) {
    LayoutViewport();
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
    Step([&] {
        const float SW = float(width()), SH = float(height());
        std::int16_t w = 0, h = 0;
        if (mOriginalHeight == SH && mOriginalWidth == SW) {
            w = ToInt16(mOriginalWidth);
            h = ToInt16(mOriginalHeight);
        } else {
            const float rH = SH / mOriginalHeight;
            const float rW = SW / mOriginalWidth;
            if (rW >= rH) {  // the height is the tighter fit
                const float fitted = rH * mOriginalWidth;
                h = ToInt16(SH);
                w = ToInt16(std::floor(fitted));
            } else {
                const float fitted = rW * mOriginalHeight;
                w = ToInt16(SW);
                h = ToInt16(std::floor(fitted));
            }
        }
        RenderAtSize(w, h);
    });
}

void ScrollPicture::z_Stretch() {
    if (!Loaded()) return;
    Step([&] { RenderAtSize(ToInt16(width()), ToInt16(height())); });
}

void ScrollPicture::z_ZoomIn() {
    if (!Loaded() || mZoomIndex >= kZoomLevelCount - 1) return;
    Step([&] { ZoomTo(mZoomIndex + 1); });
}

void ScrollPicture::z_ZoomOut() {
    if (!Loaded() || mZoomIndex <= 0) return;
    Step([&] { ZoomTo(mZoomIndex - 1); });
}

void ScrollPicture::z_ZoomPrevious() {
    if (!Loaded()) return;
    Step([&] { ZoomTo(mZoomIndex); });
}

void ScrollPicture::z_ZoomActualPixels() {
    if (!Loaded()) return;
    Step([&] { ZoomTo(kActualPixelsIndex); });
}

void ScrollPicture::ZoomTo(int index) {
    // The sizes first: one that does not fit 16 bits leaves the level where it was, since
    // nothing is drawn at the new one.
    const float p = mZoomLevels[std::size_t(index)];
    const std::int16_t w = ToInt16(p * mOriginalWidth / 100.0f);
    const std::int16_t h = ToInt16(p * mOriginalHeight / 100.0f);
    mZoomIndex = std::int16_t(index);
    RenderAtSize(w, h);
}

void ScrollPicture::RenderAtSize(std::int16_t w, std::int16_t h) {
    const WaitCursor wait;
    try {
        PicScroll->hide();
        PicScroll->SetSize(w, h);
    } catch (const std::exception&) {
        // The box comes back at whatever size it has; the caller hears of the failure.
        LayoutViewport();
        throw;
    }
    // The copy goes into the hidden box: nobody sees a half-drawn picture.
    bool copied = w == 0 || h == 0;  // nothing to draw
    if (!copied) {
        Step([&] {
            copied = CopyStretched(PicScroll->hDC(), w, h, PicLoaded->hDC(),
                                   std::int32_t(platform::RoundHalfEven(mOriginalWidth)),
                                   std::int32_t(platform::RoundHalfEven(mOriginalHeight)));
        });
    }
    if (!copied) {
        // Never show what the image held before; then one try at the picture's own size. If
        // that copy fails as well, the box stays in the back colour.
        Step([&] { PicScroll->FillImage(); });
        if (!mFallingBack) {
            mFallingBack = true;
            z_ZoomActualPixels();
            mFallingBack = false;
        }
    }
    LayoutViewport();
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
