// Regions: a program of operations on four regions (rectangles, ellipses, polygons with either
// fill mode, combinations, offsets, deletions) read from the input. After every step:
//  - a region's pixels lie inside its box, which is the tightest around them, and its type says
//    whether it is empty, one rectangle or more;
//  - AND, OR, XOR, DIFF and COPY give the same pixels as the operation on the operands' pixel
//    sets, taken before the call (the destination may be an operand);
//  - an offset moves every pixel by the offset;
//  - an ellipse lies inside its box less the right column and bottom row; a polygon inside the
//    box of its points less the right column and bottom row, and its winding fill holds every
//    pixel of its alternate fill.
// Coordinates stay within a grid of kSide x kSide pixels, where pixel sets are bit maps; every
// sixty-fourth input uses 32-bit coordinates anywhere and checks only what needs no pixel set.

#include <QRegion>
#include <algorithm>
#include <array>
#include <climits>
#include <optional>
#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "platform/gdi/Gdi.h"

namespace gdi = platform::gdi;

namespace {

constexpr int kSide = 256;  // the grid: pixels -128 to 127 in both directions
constexpr int kOrigin = -128;
constexpr int kWords = kSide / 64;

// A set of the grid's pixels, a bit each, row by row.
struct Pixels {
    std::array<std::uint64_t, std::size_t(kSide) * kWords> bits{};

    // Pixels x0 to x1 - 1 of row y, in grid coordinates.
    void SetRun(int y, int x0, int x1) {
        for (int x = x0; x < x1;) {
            const int word = x / 64, from = x % 64, to = std::min(64, from + (x1 - x));
            const std::uint64_t mask =
                (to == 64 ? ~std::uint64_t{0} : (std::uint64_t{1} << to) - 1) &
                ~((std::uint64_t{1} << from) - 1);
            bits[std::size_t(y) * kWords + std::size_t(word)] |= mask;
            x += to - from;
        }
    }
    template <class Op>
    Pixels With(const Pixels& o, Op op) const {
        Pixels r;
        for (std::size_t i = 0; i < bits.size(); ++i) r.bits[i] = op(bits[i], o.bits[i]);
        return r;
    }
    bool None() const {
        return std::all_of(bits.begin(), bits.end(), [](std::uint64_t w) { return w == 0; });
    }
    bool operator==(const Pixels&) const = default;
};
Pixels And(const Pixels& a, const Pixels& b) {
    return a.With(b, [](std::uint64_t x, std::uint64_t y) { return x & y; });
}
Pixels Or(const Pixels& a, const Pixels& b) {
    return a.With(b, [](std::uint64_t x, std::uint64_t y) { return x | y; });
}
Pixels Xor(const Pixels& a, const Pixels& b) {
    return a.With(b, [](std::uint64_t x, std::uint64_t y) { return x ^ y; });
}
Pixels Minus(const Pixels& a, const Pixels& b) {
    return a.With(b, [](std::uint64_t x, std::uint64_t y) { return x & ~y; });
}

bool InGrid(const QRect& r) {
    return r.isEmpty() || (r.left() >= kOrigin && r.top() >= kOrigin &&
                           r.right() < kOrigin + kSide && r.bottom() < kOrigin + kSide);
}

// The region's pixels as a bit map; nothing when some lie outside the grid.
std::optional<Pixels> PixelsOf(const QRegion& region) {
    if (!InGrid(region.boundingRect())) return std::nullopt;
    Pixels p;
    for (const QRect& r : region)
        for (int y = r.top(); y <= r.bottom(); ++y)
            p.SetRun(y - kOrigin, r.left() - kOrigin, r.right() + 1 - kOrigin);
    return p;
}

Pixels PixelsOfBox(int left, int top, int right, int bottom) {
    return *PixelsOf(QRegion(QRect(QPoint(left, top), QPoint(right - 1, bottom - 1))));
}

void CheckShape(gdi::HRGN h, const std::string& step) {
    const QRegion region = gdi::RegionOf(h);
    gdi::RECT box;
    const int type = gdi::GetRgnBox(h, &box);
    const QRect bound = region.boundingRect();
    if (region.isEmpty()) {
        fuzz::Check(type == gdi::NULLREGION, step + ": an empty region not said to be empty");
        return;
    }
    fuzz::Check(type == (region.rectCount() == 1 ? gdi::SIMPLEREGION : gdi::COMPLEXREGION),
                step + ": the type does not match the rectangles");
    fuzz::Check(box.left == bound.left() && box.top == bound.top() &&
                    std::int64_t(box.right) == std::int64_t(bound.right()) + 1 &&
                    std::int64_t(box.bottom) == std::int64_t(bound.bottom()) + 1,
                step + ": the box is not the tightest around the pixels");
    // Corners of the box: a pixel in the region is one PtInRegion finds.
    for (const QRect& r : region) {
        fuzz::Check(
            gdi::PtInRegion(h, r.left(), r.top()) && gdi::PtInRegion(h, r.right(), r.bottom()),
            step + ": PtInRegion misses a pixel of the region");
        break;
    }
    if (box.left > INT32_MIN && box.top > INT32_MIN)
        fuzz::Check(!gdi::PtInRegion(h, box.left - 1, box.top) &&
                        !gdi::PtInRegion(h, box.left, box.top - 1),
                    step + ": PtInRegion finds a pixel outside the box");
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    fuzz::StartApplication(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Input in(data, size);
    // Wide inputs place their shapes anywhere in 32 bits, near one base point (the edges of the
    // range, where sums overflow, are as likely as anywhere); one in eight of them spans any
    // distance, which rasterises tens of thousands of rows and is slow.
    const std::uint8_t mode = in.Byte();
    const bool wide = (mode & 63) == 63;
    const bool far = wide && (in.Byte() & 7) == 7;
    const std::int32_t baseX = wide ? in.I32() : 0, baseY = wide ? in.I32() : 0;
    const auto near = [&](std::int32_t base) {
        return std::int32_t(
            std::clamp<std::int64_t>(std::int64_t(base) + in.In(-256, 256), INT32_MIN, INT32_MAX));
    };
    const auto cx = [&] { return far ? in.I32() : wide ? near(baseX) : in.In(-64, 63); };
    const auto cy = [&] { return far ? in.I32() : wide ? near(baseY) : in.In(-64, 63); };
    std::array<gdi::HRGN, 4> regions{};
    for (gdi::HRGN& r : regions) r = gdi::CreateRectRgn(0, 0, 0, 0);
    const int before = gdi::LiveObjectCount() - 4;

    for (int step = 0; step < 12 && !in.Empty(); ++step) {
        const std::uint8_t op = in.Byte();
        gdi::HRGN& dest = regions[op >> 4 & 3];
        const bool hadDest = bool(dest);
        const std::string name = "step " + std::to_string(step) + " op " + std::to_string(op & 7);
        switch (op & 7) {
            case 0: {  // rectangle
                const int l = cx(), t = cy(), r = cx(), b = cy();
                gdi::DeleteObject(dest);
                dest = gdi::CreateRectRgn(l, t, r, b);
                break;
            }
            case 1: {  // ellipse
                const int l = cx(), t = cy(), r = cx(), b = cy();
                gdi::DeleteObject(dest);
                dest = gdi::CreateEllipticRgn(l, t, r, b);
                if (!wide && l < r - 1 && t < b - 1) {
                    const auto pixels = PixelsOf(gdi::RegionOf(dest));
                    fuzz::Check(pixels && Minus(*pixels, PixelsOfBox(l, t, r - 1, b - 1)).None(),
                                name + ": the ellipse leaves its box");
                }
                break;
            }
            case 2:
            case 3: {  // polygon, either fill mode as asked, or an unknown one now and then
                std::vector<gdi::POINT> points(std::size_t(in.Byte() % 17));
                for (gdi::POINT& p : points) p = {cx(), cy()};
                const std::uint8_t fillByte = in.Byte();
                const int fill = fillByte < 250 ? 1 + fillByte % 2 : fillByte;
                gdi::DeleteObject(dest);
                dest = gdi::CreatePolygonRgn(points.data(), int(points.size()), fill);
                if (!wide && !points.empty() && (fill == gdi::ALTERNATE || fill == gdi::WINDING)) {
                    int l = points[0].x, t = points[0].y, r = l, b = t;
                    for (const gdi::POINT& p : points) {
                        l = std::min(l, p.x), r = std::max(r, p.x);
                        t = std::min(t, p.y), b = std::max(b, p.y);
                    }
                    const auto pixels = PixelsOf(gdi::RegionOf(dest));
                    fuzz::Check(pixels.has_value(), name + ": the polygon leaves the grid");
                    if (l < r && t < b)
                        fuzz::Check(Minus(*pixels, PixelsOfBox(l, t, r, b)).None(),
                                    name + ": the polygon leaves the box of its points");
                    else
                        fuzz::Check(pixels->None(), name + ": a flat polygon has pixels");
                    const int other = fill == gdi::ALTERNATE ? gdi::WINDING : gdi::ALTERNATE;
                    const gdi::HRGN twin =
                        gdi::CreatePolygonRgn(points.data(), int(points.size()), other);
                    const auto twinPixels = PixelsOf(gdi::RegionOf(twin));
                    gdi::DeleteObject(twin);
                    const Pixels& alternate = fill == gdi::ALTERNATE ? *pixels : *twinPixels;
                    const Pixels& winding = fill == gdi::ALTERNATE ? *twinPixels : *pixels;
                    fuzz::Check(Minus(alternate, winding).None(),
                                name + ": the winding fill misses a pixel of the alternate fill");
                }
                break;
            }
            case 4:
            case 5: {  // combine
                const gdi::HRGN a = regions[op >> 6 & 3];
                const gdi::HRGN b = regions[in.Byte() & 3];
                const int mode = 1 + in.Byte() % 5;
                const auto pa = PixelsOf(gdi::RegionOf(a));
                const auto pb = PixelsOf(gdi::RegionOf(b));
                const int type = gdi::CombineRgn(dest, a, b, mode);
                const bool live = dest && a && (b || mode == gdi::RGN_COPY);
                fuzz::Check((type != gdi::kRgnError) == live,
                            name + ": combining failed with live regions or worked without");
                if (live && pa && pb) {
                    Pixels want;
                    switch (mode) {
                        case gdi::RGN_AND:
                            want = And(*pa, *pb);
                            break;
                        case gdi::RGN_OR:
                            want = Or(*pa, *pb);
                            break;
                        case gdi::RGN_XOR:
                            want = Xor(*pa, *pb);
                            break;
                        case gdi::RGN_DIFF:
                            want = Minus(*pa, *pb);
                            break;
                        default:
                            want = *pa;
                            break;
                    }
                    const auto got = PixelsOf(gdi::RegionOf(dest));
                    fuzz::Check(got && *got == want,
                                name + ": mode " + std::to_string(mode) +
                                    " differs from the same operation on pixel sets");
                }
                break;
            }
            case 6: {  // offset, kept inside the grid unless wide
                const int dx = wide ? in.I32() : in.In(-32, 32);
                const int dy = wide ? in.I32() : in.In(-32, 32);
                const QRegion old = gdi::RegionOf(dest);
                if (!wide && !InGrid(old.translated(dx, dy).boundingRect())) break;
                gdi::OffsetRgn(dest, dx, dy);
                if (!wide)
                    fuzz::Check(gdi::RegionOf(dest) == old.translated(dx, dy),
                                name + ": the offset does not move every pixel by it");
                break;
            }
            case 7: {  // a deleted handle: every call refuses it
                const gdi::HRGN gone = gdi::CreateRectRgn(0, 0, 4, 4);
                gdi::DeleteObject(gone);
                fuzz::Check(gdi::CombineRgn(dest, gone, dest, gdi::RGN_OR) == gdi::kRgnError &&
                                gdi::CombineRgn(gone, dest, dest, gdi::RGN_OR) == gdi::kRgnError &&
                                gdi::OffsetRgn(gone, 1, 1) == gdi::kRgnError &&
                                !gdi::PtInRegion(gone, 0, 0),
                            name + ": a deleted region was used");
                break;
            }
        }
        fuzz::Check(bool(dest) == hadDest || (op & 7) <= 3, name + ": a region was lost");
        if (dest) CheckShape(dest, name);
    }
    for (gdi::HRGN r : regions)
        if (r) gdi::DeleteObject(r);
    fuzz::Check(gdi::LiveObjectCount() == before, "regions leaked or deleted twice");
    return 0;
}
