#pragma once
// The collapsible panel: a titled container that collapses to its title bar and grows back to
// its full height (UserHeight) in steps of TheStep twips, playing a click and raising ExpCol
// after every height change so that the window can move the controls below it along.
//
// The panel's look is made of constituent parts (title-bar caps and face, icon, caption, two
// sign images, body rectangle) that a layout rule places on every resize; the panel paints them
// behind the controls it holds. Clicking any title-bar part toggles the panel.
//
// The keyboard reaches the title bar with Tab (before the controls the panel holds): the focused
// title shows a dotted outline around its caption, and Enter or Space toggles the panel as a
// click does. A panel that cannot collapse (DontCollapsed) is not a Tab stop. A mouse click does
// not move the focus.
//
// Units: Top, Height, UserHeight, TheStep and the parts' geometry are twips (15 per pixel), in
// single precision. The state flag `Expanded` is True while the panel is collapsed (the name is
// historical; stored forms rely on it).
//
// Files: EBXp.cpp (properties, persistence, layout), EBXpBehaviour.cpp (toggle, animation,
// mouse), EBXpPaint.cpp (drawing and the control's own pictures).

#include <QPixmap>
#include <QWidget>
#include <array>
#include <cstdint>
#include <vector>

#include "platform/Picture.h"
#include "platform/forms/Control.h"

class QPainter;

class EBXp : public QWidget, public platform::forms::Persistent {
    Q_OBJECT
public:
    // The constituent parts, front to back: earlier ones are drawn over later ones.
    enum PartId { imgIcon, lbCaption, imgBody, imgSignCol, imgSignExp, TRight, TMid, TLeft };
    static constexpr int kPartCount = 8;

    // A part's place in twips relative to the panel. A negative size is refused, as the
    // platform refuses it: the setter returns false and the part keeps its place and size (the
    // layout then goes on with its next step).
    struct Part {
        float Left = 0, Top = 0, Width = 0, Height = 0;
        bool Visible = true;
        bool Move(float left, float top, float width, float height);
        void SetLeft(float left) { Left = left; }
        bool SetWidth(float width);
        bool SetHeight(float height);
    };

    explicit EBXp(QWidget* parent = nullptr);

    // Stored values. Setters store, tell the host (PropertyChanged) and do nothing else: no
    // layout, no change of height, no sound, no event (DontCollapsed also sets whether the title
    // bar is a Tab stop).
    std::int32_t UserHeight() const { return mUserHeight; }
    void SetUserHeight(std::int32_t New_UserHeight);
    // True while the panel is COLLAPSED, False while it shows its full height: the name is the
    // one stored forms and their windows use, so it keeps both its name and this meaning.
    bool Expanded() const { return mExpanded; }
    void SetExpanded(bool New_Expanded);
    QString Caption() const { return mCaption; }
    void SetCaption(const QString& New_Caption);
    std::int32_t TheStep() const { return mTheStep; }
    void SetTheStep(std::int32_t New_TheStep);
    const platform::Picture& Icon() const { return mIcon; }
    void SetIcon(const platform::Picture& New_Icon);
    // 0 left, 1 right, 2 centred; anything else is refused (std::invalid_argument).
    std::int16_t Alignment() const { return mAlignment; }
    void SetAlignment(std::int16_t New_Alignment);
    platform::Colour FillColor() const { return mFillColor; }
    void SetFillColor(platform::Colour New_FillColor);
    bool DontCollapsed() const { return mDontCollapsed; }
    void SetDontCollapsed(bool New_DontCollapsed);

    // What a form designer shows for a property ("" for those without a description).
    static QString Description(const QString& property);

    // Position and size in twips, as the window sees them. A negative height is refused.
    float Top() const;
    void SetTop(float twips);
    float Height() const;
    void SetHeight(float twips);

    // The height of the title bar alone: the face's height plus the two margins.
    std::int32_t CollapsedHeight() const;
    const Part& part(PartId id) const { return mParts[id]; }
    // The title bar as last drawn, in device pixels: no wider than the panel is seen.
    QSize TitleCacheSize() const { return mTitle.size(); }
    // True while an expand or collapse animation runs.
    bool Animating() const { return mAnimating; }
    // When each step of the last animation reached the screen, in microseconds of a monotonic
    // clock: one entry per loop step while frames are paced and the panel is shown, none
    // otherwise.
    const std::vector<std::int64_t>& FrameTimes() const { return mFrameTimes; }

    // Whether animation steps are paced to the display's refresh, one frame each (on unless
    // QUILLMERE_PANEL_PACING=0 is in the environment). Unit tests switch it off: an animation then
    // runs its steps back to back.
    static bool FramePacing();
    static void SetFramePacing(bool on);

    // Brings the panel to `Collapsed` the way a click does; nothing when already there.
    void DoExpCol(bool Collapsed);
    // Sets the panel at once to the collapsed height (True) or to UserHeight (False), without
    // animation or sound, and raises ExpCol once. The sign images stay as they are.
    void ExpColNoSound(bool ExpCol);
    // What a click on the title bar does: sound, animation, then the flag and signs flip.
    void ToggleExpCol();

    void InitProperties() override;
    void ReadProperties(const platform::forms::PropertyBag& bag) override;
    void WriteProperties(platform::forms::PropertyBag& bag) const override;

signals:
    // After every change of height made by a toggle, DoExpCol or ExpColNoSound.
    void ExpCol();
    // Once at the end of every animation; `isExp` is the state flag itself (True when the
    // panel just expanded), so a handler that assigns to it changes the flag.
    void ExpColEnd(bool& isExp);
    void PropertyChanged(const QString& name);

protected:
    void paintEvent(QPaintEvent*) override;
    void resizeEvent(QResizeEvent*) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;

private:
    // A Tab stop unless the panel cannot collapse.
    void UpdateFocusPolicy();
    // ToggleExpCol for a click or a key: a height the platform refuses ends the toggle there.
    void ToggleFromUser();
    void UserControl_Resize();
    void AnimateExpCol(bool& flag);
    // Brings the step just made to the screen and waits, handling input, until the next frame
    // is due.
    void PresentStep();
    void ShowSigns();
    // The part under `pos` (pixels) that takes clicks, or -1.
    int ClickablePartAt(QPoint pos) const;
    QRect PixelRect(PartId id) const;
    // The title bar must be drawn again (caption, signs or width changed).
    void TitleChanged();
    // The band from the top down to the bottom of the title-bar parts, in pixels.
    int TitleBandHeight() const;
    void PaintTitle(QPainter& p);

    std::array<Part, kPartCount> mParts;
    std::int32_t mUserHeight = 0;
    bool mExpanded = false;  // True while collapsed (see Expanded)
    std::int32_t mTheStep = 150;
    bool mDontCollapsed = false;
    QString mCaption;
    platform::Picture mIcon;
    std::int16_t mAlignment = 0;
    platform::Colour mFillColor = platform::kWindowBackground;

    bool mAnimating = false;
    int mPressedPart = -1;
    std::vector<std::int64_t> mFrameTimes;

    // Drawing caches: the title bar as drawn, the icon.
    QPixmap mTitle;
    bool mTitleDirty = true;
    QRect mCaptionText;  // the caption's text as last drawn, pixels (for the focus outline)
    QPixmap mIconPixmap;
};

// Places `lower` 45 twips under `upper`'s current bottom edge (single precision). Windows call
// it on every ExpCol of `upper` so that a stack of panels moves together.
void MoveUnder(EBXp& lower, const EBXp& upper);
