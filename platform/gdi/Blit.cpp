// Blits: block copies, stretched copies and pattern fills through the ternary raster operations.
//
// A raster operation's truth table (the third byte of its code) becomes, at compile time, a plain
// bitwise expression: the table is split on whichever of P, S and D leaves the cheapest pair of
// two-input functions, so 0xCC is `s`, 0xB8 is `(s & d) | (p & ~s)`, 0x5A is `p ^ d`. Each of the
// 256 expressions is instantiated as a scanline function that the compiler vectorises, and a blit
// clips, then calls one of them per row.
//
// Choices made here:
// - The pattern is the selected brush's colour as the destination stores it. The null brush
//   gives pattern 0 (every bit clear), so an operation that reads the pattern still has a
//   well-defined result; operations that ignore the pattern are unaffected.
// - StretchBlt samples the source at the centre of every destination pixel and takes the pixel
//   it falls in: nearest pixel, no averaging, when reducing too. A negative width w covers
//   columns x + w .. x - 1 and a negative source width sw columns sx + sw .. sx - 1, each walked
//   from its x end, so a sign that differs between the two mirrors the picture (rows likewise).
// - Destination pixels whose source pixel lies outside the source surface are left alone.
// - Zero or negative sizes draw nothing and succeed (StretchBlt mirrors instead); PatBlt refuses
//   an operation that reads the source.

#include <QRect>
#include <QRegion>
#include <algorithm>
#include <array>
#include <cstring>
#include <utility>
#include <vector>

#include "platform/gdi/GdiObjects.h"

namespace platform::gdi {

using namespace detail;

namespace {

constexpr std::uint32_t kAlpha = 0xFF000000u;
constexpr std::uint32_t kRgb = 0x00FFFFFFu;
constexpr std::int64_t kMaxSide = 32767;
constexpr unsigned kSrcCopy = 0xCC;

constexpr unsigned RopByte(std::uint32_t rop) {
    return (rop >> 16) & 0xFFu;
}
// An operand is used when flipping it changes some entry of the truth table.
constexpr bool UsesSource(unsigned r) {
    return ((r >> 2) & 0x33u) != (r & 0x33u);
}
constexpr bool UsesDestination(unsigned r) {
    return ((r >> 1) & 0x55u) != (r & 0x55u);
}

// ---- Truth tables to expressions ----

// A function of two inputs by its 4-entry table, entry a * 2 + b.
template <unsigned T>
constexpr std::uint32_t Fn2(std::uint32_t a, std::uint32_t b) {
    static_assert(T < 16);
    if constexpr (T == 0x0)
        return 0;
    else if constexpr (T == 0x1)
        return ~(a | b);
    else if constexpr (T == 0x2)
        return ~a & b;
    else if constexpr (T == 0x3)
        return ~a;
    else if constexpr (T == 0x4)
        return a & ~b;
    else if constexpr (T == 0x5)
        return ~b;
    else if constexpr (T == 0x6)
        return a ^ b;
    else if constexpr (T == 0x7)
        return ~(a & b);
    else if constexpr (T == 0x8)
        return a & b;
    else if constexpr (T == 0x9)
        return ~(a ^ b);
    else if constexpr (T == 0xA)
        return b;
    else if constexpr (T == 0xB)
        return ~a | b;
    else if constexpr (T == 0xC)
        return a;
    else if constexpr (T == 0xD)
        return a | ~b;
    else if constexpr (T == 0xE)
        return a | b;
    else
        return ~0u;
}

// Vector instructions Fn2<T> costs.
constexpr int Cost2(unsigned t) {
    switch (t) {
        case 0x0:
        case 0xA:
        case 0xC:
        case 0xF:
            return 0;
        case 0x1:
        case 0x7:
        case 0x9:
        case 0xB:
        case 0xD:
            return 2;
        default:
            return 1;
    }
}

// The table of the operation with the operand of weight `vw` (P 4, S 2, D 1) fixed at `v`, as a
// function of the other two (the higher weight first).
constexpr unsigned Cofactor(unsigned r, unsigned vw, unsigned v) {
    const unsigned aw = vw == 4 ? 2 : 4;
    const unsigned bw = vw == 1 ? 2 : 1;
    unsigned t = 0;
    for (unsigned a = 0; a < 2; ++a)
        for (unsigned b = 0; b < 2; ++b)
            if ((r >> (v * vw + a * aw + b * bw)) & 1u) t |= 1u << (a * 2 + b);
    return t;
}

// Cost of (g1 & v) | (g0 & ~v), with the cases the compiler folds.
constexpr int SplitCost(unsigned r, unsigned vw) {
    const unsigned g1 = Cofactor(r, vw, 1), g0 = Cofactor(r, vw, 0);
    if (g1 == g0) return Cost2(g1);
    if (g0 == 0x0 || g1 == 0x0 || g1 == 0xF) return Cost2(g1) + Cost2(g0) + 1;
    return Cost2(g1) + Cost2(g0) + 3;
}

constexpr unsigned BestSplit(unsigned r) {
    unsigned best = 4;
    for (unsigned vw : {2u, 1u})
        if (SplitCost(r, vw) < SplitCost(r, best)) best = vw;
    return best;
}

template <unsigned R>
constexpr std::uint32_t Rop(std::uint32_t p, std::uint32_t s, std::uint32_t d) {
    constexpr unsigned vw = BestSplit(R);
    constexpr unsigned g1 = Cofactor(R, vw, 1), g0 = Cofactor(R, vw, 0);
    const std::uint32_t v = vw == 4 ? p : vw == 2 ? s : d;
    const std::uint32_t a = vw == 4 ? s : p;
    const std::uint32_t b = vw == 1 ? s : d;
    if constexpr (g1 == g0)
        return Fn2<g1>(a, b);
    else
        return (Fn2<g1>(a, b) & v) | (Fn2<g0>(a, b) & ~v);
}

// One scanline: d[i] = R(p, s[i], d[i]) with the alpha byte kept opaque. Operands the operation
// ignores are not read (s may be null then).
using RowFn = void (*)(std::uint32_t* d, const std::uint32_t* s, std::uint32_t p, int n);

template <unsigned R>
void RopRow(std::uint32_t* __restrict d, const std::uint32_t* __restrict s, std::uint32_t p,
            int n) {
    for (int i = 0; i < n; ++i) {
        std::uint32_t sv = 0, dv = 0;
        if constexpr (UsesSource(R)) sv = s[i];
        if constexpr (UsesDestination(R)) dv = d[i];
        d[i] = Rop<R>(p, sv, dv) | kAlpha;
    }
}

template <unsigned R>
std::uint32_t RopPoint(std::uint32_t p, std::uint32_t s, std::uint32_t d) {
    return Rop<R>(p, s, d);
}

using PointFn = std::uint32_t (*)(std::uint32_t, std::uint32_t, std::uint32_t);

template <std::size_t... R>
constexpr std::array<RowFn, 256> MakeRows(std::index_sequence<R...>) {
    return {{&RopRow<unsigned(R)>...}};
}
template <std::size_t... R>
constexpr std::array<PointFn, 256> MakePoints(std::index_sequence<R...>) {
    return {{&RopPoint<unsigned(R)>...}};
}
constexpr std::array<RowFn, 256> kRows = MakeRows(std::make_index_sequence<256>{});
constexpr std::array<PointFn, 256> kPoints = MakePoints(std::make_index_sequence<256>{});

// ---- Surfaces ----

struct Box {
    std::int64_t left, top, right, bottom;
};

Box operator&(const Box& a, const Box& b) {
    return {std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
            std::min(a.bottom, b.bottom)};
}

// The part of `box` the DC may draw on: the surface and the clip region.
QRegion Area(HDC dc, const QImage& surface, Box box) {
    box = box & Box{0, 0, surface.width(), surface.height()};
    if (box.left >= box.right || box.top >= box.bottom) return {};
    return DrawableRegion(dc) &
           QRect(int(box.left), int(box.top), int(box.right - box.left), int(box.bottom - box.top));
}

// The destination: writable pixels (taken first, so that an image sharing its data with the
// source gets its own copy before the source is read) and the pattern.
struct Target {
    uchar* bits;
    qsizetype stride;
    std::uint32_t pattern;
    std::uint32_t* Row(int x, int y) const {
        return reinterpret_cast<std::uint32_t*>(bits + qsizetype(y) * stride) + x;
    }
};

Target TargetOf(HDC dc, QImage& surface) {
    const DCObject* o = Dc(dc);
    const BrushObject* brush = o ? Brush(o->brush) : nullptr;
    const std::uint32_t pattern = brush && !brush->null ? PixelFor(dc, brush->colour) : 0;
    return {surface.bits(), surface.bytesPerLine(), pattern};
}

// Read access to source pixels; (ox, oy) are the surface coordinates of the first one.
struct Pixels {
    const uchar* bits;
    qsizetype stride;
    int ox, oy;
    const std::uint32_t* Row(int x, int y) const {
        return reinterpret_cast<const std::uint32_t*>(bits + qsizetype(y - oy) * stride) + (x - ox);
    }
};

// The source pixels of `need`. When source and destination share memory (a blit within one
// bitmap) they are copied first, so that rows already written are never read back.
Pixels Readable(const QImage& source, const QImage& target, QRect need, QImage& keep) {
    const uchar* s0 = source.constBits();
    const uchar* d0 = target.constBits();
    if (s0 < d0 + target.sizeInBytes() && d0 < s0 + source.sizeInBytes()) {
        keep = source.copy(need);
        return {keep.constBits(), keep.bytesPerLine(), need.x(), need.y()};
    }
    return {s0, source.bytesPerLine(), 0, 0};
}

// Source pixels as the destination's kind stores them.
struct Conversion {
    enum Kind { kNone, kToMono, kToColour } kind = kNone;
    std::uint32_t key = 0;   // to mono: the source background, which becomes white
    std::uint32_t fore = 0;  // to colour: black becomes the text colour...
    std::uint32_t back = 0;  // ...and white the background colour

    // `out` may be `in`.
    void Row(const std::uint32_t* in, std::uint32_t* out, int n) const {
        if (kind == kToMono) {
            for (int i = 0; i < n; ++i) out[i] = (((in[i] ^ key) & kRgb) == 0 ? kRgb : 0) | kAlpha;
        } else {
            // A mask pixel has all colour bits equal, so it selects bit by bit.
            for (int i = 0; i < n; ++i) out[i] = (back & in[i]) | (fore & ~in[i]) | kAlpha;
        }
    }
};

Conversion ConversionFor(HDC dst, HDC src) {
    Conversion c;
    const bool toMono = IsMonoSurface(dst);
    if (toMono == IsMonoSurface(src)) return c;
    if (toMono) {
        c.kind = Conversion::kToMono;
        c.key = ToPixel(Dc(src)->bkColour) & kRgb;
    } else {
        c.kind = Conversion::kToColour;
        c.fore = ToPixel(Dc(dst)->textColour);
        c.back = ToPixel(Dc(dst)->bkColour);
    }
    return c;
}

// An operation without source over the whole area.
void Fill(const Target& t, const QRegion& area, unsigned code) {
    const RowFn op = kRows[code];
    for (const QRect& r : area)
        for (int y = r.top(); y <= r.bottom(); ++y)
            op(t.Row(r.left(), y), nullptr, t.pattern, r.width());
}

std::int64_t FloorDiv(std::int64_t a, std::int64_t b) {  // b > 0
    return a >= 0 ? a / b : -((-a + b - 1) / b);
}

// The source coordinate for destination pixel p: its centre, p + 0.5, mapped from the span
// (x, x + w) onto (sx, sx + sw), rounded down.
std::int64_t Sample(std::int64_t p, std::int64_t x, std::int64_t w, std::int64_t sx,
                    std::int64_t sw) {
    std::int64_t num = (2 * (p - x) + 1) * sw, den = 2 * w;
    if (den < 0) num = -num, den = -den;
    return sx + FloorDiv(num, den);
}

BOOL BitBltDevice(HDC dst, std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h, HDC src,
                  std::int32_t sx, std::int32_t sy, std::uint32_t rop) {
    const unsigned code = RopByte(rop);
    const bool useSource = UsesSource(code);
    QImage* out = Surface(dst);
    const QImage* in = useSource ? Surface(src) : nullptr;
    if (!out || (useSource && !in)) return 0;
    if (w <= 0 || h <= 0) return 1;

    Box box{x, y, std::int64_t(x) + w, std::int64_t(y) + h};
    // Source offset; once the area is known to be non-empty it fits 32 bits.
    const std::int64_t dx = std::int64_t(sx) - x, dy = std::int64_t(sy) - y;
    if (useSource) box = box & Box{-dx, -dy, in->width() - dx, in->height() - dy};
    const QRegion area = Area(dst, *out, box);
    if (area.isEmpty()) return 1;
    const Target t = TargetOf(dst, *out);
    if (!useSource) {
        Fill(t, area, code);
        return 1;
    }

    QImage keep;
    const Pixels from = Readable(*in, *out, area.boundingRect().translated(int(dx), int(dy)), keep);
    const Conversion conv = ConversionFor(dst, src);
    std::vector<std::uint32_t> row(conv.kind != Conversion::kNone && code != kSrcCopy
                                       ? std::size_t(area.boundingRect().width())
                                       : 0);
    const RowFn op = kRows[code];
    for (const QRect& r : area) {
        const int n = r.width();
        for (int py = r.top(); py <= r.bottom(); ++py) {
            std::uint32_t* d = t.Row(r.left(), py);
            const std::uint32_t* s = from.Row(r.left() + int(dx), py + int(dy));
            if (conv.kind != Conversion::kNone) {
                if (code == kSrcCopy) {
                    conv.Row(s, d, n);
                    continue;
                }
                conv.Row(s, row.data(), n);
                s = row.data();
            }
            op(d, s, t.pattern, n);
        }
    }
    return 1;
}

BOOL StretchBltDevice(HDC dst, std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h,
                      HDC src, std::int32_t sx, std::int32_t sy, std::int32_t sw, std::int32_t sh,
                      std::uint32_t rop) {
    const unsigned code = RopByte(rop);
    const bool useSource = UsesSource(code);
    QImage* out = Surface(dst);
    const QImage* in = useSource ? Surface(src) : nullptr;
    if (!out || (useSource && !in)) return 0;
    for (std::int64_t side : {std::int64_t(w), std::int64_t(h), std::int64_t(sw), std::int64_t(sh)})
        if (side > kMaxSide || side < -kMaxSide) return 0;
    if (w == 0 || h == 0 || (useSource && (sw == 0 || sh == 0))) return 1;
    if (w > 0 && h > 0 && w == sw && h == sh)
        return BitBltDevice(dst, x, y, w, h, src, sx, sy, rop);

    const Box box{std::min<std::int64_t>(x, std::int64_t(x) + w),
                  std::min<std::int64_t>(y, std::int64_t(y) + h),
                  std::max<std::int64_t>(x, std::int64_t(x) + w),
                  std::max<std::int64_t>(y, std::int64_t(y) + h)};
    const QRegion area = Area(dst, *out, box);
    if (area.isEmpty()) return 1;
    const Target t = TargetOf(dst, *out);
    if (!useSource) {
        Fill(t, area, code);
        return 1;
    }

    // The source column of every column of the area's bounding box, and the source row of every
    // row (-1 outside the source). Columns inside the source form one run: the map is monotonic.
    const QRect bound = area.boundingRect();
    std::vector<std::int32_t> xs(std::size_t(bound.width())), ys(std::size_t(bound.height()));
    int first = -1, last = -1;
    for (int i = 0; i < bound.width(); ++i) {
        const std::int64_t u = Sample(bound.left() + i, x, w, sx, sw);
        const bool inside = u >= 0 && u < in->width();
        xs[std::size_t(i)] = inside ? std::int32_t(u) : 0;
        if (inside && first < 0) first = i;
        if (inside) last = i;
    }
    int top = in->height(), bottom = -1;
    for (int i = 0; i < bound.height(); ++i) {
        const std::int64_t v = Sample(bound.top() + i, y, h, sy, sh);
        const bool inside = v >= 0 && v < in->height();
        ys[std::size_t(i)] = inside ? std::int32_t(v) : -1;
        if (inside) top = std::min(top, int(v)), bottom = std::max(bottom, int(v));
    }
    if (first < 0 || bottom < 0) return 1;

    const int left = std::min(xs[std::size_t(first)], xs[std::size_t(last)]);
    const int right = std::max(xs[std::size_t(first)], xs[std::size_t(last)]);
    QImage keep;
    const Pixels from = Readable(*in, *out, QRect(QPoint(left, top), QPoint(right, bottom)), keep);
    if (from.ox != 0)
        for (std::int32_t& u : xs) u -= from.ox;
    const Conversion conv = ConversionFor(dst, src);
    std::vector<std::uint32_t> row(code != kSrcCopy ? std::size_t(bound.width()) : 0);
    const RowFn op = kRows[code];
    const int runLeft = bound.left() + first, runRight = bound.left() + last + 1;
    // Destination pixels per 16 source pixels (a cache line): how often to prefetch.
    const int step = int(std::clamp<std::int64_t>(
        16 * std::int64_t(std::abs(std::int64_t(w))) / std::abs(std::int64_t(sw)), 1, 64));

    for (const QRect& r : area) {
        const int c0 = std::max(r.left(), runLeft), c1 = std::min(r.right() + 1, runRight);
        if (c0 >= c1) continue;
        const int n = c1 - c0;
        const std::int32_t* map = xs.data() + (c0 - bound.left());
        int lastV = -1;
        // The row made from source row lastV: `row`, or for a plain copy the destination row.
        const std::uint32_t* made = nullptr;
        for (int py = r.top(); py <= r.bottom(); ++py) {
            const int v = ys[std::size_t(py - bound.top())];
            if (v < 0) continue;
            std::uint32_t* d = t.Row(c0, py);
            if (v != lastV) {
                std::uint32_t* into = code == kSrcCopy ? d : row.data();
                const std::uint32_t* s = from.Row(from.ox, v);
                // The next source row wanted, fetched while this one is made: a reduction skips
                // rows, and the hardware prefetcher stops at the gap.
                int next = py + 1;
                while (next <= r.bottom() && ys[std::size_t(next - bound.top())] == v) ++next;
                const int nv = next <= r.bottom() ? ys[std::size_t(next - bound.top())] : -1;
                const std::uint32_t* ahead = nv >= 0 ? from.Row(from.ox, nv) : s;
                for (int i = 0; i < n; i += step) {
                    __builtin_prefetch(ahead + map[i]);
                    for (int j = i, e = std::min(n, i + step); j < e; ++j)
                        into[j] = s[map[j]] | kAlpha;
                }
                if (conv.kind != Conversion::kNone) conv.Row(into, into, n);
                lastV = v;
                made = into;
                if (code == kSrcCopy) continue;
            } else if (code == kSrcCopy) {
                std::memcpy(d, made, std::size_t(n) * 4);
                made = d;
                continue;
            }
            op(d, made, t.pattern, n);
        }
    }
    return 1;
}

// ---- Scaled DCs ----

// A coordinate and an extent of a scaled DC as device pixels: the edges x and x + w mapped.
struct DeviceSpan {
    std::int64_t at = 0, extent = 0;
};
DeviceSpan SpanOf(double s, std::int64_t x, std::int64_t w) {
    const std::int64_t a = ToDevice(s, x);
    return {a, ToDevice(s, x + w) - a};
}
bool Fits(const DeviceSpan& d) {
    return d.at >= INT32_MIN && d.at <= INT32_MAX && d.extent >= -kMaxSide && d.extent <= kMaxSide;
}

// Source pixels scaled for another DC's density, by source image, part, size and conversion: a
// button draws the same picture at the same size on every repaint, and smooth scaling is most
// of the cost of drawing it. A source image that changes gets a new cache key, so an entry is
// never stale. Bounded; cleared when full.
class ScaledParts {
public:
    struct Key {
        qint64 image;
        QRect part;
        QSize size;
        bool smooth;
        int conversion;
        std::uint32_t key, fore, back;
        bool operator==(const Key&) const = default;
    };
    const QImage* Find(const Key& k) const {
        for (const auto& [key, image] : mEntries)
            if (key == k) return &image;
        return nullptr;
    }
    const QImage& Add(const Key& k, QImage image) {
        if (mEntries.size() >= 16) mEntries.clear();
        mEntries.emplace_back(k, std::move(image));
        return mEntries.back().second;
    }

private:
    std::vector<std::pair<Key, QImage>> mEntries;
};

ScaledParts& Scaled() {
    static ScaledParts cache;
    return cache;
}

// Source w x h at logical (sx, sy) of `src`, onto logical (x, y, w, h) of `dst` when the two
// DCs have different scales: the source's device pixels are converted to the destination's
// kind, smoothly scaled to the destination's device pixels and then put through `rop`.
BOOL BlitAcrossScales(HDC dst, DeviceSpan x, DeviceSpan y, HDC src, DeviceSpan sx, DeviceSpan sy,
                      std::uint32_t rop) {
    const QImage* in = Surface(src);
    if (!in) return 0;
    if (x.extent <= 0 || y.extent <= 0 || sx.extent <= 0 || sy.extent <= 0) return 1;
    const Conversion conv = ConversionFor(dst, src);
    // A mask stays black and white (an AND or OR with grey would tint what it keeps); colour
    // is smoothed.
    const bool smooth = !IsMonoSurface(src);
    const ScaledParts::Key key{in->cacheKey(),
                               QRect(int(sx.at), int(sy.at), int(sx.extent), int(sy.extent)),
                               QSize(int(x.extent), int(y.extent)),
                               smooth,
                               int(conv.kind),
                               conv.key,
                               conv.fore,
                               conv.back};
    const QImage* made = Scaled().Find(key);
    if (!made) {
        // Pixels outside the source read as black, as a copy of them would.
        QImage part = in->copy(key.part);
        if (part.isNull()) return 0;
        if (conv.kind != Conversion::kNone)
            for (int row = 0; row < part.height(); ++row) {
                auto* line = reinterpret_cast<std::uint32_t*>(part.scanLine(row));
                conv.Row(line, line, part.width());
            }
        made = &Scaled().Add(key,
                             part.scaled(key.size, Qt::IgnoreAspectRatio,
                                         smooth ? Qt::SmoothTransformation : Qt::FastTransformation)
                                 .convertToFormat(QImage::Format_RGB32));
    }
    QImage scaled = *made;  // shared, read only: the blit below never writes its source
    // The scaled pixels stand in for the source in a plain blit; they are of the destination's
    // kind already, so a colour destination converts nothing.
    const HDC temp = CreateImageDC(&scaled);
    if (!temp) return 0;
    if (IsMonoSurface(dst)) SetBkColor(temp, 0xFFFFFF);
    const BOOL done = BitBltDevice(dst, std::int32_t(x.at), std::int32_t(y.at),
                                   std::int32_t(x.extent), std::int32_t(y.extent), temp, 0, 0, rop);
    DeleteDC(temp);
    return done;
}

}  // namespace

std::uint32_t ApplyRop(std::uint32_t rop, std::uint32_t pattern, std::uint32_t source,
                       std::uint32_t destination) {
    return kPoints[RopByte(rop)](pattern, source, destination);
}

BOOL BitBlt(HDC dst, std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h, HDC src,
            std::int32_t sx, std::int32_t sy, std::uint32_t rop) {
    const double ds = ScaleOf(dst);
    const double ss = UsesSource(RopByte(rop)) ? ScaleOf(src) : ds;
    if (ds == 1.0 && ss == 1.0) return BitBltDevice(dst, x, y, w, h, src, sx, sy, rop);
    if (w <= 0 || h <= 0) return Surface(dst) ? 1 : 0;
    const DeviceSpan dx = SpanOf(ds, x, w), dy = SpanOf(ds, y, h);
    const DeviceSpan srcX = SpanOf(ss, sx, w), srcY = SpanOf(ss, sy, h);
    if (!Fits(dx) || !Fits(dy) || !Fits(srcX) || !Fits(srcY)) return 0;
    if (ds == ss)
        return BitBltDevice(dst, std::int32_t(dx.at), std::int32_t(dy.at), std::int32_t(dx.extent),
                            std::int32_t(dy.extent), src, std::int32_t(srcX.at),
                            std::int32_t(srcY.at), rop);
    return BlitAcrossScales(dst, dx, dy, src, srcX, srcY, rop);
}

BOOL StretchBlt(HDC dst, std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h, HDC src,
                std::int32_t sx, std::int32_t sy, std::int32_t sw, std::int32_t sh,
                std::uint32_t rop) {
    const double ds = ScaleOf(dst);
    const double ss = UsesSource(RopByte(rop)) ? ScaleOf(src) : ds;
    if (ds == 1.0 && ss == 1.0) return StretchBltDevice(dst, x, y, w, h, src, sx, sy, sw, sh, rop);
    const DeviceSpan dx = SpanOf(ds, x, w), dy = SpanOf(ds, y, h);
    const DeviceSpan srcX = SpanOf(ss, sx, sw), srcY = SpanOf(ss, sy, sh);
    if (!Fits(dx) || !Fits(dy) || !Fits(srcX) || !Fits(srcY)) return 0;
    // A picture enlarged or reduced between scales is smoothed; mirrors keep the nearest pixel.
    if (dx.extent > 0 && dy.extent > 0 && srcX.extent > 0 && srcY.extent > 0 && Surface(dst))
        return BlitAcrossScales(dst, dx, dy, src, srcX, srcY, rop);
    return StretchBltDevice(dst, std::int32_t(dx.at), std::int32_t(dy.at), std::int32_t(dx.extent),
                            std::int32_t(dy.extent), src, std::int32_t(srcX.at),
                            std::int32_t(srcY.at), std::int32_t(srcX.extent),
                            std::int32_t(srcY.extent), rop);
}

BOOL PatBlt(HDC dst, std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h,
            std::uint32_t rop) {
    const unsigned code = RopByte(rop);
    QImage* out = Surface(dst);
    if (!out || UsesSource(code)) return 0;
    if (w <= 0 || h <= 0) return 1;
    const double s = ScaleOf(dst);
    const Box box{ToDevice(s, x), ToDevice(s, y), ToDevice(s, std::int64_t(x) + w),
                  ToDevice(s, std::int64_t(y) + h)};
    if (const DCObject* o = Dc(dst); o && !o->clip) {
        // No clip region: the box on the surface is the whole area.
        const Box b = box & Box{0, 0, out->width(), out->height()};
        if (b.left >= b.right || b.top >= b.bottom) return 1;
        const Target t = TargetOf(dst, *out);
        const RowFn op = kRows[code];
        for (std::int64_t row = b.top; row < b.bottom; ++row)
            op(t.Row(int(b.left), int(row)), nullptr, t.pattern, int(b.right - b.left));
        return 1;
    }
    const QRegion area = Area(dst, *out, box);
    if (!area.isEmpty()) Fill(TargetOf(dst, *out), area, code);
    return 1;
}

}  // namespace platform::gdi
