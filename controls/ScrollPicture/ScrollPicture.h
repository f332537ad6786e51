#pragma once
// The picture viewer: one picture inside a fixed viewport, moved by dragging it with the left
// button and zoomed through a ladder of 15 levels (5 % to 200 %), fitted to the viewport keeping
// its proportions, or stretched to fill it. There are no scroll bars.
//
// Two picture boxes do the work. PicLoaded (hidden) holds the picture at its own size; PicScroll
// shows it at the current size and sits at (-mScrollX, -mScrollY) in the viewport, so panning
// only moves it. Every redraw (a zoom, or a new back colour showing through a translucent
// picture) is one stretching copy from PicLoaded into PicScroll's persistent image, made by
// RenderAtSize while PicScroll is hidden and under the wait cursor. Units are pixels.
//
// Refusals and failures: a zoom whose size does not fit 16 bits changes nothing, not even the
// level. A failed copy falls back once to the picture's own size at 100 %; if that copy fails
// too the box is left in the back colour. These are the expected outcomes and nothing is
// reported. An unexpected failure (no memory left for the image) goes on to the caller of the
// public member; the mouse, resize and show handlers stop it at the event loop and report it on
// stderr. Whatever happens, the wait cursor is taken down and PicScroll shown again.
//
// Files: ScrollPicture.cpp (properties, persistence, zoom, layout), ScrollPictureInput.cpp
// (mouse and dragging), ScrollPictureBox.cpp (the picture boxes).

#include <QCursor>
#include <QImage>
#include <QPoint>
#include <QVariant>
#include <QWidget>
#include <array>
#include <cstdint>
#include <memory>
#include <optional>

#include "platform/Colour.h"
#include "platform/Picture.h"
#include "platform/forms/Control.h"
#include "platform/gdi/Gdi.h"

class QMouseEvent;

namespace scrollpicture {
struct Size16;
}

// A borderless picture box with a persistent image: what is drawn into its device context stays
// and shows whenever the box is visible; where the image does not reach, the back colour shows.
// Assigning a picture makes the image the picture over the back colour and gives the box the
// picture's size. While it holds a picture, a new size resizes the image too, its pixels left
// for the caller to draw. Image memory is kept when the next size fits in it: zooming back and
// forth is the common case, and fresh pages for a large image cost as much as the copy itself.
//
// The image and its device context are made and released together, one pair per size: a DC
// handed out by hDC() draws into the image of the size the box had when it was taken, and the
// next size brings a new DC (the old one is deleted). The box owns both.
class ScrollPictureBox : public QWidget {
public:
    explicit ScrollPictureBox(QWidget* parent);
    ~ScrollPictureBox() override;

    const platform::Picture& Picture() const { return mPicture; }
    // No picture releases the image and keeps the box's size.
    void SetPicture(const platform::Picture& picture);
    platform::Colour BackColor() const { return mBackColor; }
    // Changes the colour around and behind the image; the image keeps its pixels.
    void SetBackColor(platform::Colour colour);
    // Refuses a negative side (returns false, nothing changes). Throws std::bad_alloc when no
    // memory is left for the image; the box then has no image and keeps its old size.
    bool SetSize(int width, int height);
    // The device context of the persistent image; 0 while there is no image (a box of no area,
    // or one without a picture).
    platform::gdi::HDC hDC() const;
    // Paints the whole image in the back colour.
    void FillImage();
    // Draws the picture over the back colour again (after a change of back colour shows through
    // its transparent pixels). Only at the picture's own size.
    void RecomposePicture();
    // True when the picture has pixels that are not fully opaque.
    bool Translucent() const { return mTranslucent; }
    // A copy of the persistent image (null when there is none).
    QImage Snapshot() const;
    QSize ImageSize() const;

    // The cursor over the box: 0 the default, 99 the custom one of SetMouseIcon.
    int MousePointer() const { return mMousePointer; }
    void SetMousePointer(int pointer);
    const platform::Picture& MouseIcon() const { return mMouseIcon; }
    void SetMouseIcon(const platform::Picture& icon);

protected:
    void paintEvent(QPaintEvent* e) override;

private:
    class BoundImage;

    void SetImageSize(int width, int height);
    void ReleaseImage();
    void ApplyCursor();

    platform::Picture mPicture;
    platform::Colour mBackColor = platform::kButtonFace;
    bool mTranslucent = false;
    // The image's pixels live in mStore (mCapacity pixels); mImage is a view of them with its
    // DC, released before the memory under it (members go in reverse order).
    std::unique_ptr<std::uint32_t[]> mStore;
    std::size_t mCapacity = 0;
    std::unique_ptr<BoundImage> mImage;
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

    // ---- The host's side.
    void InitProperties() override;
    void ReadProperties(const platform::forms::PropertyBag& bag) override;
    void WriteProperties(platform::forms::PropertyBag& bag) const override;

    // ---- State, for the window that holds the control and for tests.
    bool Loaded() const;
    std::int16_t ZoomIndex() const { return mZoomIndex; }
    std::int16_t ZoomLevel(int index) const { return mZoomLevels[std::size_t(index)]; }
    std::int16_t ScrollX() const { return mScrollX; }
    std::int16_t ScrollY() const { return mScrollY; }
    std::int16_t ScrollMaxX() const { return mScrollMaxX; }
    std::int16_t ScrollMaxY() const { return mScrollMaxY; }
    bool Dragging() const { return mDragging; }
    float OriginalWidth() const { return mOriginalWidth; }
    float OriginalHeight() const { return mOriginalHeight; }
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
    // The stretching copy of a redraw: PicLoaded's sw x sh picture into PicScroll's dw x dh.
    // Returns whether it succeeded. Virtual so that tests can make it fail.
    virtual bool CopyStretched(platform::gdi::HDC dst, std::int32_t dw, std::int32_t dh,
                               platform::gdi::HDC src, std::int32_t sw, std::int32_t sh);

    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void showEvent(QShowEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void InitZoomLevels();
    void LoadPicture(const platform::Picture& picture);
    // Centres the picture (or fills the viewport with the empty box), picks the cursor and
    // shows PicScroll.
    void LayoutViewport();
    // Makes ladder level `index` current and draws the picture at its size; a size that does
    // not fit 16 bits leaves everything as it was.
    void ZoomTo(int index);
    // The picture's size at ladder level `index`, or at the viewport's size keeping its
    // proportions; nothing when a side does not fit 16 bits.
    std::optional<scrollpicture::Size16> ZoomSize(int index) const;
    std::optional<scrollpicture::Size16> FittedSize() const;

    // Where a redraw leaves PicScroll: centred in the viewport (a new size), or where it stood
    // (the same size drawn again).
    enum class Placement { Centred, InPlace };
    // The one redraw of the picture into PicScroll at w x h; its steps are listed where it is
    // defined.
    void RenderAtSize(int w, int h, Placement placement = Placement::Centred);
    // The stretching copy of PicLoaded's picture over the whole of PicScroll's image. False
    // when it fails; a box without an image has nothing to draw, which is no failure.
    bool CopyPicture();
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
    std::int16_t mScrollX = 0, mScrollY = 0;
    std::int16_t mScrollMaxX = 0, mScrollMaxY = 0;
    bool mDragging = false;
    QPoint mCursorNow, mCursorLast;  // screen coordinates
    std::array<std::int16_t, kZoomLevelCount> mZoomLevels{};
    std::int16_t mZoomIndex = 0;
    float mOriginalWidth = 0, mOriginalHeight = 0;

    bool mClickArmed = false;  // a left press on PicScroll that its release may complete
};
