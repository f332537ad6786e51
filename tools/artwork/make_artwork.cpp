// Draws every picture the program ships with (resources/pictures) from code.
//
// Usage: quillmere-make-artwork <output-folder>
//
// Every drawing is made on a pixel grid: outlines are 1 px wide and run through pixel centres, so
// straight edges land on whole pixels and stay sharp at 16 and 32 px. Button pictures have no
// alpha channel: the button control treats the colour of pixel (0,0) as transparent, so those are
// drawn with alpha first and then cut hard against the magenta key colour (no blending into it).

#include <QColor>
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <numbers>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace {

// ---- palette ---------------------------------------------------------------------------------

namespace pal {
const QColor ink{0x1e, 0x2b, 0x3c};  // outlines
const QColor navy{0x1f, 0x4e, 0x8c};
const QColor blue{0x2f, 0x6f, 0xbf};
const QColor sky{0x5b, 0x9b, 0xe0};
const QColor pale{0xcf, 0xe3, 0xf7};
const QColor paper{0xff, 0xff, 0xff};
const QColor cream{0xfb, 0xf6, 0xe9};
const QColor rule{0xa9, 0xbb, 0xd1};
const QColor gold{0xf2, 0xb2, 0x33};
const QColor goldLight{0xff, 0xd8, 0x6b};
const QColor goldDark{0xc9, 0x8a, 0x12};
const QColor orange{0xe8, 0x77, 0x2e};
const QColor red{0xd9, 0x47, 0x3f};
const QColor green{0x3f, 0xa3, 0x4d};
const QColor greenDark{0x2b, 0x7a, 0x37};
const QColor steel{0xc3, 0xcc, 0xd6};
const QColor steelDark{0x7c, 0x88, 0x95};
const QColor wood{0xb9, 0x78, 0x3a};
const QColor woodDark{0x8a, 0x55, 0x26};
const QColor skin{0xf3, 0xc8, 0x92};
const QColor hair{0x6b, 0x42, 0x26};
}  // namespace pal

const QColor kKey{255, 0, 255};

// ---- small geometry helpers ------------------------------------------------------------------

// A point on the centre of pixel (x, y).
QPointF P(qreal x, qreal y) {
    return {x + 0.5, y + 0.5};
}

// The outline rectangle of the pixels x0..x1, y0..y1 (inclusive): a 1 px pen drawn on it covers
// exactly the border pixels.
QRectF R(qreal x0, qreal y0, qreal x1, qreal y1) {
    return {x0 + 0.5, y0 + 0.5, x1 - x0, y1 - y0};
}

// Fills the pixels x0..x1, y0..y1 (inclusive) without any anti-aliasing.
void fillPx(QPainter& p, int x0, int y0, int x1, int y1, const QColor& c) {
    p.fillRect(QRect(x0, y0, x1 - x0 + 1, y1 - y0 + 1), c);
}

QPainterPath polygonPath(std::initializer_list<QPointF> pts) {
    QPainterPath path;
    path.addPolygon(QPolygonF(QList<QPointF>(pts.begin(), pts.end())));
    path.closeSubpath();
    return path;
}

QPen inkPen(qreal width = 1.0, const QColor& c = pal::ink) {
    QPen pen(c, width);
    pen.setJoinStyle(Qt::MiterJoin);
    pen.setCapStyle(Qt::SquareCap);
    return pen;
}

QPen roundPen(const QColor& c, qreal width) {
    QPen pen(c, width);
    pen.setJoinStyle(Qt::RoundJoin);
    pen.setCapStyle(Qt::RoundCap);
    return pen;
}

void outlined(QPainter& p, const QPainterPath& path, const QBrush& fill,
              const QColor& line = pal::ink, qreal width = 1.0) {
    p.setPen(inkPen(width, line));
    p.setBrush(fill);
    p.drawPath(path);
}

void outlinedRect(QPainter& p, const QRectF& r, const QBrush& fill, qreal radius = 0,
                  const QColor& line = pal::ink) {
    QPainterPath path;
    if (radius > 0) {
        path.addRoundedRect(r, radius, radius);
    } else {
        path.addRect(r);
    }
    outlined(p, path, fill, line);
}

QLinearGradient vertical(qreal y0, qreal y1, const QColor& top, const QColor& bottom) {
    QLinearGradient g(0, y0, 0, y1);
    g.setColorAt(0, top);
    g.setColorAt(1, bottom);
    return g;
}

QPainterPath circle(QPointF c, qreal r) {
    QPainterPath path;
    path.addEllipse(c, r, r);
    return path;
}

// Fills a shape pixel by pixel: a pixel belongs to it when its centre does. Border pixels (those
// with a 4-neighbour outside) take the outline colour, if any. No anti-aliasing at all, which is
// what the smallest icons need to stay sharp.
void crisp(QPainter& p, const QPainterPath& path, const std::function<QColor(int, int)>& fill,
           std::optional<QColor> line = pal::ink) {
    auto in = [&](int x, int y) { return path.contains(QPointF(x + 0.5, y + 0.5)); };
    const QRect box = path.boundingRect().toAlignedRect().adjusted(-1, -1, 1, 1);
    for (int y = box.top(); y <= box.bottom(); ++y) {
        for (int x = box.left(); x <= box.right(); ++x) {
            if (!in(x, y)) continue;
            const bool edge = !in(x - 1, y) || !in(x + 1, y) || !in(x, y - 1) || !in(x, y + 1);
            fillPx(p, x, y, x, y, (edge && line) ? *line : fill(x, y));
        }
    }
}

// Sets pixels from a character grid, one string per row, starting at (x0, y0). Each character
// names a colour in `colours`; '.' leaves the pixel alone.
void pixels(QPainter& p, int x0, int y0, std::initializer_list<std::string_view> grid,
            const std::map<char, QColor>& colours) {
    int y = y0;
    for (std::string_view row : grid) {
        for (size_t i = 0; i < row.size(); ++i) {
            if (row[i] == '.') continue;
            const auto it = colours.find(row[i]);
            if (it == colours.end()) {
                std::fprintf(stderr, "make-artwork: unknown colour '%c'\n", row[i]);
                std::exit(1);
            }
            fillPx(p, x0 + static_cast<int>(i), y, x0 + static_cast<int>(i), y, it->second);
        }
        ++y;
    }
}

// A gear centred on c with `teeth` teeth between radius rRoot and rTip.
QPainterPath gearPath(QPointF c, int teeth, qreal rRoot, qreal rTip, qreal phase = 0) {
    QPolygonF poly;
    const qreal step = 2 * std::numbers::pi / teeth;
    for (int i = 0; i < teeth; ++i) {
        const qreal a = phase + i * step;
        const qreal angles[4] = {a - step * 0.5, a - step * 0.22, a + step * 0.22, a + step * 0.5};
        const qreal radii[4] = {rRoot, rTip, rTip, rRoot};
        for (int k = 0; k < 4; ++k) {
            // The tip corners sit a little inside the root corners so the teeth taper.
            const qreal ang = angles[k] + (k == 1 ? step * 0.06 : k == 2 ? -step * 0.06 : 0);
            poly << QPointF(c.x() + radii[k] * std::cos(ang), c.y() + radii[k] * std::sin(ang));
        }
    }
    QPainterPath path;
    path.addPolygon(poly);
    path.closeSubpath();
    return path;
}

// A five-pointed star centred on c.
QPainterPath starPath(QPointF c, qreal rOuter, qreal rInner) {
    QPolygonF poly;
    for (int i = 0; i < 10; ++i) {
        const qreal r = (i % 2 == 0) ? rOuter : rInner;
        const qreal a = -std::numbers::pi / 2 + i * std::numbers::pi / 5;
        poly << QPointF(c.x() + r * std::cos(a), c.y() + r * std::sin(a));
    }
    QPainterPath path;
    path.addPolygon(poly);
    path.closeSubpath();
    return path;
}

// ---- shared motifs ---------------------------------------------------------------------------

// The feather vane of a quill whose local +x axis runs from the nib (0,0) to the tip (len,0).
QPainterPath quillVane(qreal len, qreal hw, bool notched) {
    const qreal a = len * 0.28;  // where the vane starts
    QPainterPath vane;
    vane.moveTo(a, 0);
    vane.cubicTo(a + (len - a) * 0.20, -hw * 1.15, len - (len - a) * 0.30, -hw * 1.05, len, 0);
    vane.cubicTo(len - (len - a) * 0.35, hw * 0.85, a + (len - a) * 0.15, hw * 0.95, a, 0);
    // Two small notches in the vane make it read as a feather rather than a leaf.
    const qreal n1 = a + (len - a) * 0.42;
    const qreal n2 = a + (len - a) * 0.66;
    QPainterPath cuts;
    cuts.addPolygon(
        QPolygonF{{n1, -hw * 1.4}, {n1 + hw * 0.5, -hw * 0.55}, {n1 + hw * 1.1, -hw * 1.4}});
    cuts.addPolygon(
        QPolygonF{{n2, hw * 1.3}, {n2 + hw * 0.5, hw * 0.45}, {n2 + hw * 1.1, hw * 1.3}});
    return notched ? vane.subtracted(cuts) : vane;
}

// A quill lying from its nib up to its tip. `hw` is the half width of the feather vane.
void drawQuill(QPainter& p, QPointF nib, QPointF tip, qreal hw, bool detailed) {
    const QLineF axis(nib, tip);
    const qreal len = axis.length();
    p.save();
    p.translate(nib);
    p.rotate(-axis.angle());  // local +x runs from the nib to the tip

    const qreal a = len * 0.28;
    const QPainterPath vane = quillVane(len, hw, true);
    QLinearGradient g(a, 0, len, 0);
    g.setColorAt(0, QColor(0xff, 0xf0, 0xc8));
    g.setColorAt(0.55, pal::goldLight);
    g.setColorAt(1, pal::orange);
    outlined(p, vane, g, pal::ink, detailed ? 1.2 : 1.0);

    if (detailed) {
        // Barbs: fine strokes sweeping from the shaft toward the tip.
        p.setPen(QPen(QColor(0xd0, 0x7a, 0x1c, 150), 0.8));
        for (qreal x = a + 3; x < len - 4; x += 3.2) {
            p.drawLine(QPointF(x, -0.6), QPointF(x + hw * 0.9, -hw * 0.75));
            p.drawLine(QPointF(x, 0.6), QPointF(x + hw * 0.9, hw * 0.65));
        }
    }

    // Shaft and nib.
    p.setPen(roundPen(pal::woodDark, detailed ? 1.4 : 1.0));
    p.drawLine(QPointF(len * 0.12, 0), QPointF(len - 1.0, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(pal::ink);
    const qreal nw = std::max<qreal>(hw * 0.35, 0.9);
    p.drawPolygon(QPolygonF{{-0.6, 0}, {len * 0.14, -nw}, {len * 0.14, nw}});
    p.restore();
}

// An open book seen from the front. Coordinates are pixel centres; the pages span x0..x1 with the
// spine in the middle, the top edge arches up by `arch` inside each page.
struct Book {
    qreal x0, x1;              // outer page edges
    qreal topOuter, topSpine;  // page top at the outer edge / at the spine
    qreal botOuter, botSpine;  // page bottom at the outer edge / at the spine
    qreal arch;                // how far the top edges bulge upward
    qreal cover;               // how far the cover shows beyond the pages
    int lines;                 // ruled lines per page
    qreal firstLine, lineGap;  // offsets of the ruled lines below the top edge
    bool curvedLines;
};

void drawBook(QPainter& p, const Book& b, bool ribbon = false) {
    const qreal spine = (b.x0 + b.x1) / 2;
    const qreal c = b.cover;

    // Cover: shows around and below the pages.
    QPainterPath cover;
    cover.moveTo(b.x0 - c, b.topOuter + 2 * c);
    cover.lineTo(b.x0 - c, b.botOuter + c);
    cover.quadTo((b.x0 + spine) / 2, b.botOuter + c, spine, b.botSpine + 1.6 * c);
    cover.quadTo((spine + b.x1) / 2, b.botOuter + c, b.x1 + c, b.botOuter + c);
    cover.lineTo(b.x1 + c, b.topOuter + 2 * c);
    cover.closeSubpath();
    outlined(p, cover, vertical(b.topOuter, b.botSpine + c, pal::blue, pal::navy));

    auto page = [&](qreal outer, qreal inner) {
        const qreal mid = (outer + inner) / 2;
        QPainterPath pg;
        pg.moveTo(outer, b.topOuter);
        pg.quadTo(mid, b.topOuter - b.arch, inner, b.topSpine);
        pg.lineTo(inner, b.botSpine);
        pg.quadTo(mid, b.botOuter - b.arch * 0.4, outer, b.botOuter);
        pg.closeSubpath();
        QLinearGradient g(outer, 0, inner, 0);
        g.setColorAt(0, pal::paper);
        g.setColorAt(0.75, pal::cream);
        g.setColorAt(1, QColor(0xe6, 0xdc, 0xc4));
        outlined(p, pg, g);

        const qreal dir = inner > outer ? 1 : -1;
        const qreal m0 = outer + dir * 2.0;
        const qreal m1 = inner - dir * 2.0;
        for (int i = 0; i < b.lines; ++i) {
            const qreal d = b.firstLine + i * b.lineGap;
            if (b.curvedLines) {
                QPainterPath ln;
                const qreal t0 = 2.0 / std::abs(inner - outer);
                auto yAt = [&](qreal t) {  // the top edge's curve, shifted down by d
                    const qreal y0 = b.topOuter, y1 = b.topOuter - b.arch, y2 = b.topSpine;
                    return (1 - t) * (1 - t) * y0 + 2 * (1 - t) * t * y1 + t * t * y2 + d;
                };
                ln.moveTo(m0, yAt(t0));
                ln.quadTo(mid, 2 * yAt(0.5) - (yAt(t0) + yAt(1 - t0)) / 2, m1, yAt(1 - t0));
                p.setPen(QPen(pal::rule, 1.0));
                p.setBrush(Qt::NoBrush);
                p.drawPath(ln);
            } else {
                const int y = static_cast<int>(std::floor(b.topOuter + d));
                fillPx(p, static_cast<int>(std::min(m0, m1)), y, static_cast<int>(std::max(m0, m1)),
                       y, pal::rule);
            }
        }
    };
    page(b.x0, spine - 0.5);
    page(b.x1, spine + 0.5);

    if (ribbon) {
        QPainterPath rb = polygonPath({{spine + 3, b.botSpine - 1},
                                       {spine + 8, b.botSpine - 1},
                                       {spine + 8, b.botSpine + 7},
                                       {spine + 5.5, b.botSpine + 5},
                                       {spine + 3, b.botSpine + 7}});
        outlined(p, rb, vertical(b.botSpine, b.botSpine + 7, QColor(0xe8, 0x5a, 0x4f), pal::red));
    }
}

// Head-and-shoulders of a person. `c` is the centre of the head, `r` its radius; the shoulders
// reach down to `bottom` and are `shoulder` wide on each side.
void drawPerson(QPainter& p, QPointF c, qreal r, qreal shoulder, qreal bottom, const QColor& shirt,
                bool face) {
    QPainterPath body;
    const qreal top = c.y() + r * 1.05;
    body.moveTo(c.x() - shoulder, bottom);
    body.lineTo(c.x() - shoulder, top + shoulder * 0.55);
    body.cubicTo(c.x() - shoulder, top, c.x() - shoulder * 0.5, top, c.x(), top);
    body.cubicTo(c.x() + shoulder * 0.5, top, c.x() + shoulder, top, c.x() + shoulder,
                 top + shoulder * 0.55);
    body.lineTo(c.x() + shoulder, bottom);
    body.closeSubpath();
    outlined(p, body, vertical(top, bottom, shirt.lighter(125), shirt));

    outlined(p, circle(c, r), pal::skin);
    // Hair: a cap over the top of the head.
    QPainterPath hairPath;
    hairPath.moveTo(c.x() - r, c.y());
    hairPath.arcTo(QRectF(c.x() - r, c.y() - r, 2 * r, 2 * r), 180, -180);
    hairPath.quadTo(c.x() + r * 0.2, c.y() - r * 0.55, c.x() - r, c.y());
    hairPath.closeSubpath();
    outlined(p, hairPath, pal::hair);
    if (face) {
        p.setPen(Qt::NoPen);
        p.setBrush(pal::ink);
        const qreal e = std::max<qreal>(r * 0.11, 0.8);
        p.drawEllipse(QPointF(c.x() - r * 0.38, c.y() + r * 0.2), e, e * 1.2);
        p.drawEllipse(QPointF(c.x() + r * 0.38, c.y() + r * 0.2), e, e * 1.2);
        if (r < 6) return;
        p.setPen(roundPen(pal::ink, std::max<qreal>(r * 0.09, 1.0)));
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(c.x() - r * 0.4, c.y() + r * 0.2, r * 0.8, r * 0.5), 200 * 16, 140 * 16);
    }
}

// ---- canvases --------------------------------------------------------------------------------

QImage blank(int w, int h) {
    QImage img(w, h, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    return img;
}

void begin(QPainter& p, QImage& img) {
    p.begin(&img);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setRenderHint(QPainter::SmoothPixmapTransform, true);
}

// True if a colour is far enough from the key colour that the button control cannot mistake it.
bool farFromKey(QRgb c) {
    return std::max({std::abs(qRed(c) - 255), qGreen(c), std::abs(qBlue(c) - 255)}) >= 8;
}

// Cuts a drawing with alpha hard against the magenta key: pixels at least half covered keep their
// own colour (made opaque, never blended with the key), the rest become the key.
QImage keyed(const QImage& art) {
    const QImage src = art.convertToFormat(QImage::Format_ARGB32);
    QImage out(src.size(), QImage::Format_RGB888);
    for (int y = 0; y < src.height(); ++y) {
        for (int x = 0; x < src.width(); ++x) {
            const QRgb c = src.pixel(x, y);
            if (qAlpha(c) < 128) {
                out.setPixelColor(x, y, kKey);
            } else if (farFromKey(c)) {
                out.setPixel(x, y, qRgb(qRed(c), qGreen(c), qBlue(c)));
            } else {
                out.setPixel(x, y, qRgb(qRed(c), 40, qBlue(c)));
            }
        }
    }
    return out;
}

[[noreturn]] void fail(const std::string& what) {
    std::fprintf(stderr, "make-artwork: %s\n", what.c_str());
    std::exit(1);
}

// The rules a button picture must keep; checked on every button before it is saved.
void checkKeyedButton(const QString& name, const QImage& img) {
    if (img.hasAlphaChannel()) fail(name.toStdString() + ": button picture has an alpha channel");
    if (img.pixelColor(0, 0) != kKey) fail(name.toStdString() + ": pixel (0,0) is not the key");
    int opaque = 0;
    for (int y = 0; y < img.height(); ++y) {
        for (int x = 0; x < img.width(); ++x) {
            const QRgb c = img.pixel(x, y);
            if ((c & 0xffffff) == (kKey.rgb() & 0xffffff)) continue;
            if (!farFromKey(c)) {
                fail(name.toStdString() + ": pixel (" + std::to_string(x) + "," +
                     std::to_string(y) + ") is too close to the key colour");
            }
            ++opaque;
        }
    }
    if (opaque < img.width() * img.height() / 6) fail(name.toStdString() + ": picture is empty");
}

// ---- app icon --------------------------------------------------------------------------------

QImage app32() {
    QImage img = blank(32, 32);
    QPainter p;
    begin(p, img);
    drawBook(p, Book{.x0 = 2,
                     .x1 = 29,
                     .topOuter = 12,
                     .topSpine = 13,
                     .botOuter = 25,
                     .botSpine = 27,
                     .arch = 4,
                     .cover = 1,
                     .lines = 3,
                     .firstLine = 3,
                     .lineGap = 3,
                     .curvedLines = false});
    drawQuill(p, QPointF(17.5, 22.5), QPointF(30.5, 1.0), 3.4, false);
    return img;
}

QImage app16() {
    QImage img = blank(16, 16);
    QPainter p;
    begin(p, img);
    // Too small for curves: the book and the quill are set pixel by pixel.
    // clang-format off
    pixels(p, 0, 0, {
            "................",
            "................",
            "................",
            "................",
            "................",
            ".KKK........KKK.",
            "KWWWKKK..KKKWWWK",
            "KWWWWWWKSWWWWWCK",
            "KWLLLLWKSWLLLLCK",
            "KWWWWWWKSWWWWWCK",
            "KWLLLLWKSWLLLLCK",
            "KWWWWWWKSWWWWWCK",
            "KKKKKKKKKKKKKKKK",
            "KBBBBBBNNBBBBBBK",
            ".KKKKKKBBKKKKKK.",
            ".......KK......."},
        {{'K', pal::ink}, {'W', pal::paper}, {'C', pal::cream.darker(106)}, {'S', pal::rule},
         {'L', pal::rule}, {'B', pal::blue}, {'N', pal::navy}});
    pixels(p, 0, 0, {
            "..............KK",
            ".............KoK",
            "............KyoK",
            "............KyoK",
            "...........KyoK.",
            "...........KyoK.",
            "..........KyoK..",
            "..........KyK...",
            "..........s.....",
            "..........s.....",
            ".........K......",
            ".........K......"},
        {{'K', pal::ink}, {'o', pal::orange}, {'y', pal::goldLight}, {'s', pal::woodDark}});
    // clang-format on
    return img;
}

// ---- button pictures (32x32, keyed) ----------------------------------------------------------

QImage btnLogin() {
    QImage img = blank(32, 32);
    QPainter p;
    begin(p, img);
    // Shackle: a thick steel U with an ink rim.
    QPainterPath shackle;
    shackle.moveTo(11.5, 16);
    shackle.lineTo(11.5, 10);
    shackle.arcTo(QRectF(11.5, 4.5, 10, 11), 180, -180);
    shackle.lineTo(21.5, 16);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(pal::ink, 5, Qt::SolidLine, Qt::FlatCap, Qt::RoundJoin));
    p.drawPath(shackle);
    p.setPen(QPen(pal::steel, 3, Qt::SolidLine, Qt::FlatCap, Qt::RoundJoin));
    p.drawPath(shackle);
    p.setPen(QPen(QColor(0xee, 0xf2, 0xf6), 1, Qt::SolidLine, Qt::FlatCap));
    p.drawArc(QRectF(11, 4, 11, 12), 110 * 16, 60 * 16);
    // Body.
    outlinedRect(p, R(6, 14, 25, 29), vertical(14, 29, pal::goldLight, pal::goldDark), 2.0);
    fillPx(p, 8, 15, 23, 15, QColor(0xff, 0xea, 0xa8));
    fillPx(p, 7, 27, 24, 28, QColor(0xd6, 0x93, 0x1c));
    // Keyhole.
    // clang-format off
    pixels(p, 14, 18, {
            ".KK.",
            "KKKK",
            "KKKK",
            ".KK.",
            ".KK.",
            ".KK.",
            "KKKK"},
        {{'K', pal::ink}});
    // clang-format on
    return img;
}

QImage btnLogoff() {
    QImage img = blank(32, 32);
    QPainter p;
    begin(p, img);
    // Frame and the bright opening.
    outlinedRect(p, R(3, 2, 20, 29), vertical(2, 29, pal::wood, pal::woodDark));
    outlinedRect(p, R(5, 4, 18, 29),
                 vertical(4, 29, QColor(0xff, 0xf6, 0xd6), QColor(0xff, 0xdf, 0x8a)));
    // The door leaf swung open toward us, hinged on the left.
    QPainterPath leaf = polygonPath({P(5, 4), P(11, 2), P(11, 31), P(5, 29)});
    outlined(p, leaf, vertical(2, 31, pal::sky, pal::navy));
    fillPx(p, 7, 8, 8, 8, pal::pale);  // a little panel highlight
    p.setPen(Qt::NoPen);
    p.setBrush(pal::gold);
    p.drawEllipse(QPointF(9.5, 17.5), 1.1, 1.1);
    // Arrow pointing out to the right.
    QPainterPath arrow =
        polygonPath({P(13, 13), P(22, 13), P(22, 8), P(30, 16), P(22, 24), P(22, 19), P(13, 19)});
    outlined(p, arrow, vertical(8, 24, QColor(0xf0, 0x7a, 0x5c), QColor(0xc4, 0x35, 0x2c)));
    fillPx(p, 14, 14, 22, 14, QColor(0xf8, 0xa8, 0x90));
    return img;
}

QImage btnAssignment() {
    QImage img = blank(32, 32);
    QPainter p;
    begin(p, img);
    // Back of the folder with its tab.
    outlined(p, polygonPath({P(2, 6), P(11, 6), P(13, 8), P(28, 8), P(28, 27), P(2, 27)}),
             vertical(6, 27, QColor(0xe8, 0xa8, 0x34), QColor(0xc4, 0x82, 0x18)));
    // The paper.
    outlinedRect(p, R(6, 3, 25, 22), pal::paper);
    fillPx(p, 9, 6, 18, 6, pal::blue);
    for (int y : {9, 12, 15}) fillPx(p, 9, y, 22, y, pal::rule);
    // Front of the folder.
    outlined(p, polygonPath({P(1, 14), P(29, 14), P(27, 29), P(3, 29)}),
             vertical(14, 29, pal::goldLight, pal::gold));
    fillPx(p, 3, 15, 27, 15, QColor(0xff, 0xe8, 0xa6));
    return img;
}

QImage btnAttendance() {
    QImage img = blank(32, 32);
    QPainter p;
    begin(p, img);
    outlinedRect(p, R(4, 4, 27, 30), vertical(4, 30, pal::wood, pal::woodDark), 2.0);
    outlinedRect(p, R(7, 7, 24, 28), pal::paper, 0, pal::steelDark);
    // Clip.
    outlinedRect(p, R(10, 2, 21, 8), vertical(2, 8, QColor(0xee, 0xf2, 0xf6), pal::steelDark), 1.5);
    fillPx(p, 14, 4, 17, 4, pal::ink);
    // Rows: a check mark and a line each.
    for (int row = 0; row < 3; ++row) {
        const int y = 12 + row * 5;
        p.setPen(roundPen(pal::greenDark, 2.2));
        p.setBrush(Qt::NoBrush);
        p.drawPolyline(QPolygonF{{9.5, y + 0.5}, {11.5, y + 2.5}, {15.0, y - 1.5}});
        fillPx(p, 17, y, 22, y, pal::rule);
        fillPx(p, 17, y + 2, 20, y + 2, pal::rule);
    }
    return img;
}

QImage btnSchedule() {
    QImage img = blank(32, 32);
    QPainter p;
    begin(p, img);
    outlinedRect(p, R(3, 5, 28, 29), pal::paper, 1.5);
    // Header band.
    QPainterPath head;
    head.addRoundedRect(R(3, 5, 28, 11), 1.5, 1.5);
    outlined(p, head, vertical(5, 11, pal::sky, pal::blue));
    fillPx(p, 4, 12, 27, 12, pal::pale);
    // Binder rings.
    for (int x : {9, 21}) {
        outlinedRect(p, R(x, 2, x + 2, 8), vertical(2, 8, QColor(0xee, 0xf2, 0xf6), pal::steelDark),
                     1.0);
    }
    // Day grid, today marked.
    for (int row = 0; row < 3; ++row) {
        for (int col = 0; col < 5; ++col) {
            const int x = 6 + col * 4;
            const int y = 15 + row * 4;
            QColor c = pal::pale.darker(108);
            if (row == 1 && col == 2) c = pal::orange;
            if (row == 2 && col == 4) continue;
            fillPx(p, x, y, x + 2, y + 2, c);
        }
    }
    // A ring around today.
    p.setPen(QPen(pal::red, 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(R(13, 18, 17, 22));
    return img;
}

QImage btnStudentInfo() {
    QImage img = blank(32, 32);
    QPainter p;
    begin(p, img);
    outlinedRect(p, R(1, 6, 30, 26), vertical(6, 26, QColor(0xf2, 0xf8, 0xff), pal::pale), 2.0);
    fillPx(p, 2, 7, 29, 9, pal::blue);
    fillPx(p, 2, 7, 29, 7, pal::sky);
    // Photo.
    outlinedRect(p, R(4, 12, 13, 23), pal::paper, 0, pal::steelDark);
    p.save();
    p.setClipRect(QRect(5, 13, 8, 10));
    drawPerson(p, QPointF(9, 16.5), 2.6, 4.2, 24, pal::blue, false);
    p.restore();
    // Name and detail lines.
    fillPx(p, 16, 13, 26, 14, pal::navy);
    fillPx(p, 16, 17, 27, 17, pal::steelDark);
    fillPx(p, 16, 20, 24, 20, pal::steelDark);
    fillPx(p, 16, 23, 22, 23, pal::orange);
    return img;
}

QImage btnAdmin() {
    QImage img = blank(32, 32);
    QPainter p;
    begin(p, img);
    QPainterPath gear = gearPath(QPointF(12.5, 12.5), 8, 7.6, 10.8, std::numbers::pi / 8);
    gear = gear.subtracted(circle(QPointF(12.5, 12.5), 3.2));
    QRadialGradient g(QPointF(10, 9), 13);
    g.setColorAt(0, QColor(0xe6, 0xec, 0xf2));
    g.setColorAt(1, pal::steelDark);
    outlined(p, gear, g);
    drawPerson(p, QPointF(22.5, 17.0), 4.3, 7.5, 30.5, pal::blue, true);
    // A gold badge on the shirt.
    outlined(p, starPath(QPointF(25.5, 27.0), 2.6, 1.2), pal::gold, pal::goldDark);
    return img;
}

QImage btnSearch() {
    QImage img = blank(32, 32);
    QPainter p;
    begin(p, img);
    // The report card.
    outlinedRect(p, R(2, 1, 22, 27), pal::paper);
    fillPx(p, 3, 2, 21, 5, pal::blue);
    fillPx(p, 5, 3, 12, 3, pal::pale);
    const QColor grades[] = {pal::green, pal::gold, pal::green, pal::orange};
    for (int row = 0; row < 4; ++row) {
        const int y = 8 + row * 4;
        fillPx(p, 5, y, 13, y + 1, pal::rule);
        fillPx(p, 16, y, 19, y + 1, grades[row]);
    }
    // Magnifier: handle first, then the lens over the lower right.
    p.setPen(QPen(pal::ink, 5.0, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(24.0, 24.0), QPointF(28.5, 28.5));
    p.setPen(QPen(pal::woodDark, 3.0, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(24.0, 24.0), QPointF(28.5, 28.5));
    QColor glass = pal::pale;
    glass.setAlpha(150);
    p.setPen(QPen(pal::ink, 4.6));
    p.setBrush(glass);
    p.drawEllipse(QPointF(19.5, 19.5), 6.2, 6.2);
    p.setPen(QPen(pal::steel, 2.4));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(19.5, 19.5), 6.2, 6.2);
    p.setPen(roundPen(pal::paper, 1.3));
    p.drawArc(QRectF(15.5, 15.5, 8, 8), 100 * 16, 70 * 16);
    return img;
}

// ---- link icons (16x16) ----------------------------------------------------------------------

QImage icoLogin() {
    QImage img = blank(16, 16);
    QPainter p;
    begin(p, img);
    // A gold key, set pixel by pixel.
    // clang-format off
    pixels(p, 0, 0, {
            "................",
            "................",
            "................",
            "................",
            "..KKKK..........",
            ".KyyyyK.........",
            "KyyKKyyKKKKKKKKK",
            "KyK..KyyyyyyyyyK",
            "KgK..KgggggggggK",
            "KggKKggKKKgKKKgK",
            ".KggggK..KgK.KgK",
            "..KKKK...KKK.KKK"},
        {{'K', pal::ink}, {'y', pal::goldLight}, {'g', pal::gold}});
    // clang-format on
    return img;
}

QImage icoAssignment() {
    QImage img = blank(16, 16);
    QPainter p;
    begin(p, img);
    outlined(p, polygonPath({P(1, 1), P(5, 1), P(6, 2), P(14, 2), P(14, 13), P(1, 13)}),
             QColor(0xd9, 0x98, 0x2a));
    outlinedRect(p, R(4, 3, 12, 10), pal::paper);
    fillPx(p, 6, 5, 10, 5, pal::rule);
    outlined(p, polygonPath({P(0, 7), P(15, 7), P(14, 14), P(1, 14)}),
             vertical(7, 14, pal::goldLight, pal::gold));
    fillPx(p, 1, 8, 14, 8, QColor(0xff, 0xe8, 0xa6));
    return img;
}

QImage icoSchedule() {
    QImage img = blank(16, 16);
    QPainter p;
    begin(p, img);
    outlinedRect(p, R(1, 2, 14, 14), pal::paper);
    outlinedRect(p, R(1, 2, 14, 5), vertical(2, 5, pal::sky, pal::blue));
    for (int x : {4, 10}) {
        fillPx(p, x, 1, x + 1, 3, pal::ink);
        fillPx(p, x, 1, x, 2, pal::steel);
    }
    for (int row = 0; row < 2; ++row) {
        for (int col = 0; col < 3; ++col) {
            const int x = 3 + col * 4;
            const int y = 7 + row * 4;
            fillPx(p, x, y, x + 1, y + 1, (row == 1 && col == 1) ? pal::orange : pal::rule);
        }
    }
    return img;
}

QImage icoAttendance() {
    QImage img = blank(16, 16);
    QPainter p;
    begin(p, img);
    outlinedRect(p, R(2, 2, 13, 15), vertical(2, 15, pal::wood, pal::woodDark), 1.0);
    fillPx(p, 4, 4, 11, 13, pal::paper);
    outlinedRect(p, R(5, 1, 10, 3), pal::steel, 0.5);
    QPainterPath tick;
    tick.moveTo(4.6, 8.6);
    tick.lineTo(6.9, 11.0);
    tick.lineTo(11.3, 5.6);
    QPainterPathStroker stroke;
    stroke.setWidth(2.3);
    stroke.setJoinStyle(Qt::MiterJoin);
    crisp(
        p, stroke.createStroke(tick), [](int, int) { return pal::green; }, pal::greenDark);
    return img;
}

QImage icoQuestions() {
    QImage img = blank(16, 16);
    QPainter p;
    begin(p, img);
    QPainterPath bubble;
    bubble.addRoundedRect(R(0, 1, 15, 12), 4, 4);
    bubble = bubble.united(polygonPath({P(3, 11), P(2, 15), P(8, 11)}));
    outlined(p, bubble, vertical(1, 13, pal::sky, pal::blue));
    // The question mark, pixel by pixel.
    const QColor w = pal::paper;
    fillPx(p, 6, 3, 9, 3, w);
    fillPx(p, 5, 4, 6, 4, w);
    fillPx(p, 9, 4, 10, 5, w);
    fillPx(p, 8, 6, 9, 6, w);
    fillPx(p, 7, 7, 8, 7, w);
    fillPx(p, 7, 9, 8, 10, w);
    return img;
}

// ---- panel title icons (16x16) ---------------------------------------------------------------

QImage panelTools() {
    QImage img = blank(16, 16);
    QPainter p;
    begin(p, img);
    // Ruler along the bottom.
    outlinedRect(p, R(0, 10, 15, 14), vertical(10, 14, pal::goldLight, pal::gold));
    for (int x = 2; x <= 13; x += 2) fillPx(p, x, 11, x, (x % 4 == 0) ? 12 : 11, pal::goldDark);
    // Pencil leaning across it, tip down to the left.
    p.save();
    p.translate(3.0, 11.5);
    p.rotate(-45);
    QPainterPath body;
    body.addRect(QRectF(3.2, -1.9, 9.0, 3.8));
    outlined(p, body, vertical(-1.9, 1.9, QColor(0xff, 0xc9, 0x4a), pal::orange));
    outlined(p, polygonPath({{3.2, -1.9}, {3.2, 1.9}, {0.0, 0.0}}), QColor(0xf4, 0xd6, 0xa8));
    p.setPen(Qt::NoPen);
    p.setBrush(pal::ink);
    p.drawPolygon(QPolygonF{{-0.4, 0}, {1.3, -0.9}, {1.3, 0.9}});
    outlined(
        p,
        [] {
            QPainterPath e;
            e.addRect(QRectF(12.2, -1.9, 2.2, 3.8));
            return e;
        }(),
        QColor(0xf2, 0x8f, 0x9c));
    p.restore();
    return img;
}

QImage panelAdmin() {
    QImage img = blank(16, 16);
    QPainter p;
    begin(p, img);
    // clang-format off
    pixels(p, 0, 0, {
            "......KKKK......",
            "..KK..KaaK..KK..",
            ".KaaKKaaaaKKabK.",
            ".KaaaaaaaaaabbK.",
            "..KaaaaKKabbbK..",
            "..KaaaK..KbbbK..",
            "KKaaaK....KbbbKK",
            "KaaaaK....KbbbbK",
            "KaaabK....KbbbcK",
            "KKabbK....KbbcKK",
            "..KabbK..KbbcK..",
            "..KbbbbKKbbccK..",
            ".KbbbbbbbbbcccK.",
            ".KbcKKbbbcKKccK.",
            "..KK..KbcK..KK..",
            "......KKKK......"},
        {{'K', pal::ink}, {'a', QColor(0xe2, 0xe8, 0xee)}, {'b', pal::steel},
         {'c', pal::steelDark}});
    // clang-format on
    return img;
}

QImage panelReportCard() {
    QImage img = blank(16, 16);
    QPainter p;
    begin(p, img);
    outlinedRect(p, R(1, 0, 12, 14), pal::paper);
    fillPx(p, 2, 1, 11, 2, pal::blue);
    fillPx(p, 3, 5, 9, 5, pal::rule);
    fillPx(p, 3, 7, 9, 7, pal::rule);
    fillPx(p, 3, 9, 6, 9, pal::rule);
    // A gold star in the corner.
    // clang-format off
    pixels(p, 7, 7, {
            "....K....",
            "...KyK...",
            "...KyK...",
            "KKKKyKKKK",
            "KyyyyyyyK",
            ".KgggggK.",
            "..KgggK..",
            ".KggKggK.",
            ".KKK.KKK."},
        {{'K', pal::goldDark.darker(150)}, {'y', pal::goldLight}, {'g', pal::gold}});
    // clang-format on
    return img;
}

QImage panelInfo() {
    QImage img = blank(16, 16);
    QPainter p;
    begin(p, img);
    QRadialGradient g(QPointF(6, 5), 10);
    g.setColorAt(0, pal::sky);
    g.setColorAt(1, pal::navy);
    outlined(p, circle(QPointF(8, 8), 7.4), g);
    fillPx(p, 7, 3, 8, 4, pal::paper);
    fillPx(p, 6, 6, 8, 6, pal::paper);
    fillPx(p, 7, 7, 8, 11, pal::paper);
    fillPx(p, 6, 12, 9, 12, pal::paper);
    return img;
}

// ---- strip and logos -------------------------------------------------------------------------

QImage strip() {
    QImage img(721, 13, QImage::Format_RGB32);
    QPainter p;
    begin(p, img);
    QLinearGradient across(0, 0, 721, 0);
    across.setColorAt(0, QColor(0x17, 0x3f, 0x78));
    across.setColorAt(0.6, QColor(0x2f, 0x6f, 0xbf));
    across.setColorAt(1, QColor(0x7d, 0xb2, 0xea));
    p.fillRect(QRect(0, 0, 721, 13), across);
    // A soft sheen in the upper half.
    QLinearGradient sheen(0, 1, 0, 12);
    sheen.setColorAt(0, QColor(255, 255, 255, 70));
    sheen.setColorAt(0.5, QColor(255, 255, 255, 15));
    sheen.setColorAt(1, QColor(0, 0, 0, 30));
    p.fillRect(QRect(0, 1, 721, 11), sheen);
    p.fillRect(QRect(0, 0, 721, 1), QColor(255, 255, 255, 150));
    p.fillRect(QRect(0, 12, 721, 1), QColor(0x0a, 0x1f, 0x40, 140));
    return img;
}

QImage logoLogin() {
    QImage img = blank(64, 64);
    QPainter p;
    begin(p, img);
    // A soft round backdrop.
    QRadialGradient back(QPointF(30, 26), 34);
    back.setColorAt(0, QColor(0xe4, 0xef, 0xfb));
    back.setColorAt(1, QColor(0xb4, 0xd0, 0xf0));
    outlined(p, circle(QPointF(32, 32), 30.5), back, pal::blue, 1.5);
    // The student, clipped to the backdrop.
    p.save();
    p.setClipPath(circle(QPointF(32, 32), 30.0));
    drawPerson(p, QPointF(28, 26), 9.5, 17, 66, pal::blue, true);
    // Collar.
    outlined(p, polygonPath({{22, 37}, {28, 43}, {34, 37}}), pal::paper);
    p.restore();
    // Mortarboard.
    outlined(p, polygonPath({{28, 18.5}, {16.5, 13}, {28, 7.5}, {39.5, 13}}),
             vertical(7, 19, QColor(0x3a, 0x4a, 0x66), pal::ink), QColor(0x10, 0x18, 0x24));
    outlined(p, polygonPath({{20.5, 15}, {35.5, 15}, {35.5, 19.5}, {28, 21}, {20.5, 19.5}}),
             pal::ink);
    p.setPen(roundPen(pal::gold, 1.4));
    p.drawLine(QPointF(28, 13), QPointF(38.5, 15));
    p.drawLine(QPointF(38.5, 15), QPointF(38.5, 21));
    outlined(p, circle(QPointF(38.5, 22.5), 1.6), pal::gold, pal::goldDark);
    // A big gold key in front.
    p.save();
    p.translate(39, 49);
    p.rotate(-28);
    QPainterPath key = circle(QPointF(0, 0), 7.5);
    QPainterPath parts;
    parts.addRect(QRectF(5, -2.2, 16, 4.4));
    parts.addRect(QRectF(13, 2.0, 3, 4));
    parts.addRect(QRectF(17.5, 2.0, 3.5, 5.5));
    key = key.united(parts).subtracted(circle(QPointF(-1.5, 0), 2.6));
    outlined(p, key, vertical(-8, 8, pal::goldLight, pal::goldDark), pal::ink, 1.4);
    p.setPen(roundPen(QColor(0xff, 0xee, 0xb8), 1.2));
    p.drawLine(QPointF(8, -0.8), QPointF(19, -0.8));
    p.drawArc(QRectF(-5.5, -5.5, 11, 11), 60 * 16, 80 * 16);
    p.restore();
    return img;
}

QImage logoSoftware() {
    QImage img = blank(64, 64);
    QPainter p;
    begin(p, img);
    // Soft shadow under the book.
    QRadialGradient shadow(QPointF(32, 58), 28);
    shadow.setColorAt(0, QColor(0x1e, 0x2b, 0x3c, 70));
    shadow.setColorAt(1, QColor(0x1e, 0x2b, 0x3c, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(shadow);
    p.drawEllipse(QPointF(32, 58), 30, 5);
    drawBook(p,
             Book{.x0 = 4,
                  .x1 = 59,
                  .topOuter = 24,
                  .topSpine = 27,
                  .botOuter = 50,
                  .botSpine = 54,
                  .arch = 7,
                  .cover = 2,
                  .lines = 6,
                  .firstLine = 5,
                  .lineGap = 4,
                  .curvedLines = true},
             true);
    // Gold edging along the cover.
    p.setPen(QPen(pal::gold, 1.0));
    p.setBrush(Qt::NoBrush);
    QPainterPath edge;
    edge.moveTo(2.5, 53);
    edge.quadTo(17, 53, 31.75, 57.5);
    edge.quadTo(46, 53, 60.5, 53);
    p.drawPath(edge);
    drawQuill(p, QPointF(36, 45), QPointF(61, 3), 6.5, true);
    // A drop of ink at the nib.
    outlined(p, circle(QPointF(34.8, 47.2), 1.3), pal::navy);
    return img;
}

// ---- output ----------------------------------------------------------------------------------

struct Picture {
    QString file;
    QSize size;
    bool button;  // saved keyed, without alpha
    std::function<QImage()> draw;
};

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <output-folder>\n", argv[0]);
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    if (!QDir().mkpath(out.absolutePath()))
        fail("cannot create " + out.absolutePath().toStdString());

    const std::vector<Picture> pictures = {
        {"app32.png", {32, 32}, false, app32},
        {"app16.png", {16, 16}, false, app16},
        {"btn_login.png", {32, 32}, true, btnLogin},
        {"btn_logoff.png", {32, 32}, true, btnLogoff},
        {"btn_assignment.png", {32, 32}, true, btnAssignment},
        {"btn_attendance.png", {32, 32}, true, btnAttendance},
        {"btn_schedule.png", {32, 32}, true, btnSchedule},
        {"btn_studentinfo.png", {32, 32}, true, btnStudentInfo},
        {"btn_admin.png", {32, 32}, true, btnAdmin},
        {"btn_search.png", {32, 32}, true, btnSearch},
        {"ico_login.png", {16, 16}, false, icoLogin},
        {"ico_assignment.png", {16, 16}, false, icoAssignment},
        {"ico_schedule.png", {16, 16}, false, icoSchedule},
        {"ico_attendance.png", {16, 16}, false, icoAttendance},
        {"ico_questions.png", {16, 16}, false, icoQuestions},
        {"panel_tools.png", {16, 16}, false, panelTools},
        {"panel_admin.png", {16, 16}, false, panelAdmin},
        {"panel_reportcard.png", {16, 16}, false, panelReportCard},
        {"panel_info.png", {16, 16}, false, panelInfo},
        {"strip.png", {721, 13}, false, strip},
        {"logo_login.png", {64, 64}, false, logoLogin},
        {"logo_software.png", {64, 64}, false, logoSoftware},
    };

    for (const Picture& pic : pictures) {
        QImage img = pic.draw();
        if (img.size() != pic.size) fail(pic.file.toStdString() + ": drawn at the wrong size");
        if (pic.button) {
            img = keyed(img);
            checkKeyedButton(pic.file, img);
        } else if (img.hasAlphaChannel()) {
            img = img.convertToFormat(QImage::Format_ARGB32);
        } else {
            img = img.convertToFormat(QImage::Format_RGB888);
        }
        const QString path = out.filePath(pic.file);
        if (!img.save(path, "PNG")) fail("cannot write " + path.toStdString());
        std::printf("%s (%dx%d)\n", qPrintable(path), img.width(), img.height());
    }
    return 0;
}
