#include "controls/gxButtons_H/gxButtons_H.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

using platform::Colour;
using platform::kButtonFace;
using platform::kButtonText;
using platform::ToQColor;

gxButtons_H::gxButtons_H(QWidget* parent) : QWidget(parent) {
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_Hover);
}

void gxButtons_H::SetCaption(const QString& caption) {
    mCaption = caption;
    update();
}

void gxButtons_H::InitProperties() {
    mCaption = objectName();
    mCaptionAlign = 2;
    mShowFocusRect = true;
    mHoverForeColor = kButtonText;
    mHoverBackColor = kButtonFace;
    mBackColor = kButtonFace;
}

void gxButtons_H::ReadProperties(const platform::forms::PropertyBag& bag) {
    const Colour parentBack = platform::forms::AmbientOf(this).BackColor;
    mCaption = bag.ReadString("Caption");
    mCaptionAlign = bag.ReadInt("CapAlign", 2);
    mButtonStyle = bag.ReadInt("BackStyle", 0);
    mButtonShape = bag.ReadInt("Shape", 0);
    mGradientMode = bag.ReadInt("Gradient", 0);
    mGradientColor = bag.ReadColour("cGradient", kButtonFace);
    mForeColor = bag.ReadColour("cFore", kButtonText);
    mShowFocusRect = bag.ReadBool("Focus", true);
    mMode = bag.ReadInt("Mode", 0);
    mValue = bag.ReadBool("Value", false);
    mCustomClick = bag.ReadInt("CustomClick", 0);
    mPicture = bag.ReadPicture("Image");
    mPictureSizePx = bag.ReadInt("ImgSize", 16);
    mPictureAlign = bag.ReadInt("ImgAlign", 0);
    mHoverForeColor = bag.ReadColour("cFHover", kButtonText);
    setEnabled(bag.ReadBool("Enabled", true));
    mBackColor = bag.ReadColour("cBack", parentBack);
    mHoverBackColor = bag.ReadColour("cBHover", mBackColor);
    mHoverColorLocks = bag.ReadInt("LockHover", 0);
    mCaptionStyle = bag.ReadInt("CapStyle", 0);
    mMouseIcon = bag.ReadPicture("mIcon");
    mMousePointer = bag.ReadInt("mPointer", 0);
    if (bag.Contains("Font")) setFont(bag.ReadFont("Font", font()));
    PrepareFacePicture();
    update();
}

void gxButtons_H::WriteProperties(platform::forms::PropertyBag& bag) const {
    bag.WriteString("Caption", mCaption);
    bag.WriteInt("CapAlign", mCaptionAlign, 2);
    bag.WriteInt("BackStyle", mButtonStyle, 0);
    bag.WriteInt("Shape", mButtonShape, 0);
    bag.WriteFontAlways("Font", font());
    bag.WriteColour("cFore", mForeColor, kButtonText);
    bag.WriteColour("cFHover", mHoverForeColor, kButtonText);
    bag.WriteColour("cBhover", mHoverBackColor, mBackColor);
    bag.WriteBool("Focus", mShowFocusRect, true);
    bag.WriteInt("LockHover", mHoverColorLocks, 0);
    bag.WriteColour("cGradient", mGradientColor, kButtonFace);
    bag.WriteInt("Gradient", mGradientMode, 0);
    bag.WriteInt("CapStyle", mCaptionStyle, 0);
    bag.WriteIntAlways("Mode", mMode);
    bag.WriteBoolAlways("Value", mValue);
    bag.WriteInt("CustomClick", mCustomClick, 0);
    bag.WriteInt("ImgAlign", mPictureAlign, 0);
    bag.WritePicture("Image", mPicture);
    bag.WriteInt("ImgSize", mPictureSizePx, 16);
    bag.WriteBool("Enabled", isEnabled(), true);
    bag.WriteColourAlways("cBack", mBackColor);
    bag.WriteInt("mPointer", mMousePointer, 0);
    bag.WritePicture("mIcon", mMouseIcon);
}

void gxButtons_H::PrepareFacePicture() {
    mFacePicture = {};
    if (mPicture.IsNone()) return;
    QImage img = mPicture.image().convertToFormat(QImage::Format_ARGB32);
    if (mPicture.kind() == platform::Picture::Kind::Bitmap) {
        // The colour of pixel (0, 0) is the picture's transparent colour.
        const QRgb key = img.pixel(0, 0);
        if (qAlpha(key) == 255) {
            for (int y = 0; y < img.height(); ++y) {
                auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
                for (int x = 0; x < img.width(); ++x)
                    if (line[x] == key) line[x] = 0;
            }
        }
    }
    const int size = mPictureSizePx > 0 ? mPictureSizePx : 16;
    if (img.width() != size || img.height() != size)
        img = img.scaled(size, size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    mFacePicture = img;
}

void gxButtons_H::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const bool pressed = (mHeldDown && mHovering) || (mMode != 0 && mValue);
    const QColor back = ToQColor(mHovering && isEnabled() ? mHoverBackColor : mBackColor);
    p.fillRect(rect(), back);
    // Raised edge, or sunken while pressed.
    const QColor light = back.lighter(135), dark = back.darker(160);
    const QRect r = rect().adjusted(0, 0, -1, -1);
    p.setPen(pressed ? dark : light);
    p.drawLine(r.topLeft(), r.topRight());
    p.drawLine(r.topLeft(), r.bottomLeft());
    p.setPen(pressed ? light : dark);
    p.drawLine(r.bottomLeft(), r.bottomRight());
    p.drawLine(r.topRight(), r.bottomRight());

    const int shift = pressed ? 1 : 0;
    QRect content = rect().adjusted(4 + shift, 3 + shift, -4 + shift, -3 + shift);
    if (!mFacePicture.isNull()) {
        const QSize ps = mFacePicture.size();
        QPoint at;
        switch (mPictureAlign) {
            case 2:
            case 3:
                at = QPoint(content.right() - ps.width() + 1,
                            content.top() + (content.height() - ps.height()) / 2);
                content.setRight(at.x() - 4);
                break;
            case 4:
                at = QPoint(content.left() + (content.width() - ps.width()) / 2, content.top());
                content.setTop(at.y() + ps.height() + 2);
                break;
            case 5:
                at = QPoint(content.left() + (content.width() - ps.width()) / 2,
                            content.bottom() - ps.height() + 1);
                content.setBottom(at.y() - 2);
                break;
            default:
                at = QPoint(content.left(), content.top() + (content.height() - ps.height()) / 2);
                content.setLeft(at.x() + ps.width() + 4);
        }
        p.drawImage(at, mFacePicture);
    }
    QString text = mCaption;
    text.replace(QLatin1String("||"), QLatin1String("\n"));
    const Qt::Alignment h = mCaptionAlign == 0   ? Qt::AlignLeft
                            : mCaptionAlign == 1 ? Qt::AlignRight
                                                 : Qt::AlignHCenter;
    p.setPen(isEnabled() ? ToQColor(mHovering ? mHoverForeColor : mForeColor)
                         : ToQColor(0x80000011u));
    p.drawText(content, int(h | Qt::AlignVCenter | Qt::TextWordWrap | Qt::TextShowMnemonic), text);
    if (hasFocus() && mShowFocusRect) {
        QPen pen(Qt::black, 1, Qt::DotLine);
        p.setPen(pen);
        p.drawRect(rect().adjusted(3, 3, -4, -4));
    }
}

void gxButtons_H::mousePressEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton) return;
    mHeldDown = true;
    mHovering = true;
    setFocus(Qt::MouseFocusReason);
    update();
}

void gxButtons_H::mouseReleaseEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton || !mHeldDown) return;
    mHeldDown = false;
    update();
    if (rect().contains(e->pos())) {
        if (mMode == 1) mValue = !mValue;
        if (mMode == 2) mValue = true;
        emit Click();
    }
}

void gxButtons_H::keyPressEvent(QKeyEvent* e) {
    if (e->key() == Qt::Key_Space && !e->isAutoRepeat()) {
        mHeldDown = true;
        mHovering = true;
        update();
        return;
    }
    if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) {
        emit Click();
        return;
    }
    QWidget::keyPressEvent(e);
}

void gxButtons_H::keyReleaseEvent(QKeyEvent* e) {
    if (e->key() == Qt::Key_Space && !e->isAutoRepeat() && mHeldDown) {
        mHeldDown = false;
        mHovering = underMouse();
        update();
        emit Click();
        return;
    }
    QWidget::keyReleaseEvent(e);
}

void gxButtons_H::enterEvent(QEnterEvent*) {
    mHovering = true;
    update();
}

void gxButtons_H::leaveEvent(QEvent*) {
    mHovering = false;
    update();
}
