// The viewer's picture boxes: a persistent image behind a device context, the picture assigned
// to it, the back colour and the cursor.
//
// The image's memory (mStore) outlives the sizes it serves; each size gets a BoundImage, the
// image of that size over the memory together with the DC that draws into it. A BoundImage
// cannot be assigned or moved, so nothing can put another image under its DC; a new size is a
// new BoundImage, and the old one deletes its DC as it goes. Sizes and positions are pixels.

#include <QPaintEvent>
#include <QPainter>
#include <cstring>
#include <memory>
#include <new>

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

class ScrollPictureBox::BoundImage {
public:
    // An RGB32 view of width x height pixels at `pixels`, which must outlive it.
    BoundImage(std::uint32_t* pixels, int width, int height)
        : mImage(reinterpret_cast<uchar*>(pixels), width, height, width * 4, QImage::Format_RGB32) {
        if (mImage.isNull()) throw std::bad_alloc();
        // The image is RGB32 already, so the DC draws into these very pixels.
        mDC = gdi::CreateImageDC(&mImage);
    }
    ~BoundImage() {
        if (mDC) gdi::DeleteDC(mDC);
    }
    BoundImage(const BoundImage&) = delete;
    BoundImage& operator=(const BoundImage&) = delete;

    QImage& image() { return mImage; }
    const QImage& image() const { return mImage; }
    gdi::HDC dc() const { return mDC; }

private:
    QImage mImage;
    gdi::HDC mDC;
};

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
    if (mPicture.IsNone() || !mImage || mImage->image().size() != mPicture.image().size()) return;
    QImage& image = mImage->image();
    if (!mTranslucent && mPicture.image().format() == QImage::Format_ARGB32) {
        // Opaque pixels: the picture's own bytes are the image's.
        const QImage& from = mPicture.image();
        const qsizetype n = qsizetype(from.width()) * 4;
        for (int y = 0; y < from.height(); ++y)
            std::memcpy(image.scanLine(y), from.constScanLine(y), std::size_t(n));
        return;
    }
    FillImage();
    QPainter p(&image);
    p.drawImage(0, 0, mPicture.image());
}

void ScrollPictureBox::SetBackColor(platform::Colour colour) {
    mBackColor = colour;
    update();
}

bool ScrollPictureBox::SetSize(int width, int height) {
    if (width < 0 || height < 0) return false;
    if (!mPicture.IsNone()) SetImageSize(width, height);
    resize(width, height);
    return true;
}

gdi::HDC ScrollPictureBox::hDC() const {
    return mImage ? mImage->dc() : gdi::HDC{};
}

QImage ScrollPictureBox::Snapshot() const {
    return mImage ? mImage->image().copy() : QImage();
}

QSize ScrollPictureBox::ImageSize() const {
    return mImage ? mImage->image().size() : QSize();
}

void ScrollPictureBox::FillImage() {
    if (mImage) mImage->image().fill(platform::ToQColor(mBackColor));
}

void ScrollPictureBox::SetImageSize(int width, int height) {
    if (mImage && mImage->image().size() == QSize(width, height)) return;
    const std::size_t need = std::size_t(width) * std::size_t(height);
    // The image of the old size goes first: its DC must not outlive the pixels under it.
    mImage.reset();
    if (need == 0) {
        ReleaseImage();
        return;
    }
    // Keep the memory when the new size fits, unless it would hold far more than is used.
    if (need > mCapacity || need * 4 < mCapacity) {
        mStore.reset();
        mCapacity = 0;
        // Not value-initialised: the pages are touched first by the drawing that follows.
        mStore.reset(new std::uint32_t[need]);
        mCapacity = need;
    }
    mImage = std::make_unique<BoundImage>(mStore.get(), width, height);
}

void ScrollPictureBox::ReleaseImage() {
    mImage.reset();
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
    const QRect shown = mImage ? e->rect() & mImage->image().rect() : QRect();
    if (!shown.isEmpty()) p.drawImage(shown.topLeft(), mImage->image(), shown);
    for (const QRect& r : e->region() - shown) p.fillRect(r, back);
}
