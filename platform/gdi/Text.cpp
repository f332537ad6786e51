// Text: measuring and drawing with word breaks, line breaks and access-key prefixes.
//
// Lines are broken here, on the font's advance widths, so that measuring and drawing always
// agree; QPainter only puts the glyphs of each finished line on the surface.

#include <QColor>
#include <QFontMetrics>
#include <QPainter>
#include <QStaticText>
#include <algorithm>
#include <cstdint>
#include <limits>
#include <unordered_map>
#include <vector>

#include "platform/gdi/GdiObjects.h"

namespace platform::gdi {

using namespace detail;

namespace {

using i64 = std::int64_t;

// A hard line as shown: prefixes resolved, with the positions of the underlined characters.
struct ShownLine {
    QString text;
    std::vector<int> underlined;
};

// One line as laid out: a piece [begin, end) of a shown line and its width.
struct LaidLine {
    const ShownLine* source = nullptr;
    int begin = 0, end = 0;
    int width = 0;
};

// Laid-out strings by font and text: a button draws the same caption on every repaint, and
// shaping the text is most of the cost of drawing it. Bounded; cleared when full.
class ShapedTexts {
public:
    struct Entry {
        int advance = 0;
        QStaticText glyphs;
        bool prepared = false;
    };

    // The entry for `text`, measured; `qfont` given, also ready to draw.
    Entry& Get(std::uint32_t font, bool mono, const QFontMetrics& metrics, const QString& text,
               const QFont* qfont = nullptr) {
        if (mEntries.size() > 512) mEntries.clear();
        Key key{font, mono, text};
        auto it = mEntries.find(key);
        if (it == mEntries.end()) {
            it = mEntries.emplace(std::move(key), Entry{}).first;
            it->second.advance = metrics.horizontalAdvance(text);
            it->second.glyphs.setText(text);
            it->second.glyphs.setTextFormat(Qt::PlainText);
            it->second.glyphs.setPerformanceHint(QStaticText::AggressiveCaching);
        }
        if (qfont && !it->second.prepared) {
            it->second.glyphs.prepare(QTransform(), *qfont);
            it->second.prepared = true;
        }
        return it->second;
    }

private:
    struct Key {
        std::uint32_t font;
        bool mono;
        QString text;
        bool operator==(const Key&) const = default;
    };
    struct Hash {
        std::size_t operator()(const Key& k) const {
            return qHash(k.text) ^ (std::size_t(k.font) << 1) ^ std::size_t(k.mono);
        }
    };
    std::unordered_map<Key, Entry, Hash> mEntries;
};

ShapedTexts& Shaped() {
    static ShapedTexts cache;
    return cache;
}

// Splits at CR LF or a lone LF; a lone CR is not a break and is not shown.
std::vector<QString> HardLines(const QString& text, bool single) {
    std::vector<QString> lines(1);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'\n') {
            if (!single) lines.emplace_back();
        } else if (c != u'\r') {
            lines.back().append(c);
        }
    }
    return lines;
}

// "&x" shows x underlined, "&&" shows one "&", a final lone "&" shows nothing.
ShownLine Resolve(const QString& line, bool prefixes) {
    ShownLine shown;
    if (!prefixes) {
        shown.text = line;
        return shown;
    }
    shown.text.reserve(line.size());
    for (qsizetype i = 0; i < line.size(); ++i) {
        if (line[i] != u'&') {
            shown.text.append(line[i]);
            continue;
        }
        if (++i >= line.size()) break;
        if (line[i] != u'&') shown.underlined.push_back(int(shown.text.size()));
        shown.text.append(line[i]);
    }
    return shown;
}

// Breaks one shown line into lines no wider than `width`, at spaces. A word wider than `width`
// gets a line of its own and overflows. Spaces inside a line are kept; those at a break go.
template <class Advance>
void BreakWords(const ShownLine& shown, i64 width, const Advance& advance,
                std::vector<LaidLine>& out) {
    const QString& s = shown.text;
    const int n = int(s.size());
    auto measure = [&](int b, int e) { return advance(s.mid(b, e - b)); };
    int pos = 0;
    while (pos < n && s[pos] == u' ') ++pos;
    if (pos == n) {
        out.push_back({&shown, 0, 0, 0});
        return;
    }
    // Most lines fit whole: one measure instead of one a word.
    int last = n;
    while (s[last - 1] == u' ') --last;
    if (const int whole = measure(0, last); whole <= width) {
        out.push_back({&shown, 0, last, whole});
        return;
    }
    // The first line keeps the line's leading spaces.
    LaidLine line{&shown, 0, 0, 0};
    bool empty = true;
    while (pos < n) {
        int end = pos;
        while (end < n && s[end] != u' ') ++end;
        if (empty) {
            line.end = end;
            line.width = measure(line.begin, end);
            empty = false;
        } else if (const int w = measure(line.begin, end); w <= width) {
            line.end = end;
            line.width = w;
        } else {
            out.push_back(line);
            line = {&shown, pos, end, measure(pos, end)};
        }
        pos = end;
        while (pos < n && s[pos] == u' ') ++pos;
    }
    out.push_back(line);
}

std::int32_t Clamp32(i64 v) {
    return std::int32_t(std::clamp<i64>(v, std::numeric_limits<std::int32_t>::min(),
                                        std::numeric_limits<std::int32_t>::max()));
}

}  // namespace

int DrawText(HDC dc, const QString& text, RECT* rect, std::uint32_t flags) {
    const DCObject* d = Dc(dc);
    QImage* surface = Surface(dc);
    const FontObject* fontObject = d ? Font(d->font) : nullptr;
    if (!d || !surface || !rect || !fontObject) return 0;

    const bool mono = IsMonoSurface(dc);
    QFont font = fontObject->font;
    // Only black and white may reach a monochrome surface: no grey glyph edges.
    if (mono) font.setStyleStrategy(QFont::NoAntialias);
    const QFontMetrics metrics(font);
    const i64 lineHeight = metrics.height();

    const bool single = flags & DT_SINGLELINE;
    std::vector<ShownLine> shown;
    if (!text.isEmpty())
        for (const QString& hard : HardLines(text, single))
            shown.push_back(Resolve(hard, !(flags & DT_NOPREFIX)));

    const i64 width = i64(rect->right) - rect->left;
    const auto advance = [&](const QString& piece) {
        return Shaped().Get(d->font.value, mono, metrics, piece).advance;
    };
    std::vector<LaidLine> lines;
    for (const ShownLine& s : shown) {
        if ((flags & DT_WORDBREAK) && !single)
            BreakWords(s, width, advance, lines);
        else
            lines.push_back({&s, 0, int(s.text.size()), advance(s.text)});
    }

    const i64 height = i64(lines.size()) * lineHeight;
    const int result = int(std::min<i64>(height, std::numeric_limits<int>::max()));
    if (flags & DT_CALCRECT) {
        i64 widest = 0;
        for (const LaidLine& l : lines) widest = std::max<i64>(widest, l.width);
        rect->right = Clamp32(rect->left + widest);
        rect->bottom = Clamp32(rect->top + height);
        return result;
    }
    if (lines.empty()) return result;

    i64 top = rect->top;
    if (single && (flags & DT_VCENTER))
        top = rect->top + (i64(rect->bottom) - rect->top - lineHeight) / 2;
    else if (single && (flags & DT_BOTTOM))
        top = i64(rect->bottom) - lineHeight;

    // Text stays inside its rectangle unless asked not to; an empty or inverted rectangle
    // shows nothing. The rectangle is cut to what the DC can reach first, so it fits an int.
    // The drawable region and the bounds are in device pixels; the layout is logical.
    const double s = ScaleOf(dc);
    QRegion drawable = DrawableRegion(dc);
    if (!(flags & DT_NOCLIP)) {
        const QRect reach = drawable.boundingRect();
        const i64 left = std::max<i64>(ToDevice(s, rect->left), reach.left());
        const i64 top = std::max<i64>(ToDevice(s, rect->top), reach.top());
        const i64 right = std::min<i64>(ToDevice(s, rect->right), i64(reach.right()) + 1);
        const i64 bottom = std::min<i64>(ToDevice(s, rect->bottom), i64(reach.bottom()) + 1);
        if (right <= left || bottom <= top) return result;
        drawable &= QRect(int(left), int(top), int(right - left), int(bottom - top));
    }
    const QRect bounds = drawable.boundingRect();
    if (bounds.isEmpty()) return result;

    QPainter painter(surface);
    painter.setClipRegion(drawable);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setRenderHint(QPainter::TextAntialiasing, !mono);
    // A scaled DC draws the glyphs with the font at device resolution.
    if (s != 1.0) painter.scale(s, s);
    painter.setFont(font);
    const QColor ink = QColor::fromRgb(PixelFor(dc, d->textColour));
    const QColor paper = QColor::fromRgb(PixelFor(dc, d->bkColour));
    painter.setPen(ink);

    for (std::size_t i = 0; i < lines.size(); ++i) {
        const LaidLine& line = lines[i];
        const i64 y = top + i64(i) * lineHeight;
        i64 x = rect->left;
        if (flags & DT_CENTER)
            x += (width - line.width) / 2;
        else if (flags & DT_RIGHT)
            x = i64(rect->right) - line.width;
        // Lines that cannot touch the surface are skipped, which also keeps the coordinates
        // handed to QPainter small.
        if (ToDevice(s, y) > bounds.bottom() || ToDevice(s, y + lineHeight) <= bounds.top() ||
            ToDevice(s, x) > bounds.right() || ToDevice(s, x + line.width) <= bounds.left())
            continue;
        const QRect box(int(x), int(y), line.width, int(lineHeight));
        if (d->bkMode == OPAQUE) painter.fillRect(box, paper);
        const QString& s = line.source->text;
        const QString piece = s.mid(line.begin, line.end - line.begin);
        painter.drawStaticText(QPointF(double(x), double(y)),
                               Shaped().Get(d->font.value, mono, metrics, piece, &font).glyphs);
        // Access keys: a one-pixel line under the character, just below the baseline.
        const int underY = int(std::min<i64>(y + metrics.ascent() + 1, y + lineHeight - 1));
        for (const int at : line.source->underlined) {
            if (at < line.begin || at >= line.end) continue;
            const int len = s[at].isHighSurrogate() && at + 1 < line.end ? 2 : 1;
            const int from = metrics.horizontalAdvance(s.mid(line.begin, at - line.begin));
            const int w = metrics.horizontalAdvance(s.mid(at, len));
            painter.fillRect(QRect(int(x) + from, underY, std::max(1, w), 1), ink);
        }
    }
    return result;
}

}  // namespace platform::gdi
