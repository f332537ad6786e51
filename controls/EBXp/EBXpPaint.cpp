// The panel's drawing: its constituent parts, back to front, behind the controls it holds.

#include <QPainter>
#include <QTextLayout>
#include <algorithm>

#include "controls/EBXp/EBXp.h"
#include "platform/Units.h"
#include "platform/forms/DesignFile.h"
#include "platform/forms/StandardControls.h"

using platform::ToQColor;
using platform::TwipsToPixels;

namespace {

constexpr platform::Colour kPanelBackground = platform::Rgb(121, 160, 229);
constexpr platform::Colour kCaptionColour = platform::Rgb(0, 0, 128);

// The control's own pictures, read once, ready to draw.
struct Pictures {
    QImage face;
    QPixmap capLeft, capRight, signCol, signExp;
};

const Pictures& Own() {
    static const Pictures pictures = [] {
        const auto image = [](const char* name) {
            return QImage(QStringLiteral(":/controls/EBXp/") + QLatin1String(name));
        };
        const auto pixmap = [&](const char* name) { return QPixmap::fromImage(image(name)); };
        return Pictures{image("face.png"), pixmap("cap_left.png"), pixmap("cap_right.png"),
                        pixmap("sign_col.png"), pixmap("sign_exp.png")};
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

void EBXp::TitleChanged() {
    mTitleDirty = true;
    update(0, 0, width(), TitleBandHeight());
}

int EBXp::TitleBandHeight() const {
    int bottom = 0;
    for (PartId id : {TLeft, TMid, TRight, imgSignExp, imgSignCol, lbCaption})
        bottom = std::max(bottom, PixelRect(id).bottom() + 1);
    return bottom;
}

void EBXp::PaintTitle(QPainter& p) {
    const Pictures& own = Own();
    p.fillRect(0, 0, width(), TitleBandHeight(), ToQColor(kPanelBackground));

    // An image part shows its picture at the picture's own size, cut to the part.
    const auto image = [&](PartId id, const QPixmap& picture) {
        if (mParts[id].Visible && !picture.isNull()) {
            const QRect r = PixelRect(id);
            p.drawPixmap(r.topLeft(), picture,
                         QRect(0, 0, std::min(r.width(), picture.width()),
                               std::min(r.height(), picture.height())));
        }
    };
    image(TLeft, own.capLeft);
    const QRect face = PixelRect(TMid);
    if (!face.isEmpty() && !own.face.isNull()) {
        if (face.width() <= platform::forms::kMaxSurfaceSide &&
            face.height() <= platform::forms::kMaxSurfaceSide) {
            p.drawImage(face, own.face.scaled(face.size(), Qt::IgnoreAspectRatio,
                                              Qt::SmoothTransformation));
        } else {
            // Too large to scale into a picture of its own: the painter stretches it as drawn.
            p.save();
            p.setRenderHint(QPainter::SmoothPixmapTransform);
            p.drawImage(face, own.face);
            p.restore();
        }
    }
    image(TRight, own.capRight);
    image(imgSignExp, own.signExp);
    image(imgSignCol, own.signCol);

    // Caption: the first line of the text wrapped at word boundaries within the label; what
    // falls below it lies outside the label and is not seen.
    const QRect caption = PixelRect(lbCaption);
    mCaptionText = QRect();
    if (caption.width() <= 0 || mCaption.isEmpty()) return;
    QTextLayout layout(mCaption, CaptionFont());
    QTextOption option;
    option.setWrapMode(QTextOption::WordWrap);
    layout.setTextOption(option);
    layout.beginLayout();
    QTextLine first = layout.createLine();
    QString line;
    if (first.isValid()) {
        first.setLineWidth(caption.width());
        line = mCaption.mid(first.textStart(), first.textLength());
    }
    layout.endLayout();
    const Qt::Alignment align = mAlignment == 1   ? Qt::AlignRight
                                : mAlignment == 2 ? Qt::AlignHCenter
                                                  : Qt::AlignLeft;
    p.save();
    p.setClipRect(caption);  // a word longer than the label is cut at its edge
    p.setFont(CaptionFont());
    p.setPen(ToQColor(kCaptionColour));
    const int flags = int(align | Qt::AlignTop | Qt::TextSingleLine);
    p.drawText(caption, flags, line);
    p.restore();
    mCaptionText = QFontMetrics(CaptionFont()).boundingRect(caption, flags, line) & caption;
}

void EBXp::paintEvent(QPaintEvent*) {
    QPainter p(this);
    // The title bar changes only with the width, the caption and the signs: it is drawn once
    // into a picture that every animation step reuses. It lies above the body, which begins
    // where the bar ends.
    const int band = TitleBandHeight();
    const qreal dpr = devicePixelRatioF();
    // The picture covers the part of the bar that can be seen: up to the right edge of the
    // window the panel stands in, and never beyond what the raster layer draws.
    int shown = width();
    if (QWidget* top = window(); top != this) {
        const int left = mapTo(top, QPoint(0, 0)).x();
        shown = int(std::clamp<qint64>(qint64(top->width()) - left, 0, shown));
    }
    shown = std::min(shown, int(platform::forms::kMaxSurfaceSide / dpr));
    if (shown > 0 && (mTitleDirty || mTitle.size() != QSize(shown, band) * dpr)) {
        mTitle = QPixmap(QSize(shown, band) * dpr);
        mTitle.setDevicePixelRatio(dpr);
        QPainter tp(&mTitle);
        PaintTitle(tp);
        mTitleDirty = false;
    }
    p.drawPixmap(0, 0, mTitle);
    // The focused title bar: a dotted outline just around the caption's text, inside the bar.
    if (hasFocus() && !mCaptionText.isEmpty())
        platform::forms::DrawFocusOutline(
            p, mCaptionText.adjusted(-2, -1, 2, 1) & QRect(0, 0, width(), band));

    // Below it, the background shows around the body.
    const QRect below(0, band, width(), height() - band);
    const QRect body = PixelRect(imgBody) & below;
    const QColor back = ToQColor(kPanelBackground);
    if (body.isEmpty()) {
        p.fillRect(below, back);
    } else {
        p.fillRect(QRect(0, band, width(), body.top() - band), back);
        p.fillRect(QRect(0, body.top(), body.left(), body.height()), back);
        p.fillRect(QRect(body.right() + 1, body.top(), width() - body.right() - 1, body.height()),
                   back);
        p.fillRect(QRect(0, body.bottom() + 1, width(), height() - body.bottom() - 1), back);
        p.fillRect(body, ToQColor(mFillColor));
    }

    // Icon, at the picture's own size, in front of everything.
    if (mParts[imgIcon].Visible && !mIconPixmap.isNull())
        p.drawPixmap(PixelRect(imgIcon).topLeft(), mIconPixmap);
}
