// Regions: rectangles, ellipses and polygons as pixel sets, their algebra, and window regions.
//
// A region is a QRegion of whole pixels. Shapes are rasterised here rather than by Qt so that the
// edge pixels are exactly the platform's:
// - Polygons: pixel (x, y) belongs when the point (x, y) is inside; a point on a left or top edge
//   is inside, one on a right or bottom edge outside. So pixels run from the first whole x at or
//   right of the left crossing up to, not including, the first at or right of the right one.
// - Ellipses in the box (l, t, r, b): the ellipse is traced through the pixels of the box
//   l..r-2 by t..b-2 (the right column and bottom row stay out, as they do for rectangles) with an
//   integer error walk from the widest rows outwards (below); each row is the span between the
//   walk's first pixels on it. This reproduces the platform's masks pixel for pixel, where
//   sampling the true ellipse at pixel centres misses by one pixel at a few row ends.
// The rasterisers emit rows already merged into bands (consecutive rows with identical spans
// become one rectangle per span), the compact form QRegion's own operations produce.
//
// Limits that keep bad input harmless:
// - Every coordinate is clamped to +-kMaxCoord, and OffsetRgn refuses to move a region past it,
//   so QRegion's int arithmetic (right = left + width - 1 and the like) never overflows.
// - Ellipses and polygons are rasterised only inside the square +-kRasterLimit, which is far
//   beyond any surface or screen; the work and memory per shape are bounded by it.
// - The walk costs a step per pixel of the outline, so ellipses whose box measures more than
//   kTraceLimit across and down together are sampled at pixel centres instead (same box; row ends
//   a pixel apart here and there, more on very flat ellipses). No surface comes near that size.

#include <QVariant>
#include <QWidget>
#include <algorithm>
#include <cmath>
#include <span>
#include <utility>
#include <vector>

#include "platform/gdi/GdiObjects.h"

namespace platform::gdi {

using namespace detail;

namespace {

constexpr std::int64_t kMaxCoord = std::int64_t{1} << 27;
constexpr std::int64_t kRasterLimit = std::int64_t{1} << 16;
constexpr std::int64_t kTraceLimit = std::int64_t{1} << 17;

// Qt treats an empty mask as no mask at all, so an empty window region becomes a mask of one
// pixel outside the widget, and a property tells it apart from a region that really is that.
constexpr const char* kEmptyWindowRgn = "_qm_emptyWindowRgn";
QRegion HiddenMask() {
    return QRegion(-1, -1, 1, 1);
}

std::int64_t Clamp(std::int64_t v) {
    return std::clamp(v, -kMaxCoord, kMaxCoord);
}

// By pixels: QRegion keeps the rectangles given to setRects as they are and does not merge
// bands in every operation, so the rectangle count alone could call a rectangle complex.
int TypeOf(const QRegion& r) {
    if (r.isEmpty()) return NULLREGION;
    if (r.rectCount() == 1) return SIMPLEREGION;
    std::int64_t area = 0;
    for (const QRect& q : r) area += std::int64_t(q.width()) * q.height();
    const QRect box = r.boundingRect();
    return area == std::int64_t(box.width()) * box.height() ? SIMPLEREGION : COMPLEXREGION;
}

// The whole coordinate range a region may occupy.
QRect Universe() {
    return QRect(int(-kMaxCoord), int(-kMaxCoord), int(2 * kMaxCoord), int(2 * kMaxCoord));
}

std::int64_t FloorDiv(std::int64_t a, std::int64_t b) {
    const std::int64_t q = a / b;
    return (a % b != 0 && ((a < 0) != (b < 0))) ? q - 1 : q;
}

std::int64_t CeilDiv(std::int64_t a, std::int64_t b) {
    return -FloorDiv(-a, b);
}

std::uint64_t ISqrt(std::uint64_t n) {
    auto r = std::uint64_t(std::sqrt(double(n)));
    while (r > 0 && r * r > n) --r;
    while ((r + 1) * (r + 1) <= n) ++r;
    return r;
}

// Collects the spans of successive rows and merges rows with identical spans into bands.
class BandBuilder {
public:
    using Span = std::pair<std::int64_t, std::int64_t>;  // [left, right)

    // Spans of row y, sorted, disjoint and not touching; rows must come in increasing order.
    // A row like the one above it lengthens that band; the spans of every band share one list,
    // so a shape whose rows all differ costs no allocation per row.
    void AddRow(std::int64_t y, std::span<const Span> spans) {
        if (spans.empty()) return;
        if (!bands_.empty()) {
            Band& last = bands_.back();
            const std::span<const Span> above(spans_.data() + last.first, last.count);
            if (last.bottom == y && std::ranges::equal(above, spans)) {
                ++last.bottom;
                return;
            }
        }
        bands_.push_back({y, y + 1, spans_.size(), spans.size()});
        spans_.insert(spans_.end(), spans.begin(), spans.end());
    }
    void AddRow(std::int64_t y, Span span) { AddRow(y, std::span<const Span>(&span, 1)); }

    QRegion Build() const {
        std::vector<QRect> rects;
        rects.reserve(spans_.size());
        for (const Band& b : bands_)
            for (std::size_t i = b.first; i < b.first + b.count; ++i)
                rects.emplace_back(int(spans_[i].first), int(b.top),
                                   int(spans_[i].second - spans_[i].first), int(b.bottom - b.top));
        QRegion r;
        if (!rects.empty()) r.setRects(rects.data(), int(rects.size()));
        return r;
    }

private:
    struct Band {
        std::int64_t top, bottom;
        std::size_t first, count;  // its spans in spans_
    };
    std::vector<Band> bands_;
    std::vector<Span> spans_;
};

// Clips a row's span to the raster window; false when nothing is left.
bool ClipSpan(std::int64_t& left, std::int64_t& right) {
    left = std::max(left, -kRasterLimit);
    right = std::min(right, kRasterLimit);
    return left < right;
}

// Pixels whose centres lie in the ellipse inscribed in the box (l, t, r, b): in doubled
// coordinates relative to the centre, pixel (x, y) has its centre at X = 2x + 1 - (l + r),
// Y = 2y + 1 - (t + b), the semi-axes are A = r - l and B = b - t, and the pixel is inside when
// X^2 B^2 + Y^2 A^2 <= A^2 B^2, that is when X^2 <= floor(A^2 (B^2 - Y^2) / B^2): per row the
// widest |X| is an integer square root, stepped down to the parity every X has (that of A + 1).
// Only for boxes too large to trace; see EllipsePixels.
QRegion CentreSampledEllipse(std::int64_t l, std::int64_t t, std::int64_t r, std::int64_t b) {
    const std::int64_t a = r - l, bb = b - t;
    BandBuilder bands;
    const std::int64_t y0 = std::max(t, -kRasterLimit), y1 = std::min(b, kRasterLimit);
    for (std::int64_t y = y0; y < y1; ++y) {
        const std::int64_t yy = 2 * y + 1 - (t + b);  // |yy| < bb
        const auto rhs = static_cast<unsigned __int128>(a * a) * std::uint64_t(bb * bb - yy * yy);
        auto xm = std::int64_t(ISqrt(std::uint64_t(rhs / std::uint64_t(bb * bb))));
        if ((xm & 1) != ((a + 1) & 1)) --xm;
        if (xm < 0) continue;
        std::int64_t left = (l + r - 1 - xm) / 2, right = (l + r + 1 + xm) / 2;  // both exact
        if (ClipSpan(left, right)) bands.AddRow(y, {left, right});
    }
    return bands.Build();
}

// The ellipse through the pixels of the box (l, t, r, b) less its right column and bottom row.
// With a and b the distances between the outermost pixels across and down, the walk starts on
// the middle row (or middle pair of rows) at the left and right pixels and moves outwards, both
// halves at once. `err` is the error of the diagonal step, scaled so that everything stays an
// integer: a step outwards (up and down) when 2 err <= dy, a step inwards when 2 err >= dx or,
// after a step outwards, 2 err > dy; dx and dy grow by 8 b^2 and 8 a^2 per step. Once the left
// and right pixels have passed each other, any rows still left (the tips of a box one or two
// pixels across, or of a very flat one) take the pixels where they met. Each row keeps the span
// of the walk's first visit, its widest; the lower half mirrors the upper.
QRegion EllipsePixels(std::int64_t l, std::int64_t t, std::int64_t r, std::int64_t b) {
    const std::int64_t a = r - 2 - l, bh = b - 2 - t;
    if (a < 0 || bh < 0) return {};
    if (a + bh > kTraceLimit) return CentreSampledEllipse(l, t, r - 1, b - 1);

    // With a + b <= kTraceLimit = 2^17 every term below stays under 2^56.
    const std::int64_t odd = bh & 1, stepX = 8 * bh * bh, stepY = 8 * a * a;
    std::int64_t dx = 4 * (1 - a) * bh * bh, dy = 4 * (odd + 1) * a * a;
    std::int64_t err = dx + dy + odd * a * a;
    std::int64_t left = l, right = r - 2;
    std::int64_t lower = t + (bh + 1) / 2, upper = lower - odd;

    // spans[y - t] for the upper rows t..middle, filled from the middle outwards.
    const std::int64_t middle = upper;
    std::vector<BandBuilder::Span> spans(std::size_t(middle - t + 1));
    std::int64_t recorded = middle + 1;
    const auto visit = [&](std::int64_t row, std::int64_t from, std::int64_t to) {
        if (row < recorded) spans[std::size_t(row - t)] = {from, to + 1};
        recorded = std::min(recorded, row);
    };
    do {
        visit(upper, left, right);
        const std::int64_t e2 = 2 * err;
        if (e2 <= dy) {
            ++lower;
            --upper;
            dy += stepY;
            err += dy;
        }
        if (e2 >= dx || 2 * err > dy) {
            ++left;
            --right;
            dx += stepX;
            err += dx;
        }
    } while (left <= right);
    while (lower - upper <= bh) {
        visit(upper, left - 1, right + 1);
        ++lower;
        --upper;
    }

    BandBuilder bands;
    const std::int64_t y0 = std::max(t, -kRasterLimit), y1 = std::min(b - 1, kRasterLimit);
    for (std::int64_t y = y0; y < y1; ++y) {
        // Row y mirrors row t + (b - 2) - y below the middle.
        const std::int64_t upperRow = y <= middle ? y : t + (b - 2) - y;
        auto [from, to] = spans[std::size_t(upperRow - t)];
        if (ClipSpan(from, to)) bands.AddRow(y, {from, to});
    }
    return bands.Build();
}

struct Edge {
    std::int64_t x0, y0, x1, y1;  // y0 < y1
    int dir;                      // +1 when the polygon runs downwards along it
};

QRegion PolygonPixels(const std::vector<Edge>& byTop, bool winding) {
    if (byTop.empty()) return {};
    std::int64_t top = byTop.front().y0, bottom = top;
    for (const Edge& e : byTop) bottom = std::max(bottom, e.y1);
    top = std::max(top, -kRasterLimit);
    bottom = std::min(bottom, kRasterLimit);

    BandBuilder bands;
    std::vector<const Edge*> active;
    std::vector<std::pair<std::int64_t, int>> crossings;  // first pixel right of it, direction
    std::vector<BandBuilder::Span> spans;
    std::size_t next = 0;
    for (std::int64_t y = top; y < bottom; ++y) {
        // The scanline through the points (x, y) meets an edge when y0 <= y < y1: an edge
        // counts at its top end and not at its bottom end, so a vertex shared by two edges is
        // counted once, the top row of a polygon is inside and its bottom row outside.
        while (next < byTop.size() && byTop[next].y0 <= y) active.push_back(&byTop[next++]);
        std::erase_if(active, [y](const Edge* e) { return e->y1 <= y; });
        crossings.clear();
        for (const Edge* e : active) {
            // The crossing is at x = x0 + (y - y0)(x1 - x0) / (y1 - y0); the pixels from ceil(x)
            // on are at or right of it, so a point on a left edge is in, on a right edge out.
            const std::int64_t dy = e->y1 - e->y0;
            const std::int64_t n = e->x0 * dy + (y - e->y0) * (e->x1 - e->x0);
            crossings.emplace_back(CeilDiv(n, dy), e->dir);
        }
        std::sort(crossings.begin(), crossings.end());

        // Sweep left to right; every pixel at or right of a crossing is past it, so all
        // crossings at one position apply before deciding whether the pixels there are inside.
        spans.clear();
        int count = 0;
        bool inside = false;
        std::int64_t start = 0;
        for (std::size_t i = 0; i < crossings.size();) {
            const std::int64_t x = crossings[i].first;
            for (; i < crossings.size() && crossings[i].first == x; ++i)
                count += winding ? crossings[i].second : 1;
            const bool now = winding ? count != 0 : (count & 1) != 0;
            if (now == inside) continue;
            inside = now;
            if (inside) {
                start = x;
                continue;
            }
            std::int64_t left = start, right = x;
            if (ClipSpan(left, right)) spans.emplace_back(left, right);
        }
        bands.AddRow(y, spans);
    }
    return bands.Build();
}

// Pixels of `region` within `horizontal` pixels (along the row) or `vertical` pixels (along the
// column) of a pixel outside it: the region minus its erosion by a cross of those arms.
QRegion Frame(const QRegion& region, std::int64_t horizontal, std::int64_t vertical) {
    const QRect box = region.boundingRect();
    // An arm as long as the box erodes everything; longer ones change nothing.
    const int w = int(std::min<std::int64_t>(horizontal, box.width()));
    const int h = int(std::min<std::int64_t>(vertical, box.height()));
    // Erosion by the run 0..length-1 along one axis, doubling the run each step; then centred.
    const auto erode = [&region](int arm, bool alongX) {
        QRegion cur = region;
        for (int covered = 1; covered < 2 * arm + 1;) {
            const int step = std::min(covered, 2 * arm + 1 - covered);
            cur &= alongX ? cur.translated(-step, 0) : cur.translated(0, -step);
            covered += step;
        }
        return alongX ? cur.translated(arm, 0) : cur.translated(0, arm);
    };
    return region - (erode(w, true) & erode(h, false));
}

// Paints `region`, in the DC's device pixels.
BOOL Paint(HDC dc, const QRegion& region, HBRUSH brush) {
    QImage* surface = Surface(dc);
    const BrushObject* b = Brush(brush);
    if (!surface || !b) return 0;
    if (b->null) return 1;
    const std::uint32_t pixel = PixelFor(dc, b->colour);
    const QRegion target = region & DrawableRegion(dc);
    for (const QRect& r : target) {
        for (int y = r.top(); y <= r.bottom(); ++y) {
            auto* row = reinterpret_cast<std::uint32_t*>(surface->scanLine(y));
            std::fill(row + r.left(), row + r.right() + 1, pixel);
        }
    }
    return 1;
}

}  // namespace

HRGN CreateRectRgn(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom) {
    const auto [l, r] = std::minmax({Clamp(left), Clamp(right)});
    const auto [t, b] = std::minmax({Clamp(top), Clamp(bottom)});
    if (l == r || t == b) return NewRegion({});
    return NewRegion(QRegion(int(l), int(t), int(r - l), int(b - t)));
}

HRGN CreateEllipticRgn(std::int32_t left, std::int32_t top, std::int32_t right,
                       std::int32_t bottom) {
    const auto [l, r] = std::minmax({Clamp(left), Clamp(right)});
    const auto [t, b] = std::minmax({Clamp(top), Clamp(bottom)});
    if (l == r || t == b) return NewRegion({});
    return NewRegion(EllipsePixels(l, t, r, b));
}

// Fewer than three points make an empty region; a negative count, missing points or an unknown
// fill mode make no region at all (0).
HRGN CreatePolygonRgn(const POINT* points, int count, int fillMode) {
    if (count < 0 || (!points && count > 0) || (fillMode != ALTERNATE && fillMode != WINDING))
        return {};
    if (count < 3) return NewRegion({});
    std::vector<Edge> edges;
    edges.reserve(std::size_t(count));
    for (int i = 0; i < count; ++i) {
        const POINT& p = points[i];
        const POINT& q = points[(i + 1) % count];  // the closing edge back to the first point
        if (p.y == q.y) continue;  // a horizontal edge bounds rows through its ends instead
        Edge e{Clamp(p.x), Clamp(p.y), Clamp(q.x), Clamp(q.y), 1};
        if (e.y0 > e.y1) e = {e.x1, e.y1, e.x0, e.y0, -1};
        if (e.y0 != e.y1) edges.push_back(e);  // clamping can flatten an edge
    }
    std::sort(edges.begin(), edges.end(), [](const Edge& a, const Edge& b) { return a.y0 < b.y0; });
    return NewRegion(PolygonPixels(edges, fillMode == WINDING));
}

int CombineRgn(HRGN dest, HRGN src1, HRGN src2, int mode) {
    RegionObject* d = Region(dest);
    const RegionObject* a = Region(src1);
    const RegionObject* b = mode == RGN_COPY ? a : Region(src2);
    if (!d || !a || !b) return kRgnError;
    QRegion result;
    switch (mode) {
        case RGN_AND:
            result = a->region & b->region;
            break;
        case RGN_OR:
            result = a->region | b->region;
            break;
        case RGN_XOR:
            result = a->region ^ b->region;
            break;
        case RGN_DIFF:
            result = a->region - b->region;
            break;
        case RGN_COPY:
            result = a->region;
            break;
        default:
            return kRgnError;
    }
    d->region = std::move(result);  // after computing, so dest may be one of the sources
    return TypeOf(d->region);
}

// Refuses (kRgnError, region unchanged) a move that would take the region out of range.
int OffsetRgn(HRGN region, std::int32_t dx, std::int32_t dy) {
    RegionObject* r = Region(region);
    if (!r) return kRgnError;
    if (r->region.isEmpty()) return NULLREGION;
    const QRect box = r->region.boundingRect();
    const bool fits = std::int64_t(box.left()) + dx >= -kMaxCoord &&
                      std::int64_t(box.right()) + 1 + dx <= kMaxCoord &&
                      std::int64_t(box.top()) + dy >= -kMaxCoord &&
                      std::int64_t(box.bottom()) + 1 + dy <= kMaxCoord;
    if (!fits) return kRgnError;
    r->region.translate(dx, dy);
    return TypeOf(r->region);
}

int GetRgnBox(HRGN region, RECT* box) {
    const RegionObject* r = Region(region);
    if (!r || !box) return kRgnError;
    if (r->region.isEmpty()) {
        *box = RECT{};
        return NULLREGION;
    }
    const QRect b = r->region.boundingRect();
    *box = RECT{b.left(), b.top(), b.right() + 1, b.bottom() + 1};
    return TypeOf(r->region);
}

BOOL PtInRegion(HRGN region, std::int32_t x, std::int32_t y) {
    const RegionObject* r = Region(region);
    return r && r->region.contains(QPoint(x, y)) ? 1 : 0;
}

BOOL EqualRgn(HRGN a, HRGN b) {
    const RegionObject* ra = Region(a);
    const RegionObject* rb = Region(b);
    // By pixels, whatever rectangles either happens to be stored as.
    return ra && rb && (ra->region ^ rb->region).isEmpty() ? 1 : 0;
}

BOOL FillRgn(HDC dc, HRGN region, HBRUSH brush) {
    const RegionObject* r = Region(region);
    return r ? Paint(dc, ToDevice(ScaleOf(dc), r->region), brush) : 0;
}

BOOL FrameRgn(HDC dc, HRGN region, HBRUSH brush, std::int32_t w, std::int32_t h) {
    const RegionObject* r = Region(region);
    if (!r || w <= 0 || h <= 0 || !Surface(dc) || !Brush(brush)) return 0;
    // On a scaled DC the frame runs along the device outline of the region, its sides scaled.
    const double s = ScaleOf(dc);
    if (s == 1.0) return Paint(dc, Frame(r->region, w, h), brush);
    return Paint(dc, Frame(ToDevice(s, r->region), DeviceThickness(s, w), DeviceThickness(s, h)),
                 brush);
}

QRegion RegionOf(HRGN region) {
    const RegionObject* r = Region(region);
    return r ? r->region : QRegion();
}

QRegion FrameRegionOf(HRGN region, std::int32_t w, std::int32_t h) {
    const RegionObject* r = Region(region);
    return r && w > 0 && h > 0 ? Frame(r->region, w, h) : QRegion();
}

HRGN CreateRgnFromQRegion(const QRegion& region) {
    return NewRegion(Universe().contains(region.boundingRect()) ? region : region & Universe());
}

BOOL SetWindowRgn(QWidget* widget, HRGN region, bool redraw) {
    if (!widget) return 0;
    if (!region) {
        widget->clearMask();
        widget->setProperty(kEmptyWindowRgn, QVariant());
    } else {
        const RegionObject* r = Region(region);
        if (!r) return 0;
        const bool empty = r->region.isEmpty();
        widget->setMask(empty ? HiddenMask() : r->region);
        widget->setProperty(kEmptyWindowRgn, empty ? QVariant(true) : QVariant());
    }
    if (redraw) widget->update();
    return 1;
}

int GetWindowRgn(QWidget* widget, HRGN into) {
    RegionObject* r = Region(into);
    if (!widget || !r) return kRgnError;
    if (widget->property(kEmptyWindowRgn).toBool() && widget->mask() == HiddenMask()) {
        r->region = QRegion();
        return NULLREGION;
    }
    const QRegion mask = widget->mask();
    if (mask.isEmpty()) return kRgnError;
    r->region = mask;
    return TypeOf(r->region);
}

}  // namespace platform::gdi
