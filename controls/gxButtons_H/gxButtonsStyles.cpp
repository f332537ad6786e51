// The eight face styles: the colours derived from BackColor, the background fills (solid,
// shaded, gradient), the bevel rings and each style's choice of rings and focus indicator.
//
// Everything here draws into the back buffer in the control's pixels (the buffer's scale maps
// them to device pixels) and reads the control's properties and interaction state without
// changing them: a style that draws with another colour or gradient direction than a
// property's passes it down as an argument. What drawing does write is its own: the gradient
// table, the shaded bands and the pooled brushes and pens (caches), and, through
// PrepareShapeClip, the one-pixel custom-click shift of a picture-shaped button. Ring colours
// are data: twelve sides, inner to outer ring, each left, top, right, bottom (see Ring).

#include <QGuiApplication>
#include <QScreen>
#include <cmath>
#include <limits>

#include "controls/gxButtons_H/gxButtons_H.h"

namespace gdi = platform::gdi;
using platform::Colour;
using platform::Rgb;

namespace {

constexpr Colour kNone = 0xFFFFFFFFu;  // a ring side that is not drawn
constexpr Colour kWhite = 0xFFFFFF, kBlack = 0;
constexpr Colour kGrey = Rgb(128, 128, 128);
constexpr Colour kL233 = Rgb(233, 233, 233);

// The ring's last side, the outer bottom, doubles as the colour of the shape outline.
constexpr std::size_t kOutlineSide = 11;

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

// One ring's four sides; a side left out is not drawn.
struct Sides {
    Colour left = kNone, top = kNone, right = kNone, bottom = kNone;
};
// Left and top in one colour, right and bottom in another.
constexpr Sides Tones(Colour topLeft, Colour bottomRight) {
    return {topLeft, topLeft, bottomRight, bottomRight};
}
// A light-and-dark pair: light above and left when raised, the other way round when down.
constexpr Sides Bevel(Colour light, Colour dark, bool down) {
    return down ? Tones(dark, light) : Tones(light, dark);
}
// The three rings of a bevel; a ring left out is not drawn.
struct Rings {
    Sides inner, middle, outer;
};
gxButtons_H::Ring RingOf(const Rings& r) {
    return {r.inner.left,  r.inner.top,  r.inner.right,  r.inner.bottom,
            r.middle.left, r.middle.top, r.middle.right, r.middle.bottom,
            r.outer.left,  r.outer.top,  r.outer.right,  r.outer.bottom};
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

std::int16_t gxButtons_H::FillFace(Colour face, Colour gradient, Colour hover) {
    const std::int16_t level = PrepareShapeClip();
    if (level == 0) return 0;
    const std::int32_t SW = width(), SH = height();
    const bool pressed = IsPressed();
    if (Negative(hover)) hover = face;
    const bool useHover = mHovering && !((pressed || mMode != 0) && (mValue || mMode == 0));
    const Colour colour = useHover ? hover : face;

    if (mValue || mButtonShape >= 7 || mGradientMode == 0) {
        if (mButtonStyle != 2 || (!isEnabled() && mMode == 0)) {
            DrawBox(mBackDC, 0, 0, SW, SH, colour, colour);
        } else {
            for (const ShadedBand& band : ShadedBandsFor(colour, SH))
                FillSolid(0, band.top, SW, band.bottom, band.colour);
        }
    } else if (!mHovering || pressed || mGradientColor == mHoverBackColor) {
        // The end colour may name a system colour (the default does): every style ends at
        // its value, never at a flat face.
        GradientFill(face, platform::Resolve(gradient), mGradientMode);
    } else {
        DrawBox(mBackDC, 0, 0, SW, SH, colour, colour);
    }
    return level;
}

// The face darkens by up to 25 from top to bottom; rows of one shade make one band. The bands
// depend only on the colour and the height, so they are worked out once and kept for the
// repaints after, which mostly ask for the same.
const std::vector<gxButtons_H::ShadedBand>& gxButtons_H::ShadedBandsFor(Colour colour,
                                                                        std::int32_t height) {
    ShadedBands& cache = mShadedBands;
    if (cache.height == height && cache.colour == colour) return cache.bands;
    cache.colour = colour;
    cache.height = height;
    cache.bands.clear();
    std::int32_t from = 0;
    Colour shade = Shade(colour, 0, true);
    // One row past the face closes the last band.
    for (std::int32_t i = 1; i <= height + 1; ++i) {
        const Colour next =
            i <= height ? Shade(colour, Nearest(-(25.0 / height) * i), true) : ~shade;
        if (next == shade) continue;
        cache.bands.push_back({from, i, shade});
        from = i;
        shade = next;
    }
    return cache.bands;
}

void gxButtons_H::GradientFill(Colour start, Colour end, std::int32_t mode) {
    const bool across = mode == 1 || mode == 2;
    const bool forward = mode == 1 || mode == 3;
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
//
// One routine per ButtonStyle, chosen in DrawFace. Each fills the face, draws the caption and
// picture and the bevel, and hands back what every face ends with (FinishFace): its rings, the
// draw level and the focus indicator it wants.

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

// 0 at rest, 1 shown as the default button, 2 pressed (which wins over 1).
std::int16_t gxButtons_H::BaseState() const {
    return IsPressed() ? 2 : (mStateFlags & kFocusLook) ? 1 : 0;
}

std::int16_t gxButtons_H::DrawFace(Colour& outline) {
    // Indexed by ButtonStyle, which its setter and the stored-value reader keep in 0 to 7.
    // Plain function pointers: the undefined-behaviour checker misreads an index into an array of
    // member-function pointers as out of bounds.
    static constexpr FaceRoutine kStyles[8] = {[](gxButtons_H& b) { return b.DrawClassicFace(); },
                                               [](gxButtons_H& b) { return b.DrawFramedFace(); },
                                               [](gxButtons_H& b) { return b.DrawModernFace(); },
                                               [](gxButtons_H& b) { return b.DrawFlatFace(); },
                                               [](gxButtons_H& b) { return b.DrawThinFace(); },
                                               [](gxButtons_H& b) { return b.DrawHoverFace(); },
                                               [](gxButtons_H& b) { return b.DrawSoftFace(); },
                                               [](gxButtons_H& b) { return b.DrawBrightFace(); }};
    const std::optional<FaceEnd> end = kStyles[std::size_t(mButtonStyle)](*this);
    if (!end) return 0;
    return FinishFace(*end, outline);
}

// ---- Styles 0, 1, 4 and 6: a raised face with a bevel of light and dark rings ----

namespace {

// Style 0's rings by state.
enum ClassicState { kAtRest, kDefault, kPressed, kPressedDefault, kToggled };
constexpr Rings kClassicRings[] = {
    /* at rest */ {{}, Tones(kL233, kGrey), Tones(kWhite, kBlack)},
    /* default */ {Tones(kL233, kGrey), Tones(kWhite, kBlack), Tones(kBlack, kBlack)},
    /* pressed */ {{}, Tones(kNone, kGrey), Tones(kWhite, kBlack)},
    /* pressed default */ {{}, Tones(kNone, kGrey), Tones(kBlack, kBlack)},
    /* toggled */ {{}, Tones(kNone, kL233), Tones(kBlack, kWhite)},
};

}  // namespace

std::optional<gxButtons_H::RaisedStart> gxButtons_H::BeginRaisedFace() {
    const Colour face = ChosenFace();
    const bool toggled = ToggledOn();
    Colour dis = DisabledCaptionColour();
    const std::int16_t level = FillFace(face, mGradientColor, mHoverFaceColor);
    if (level == 0) return std::nullopt;
    if (mButtonStyle != 6) {
        if (mButtonShape >= 1 && mButtonShape <= 3) dis = Shade(face, -48);
        if (toggled) dis = kBlack;
    }
    DrawCaption(face, dis, mHoverForeColor);
    return RaisedStart{level, dis, IsPressed() || toggled};
}

std::optional<gxButtons_H::FaceEnd> gxButtons_H::EndRaisedFace(const RaisedStart& start,
                                                               const Ring& ring) {
    if (mButtonShape <= 3) DrawBevel(ring, gdi::PS_SOLID);
    const Colour focus = Negative(start.captionColour) ? kBlack : start.captionColour;
    return FaceEnd{ring, start.level, FocusLook{focus, false, mValue}, false};
}

std::optional<gxButtons_H::FaceEnd> gxButtons_H::DrawClassicFace() {
    const std::optional<RaisedStart> start = BeginRaisedFace();
    if (!start) return std::nullopt;
    ClassicState state = ClassicState(BaseState());
    if (state == kPressed && (mStateFlags & kFocusLook)) state = kPressedDefault;
    if (ToggledOn()) state = kToggled;
    return EndRaisedFace(*start, RingOf(kClassicRings[state]));
}

std::optional<gxButtons_H::FaceEnd> gxButtons_H::DrawFramedFace() {
    const std::optional<RaisedStart> start = BeginRaisedFace();
    if (!start) return std::nullopt;
    const Sides bevel = Bevel(kWhite, kGrey, start->down);
    return EndRaisedFace(*start, RingOf({bevel, bevel, Tones(kBlack, kBlack)}));
}

std::optional<gxButtons_H::FaceEnd> gxButtons_H::DrawThinFace() {
    const std::optional<RaisedStart> start = BeginRaisedFace();
    if (!start) return std::nullopt;
    return EndRaisedFace(*start, RingOf({{}, {}, Bevel(kWhite, kGrey, start->down)}));
}

std::optional<gxButtons_H::FaceEnd> gxButtons_H::DrawSoftFace() {
    const std::optional<RaisedStart> start = BeginRaisedFace();
    if (!start) return std::nullopt;
    const Sides bevel = Bevel(Shade(Rgb(223, 223, 223), 8), kGrey, start->down);
    return EndRaisedFace(*start, RingOf({{}, bevel, bevel}));
}

// ---- Style 2: modern ----

namespace {

enum ModernState { kModernAtRest, kModernDefault, kModernDown, kModernHover };

// The inner and middle rings at rest and down are shades of the face (with blue moved in
// proportion), left, top, right and bottom; kFaceItself takes the face unshaded.
constexpr int kFaceItself = std::numeric_limits<int>::min();
constexpr std::array<int, 8> kModernAtRestShades = {-10, 10, -24, -32, -5, 16, -36, -48};
constexpr std::array<int, 8> kModernDownShades = {-22, -24, kFaceItself, 10, -32, -32, 5, 16};
// Shown as the default button (blue) and hovered (amber).
constexpr Rings kModernDefaultRings = {
    {Rgb(181, 209, 240), Rgb(189, 215, 247), Rgb(181, 209, 240), Rgb(140, 174, 231)},
    {Rgb(140, 174, 231), Rgb(191, 223, 255), Rgb(140, 174, 231), Rgb(107, 130, 239)},
    {}};
constexpr Rings kModernHoverRings = {
    {Rgb(255, 203, 107), Rgb(255, 219, 140), Rgb(255, 203, 107), Rgb(255, 178, 49)},
    {Rgb(255, 178, 49), Rgb(255, 233, 166), Rgb(255, 178, 49), Rgb(231, 150, 0)},
    {}};
constexpr Colour kModernOuter = Rgb(0, 60, 115);
// The outline of an oval while hovered, and while shown as the default button.
constexpr Colour kModernHoverOval = Rgb(231, 150, 0), kModernDefaultOval = Rgb(107, 130, 239);

Rings ShadedRings(Colour face, const std::array<int, 8>& amounts) {
    Colour c[8];
    for (std::size_t i = 0; i < 8; ++i)
        c[i] = amounts[i] == kFaceItself ? face : Shade(face, amounts[i], true);
    return {{c[0], c[1], c[2], c[3]}, {c[4], c[5], c[6], c[7]}, {}};
}

}  // namespace

std::optional<gxButtons_H::FaceEnd> gxButtons_H::DrawModernFace() {
    Colour face = ChosenFace();
    if (!isEnabled() && mMode == 0) face = Shade(face, -24, true);
    const Colour gradient = Shade(platform::Resolve(mGradientColor), 48, true);
    const std::int16_t level = FillFace(face, gradient, mHoverFaceColor);
    if (level == 0) return std::nullopt;
    DrawCaption(face, Shade(face, -104, true), mHoverForeColor);

    int state = BaseState();
    if (ToggledOn()) state = (mStateFlags & kFocusLook) ? kModernDefault : kModernDown;
    if ((mStateFlags & kHoverLook) && !(mStateFlags & kHeld)) state = kModernHover;
    if (state == kModernDefault && !mShowFocusRect) state = kModernAtRest;
    Rings rings;
    Colour outer;
    if (isEnabled()) {
        // The rings follow the face at rest or toggled on, not the pressed or disabled shade.
        const Colour f = (mMode != 0 && mValue) ? mToggledFaceColor : mFaceColor;
        switch (state) {
            case kModernAtRest:
                rings = ShadedRings(f, kModernAtRestShades);
                break;
            case kModernDefault:
                rings = kModernDefaultRings;
                break;
            case kModernDown:
                rings = ShadedRings(f, kModernDownShades);
                break;
            default:
                rings = kModernHoverRings;
                break;
        }
        outer = kModernOuter;
    } else {
        outer = Shade(face, -84, true);
    }
    rings.outer = Tones(outer, outer);
    Ring ring = RingOf(rings);
    const std::int32_t SW = width(), SH = height();
    if (mButtonShape <= 3) {
        DrawBevel(ring, gdi::PS_SOLID);
        // The outer ring's corners, inside the corners CutCorners takes off.
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
            ring[kOutlineSide] = kModernHoverOval;
        else if (mStateFlags & kFocusLook)
            ring[kOutlineSide] = kModernDefaultOval;
    }
    return FaceEnd{ring, level, std::nullopt, true};
}

// ---- Style 3: flat ----

std::optional<gxButtons_H::FaceEnd> gxButtons_H::DrawFlatFace() {
    const Colour face = ChosenFace();
    const Colour dark = Shade(kGrey, -26), light = kWhite;
    const std::int16_t level = FillFace(face, mGradientColor, mHoverFaceColor);
    if (level == 0) return std::nullopt;
    DrawCaption(face, isEnabled() ? kGrey : Shade(kGrey, -16), mHoverForeColor);
    Rings rings;
    if (isEnabled() || mMode != 0) {
        // A command button is never drawn at rest (1 at the least); check and option buttons
        // are sunken (2) while toggled on and raised (3) otherwise.
        std::int16_t state = BaseState();
        if (mMode != 0) state = ToggledOn() ? 2 : 3;
        state = std::max<std::int16_t>(state, 1);
        rings = {{}, Tones(state == 2 ? face : light, dark), Tones(dark, light)};
    } else {
        rings = {Tones(face, face), Tones(face, face), Tones(dark, dark)};
    }
    const Ring ring = RingOf(rings);
    if (mButtonShape <= 3) DrawBevel(ring, gdi::PS_SOLID);
    return FaceEnd{ring, level, FocusLook{Rgb(153, 153, 204), true, true}, false};
}

// ---- Style 5: hover ----

std::optional<gxButtons_H::FaceEnd> gxButtons_H::DrawHoverFace() {
    const Colour face = ChosenFace();
    const std::int16_t level = FillFace(face, mGradientColor, mHoverFaceColor);
    if (level == 0) return std::nullopt;
    DrawCaption(face, DisabledCaptionColour(), mHoverForeColor);
    Rings rings;
    int penStyle = gdi::PS_SOLID;
    if ((mStateFlags & kHoverLook) || mValue) {
        rings.outer = Bevel(kWhite, kGrey, IsPressed() || ToggledOn());
    } else if (!UserMode()) {
        // In the designer a dotted outline shows where the borderless button is.
        Colour c = Shade(mContainerBackColor, -64);
        if (c == kBlack) c = kWhite;
        rings.outer = Tones(c, c);
        penStyle = gdi::PS_DOT;
        if (mButtonShape >= 4 && mButtonShape <= 6) {
            SelectTool(true, mBackDC, 1, Shade(mContainerBackColor, -32), false, 1, gdi::PS_DOT);
            gdi::Arc(mBackDC, 0, 0, width() - 1, height() - 1, 0, 0, 0, 0);
        }
    }
    const Ring ring = RingOf(rings);
    if (mButtonShape <= 3) DrawBevel(ring, penStyle);
    const Colour focus = mButtonShape == 0 ? kBlack : Shade(mContainerBackColor, -32);
    return FaceEnd{ring, level, FocusLook{focus, false, mValue}, false};
}

// ---- Style 7: bright ----

std::optional<gxButtons_H::FaceEnd> gxButtons_H::DrawBrightFace() {
    const Colour face = ChosenFace();
    const bool pressed = IsPressed();
    const bool gradient = mGradientMode != 0;
    // The caption colour this style passes in place of the disabled colour.
    Colour text;
    if ((pressed && mMode == 0) || mValue)
        text = (!isEnabled() && mValue) ? Shade(mFaceColor, -32, true) : mFaceColor;
    else if (!isEnabled() && mMode != 0)
        text = kGrey;
    else
        text = isEnabled() ? platform::Resolve(mForeColor) : kNone;
    const std::int16_t level =
        FillFace(face, Shade(platform::Resolve(mGradientColor), 31), mHoverFaceColor);
    if (level == 0) return std::nullopt;
    // A hover fore colour that only follows ForeColor, or any while checked, gives way to the
    // style's own caption colour.
    const bool ownHoverText = mHoverForeColor == mForeColor || mValue;
    DrawCaption(face, text, ownHoverText ? text : mHoverForeColor);

    std::int16_t state = BaseState();
    if (ToggledOn()) state = mValue ? 2 : 0;
    Colour faceEntry = face, white = kWhite;
    Colour hi = Shade(face, 31, true), lo = Shade(face, -64, true);
    if (state == 2) {
        faceEntry = gradient ? mFaceColor : kGrey;
        white = Shade(faceEntry, -32);
        hi = Shade(faceEntry, -64);
        lo = Shade(faceEntry, -16);
    }
    const Ring ring = RingOf({Tones(white, faceEntry), Tones(hi, lo), Tones(kBlack, kBlack)});
    const std::int32_t SW = width(), SH = height();
    if (mButtonShape <= 3) {
        DrawBevel(ring, gdi::PS_SOLID);
        // The rings' corners, inside the corners CutCorners takes off.
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
    const Colour focus = platform::Resolve(ownHoverText ? mHoverForeColor : kBlack);
    return FaceEnd{ring, level, FocusLook{focus, true, mValue}, false};
}

// ---- The end of every face ----

// The focus indicator (style 2 asks for none), then the draw level and the outline colour: the
// shape outline is wanted only for picture shapes and a hovered or pressed framed oval, in black
// unless the style chose its own colour for the oval.
std::int16_t gxButtons_H::FinishFace(const FaceEnd& end, Colour& outline) {
    if (end.focus) DrawFocus(end.focus->colour, end.focus->solid, end.focus->aroundCaption);
    const bool hoverOrPressed = mHovering || IsPressed();
    const bool keep = mButtonShape >= 7 || (mButtonShape == 6 && hoverOrPressed);
    if (!keep) {
        outline = end.ring[kOutlineSide];
        return 1;
    }
    outline = (end.ownOvalOutline && mButtonShape == 6) ? end.ring[kOutlineSide] : kBlack;
    return end.level;
}
