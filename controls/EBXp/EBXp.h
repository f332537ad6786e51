#pragma once
// The collapsible panel: a titled container that collapses to its title bar and grows back to
// its full height (UserHeight) in steps of TheStep twips, raising ExpCol after every height
// change so that the window can move the controls below it along.
//
// Units: Top, Height, UserHeight and TheStep are twips (15 per pixel). The state flag
// `Expanded` is True while the panel is collapsed (the name is historical; stored forms rely
// on it).

#include <QWidget>

#include "platform/Picture.h"
#include "platform/forms/Control.h"

class EBXp : public QWidget, public platform::forms::Persistent {
    Q_OBJECT
public:
    explicit EBXp(QWidget* parent = nullptr);

    // Stored values.
    std::int32_t UserHeight() const { return mUserHeight; }
    void SetUserHeight(std::int32_t v);
    bool Expanded() const { return mExpanded; }
    void SetExpanded(bool v);
    QString Caption() const { return mCaption; }
    void SetCaption(const QString& v);
    std::int32_t TheStep() const { return mTheStep; }
    void SetTheStep(std::int32_t v);
    const platform::Picture& Icon() const { return mIcon; }
    void SetIcon(const platform::Picture& v);
    std::int16_t Alignment() const { return mAlignment; }
    void SetAlignment(std::int16_t v);
    platform::Colour FillColor() const { return mFillColor; }
    void SetFillColor(platform::Colour v);
    bool DontCollapsed() const { return mDontCollapsed; }
    void SetDontCollapsed(bool v);

    // Position and size in twips, as the window sees them.
    float Top() const;
    void SetTop(float twips);
    float Height() const;
    void SetHeight(float twips);

    // The height of the title bar alone.
    std::int32_t CollapsedHeight() const;

    // Brings the panel to `collapsed` the way a click does; nothing when already there.
    void DoExpCol(bool collapsed);
    // Sets the panel at once to the collapsed height (True) or to UserHeight (False), without
    // animation or sound, and raises ExpCol once.
    void ExpColNoSound(bool expCol);
    // What a click on the title bar does.
    void ToggleExpCol();

    void InitProperties() override;
    void ReadProperties(const platform::forms::PropertyBag& bag) override;
    void WriteProperties(platform::forms::PropertyBag& bag) const override;

signals:
    void ExpCol();
    void ExpColEnd(bool& isExp);
    void PropertyChanged(const QString& key);

protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;

private:
    void AnimateExpCol(bool& flag);
    bool InTitleBar(QPoint p) const;

    std::int32_t mUserHeight = 0;
    bool mExpanded = false;
    QString mCaption;
    std::int32_t mTheStep = 150;
    platform::Picture mIcon;
    std::int16_t mAlignment = 0;
    platform::Colour mFillColor = platform::kWindowBackground;
    bool mDontCollapsed = false;
    bool mShowCollapsedSign = false;
    bool mAnimating = false;
    bool mPressed = false;
};

// Places `lower` 45 twips under `upper`'s current bottom edge (single precision). Windows call
// it on every ExpCol of `upper` so that a stack of panels moves together.
void MoveUnder(EBXp& lower, const EBXp& upper);
