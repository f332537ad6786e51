// The button's picture: a drawable copy at the size the layout chose, its background colour
// (the colour of its top-left pixel) made transparent, greyed when the button is disabled, and
// for picture-shaped buttons the opaque area turned into the button's regions.

#include <cmath>

#include "controls/gxButtons_H/gxButtons_H.h"

namespace gdi = platform::gdi;
using platform::Colour;

namespace {

// Transparent runs of one row: [begin, end) pairs, sorted, disjoint and never touching.
using Runs = std::vector<std::pair<std::int32_t, std::int32_t>>;

// The union of the runs of rows `top` and on, as a region. Rows with the same runs as the row
// above join its band, so the region is built in one go instead of by a union a run.
QRegion RegionFromRows(const std::vector<Runs>& rows, std::int32_t top) {
    std::vector<QRect> rects;
    std::size_t bandStart = 0;  // the first rectangle of the band being extended
    const Runs* previous = nullptr;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const Runs& runs = rows[i];
        const std::int32_t y = top + std::int32_t(i);
        if (previous && !runs.empty() && runs == *previous) {
            for (std::size_t r = bandStart; r < rects.size(); ++r) rects[r].setBottom(y);
            continue;
        }
        bandStart = rects.size();
        for (const auto& [b, e] : runs) rects.emplace_back(b, y, e - b, 1);
        previous = runs.empty() ? nullptr : &runs;
    }
    QRegion region;
    if (!rects.empty()) region.setRects(rects.data(), int(rects.size()));
    return region;
}

// Every run grown by `k` pixels on each side, left, right, up and down: the rows start at
// row -k of the input.
std::vector<Runs> Grown(const std::vector<Runs>& rows, std::int32_t k) {
    const std::int32_t n = std::int32_t(rows.size());
    std::vector<Runs> out(std::size_t(n + 2 * k));
    Runs merged;
    for (std::int32_t y = -k; y < n + k; ++y) {
        merged.clear();
        for (std::int32_t from = std::max(0, y - k); from <= std::min(n - 1, y + k); ++from)
            for (const auto& [b, e] : rows[std::size_t(from)]) merged.emplace_back(b - k, e + k);
        std::sort(merged.begin(), merged.end());
        Runs& row = out[std::size_t(y + k)];
        for (const auto& run : merged) {
            if (!row.empty() && run.first <= row.back().second)
                row.back().second = std::max(row.back().second, run.second);
            else
                row.push_back(run);
        }
    }
    return out;
}

void Subtract(gdi::HRGN from, const QRegion& cut) {
    if (!from || cut.isEmpty()) return;
    const gdi::HRGN c = gdi::CreateRgnFromQRegion(cut);
    gdi::CombineRgn(from, from, c, gdi::RGN_DIFF);
    gdi::DeleteObject(c);
}

}  // namespace

void gxButtons_H::FitPicture(std::int32_t boxWidth, std::int32_t boxHeight, std::int32_t& fitW,
                             std::int32_t& fitH) const {
    const double sx = double(boxWidth) / mPictureWidth, sy = double(boxHeight) / mPictureHeight;
    const double s = sx <= sy ? sx : sy;
    fitW = std::int32_t(std::nearbyint(mPictureWidth * s));
    fitH = std::int32_t(std::nearbyint(mPictureHeight * s));
}

void gxButtons_H::ReleaseProcessedPicture() {
    for (gdi::HBITMAP* b : {&mProcessedPicture, &mPictureMask, &mPictureInk}) {
        if (*b) gdi::DeleteObject(*b);
        *b = {};
    }
    mProcessedWidth = mProcessedHeight = 0;
}

void gxButtons_H::PreparePicture(std::int32_t w, std::int32_t h, gdi::HRGN* region) {
    if (mPicture.IsNone()) return;
    ReleaseProcessedPicture();
    if (mPictureKind == 1 || w <= 0 || h <= 0) return;  // icons draw with their own mask

    // The scaled copy, by nearest pixel so that the key colour stays exact.
    const gdi::HBITMAP source = gdi::CreateBitmapFromImage(mPicture.image());
    const gdi::HBITMAP scaled = gdi::CopyImage(source, w, h);
    QImage pixels = gdi::ImageOf(scaled);
    gdi::DeleteObject(source);
    gdi::DeleteObject(scaled);
    if (pixels.isNull()) return;

    // Pixels within 3 per channel of the key are the key, so that the exact-match masking
    // treats them as background; the transparent runs of each row carve the regions. The scan
    // covers one column and one row beyond the picture, read as white.
    const std::uint32_t key = pixels.pixel(0, 0) & 0xFFFFFFu;
    const int kr = int(key >> 16) & 0xFF, kg = int(key >> 8) & 0xFF, kb = int(key) & 0xFF;
    const auto transparent = [&](std::uint32_t p) {
        return std::abs(int(p >> 16 & 0xFF) - kr) <= 3 && std::abs(int(p >> 8 & 0xFF) - kg) <= 3 &&
               std::abs(int(p & 0xFF) - kb) <= 3;
    };
    std::vector<Runs> rows(region ? std::size_t(h + 1) : 0);
    for (std::int32_t y = 0; y <= h; ++y) {
        auto* line = y < h ? reinterpret_cast<std::uint32_t*>(pixels.scanLine(y)) : nullptr;
        std::int32_t start = -1;
        for (std::int32_t x = 0; x < w; ++x) {
            const std::uint32_t p = line ? line[x] : 0xFFFFFFFFu;
            if (transparent(p)) {
                if (line) line[x] = 0xFF000000u | key;
                if (start < 0) start = x;
            } else if (start >= 0) {
                if (region) rows[std::size_t(y)].emplace_back(start, x);
                start = -1;
            }
        }
        if (start >= 0 && region) rows[std::size_t(y)].emplace_back(start, w);
    }
    mProcessedPicture = gdi::CreateBitmapFromImage(pixels);
    mProcessedWidth = w;
    mProcessedHeight = h;

    if (region) {
        for (gdi::HRGN* r : {&mShapeRegion, &mInnerRegion}) {
            if (*r) gdi::DeleteObject(*r);
            *r = gdi::CreateRectRgn(0, 0, width(), height());
        }
        // The window region loses each run; the face region each run grown by one, the inner
        // region each run grown by two.
        Subtract(*region, RegionFromRows(rows, 0));
        Subtract(mShapeRegion, RegionFromRows(Grown(rows, 1), -1));
        Subtract(mInnerRegion, RegionFromRows(Grown(rows, 2), -2));
    }
}

void gxButtons_H::DrawPicture(gdi::RECT p) {
    if (mPictureWidth + mPictureHeight == 0) return;
    // A copy made for another rectangle (the button was laid out at another size since, and a
    // fixed slot was clamped then) would be stretched: it is made again for this one.
    // Picture shapes keep the copy their shape was built from.
    const bool stale =
        mButtonShape < 7 && (mProcessedWidth != p.Width() || mProcessedHeight != p.Height());
    if (mPictureKind == 0 && (!mProcessedPicture || stale))
        PreparePicture(p.Width(), p.Height(), nullptr);
    if (mButtonShape >= 7) {
        p = {0, 0, width(), height()};
        if (IsPressed()) p = {1, 1, width() - 1, height() - 1};
    }
    const std::int32_t W = p.Width(), H = p.Height();
    if (W <= 0 || H <= 0) return;

    const bool enabled = isEnabled();
    gdi::HDC target = mBackDC;
    gdi::HBITMAP tempBitmap, oldBitmap;
    gdi::RECT at = p;
    if (!enabled) {
        // Drawn on white first, then greyed onto the face.
        target = gdi::CreateCompatibleDC(mBackDC);
        tempBitmap = gdi::CreateCompatibleBitmap(mBackDC, W, H);
        oldBitmap = gdi::SelectObject(target, tempBitmap);
        gdi::PatBlt(target, 0, 0, W, H, gdi::WHITENESS);
        at = {0, 0, W, H};
    }
    if (mPictureKind == 1) {
        gdi::DrawIconEx(target, at.left, at.top, mPicture.image(), W, H);
    } else {
        std::int32_t w = W, h = H;
        DrawTransparent(target, at, mProcessedPicture, {}, w, h);
    }
    if (!enabled) {
        // face AND picture OR grey AND NOT picture: white leaves the face, black turns grey.
        const gdi::HBRUSH grey = gdi::CreateSolidBrush(platform::Rgb(128, 128, 128));
        const gdi::HBRUSH oldBrush = gdi::SelectObject(mBackDC, grey);
        const gdi::COLORREF oldBk = gdi::SetBkColor(mBackDC, platform::Rgb(255, 255, 255));
        gdi::BitBlt(mBackDC, p.left, p.top, W, H, target, 0, 0, gdi::DSPDXAX);
        gdi::SetBkColor(mBackDC, oldBk);
        gdi::SelectObject(mBackDC, oldBrush);
        gdi::DeleteObject(grey);
        gdi::SelectObject(target, oldBitmap);
        gdi::DeleteObject(tempBitmap);
        gdi::DeleteDC(target);
    }
}

// A masked, scaled copy of `bitmap`: pixels of the colour of its pixel (0, 0) leave the target
// alone. The mask and the copy with its key pixels blackened are made once per processed
// picture; every draw is then an AND of the mask and an OR of the copy.
void gxButtons_H::DrawTransparent(gdi::HDC target, const gdi::RECT& dest, gdi::HBITMAP bitmap,
                                  const gdi::RECT& source, std::int32_t& w, std::int32_t& h) {
    gdi::BITMAP info;
    if (!gdi::GetObject(bitmap, &info)) return;
    const std::int32_t sw = source.Width() ? source.Width() : mProcessedWidth;
    const std::int32_t sh = source.Height() ? source.Height() : mProcessedHeight;
    const std::int32_t tw = dest.Width() ? dest.Width() : w;
    const std::int32_t th = dest.Height() ? dest.Height() : h;
    if (tw < w || th < h) {
        const double s = std::min(double(tw) / w, double(th) / h);
        w = std::int32_t(std::nearbyint(w * s));
        h = std::int32_t(std::nearbyint(h * s));
    }
    if (w <= 0 || h <= 0 || sw <= 0 || sh <= 0) return;

    // One memory DC, kept with the control, holds the picture, its mask and its inked copy in
    // turn.
    if (!mPictureDC) {
        mPictureDC = gdi::CreateCompatibleDC(target);
        mPictureDCBitmap = gdi::GetCurrentBitmap(mPictureDC);
    }
    const gdi::HDC src = mPictureDC;
    gdi::SelectObject(src, bitmap);
    if (!mPictureMask) {  // made with the processed picture's first draw, released with it
        const gdi::COLORREF key = gdi::ResolveColor(gdi::GetPixel(src, 0, 0));
        // The mask: key pixels 1 (white), all others 0.
        mPictureMask = gdi::CreateBitmap(info.bmWidth, info.bmHeight, 1);
        const gdi::HDC maskDC = gdi::CreateCompatibleDC(target);
        const gdi::HBITMAP oldMask = gdi::SelectObject(maskDC, mPictureMask);
        gdi::SetBkColor(src, key);
        gdi::BitBlt(maskDC, 0, 0, info.bmWidth, info.bmHeight, src, 0, 0, gdi::SRCCOPY);
        // The copy with its key pixels black.
        mPictureInk = gdi::CreateCompatibleBitmap(target, info.bmWidth, info.bmHeight);
        const gdi::HDC inkDC = gdi::CreateCompatibleDC(target);
        const gdi::HBITMAP oldInk = gdi::SelectObject(inkDC, mPictureInk);
        gdi::BitBlt(inkDC, 0, 0, info.bmWidth, info.bmHeight, src, 0, 0, gdi::SRCCOPY);
        gdi::SetTextColor(inkDC, 0);
        gdi::SetBkColor(inkDC, platform::Rgb(255, 255, 255));
        gdi::BitBlt(inkDC, 0, 0, info.bmWidth, info.bmHeight, maskDC, 0, 0, gdi::DSTANDNOTSRC);
        gdi::SelectObject(inkDC, oldInk);
        gdi::DeleteDC(inkDC);
        gdi::SelectObject(maskDC, oldMask);
        gdi::DeleteDC(maskDC);
    }

    // AND the mask (its white keeps the target, its black clears it), then OR the inked copy.
    const gdi::COLORREF oldText = gdi::SetTextColor(target, 0);
    const gdi::COLORREF oldBk = gdi::SetBkColor(target, platform::Rgb(255, 255, 255));
    const auto copy = [&](gdi::HBITMAP from, std::uint32_t rop) {
        gdi::SelectObject(src, from);
        if (w == sw && h == sh)
            gdi::BitBlt(target, dest.left, dest.top, w, h, src, source.left, source.top, rop);
        else
            gdi::StretchBlt(target, dest.left, dest.top, w, h, src, source.left, source.top, sw, sh,
                            rop);
    };
    copy(mPictureMask, gdi::SRCAND);
    copy(mPictureInk, gdi::SRCPAINT);
    gdi::SelectObject(src, mPictureDCBitmap);
    gdi::SetTextColor(target, oldText);
    gdi::SetBkColor(target, oldBk);
}
