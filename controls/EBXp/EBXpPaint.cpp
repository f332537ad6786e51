// The panel's drawing: its constituent parts, back to front, behind the controls it holds.

#include <QPainter>
#include <QTextLayout>

#include "controls/EBXp/EBXp.h"
#include "platform/Units.h"

using platform::ToQColor;
using platform::TwipsToPixels;

namespace {

constexpr platform::Colour kPanelBackground = platform::Rgb(121, 160, 229);
constexpr platform::Colour kCaptionColour = platform::Rgb(0, 0, 128);

// The control's own pictures, read once.
struct Pictures {
    QImage face, capLeft, capRight, signCol, signExp;
};

const Pictures& Own() {
    static const Pictures pictures = [] {
        const auto load = [](const char* name) {
            return QImage(QStringLiteral(":/controls/EBXp/") + QLatin1String(name))
                .convertToFormat(QImage::Format_ARGB32_Premultiplied);
        };
        return Pictures{load("face.png"), load("cap_left.png"), load("cap_right.png"),
                        load("sign_col.png"), load("sign_exp.png")};
    }();
    return pictures;
}

const QFont& CaptionFont() {
    static const QFont font = [] {
        QFont f(QStringLiteral("Arial"));
        f.setPointSizeF(8.25);
        f.setBold(true);
        return f;
    }();
    return font;
}

}  // namespace

QRect EBXp::PixelRect(PartId id) const {
    const Part& p = mParts[id];
    return QRect(TwipsToPixels(p.Left), TwipsToPixels(p.Top), TwipsToPixels(p.Width),
                 TwipsToPixels(p.Height));
}

void EBXp::CaptionChanged() {
    mCaptionDirty = true;
    update(PixelRect(lbCaption));
}

void EBXp::paintEvent(QPaintEvent*) {
    const Pictures& own = Own();
    QPainter p(this);
    p.fillRect(rect(), ToQColor(kPanelBackground));

    const auto image = [&](PartId id, const QImage& picture) {
        if (mParts[id].Visible && !picture.isNull()) {
            const QRect r = PixelRect(id);
            p.save();
            p.setClipRect(r);
            p.drawImage(r.topLeft(), picture);
            p.restore();
        }
    };

    // Title bar: left cap, the face stretched to its part, right cap.
    image(TLeft, own.capLeft);
    const QRect face = PixelRect(TMid);
    if (!face.isEmpty() && !own.face.isNull()) {
        if (mFace.size() != face.size()) {
            mFace = QPixmap::fromImage(
                own.face.scaled(face.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
        }
        p.drawPixmap(face.topLeft(), mFace);
    }
    image(TRight, own.capRight);
    image(imgSignExp, own.signExp);
    image(imgSignCol, own.signCol);

    // Body.
    const QRect body = PixelRect(imgBody);
    if (!body.isEmpty()) p.fillRect(body, ToQColor(mFillColor));

    // Caption: the first line of the text wrapped at word boundaries within the label; what
    // falls below it lies outside the label and is not seen.
    const QRect caption = PixelRect(lbCaption);
    if (mCaptionDirty || caption != mCaptionLineFor) {
        QString line;
        if (caption.width() > 0 && !mCaption.isEmpty()) {
            QTextLayout layout(mCaption, CaptionFont());
            QTextOption option;
            option.setWrapMode(QTextOption::WordWrap);
            layout.setTextOption(option);
            layout.beginLayout();
            QTextLine first = layout.createLine();
            if (first.isValid()) {
                first.setLineWidth(caption.width());
                line = mCaption.mid(first.textStart(), first.textLength());
            }
            layout.endLayout();
        }
        mCaptionLine = QStaticText(line);
        mCaptionLine.setTextFormat(Qt::PlainText);
        mCaptionLine.prepare(QTransform(), CaptionFont());
        mCaptionLineFor = caption;
        mCaptionDirty = false;
    }
    if (!mCaptionLine.text().isEmpty()) {
        const qreal natural = mCaptionLine.size().width();
        qreal x = caption.left();
        if (mAlignment == 1) x = caption.right() + 1 - natural;
        if (mAlignment == 2) x = caption.left() + (caption.width() - natural) / 2;
        p.save();
        p.setClipRect(caption);
        p.setFont(CaptionFont());
        p.setPen(ToQColor(kCaptionColour));
        p.drawStaticText(QPointF(x, caption.top()), mCaptionLine);
        p.restore();
    }

    // Icon, at the picture's own size.
    if (mParts[imgIcon].Visible && !mIcon.IsNone())
        p.drawImage(PixelRect(imgIcon).topLeft(), mIcon.image());
}
