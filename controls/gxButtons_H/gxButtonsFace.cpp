// The button's drawing pipeline: the back buffer and its tools, the layout of caption and
// picture on the face, the shape regions, and one repaint.
//
// Every face is drawn into the back buffer (device pixels, drawn in the control's pixels through
// the buffer's scale) and reaches the screen in one copy, in paintEvent. The button owns the
// buffer, its bitmap, font, brushes and pens, and the shape regions; all are released with it.
//
// A repaint runs in steps with names of their own: the buffer is renewed for the control's size
// (RenewBackBuffer), the control is fitted to its shape and the regions built (RebuildShape), the
// face is laid out (LayoutFace), drawn (DrawFace) and its copy to the screen scheduled
// (ScheduleCopyToScreen). A resize runs all of them; RedrawButton runs the last two, and the
// first three as well when it finds the buffer no longer fits the control.

#include <QPaintEvent>
#include <QPainter>
#include <cmath>
#include <cstdio>

#include "controls/gxButtons_H/gxButtons_H.h"

namespace gdi = platform::gdi;
using platform::Colour;

// ---- Back buffer ----

void gxButtons_H::MakeBackBuffer() {
    if (!mBackDC) {
        mBackDC = gdi::CreateCompatibleDC(gdi::GetScreenDC());
        gdi::SetBkMode(mBackDC, gdi::TRANSPARENT);
        // A black brush and pen to start with; the buffer's own are kept for the end.
        mBrushTool = {true, 0, 0, 0};
        mPenTool = {true, 0, 1, gdi::PS_SOLID};
        mBrushes.items.emplace_back(mBrushTool, gdi::CreateSolidBrush(0));
        mPens.items.emplace_back(mPenTool, gdi::CreatePen(gdi::PS_SOLID, 1, 0));
        mInitialBrush = gdi::SelectObject(mBackDC, mBrushes.items.back().second);
        mInitialPen = gdi::SelectObject(mBackDC, mPens.items.back().second);
        mInitialBitmap = gdi::GetCurrentBitmap(mBackDC);
    }
    UpdateDrawingResources(QStringLiteral("Font"));
    if (!mBackBitmap) {
        // The buffer holds device pixels; everything drawn into it is in the control's
        // pixels, which the DC's scale maps.
        const QSize device = BackBufferSize();
        mBackBitmap =
            gdi::CreateCompatibleBitmap(gdi::GetScreenDC(), device.width(), device.height());
        if (!mBackBitmap) {
            // The raster layer refuses a side beyond 32767 pixels. The control then draws
            // nothing, and says so once for as long as the size stays out of reach.
            if (!mBufferRefused) {
                std::fprintf(stderr,
                             "quillmere: %s: cannot draw at %d x %d device pixels, beyond what "
                             "the screen can draw; the button is left blank\n",
                             qPrintable(objectName().isEmpty() ? QStringLiteral("gxButtons_H")
                                                               : objectName()),
                             device.width(), device.height());
                mBufferRefused = true;
            }
            return;
        }
        mBufferRefused = false;
        gdi::SelectObject(mBackDC, mBackBitmap);
        gdi::SetDeviceScale(mBackDC, DeviceRatio());
    }
}

bool gxButtons_H::RenewBackBuffer() {
    if (mBackDC && mBackBitmap) {
        gdi::SelectObject(mBackDC, mInitialBitmap);
        gdi::DeleteObject(mBackBitmap);
        mBackBitmap = {};
    }
    MakeBackBuffer();
    return bool(mBackBitmap);
}

bool gxButtons_H::BackBufferFits() const {
    return mBackDC && mBackBitmap && gdi::SurfaceSize(mBackDC) == BackBufferSize() &&
           gdi::GetDeviceScale(mBackDC) == DeviceRatio();
}

void gxButtons_H::ScheduleCopyToScreen() {
    // Inside paintEvent the copy follows there, after the face is drawn.
    if (mPainting) return;
    mCopyPending = true;
    update();
}

void gxButtons_H::SelectTool(bool keep, gdi::HDC dc, int kind, Colour colour, bool alsoPen,
                             std::int32_t penWidth, int penStyle) {
    if (!keep) {
        // Put back the tools the buffer was created with; the ones made since go.
        gdi::SelectObject(dc, mInitialBrush);
        gdi::SelectObject(dc, mInitialPen);
        for (const auto& [tool, brush] : mBrushes.items) gdi::DeleteObject(brush);
        for (const auto& [tool, pen] : mPens.items) gdi::DeleteObject(pen);
        mBrushes = {};
        mPens = {};
        mBrushTool = mPenTool = {};
        return;
    }
    if (kind == 0) {
        const Tool want{true, colour, 0, 0};
        if (!(mBrushTool == want)) {
            gdi::SelectObject(dc, Pooled(mBrushes, want, mBrushTool,
                                         [&] { return gdi::CreateSolidBrush(colour); }));
            mBrushTool = want;
        }
        if (!alsoPen) return;
        kind = 1;
    }
    if (kind == 1) {
        const Tool want{true, colour, penWidth, penStyle};
        if (!(mPenTool == want)) {
            gdi::SelectObject(dc, Pooled(mPens, want, mPenTool, [&] {
                                  return gdi::CreatePen(penStyle, penWidth, colour);
                              }));
            mPenTool = want;
        }
    } else if (kind == 2) {
        gdi::SetTextColor(dc, gdi::ResolveColor(colour));
    }
}

// Brushes and pens are kept for the next repaint, which mostly asks for the same colours; the
// pool is bounded, dropping its oldest tool that is not the one selected.
template <class Handle, class Make>
Handle gxButtons_H::Pooled(Pool<Handle>& pool, const Tool& want, const Tool& selected, Make make) {
    // A repaint asks for its tools in the order of the one before: the search starts after the
    // tool found last.
    auto& items = pool.items;
    for (std::size_t i = 0, n = items.size(); i < n; ++i) {
        const std::size_t at = (pool.next + i) % n;
        if (items[at].first == want) {
            pool.next = at + 1;
            return items[at].second;
        }
    }
    if (items.size() >= 64) {
        const auto victim = items.front().first == selected ? items.begin() + 1 : items.begin();
        gdi::DeleteObject(victim->second);
        items.erase(victim);
    }
    items.emplace_back(want, make());
    return items.back().second;
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
        ReleaseProcessedPicture();
        if (mPicture.IsNone()) {
            mPictureWidth = mPictureHeight = 0;
            return;
        }
        // Icons and cursors draw with their own mask; everything else is a bitmap.
        const auto kind = mPicture.kind();
        mPictureKind =
            (kind == platform::Picture::Kind::Icon || kind == platform::Picture::Kind::Cursor) ? 1
                                                                                               : 0;
        mPictureWidth = mPicture.Width();
        mPictureHeight = mPicture.Height();
    } else if (what == QLatin1String("BackColor")) {
        DeriveColors();
    }
}

void gxButtons_H::ReleaseDrawingResources() {
    ReleaseProcessedPicture();
    if (mPictureDC) gdi::DeleteDC(mPictureDC);
    mPictureDC = {};
    DeleteShapeRegions();
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
}

// ---- Layout ----

void gxButtons_H::Offset(gdi::RECT& r, std::int32_t dx, std::int32_t dy) {
    r.left += dx;
    r.right += dx;
    r.top += dy;
    r.bottom += dy;
}

QString gxButtons_H::CaptionText() const {
    QString text = mCaption;
    text.replace(QLatin1String("||"), QLatin1String("\r\n"));
    return text;
}

void gxButtons_H::LayoutFace(bool& reprocessPicture) {
    if (!mBackDC) MakeBackBuffer();
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
    if (reprocessPicture) PreparePicture(pic.Width(), pic.Height(), nullptr);
}

// ---- One repaint ----

void gxButtons_H::RedrawButton() {
    if (mDelayDrawing) return;
    // Qt tells a hidden widget of a new size only when it is shown, and a window moved to
    // another screen changes the density: a buffer that no longer fits the control is renewed,
    // with shape and layout, as a resize does. Fitting the control to its shape may change the
    // size once more (a slanted button widening itself while hidden); the next round then
    // finds the size the shape wants.
    while (!BackBufferFits()) {
        // Without a buffer there is nothing to draw into: no shape is built for a size that
        // cannot be drawn, and nothing resizes the control to try again.
        if (!RenewBackBuffer()) return;
        RebuildShapeAndLayout();
    }
    Colour outline = 0;
    const std::int16_t level = DrawFace(outline);
    if (level == 0) return;  // nothing new to show
    ++mRedrawCount;
    ScheduleCopyToScreen();
    DrawOutline(level, outline);
}

// The shape outline is framed on the screen copy, over the face, not in the back buffer.
void gxButtons_H::DrawOutline(std::int16_t level, Colour colour) {
    mOutline = QRegion();
    if (level <= 1 || mButtonShape < 4) return;
    const bool pressed = IsPressed();
    gdi::HRGN frame = gdi::CreateRectRgn(0, 0, 0, 0);
    bool wanted = true;
    if (mButtonShape >= 7) {
        if (mHovering && !pressed) {
            if (mButtonStyle != 2) colour = mHoverFaceColor;
            wanted = mButtonStyle == 2 || colour != platform::Resolve(mBackColor);
            gdi::GetWindowRgn(this, frame);
        } else {
            wanted = (mStateFlags & kFocusLook) != 0;
            gdi::CombineRgn(frame, mButtonShape == 8 ? mInnerRegion : mShapeRegion, {},
                            gdi::RGN_COPY);
            if (mValue && mButtonStyle != 2) {
                std::int16_t darker = -32;
                colour = ShadeColor(mShadeColor, darker);
            }
        }
    } else if (mButtonStyle == 2 && !pressed) {
        gdi::CombineRgn(frame, mShapeRegion, {}, gdi::RGN_COPY);
    } else if (mButtonShape == 6) {
        gdi::GetWindowRgn(this, frame);
    } else {
        wanted = false;
    }
    if (wanted) {
        mOutline = gdi::FrameRegionOf(frame, 1, 1);
        mOutlineColour = colour;
    }
    gdi::DeleteObject(frame);
}

bool gxButtons_H::IsPressed() const {
    return (mStateFlags & (kHeld | kHoverLook)) == (kHeld | kHoverLook);
}

// ---- Caption, picture and focus ----

void gxButtons_H::DrawCaption(Colour face, Colour disabledColour, Colour hoverColour) {
    gdi::RECT cap = mCaptionRect, pic = mPictureRect;
    const bool pressed = IsPressed();
    const bool checkMode = mMode != 0;
    if ((ToggledOn() || pressed) && mButtonStyle != 3) {
        const std::int32_t dx = mButtonShape <= 3 ? 1 : 0;
        Offset(cap, dx, 1);
        Offset(pic, dx, 1);
    }
    if (!(mButtonShape >= 7 && mValue)) DrawPicture(pic);
    if (mCaption.isEmpty() || (mButtonShape > 4 && !mValue)) return;

    Colour colour;
    bool embossed = false;
    const bool enabled = isEnabled();
    if (enabled) {
        if (!mHovering || pressed) {
            colour = platform::Resolve(mForeColor);
            if (mButtonStyle == 7 && (mValue || mGradientMode == 0)) colour = disabledColour;
        } else {
            colour = platform::Resolve(hoverColour);
        }
    } else if ((disabledColour & 0x80000000u) || mGradientMode != 0) {
        colour = platform::Rgb(255, 255, 255);
        Offset(cap, 1, 1);
        embossed = true;
    } else {
        colour = disabledColour;
    }

    const QString text = CaptionText();
    const std::uint32_t flags = (mCaptionAlign == 0   ? gdi::DT_LEFT
                                 : mCaptionAlign == 1 ? gdi::DT_RIGHT
                                                      : gdi::DT_CENTER) |
                                gdi::DT_WORDBREAK;
    const auto draw = [&](Colour c, gdi::RECT r) {
        SelectTool(true, mBackDC, 2, c, false, 0, 0);
        gdi::DrawText(mBackDC, text, &r, flags);
    };
    if (enabled && mCaptionStyle != 0) {
        // Engraved (1) or embossed (2): a shaded copy up-left, its opposite down-right.
        const int amount = mCaptionStyle == 2 ? 40 : -40;
        std::int16_t a = std::int16_t(amount), b = std::int16_t(-amount);
        gdi::RECT r = cap;
        Offset(r, -1, 0);
        draw(ShadeColor(face, a), r);
        r = cap;
        Offset(r, 1, 2);
        draw(ShadeColor(face, b), r);
        Offset(cap, 0, 1);
    }
    draw(colour, cap);
    if (!enabled && (!checkMode || embossed)) {
        Offset(cap, -1, -1);
        draw(platform::Rgb(128, 128, 128), cap);
    }
}

void gxButtons_H::DrawFocus(Colour focusColour, bool valueFlag, bool captionFocus) {
    if (!(mStateFlags & kFocusLook) || mButtonShape >= 7) return;
    if (mButtonShape >= 4 && mButtonStyle == 2) return;
    if (focusColour & 0x80000000u) focusColour = 0;
    SelectTool(true, mBackDC, 1, focusColour, false, 1, gdi::PS_SOLID);
    const std::int32_t SW = width(), SH = height(), W0 = mLeftInset, W1 = mRightLimit;

    if (mButtonShape >= 1 && mButtonShape <= 3) {
        // The slanted outline.
        const std::int32_t lf = W0 != 0 ? 1 : 0, rf = SW > W1 ? 1 : 0;
        const gdi::POINT p[5] = {{W0 + 4 - 6 * lf, SH - 5},
                                 {4 * lf + 4, 4},
                                 {W1 + 4 * rf - 5, 4},
                                 {SW - 5 - 6 * rf, SH - 5},
                                 {W0 + 3 - 4 * lf, SH - 5}};
        gdi::Polyline(mBackDC, p, 5);
        return;
    }
    gdi::RECT r{W0 + 4, 4, W1 - 4, SH - 4};
    if (mButtonShape >= 4 || captionFocus) {
        // The rectangle follows the caption, else the picture; with neither there is nothing
        // to mark (the picture rectangle is then only a clamped placeholder).
        if (mCaption.isEmpty() && mPictureWidth + mPictureHeight == 0) return;
        if (!mCaption.isEmpty()) {
            r = mCaptionRect;
        } else {
            r = mPictureRect;
            r.bottom = std::min(r.bottom, SH - 4);
            r.right = std::min(r.right, SW - 4);
        }
        const std::int32_t m = (r.right < W1 - 4 && r.left > W0 + 4) ? 2 : 1;
        const std::int32_t p = ((ToggledOn() || IsPressed()) && mButtonStyle != 3) ? 1 : 0;
        const std::int32_t sh = mButtonShape == 0 ? 1 : 0;
        Offset(r, p * sh - m, p - m);
        r.right += 2 * m + p * sh;
        r.bottom += 2 * m + p;
    }
    if (!valueFlag) {
        gdi::DrawFocusRect(mBackDC, r);
    } else {
        // Solid, closed through the rectangle's four corner points: one pixel further right
        // and down than the dotted rectangle, whose right and bottom are exclusive.
        const gdi::POINT p[5] = {{r.left, r.top},
                                 {r.right, r.top},
                                 {r.right, r.bottom},
                                 {r.left, r.bottom},
                                 {r.left, r.top}};
        gdi::Polyline(mBackDC, p, 5);
    }
}

// ---- Shapes ----

void gxButtons_H::CutCorners(gdi::HRGN region, bool left, bool right) {
    const std::int32_t SW = width(), SH = height();
    const auto cutPixel = [region](std::int32_t x, std::int32_t y) {
        const gdi::HRGN px = gdi::CreateRectRgn(x, y, x + 1, y + 1);
        gdi::CombineRgn(region, region, px, gdi::RGN_DIFF);
        gdi::DeleteObject(px);
    };
    const auto cutTriangle = [region](gdi::POINT a, gdi::POINT b, gdi::POINT c) {
        const gdi::POINT pts[3] = {a, b, c};
        const gdi::HRGN t = gdi::CreatePolygonRgn(pts, 3, gdi::WINDING);
        gdi::CombineRgn(region, region, t, gdi::RGN_DIFF);
        gdi::DeleteObject(t);
    };
    switch (mButtonStyle) {
        case 1:
            if (left) {
                cutPixel(0, 0);
                cutPixel(0, SH - 1);
            }
            if (right) {
                cutPixel(SW - 1, SH - 1);
                cutPixel(SW - 1, 0);
            }
            break;
        case 3:
            if (!isEnabled()) break;
            if (left) cutPixel(0, SH - 1);
            if (right) cutPixel(SW - 1, 0);
            break;
        case 2:
        case 7:
            if (left) {
                cutTriangle({0, 0}, {2, 0}, {0, 2});
                cutTriangle({0, SH}, {3, SH}, {0, SH - 3});
            }
            if (right) {
                cutTriangle({SW, 0}, {SW - 2, 0}, {SW, 2});
                cutTriangle({SW, SH}, {SW - 3, SH}, {SW, SH - 3});
            }
            break;
        default:
            break;
    }
}

QSize gxButtons_H::ShapeSize() const {
    const std::int32_t SW = width(), SH = height();
    if (mButtonShape >= 1 && mButtonShape <= 3) {
        // The slant runs over the button's height; a button too narrow for it widens itself
        // in steps of 5 pixels.
        const std::int32_t s = SlantOf(SH);
        std::int32_t W = SW;
        while (W - s < 5) W += 5;
        return {W, SH};
    }
    if (mButtonShape >= 7 && mPictureWidth != 0 && mPictureHeight != 0) {
        std::int32_t fitW = 0, fitH = 0;
        FitPicture(SW, SH, fitW, fitH);
        if (fitW > 0 && fitH > 0) return {fitW, fitH};
    }
    return {SW, SH};
}

std::int32_t gxButtons_H::SlantOf(std::int32_t height) {
    return std::int32_t(std::nearbyint(4 * ((height + 1) / 4.0)));
}

void gxButtons_H::FitSizeToShape() {
    const QSize want = ShapeSize();
    if (want == size()) return;
    // A shown control gets its resize event at once: drawing is held over it, so the event
    // only renews the back buffer and the shape is built once, here. The hold ends cleared.
    mDelayDrawing = true;
    resize(want);
    mDelayDrawing = false;
}

void gxButtons_H::RebuildShape() {
    FitSizeToShape();
    BuildShapeRegion();
}

void gxButtons_H::RebuildShapeAndLayout() {
    RebuildShape();
    bool reprocess = false;
    LayoutFace(reprocess);
}

void gxButtons_H::DeleteShapeRegions() {
    for (gdi::HRGN* r : {&mInnerRegion, &mShapeRegion}) {
        if (*r) gdi::DeleteObject(*r);
        *r = {};
    }
}

void gxButtons_H::BuildShapeRegion() {
    const std::int32_t SW = width(), SH = height();
    mLeftInset = 0;
    mRightLimit = SW;
    if (mBackDC) gdi::SelectClipRgn(mBackDC, {});
    DeleteShapeRegions();
    gdi::HRGN region;
    if (mButtonShape == 0) {
        region = gdi::CreateRectRgn(0, 0, SW + 1, SH + 1);
        CutCorners(region, true, true);
    } else if (mButtonShape <= 3) {
        const std::int32_t s = SlantOf(SH);
        const bool slantLeft = mButtonShape == 1 || mButtonShape == 3;
        const bool slantRight = mButtonShape == 2 || mButtonShape == 3;
        const gdi::POINT pts[4] = {{0, 0},
                                   {slantLeft ? s : 0, SH + 1},
                                   {SW + 1, SH + 1},
                                   {slantRight ? SW - s + 1 : SW + 1, 0}};
        region = gdi::CreatePolygonRgn(pts, 4, gdi::WINDING);
        if (slantLeft) mLeftInset = s;
        if (slantRight) mRightLimit = SW - s;
        if (mButtonShape != 3) CutCorners(region, mButtonShape == 2, mButtonShape == 1);
    } else if (mButtonShape <= 6) {
        region = gdi::CreateEllipticRgn(0, 0, SW, SH);
        if (mButtonStyle != 5 && mBackDC) {
            if (mButtonShape == 6)
                FrameWith(region, 0);
            else
                PaintRing(platform::Rgb(255, 255, 255), platform::Rgb(128, 128, 128));
        }
        mShapeRegion = gdi::CreateEllipticRgn(1, 1, SW - 1, SH - 1);
        mInnerRegion = gdi::CreateEllipticRgn(2, 2, SW - 2, SH - 2);
    } else if (mButtonShape <= 8) {
        // Shaped by the picture: without one the window keeps the region it has.
        if (mPictureWidth == 0 || mPictureHeight == 0) return;
        region = gdi::CreateRectRgn(0, 0, SW, SH);
        PreparePicture(SW, SH, &region);
        // The face regions sit one and two pixels inside the window region's box.
        gdi::RECT box, shapeBox, innerBox;
        gdi::GetRgnBox(region, &box);
        gdi::GetRgnBox(mShapeRegion, &shapeBox);
        gdi::GetRgnBox(mInnerRegion, &innerBox);
        gdi::OffsetRgn(mShapeRegion, box.left + 1 - shapeBox.left, box.top + 1 - shapeBox.top);
        gdi::OffsetRgn(mInnerRegion, box.left + 2 - innerBox.left, box.top + 2 - innerBox.top);
        if (mBackDC) {
            if (mButtonShape == 8)
                PaintRing(platform::Rgb(255, 255, 255), platform::Rgb(128, 128, 128));
            else
                FrameWith(region, platform::Resolve(mBackColor));
            gdi::SelectClipRgn(mBackDC, mShapeRegion);
        }
    }
    gdi::SetWindowRgn(this, region, true);
    if (region) gdi::DeleteObject(region);
    if (mRightLimit == 0) mRightLimit = SW;
}

// A one-pixel frame of `region` in `colour` in the back buffer.
void gxButtons_H::FrameWith(gdi::HRGN region, Colour colour) {
    const gdi::HBRUSH brush = gdi::CreateSolidBrush(colour);
    gdi::FrameRgn(mBackDC, region, brush, 1, 1);
    gdi::DeleteObject(brush);
}

// The ring of shaped buttons is a top-to-bottom gradient (gradient mode 3) over the whole buffer,
// seen only where the clip leaves it.
void gxButtons_H::PaintRing(Colour from, Colour to) {
    GradientFill(from, to, 3);
}

std::int16_t gxButtons_H::PrepareShapeClip() {
    if (ApplyCustomClickOffset()) return 0;  // the face on screen is reused
    std::int16_t level = 1;
    const bool pressed = IsPressed();
    const Colour white = platform::Rgb(255, 255, 255), grey = platform::Rgb(128, 128, 128);
    gdi::SelectClipRgn(mBackDC, {});
    if (!mHovering && !pressed && !mValue && mButtonStyle == 5) return level;
    // A ring is seen only where the face's clip leaves it: rectangles have no clip region.
    if (mButtonStyle == 5 && (mValue || (mButtonShape != 6 && mButtonShape != 7))) {
        if (mInnerRegion) PaintRing(white, grey);
        gdi::SelectClipRgn(mBackDC, mInnerRegion);
        level = 4;
    }
    if ((!pressed && !mValue) || mButtonShape == 6 || mButtonShape == 7) {
        if (mButtonShape == 6 && !mHovering) return level;
        if (mButtonShape == 6 || mButtonShape == 7) {
            const gdi::HRGN window = gdi::CreateRectRgn(0, 0, 0, 0);
            if (gdi::GetWindowRgn(this, window) != gdi::kRgnError)
                FrameWith(window, mButtonShape == 6 ? 0 : platform::Resolve(mBackColor));
            gdi::DeleteObject(window);
        }
        gdi::SelectClipRgn(mBackDC, mShapeRegion);
        level = 3;
    } else {
        gdi::SelectClipRgn(mBackDC, mShapeRegion);
        if (mInnerRegion) PaintRing(grey, white);
        gdi::SelectClipRgn(mBackDC, mInnerRegion);
        level = 4;
    }
    return level;
}

void gxButtons_H::PaintOutline(QPainter& painter) const {
    const QColor colour = platform::ToQColor(mOutlineColour);
    for (const QRect& r : mOutline) painter.fillRect(r, colour);
}

// ---- Previews ----

void gxButtons_H::SetPreviewState(bool hover, bool held, bool focusLook) {
    mStateFlags = std::int16_t((mStateFlags & kShifted) | (focusLook ? kFocusLook : 0) |
                               (held ? kHeld : 0) | (hover ? kHoverLook : 0));
    mHovering = hover;
    mHeldDown = held;
    mDelayDrawing = false;
    RedrawButton();
}

void gxButtons_H::SetPreviewDeviceRatio(double ratio) {
    if (ratio == mPreviewRatio) return;
    mPreviewRatio = ratio;
    if (mBackDC) RedrawButton();
}

double gxButtons_H::DeviceRatio() const {
    return mPreviewRatio > 0 ? mPreviewRatio : devicePixelRatioF();
}

// The control's size in device pixels, where its right and bottom edges map to.
QSize gxButtons_H::BackBufferSize() const {
    const double r = DeviceRatio();
    const auto device = [r](int side) { return std::max(1, int(std::lround(side * r))); };
    return {device(std::max(width(), 1)), device(std::max(height(), 1))};
}

QImage gxButtons_H::FaceImage() const {
    QImage face = gdi::ImageOf(mBackBitmap);
    if (!face.isNull()) face.setDevicePixelRatio(gdi::GetDeviceScale(mBackDC));
    if (!mOutline.isEmpty() && !face.isNull()) {
        QPainter painter(&face);
        PaintOutline(painter);
    }
    return face;
}

// ---- Paint and resize ----

gxButtons_H::PaintKind gxButtons_H::PaintKindNow() const {
    // Only the paint RedrawButton asked for may show the buffer as it stands, and only while
    // nothing has held drawing back since and the buffer was drawn for this screen's density.
    if (mCopyPending && !mDelayDrawing && gdi::GetDeviceScale(mBackDC) == DeviceRatio())
        return PaintKind::CopyDrawnFace;
    return PaintKind::RedrawThenCopy;
}

void gxButtons_H::paintEvent(QPaintEvent*) {
    if (PaintKindNow() == PaintKind::RedrawThenCopy) {
        // The platform asks for a paint (exposure, first show, another screen): the face is
        // drawn anew, and a hold on drawing ends here.
        mDelayDrawing = false;
        mPainting = true;
        RedrawButton();
        mPainting = false;
    }
    mCopyPending = false;
    gdi::BITMAP bm;
    if (!gdi::GetObject(mBackBitmap, &bm) || !bm.bmBits) return;
    QImage buffer(static_cast<const uchar*>(bm.bmBits), bm.bmWidth, bm.bmHeight, bm.bmWidthBytes,
                  QImage::Format_RGB32);
    buffer.setDevicePixelRatio(gdi::GetDeviceScale(mBackDC));
    QPainter painter(this);
    painter.drawImage(0, 0, buffer);
    PaintOutline(painter);
}

void gxButtons_H::resizeEvent(QResizeEvent*) {
    UserControl_Resize();
}

void gxButtons_H::UserControl_Resize() {
    // While drawing is held (loading stored values, or FitSizeToShape resizing the control)
    // only the buffer is renewed: whoever holds it builds the shape and redraws. A size that
    // gets no buffer is not drawn at all.
    if (!RenewBackBuffer() || mDelayDrawing) return;
    RebuildShapeAndLayout();
    RedrawButton();
}
