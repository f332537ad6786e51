#pragma once
// The owner-drawn button. This first cut reads and writes every stored design value, raises
// Click for a left-button click (mouse, Space, Enter as the default button), and draws a plain
// face: the back colour, a raised or sunken edge, the picture with its key colour (pixel
// (0, 0)) transparent, and the caption.

#include <QWidget>

#include "platform/Colour.h"
#include "platform/Picture.h"
#include "platform/forms/Control.h"

class gxButtons_H : public QWidget, public platform::forms::Persistent {
    Q_OBJECT
public:
    explicit gxButtons_H(QWidget* parent = nullptr);

    QString Caption() const { return mCaption; }
    void SetCaption(const QString& caption);
    int CaptionAlign() const { return mCaptionAlign; }
    int ButtonStyle() const { return mButtonStyle; }
    int ButtonShape() const { return mButtonShape; }
    int Mode() const { return mMode; }
    bool Value() const { return mValue; }
    int PictureAlign() const { return mPictureAlign; }
    int PictureSizePx() const { return mPictureSizePx; }
    platform::Colour BackColor() const { return mBackColor; }
    platform::Colour ForeColor() const { return mForeColor; }
    platform::Colour GradientColor() const { return mGradientColor; }
    const platform::Picture& Picture() const { return mPicture; }

    void InitProperties() override;
    void ReadProperties(const platform::forms::PropertyBag& bag) override;
    void WriteProperties(platform::forms::PropertyBag& bag) const override;

signals:
    void Click();

protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void keyReleaseEvent(QKeyEvent* e) override;
    void enterEvent(QEnterEvent* e) override;
    void leaveEvent(QEvent* e) override;

private:
    void PrepareFacePicture();

    QString mCaption;
    int mCaptionAlign = 2;
    int mButtonStyle = 0;
    int mButtonShape = 0;
    platform::Colour mForeColor = platform::kButtonText;
    platform::Colour mHoverForeColor = platform::kButtonText;
    platform::Colour mHoverBackColor = platform::kButtonFace;
    bool mShowFocusRect = true;
    int mHoverColorLocks = 0;
    platform::Colour mGradientColor = platform::kButtonFace;
    int mGradientMode = 0;
    int mCaptionStyle = 0;
    int mMode = 0;
    bool mValue = false;
    int mCustomClick = 0;
    int mPictureAlign = 0;
    platform::Picture mPicture;
    int mPictureSizePx = 0;
    platform::Colour mBackColor = platform::kButtonFace;
    int mMousePointer = 0;
    platform::Picture mMouseIcon;

    QImage mFacePicture;  // the picture at its slot size, key colour made transparent
    bool mHovering = false;
    bool mHeldDown = false;
};
