#pragma once
// The owner-drawn button: eight face styles, shapes, gradients, hover colours, a picture with a
// transparent key colour, caption effects, and command, check-box and option-button modes.
//
// Every face is painted into a back buffer (a memory device context of the raster layer) and
// copied to the screen in one block. Units are pixels.
//
// Files: gxButtons_H.cpp (properties, persistence), gxButtonsBehaviour.cpp (mouse, keyboard,
// focus, option groups, hover tracking and termination), gxButtonsFace.cpp (back buffer,
// layout, shapes, one repaint, paint and resize), gxButtonsStyles.cpp (the eight face styles),
// gxButtonsPicture.cpp (the picture scaled, keyed and masked).

#include <QString>
#include <QWidget>
#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "platform/Colour.h"
#include "platform/Picture.h"
#include "platform/forms/Control.h"
#include "platform/gdi/Gdi.h"
#include "platform/window/Desktop.h"

class QMimeData;
class QPainter;

class gxButtons_H : public QWidget,
                    public platform::forms::Persistent,
                    public platform::forms::AccessKeyTarget,
                    public platform::forms::AmbientListener {
    Q_OBJECT
public:
    // Bits of mStateFlags.
    static constexpr std::int16_t kFocusLook = 1;   // shown as the container's default button
    static constexpr std::int16_t kHeld = 2;        // left button or space bar down on it (see
                                                    // mHeldDown for the other pressed states)
    static constexpr std::int16_t kHoverLook = 4;   // the mouse is over it
    static constexpr std::int16_t kShifted = 1024;  // moved by its CustomClick offset

    explicit gxButtons_H(QWidget* parent = nullptr);
    ~gxButtons_H() override;

    // ---- Properties. A setter ignores an out-of-range value, refuses combinations that make
    // no sense (with a message only in a design host), runs the steps the change needs
    // (layout, shape, redraw) and tells the host through PropertyChanged with the stored key.
    std::int32_t ButtonStyle() const { return mButtonStyle; }
    void SetButtonStyle(std::int32_t New_ButtonStyle);
    std::int32_t Mode() const { return mMode; }
    void SetMode(std::int32_t New_Mode);
    QString Caption() const { return mCaption; }
    void SetCaption(const QString& New_Caption);
    std::int32_t CaptionAlign() const { return mCaptionAlign; }
    void SetCaptionAlign(std::int32_t New_CaptionAlign);
    std::int32_t CaptionStyle() const { return mCaptionStyle; }
    void SetCaptionStyle(std::int32_t New_CaptionStyle);
    std::int32_t CustomClick() const { return mCustomClick; }
    void SetCustomClick(std::int32_t New_CustomClick);
    std::int32_t ButtonShape() const { return mButtonShape; }
    void SetButtonShape(std::int32_t New_ButtonShape);
    const platform::Picture& Picture() const { return mPicture; }
    void SetPicture(const platform::Picture& New_Picture);
    std::int32_t PictureAlign() const { return mPictureAlign; }
    void SetPictureAlign(std::int32_t New_PictureAlign);
    // The button's own setting: a button in a disabled container keeps it (and is drawn
    // disabled until the container comes back).
    bool Enabled() const { return !testAttribute(Qt::WA_ForceDisabled); }
    void SetEnabled(bool New_Enabled);
    bool ShowFocusRect() const { return mShowFocusRect; }
    void SetShowFocusRect(bool New_ShowFocusRect);
    bool Value() const { return mValue; }
    void SetValue(bool New_Value);
    // 0 to 4 for 16, 24, 32 (fixed slots), 40 (stretched) and 48 (fitted) pixels.
    std::int32_t PictureSize();
    void SetPictureSize(std::int32_t New_PictureSize);
    std::int16_t PictureSizePx() const { return mPictureSizePx; }
    std::int32_t MousePointer() const { return mMousePointer; }
    void SetMousePointer(std::int32_t New_MousePointer);
    const platform::Picture& MouseIcon() const { return mMouseIcon; }
    void SetMouseIcon(const platform::Picture& New_MouseIcon);
    QFont Font() const { return font(); }
    void SetFont(const QFont& New_Font);
    // Bit flags over Font: 2 bold, 4 italic, 8 underline.
    std::int32_t FontStyle() const;
    void SetFontStyle(std::int32_t New_FontStyle);
    platform::Colour ForeColor() const { return mForeColor; }
    void SetForeColor(platform::Colour New_ForeColor);
    platform::Colour BackColor() const { return mBackColor; }
    void SetBackColor(platform::Colour New_BackColor);
    platform::Colour GradientColor() const { return mGradientColor; }
    void SetGradientColor(platform::Colour New_GradientColor);
    std::int32_t GradientMode() const { return mGradientMode; }
    void SetGradientMode(std::int32_t New_GradientMode);
    // Write-only action: True (in a design host) puts the standard colours back.
    bool ResetDefaultColors() const { return false; }
    void SetResetDefaultColors(bool New_ResetDefaultColors);
    // Bit 1: the hover back colour was set explicitly; bit 2: the hover fore colour.
    std::int32_t HoverColorLocks() const { return mHoverColorLocks; }
    void SetHoverColorLocks(std::int32_t New_HoverColorLocks);
    platform::Colour HoverForeColor() const { return mHoverForeColor; }
    void SetHoverForeColor(platform::Colour New_HoverForeColor);
    platform::Colour HoverBackColor() const { return mHoverBackColor; }
    void SetHoverBackColor(platform::Colour New_HoverBackColor);
    // The back buffer's device context and the control's window handle.
    platform::gdi::HDC hDC();
    platform::window::Hwnd hwnd();

    // The key typed with Alt to click the button ("" for none), from the caption.
    QString AccessKeys() const override { return mAccessKeys; }
    // The container's window handle as decimal text.
    const QString& Tag() const { return mTag; }

    // What a form designer shows for a property ("" for those without a description), and
    // the designer's category for it ("" when it has none).
    static QString Description(const QString& property);
    static QString Category(const QString& property);

    // Clears the DelayDrawing flag and redraws.
    void Refresh();
    // While True, redraw requests do nothing; False redraws at once.
    void DelayDrawing(bool Delay);

    // ---- The host's side.
    void InitProperties() override;
    void ReadProperties(const platform::forms::PropertyBag& bag) override;
    void WriteProperties(platform::forms::PropertyBag& bag) const override;
    // The button's access key was typed, or Enter (13) or Escape (27) while it is the
    // window's default or cancel button.
    void AccessKeyPress(std::int16_t KeyAscii) override;
    // The click a left mouse button makes (an assistive technology's press): a command button
    // raises Click, a check box toggles, an option button is selected.
    void ClickAsMouse();
    // The container reports a change of one of its ambient properties.
    void AmbientChanged(const QString& PropertyName) override;

    // A colour moved by `amount` per channel (green and blue read with the platform's 255 and
    // 65280 divisors), optionally with blue moved in proportion, away from pure black and
    // white (the amount used is returned), or inverted.
    static platform::Colour ShadeColor(platform::Colour colour, std::int16_t& amount,
                                       bool proportionalBlue = false, bool avoidExtremes = false,
                                       bool invert = false);
    // `n` colours from `start` to `end`; the first is `start` exactly.
    static void BuildGradientTable(std::vector<platform::Colour>& table, std::int32_t n,
                                   platform::Colour start, platform::Colour end);
    // The bevel's twelve ring sides: inner, middle, outer ring, each left, top, right, bottom;
    // a value with the top bit set is a side not drawn. The last is the outline colour.
    using Ring = std::array<platform::Colour, 12>;
    // The derived face colours.
    platform::Colour FaceColor() const { return mFaceColor; }
    platform::Colour ShadeFaceColor() const { return mShadeColor; }
    platform::Colour HoverFaceColor() const { return mHoverFaceColor; }
    platform::Colour ToggledFaceColor() const { return mToggledFaceColor; }
    std::int32_t LeftInset() const { return mLeftInset; }
    std::int32_t RightLimit() const { return mRightLimit; }
    const platform::gdi::RECT& CaptionRect() const { return mCaptionRect; }
    const platform::gdi::RECT& PictureRect() const { return mPictureRect; }
    // The face regions of ovals and picture-shaped buttons (empty for the others).
    QRegion ShapeRegion() const { return platform::gdi::RegionOf(mShapeRegion); }
    QRegion InnerRegion() const { return platform::gdi::RegionOf(mInnerRegion); }

    // ---- Interaction state, for the drawing code and for tests.
    std::int16_t StateFlags() const { return mStateFlags; }
    bool Hovering() const { return mHovering; }
    bool HeldDown() const { return mHeldDown; }
    std::int16_t LastButton() const { return mLastButton; }
    bool DelayDrawingFlag() const { return mDelayDrawing; }
    platform::Colour ContainerBackColor() const { return mContainerBackColor; }
    // How many times a face was drawn into the back buffer.
    int RedrawCount() const { return mRedrawCount; }

    // For previews, golden pictures and benchmarks: puts the button into an interaction state
    // without any input (hover look with hover tracking, held down, focus look) and redraws.
    void SetPreviewState(bool hover, bool held, bool focusLook);
    // The face as last shown: the back buffer with the shape outline over it (a copy), in
    // device pixels, its device pixel ratio set.
    QImage FaceImage() const;
    // For previews and golden pictures away from a screen: draws the face at `ratio` device
    // pixels per pixel instead of the screen's (0 follows the screen again) and redraws.
    void SetPreviewDeviceRatio(double ratio);
    // Device pixels per pixel the face is drawn at: the preview ratio, else the screen's.
    double DeviceRatio() const;

    // Rebuilds the drawable picture at w x h; with a region, carves the picture's transparent
    // area out of it and builds the face regions of a picture-shaped button.
    void PreparePicture(std::int32_t w, std::int32_t h, platform::gdi::HRGN* region);

signals:
    // Every parameter is the control's own copy: a handler may change it to no effect.
    void MouseDown(std::int16_t& Button, std::int16_t& Shift, float& X, float& Y);
    void MouseUp(std::int16_t& Button, std::int16_t& Shift, float& X, float& Y);
    void MouseMove(std::int16_t& Button, std::int16_t& Shift, float& X, float& Y);
    void KeyDown(std::int16_t& KeyCode, std::int16_t& Shift);
    void KeyPress(std::int16_t& KeyAscii);
    void KeyUp(std::int16_t& KeyCode, std::int16_t& Shift);
    void MouseOnButton(bool& OnButton);
    void Click();
    void DoubleClick(std::int16_t& Button);
    void OLECompleteDrag(std::int32_t& Effect);
    void OLEDragDrop(QMimeData*& Data, std::int32_t& Effect, std::int16_t& Button,
                     std::int16_t& Shift, float& X, float& Y);
    void OLEDragOver(QMimeData*& Data, std::int32_t& Effect, std::int16_t& Button,
                     std::int16_t& Shift, float& X, float& Y, std::int16_t& State);
    void OLEGiveFeedback(std::int32_t& Effect, bool& DefaultCursors);
    void OLESetData(QMimeData*& Data, std::int16_t& DataFormat);
    void OLEStartDrag(QMimeData*& Data, std::int32_t& AllowedEffects);

    // A stored property changed; the name is its persistence key.
    void PropertyChanged(const QString& name);

public:
    // Starts a drag of the button's data: OLEStartDrag fills it, OLEGiveFeedback follows the
    // drop target's answers, OLECompleteDrag reports the outcome.
    void OLEDrag();

protected:
    bool event(QEvent* e) override;
    void paintEvent(QPaintEvent*) override;
    void resizeEvent(QResizeEvent*) override;
    void showEvent(QShowEvent*) override;
    void changeEvent(QEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void keyReleaseEvent(QKeyEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;
    void dragEnterEvent(QDragEnterEvent* e) override;
    void dragMoveEvent(QDragMoveEvent* e) override;
    void dragLeaveEvent(QDragLeaveEvent* e) override;
    void dropEvent(QDropEvent* e) override;
    void connectNotify(const QMetaMethod& signal) override;

private:
    // ---- Input (gxButtonsBehaviour.cpp).
    void UserControl_MouseDown(std::int16_t Button, std::int16_t Shift, float X, float Y);
    void UserControl_MouseUp(std::int16_t Button, std::int16_t Shift, float X, float Y);
    void UserControl_MouseMove(std::int16_t Button, std::int16_t Shift, float X, float Y);
    void UserControl_Click();
    void UserControl_DblClick();
    void UserControl_KeyDown(std::int16_t KeyCode, std::int16_t Shift);
    void UserControl_KeyUp(std::int16_t KeyCode, std::int16_t Shift);
    void UserControl_GotFocus();
    void UserControl_Resize();
    // Redraws for a change of the enabled state, the button's own or its container's.
    void ShowEnabledState();
    void CheckHoverExit(int timerId);
    // The option group: every option-mode button whose Tag names the same container, listed
    // on the container as gx_OptCount and gx_Obj1..n. Each action first unchecks the other
    // members when this button is checked. Returns whether any member is checked for
    // AskAnyChecked, False otherwise; a container that is gone or a slot naming no live
    // button ends the walk there (False), leaving the group as far as it was updated.
    enum class OptionAction : std::int8_t {
        Leave = -1,
        ClearOthers = 0,
        Join = 1,
        AskAnyChecked = 2
    };
    bool OptionToggle(OptionAction action);
    void LeaveOptionGroup(QWidget* container);
    bool ApplyCustomClickOffset();
    void ForwardDragOver(QDragMoveEvent* e, std::int16_t state);
    QWidget* Container() const;
    void DeriveAccessKey(const QString& caption);
    void ShowDesignMessage(const QString& text, const QString& title = {});
    bool UserMode() const;
    void UpdateMousePointer();

    // ---- Drawing (gxButtonsFace.cpp).
    // One repaint: draws the face into the back buffer and schedules its copy to the screen;
    // renews buffer, shape and layout first when the buffer no longer fits the control. Does
    // nothing while drawing is held (mDelayDrawing).
    void RedrawButton();
    void LayoutFace(bool& reprocessPicture);
    // Makes the back buffer if it is missing (a memory DC with a black brush and pen), selects
    // the caption font into it and gives it a bitmap of the control's device size if it has none.
    void MakeBackBuffer();
    // Drops the buffer's bitmap and makes one of the control's current size and density; false
    // when the raster layer refuses that size, and the control then draws nothing.
    bool RenewBackBuffer();
    bool BackBufferFits() const;
    // Asks for the face just drawn to reach the screen: the next paint copies it without
    // drawing it again (inside paintEvent the copy follows there anyway).
    void ScheduleCopyToScreen();
    // What a paint event does: show the face RedrawButton drew and asked to be shown, or draw
    // it anew first.
    enum class PaintKind { CopyDrawnFace, RedrawThenCopy };
    PaintKind PaintKindNow() const;
    // Kind 0 a solid brush (and, with alsoPen, a pen too), 1 a pen, 2 the text colour; keep
    // False puts back the brush and pen the buffer was created with.
    void SelectTool(bool keep, platform::gdi::HDC dc, int kind, platform::Colour colour,
                    bool alsoPen, std::int32_t penWidth, int penStyle);
    void UpdateDrawingResources(const QString& what);
    // The size the shape needs: slanted shapes a width that leaves room for the slant, picture
    // shapes the picture's fitted size; the others keep the control's size.
    QSize ShapeSize() const;
    // The slant of shapes 1 to 3 for a control `height` pixels high.
    static std::int32_t SlantOf(std::int32_t height);
    // Resizes the control to ShapeSize with drawing held over the resize event.
    void FitSizeToShape();
    // FitSizeToShape, then BuildShapeRegion at the final size.
    void RebuildShape();
    // RebuildShape, then the layout of caption and picture for it.
    void RebuildShapeAndLayout();
    void DeleteShapeRegions();
    // The window region of the shape at the control's current size, the face's horizontal
    // limits and the clip regions. Never resizes the control.
    void BuildShapeRegion();
    void CutCorners(platform::gdi::HRGN region, bool left, bool right);
    // Clips the back buffer for the face and paints the ring of shaped buttons; 0 when
    // nothing is to be drawn.
    std::int16_t PrepareShapeClip();
    void PaintRing(platform::Colour from, platform::Colour to);
    void FrameWith(platform::gdi::HRGN region, platform::Colour colour);
    void ReleaseDrawingResources();
    void FitPicture(std::int32_t boxWidth, std::int32_t boxHeight, std::int32_t& fitW,
                    std::int32_t& fitH) const;
    void ReleaseProcessedPicture();
    void DrawTransparent(platform::gdi::HDC target, const platform::gdi::RECT& dest,
                         platform::gdi::HBITMAP bitmap, const platform::gdi::RECT& source,
                         std::int32_t& w, std::int32_t& h);
    // Frames the shape outline of picture-shaped and oval buttons over the face on screen.
    void DrawOutline(std::int16_t level, platform::Colour colour);
    void PaintOutline(QPainter& painter) const;
    QSize BackBufferSize() const;
    // The caption with every "||" turned into a line break.
    QString CaptionText() const;
    static void Offset(platform::gdi::RECT& r, std::int32_t dx, std::int32_t dy);
    // The picture and caption, shifted while pressed or toggled on. `disabledColour` is the
    // style's caption colour when disabled (top bit set: embossed), `hoverColour` the caption's
    // colour while hovered (HoverForeColor unless the style chooses its own).
    void DrawCaption(platform::Colour face, platform::Colour disabledColour,
                     platform::Colour hoverColour);
    void DrawFocus(platform::Colour focusColour, bool valueFlag, bool captionFocus);
    void DrawPicture(platform::gdi::RECT p);
    bool IsPressed() const;

    // ---- Face styles (gxButtonsStyles.cpp).
    void DeriveColors();
    // Clips and paints the background; returns the draw level (0: nothing to show).
    std::int16_t FillFace(platform::Colour face, platform::Colour gradient, platform::Colour hover);
    // Stripes from `start` to `end`: mode 1 left to right, 2 right to left, 3 top to bottom,
    // 4 bottom to top.
    void GradientFill(platform::Colour start, platform::Colour end, std::int32_t mode);
    // Style 2's shaded face: rows top (inclusive) to bottom (exclusive) in one colour.
    struct ShadedBand {
        std::int32_t top, bottom;
        platform::Colour colour;
    };
    const std::vector<ShadedBand>& ShadedBandsFor(platform::Colour colour, std::int32_t height);
    void FillSolid(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom,
                   platform::Colour colour);
    void DrawBox(platform::gdi::HDC dc, std::int32_t left, std::int32_t top, std::int32_t right,
                 std::int32_t bottom, platform::Colour fill, platform::Colour pen);
    void DrawBevel(const Ring& ring, int penStyle);
    // Draws the face of the current style; returns the draw level (0: nothing new to show) and
    // the outline colour.
    std::int16_t DrawFace(platform::Colour& outline);
    // The focus indicator a style asks for: its colour, around the caption (else the face's
    // inner rectangle), solid (else dotted).
    struct FocusLook {
        platform::Colour colour;
        bool aroundCaption;
        bool solid;
    };
    // What a face routine hands to FinishFace once it has drawn fill, caption and bevel.
    struct FaceEnd {
        Ring ring;           // the rings drawn; the last side is the oval's outline colour
        std::int16_t level;  // FillFace's draw level
        std::optional<FocusLook> focus;  // none: the style shows no focus indicator
        bool ownOvalOutline;             // a framed oval keeps the ring's colour, not black
    };
    // One routine per ButtonStyle; none when there is nothing new to show.
    using FaceRoutine = std::optional<FaceEnd> (*)(gxButtons_H&);
    std::optional<FaceEnd> DrawClassicFace();  // 0
    std::optional<FaceEnd> DrawFramedFace();   // 1
    std::optional<FaceEnd> DrawModernFace();   // 2
    std::optional<FaceEnd> DrawFlatFace();     // 3
    std::optional<FaceEnd> DrawThinFace();     // 4
    std::optional<FaceEnd> DrawHoverFace();    // 5
    std::optional<FaceEnd> DrawSoftFace();     // 6
    std::optional<FaceEnd> DrawBrightFace();   // 7
    // Styles 0, 1, 4 and 6 share their start (fill and caption) and end (bevel and focus).
    struct RaisedStart {
        std::int16_t level;
        platform::Colour captionColour;  // the disabled colour the caption was drawn with
        bool down;                       // pressed or toggled on: the bevel is sunken
    };
    std::optional<RaisedStart> BeginRaisedFace();
    std::optional<FaceEnd> EndRaisedFace(const RaisedStart& start, const Ring& ring);
    std::int16_t FinishFace(const FaceEnd& end, platform::Colour& outline);
    std::int16_t BaseState() const;
    platform::Colour DisabledCaptionColour() const;
    bool ToggledOn() const;
    platform::Colour ChosenFace() const;

    // Properties.
    std::int32_t mButtonStyle = 0;
    std::int32_t mMode = 0;
    QString mCaption;
    std::int32_t mCaptionAlign = 0;
    std::int32_t mCaptionStyle = 0;
    std::int32_t mCustomClick = 0;
    std::int32_t mButtonShape = 0;
    platform::Picture mPicture;
    std::int32_t mPictureAlign = 0;
    bool mShowFocusRect = false;
    bool mValue = false;
    std::int16_t mPictureSizePx = 0;
    std::int32_t mMousePointer = 0;
    platform::Picture mMouseIcon;
    platform::Colour mForeColor = platform::kButtonText;
    platform::Colour mBackColor = 0;
    platform::Colour mGradientColor = 0;
    std::int32_t mGradientMode = 0;
    std::int32_t mHoverColorLocks = 0;
    platform::Colour mHoverForeColor = 0;
    platform::Colour mHoverBackColor = 0;
    QString mAccessKeys;
    int mAccessKeyId = 0;  // the registered shortcut, 0 for none
    QString mTag;

    // Interaction state. Three "pressed" facts are kept apart because each answers its own
    // question and they part company at the edges:
    // - kHeld in mStateFlags: the left button or the space bar went down on this button and
    //   is not yet up. With kHoverLook it makes the pressed face (IsPressed), the only look
    //   command buttons have for a press; it survives the mouse leaving, so coming back in
    //   shows the press again.
    // - mHeldDown: check-box and option modes draw themselves sunken while it is set
    //   (ToggledOn). It also comes on when the mouse enters with the left button down (a press
    //   that began elsewhere) and goes off when the mouse leaves or any key or button comes up.
    // - mClickArmed: a press of any mouse button began on this button and neither a release
    //   nor a double click has ended it.
    // Where they disagree, the face follows kHeld (with kHoverLook) and mHeldDown, while
    // whether a mouse release clicks follows mClickArmed alone (and the release's position).
    std::int16_t mStateFlags = 0;
    bool mHovering = false;
    bool mHeldDown = false;
    std::int16_t mLastButton = 0;
    bool mClickArmed = false;
    bool mDelayDrawing = false;
    platform::Colour mContainerBackColor = 0;

    // Drawing state.
    platform::gdi::HDC mBackDC;
    platform::gdi::HBITMAP mInitialBitmap, mBackBitmap;
    bool mBufferRefused = false;  // the last buffer asked for was refused, and said so
    platform::gdi::HPEN mInitialPen;
    platform::gdi::HBRUSH mInitialBrush;
    platform::gdi::HFONT mInitialFont, mFont;
    // The brush and pen selected into the back buffer by SelectTool.
    struct Tool {
        bool made = false;
        platform::Colour colour = 0;
        std::int32_t width = 0;
        int style = 0;
        bool operator==(const Tool&) const = default;
    };
    Tool mBrushTool, mPenTool;
    // Tools made so far, kept for later repaints; `next` is where the next search starts.
    template <class Handle>
    struct Pool {
        std::vector<std::pair<Tool, Handle>> items;
        std::size_t next = 0;
    };
    Pool<platform::gdi::HBRUSH> mBrushes;
    Pool<platform::gdi::HPEN> mPens;
    template <class Handle, class Make>
    Handle Pooled(Pool<Handle>& pool, const Tool& want, const Tool& selected, Make make);
    std::int32_t mLeftInset = 0, mRightLimit = 0;
    platform::gdi::RECT mCaptionRect, mPictureRect;
    std::int32_t mPictureWidth = 0, mPictureHeight = 0;
    int mPictureKind = 0;  // 0 a bitmap, 1 an icon (drawn with its own mask)
    // The picture scaled to its rectangle with near-key pixels set to the key, and, made on
    // its first draw, its mask and its copy with the key blackened.
    platform::gdi::HBITMAP mProcessedPicture, mPictureMask, mPictureInk;
    platform::gdi::HDC mPictureDC;  // draws the picture; holds its own bitmap between draws
    platform::gdi::HBITMAP mPictureDCBitmap;
    std::int32_t mProcessedWidth = 0, mProcessedHeight = 0;
    // The shape outline drawn over the face on screen, and its colour.
    QRegion mOutline;
    platform::Colour mOutlineColour = 0;
    platform::Colour mFaceColor = 0, mHoverFaceColor = 0, mShadeColor = 0, mToggledFaceColor = 0;
    platform::gdi::HRGN mShapeRegion, mInnerRegion;
    std::vector<platform::Colour> mGradientTable;  // reused by every gradient fill
    // The bands ShadedBandsFor worked out last, for this colour and height.
    struct ShadedBands {
        platform::Colour colour = 0;
        std::int32_t height = -1;
        std::vector<ShadedBand> bands;
    };
    ShadedBands mShadedBands;
    int mRedrawCount = 0;
    bool mCopyPending = false;  // the back buffer holds a face the screen has not shown yet
    double mPreviewRatio = 0;   // SetPreviewDeviceRatio; 0 follows the screen
    bool mPainting = false;     // inside paintEvent: the copy to the screen follows there
};
