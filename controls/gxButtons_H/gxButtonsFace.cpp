// The button's drawing pipeline: the back buffer and its tools, the layout of caption and
// picture on the face, and one repaint. Every face is drawn into the back buffer and reaches
// the screen in one copy.

#include <QPaintEvent>
#include <QPainter>
#include <cmath>

#include "controls/gxButtons_H/gxButtons_H.h"

namespace gdi = platform::gdi;
using platform::Colour;

namespace {

// A face colour moved towards white (positive) or black (negative) by `amount` per channel.
Colour Shade(Colour c, int amount) {
    const auto ch = [&](int shift) {
        return std::clamp(int((c >> shift) & 0xFF) + amount, 0, 255);
    };
    return platform::Rgb(ch(0), ch(8), ch(16));
}

}  // namespace

// ---- Back buffer ----

void gxButtons_H::ManageBackBuffer(std::int16_t mode) {
    if (mode == -1) {
        if (!mBackDC) {
            mBackDC = gdi::CreateCompatibleDC(gdi::GetScreenDC());
            gdi::SetBkMode(mBackDC, gdi::TRANSPARENT);
            mInitialBrush = gdi::SelectObject(mBackDC, gdi::CreateSolidBrush(0));
            mInitialPen = gdi::SelectObject(mBackDC, gdi::CreatePen(gdi::PS_SOLID, 1, 0));
            mInitialBitmap = gdi::GetCurrentBitmap(mBackDC);
        }
        UpdateDrawingResources(QStringLiteral("Font"));
        if (!mBackBitmap) {
            mBackBitmap = gdi::CreateCompatibleBitmap(gdi::GetScreenDC(), std::max(width(), 1),
                                                      std::max(height(), 1));
            gdi::SelectObject(mBackDC, mBackBitmap);
        }
        return;
    }
    // Copy the buffer to the screen: at once while painting, else on the next paint.
    if (mPainting) return;
    mCopyPending = true;
    update();
}

void gxButtons_H::SelectTool(bool keep, gdi::HDC dc, int kind, Colour colour, bool alsoPen,
                             std::int32_t penWidth, int penStyle) {
    if (!keep) {
        // Put back the tools the buffer was created with.
        const gdi::HBRUSH brush = gdi::SelectObject(dc, mInitialBrush);
        if (brush != mInitialBrush) gdi::DeleteObject(brush);
        const gdi::HPEN pen = gdi::SelectObject(dc, mInitialPen);
        if (pen != mInitialPen) gdi::DeleteObject(pen);
        return;
    }
    if (kind == 0) {
        const gdi::HBRUSH old = gdi::SelectObject(dc, gdi::CreateSolidBrush(colour));
        if (old != mInitialBrush) gdi::DeleteObject(old);
        if (!alsoPen) return;
        kind = 1;
    }
    if (kind == 1) {
        const gdi::HPEN old = gdi::SelectObject(dc, gdi::CreatePen(penStyle, penWidth, colour));
        if (old != mInitialPen) gdi::DeleteObject(old);
    } else if (kind == 2) {
        gdi::SetTextColor(dc, gdi::ResolveColor(colour));
    }
}

void gxButtons_H::UpdateDrawingResources(const QString& what) {
    if (what == QLatin1String("Font")) {
        if (!mBackDC) return;
        const QFont f = font();
        gdi::LOGFONT lf;
        lf.lfHeight = gdi::FontHeightForPoints(f.pointSizeF());
        lf.lfWeight = f.weight();
        lf.lfItalic = f.italic();
        lf.lfUnderline = f.underline();
        lf.lfStrikeOut = f.strikeOut();
        lf.lfFaceName = f.family().left(32);
        const gdi::HFONT created = gdi::CreateFontIndirect(lf);
        const gdi::HFONT old = gdi::SelectObject(mBackDC, created);
        // The buffer's own first font is kept for termination; ours replace each other.
        if (!mFont)
            mInitialFont = old;
        else
            gdi::DeleteObject(old);
        mFont = created;
    } else if (what == QLatin1String("Picture")) {
        mFacePicture = {};
        if (mPicture.IsNone()) {
            mPictureWidth = mPictureHeight = 0;
            return;
        }
        mPictureIsIcon = mPicture.kind() == platform::Picture::Kind::Icon ||
                         mPicture.kind() == platform::Picture::Kind::Cursor;
        mPictureWidth = mPicture.Width();
        mPictureHeight = mPicture.Height();
    } else if (what == QLatin1String("BackColor")) {
        mFaceColor = platform::Resolve(mBackColor);
        mHoverFaceColor = platform::Resolve(mHoverBackColor);
    }
}

void gxButtons_H::ReleaseDrawingResources() {
    if (!mBackDC) return;
    SelectTool(false, mBackDC, 0, 0, false, 0, 0);
    if (mFont) {
        gdi::SelectObject(mBackDC, mInitialFont);
        gdi::DeleteObject(mFont);
        mFont = {};
    }
    if (mBackBitmap) {
        gdi::SelectObject(mBackDC, mInitialBitmap);
        gdi::DeleteObject(mBackBitmap);
        mBackBitmap = {};
    }
    gdi::DeleteDC(mBackDC);
    mBackDC = {};
    mFacePicture = {};
}

// The rectangular face: the whole width is usable.
void gxButtons_H::RebuildShape() {
    mLeftInset = 0;
    mRightLimit = width();
}

// ---- Layout ----

void gxButtons_H::FitPicture(std::int32_t boxWidth, std::int32_t boxHeight, std::int32_t& fitW,
                             std::int32_t& fitH) const {
    const double sx = double(boxWidth) / mPictureWidth, sy = double(boxHeight) / mPictureHeight;
    const double s = sx <= sy ? sx : sy;
    fitW = std::int32_t(std::nearbyint(mPictureWidth * s));
    fitH = std::int32_t(std::nearbyint(mPictureHeight * s));
}

QString gxButtons_H::CaptionText() const {
    QString text = mCaption;
    text.replace(QLatin1String("||"), QLatin1String("\r\n"));
    return text;
}

void gxButtons_H::LayoutFace(bool& reprocessPicture) {
    if (!mBackDC) ManageBackBuffer(-1);
    const std::int32_t SW = width(), SH = height();

    // 1. The horizontal band the shape leaves for caption and picture.
    std::int32_t bandLeft = 0, bandWidth = mRightLimit, limit = SW;
    switch (mButtonShape) {
        case 1:
            bandLeft = mLeftInset - mLeftInset / 3 + 3;
            bandWidth = SW - bandLeft;
            break;
        case 2:
            limit = bandWidth = (SW - mRightLimit) / 3 + mRightLimit;
            break;
        case 3:
            bandLeft = mLeftInset - mLeftInset / 3 + 3;
            limit = (SW - mRightLimit) / 3 + mRightLimit;
            bandWidth = limit - bandLeft;
            break;
        case 7:
        case 8:
            bandLeft = 3;
            limit = bandWidth = mRightLimit - 3;
            break;
        default:
            break;
    }

    // 2. A picture slot of up to 32 pixels on one side.
    const bool hasPicture = mPictureWidth + mPictureHeight > 0;
    std::int32_t S = 0, padLeft = 0, padRight = 0, padTop = 0, padBottom = 0;
    bool horizontal = false, vertical = false;
    if (hasPicture && mPictureSizePx <= 32) {
        S = mPictureSizePx;
        switch (mPictureAlign) {
            case 0:
            case 1:
                padLeft = S;
                horizontal = true;
                break;
            case 2:
            case 3:
                padRight = S;
                horizontal = true;
                break;
            case 4:
                padTop = S;
                vertical = true;
                break;
            case 5:
                padBottom = S;
                vertical = true;
                break;
            default:
                break;
        }
    }

    // 3. Measure the caption with word breaks.
    gdi::RECT cap;
    std::int32_t textW = 0, textH = 0;
    if (!mCaption.isEmpty()) {
        cap.right = bandWidth - (horizontal ? S : 0) - 8;
        cap.bottom = SH - 8 - (mPictureAlign > 3 && vertical ? S : 0);
        gdi::DrawText(mBackDC, CaptionText(), &cap, gdi::DT_CALCRECT | gdi::DT_WORDBREAK);
        if (mCaptionStyle != 0) {
            cap.right += 2;
            cap.bottom += 2;
        }
        textW = cap.Width();
        textH = cap.Height();
    }

    // 4. Horizontal caption position.
    std::int32_t dx = 0;
    switch (mCaptionAlign) {
        case 0:
            dx = bandLeft + padLeft + 4 + (padLeft >= 1 ? 4 : 0);
            break;
        case 1:
            dx = limit - padRight - textW - 4 - (padRight >= 1 ? 4 : 0);
            break;
        case 2:
            if (padLeft > 0 && mPictureAlign == 1)
                dx = padLeft + bandLeft + (bandWidth - (textW + padLeft + 4)) / 2 + 4;
            else if (padRight > 0 && mPictureAlign == 3)
                dx = bandLeft + (bandWidth - (textW + padRight + 4)) / 2;
            else
                dx = padLeft + bandLeft + (bandWidth - padLeft - padRight - textW) / 2;
            break;
        default:
            break;
    }
    cap.left += dx;
    cap.right += dx;

    // 5. and 6. Vertical positions and the picture rectangle.
    limit -= 4;
    const auto moveCaptionDown = [&cap](std::int32_t dy) {
        cap.top += dy;
        cap.bottom += dy;
    };
    gdi::RECT pic;
    if (!hasPicture) {
        moveCaptionDown((SH - textH) / 2);
    } else {
        switch (mPictureAlign) {
            case 0:
                pic.left = bandLeft + 4;
                break;
            case 1:
                pic.left = mCaption.isEmpty() ? bandLeft + 4 : cap.left - padLeft - 4;
                break;
            case 2:
                pic.left = limit - padRight;
                break;
            case 3:
                pic.left = mCaption.isEmpty() ? limit - padRight : cap.right + 4;
                break;
            default:
                break;
        }
        if (mPictureAlign == 4) {
            const std::int32_t t = (SH - (textH + padTop)) / 2;
            pic.top = t;
            moveCaptionDown(t + padTop + 2);
        } else if (mPictureAlign == 5) {
            const std::int32_t t = (SH - (textH + padBottom)) / 2;
            pic.top = textH + t + 4;
            moveCaptionDown(t + 2);
        }
        if (mPictureAlign >= 4) {
            pic.left = bandLeft + (bandWidth - mPictureSizePx) / 2;
        } else {
            moveCaptionDown((SH - textH) / 2);
            pic.top = (SH - mPictureSizePx) / 2;
        }
        pic.right = pic.left + mPictureSizePx;
        pic.bottom = pic.top + mPictureSizePx;
    }

    // 7. Keep the caption on the face.
    const auto clampToFace = [&](gdi::RECT& r) {
        r.top = std::max(r.top, 4);
        r.left = std::max(r.left, bandLeft + 4);
        r.right = std::min(r.right, limit);
        r.bottom = std::min(r.bottom, SH - 5);
    };
    clampToFace(cap);
    mCaptionRect = cap;

    // 8. The picture rectangle by picture size.
    if (mPictureSizePx <= 32) {
        clampToFace(pic);
    } else if (mPictureSizePx == 40) {
        const std::int32_t m = mButtonShape == 6 ? 1 : 3;
        pic = {m, m, SW - m, SH - m};
        reprocessPicture = true;
    } else if (mButtonShape == 7 || mButtonShape == 8) {
        pic = {0, 0, SW, SH};
    } else if (hasPicture) {
        std::int32_t fitW = 0, fitH = 0;
        FitPicture(bandWidth - 12, SH - 12, fitW, fitH);
        pic.left = bandLeft + (bandWidth - fitW) / 2;
        pic.right = pic.left + fitW;
        pic.top = (SH - fitH) / 2;
        pic.bottom = pic.top + fitH;
        reprocessPicture = true;
    }
    mPictureRect = pic;

    // 9. A new drawn size needs a new drawable picture.
    if (reprocessPicture) PreparePicture(pic.Width(), pic.Height());
}

// ---- Picture ----

// The picture at its drawn size; for a bitmap the colour of pixel (0, 0) and colours within 3
// of it per channel are transparent. Icons keep their own mask.
void gxButtons_H::PreparePicture(std::int32_t w, std::int32_t h) {
    mFacePicture = {};
    if (mPicture.IsNone() || w <= 0 || h <= 0) return;
    QImage img = mPicture.image()
                     .scaled(w, h, Qt::IgnoreAspectRatio, Qt::FastTransformation)
                     .convertToFormat(QImage::Format_ARGB32);
    if (!mPictureIsIcon) {
        const QRgb key = img.pixel(0, 0);
        const auto near = [](int a, int b) { return std::abs(a - b) <= 3; };
        for (int y = 0; y < img.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
            for (int x = 0; x < img.width(); ++x) {
                const QRgb p = line[x];
                if (near(qRed(p), qRed(key)) && near(qGreen(p), qGreen(key)) &&
                    near(qBlue(p), qBlue(key)))
                    line[x] = 0;
            }
        }
    }
    mFacePicture = img;
}

// ---- One repaint ----

void gxButtons_H::RedrawButton() {
    if (mDelayDrawing) return;
    if (!mBackDC || !mBackBitmap) ManageBackBuffer(-1);
    if (ApplyCustomClickOffset()) return;  // the move repaints
    DrawPlainFace();
    ++mRedrawCount;
    ManageBackBuffer(0);
}

// A plain face until the face styles take over: the back colour (hover, pressed and checked
// shades), a one-pixel bevel, the picture, the caption and the focus rectangle.
void gxButtons_H::DrawPlainFace() {
    const std::int32_t SW = width(), SH = height();
    const bool pressed = (mStateFlags & (kHeld | kHoverLook)) == (kHeld | kHoverLook);
    const bool down = pressed || (mMode != 0 && (mValue || mHeldDown));
    const bool hover = (mStateFlags & kHoverLook) && !pressed && isEnabled();
    Colour face = hover ? mHoverFaceColor : mFaceColor;
    if (mMode != 0 && mValue) face = platform::Rgb(223, 224, 224);

    SelectTool(true, mBackDC, 0, face, false, 1, gdi::PS_SOLID);
    gdi::PatBlt(mBackDC, 0, 0, SW, SH, gdi::PATCOPY);

    // Bevel: light top and left, dark bottom and right; the other way round while down.
    const Colour light = Shade(face, 60), dark = Shade(face, -90);
    const gdi::POINT topLeft[] = {{0, SH - 1}, {0, 0}, {SW - 1, 0}};
    const gdi::POINT bottomRight[] = {{SW - 1, 0}, {SW - 1, SH - 1}, {-1, SH - 1}};
    SelectTool(true, mBackDC, 1, down ? dark : light, false, 1, gdi::PS_SOLID);
    gdi::Polyline(mBackDC, topLeft, 3);
    SelectTool(true, mBackDC, 1, down ? light : dark, false, 1, gdi::PS_SOLID);
    gdi::Polyline(mBackDC, bottomRight, 3);

    const std::int32_t shift = down ? 1 : 0;
    if (mPictureWidth + mPictureHeight > 0) {
        const gdi::RECT& p = mPictureRect;
        if (mFacePicture.isNull() || mFacePicture.width() != p.Width() ||
            mFacePicture.height() != p.Height())
            PreparePicture(p.Width(), p.Height());
        if (!mFacePicture.isNull()) {
            QImage shown = mFacePicture;
            if (!isEnabled())
                shown = shown.convertToFormat(QImage::Format_Grayscale8)
                            .convertToFormat(QImage::Format_ARGB32);
            if (!isEnabled())
                shown.setAlphaChannel(mFacePicture.convertToFormat(QImage::Format_Alpha8));
            gdi::DrawIconEx(mBackDC, p.left + shift, p.top + shift, shown, p.Width(), p.Height());
        }
    }

    if (!mCaption.isEmpty()) {
        gdi::RECT r = mCaptionRect;
        r.left += shift;
        r.right += shift;
        r.top += shift;
        r.bottom += shift;
        const std::uint32_t align = mCaptionAlign == 0   ? gdi::DT_LEFT
                                    : mCaptionAlign == 1 ? gdi::DT_RIGHT
                                                         : gdi::DT_CENTER;
        if (!isEnabled()) {
            SelectTool(true, mBackDC, 2, platform::Rgb(255, 255, 255), false, 0, 0);
            gdi::RECT white = r;
            white.left += 1;
            white.right += 1;
            white.top += 1;
            white.bottom += 1;
            gdi::DrawText(mBackDC, CaptionText(), &white, align | gdi::DT_WORDBREAK);
            SelectTool(true, mBackDC, 2, platform::Rgb(128, 128, 128), false, 0, 0);
        } else {
            SelectTool(true, mBackDC, 2, hover ? mHoverForeColor : mForeColor, false, 0, 0);
        }
        gdi::DrawText(mBackDC, CaptionText(), &r, align | gdi::DT_WORDBREAK);
    }

    if (mStateFlags & kFocusLook)
        gdi::DrawFocusRect(mBackDC, {mLeftInset + 4, 4, mRightLimit - 4, SH - 4});
}

// ---- Paint and resize ----

void gxButtons_H::paintEvent(QPaintEvent*) {
    if (!mCopyPending || mDelayDrawing) {
        // The platform asks for a paint: draw the face anew.
        mDelayDrawing = false;
        mPainting = true;
        RedrawButton();
        mPainting = false;
    }
    mCopyPending = false;
    gdi::BITMAP bm;
    if (!gdi::GetObject(mBackBitmap, &bm) || !bm.bmBits) return;
    const QImage buffer(static_cast<const uchar*>(bm.bmBits), bm.bmWidth, bm.bmHeight,
                        bm.bmWidthBytes, QImage::Format_RGB32);
    QPainter(this).drawImage(0, 0, buffer);
}

void gxButtons_H::resizeEvent(QResizeEvent*) {
    UserControl_Resize();
}

void gxButtons_H::UserControl_Resize() {
    if (mBackDC && mBackBitmap) {
        gdi::SelectObject(mBackDC, mInitialBitmap);
        gdi::DeleteObject(mBackBitmap);
        mBackBitmap = {};
    }
    ManageBackBuffer(-1);
    if (mDelayDrawing) return;
    RebuildShape();
    bool reprocess = false;
    LayoutFace(reprocess);
    RedrawButton();
}
