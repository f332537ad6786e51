// The viewer's picture boxes, and the scaled drawing of the picture.
//
// A box holds the decoded picture (shared, not copied) and the size it is shown at. It keeps no
// image of the whole scaled picture: what it paints comes from a cache of the part that shows
// in the viewport, in device pixels, drawn from the picture as needed. When the picture moves,
// the cache keeps what still shows and draws only what came into view. Sizes and positions are
// logical pixels unless named device pixels.

#include <QPaintEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <new>
#include <vector>

#include "controls/ScrollPicture/ScrollPicture.h"
#include "controls/ScrollPicture/Support.h"

using scrollpicture::Source;

namespace {

// ---- Scaling ----

// One picture pixel's share in a scaled pixel along one axis.
struct Tap {
    std::int32_t index;
    std::uint32_t weight;
};

// The taps of a run of scaled positions along one axis: position `from + k` takes the taps
// first[k] .. first[k + 1] - 1, whose weights add up to `total`.
struct AxisMap {
    std::vector<std::int32_t> first;
    std::vector<Tap> taps;
    std::uint64_t total = 1;
    bool nearest = true;
};

// Positions from..from+count-1 of a side `scaled` long, taken from a side `source` long. Longer
// or equal: the source pixel under the centre of each position. Shorter: every source pixel the
// position covers, weighted by how much of it it covers (in 1/scaled of a source pixel).
AxisMap MapAxis(std::int64_t from, std::int64_t count, std::int64_t scaled, std::int64_t source) {
    AxisMap map;
    map.first.reserve(std::size_t(count) + 1);
    map.nearest = scaled >= source;
    map.total = map.nearest ? 1 : std::uint64_t(source);
    for (std::int64_t k = 0; k < count; ++k) {
        const std::int64_t x = from + k;
        map.first.push_back(std::int32_t(map.taps.size()));
        if (map.nearest) {
            map.taps.push_back({std::int32_t((2 * x + 1) * source / (2 * scaled)), 1});
            continue;
        }
        const std::int64_t a = x * source, b = (x + 1) * source;
        for (std::int64_t i = a / scaled; i * scaled < b; ++i) {
            const std::int64_t w = std::min(b, (i + 1) * scaled) - std::max(a, i * scaled);
            map.taps.push_back({std::int32_t(i), std::uint32_t(w)});
        }
    }
    map.first.push_back(std::int32_t(map.taps.size()));
    return map;
}

// The picture's rows as opaque RGB32 pixels over the back colour, columns lo..hi-1.
class RowReader {
public:
    RowReader(const Source& source, int lo, int hi)
        : mSource(source), mLo(lo), mWidth(hi - lo), mBuffer(std::size_t(std::max(0, hi - lo))) {
        const QImage::Format f = source.picture.format();
        const bool wide = f == QImage::Format_RGB32 || f == QImage::Format_ARGB32 ||
                          f == QImage::Format_ARGB32_Premultiplied;
        mDirect = wide && (!source.translucent || f == QImage::Format_RGB32);
    }

    // Column lo's pixel of row y; the next mWidth - 1 pixels follow it.
    const QRgb* Row(int y) {
        if (y == mLastRow) return mLast;
        mLastRow = y;
        const QImage& picture = mSource.picture;
        if (mDirect) {
            mLast = reinterpret_cast<const QRgb*>(picture.constScanLine(y)) + mLo;
            return mLast;
        }
        const QRgb back = mSource.back;
        const QImage::Format f = picture.format();
        const QRgb* row = nullptr;
        QImage converted;
        if (f == QImage::Format_ARGB32 || f == QImage::Format_ARGB32_Premultiplied ||
            f == QImage::Format_RGB32) {
            row = reinterpret_cast<const QRgb*>(picture.constScanLine(y)) + mLo;
        } else {
            // Any other format, one row span at a time: never the whole picture converted.
            converted = picture.copy(mLo, y, mWidth, 1).convertToFormat(QImage::Format_ARGB32);
            row = reinterpret_cast<const QRgb*>(converted.constScanLine(0));
        }
        const bool premultiplied = f == QImage::Format_ARGB32_Premultiplied;
        for (int x = 0; x < mWidth; ++x)
            mBuffer[std::size_t(x)] = Over(row[x], back, premultiplied);
        mLast = mBuffer.data();
        return mLast;
    }

private:
    // The pixel composed over the opaque back colour.
    static QRgb Over(QRgb p, QRgb back, bool premultiplied) {
        const unsigned a = qAlpha(p);
        if (a == 255) return p | 0xFF000000u;
        const unsigned rest = 255 - a;
        const auto mix = [&](unsigned c, unsigned b) {
            return premultiplied ? c + (b * rest + 127) / 255 : (c * a + b * rest + 127) / 255;
        };
        return qRgb(int(mix(qRed(p), qRed(back))), int(mix(qGreen(p), qGreen(back))),
                    int(mix(qBlue(p), qBlue(back))));
    }

    const Source& mSource;
    int mLo, mWidth;
    bool mDirect = false;
    std::vector<QRgb> mBuffer;
    int mLastRow = -1;
    const QRgb* mLast = nullptr;
};

// A view of part of an RGB32 image (its pixels, not a copy).
QImage Part(QImage& image, QRect r) {
    return QImage(image.scanLine(r.top()) + std::size_t(r.left()) * 4, r.width(), r.height(),
                  image.bytesPerLine(), QImage::Format_RGB32);
}

// Device pixels of a logical rectangle: its edges times the ratio, outwards.
QRect DeviceRect(QRect r, qreal ratio) {
    if (ratio == 1.0) return r;
    const int l = int(std::floor(r.left() * ratio)), t = int(std::floor(r.top() * ratio));
    const int rr = int(std::ceil((r.right() + 1) * ratio)),
              b = int(std::ceil((r.bottom() + 1) * ratio));
    return QRect(l, t, rr - l, b - t);
}

// The cache wraps around: pixel (x, y) of the scaled picture lives at ((x - anchor.x) mod width,
// (y - anchor.y) mod height) of the cache, so a cache the size of the viewport holds any
// viewport-sized part and moving the part moves no pixel. Calls `f(piece, at)` for the pieces
// of `r` (scaled picture coordinates) split where the cache wraps; `at` is where the piece
// starts in the cache.
template <class F>
void ForEachWrapped(QRect r, QSize cache, QPoint anchor, F&& f) {
    if (r.isEmpty() || cache.isEmpty()) return;
    const auto wrap = [](int v, int m) { return ((v % m) + m) % m; };
    for (int y = r.top(); y <= r.bottom();) {
        const int cy = wrap(y - anchor.y(), cache.height());
        const int rows = std::min(r.bottom() + 1 - y, cache.height() - cy);
        for (int x = r.left(); x <= r.right();) {
            const int cx = wrap(x - anchor.x(), cache.width());
            const int cols = std::min(r.right() + 1 - x, cache.width() - cx);
            f(QRect(x, y, cols, rows), QPoint(cx, cy));
            x += cols;
        }
        y += rows;
    }
}

bool HasTranslucentPixels(const QImage& image) {
    if (!image.hasAlphaChannel()) return false;
    const bool wide = image.format() == QImage::Format_ARGB32 ||
                      image.format() == QImage::Format_ARGB32_Premultiplied;
    for (int y = 0; y < image.height(); ++y) {
        // Other formats a row at a time: never the whole picture converted.
        const QImage row =
            wide ? QImage()
                 : image.copy(0, y, image.width(), 1).convertToFormat(QImage::Format_ARGB32);
        const auto* p =
            reinterpret_cast<const QRgb*>(wide ? image.constScanLine(y) : row.constScanLine(0));
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(p[x]) != 255) return true;
    }
    return false;
}

}  // namespace

void scrollpicture::DrawScaled(QImage& tile, QPoint origin, QSize size, const Source& source) {
    if (tile.isNull()) return;
    tile.fill(source.back | 0xFF000000u);
    // The part of the tile that the scaled picture covers.
    const QRect covered = QRect(origin, tile.size()) & QRect(QPoint(0, 0), size);
    const QImage& picture = source.picture;
    if (covered.isEmpty() || picture.isNull()) return;
    const AxisMap xs = MapAxis(covered.left(), covered.width(), size.width(), picture.width());
    const AxisMap ys = MapAxis(covered.top(), covered.height(), size.height(), picture.height());
    const int lo = xs.taps.front().index, hi = xs.taps.back().index + 1;
    RowReader rows(source, lo, hi);
    const int dx = covered.left() - origin.x(), dy = covered.top() - origin.y();
    const std::uint64_t total = xs.total * ys.total;
    std::vector<std::uint64_t> sums(xs.nearest && ys.nearest ? 0
                                                             : std::size_t(covered.width()) * 3);
    for (int k = 0; k < covered.height(); ++k) {
        auto* out = reinterpret_cast<QRgb*>(tile.scanLine(dy + k)) + dx;
        if (xs.nearest && ys.nearest) {
            const QRgb* row = rows.Row(ys.taps[std::size_t(k)].index);
            for (int x = 0; x < covered.width(); ++x)
                out[x] = row[xs.taps[std::size_t(x)].index - lo];
            continue;
        }
        std::fill(sums.begin(), sums.end(), 0);
        for (auto t = ys.first[std::size_t(k)]; t < ys.first[std::size_t(k) + 1]; ++t) {
            const Tap ty = ys.taps[std::size_t(t)];
            const QRgb* row = rows.Row(ty.index);
            for (int x = 0; x < covered.width(); ++x) {
                std::uint64_t r = 0, g = 0, b = 0;
                for (auto s = xs.first[std::size_t(x)]; s < xs.first[std::size_t(x) + 1]; ++s) {
                    const Tap tx = xs.taps[std::size_t(s)];
                    const QRgb p = row[tx.index - lo];
                    r += std::uint64_t(tx.weight) * qRed(p);
                    g += std::uint64_t(tx.weight) * qGreen(p);
                    b += std::uint64_t(tx.weight) * qBlue(p);
                }
                std::uint64_t* sum = &sums[std::size_t(x) * 3];
                sum[0] += r * ty.weight;
                sum[1] += g * ty.weight;
                sum[2] += b * ty.weight;
            }
        }
        for (int x = 0; x < covered.width(); ++x) {
            const std::uint64_t* sum = &sums[std::size_t(x) * 3];
            out[x] = qRgb(int((sum[0] + total / 2) / total), int((sum[1] + total / 2) / total),
                          int((sum[2] + total / 2) / total));
        }
    }
}

// ---- The box ----

ScrollPictureBox::ScrollPictureBox(QWidget* parent) : QWidget(parent) {
    // The box paints every pixel of itself.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

ScrollPictureBox::~ScrollPictureBox() = default;

void ScrollPictureBox::SetPicture(const platform::Picture& picture, qreal ratio) {
    mPicture = picture;
    mRatio = ratio > 0 ? ratio : 1.0;
    DropCache();
    mDrawn = true;
    if (picture.IsNone()) {
        mTranslucent = false;
        mScaled = QSize();
        update();
        return;
    }
    mTranslucent = HasTranslucentPixels(picture.image());
    mScaled = picture.image().size();
    resize(int(std::ceil(picture.Width() / mRatio)), int(std::ceil(picture.Height() / mRatio)));
    update();
}

void ScrollPictureBox::ReplacePicture(const platform::Picture& picture) {
    mPicture = picture;
    mTranslucent = HasTranslucentPixels(picture.image());
    // Drawn again over the part that shows, at the size and place the box has.
    if (mCacheValid && mDrawn) DrawCached(mCacheRect);
    update();
}

Source ScrollPictureBox::DrawingSource() const {
    return Source{mPicture.image(), mTranslucent, platform::ToQColor(mBackColor).rgb()};
}

void ScrollPictureBox::SetBackColor(platform::Colour colour) {
    mBackColor = colour;
    // Translucent pixels are composed over the colour: what was drawn of them is stale.
    if (mTranslucent) DropCache();
    update();
}

bool ScrollPictureBox::SetSize(int width, int height, QSize scaled) {
    if (width < 0 || height < 0) return false;
    resize(width, height);
    mDrawn = true;
    mScaled = scaled.isValid() ? scaled : DeviceRect(QRect(0, 0, width, height), mRatio).size();
    DropCache();
    return true;
}

QPoint ScrollPictureBox::AllocateCache(QRect part) {
    part &= rect();
    if (mPicture.IsNone() || part.isEmpty()) {
        DropCache();
        return {};
    }
    const QRect device = DeviceRect(part, mRatio);
    if (mCache.size() != device.size()) {
        mCache = QImage();
        mCache = QImage(device.size(), QImage::Format_RGB32);
        if (mCache.isNull()) throw std::bad_alloc();
    }
    mCachePart = part;
    mCacheRect = device;
    mAnchor = device.topLeft();
    mCacheValid = true;
    return device.topLeft();
}

void ScrollPictureBox::DropCache() {
    mCache = QImage();
    mCacheValid = false;
}

QRect ScrollPictureBox::VisiblePart() const {
    const QWidget* viewport = parentWidget();
    return viewport ? rect() & viewport->rect().translated(-pos()) : rect();
}

void ScrollPictureBox::DrawCached(QRect r) {
    const Source source = DrawingSource();
    ForEachWrapped(r, mCache.size(), mAnchor, [&](QRect piece, QPoint at) {
        QImage tile = Part(mCache, QRect(at, piece.size()));
        scrollpicture::DrawScaled(tile, piece.topLeft(), mScaled, source);
    });
}

void ScrollPictureBox::UpdateCache(QRect part) {
    part &= rect();
    if (mCacheValid && part == mCachePart) return;
    const QRect device = DeviceRect(part, mRatio);
    if (!mCacheValid || device.size() != mCacheRect.size()) {
        AllocateCache(part);
        if (mCacheValid) DrawCached(device);
        return;
    }
    // The same size elsewhere (the picture moved): what still shows stays where it is in the
    // cache, and only what came into view is drawn, over what went out of it.
    const QRect kept = device & mCacheRect;
    mCachePart = part;
    mCacheRect = device;
    if (kept.isEmpty()) {
        DrawCached(device);
        return;
    }
    const QRect fresh[] = {
        QRect(QPoint(device.left(), device.top()), QPoint(device.right(), kept.top() - 1)),
        QRect(QPoint(device.left(), kept.bottom() + 1), QPoint(device.right(), device.bottom())),
        QRect(QPoint(device.left(), kept.top()), QPoint(kept.left() - 1, kept.bottom())),
        QRect(QPoint(kept.right() + 1, kept.top()), QPoint(device.right(), kept.bottom()))};
    for (const QRect& r : fresh)
        if (!r.isEmpty()) DrawCached(r);
}

QImage ScrollPictureBox::Snapshot() const {
    if (mPicture.IsNone()) return QImage();
    const QSize device = DeviceRect(rect(), mRatio).size();
    QImage out(device, QImage::Format_RGB32);
    if (out.isNull()) throw std::bad_alloc();
    out.fill(platform::ToQColor(mBackColor));
    if (mDrawn) scrollpicture::DrawScaled(out, QPoint(0, 0), mScaled, DrawingSource());
    out.setDevicePixelRatio(mRatio);
    return out;
}

QSize ScrollPictureBox::ImageSize() const {
    return mCacheValid ? mCache.size() : QSize();
}

void ScrollPictureBox::SetMousePointer(int pointer) {
    mMousePointer = pointer;
    ApplyCursor();
}

void ScrollPictureBox::SetMouseIcon(const platform::Picture& icon) {
    mMouseIcon = icon;
    ApplyCursor();
}

void ScrollPictureBox::ApplyCursor() {
    if (mMousePointer == 99 && !mMouseIcon.IsNone()) {
        setCursor(QCursor(QPixmap::fromImage(mMouseIcon.image()), mMouseIcon.hotspot().x(),
                          mMouseIcon.hotspot().y()));
    } else {
        unsetCursor();
    }
}

void ScrollPictureBox::paintEvent(QPaintEvent* e) {
    QPainter p(this);
    const QColor back = platform::ToQColor(mBackColor);
    QRect shown;
    if (mDrawn && !mPicture.IsNone()) {
        UpdateCache(VisiblePart());
        if (mCacheValid) shown = e->rect() & mCachePart;
    }
    if (!shown.isEmpty()) {
        ForEachWrapped(DeviceRect(shown, mRatio) & mCacheRect, mCache.size(), mAnchor,
                       [&](QRect piece, QPoint at) {
                           const QRect source(at, piece.size());
                           if (mRatio == 1.0) {
                               p.drawImage(piece.topLeft(), mCache, source);
                           } else {
                               p.drawImage(QRectF(piece.x() / mRatio, piece.y() / mRatio,
                                                  piece.width() / mRatio, piece.height() / mRatio),
                                           mCache, QRectF(source));
                           }
                       });
    }
    for (const QRect& r : e->region() - shown) p.fillRect(r, back);
}
