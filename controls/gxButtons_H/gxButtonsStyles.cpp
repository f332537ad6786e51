// The eight face styles: the colours derived from BackColor, the background fills (solid,
// shaded, gradient), the bevel rings and each style's choice of rings and focus indicator.

#include <QGuiApplication>
#include <QScreen>
#include <cmath>

#include "controls/gxButtons_H/gxButtons_H.h"

namespace gdi = platform::gdi;
using platform::Colour;
using platform::Rgb;

namespace {

constexpr Colour kNone = 0xFFFFFFFFu;  // a ring side that is not drawn
constexpr Colour kWhite = 0xFFFFFF, kBlack = 0;
const Colour kGrey = Rgb(128, 128, 128);
const Colour kL233 = Rgb(233, 233, 233);

bool Negative(Colour c) {
    return (c & 0x80000000u) != 0;
}

std::int32_t Nearest(double v) {
    return std::int32_t(std::nearbyint(v));
}

// Shades without the by-reference amount, for the many fixed amounts.
Colour Shade(Colour c, int amount, bool proportionalBlue = false) {
    std::int16_t a = std::int16_t(amount);
    return gxButtons_H::ShadeColor(c, a, proportionalBlue);
}

// Left, top, right, bottom of one ring: 0 inner, 1 middle, 2 outer.
void SetRing(gxButtons_H::Ring& ring, int which, Colour left, Colour top, Colour right,
             Colour bottom) {
    ring[which * 4 + 0] = left;
    ring[which * 4 + 1] = top;
    ring[which * 4 + 2] = right;
    ring[which * 4 + 3] = bottom;
}
void SetRing(gxButtons_H::Ring& ring, int which, Colour topLeft, Colour bottomRight) {
    SetRing(ring, which, topLeft, topLeft, bottomRight, bottomRight);
}

// The screen's size in pixels, for the stripe rule of gradients.
QSize ScreenPixels() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->geometry().size() : QSize(1024, 768);
}

}  // namespace

// ---- Colours ----

Colour gxButtons_H::ShadeColor(Colour colour, std::int16_t& amount, bool proportionalBlue,
                               bool avoidExtremes, bool invert) {
    // Bounded: an amount and its negation cannot both give black or white for the amounts the
    // faces use, but a huge amount on a pure colour could, and the loop must end.
    for (int round = 0;; ++round) {
        const double g = double(colour & 0xFF00) / 255.0;
        const double b = double(colour & 0xFF0000) / 65280.0;
        int R = int(colour & 0xFF) + amount;
        int G = Nearest(g + amount);
        int B = proportionalBlue ? Nearest(b) + (amount * Nearest(b)) / 192 : Nearest(b + amount);
        R = std::clamp(R, 0, 255);
        G = std::clamp(G, 0, 255);
        B = std::clamp(B, 0, 255);
        if (invert) {
            R = 255 - R;
            G = 255 - G;
            B = 255 - B;
        }
        const Colour result = Colour(R) + Colour(G) * 256 + Colour(B) * 65536;
        if (!avoidExtremes || (result != 0 && result != 0xFFFFFF) || round == 2) return result;
        amount = amount == 0 ? 64 : std::int16_t(-amount);
    }
}

void gxButtons_H::DeriveColors() {
    mFaceColor = mShadeColor = platform::Resolve(mBackColor);
    mHoverFaceColor = platform::Resolve(mHoverBackColor);
    switch (mButtonStyle) {
        case 7:
            mFaceColor = Shade(mFaceColor, 31);
            mShadeColor = Shade(kGrey, -16);
            mHoverFaceColor = Shade(mHoverFaceColor, 31);
            mToggledFaceColor = Shade(kGrey, 16, true);
            break;
        case 2:
            mFaceColor = Shade(mFaceColor, 48, true);
            mHoverFaceColor = Shade(mHoverFaceColor, 48, true);
            mShadeColor = Shade(mFaceColor, -32, true);
            mToggledFaceColor = Shade(kWhite, -32, true);
            break;
        case 3:
            mShadeColor = Shade(kGrey, 12);
            mToggledFaceColor = Shade(mShadeColor, 31);
            break;
        default:
            mToggledFaceColor = Shade(kWhite, -32);
            break;
    }
}

// ---- Fills ----

void gxButtons_H::FillSolid(std::int32_t left, std::int32_t top, std::int32_t right,
                            std::int32_t bottom, Colour colour) {
    SelectTool(true, mBackDC, 0, colour, false, 1, gdi::PS_SOLID);
    gdi::PatBlt(mBackDC, left, top, right - left, bottom - top, gdi::PATCOPY);
}

void gxButtons_H::DrawBox(gdi::HDC dc, std::int32_t left, std::int32_t top, std::int32_t right,
                          std::int32_t bottom, Colour fill, Colour pen) {
    if (fill == pen) {
        FillSolid(left, top, right, bottom, fill);
        return;
    }
    SelectTool(true, dc, 0, fill, false, 1, gdi::PS_SOLID);
    SelectTool(true, dc, 1, pen, false, 1, gdi::PS_SOLID);
    gdi::Rectangle(dc, left, top, right, bottom);
}

std::int16_t gxButtons_H::FillFace(Colour face, std::int16_t& state, Colour gradient,
                                   Colour hover) {
    const std::int16_t level = PrepareShapeClip();
    if (level == 0) return 0;
    const std::int32_t SW = width(), SH = height();
    const bool pressed = IsPressed();
    state = pressed ? 2 : (mStateFlags & kFocusLook) ? 1 : 0;
    if (Negative(hover)) hover = face;
    const bool useHover = mHovering && !((pressed || mMode != 0) && (mValue || mMode == 0));
    const Colour colour = useHover ? hover : face;

    if (mValue || mButtonShape >= 7 || mGradientMode == 0) {
        if (mButtonStyle != 2 || (!isEnabled() && mMode == 0)) {
            DrawBox(mBackDC, 0, 0, SW, SH, colour, colour);
        } else {
            // The face darkens by up to 25 from top to bottom; rows of one shade are filled
            // together.
            std::int32_t from = 0;
            Colour shade = Shade(colour, 0, true);
            for (std::int32_t i = 1; i <= SH + 1; ++i) {
                const Colour next =
                    i <= SH ? Shade(colour, Nearest(-(25.0 / SH) * i), true) : ~shade;
                if (next == shade) continue;
                FillSolid(0, from, SW, i, shade);
                from = i;
                shade = next;
            }
        }
    } else if (!mHovering || pressed || mGradientColor == mHoverBackColor) {
        // The end colour may name a system colour (the default does): every style ends at
        // its value, never at a flat face.
        GradientFill(face, platform::Resolve(gradient));
    } else {
        DrawBox(mBackDC, 0, 0, SW, SH, colour, colour);
    }
    return level;
}

void gxButtons_H::GradientFill(Colour start, Colour end) {
    const bool across = mGradientMode == 1 || mGradientMode == 2;
    const bool forward = mGradientMode == 1 || mGradientMode == 3;
    const std::int32_t SW = width(), SH = height();
    std::int32_t n = across ? SW : SH, t = 1;
    if (n <= 0) return;
    const QSize screen = ScreenPixels();
    if ((across ? screen.width() : screen.height()) / n < 4) {
        n /= 2;
        t = 2;
    }
    if (n <= 0) return;
    std::vector<Colour>& table = mGradientTable;
    BuildGradientTable(table, n, start, end);
    for (std::int32_t i = 0; i < n; ++i) {
        const Colour c = table[forward ? i : n - 1 - i];
        if (across)
            FillSolid(i * t, 0, i * t + t, SH, c);
        else
            FillSolid(0, i * t, SW, i * t + t, c);
    }
}

void gxButtons_H::BuildGradientTable(std::vector<Colour>& table, std::int32_t n, Colour start,
                                     Colour end) {
    table.assign(std::size_t(std::max(n, 0)), start);
    if (n <= 1) return;
    double r = double(start & 0xFF);
    double g = double(start & 0xFF00) / 255.0;
    double b = double(start & 0xFF0000) / 65280.0;
    const double r1 = double(end & 0xFF);
    const double g1 = Nearest(double(end & 0xFF00) / 255.0);
    const double b1 = Nearest(double(end & 0xFF0000) / 65280.0);
    const double sr = (r1 - r) / (n - 1), sg = (g1 - g) / (n - 1), sb = (b1 - b) / (n - 1);
    for (std::int32_t i = 1; i < n; ++i) {
        r = std::clamp(r + sr, 0.0, 255.0);
        g = std::clamp(g + sg, 0.0, 255.0);
        b = std::clamp(b + sb, 0.0, 255.0);
        table[std::size_t(i)] =
            Colour(std::floor(r)) + Colour(std::floor(g)) * 256 + Colour(std::floor(b)) * 65536;
    }
}

// ---- Bevel ----

void gxButtons_H::DrawBevel(const Ring& ring, int penStyle) {
    const std::int32_t L = (mButtonShape == 1 || mButtonShape == 3) ? 1 : 0;
    const std::int32_t R = (mButtonShape == 2 || mButtonShape == 3) ? 1 : 0;
    const std::int32_t W0 = mLeftInset, W1 = mRightLimit, SW = width(), SH = height();
    gdi::POINT p[16];
    p[0] = {W0 + 2 - 4 * L, SH - 3};
    p[1] = {2 * L + 2, 2};
    p[2] = {W1 + 3 * R - 3, 2};
    p[3] = {SW - 3 - 3 * R, SH - 3};
    p[4] = {W0 - 4 * L + 1, SH - 3};
    const std::int32_t dx[5] = {L - 1, -L - 1, 1 - R, R + 1, -1};
    const std::int32_t dy[5] = {1, -1, -1, 1, 1};
    for (int i = 5; i <= 9; ++i) p[i] = {p[i - 5].x + dx[i - 5], p[i - 5].y + dy[i - 5]};
    p[10] = {W0 - L, SH - 1 + L};
    p[11] = {0, 0};
    p[12] = {W1 + R - 1, 0};
    p[13] = {SW - 1, SH - 1 + R};
    p[14] = {W0 - 2 * L - 1, SH - 1};
    p[15] = {SW - 1, SH - 1};

    Colour penColour = kNone;
    for (int j = 0; j <= 13; ++j) {
        if (j == 4 || j == 9) continue;
        const int k = j <= 3 ? j + 1 : j <= 8 ? j : j - 1;
        const Colour c = ring[std::size_t(k - 1)];
        if (Negative(c)) continue;
        if (c != penColour) {
            SelectTool(true, mBackDC, 1, c, false, 1, penStyle);
            penColour = c;
        }
        gdi::Polyline(mBackDC, &p[j], 2);
    }
    gdi::Polyline(mBackDC, &p[14], 2);
}

// ---- The styles ----

// The disabled-caption argument shared by the styles: -1 (embossed) for an enabled or a command
// button, grey (flat) for a disabled check or option button.
Colour gxButtons_H::DisabledCaptionColour() const {
    return (isEnabled() || mMode == 0) ? kNone : kGrey;
}

bool gxButtons_H::ToggledOn() const {
    return mMode != 0 && (mValue || mHeldDown);
}

Colour gxButtons_H::ChosenFace() const {
    if (mMode != 0 && mValue) return mToggledFaceColor;
    if (mMode == 0 && IsPressed()) {
        if (mButtonStyle == 3 || mButtonStyle == 7) return mShadeColor;
        if (mButtonStyle == 2 && mGradientMode == 0) return mShadeColor;
    }
    return mFaceColor;
}

std::int16_t gxButtons_H::DrawFace(Colour& outline) {
    Ring ring;
    ring.fill(kNone);
    std::int16_t state = 0, level = 0;
    Colour face = ChosenFace();
    Colour dis = DisabledCaptionColour();
    const bool toggled = ToggledOn();
    const bool pressed = IsPressed();
    const bool slanted = mButtonShape >= 1 && mButtonShape <= 3;
    bool captionFocus = false, solidFocus = mValue;
    Colour focusColour = kNone;
    int penStyle = gdi::PS_SOLID;
    const std::int32_t SW = width(), SH = height();

    switch (mButtonStyle) {
        case 0:  // classic
        case 1:  // framed
        case 4:  // thin
        case 6:  // soft
        {
            level = FillFace(face, state, mGradientColor, mHoverFaceColor);
            if (level == 0) return 0;
            if (mButtonStyle != 6) {
                if (slanted) dis = Shade(face, -48);
                if (toggled) dis = kBlack;
            }
            DrawCaption(face, dis, toggled, mMode != 0);
            if (mButtonStyle == 0) {
                if (toggled) state = 3;
                switch (state) {
                    case 0:
                        SetRing(ring, 2, kWhite, kBlack);
                        SetRing(ring, 1, kL233, kGrey);
                        break;
                    case 1:
                        SetRing(ring, 2, kBlack, kBlack);
                        SetRing(ring, 1, kWhite, kBlack);
                        SetRing(ring, 0, kL233, kGrey);
                        break;
                    case 2:
                        SetRing(ring, 2, (mStateFlags & kFocusLook) ? kBlack : kWhite, kBlack);
                        SetRing(ring, 1, kNone, kGrey);
                        break;
                    default:
                        SetRing(ring, 2, kBlack, kWhite);
                        SetRing(ring, 1, kNone, kL233);
                        break;
                }
            } else if (mButtonStyle == 1) {
                const bool sunken = pressed || toggled;
                SetRing(ring, 0, sunken ? kGrey : kWhite, sunken ? kWhite : kGrey);
                SetRing(ring, 1, sunken ? kGrey : kWhite, sunken ? kWhite : kGrey);
                SetRing(ring, 2, kBlack, kBlack);
            } else if (mButtonStyle == 4) {
                const bool sunken = pressed || toggled;
                SetRing(ring, 2, sunken ? kGrey : kWhite, sunken ? kWhite : kGrey);
            } else {
                const Colour light = Shade(Rgb(223, 223, 223), 8), dark = kGrey;
                const bool down = pressed || toggled;
                SetRing(ring, 1, down ? dark : light, down ? light : dark);
                SetRing(ring, 2, down ? dark : light, down ? light : dark);
            }
            focusColour = Negative(dis) ? kBlack : dis;
            break;
        }
        case 2:  // modern
        {
            if (!isEnabled() && mMode == 0) face = Shade(face, -24, true);
            const Colour gradient = Shade(platform::Resolve(mGradientColor), 48, true);
            dis = Shade(face, -104, true);
            level = FillFace(face, state, gradient, mHoverFaceColor);
            if (level == 0) return 0;
            DrawCaption(face, dis, toggled, mMode != 0);
            if (toggled) state = (mStateFlags & kFocusLook) ? 1 : 2;
            if ((mStateFlags & kHoverLook) && !(mStateFlags & kHeld)) state = 3;
            if (state == 1 && !mShowFocusRect) state = 0;
            Colour outer;
            if (isEnabled()) {
                const Colour f = (mMode != 0 && mValue) ? mToggledFaceColor : mFaceColor;
                const auto s = [f](int n) { return Shade(f, n, true); };
                switch (state) {
                    case 0:
                        SetRing(ring, 0, s(-10), s(10), s(-24), s(-32));
                        SetRing(ring, 1, s(-5), s(16), s(-36), s(-48));
                        break;
                    case 1:
                        SetRing(ring, 0, Rgb(181, 209, 240), Rgb(189, 215, 247), Rgb(181, 209, 240),
                                Rgb(140, 174, 231));
                        SetRing(ring, 1, Rgb(140, 174, 231), Rgb(191, 223, 255), Rgb(140, 174, 231),
                                Rgb(107, 130, 239));
                        break;
                    case 2:
                        SetRing(ring, 0, s(-22), s(-24), f, s(10));
                        SetRing(ring, 1, s(-32), s(-32), s(5), s(16));
                        break;
                    default:
                        SetRing(ring, 0, Rgb(255, 203, 107), Rgb(255, 219, 140), Rgb(255, 203, 107),
                                Rgb(255, 178, 49));
                        SetRing(ring, 1, Rgb(255, 178, 49), Rgb(255, 233, 166), Rgb(255, 178, 49),
                                Rgb(231, 150, 0));
                        break;
                }
                outer = Rgb(0, 60, 115);
            } else {
                outer = Shade(face, -84, true);
            }
            SetRing(ring, 2, outer, outer);
            if (mButtonShape <= 3) {
                DrawBevel(ring, penStyle);
                if (mLeftInset == 0) {
                    gdi::SetPixel(mBackDC, 1, 1, outer);
                    gdi::SetPixel(mBackDC, 1, SH - 2, outer);
                }
                if (SW == mRightLimit) {
                    gdi::SetPixel(mBackDC, SW - 2, SH - 2, outer);
                    gdi::SetPixel(mBackDC, SW - 2, 1, outer);
                }
            }
            if (mButtonShape >= 4 && mButtonShape <= 6) {
                if (mHovering)
                    ring[11] = Rgb(231, 150, 0);
                else if (mStateFlags & kFocusLook)
                    ring[11] = Rgb(107, 130, 239);
            }
            return FinishFace(ring, level, outline, kNone, false, false);
        }
        case 3:  // flat
        {
            const Colour dark = Shade(kGrey, -26), light = kWhite;
            dis = isEnabled() ? kGrey : Shade(kGrey, -16);
            level = FillFace(face, state, mGradientColor, mHoverFaceColor);
            if (level == 0) return 0;
            DrawCaption(face, dis, toggled, mMode != 0);
            if (isEnabled() || mMode != 0) {
                if (mMode != 0) state = toggled ? 2 : 3;
                state = std::max<std::int16_t>(state, 1);
                const Colour middleTL = state == 2 ? face : light;
                SetRing(ring, 1, middleTL, dark);
                SetRing(ring, 2, dark, light);
            } else {
                SetRing(ring, 0, face, face);
                SetRing(ring, 1, face, face);
                SetRing(ring, 2, dark, dark);
            }
            captionFocus = true;
            solidFocus = true;
            focusColour = Rgb(153, 153, 204);
            break;
        }
        case 5:  // hover
        {
            level = FillFace(face, state, mGradientColor, mHoverFaceColor);
            if (level == 0) return 0;
            DrawCaption(face, dis, toggled, mMode != 0);
            if ((mStateFlags & kHoverLook) || mValue) {
                const bool sunken = pressed || toggled;
                SetRing(ring, 2, sunken ? kGrey : kWhite, sunken ? kWhite : kGrey);
            } else if (!UserMode()) {
                Colour c = Shade(mContainerBackColor, -64);
                if (c == kBlack) c = kWhite;
                SetRing(ring, 2, c, c);
                penStyle = gdi::PS_DOT;
                if (mButtonShape >= 4 && mButtonShape <= 6) {
                    SelectTool(true, mBackDC, 1, Shade(mContainerBackColor, -32), false, 1,
                               gdi::PS_DOT);
                    gdi::Arc(mBackDC, 0, 0, SW - 1, SH - 1, 0, 0, 0, 0);
                }
            }
            focusColour = mButtonShape == 0 ? kBlack : Shade(mContainerBackColor, -32);
            break;
        }
        default:  // 7, bright
        {
            const bool gradient = mGradientMode != 0;
            // The caption colour this style passes in place of the disabled colour.
            Colour text;
            if ((pressed && mMode == 0) || mValue)
                text = (!isEnabled() && mValue) ? Shade(mFaceColor, -32, true) : mFaceColor;
            else if (!isEnabled() && mMode != 0)
                text = kGrey;
            else
                text = isEnabled() ? platform::Resolve(mForeColor) : kNone;
            level = FillFace(face, state, Shade(platform::Resolve(mGradientColor), 31),
                             mHoverFaceColor);
            if (level == 0) return 0;
            const Colour savedHover = mHoverForeColor;
            if (mHoverForeColor == mForeColor || mValue) mHoverForeColor = text;
            DrawCaption(face, text, toggled, mMode != 0);
            mHoverForeColor = savedHover;
            if (toggled) state = mValue ? 2 : 0;
            Colour faceEntry = face, white = kWhite;
            Colour hi = Shade(face, 31, true), lo = Shade(face, -64, true);
            if (state == 2) {
                faceEntry = gradient ? mFaceColor : kGrey;
                white = Shade(faceEntry, -32);
                hi = Shade(faceEntry, -64);
                lo = Shade(faceEntry, -16);
            }
            SetRing(ring, 0, white, faceEntry);
            SetRing(ring, 1, hi, lo);
            SetRing(ring, 2, kBlack, kBlack);
            if (mButtonShape <= 3) {
                DrawBevel(ring, penStyle);
                if (mLeftInset == 0) {
                    gdi::SetPixel(mBackDC, 3, 3, white);
                    gdi::SetPixel(mBackDC, 2, 2, hi);
                    gdi::SetPixel(mBackDC, 1, SH - 3, faceEntry);
                    gdi::SetPixel(mBackDC, 1, 1, kBlack);
                    gdi::SetPixel(mBackDC, 1, SH - 2, kBlack);
                }
                if (SW == mRightLimit) {
                    gdi::SetPixel(mBackDC, SW - 4, SH - 4, faceEntry);
                    gdi::SetPixel(mBackDC, SW - 3, 1, faceEntry);
                    gdi::SetPixel(mBackDC, SW - 3, SH - 3, lo);
                    gdi::SetPixel(mBackDC, SW - 2, SH - 2, kBlack);
                    gdi::SetPixel(mBackDC, SW - 2, 1, kBlack);
                }
            }
            const Colour focus =
                (mHoverForeColor == mForeColor || mValue) ? mHoverForeColor : kBlack;
            return FinishFace(ring, level, outline, platform::Resolve(focus), true, mValue);
        }
    }
    if (mButtonShape <= 3) DrawBevel(ring, penStyle);
    return FinishFace(ring, level, outline, focusColour, captionFocus, solidFocus);
}

// The focus indicator (style 2 draws none), then the draw level and the outline colour every
// style ends with: the shape outline is wanted only for picture shapes and a hovered or pressed
// framed oval, in black unless style 2 chose its own colour for the oval.
std::int16_t gxButtons_H::FinishFace(Ring& ring, std::int16_t level, Colour& outline,
                                     Colour focusColour, bool captionFocus, bool solidFocus) {
    if (mButtonStyle != 2) DrawFocus(focusColour, solidFocus, captionFocus);
    const bool hoverOrPressed = mHovering || IsPressed();
    const bool keep = mButtonShape >= 7 || (mButtonShape == 6 && hoverOrPressed) ||
                      (mButtonStyle == 5 && mButtonShape == 7 && !mValue);
    if (keep) {
        if (!(mButtonStyle == 2 && mButtonShape == 6 && !Negative(ring[11]))) ring[11] = kBlack;
    } else {
        level = 1;
    }
    outline = ring[11];
    return level;
}
