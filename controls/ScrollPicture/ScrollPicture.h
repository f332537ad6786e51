#pragma once
// The picture viewer: one picture inside a fixed viewport, moved by dragging it with the left
// button and zoomed through a ladder of 15 levels (5 % to 200 %), fitted to the viewport keeping
// its proportions, or stretched to fill it. There are no scroll bars.
//
// Two picture boxes do the work. PicLoaded (hidden) holds the decoded picture at its own size;
// PicScroll shares it, has the size of the picture at the current zoom and sits at (-mScrollX,
// -mScrollY) in the viewport, so panning only moves it. PicScroll paints only what shows, from a
// cache of at most the viewport's worth of pixels: the zoomed picture is never made whole.
// Every redraw (a zoom, or a new back colour showing through a translucent picture) is one
// scaled copy of the part of the picture that will show into that cache, made by RenderAtSize
// while PicScroll is hidden and under the wait cursor. Below 100 % the copy averages the picture
// pixels each screen pixel covers; at and above it takes the nearest one.
//
// Units are the control's (logical) pixels; the picture is measured in device pixels, so at a
// device pixel ratio of 2 a picture shows at half its pixel size in logical pixels, and 100 %
// is one picture pixel per device pixel. Sizes and offsets are 32-bit; the values a host reads
// through the control's events and ZoomPercent stay 16-bit.
//
// Refusals and failures: a zoom whose size is beyond the largest widget changes nothing, not
// even the level. A failed copy falls back once to the picture's own size at 100 %; if that copy
// fails too the box is left in the back colour. These are the expected outcomes and nothing is
// reported. An unexpected failure (no memory left for the image) goes on to the caller of the
// public member; the mouse, resize and show handlers stop it at the event loop and report it on
// stderr. Whatever happens, the wait cursor is taken down and PicScroll shown again.
//
// Files: ScrollPicture.cpp (properties, persistence, zoom, layout), ScrollPictureInput.cpp
// (mouse and dragging), ScrollPictureBox.cpp (the picture boxes and
// the scaled drawing).

#include <QCursor>
#include <QImage>
#include <QPoint>
#include <QVariant>
#include <QWidget>
#include <array>
#include <cstdint>
#include <memory>
#include <optional>

#include "controls/ScrollPicture/Support.h"
#include "platform/Colour.h"
#include "platform/Picture.h"
#include "platform/forms/Control.h"

class QMouseEvent;

// A borderless picture box showing the picture at the box's size. It holds the decoded picture
// itself (shared, never copied) and no image of the whole scaled picture: it paints the part
// that shows in its parent (the viewport) from a cache of that part in device pixels, drawn from
// the picture by area averaging where the picture is reduced and by nearest pixel elsewhere.
// Where the picture does not reach, and while the box is blank (its last drawing failed), the
// back colour shows. The cache is at most the viewport's size (times the device pixel ratio,
// squared): moving the box keeps what still shows where it is and draws only what came into
// view.
class ScrollPictureBox : public QWidget {
public:
    explicit ScrollPictureBox(QWidget* parent);
    ~ScrollPictureBox() override;

    const platform::Picture& Picture() const { return mPicture; }
    // Holds the picture and shows it with one picture pixel per device pixel: the box takes the
    // picture's size divided by `ratio` (device pixels per logical pixel), rounded up. No
    // picture keeps the box's size.
    void SetPicture(const platform::Picture& picture, qreal ratio = 1.0);
    // Another picture of the same size (an animation's next frame), drawn at the size and place
    // the box has.
    void ReplacePicture(const platform::Picture& picture);
    platform::Colour BackColor() const { return mBackColor; }
    // Changes the colour around and behind the picture.
    void SetBackColor(platform::Colour colour);
    // Refuses a negative side (returns false, nothing changes). The picture is then to be shown
    // scaled to `scaled` device pixels (by default the box's size times the ratio); nothing of
    // it is drawn until the caller draws the cache (AllocateCache) or the box is painted.
    bool SetSize(int width, int height, QSize scaled = QSize());
    // Makes the cache hold the part `part` (box coordinates) of the box, its pixels left for the
    // caller to draw; returns the cache's origin in the scaled picture. No cache (a null Cache())
    // when the part is empty or there is no picture. Throws std::bad_alloc when no memory is
    // left for it.
    QPoint AllocateCache(QRect part);
    QImage& Cache() { return mCache; }
    // Whether the box shows its picture (true) or only its back colour (false: a drawing
    // failed). A new picture or size starts drawn.
    void SetDrawn(bool drawn) { mDrawn = drawn; }
    // The scaled picture's size in device pixels.
    QSize ScaledSize() const { return mScaled; }
    // Device pixels per logical pixel the picture is shown at.
    qreal Ratio() const { return mRatio; }
    // What a drawing of the picture reads.
    scrollpicture::Source DrawingSource() const;
    // True when the picture has pixels that are not fully opaque.
    bool Translucent() const { return mTranslucent; }
    // The whole box as shown, in device pixels, made on demand (for tests and tools: it is as
    // large as the box). Null without a picture.
    QImage Snapshot() const;
    // The cache's size in device pixels (empty when there is none).
    QSize ImageSize() const;

    // The cursor over the box: 0 the default, 99 the custom one of SetMouseIcon.
    int MousePointer() const { return mMousePointer; }
    void SetMousePointer(int pointer);
    const platform::Picture& MouseIcon() const { return mMouseIcon; }
    void SetMouseIcon(const platform::Picture& icon);

protected:
    void paintEvent(QPaintEvent* e) override;

private:
    void ApplyCursor();
    void DropCache();
    // The part of the box inside its parent, in box coordinates.
    QRect VisiblePart() const;
    // Makes the cache hold `part`, drawn.
    void UpdateCache(QRect part);
    // Draws `r` (scaled picture, device pixels) into the cache where it wraps to.
    void DrawCached(QRect r);

    platform::Picture mPicture;
    platform::Colour mBackColor = platform::kButtonFace;
    bool mTranslucent = false;
    bool mDrawn = true;
    qreal mRatio = 1.0;
    QSize mScaled;
    // The cache: mCachePart of the box (logical), mCacheRect of the scaled picture (device).
    QImage mCache;
    QRect mCachePart, mCacheRect;
    QPoint mAnchor;  // the scaled picture's pixel at the cache's (0, 0); the cache wraps
    bool mCacheValid = false;
    int mMousePointer = 0;
    platform::Picture mMouseIcon;
};

class ScrollPicture : public QWidget, public platform::forms::Persistent {
    Q_OBJECT
public:
    static constexpr int kZoomLevelCount = 15;
    static constexpr std::int16_t kActualPixelsIndex = 10;  // 100 %

    explicit ScrollPicture(QWidget* parent = nullptr);
    ~ScrollPicture() override;

    // ---- Properties. Setters store, run what depends on the value and tell the host through
    // PropertyChanged with the stored key.
    platform::Colour BackColor() const { return mBackColor; }
    // The control's, PicScroll's and PicLoaded's background colour.
    void SetBackColor(platform::Colour New_BackColor);
    bool Enabled() const;
    // A disabled control takes no mouse input: no dragging, no events.
    void SetEnabled(bool New_Enabled);
    // The picture as assigned (not the zoomed copy). Setting one shows it at its own size,
    // centred; the zoom level is left as it was.
    const platform::Picture& Picture() const;
    void SetPicture(const platform::Picture& New_Picture);
    // The percentage of the current ladder level, as a 16-bit number. Read only.
    QVariant ZoomPercent() const;

    // ---- Methods. Each does nothing while no picture is loaded, except Clear and about.
    void Clear();
    // Fits the picture into the viewport keeping its proportions; the ladder level stays.
    void BestFit();
    // Stretches the picture to the viewport's size; the ladder level stays.
    void z_Stretch();
    void z_ZoomIn();
    void z_ZoomOut();
    // Draws at the ladder level again: after BestFit or z_Stretch, back to the zoom before it.
    void z_ZoomPrevious();
    void z_ZoomActualPixels();
    // The control's notice in a modal message box.
    void about();

    // ---- Navigation, for the window that holds the control.
    // One ladder step, as z_ZoomIn and z_ZoomOut, keeping the picture point under `anchor`
    // (control coordinates) under it as far as the clamps allow; a side of the picture no longer
    // than the viewport's is centred.
    void ZoomInAt(QPoint anchor);
    void ZoomOutAt(QPoint anchor);
    // Pans as a drag does, without an event: dx > 0 shows more of the right side, dy > 0 more of
    // the bottom. Clamped to 0..ScrollMax on each axis where the picture is larger than the
    // viewport; the other axis stays centred.
    void ScrollBy(int dx, int dy);
    // The same to an absolute offset, clamped.
    void ScrollTo(int x, int y);
    // An animation's next frame: a picture of the loaded picture's size, shown at the current
    // zoom, size and position. Raises no PropertyChanged; does nothing when nothing is loaded or
    // the size differs.
    void ReplaceFrame(const platform::Picture& frame);

    // ---- The host's side.
    void InitProperties() override;
    void ReadProperties(const platform::forms::PropertyBag& bag) override;
    void WriteProperties(platform::forms::PropertyBag& bag) const override;

    // ---- State, for the window that holds the control and for tests.
    bool Loaded() const;
    std::int16_t ZoomIndex() const { return mZoomIndex; }
    std::int16_t ZoomLevel(int index) const { return mZoomLevels[std::size_t(index)]; }
    std::int32_t ScrollX() const { return mScrollX; }
    std::int32_t ScrollY() const { return mScrollY; }
    std::int32_t ScrollMaxX() const { return mScrollMaxX; }
    std::int32_t ScrollMaxY() const { return mScrollMaxY; }
    bool Dragging() const { return mDragging; }
    float OriginalWidth() const { return mOriginalWidth; }
    float OriginalHeight() const { return mOriginalHeight; }
    // The loaded picture's size in its own (device) pixels; empty when none is loaded.
    QSize PictureSize() const;
    // The picture boxes, and the two hand cursors (32 x 32, hotspot (12, 5)).
    ScrollPictureBox* picScroll() const { return PicScroll; }
    ScrollPictureBox* picLoaded() const { return PicLoaded; }
    const platform::Picture& grabCursor() const { return cGrab; }
    const platform::Picture& releaseCursor() const { return cRelease; }

signals:
    void Click();
    void DblClick();
    // Button: 1 left, 2 right, 4 middle (for MouseMove, the buttons held). Shift: 1 Shift,
    // 2 Ctrl, 4 Alt. X and Y: the position within PicScroll, in the zoomed picture's pixels.
    // Every argument is the control's own copy.
    void MouseDown(std::int16_t& Button, std::int16_t& Shift, float& X, float& Y);
    void MouseMove(std::int16_t& Button, std::int16_t& Shift, float& X, float& Y);
    void MouseUp(std::int16_t& Button, std::int16_t& Shift, float& X, float& Y);
    // A stored property changed; the name is its persistence key.
    void PropertyChanged(const QString& name);

protected:
    // The scaled copy of a redraw: the part of the picture scaled to `size` (device pixels)
    // that starts at `origin` into `tile`, as scrollpicture::DrawScaled draws it. Returns whether
    // it succeeded. Virtual so that tests can count copies and make them fail.
    virtual bool CopyStretched(QImage& tile, QPoint origin, QSize size,
                               const scrollpicture::Source& source);
    // Device pixels per logical pixel, read when a picture is loaded. Virtual so that tests can
    // try another screen density.
    virtual qreal DevicePixelRatio() const { return devicePixelRatioF(); }

    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void showEvent(QShowEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void InitZoomLevels();
    void LoadPicture(const platform::Picture& picture);
    // Places the picture (or fills the viewport with the empty box), picks the cursor and shows
    // PicScroll. Placed at the scroll offsets `wanted`, clamped, or centred without them.
    void LayoutViewport(std::optional<QPoint> wanted = std::nullopt);
    // The scroll offsets LayoutViewport gives a box of `box` size.
    QPoint PlannedScroll(QSize box, std::optional<QPoint> wanted) const;
    // Makes ladder level `index` current and draws the picture at its size, placed as
    // LayoutViewport places it; a size beyond the largest widget leaves everything as it was.
    void ZoomTo(int index, std::optional<QPoint> wanted = std::nullopt);
    // ZoomTo keeping the picture point under `anchor` under it.
    void ZoomAbout(int index, QPoint anchor);
    // The picture's size at ladder level `index`, or at the viewport's size keeping its
    // proportions (at least 1 x 1); nothing when a side is beyond the largest widget.
    std::optional<scrollpicture::Size32> ZoomSize(int index) const;
    std::optional<scrollpicture::Size32> FittedSize() const;
    // The picture's size at ladder level `index` in device pixels, for a box of `shown` size.
    QSize ScaledZoomSize(int index, scrollpicture::Size32 shown) const;
    void MoveTo(std::int64_t x, std::int64_t y);

    // The one redraw of the picture into PicScroll at w x h (the picture scaled to `scaled`
    // device pixels; by default w x h times the ratio), placed as LayoutViewport places it; its
    // steps are listed where it is defined.
    void RenderAtSize(int w, int h, QSize scaled = QSize(),
                      std::optional<QPoint> wanted = std::nullopt);
    // The scaled copy of the part of the picture that shows once PicScroll is placed as
    // `wanted` says. False when it fails; a box of which nothing shows has nothing to draw,
    // which is no failure.
    bool CopyPicture(std::optional<QPoint> wanted);
    // Step 4 of a redraw, after a failed copy: the picture drawn once at its own size at 100 %,
    // or the box left blank in the back colour.
    void FallBackToActualPixels();
    void ApplyBackColor(platform::Colour colour);

    // Mouse handlers of PicScroll (ScrollPictureInput.cpp): one for every press, move, release
    // or double click, which hands the first three on to their own.
    void PicScroll_Mouse(QMouseEvent* e);
    void PicScroll_MouseDown(std::int16_t Button, std::int16_t Shift, float X, float Y);
    void PicScroll_MouseMove(std::int16_t Button, std::int16_t Shift, float X, float Y);
    void PicScroll_MouseUp(std::int16_t Button, std::int16_t Shift, float X, float Y);

    // Constituent parts.
    ScrollPictureBox* PicScroll;
    ScrollPictureBox* PicLoaded;
    platform::Picture cGrab;     // closed hand, while the left button holds the picture
    platform::Picture cRelease;  // open hand, over a picture larger than the viewport

    platform::Colour mBackColor = platform::kButtonFace;
    std::int32_t mScrollX = 0, mScrollY = 0;
    std::int32_t mScrollMaxX = 0, mScrollMaxY = 0;
    bool mDragging = false;
    QPoint mCursorNow, mCursorLast;  // screen coordinates
    std::array<std::int16_t, kZoomLevelCount> mZoomLevels{};
    std::int16_t mZoomIndex = 0;
    float mOriginalWidth = 0, mOriginalHeight = 0;
    qreal mRatio = 1.0;  // device pixels per logical pixel of the loaded picture

    bool mClickArmed = false;  // a left press on PicScroll that its release may complete
};
