#pragma once
// The standard controls the windows place: labels, images, frames, lines, picture boxes, text
// fields (the hidden address fields), command buttons and browser panes. Each reads its stored
// values from the property bag under the keys the form runtime has always used (Caption,
// BackStyle, BackColor, ForeColor, Alignment, Font, Picture, ...). Clickable ones raise Click.

#include <QLineEdit>
#include <QPushButton>
#include <QWidget>

#include "platform/Picture.h"
#include "platform/forms/Control.h"

class QKeyEvent;
class QPainter;

namespace platform::forms {

// Registers the standard types: "Label", "Image", "Frame", "Line", "PictureBox", "TextBox",
// "CommandButton" and "WebBrowser". Idempotent.
void RegisterStandardControls();

// The dotted focus outline: every other pixel of the rectangle's edge (those with x + y even, in
// device pixels of the painter's origin) inverted, as the platform draws a focus rectangle, so it
// shows on any background.
void DrawFocusOutline(QPainter& p, const QRect& r);

// Whether a key press activates the focused link or panel title: Enter, Return or Space with no
// modifier (the keypad's Enter included), not an auto-repeat.
bool IsActivationKey(const QKeyEvent* e);

// A text label. Text wraps at word boundaries within the label's width; "&" marks an access
// key (underlined) unless UseMnemonic is false. BackStyle 0 lets the container show through.
//
// A label whose Click a window wires is a link: it takes part in the Tab order (Tab only, so a
// mouse click leaves the focus where it was), Enter or Space clicks it, it shows the hand cursor
// (unless the design gives a pointer) and underlines its text while hovered or focused, and the
// focused one draws a dotted outline around its text. A plain label takes no focus.
class Label : public QWidget, public Persistent {
    Q_OBJECT
public:
    explicit Label(QWidget* parent = nullptr);
    void ReadProperties(const PropertyBag& bag) override;
    void WriteProperties(PropertyBag& bag) const override;

    QString Caption() const { return mCaption; }
    void SetCaption(const QString& caption);
    int Alignment() const { return mAlignment; }
    bool Transparent() const { return mBackStyle == 0; }
    Colour BackColor() const { return mBackColor; }
    Colour ForeColor() const { return mForeColor; }
    bool UseMnemonic() const { return mUseMnemonic; }
    // True when the window wired the label's Click: it opens something.
    bool IsLink() const { return mLink; }
    void SetLink(bool link);
    // Where the text is drawn, in the label's pixels (the focus outline goes around it).
    QRect TextRect() const;

signals:
    void Click();

protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;
    void enterEvent(QEnterEvent* e) override;
    void leaveEvent(QEvent* e) override;

private:
    int TextFlags() const;

    QString mCaption;
    int mAlignment = 0;  // 0 left, 1 right, 2 centre
    int mBackStyle = 1;  // 0 transparent, 1 opaque
    Colour mBackColor = kButtonFace;
    Colour mForeColor = kButtonText;
    bool mUseMnemonic = true;
    bool mPressed = false;
    bool mLink = false;
    bool mHover = false;
};

// A picture at its own size (or stretched to the control with Stretch).
//
// An image whose Click a window wires is a link for the mouse: it shows the hand cursor (unless
// the design gives a pointer). It stays out of the Tab order: every linked icon has a label or a
// button beside it that opens the same thing and is the one the keyboard reaches.
class Image : public QWidget, public Persistent {
    Q_OBJECT
public:
    explicit Image(QWidget* parent = nullptr);
    void ReadProperties(const PropertyBag& bag) override;
    void WriteProperties(PropertyBag& bag) const override;
    const platform::Picture& Picture() const { return mPicture; }
    void SetPicture(const platform::Picture& picture);
    // True when the window wired the image's Click: it opens something.
    bool IsLink() const { return mLink; }
    void SetLink(bool link);

signals:
    void Click();

protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;

private:
    platform::Picture mPicture;
    bool mStretch = false;
    bool mPressed = false;
    bool mLink = false;
};

// A titled, etched box that holds other controls.
class Frame : public QWidget, public Persistent {
    Q_OBJECT
public:
    explicit Frame(QWidget* parent = nullptr);
    void ReadProperties(const PropertyBag& bag) override;
    void WriteProperties(PropertyBag& bag) const override;
    QString Caption() const { return mCaption; }
    Colour BackColor() const { return mBackColor; }

protected:
    void paintEvent(QPaintEvent*) override;

private:
    QString mCaption;
    Colour mBackColor = kButtonFace;
    Colour mForeColor = kButtonText;
};

// A straight line from (X1, Y1) to (X2, Y2), twips in its container; it places itself.
class Line : public QWidget, public Persistent {
    Q_OBJECT
public:
    explicit Line(QWidget* parent = nullptr);
    void ReadProperties(const PropertyBag& bag) override;
    void WriteProperties(PropertyBag& bag) const override;
    Colour BorderColor() const { return mBorderColor; }

protected:
    void paintEvent(QPaintEvent*) override;

private:
    int mX1 = 0, mY1 = 0, mX2 = 0, mY2 = 0;  // twips
    Colour mBorderColor = 0x80000008u;       // window text
    int mBorderWidth = 1;
};

// A filled box with an optional picture at its top-left and an optional sunken border; it
// can hold other controls.
class PictureBox : public QWidget, public Persistent {
    Q_OBJECT
public:
    explicit PictureBox(QWidget* parent = nullptr);
    void ReadProperties(const PropertyBag& bag) override;
    void WriteProperties(PropertyBag& bag) const override;
    const platform::Picture& Picture() const { return mPicture; }

protected:
    void paintEvent(QPaintEvent*) override;

private:
    platform::Picture mPicture;
    Colour mBackColor = kButtonFace;
    int mBorderStyle = 1;  // 0 none, 1 fixed single (sunken)
};

// A one-line text field; windows keep their page addresses in hidden ones.
class TextBox : public QLineEdit, public Persistent {
    Q_OBJECT
public:
    explicit TextBox(QWidget* parent = nullptr);
    void ReadProperties(const PropertyBag& bag) override;
    void WriteProperties(PropertyBag& bag) const override;
};

// The platform's push button. It keeps its stored "Default" and "Cancel" as the window's
// marks (see WindowButton), and shows itself as the default button when it is one.
class CommandButton : public QPushButton, public Persistent {
    Q_OBJECT
public:
    explicit CommandButton(QWidget* parent = nullptr);
    void ReadProperties(const PropertyBag& bag) override;
    void WriteProperties(PropertyBag& bag) const override;
    bool IsCancel() const;

signals:
    void Click();

protected:
    // Its access key follows the window's rule for keys shared with other controls.
    bool event(QEvent* e) override;
};

}  // namespace platform::forms
