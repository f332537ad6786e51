// The handle table and the objects behind it: DCs, bitmaps, pens, brushes, fonts; selection,
// deletion, stock objects, DC attributes and system colours.

#include <QFontInfo>
#include <QFontMetrics>
#include <cmath>
#include <memory>
#include <unordered_map>
#include <utility>
#include <variant>

#include "platform/Units.h"
#include "platform/gdi/GdiObjects.h"

namespace platform::gdi {

using namespace detail;

namespace {

constexpr std::int32_t kMaxSide = 32767;

using Payload =
    std::variant<DCObject, BitmapObject, PenObject, BrushObject, FontObject, RegionObject>;

struct Entry {
    Kind kind = Kind::None;
    bool stock = false;
    int selected = 0;  // DCs it is selected into
    Payload payload;
};

struct Table {
    std::unordered_map<std::uint32_t, std::unique_ptr<Entry>> entries;
    std::uint32_t next = 1;
    int live = 0;  // created by callers, not yet deleted
};

Table& Objects() {
    static Table table;
    return table;
}

template <class T>
std::uint32_t Add(Kind kind, T object, bool stock = false) {
    Table& t = Objects();
    const std::uint32_t id = t.next++;
    auto e = std::make_unique<Entry>();
    e->kind = kind;
    e->stock = stock;
    e->payload = std::move(object);
    t.entries.emplace(id, std::move(e));
    if (!stock) ++t.live;
    return id;
}

Entry* Find(std::uint32_t id, Kind kind) {
    if (id == 0) return nullptr;
    auto& entries = Objects().entries;
    const auto it = entries.find(id);
    if (it == entries.end() || it->second->kind != kind) return nullptr;
    return it->second.get();
}

template <class T>
T* Get(std::uint32_t id, Kind kind) {
    Entry* e = Find(id, kind);
    return e ? std::get_if<T>(&e->payload) : nullptr;
}

bool Remove(std::uint32_t id) {
    Table& t = Objects();
    const auto it = t.entries.find(id);
    if (it == t.entries.end() || it->second->stock) return false;
    t.entries.erase(it);
    --t.live;
    return true;
}

// Is `id` (of `kind`) selected into any DC?
bool SelectedAnywhere(std::uint32_t id, Kind kind) {
    const Entry* e = Find(id, kind);
    return e && e->selected > 0;
}

// Deletes a live object that no DC has selected; stock objects are refused by Remove.
template <Kind K>
BOOL DeleteUnselected(Handle<K> h) {
    if (!Find(h.value, K) || SelectedAnywhere(h.value, K)) return 0;
    return Remove(h.value) ? 1 : 0;
}

// Keeps the selection counts as a DC swaps `from` for `to`.
template <Kind K>
void Reselect(Handle<K> from, Handle<K> to) {
    if (Entry* e = Find(from.value, K)) --e->selected;
    if (Entry* e = Find(to.value, K)) ++e->selected;
}

QFont QFontFor(const LOGFONT& lf) {
    QFont f(lf.lfFaceName.isEmpty() ? QStringLiteral("Arial") : lf.lfFaceName.left(32));
    f.setWeight(lf.lfWeight >= 600 ? QFont::Bold : QFont::Normal);
    f.setItalic(lf.lfItalic);
    f.setUnderline(lf.lfUnderline);
    f.setStrikeOut(lf.lfStrikeOut);
    if (lf.lfHeight < 0) {
        // The character height: the em square, in pixels.
        f.setPixelSize(std::max(1, -lf.lfHeight));
    } else if (lf.lfHeight > 0) {
        // The cell height, ascent plus descent: scale the em to fit it.
        f.setPixelSize(lf.lfHeight);
        const QFontMetrics m(f);
        const int cell = m.ascent() + m.descent();
        if (cell > 0)
            f.setPixelSize(std::max(1, int(std::lround(double(lf.lfHeight) * lf.lfHeight / cell))));
    } else {
        f.setPixelSize(11);  // the platform's default size
    }
    return f;
}

struct Stock {
    HBRUSH white, black, null;
    HPEN whitePen, blackPen, nullPen;
    HFONT system;
    HBITMAP defaultBitmap;  // the 1 x 1 monochrome bitmap of fresh memory DCs (never drawn on)
    HDC screen;
    QImage screenSurface = QImage(1, 1, QImage::Format_RGB32);
};

Stock& Stocks() {
    static Stock s = [] {
        Stock k;
        k.white = HBRUSH{Add(Kind::Brush, BrushObject{0xFFFFFF, false}, true)};
        k.black = HBRUSH{Add(Kind::Brush, BrushObject{0x000000, false}, true)};
        k.null = HBRUSH{Add(Kind::Brush, BrushObject{0, true}, true)};
        k.whitePen = HPEN{Add(Kind::Pen, PenObject{PS_SOLID, 1, 0xFFFFFF}, true)};
        k.blackPen = HPEN{Add(Kind::Pen, PenObject{PS_SOLID, 1, 0x000000}, true)};
        k.nullPen = HPEN{Add(Kind::Pen, PenObject{PS_NULL, 1, 0}, true)};
        LOGFONT lf;
        lf.lfHeight = -11;
        lf.lfWeight = 700;
        lf.lfFaceName = QStringLiteral("Arial");
        k.system = HFONT{Add(Kind::Font, FontObject{lf, QFontFor(lf)}, true)};
        BitmapObject one;
        one.image = QImage(1, 1, QImage::Format_RGB32);
        one.image.fill(kBlack);
        one.mono = true;
        k.defaultBitmap = HBITMAP{Add(Kind::Bitmap, std::move(one), true)};
        return k;
    }();
    return s;
}

DCObject FreshDc() {
    const Stock& s = Stocks();
    DCObject dc;
    dc.pen = s.blackPen;
    dc.brush = s.white;
    dc.font = s.system;
    dc.bitmap = s.defaultBitmap;
    Reselect(HPEN{}, dc.pen);
    Reselect(HBRUSH{}, dc.brush);
    Reselect(HFONT{}, dc.font);
    Reselect(HBITMAP{}, dc.bitmap);
    return dc;
}

}  // namespace

// ---- Access for the implementation files ----

namespace detail {

DCObject* Dc(HDC h) {
    Stocks();
    return Get<DCObject>(h.value, Kind::DC);
}
BitmapObject* Bitmap(HBITMAP h) {
    Stocks();
    return Get<BitmapObject>(h.value, Kind::Bitmap);
}
PenObject* Pen(HPEN h) {
    Stocks();
    return Get<PenObject>(h.value, Kind::Pen);
}
BrushObject* Brush(HBRUSH h) {
    Stocks();
    return Get<BrushObject>(h.value, Kind::Brush);
}
FontObject* Font(HFONT h) {
    Stocks();
    return Get<FontObject>(h.value, Kind::Font);
}
RegionObject* Region(HRGN h) {
    return Get<RegionObject>(h.value, Kind::Region);
}

QImage* Surface(HDC h) {
    DCObject* dc = Dc(h);
    if (!dc) return nullptr;
    if (dc->external) return dc->external;
    if (dc->screen) return &Stocks().screenSurface;
    // The 1 x 1 bitmap every memory DC starts with is shared: a DC draws nothing until it has
    // a bitmap of its own.
    if (dc->bitmap == Stocks().defaultBitmap) return nullptr;
    BitmapObject* b = Bitmap(dc->bitmap);
    return b ? &b->image : nullptr;
}

bool IsMonoSurface(HDC h) {
    DCObject* dc = Dc(h);
    if (!dc || dc->external || dc->screen) return false;
    BitmapObject* b = Bitmap(dc->bitmap);
    return b && b->mono;
}

std::uint32_t PixelFor(HDC h, COLORREF colour) {
    const COLORREF c = ResolveColor(colour) & 0x00FFFFFFu;
    return IsMonoSurface(h) ? ToMonoPixel(c) : ToPixel(c);
}

QRegion DrawableRegion(HDC h) {
    const QImage* s = Surface(h);
    if (!s) return {};
    QRegion r(0, 0, s->width(), s->height());
    if (const DCObject* dc = Dc(h); dc && dc->clip) r &= ToDevice(dc->scale, *dc->clip);
    return r;
}

double ScaleOf(HDC h) {
    const DCObject* dc = Dc(h);
    return dc ? dc->scale : 1.0;
}

QRegion ToDevice(double scale, const QRegion& region) {
    if (scale == 1.0) return region;
    QRegion out;
    for (const QRect& r : region) {
        const std::int64_t l = ToDevice(scale, r.left()), t = ToDevice(scale, r.top());
        const std::int64_t rr = ToDevice(scale, std::int64_t(r.right()) + 1);
        const std::int64_t b = ToDevice(scale, std::int64_t(r.bottom()) + 1);
        // Coordinates beyond what a QRect holds are cut to the surfaces' reach.
        static constexpr std::int64_t kReach = 1 << 24;
        const auto c = [](std::int64_t v) { return int(std::clamp(v, -kReach, kReach)); };
        if (rr > l && b > t) out += QRect(QPoint(c(l), c(t)), QPoint(c(rr) - 1, c(b) - 1));
    }
    return out;
}

HRGN NewRegion(QRegion region) {
    return HRGN{Add(Kind::Region, RegionObject{std::move(region)})};
}

}  // namespace detail

// ---- Objects ----

int LiveObjectCount() {
    Stocks();
    return Objects().live;
}

HDC CreateCompatibleDC(HDC) {
    return HDC{Add(Kind::DC, FreshDc())};
}

HDC CreateImageDC(QImage* image) {
    if (!image || image->isNull()) return {};
    if (image->format() != QImage::Format_RGB32)
        *image = image->convertToFormat(QImage::Format_RGB32);
    DCObject dc = FreshDc();
    dc.external = image;
    return HDC{Add(Kind::DC, std::move(dc))};
}

HDC GetScreenDC() {
    Stock& s = Stocks();
    if (!s.screen) {
        DCObject dc = FreshDc();
        dc.screen = true;
        s.screen = HDC{Add(Kind::DC, std::move(dc), true)};
    }
    return s.screen;
}

BOOL DeleteDC(HDC h) {
    DCObject* dc = Dc(h);
    if (!dc || dc->screen) return 0;
    Reselect(dc->bitmap, HBITMAP{});
    Reselect(dc->pen, HPEN{});
    Reselect(dc->brush, HBRUSH{});
    Reselect(dc->font, HFONT{});
    return Remove(h.value) ? 1 : 0;
}

HBITMAP CreateBitmap(std::int32_t width, std::int32_t height, int bitsPerPixel) {
    if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide) return {};
    BitmapObject b;
    b.image = QImage(width, height, QImage::Format_RGB32);
    if (b.image.isNull()) return {};  // out of memory
    b.image.fill(kBlack);
    b.mono = bitsPerPixel == 1;
    return HBITMAP{Add(Kind::Bitmap, std::move(b))};
}

HBITMAP CreateCompatibleBitmap(HDC h, std::int32_t width, std::int32_t height) {
    if (!Dc(h)) return {};
    return CreateBitmap(width, height, IsMonoSurface(h) ? 1 : 32);
}

HBITMAP CreateBitmapFromImage(const QImage& image) {
    if (image.isNull() || image.width() > kMaxSide || image.height() > kMaxSide) return {};
    BitmapObject b;
    // Colour channels as stored, whatever the alpha says.
    QImage rgb = image.convertToFormat(QImage::Format_ARGB32);
    const int width = rgb.width(), height = rgb.height();
    for (int y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(rgb.scanLine(y));
        for (int x = 0; x < width; ++x) row[x] |= 0xFF000000u;
    }
    b.image = rgb.convertToFormat(QImage::Format_RGB32);
    return HBITMAP{Add(Kind::Bitmap, std::move(b))};
}

QImage ImageOf(HBITMAP h) {
    const BitmapObject* b = Bitmap(h);
    return b ? b->image.copy() : QImage();
}

BOOL GetObject(HBITMAP h, BITMAP* out) {
    const BitmapObject* b = Bitmap(h);
    if (!b || !out) return 0;
    out->bmType = 0;
    out->bmWidth = b->image.width();
    out->bmHeight = b->image.height();
    out->bmPlanes = 1;
    out->bmBitsPixel = b->mono ? 1 : 32;
    out->bmWidthBytes = b->mono ? ((b->image.width() + 15) / 16) * 2 : b->image.width() * 4;
    out->bmBits = b->image.constBits();
    return 1;
}

HBITMAP CopyImage(HBITMAP h, std::int32_t width, std::int32_t height) {
    const BitmapObject* b = Bitmap(h);
    if (!b || width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide) return {};
    BitmapObject copy;
    copy.mono = b->mono;
    copy.image = b->image.scaled(width, height, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    if (copy.image.isNull()) return {};
    return HBITMAP{Add(Kind::Bitmap, std::move(copy))};
}

HPEN CreatePen(int style, std::int32_t width, COLORREF colour) {
    if (style != PS_SOLID && style != PS_DOT && style != PS_NULL) style = PS_SOLID;
    return HPEN{Add(Kind::Pen, PenObject{style, std::max<std::int32_t>(1, width), colour})};
}

HBRUSH CreateSolidBrush(COLORREF colour) {
    return HBRUSH{Add(Kind::Brush, BrushObject{colour, false})};
}

HFONT CreateFontIndirect(const LOGFONT& lf) {
    return HFONT{Add(Kind::Font, FontObject{lf, QFontFor(lf)})};
}

std::int32_t FontHeightForPoints(double points) {
    return std::int32_t(platform::RoundHalfEven(-(points * 20.0) / 15.0));
}

HBRUSH GetStockBrush(int which) {
    const Stock& s = Stocks();
    switch (which) {
        case WHITE_BRUSH:
            return s.white;
        case BLACK_BRUSH:
            return s.black;
        case NULL_BRUSH:
            return s.null;
        default:
            return {};
    }
}

HPEN GetStockPen(int which) {
    const Stock& s = Stocks();
    switch (which) {
        case WHITE_PEN:
            return s.whitePen;
        case BLACK_PEN:
            return s.blackPen;
        case NULL_PEN:
            return s.nullPen;
        default:
            return {};
    }
}

HFONT GetStockFont(int which) {
    return which == SYSTEM_FONT ? Stocks().system : HFONT{};
}

BOOL DeleteObject(HBITMAP h) {
    return DeleteUnselected(h);
}
BOOL DeleteObject(HPEN h) {
    return DeleteUnselected(h);
}
BOOL DeleteObject(HBRUSH h) {
    return DeleteUnselected(h);
}
BOOL DeleteObject(HFONT h) {
    return DeleteUnselected(h);
}
BOOL DeleteObject(HRGN h) {
    return DeleteUnselected(h);
}

HBITMAP SelectObject(HDC h, HBITMAP bitmap) {
    DCObject* dc = Dc(h);
    BitmapObject* b = Bitmap(bitmap);
    if (!dc || !b || dc->external || dc->screen) return {};
    // A bitmap is selected into one DC at a time (the shared starting bitmap excepted).
    if (bitmap != dc->bitmap && bitmap != Stocks().defaultBitmap &&
        SelectedAnywhere(bitmap.value, Kind::Bitmap))
        return {};
    const HBITMAP previous = dc->bitmap;
    Reselect(previous, bitmap);
    dc->bitmap = bitmap;
    return previous;
}

HPEN SelectObject(HDC h, HPEN pen) {
    DCObject* dc = Dc(h);
    if (!dc || !Pen(pen)) return {};
    Reselect(dc->pen, pen);
    return std::exchange(dc->pen, pen);
}

HBRUSH SelectObject(HDC h, HBRUSH brush) {
    DCObject* dc = Dc(h);
    if (!dc || !Brush(brush)) return {};
    Reselect(dc->brush, brush);
    return std::exchange(dc->brush, brush);
}

HFONT SelectObject(HDC h, HFONT font) {
    DCObject* dc = Dc(h);
    if (!dc || !Font(font)) return {};
    Reselect(dc->font, font);
    return std::exchange(dc->font, font);
}

HBITMAP GetCurrentBitmap(HDC h) {
    const DCObject* dc = Dc(h);
    return dc ? dc->bitmap : HBITMAP{};
}
HPEN GetCurrentPen(HDC h) {
    const DCObject* dc = Dc(h);
    return dc ? dc->pen : HPEN{};
}
HBRUSH GetCurrentBrush(HDC h) {
    const DCObject* dc = Dc(h);
    return dc ? dc->brush : HBRUSH{};
}
HFONT GetCurrentFont(HDC h) {
    const DCObject* dc = Dc(h);
    return dc ? dc->font : HFONT{};
}

COLORREF SetTextColor(HDC h, COLORREF colour) {
    DCObject* dc = Dc(h);
    if (!dc) return kClrInvalid;
    return std::exchange(dc->textColour, ResolveColor(colour) & 0x00FFFFFFu);
}
COLORREF GetTextColor(HDC h) {
    const DCObject* dc = Dc(h);
    return dc ? dc->textColour : kClrInvalid;
}
COLORREF SetBkColor(HDC h, COLORREF colour) {
    DCObject* dc = Dc(h);
    if (!dc) return kClrInvalid;
    return std::exchange(dc->bkColour, ResolveColor(colour) & 0x00FFFFFFu);
}
COLORREF GetBkColor(HDC h) {
    const DCObject* dc = Dc(h);
    return dc ? dc->bkColour : kClrInvalid;
}
int SetBkMode(HDC h, int mode) {
    DCObject* dc = Dc(h);
    if (!dc || (mode != TRANSPARENT && mode != OPAQUE)) return 0;
    return std::exchange(dc->bkMode, mode);
}
int GetBkMode(HDC h) {
    const DCObject* dc = Dc(h);
    return dc ? dc->bkMode : 0;
}

int SelectClipRgn(HDC h, HRGN region) {
    DCObject* dc = Dc(h);
    if (!dc) return kRgnError;
    if (!region) {
        dc->clip.reset();
        return SIMPLEREGION;
    }
    const RegionObject* r = Region(region);
    if (!r) return kRgnError;
    dc->clip = r->region;
    if (r->region.isEmpty()) return NULLREGION;
    return r->region.rectCount() == 1 ? SIMPLEREGION : COMPLEXREGION;
}

QSize SurfaceSize(HDC h) {
    const QImage* s = Surface(h);
    return s ? s->size() : QSize();
}

BOOL SetDeviceScale(HDC h, double scale) {
    DCObject* dc = Dc(h);
    if (!dc || dc->screen || !(scale >= 0.25 && scale <= 16.0)) return 0;
    dc->scale = scale;
    return 1;
}

double GetDeviceScale(HDC h) {
    const DCObject* dc = Dc(h);
    return dc ? dc->scale : 0.0;
}

// ---- System colours ----

COLORREF GetSysColor(int index) {
    return platform::SystemColour(index);
}

COLORREF ResolveColor(COLORREF colour) {
    return (colour & 0x80000000u) ? GetSysColor(int(colour & 0xFF)) : colour;
}

}  // namespace platform::gdi
