// Drawing: rectangles, polylines, arcs, single pixels, the focus rectangle and icons.
//
// Lines, outlines and arcs are rasterised here pixel by pixel rather than through QPainter so
// that every result is exact and the same on every machine. All arithmetic on caller
// coordinates is done in 64 bits and every loop runs only over the part that can reach the
// surface, so absurd coordinates cost no more than sensible ones.

#include <QPoint>
#include <QRect>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <unordered_set>
#include <utility>
#include <vector>

#include "platform/gdi/GdiObjects.h"

namespace platform::gdi {

using namespace detail;

namespace {

using i64 = std::int64_t;

constexpr i64 kMaxSide = 32767;

struct Pt {
    i64 x = 0, y = 0;
};

// The pixels of one DC that may be written: its surface, limited to the drawable region.
class Canvas {
public:
    explicit Canvas(HDC dc) : image_(Surface(dc)) {
        if (!image_) return;
        bounds_ = QRect(0, 0, image_->width(), image_->height());
        // Without a clip region the surface is one rectangle: no region to build.
        if (const DCObject* o = Dc(dc); o && o->clip) {
            region_ = DrawableRegion(dc);
            bounds_ = region_.boundingRect();
            simple_ = region_.rectCount() <= 1;
            clipped_ = true;
        }
    }

    bool Valid() const { return image_ != nullptr; }

    bool Contains(i64 x, i64 y) const {
        if (x < bounds_.left() || x > bounds_.right() || y < bounds_.top() || y > bounds_.bottom())
            return false;
        return simple_ || region_.contains(QPoint(int(x), int(y)));
    }

    // One rectangle: every pixel within the bounds may be written.
    bool Simple() const { return simple_; }
    std::uint32_t* Row(i64 y) { return reinterpret_cast<std::uint32_t*>(image_->scanLine(int(y))); }

    std::uint32_t& At(i64 x, i64 y) {
        return reinterpret_cast<std::uint32_t*>(image_->scanLine(int(y)))[x];
    }

    void Put(i64 x, i64 y, std::uint32_t pixel) {
        if (Contains(x, y)) At(x, y) = pixel;
    }

    void Invert(i64 x, i64 y) {
        if (Contains(x, y)) At(x, y) ^= 0x00FFFFFFu;
    }

    // Fills [left, right) x [top, bottom). With `dotted`, only the pixels whose x + y has the
    // parity of `phase`.
    void Fill(i64 left, i64 top, i64 right, i64 bottom, std::uint32_t pixel, bool dotted = false,
              i64 phase = 0) {
        if (left >= right || top >= bottom) return;
        const auto rects = clipped_ ? region_.begin() : &bounds_;
        const auto end = clipped_ ? region_.end() : &bounds_ + 1;
        for (auto it = rects; it != end; ++it) {
            const QRect& r = *it;
            const i64 l = std::max<i64>(left, r.left()), rr = std::min<i64>(right, r.right() + 1);
            const i64 t = std::max<i64>(top, r.top()), b = std::min<i64>(bottom, r.bottom() + 1);
            for (i64 y = t; y < b; ++y) {
                auto* row = reinterpret_cast<std::uint32_t*>(image_->scanLine(int(y)));
                i64 x = l;
                if (dotted && ((x + y - phase) & 1)) ++x;
                for (; x < rr; x += dotted ? 2 : 1) row[x] = pixel;
            }
        }
    }

    // Inclusive span [x1, x2] of row y.
    void Span(i64 y, i64 x1, i64 x2, std::uint32_t pixel) { Fill(x1, y, x2 + 1, y + 1, pixel); }

    i64 Left() const { return bounds_.left(); }
    i64 Right() const { return bounds_.right(); }  // inclusive
    i64 Top() const { return bounds_.top(); }
    i64 Bottom() const { return bounds_.bottom(); }  // inclusive

private:
    QImage* image_;
    QRegion region_;  // only when clipped
    QRect bounds_;
    bool simple_ = true;
    bool clipped_ = false;
};

// The first index in [0, n) for which `pred` holds, or n; `pred` must be false then true.
template <class Pred>
i64 FirstTrue(i64 n, Pred pred) {
    i64 lo = 0, hi = n;
    while (lo < hi) {
        const i64 mid = lo + (hi - lo) / 2;
        if (pred(mid))
            hi = mid;
        else
            lo = mid + 1;
    }
    return lo;
}

// The index range [first, last) of [0, n) where the monotone `coord` lies in [lo, hi].
template <class Coord>
std::pair<i64, i64> RangeWithin(i64 n, Coord coord, bool increasing, i64 lo, i64 hi) {
    if (increasing)
        return {FirstTrue(n, [&](i64 i) { return coord(i) >= lo; }),
                FirstTrue(n, [&](i64 i) { return coord(i) > hi; })};
    return {FirstTrue(n, [&](i64 i) { return coord(i) <= hi; }),
            FirstTrue(n, [&](i64 i) { return coord(i) < lo; })};
}

// The square a pen of width w stamps on each line pixel: offsets lo..hi around it.
struct Stamp {
    i64 lo = 0, hi = 0;
    explicit Stamp(i64 width) : lo(-(width / 2)), hi(-(width / 2) + width - 1) {}
};

// Stamps the pen square on each of n points that are monotone in x and in y, with neighbours
// at most the pen width apart. Along such a run the stamps of one row join into one span, so
// the work is one span per row however wide the pen is.
template <class At>
void StampRun(Canvas& canvas, i64 n, At at, const Stamp& s, std::uint32_t pixel) {
    if (n <= 0) return;
    const Pt first = at(0), last = at(n - 1);
    const bool down = last.y >= first.y;
    const i64 top = std::max(canvas.Top(), std::min(first.y, last.y) + s.lo);
    const i64 bottom = std::min(canvas.Bottom(), std::max(first.y, last.y) + s.hi);
    for (i64 row = top; row <= bottom; ++row) {
        const auto [a, b] = RangeWithin(
            n, [&](i64 i) { return at(i).y; }, down, row - s.hi, row - s.lo);
        if (a >= b) continue;
        const i64 xa = at(a).x, xb = at(b - 1).x;
        canvas.Span(row, std::min(xa, xb) + s.lo, std::max(xa, xb) + s.hi, pixel);
    }
}

// One straight line from `from` towards `to`, `to` itself excluded: pixel i lies i steps along
// the major axis, rounded to the nearest pixel across it (halves away from the start).
struct Segment {
    Pt from;
    i64 major = 0, minor = 0;  // lengths along the two axes
    i64 sx = 0, sy = 0;
    bool xMajor = true;

    Segment(Pt a, Pt b) : from(a) {
        const i64 dx = b.x - a.x, dy = b.y - a.y;
        sx = dx > 0 ? 1 : (dx < 0 ? -1 : 0);
        sy = dy > 0 ? 1 : (dy < 0 ? -1 : 0);
        const i64 ax = dx < 0 ? -dx : dx, ay = dy < 0 ? -dy : dy;
        xMajor = ax >= ay;
        major = xMajor ? ax : ay;
        minor = xMajor ? ay : ax;
    }

    i64 Length() const { return major; }

    Pt operator()(i64 i) const {
        // i * minor < 2^64 as both are below 2^32, so the product is exact unsigned.
        const std::uint64_t p = std::uint64_t(i) * std::uint64_t(minor);
        const std::uint64_t q = p / std::uint64_t(major), r = p % std::uint64_t(major);
        const i64 across = i64(q) + (2 * r >= std::uint64_t(major) ? 1 : 0);
        return xMajor ? Pt{from.x + sx * i, from.y + sy * across}
                      : Pt{from.x + sx * across, from.y + sy * i};
    }
};

// The pen as it draws: nothing for the null pen, else its pixel, width and dot pattern.
struct PenInk {
    bool none = true;
    bool dotted = false;
    i64 width = 1;
    std::uint32_t pixel = 0;
};

PenInk InkOf(HDC dc, const PenObject& pen) {
    PenInk ink;
    ink.none = pen.style == PS_NULL;
    ink.dotted = pen.style == PS_DOT;
    ink.width = std::max<i64>(1, pen.width);
    ink.pixel = PixelFor(dc, pen.colour);
    return ink;
}

// Draws one segment; `counter` is the dot counter running along the whole figure.
void DrawSegment(Canvas& canvas, const Segment& seg, const PenInk& ink, i64 counter) {
    const i64 n = seg.Length();
    if (n == 0) return;
    if (ink.width == 1 && !ink.dotted && seg.minor == 0) {
        // A horizontal or vertical line is one span.
        const Pt a = seg(0), b = seg(n - 1);
        canvas.Fill(std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x) + 1,
                    std::max(a.y, b.y) + 1, ink.pixel);
        return;
    }
    if (ink.width == 1) {
        // Only the indices whose pixel lies within the drawable bounds.
        const auto [ax, bx] = RangeWithin(
            n, [&](i64 i) { return seg(i).x; }, seg.sx >= 0, canvas.Left(), canvas.Right());
        const auto [ay, by] = RangeWithin(
            n, [&](i64 i) { return seg(i).y; }, seg.sy >= 0, canvas.Top(), canvas.Bottom());
        for (i64 i = std::max(ax, ay), end = std::min(bx, by); i < end; ++i) {
            if (ink.dotted && ((counter + i) & 1)) continue;
            const Pt p = seg(i);
            canvas.Put(p.x, p.y, ink.pixel);
        }
        return;
    }
    const Stamp stamp(ink.width);
    if (!ink.dotted) {
        StampRun(canvas, n, seg, stamp, ink.pixel);
        return;
    }
    // Dotted: the "on" pixels only, which are every second index from the first one.
    const i64 first = (counter & 1) ? 1 : 0;
    const i64 count = (n - first + 1) / 2;
    StampRun(
        canvas, count, [&](i64 j) { return seg(first + 2 * j); }, stamp, ink.pixel);
}

// Draws a sequence of points with the pen, with the dot counter starting at the first.
void DrawPoints(Canvas& canvas, const std::vector<Pt>& points, const PenInk& ink) {
    std::vector<Pt> on;
    on.reserve(ink.dotted ? points.size() / 2 + 1 : points.size());
    for (std::size_t i = 0; i < points.size(); ++i)
        if (!ink.dotted || (i & 1) == 0) on.push_back(points[i]);
    if (ink.width == 1) {
        for (const Pt& p : on) canvas.Put(p.x, p.y, ink.pixel);
        return;
    }
    // Wide pens: split into runs monotone in x and y and stamp each run.
    const Stamp stamp(ink.width);
    std::size_t start = 0;
    int dirX = 0, dirY = 0;
    auto flush = [&](std::size_t end) {
        StampRun(
            canvas, i64(end - start), [&](i64 j) { return on[start + std::size_t(j)]; }, stamp,
            ink.pixel);
    };
    for (std::size_t i = 1; i < on.size(); ++i) {
        const i64 dx = on[i].x - on[i - 1].x, dy = on[i].y - on[i - 1].y;
        const int sx = dx > 0 ? 1 : (dx < 0 ? -1 : 0), sy = dy > 0 ? 1 : (dy < 0 ? -1 : 0);
        if ((sx && dirX && sx != dirX) || (sy && dirY && sy != dirY)) {
            flush(i);
            start = i;
            dirX = dirY = 0;
            continue;
        }
        if (sx) dirX = sx;
        if (sy) dirY = sy;
    }
    flush(on.size());
}

// The outline of the ellipse inscribed in a box of w x h pixels as a closed 8-connected loop,
// counterclockwise on screen from the rightmost pixel. Coordinates are doubled and relative to
// the box centre, with v growing upwards: u runs over -(w-1), -(w-3), ..., w-1.
std::vector<Pt> EllipseLoop(i64 w, i64 h) {
    const i64 a = w - 1, b = h - 1;
    const i64 a2 = a * a, b2 = b * b;
    const i64 uEnd = a & 1, vStart = b & 1;
    auto error = [&](i64 u, i64 v) {
        const i64 f = b2 * u * u + a2 * v * v - a2 * b2;
        return f < 0 ? -f : f;
    };
    // The first quadrant: from (a, vStart) up and to the left to (uEnd, b), taking each time the
    // step that stays closest to the curve.
    std::vector<Pt> quarter;
    i64 u = a, v = vStart;
    quarter.push_back({u, v});
    while (u > uEnd || v < b) {
        if (u == uEnd) {
            v += 2;
        } else if (v == b) {
            u -= 2;
        } else {
            const i64 diagonal = error(u - 2, v + 2), up = error(u, v + 2), left = error(u - 2, v);
            if (diagonal <= up && diagonal <= left) {
                u -= 2;
                v += 2;
            } else if (up <= left) {
                v += 2;
            } else {
                u -= 2;
            }
        }
        quarter.push_back({u, v});
    }
    std::vector<Pt> loop;
    loop.reserve(quarter.size() * 4);
    std::unordered_set<std::uint64_t> seen;
    auto add = [&](i64 x, i64 y) {
        // Degenerate boxes fold quadrants onto each other: keep each pixel once.
        const std::uint64_t key = (std::uint64_t(std::uint32_t(x)) << 32) | std::uint32_t(y);
        if (seen.insert(key).second) loop.push_back({x, y});
    };
    for (const Pt& p : quarter) add(p.x, p.y);
    for (auto it = quarter.rbegin(); it != quarter.rend(); ++it) add(-it->x, it->y);
    for (const Pt& p : quarter) add(-p.x, -p.y);
    for (auto it = quarter.rbegin(); it != quarter.rend(); ++it) add(it->x, -it->y);
    return loop;
}

// Angle of a direction in [0, 2pi), v upwards.
double AngleOf(double u, double v) {
    const double t = std::atan2(v, u);
    return t < 0 ? t + 2 * std::numbers::pi : t;
}

// ---- Scaled DCs ----

// The device pixels [first, end) of one axis that logical pixels first..last (inclusive) of a
// line `thickness` device pixels thick cover: at least the thickness from the first, and on to
// the edge after the last, so that neither runs nor single pixels leave gaps.
struct DeviceRun {
    i64 first = 0, end = 0;
};
DeviceRun RunOf(double s, i64 first, i64 last, i64 lo, i64 hi, i64 thickness) {
    const i64 a = ToDevice(s, first + lo);
    return {a, std::max(ToDevice(s, last + lo) + thickness, ToDevice(s, last + hi + 1))};
}

// Pen pixels of a scaled DC: each logical pixel p stamps the pen's square, mapped to device.
class ScaledPen {
public:
    ScaledPen(Canvas& canvas, double s, const PenInk& ink)
        : canvas_(canvas),
          s_(s),
          ink_(ink),
          stamp_(ink.width),
          thickness_(DeviceThickness(s, ink.width)) {}

    // Logical pixels (x0..x1, y0..y1), inclusive, along a horizontal or vertical run.
    void Run(i64 x0, i64 y0, i64 x1, i64 y1) {
        const DeviceRun x =
            RunOf(s_, std::min(x0, x1), std::max(x0, x1), stamp_.lo, stamp_.hi, thickness_);
        const DeviceRun y =
            RunOf(s_, std::min(y0, y1), std::max(y0, y1), stamp_.lo, stamp_.hi, thickness_);
        canvas_.Fill(x.first, y.first, x.end, y.end, ink_.pixel);
    }
    void Point(const Pt& p) { Run(p.x, p.y, p.x, p.y); }

private:
    Canvas& canvas_;
    double s_;
    const PenInk& ink_;
    Stamp stamp_;
    i64 thickness_;
};

// The logical bounds a canvas of a scaled DC can reach, one pixel wider on every side.
struct LogicalReach {
    i64 left, top, right, bottom;  // inclusive
    LogicalReach(const Canvas& c, double s)
        : left(i64(std::floor(double(c.Left()) / s)) - 1),
          top(i64(std::floor(double(c.Top()) / s)) - 1),
          right(i64(std::ceil(double(c.Right() + 1) / s)) + 1),
          bottom(i64(std::ceil(double(c.Bottom() + 1) / s)) + 1) {}
};

void DrawSegmentScaled(Canvas& canvas, double s, const Segment& seg, const PenInk& ink,
                       i64 counter) {
    const i64 n = seg.Length();
    if (n == 0) return;
    ScaledPen pen(canvas, s, ink);
    if (!ink.dotted && seg.minor == 0) {
        const Pt a = seg(0), b = seg(n - 1);
        pen.Run(a.x, a.y, b.x, b.y);
        return;
    }
    // Only the logical pixels that can reach the surface.
    const LogicalReach reach(canvas, s);
    const i64 w = ink.width;
    const auto [ax, bx] = RangeWithin(
        n, [&](i64 i) { return seg(i).x; }, seg.sx >= 0, reach.left - w, reach.right + w);
    const auto [ay, by] = RangeWithin(
        n, [&](i64 i) { return seg(i).y; }, seg.sy >= 0, reach.top - w, reach.bottom + w);
    for (i64 i = std::max(ax, ay), end = std::min(bx, by); i < end; ++i) {
        if (ink.dotted && ((counter + i) & 1)) continue;
        pen.Point(seg(i));
    }
}

}  // namespace

BOOL Rectangle(HDC dc, std::int32_t left, std::int32_t top, std::int32_t right,
               std::int32_t bottom) {
    Canvas canvas(dc);
    if (!canvas.Valid()) return 0;
    const DCObject* d = Dc(dc);
    const PenObject* pen = Pen(d->pen);
    const BrushObject* brush = Brush(d->brush);
    if (!pen || !brush) return 0;
    const double s = ScaleOf(dc);
    const i64 l = ToDevice(s, std::min(left, right)), r = ToDevice(s, std::max(left, right));
    const i64 t = ToDevice(s, std::min(top, bottom)), b = ToDevice(s, std::max(top, bottom));
    const PenInk ink = InkOf(dc, *pen);
    // On a scaled DC the outline is drawn in device pixels, its thickness scaled.
    const i64 w = ink.none ? 0 : (s == 1.0 ? ink.width : DeviceThickness(s, ink.width));
    // The inside left by the pen; empty when the pen covers the whole rectangle.
    const i64 il = l + w, ir = r - w, it = t + w, ib = b - w;
    const bool hollow = il < ir && it < ib;
    if (!brush->null && hollow) canvas.Fill(il, it, ir, ib, PixelFor(dc, brush->colour));
    if (w == 0) return 1;
    // Dots alternate around the outline starting at the top-left corner; as every ring has an
    // even length this is the parity of x + y.
    const i64 phase = (l + t) & 1;
    if (!hollow) {
        canvas.Fill(l, t, r, b, ink.pixel, ink.dotted, phase);
        return 1;
    }
    canvas.Fill(l, t, r, it, ink.pixel, ink.dotted, phase);
    canvas.Fill(l, ib, r, b, ink.pixel, ink.dotted, phase);
    canvas.Fill(l, it, il, ib, ink.pixel, ink.dotted, phase);
    canvas.Fill(ir, it, r, ib, ink.pixel, ink.dotted, phase);
    return 1;
}

BOOL Polyline(HDC dc, const POINT* points, int count) {
    Canvas canvas(dc);
    if (!canvas.Valid() || !points || count < 2) return 0;
    const PenObject* pen = Pen(Dc(dc)->pen);
    if (!pen) return 0;
    const PenInk ink = InkOf(dc, *pen);
    if (ink.none) return 1;
    const double s = ScaleOf(dc);
    i64 counter = 0;
    for (int i = 0; i + 1 < count; ++i) {
        const Segment seg({points[i].x, points[i].y}, {points[i + 1].x, points[i + 1].y});
        if (s == 1.0)
            DrawSegment(canvas, seg, ink, counter);
        else
            DrawSegmentScaled(canvas, s, seg, ink, counter);
        counter += seg.Length();
    }
    return 1;
}

BOOL Arc(HDC dc, std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom,
         std::int32_t xs, std::int32_t ys, std::int32_t xe, std::int32_t ye) {
    Canvas canvas(dc);
    if (!canvas.Valid()) return 0;
    const PenObject* pen = Pen(Dc(dc)->pen);
    if (!pen) return 0;
    const i64 l = std::min(left, right), r = std::max(left, right);
    const i64 t = std::min(top, bottom), b = std::max(top, bottom);
    // Boxes beyond the platform's largest side are refused rather than traced.
    if (r - l > kMaxSide || b - t > kMaxSide) return 0;
    const PenInk ink = InkOf(dc, *pen);
    if (ink.none || l == r || t == b) return 1;

    // Rays in the doubled, centred coordinates of EllipseLoop.
    const double su = double(2 * i64(xs) - l - r), sv = double(t + b - 2 * i64(ys));
    const double eu = double(2 * i64(xe) - l - r), ev = double(t + b - 2 * i64(ye));
    const bool sameRay = su * ev - sv * eu == 0 && su * eu + sv * ev >= 0;
    const double start = AngleOf(su, sv);
    double sweep = AngleOf(eu, ev) - start;
    if (sweep < 0) sweep += 2 * std::numbers::pi;
    if (sameRay) sweep = 2 * std::numbers::pi;

    struct Picked {
        double from;  // angle past the start ray
        Pt p;
    };
    std::vector<Picked> picked;
    for (const Pt& q : EllipseLoop(r - l, b - t)) {
        double a = AngleOf(double(q.x), double(q.y)) - start;
        if (a < 0) a += 2 * std::numbers::pi;
        if (a <= sweep) picked.push_back({a, {(q.x + l + r - 1) / 2, (t + b - 1 - q.y) / 2}});
    }
    // The loop runs counterclockwise, so ordering by angle from the start walks the arc.
    std::stable_sort(picked.begin(), picked.end(),
                     [](const Picked& x, const Picked& y) { return x.from < y.from; });
    std::vector<Pt> points;
    points.reserve(picked.size());
    for (const Picked& k : picked) points.push_back(k.p);
    if (const double s = ScaleOf(dc); s != 1.0) {
        ScaledPen scaled(canvas, s, ink);
        for (std::size_t i = 0; i < points.size(); ++i)
            if (!ink.dotted || (i & 1) == 0) scaled.Point(points[i]);
        return 1;
    }
    DrawPoints(canvas, points, ink);
    return 1;
}

COLORREF SetPixel(HDC dc, std::int32_t x, std::int32_t y, COLORREF colour) {
    Canvas canvas(dc);
    if (const double s = ScaleOf(dc); s != 1.0) {
        if (!canvas.Valid() || !canvas.Contains(ToDevice(s, x), ToDevice(s, y))) return kClrInvalid;
        PenInk ink;
        ink.pixel = PixelFor(dc, colour);
        ScaledPen(canvas, s, ink).Point({x, y});
        return ToColorRef(ink.pixel);
    }
    if (!canvas.Valid() || !canvas.Contains(x, y)) return kClrInvalid;
    const std::uint32_t pixel = PixelFor(dc, colour);
    canvas.At(x, y) = pixel;
    return ToColorRef(pixel);
}

COLORREF GetPixel(HDC dc, std::int32_t lx, std::int32_t ly) {
    const double scale = ScaleOf(dc);
    const i64 dx = ToDevice(scale, lx), dy = ToDevice(scale, ly);
    if (dx < INT32_MIN || dx > INT32_MAX || dy < INT32_MIN || dy > INT32_MAX) return kClrInvalid;
    const std::int32_t x = std::int32_t(dx), y = std::int32_t(dy);
    const QImage* s = Surface(dc);
    if (!s || x < 0 || y < 0 || x >= s->width() || y >= s->height()) return kClrInvalid;
    return ToColorRef(reinterpret_cast<const std::uint32_t*>(s->constScanLine(y))[x]);
}

BOOL DrawFocusRect(HDC dc, const RECT& rect) {
    Canvas canvas(dc);
    if (!canvas.Valid()) return 0;
    const i64 l = std::min(rect.left, rect.right), r = std::max(rect.left, rect.right);
    const i64 t = std::min(rect.top, rect.bottom), b = std::max(rect.top, rect.bottom);
    if (l == r || t == b) return 1;
    if (const double s = ScaleOf(dc); s != 1.0) {
        // Each logical pixel inverts the device pixels between its edges: no two overlap, so
        // drawing twice still restores every pixel.
        const LogicalReach reach(canvas, s);
        const auto invert = [&](i64 x, i64 y) {
            if (((x + y) & 1) != 0) return;
            for (i64 py = ToDevice(s, y), pyEnd = ToDevice(s, y + 1); py < pyEnd; ++py)
                for (i64 px = ToDevice(s, x), pxEnd = ToDevice(s, x + 1); px < pxEnd; ++px)
                    canvas.Invert(px, py);
        };
        const auto row = [&](i64 y) {
            if (y < reach.top || y > reach.bottom) return;
            for (i64 x = std::max(l, reach.left), end = std::min(r - 1, reach.right); x <= end; ++x)
                invert(x, y);
        };
        const auto column = [&](i64 x) {
            if (x < reach.left || x > reach.right) return;
            for (i64 y = std::max(t + 1, reach.top), end = std::min(b - 2, reach.bottom); y <= end;
                 ++y)
                invert(x, y);
        };
        row(t);
        if (b - 1 > t) row(b - 1);
        column(l);
        if (r - 1 > l) column(r - 1);
        return 1;
    }
    // Each edge pixel once (corners belong to the top and bottom rows), those with x + y even.
    auto row = [&](i64 y) {
        if (y < canvas.Top() || y > canvas.Bottom()) return;
        for (i64 x = std::max(l, canvas.Left()), end = std::min(r - 1, canvas.Right()); x <= end;
             ++x)
            if (((x + y) & 1) == 0) canvas.Invert(x, y);
    };
    auto column = [&](i64 x) {
        if (x < canvas.Left() || x > canvas.Right()) return;
        for (i64 y = std::max(t + 1, canvas.Top()), end = std::min(b - 2, canvas.Bottom());
             y <= end; ++y)
            if (((x + y) & 1) == 0) canvas.Invert(x, y);
    };
    row(t);
    if (b - 1 > t) row(b - 1);
    column(l);
    if (r - 1 > l) column(r - 1);
    return 1;
}

BOOL DrawIconEx(HDC dc, std::int32_t x, std::int32_t y, const QImage& icon, std::int32_t w,
                std::int32_t h) {
    Canvas canvas(dc);
    if (!canvas.Valid() || icon.isNull() || w < 0 || h < 0 || w > kMaxSide || h > kMaxSide)
        return 0;
    QImage src = icon.convertToFormat(QImage::Format_ARGB32);
    i64 iw = src.width(), ih = src.height();
    i64 dw = w ? w : iw, dh = h ? h : ih;
    if (const double s = ScaleOf(dc); s != 1.0) {
        // The icon smoothly scaled to the device pixels its logical box covers.
        const i64 left = ToDevice(s, x), top = ToDevice(s, y);
        const i64 pw = ToDevice(s, x + dw) - left, ph = ToDevice(s, y + dh) - top;
        if (pw <= 0 || ph <= 0 || pw > kMaxSide || ph > kMaxSide) return 1;
        src = src.scaled(int(pw), int(ph), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        iw = dw = pw;
        ih = dh = ph;
        x = std::int32_t(std::clamp<i64>(left, INT32_MIN, INT32_MAX));
        y = std::int32_t(std::clamp<i64>(top, INT32_MIN, INT32_MAX));
    }
    const i64 x0 = std::max<i64>(x, canvas.Left()), x1 = std::min<i64>(x + dw - 1, canvas.Right());
    const i64 y0 = std::max<i64>(y, canvas.Top()), y1 = std::min<i64>(y + dh - 1, canvas.Bottom());
    if (x0 > x1 || y0 > y1) return 1;
    const bool mono = IsMonoSurface(dc);
    // The source column under the centre of each destination column.
    std::vector<i64> column(std::size_t(x1 - x0 + 1));
    for (i64 dx = x0; dx <= x1; ++dx)
        column[std::size_t(dx - x0)] = ((dx - x) * 2 + 1) * iw / (2 * dw);
    for (i64 dy = y0; dy <= y1; ++dy) {
        const i64 sy = ((dy - y) * 2 + 1) * ih / (2 * dh);
        const auto* line = reinterpret_cast<const std::uint32_t*>(src.constScanLine(int(sy)));
        std::uint32_t* row = canvas.Simple() ? canvas.Row(dy) : nullptr;
        for (i64 dx = x0; dx <= x1; ++dx) {
            const std::uint32_t p = line[column[std::size_t(dx - x0)]];
            if ((p >> 24) < 128) continue;
            const std::uint32_t pixel = mono ? ToMonoPixel(ToColorRef(p)) : (p | 0xFF000000u);
            if (row)
                row[dx] = pixel;
            else
                canvas.Put(dx, dy, pixel);
        }
    }
    return 1;
}

}  // namespace platform::gdi
