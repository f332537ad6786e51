// The viewer's picture boxes: a persistent image behind a device context, the picture assigned
// to it, the back colour and the cursor.

#include <QPaintEvent>
#include <QPainter>
#include <cstring>
#include <new>
#include <stdexcept>

#include "controls/ScrollPicture/ScrollPicture.h"

namespace gdi = platform::gdi;

namespace {

bool HasTranslucentPixels(const QImage& image) {
    if (!image.hasAlphaChannel()) return false;
    const QImage argb = image.format() == QImage::Format_ARGB32 ||
                                image.format() == QImage::Format_ARGB32_Premultiplied
                            ? image
                            : image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < argb.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
        for (int x = 0; x < argb.width(); ++x)
            if (qAlpha(row[x]) != 255) return true;
    }
    return false;
}

}  // namespace

ScrollPictureBox::ScrollPictureBox(QWidget* parent) : QWidget(parent) {
    // The box paints every pixel of itself.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

ScrollPictureBox::~ScrollPictureBox() {
    ReleaseImage();
}

void ScrollPictureBox::SetPicture(const platform::Picture& picture) {
    mPicture = picture;
    if (picture.IsNone()) {
        mTranslucent = false;
        ReleaseImage();
        update();
        return;
    }
    mTranslucent = HasTranslucentPixels(picture.image());
    SetImageSize(picture.Width(), picture.Height());
    RecomposePicture();
    resize(picture.Width(), picture.Height());
    update();
}

void ScrollPictureBox::RecomposePicture() {
    if (mPicture.IsNone() || mImage.size() != mPicture.image().size()) return;
    if (!mTranslucent && mPicture.image().format() == QImage::Format_ARGB32) {
        // Opaque pixels: the picture's own bytes are the image's.
        const QImage& from = mPicture.image();
        const qsizetype n = qsizetype(from.width()) * 4;
        for (int y = 0; y < from.height(); ++y)
            std::memcpy(mImage.scanLine(y), from.constScanLine(y), std::size_t(n));
        return;
    }
    FillImage();
    QPainter p(&mImage);
    p.drawImage(0, 0, mPicture.image());
}

void ScrollPictureBox::SetBackColor(platform::Colour colour) {
    mBackColor = colour;
    update();
}

void ScrollPictureBox::SetSize(int width, int height) {
    if (width < 0 || height < 0) throw std::invalid_argument("Invalid property value");
    if (!mPicture.IsNone()) SetImageSize(width, height);
    resize(width, height);
}

void ScrollPictureBox::FillImage() {
    if (!mImage.isNull()) mImage.fill(platform::ToQColor(mBackColor));
}

void ScrollPictureBox::SetImageSize(int width, int height) {
    if (!mImage.isNull() && mImage.width() == width && mImage.height() == height) return;
    const std::size_t need = std::size_t(width) * std::size_t(height);
    if (need == 0) {
        ReleaseImage();
        return;
    }
    // Keep the memory when the new size fits, unless it would hold far more than is used.
    if (need > mCapacity || need * 4 < mCapacity) {
        mImage = QImage();
        mStore.reset();
        mCapacity = 0;
        // Not value-initialised: the pages are touched first by the drawing that follows.
        mStore.reset(new std::uint32_t[need]);
        mCapacity = need;
    }
    mImage = QImage(reinterpret_cast<uchar*>(mStore.get()), width, height, width * 4,
                    QImage::Format_RGB32);
    if (mImage.isNull()) throw std::bad_alloc();
    // The device context draws into mImage wherever its pixels are now.
    if (!mDC) mDC = gdi::CreateImageDC(&mImage);
}

void ScrollPictureBox::ReleaseImage() {
    if (mDC) gdi::DeleteDC(mDC);
    mDC = {};
    mImage = QImage();
    mStore.reset();
    mCapacity = 0;
}

void ScrollPictureBox::SetMousePointer(int pointer) {
    mMousePointer = pointer;
    ApplyCursor();
}

void ScrollPictureBox::SetMouseIcon(const platform::Picture& icon) {
    mMouseIcon = icon;
    ApplyCursor();
}

void ScrollPictureBox::ApplyCursor() {
    if (mMousePointer == 99 && !mMouseIcon.IsNone()) {
        setCursor(QCursor(QPixmap::fromImage(mMouseIcon.image()), mMouseIcon.hotspot().x(),
                          mMouseIcon.hotspot().y()));
    } else {
        unsetCursor();
    }
}

void ScrollPictureBox::paintEvent(QPaintEvent* e) {
    QPainter p(this);
    const QColor back = platform::ToQColor(mBackColor);
    const QRect shown = e->rect() & mImage.rect();
    if (!shown.isEmpty()) p.drawImage(shown.topLeft(), mImage, shown);
    for (const QRect& r : e->region() - shown) p.fillRect(r, back);
}
