// Draws every picture the program ships with from code: the general ones in resources/pictures
// and the custom controls' own ones in resources/controls/<control>.
//
// Usage: quillmere-make-artwork <resources-folder>
//
// Each picture's file name is given relative to the resources folder; missing subfolders are
// created.
//
// Every drawing is made on a pixel grid: outlines are 1 px wide and run through pixel centres, so
// straight edges land on whole pixels and stay sharp at 16 and 32 px. Button pictures have no
// alpha channel: the button control treats the colour of pixel (0,0) as transparent, so those are
// drawn with alpha first and then cut hard against the magenta key colour (no blending into it).

#include <QColor>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QSvgGenerator>

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

// The program's icon drawn on a 32 x 32 grid: an open book with a quill. Larger sizes scale the
// grid as it is (the quill's barbs, drawn for 64-pixel logos, would be too coarse scaled up).
void drawAppIcon(QPainter& p, bool detailed) {
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
    drawQuill(p, QPointF(17.5, 22.5), QPointF(30.5, 1.0), 3.4, detailed);
}

QImage app32() {
    QImage img = blank(32, 32);
    QPainter p;
    begin(p, img);
    drawAppIcon(p, false);
    return img;
}

// The icon for the desktop's icon theme at `size` pixels (24 and up; 16 and 32 have their own
// pixel-tuned pictures).
std::function<QImage()> appIcon(int size) {
    return [size] {
        QImage img = blank(size, size);
        QPainter p;
        begin(p, img);
        p.scale(size / 32.0, size / 32.0);
        drawAppIcon(p, false);
        return img;
    };
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

// A thick circular arrow around c: an arc of radius r from startDeg, sweeping sweepDeg (Qt's
// angles: counter-clockwise, 0 at three o'clock), with an arrowhead at its far end.
QPainterPath arcArrow(QPointF c, qreal r, qreal startDeg, qreal sweepDeg, qreal width, qreal head) {
    const QRectF box(c.x() - r, c.y() - r, 2 * r, 2 * r);
    QPainterPath arc;
    arc.arcMoveTo(box, startDeg);
    arc.arcTo(box, startDeg, sweepDeg);
    QPainterPathStroker stroke;
    stroke.setWidth(width);
    stroke.setCapStyle(Qt::FlatCap);
    QPainterPath shape = stroke.createStroke(arc);

    const qreal end = (startDeg + sweepDeg) * std::numbers::pi / 180;
    const QPointF out(std::cos(end), -std::sin(end));  // from the centre to the arc's end
    const qreal turn = sweepDeg < 0 ? -1 : 1;
    const QPointF ahead(out.y() * turn, -out.x() * turn);  // the way the arc runs at its end
    const QPointF tip = c + out * r;
    return shape.united(polygonPath({tip + out * head, tip + ahead * head * 1.2, tip - out * head}))
        .simplified();
}

QImage btnMail() {
    QImage img = blank(32, 32);
    QPainter p;
    begin(p, img);
    // The envelope, with the folds of its lower half.
    outlinedRect(p, R(1, 6, 30, 26), vertical(6, 26, pal::paper, pal::pale), 1.0);
    p.setPen(QPen(pal::rule, 1.0));
    p.drawLine(P(2, 25), P(12, 16));
    p.drawLine(P(29, 25), P(19, 16));
    // The closed flap.
    outlined(p, polygonPath({P(1, 6), P(30, 6), P(15.5, 19)}),
             vertical(6, 19, QColor(0xf4, 0xf9, 0xff), QColor(0xb8, 0xd2, 0xee)));
    fillPx(p, 3, 7, 28, 7, pal::paper);
    // A red wax seal on the point of the flap.
    QRadialGradient seal(QPointF(15, 17), 4);
    seal.setColorAt(0, QColor(0xf0, 0x7a, 0x6c));
    seal.setColorAt(1, QColor(0xb8, 0x32, 0x2a));
    outlined(p, circle(QPointF(16, 18.5), 3.4), seal);
    return img;
}

QImage btnRefresh() {
    QImage img = blank(32, 32);
    QPainter p;
    begin(p, img);
    // Two arrows chasing each other clockwise round a circle.
    const QPointF c(16, 16);
    QRadialGradient g(QPointF(11, 9), 22);
    g.setColorAt(0, QColor(0x8a, 0xd8, 0x7e));
    g.setColorAt(0.5, pal::green);
    g.setColorAt(1, pal::greenDark);
    for (qreal start : {160.0, -20.0}) {
        outlined(p, arcArrow(c, 9.8, start, -118, 5.2, 6.0), g);
    }
    return img;
}

QImage btnReportCard() {
    QImage img = blank(32, 32);
    QPainter p;
    begin(p, img);
    outlinedRect(p, R(4, 1, 27, 30), pal::paper);
    fillPx(p, 5, 2, 26, 6, pal::blue);
    fillPx(p, 5, 2, 26, 2, pal::sky);
    fillPx(p, 7, 4, 16, 4, pal::pale);
    // Subject lines, each with its mark.
    const QColor marks[] = {pal::green, pal::green, pal::gold};
    for (int row = 0; row < 3; ++row) {
        const int y = 9 + row * 4;
        fillPx(p, 7, y, 17, y + 1, pal::rule);
        fillPx(p, 21, y, 24, y + 1, marks[row]);
    }
    // The final grade: a red A with a plus, underlined.
    // clang-format off
    pixels(p, 8, 21, {
            "..RRR.........",
            ".RR.RR....R...",
            "RR...RR...R...",
            "RRRRRRR.RRRRR.",
            "RR...RR...R...",
            "RR...RR...R...",
            "..............",
            "RRRRRRRRRRRRRR"},
        {{'R', pal::red}});
    // clang-format on
    return img;
}

QImage btnAdd() {
    QImage img = blank(32, 32);
    QPainter p;
    begin(p, img);
    // A sheet with a turned-down corner.
    outlined(p, polygonPath({P(3, 1), P(18, 1), P(24, 7), P(24, 29), P(3, 29)}),
             vertical(1, 29, pal::paper, QColor(0xf1, 0xf5, 0xfa)));
    outlined(p, polygonPath({P(18, 1), P(18, 7), P(24, 7)}), vertical(1, 7, pal::pale, pal::steel));
    fillPx(p, 6, 5, 13, 5, pal::blue);
    for (int y : {10, 13, 16, 19}) fillPx(p, 6, y, 20, y, pal::rule);
    fillPx(p, 6, 22, 12, 22, pal::rule);
    // The green plus badge.
    QRadialGradient g(QPointF(21, 20), 9);
    g.setColorAt(0, QColor(0x8a, 0xd8, 0x7e));
    g.setColorAt(1, pal::greenDark);
    outlined(p, circle(P(23, 23), 6.8), g);
    fillPx(p, 20, 22, 26, 24, pal::paper);
    fillPx(p, 22, 20, 24, 26, pal::paper);
    return img;
}

QImage btnPrint() {
    QImage img = blank(32, 32);
    QPainter p;
    begin(p, img);
    // Paper waiting at the back.
    outlinedRect(p, R(8, 1, 23, 12), pal::paper);
    fillPx(p, 10, 4, 18, 4, pal::rule);
    fillPx(p, 10, 6, 20, 6, pal::rule);
    // The printer.
    outlinedRect(p, R(1, 10, 30, 24), vertical(10, 24, QColor(0xee, 0xf2, 0xf6), pal::steelDark),
                 2.0);
    fillPx(p, 3, 11, 28, 11, pal::paper);
    outlinedRect(p, R(5, 19, 26, 21), pal::ink);
    // Its ready light.
    outlinedRect(p, R(24, 13, 26, 15), pal::green);
    fillPx(p, 25, 14, 25, 14, QColor(0xb8, 0xf0, 0xa8));
    // The printed sheet coming out at the front.
    outlinedRect(p, R(7, 20, 24, 31), pal::paper);
    fillPx(p, 9, 23, 15, 23, pal::blue);
    fillPx(p, 9, 26, 22, 26, pal::rule);
    fillPx(p, 9, 28, 19, 28, pal::rule);
    return img;
}

QImage btnClassroom() {
    QImage img = blank(32, 32);
    QPainter p;
    begin(p, img);
    // A small blackboard in a wooden frame.
    outlinedRect(p, R(1, 2, 27, 23), vertical(2, 23, pal::wood, pal::woodDark), 1.0);
    fillPx(p, 3, 4, 25, 21, QColor(0x2c, 0x5a, 0x44));
    fillPx(p, 3, 4, 25, 4, QColor(0x22, 0x48, 0x36));
    fillPx(p, 3, 4, 3, 21, QColor(0x22, 0x48, 0x36));
    // Chalk: letters and a sum.
    // clang-format off
    pixels(p, 5, 7, {
            ".c..cc...cc",
            "c.c.c.c.c..",
            "ccc.cc..c..",
            "c.c.c.c.c..",
            "c.c.cc...cc",
            "...........",
            ".c......cc.",
            "cc...c....c",
            ".c..ccc..c.",
            ".c...c..c..",
            "ccc.....ccc"},
        {{'c', QColor(0xe6, 0xee, 0xe4)}});
    // clang-format on
    // An apple for the teacher.
    QPainterPath apple = circle(QPointF(21.3, 24.2), 5.6).united(circle(QPointF(25.7, 24.2), 5.6));
    apple = apple.intersected(circle(QPointF(23.5, 22.5), 8.4));
    QRadialGradient red(QPointF(20.5, 21.5), 9);
    red.setColorAt(0, QColor(0xf6, 0x8a, 0x78));
    red.setColorAt(0.45, pal::red);
    red.setColorAt(1, QColor(0x9c, 0x24, 0x1e));
    outlined(p, apple, red);
    p.setPen(roundPen(pal::woodDark, 1.6));
    p.drawLine(QPointF(23.5, 19.5), QPointF(24.5, 16.0));
    outlined(p, polygonPath({{24.8, 17.8}, {27.2, 15.0}, {30.5, 15.4}, {28.0, 18.2}}), pal::green,
             pal::greenDark);
    fillPx(p, 19, 21, 19, 22, QColor(0xfb, 0xc4, 0xb8));
    return img;
}

QImage btnFolder() {
    QImage img = blank(32, 32);
    QPainter p;
    begin(p, img);
    // The folder: back with its tab, then the front.
    outlined(p, polygonPath({P(2, 2), P(11, 2), P(13, 4), P(29, 4), P(29, 21), P(2, 21)}),
             vertical(2, 21, QColor(0xe8, 0xa8, 0x34), QColor(0xc4, 0x82, 0x18)));
    outlined(p, polygonPath({P(2, 8), P(29, 8), P(29, 21), P(2, 21)}),
             vertical(8, 21, pal::goldLight, pal::gold));
    fillPx(p, 3, 9, 28, 9, QColor(0xff, 0xe8, 0xa6));
    // The network: a plug under the folder and the cable it hangs on.
    outlinedRect(p, R(13, 21, 18, 25), vertical(21, 25, pal::steel, pal::steelDark));
    outlinedRect(p, R(1, 26, 30, 29), vertical(26, 29, pal::sky, pal::navy));
    fillPx(p, 2, 27, 29, 27, QColor(0x9c, 0xc6, 0xf0));
    for (int x : {4, 26}) {
        outlinedRect(p, R(x - 2, 25, x + 1, 30), vertical(25, 30, pal::steel, pal::steelDark));
    }
    outlinedRect(p, R(12, 25, 19, 30), vertical(25, 30, pal::sky, pal::navy));
    fillPx(p, 15, 27, 16, 28, pal::goldLight);
    return img;
}

QImage btnUsers() {
    QImage img = blank(32, 32);
    QPainter p;
    begin(p, img);
    // Two people, one behind the other.
    drawPerson(p, QPointF(21.5, 9.0), 4.4, 7.4, 25.5, pal::green, true);
    drawPerson(p, QPointF(11.5, 13.0), 4.9, 8.6, 30.5, pal::blue, true);
    // A small gold key for their accounts.
    // clang-format off
    pixels(p, 18, 22, {
            ".KKK..........",
            "KyyyKKKKKKKKKK",
            "KyKyyyyyyyyyyK",
            "KgKgKKKKgKKgKK",
            "KgggK...KK.KK.",
            ".KKK.........."},
        {{'K', pal::ink}, {'y', pal::goldLight}, {'g', pal::gold}});
    // clang-format on
    return img;
}

QImage btnUpload() {
    QImage img = blank(32, 32);
    QPainter p;
    begin(p, img);
    // The sheet standing in the tray.
    outlinedRect(p, R(5, 12, 26, 24), pal::paper);
    for (int y : {15, 18}) fillPx(p, 7, y, 24, y, pal::rule);
    // The tray: a steel box open at the top.
    outlined(p, polygonPath({P(1, 19), P(30, 19), P(30, 29), P(1, 29)}),
             vertical(19, 29, QColor(0xe2, 0xe8, 0xee), pal::steelDark));
    outlinedRect(p, R(8, 22, 23, 25), vertical(22, 25, pal::steelDark, pal::steel));
    fillPx(p, 2, 20, 29, 20, QColor(0xf4, 0xf7, 0xfa));
    // The arrow lifting out of it.
    outlined(p,
             polygonPath(
                 {P(15.5, 0), P(24, 8.5), P(19, 8.5), P(19, 21), P(12, 21), P(12, 8.5), P(7, 8.5)}),
             vertical(0, 21, QColor(0x8a, 0xd8, 0x7e), pal::greenDark));
    fillPx(p, 13, 9, 13, 19, QColor(0xb8, 0xec, 0xac));
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

QImage icoFees() {
    QImage img = blank(16, 16);
    QPainter p;
    begin(p, img);
    // A banknote with a small stack of gold coins in front of it.
    outlinedRect(p, R(0, 2, 13, 11), vertical(2, 11, QColor(0x9c, 0xd6, 0x8c), pal::green));
    fillPx(p, 1, 3, 12, 3, QColor(0xc8, 0xee, 0xbc));
    // clang-format off
    pixels(p, 2, 5, {
            ".dd.",
            "d..d",
            "d..d",
            ".dd."},
        {{'d', pal::greenDark}});
    pixels(p, 7, 6, {
            "..KKKKK..",
            ".KyhhyyK.",
            "KyhyyyyyK",
            "KKyyyyyKK",
            "KgKKKKKdK",
            "KggggggdK",
            "KKggggdKK",
            "KgKKKKKdK",
            "KggggggdK",
            ".KKKKKKK."},
        {{'K', pal::ink}, {'h', QColor(0xff, 0xf3, 0xc4)}, {'y', pal::goldLight}, {'g', pal::gold},
         {'d', pal::goldDark}});
    // clang-format on
    return img;
}

QImage icoReportCard() {
    QImage img = blank(16, 16);
    QPainter p;
    begin(p, img);
    outlinedRect(p, R(2, 0, 13, 15), pal::paper);
    fillPx(p, 3, 1, 12, 3, pal::blue);
    fillPx(p, 4, 2, 8, 2, pal::pale);
    const QColor marks[] = {pal::green, pal::green, pal::gold};
    for (int row = 0; row < 3; ++row) {
        const int y = 5 + row * 2;
        fillPx(p, 4, y, 8, y, pal::rule);
        fillPx(p, 10, y, 11, y, marks[row]);
    }
    // The final grade, A+, in red.
    // clang-format off
    pixels(p, 4, 11, {
            ".R.....",
            "R.R..R.",
            "RRR.RRR",
            "R.R..R."},
        {{'R', pal::red}});
    // clang-format on
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

QImage panelMail() {
    QImage img = blank(16, 16);
    QPainter p;
    begin(p, img);
    // clang-format off
    pixels(p, 0, 2, {
            "KKKKKKKKKKKKKKKK",
            "KKwwwwwwwwwwwwKK",
            "KaKKwwwwwwwwKKaK",
            "KaaaKKwwwwKKaaaK",
            "KaaaaaKrrKaaaaaK",
            "KaaaaaaKKaaaaaaK",
            "KbbbbbbbbbbbbbbK",
            "KbbbbbbbbbbbbbbK",
            "KbbbbbbbbbbbbbbK",
            "KccccccccccccccK",
            "KKKKKKKKKKKKKKKK"},
        {{'K', pal::ink}, {'w', pal::paper}, {'a', QColor(0xe6, 0xf0, 0xfb)}, {'b', pal::pale},
         {'c', QColor(0xa8, 0xc8, 0xec)}, {'r', pal::red}});
    // clang-format on
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

// A closed book lying flat with its spine toward us, spanning pixels x0..x1, y0..y1.
void drawSpine(QPainter& p, int x0, int y0, int x1, int y1, const QColor& cover) {
    QPainterPath spine;
    spine.addRoundedRect(R(x0, y0, x1, y1), 2.0, 2.0);
    QLinearGradient round(0, y0, 0, y1 + 1);
    round.setColorAt(0, cover.darker(115));
    round.setColorAt(0.35, cover.lighter(135));
    round.setColorAt(1, cover.darker(140));
    outlined(p, spine, round);
    // Gold bands near the ends and a label in the middle.
    for (int x : {x0 + 4, x1 - 5}) fillPx(p, x, y0 + 1, x + 1, y1 - 1, pal::gold);
    const int mid = (x0 + x1) / 2;
    fillPx(p, mid - 8, y0 + 3, mid + 8, y1 - 3, pal::cream);
}

QImage aboutSide() {
    constexpr int kW = 69;
    constexpr int kH = 232;
    QImage img(kW, kH, QImage::Format_RGB32);
    QPainter p;
    begin(p, img);
    // The band: deep navy at the top, lightening toward the foot.
    QLinearGradient down(0, 0, 0, kH);
    down.setColorAt(0, QColor(0x17, 0x3f, 0x78));
    down.setColorAt(0.55, QColor(0x2f, 0x6f, 0xbf));
    down.setColorAt(1, QColor(0x7d, 0xb2, 0xea));
    p.fillRect(QRect(0, 0, kW, kH), down);
    // A soft sheen down the left half, as if the band were slightly rounded.
    QLinearGradient across(0, 0, kW, 0);
    across.setColorAt(0, QColor(255, 255, 255, 10));
    across.setColorAt(0.3, QColor(255, 255, 255, 40));
    across.setColorAt(0.7, QColor(255, 255, 255, 0));
    across.setColorAt(1, QColor(0, 0, 0, 35));
    p.fillRect(QRect(0, 0, kW, kH), across);
    // The emblem near the top: the quill on a pale round badge.
    QRadialGradient back(QPointF(30, 34), 30);
    back.setColorAt(0, QColor(0xf2, 0xf7, 0xfd));
    back.setColorAt(1, QColor(0xb4, 0xd0, 0xf0));
    outlined(p, circle(QPointF(34.5, 40), 27), back, QColor(0xe4, 0xef, 0xfb), 1.5);
    p.setPen(QPen(QColor(0x0a, 0x1f, 0x40, 120), 1.0));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(34.5, 40), 28.5, 28.5);
    drawQuill(p, QPointF(19, 59), QPointF(51, 19), 8.0, true);
    outlined(p, circle(QPointF(17.8, 60.5), 1.6), pal::navy);
    // A small gold rule under the badge, fading out at both ends, with a diamond in the middle.
    QLinearGradient rule(12, 0, 57, 0);
    rule.setColorAt(0, QColor(0xf2, 0xb2, 0x33, 0));
    rule.setColorAt(0.5, pal::goldLight);
    rule.setColorAt(1, QColor(0xf2, 0xb2, 0x33, 0));
    p.fillRect(QRect(12, 80, 45, 1), rule);
    outlined(p, polygonPath({{34.5, 77}, {37.5, 80.5}, {34.5, 84}, {31.5, 80.5}}), pal::goldLight,
             pal::goldDark);
    // A stack of books at the foot.
    drawSpine(p, 7, 213, 61, 223, pal::navy);
    drawSpine(p, 11, 203, 58, 212, pal::red);
    drawSpine(p, 8, 194, 59, 202, pal::green);
    drawBook(p, Book{.x0 = 12,
                     .x1 = 56,
                     .topOuter = 177,
                     .topSpine = 179,
                     .botOuter = 189,
                     .botSpine = 191,
                     .arch = 4,
                     .cover = 1,
                     .lines = 3,
                     .firstLine = 3,
                     .lineGap = 3,
                     .curvedLines = false});
    // Edges: a light line on the left, a shadow where the band meets the dialog.
    p.fillRect(QRect(0, 0, 1, kH), QColor(255, 255, 255, 60));
    p.fillRect(QRect(kW - 1, 0, 1, kH), QColor(0x0a, 0x1f, 0x40, 160));
    return img;
}

// ---- collapsible panel (controls/EBXp) -------------------------------------------------------
//
// The panel's title bar is put together from pieces: a left cap, the face stretched to the bar's
// width, a right cap one pixel lower than the bar, and a round sign button near the right end.
// The navy caption is drawn straight onto the face, so every part of the face stays light.

namespace panel {
const QColor back{121, 160, 229};  // the panel's margins, seen around the title bar
const QColor caption{0, 0, 128};
const QColor faceEnd{0xc6, 0xd5, 0xf6};  // the light blue at the face's right end
const QColor signRim{0x8c, 0xa8, 0xe2};
const QColor signInk{0x21, 0x3f, 0x9a};
}  // namespace panel

QColor mix(const QColor& a, const QColor& b, qreal t) {  // a at t = 0, b at t = 1
    return QColor::fromRgbF(a.redF() + (b.redF() - a.redF()) * t,
                            a.greenF() + (b.greenF() - a.greenF()) * t,
                            a.blueF() + (b.blueF() - a.blueF()) * t);
}

// Contrast ratio of two colours, from their relative luminance (1 = none, 21 = black on white).
qreal contrast(const QColor& a, const QColor& b) {
    auto lum = [](const QColor& c) {
        auto lin = [](qreal v) {
            return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * lin(c.redF()) + 0.7152 * lin(c.greenF()) + 0.0722 * lin(c.blueF());
    };
    const qreal la = lum(a), lb = lum(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// The face: white on the left where the caption sits, turning light blue toward the right, with a
// few faint diagonal glints in between. Rows 0..23 are what the bar shows; row 24 repeats row 23.
QImage panelFace() {
    constexpr int kW = 365;
    constexpr int kH = 25;
    QImage img(kW, kH, QImage::Format_RGB32);
    QPainter p;
    begin(p, img);
    QLinearGradient across(0, 0, kW, 0);
    across.setColorAt(0, pal::paper);
    across.setColorAt(0.2, QColor(0xfb, 0xfc, 0xff));
    across.setColorAt(0.7, mix(pal::paper, panel::faceEnd, 0.72));
    across.setColorAt(1, panel::faceEnd);
    p.fillRect(QRect(0, 0, kW, kH), across);
    // Glints: thin light strokes leaning to the right, in loose pairs, strongest in the middle of
    // the blue part and gone before the right end so the right cap meets a plain colour.
    p.setClipRect(QRect(0, 0, kW, kH - 1));
    const struct {
        qreal x;
        int alpha;
        qreal width;
    } glints[] = {{118, 40, 1.0}, {124, 55, 2.0}, {171, 70, 2.5}, {178, 45, 1.0}, {223, 80, 3.0},
                  {231, 55, 1.2}, {272, 65, 2.2}, {279, 40, 1.0}, {316, 45, 1.6}};
    for (const auto& g : glints) {
        QPen pen(QColor(255, 255, 255, g.alpha), g.width);
        pen.setCapStyle(Qt::FlatCap);
        p.setPen(pen);
        p.drawLine(QPointF(g.x, kH), QPointF(g.x + 14, 0));
    }
    p.end();
    // The last row repeats the one above it.
    for (int x = 0; x < kW; ++x) img.setPixel(x, kH - 1, img.pixel(x, kH - 2));

    for (int y = 0; y < kH; ++y) {
        for (int x = 0; x < kW; ++x) {
            if (contrast(panel::caption, img.pixelColor(x, y)) < 10)
                fail("panel face: the caption would not read at (" + std::to_string(x) + "," +
                     std::to_string(y) + ")");
        }
    }
    return img;
}

// An end cap of the title bar: it continues column `faceColumn` of the face from row `firstRow` on.
// The outer column is a shade darker than the face and its end pixels take the panel colour; the
// pixels next to those blend toward it, so the bar looks rounded.
QImage panelCap(const QImage& face, int faceColumn, int firstRow, int height, bool left) {
    QImage img(2, height, QImage::Format_RGB32);
    const int outer = left ? 0 : 1;
    const int inner = 1 - outer;
    for (int y = 0; y < height; ++y) {
        const QColor c = face.pixelColor(faceColumn, firstRow + y);
        const bool end = y == 0 || y == height - 1;
        const bool nearEnd = y == 1 || y == height - 2;
        img.setPixelColor(outer, y, end ? panel::back : mix(c, panel::back, nearEnd ? 0.5 : 0.18));
        img.setPixelColor(inner, y, end ? mix(c, panel::back, 0.4) : c);
    }
    return img;
}

// The left cap runs the whole 24 rows of the bar.
QImage panelCapLeft() {
    return panelCap(panelFace(), 0, 0, 24, true);
}

// The right cap is drawn one pixel below the bar's top, so it matches face rows 1..23.
QImage panelCapRight() {
    const QImage face = panelFace();
    return panelCap(face, face.width() - 1, 1, 23, false);
}

// The round sign button with a double chevron pointing down (the panel can be opened) or up (it
// can be closed). The circle is anti-aliased onto a transparent ground; the chevrons are set on
// the pixel grid so they stay sharp.
QImage panelSign(bool up) {
    QImage img = blank(16, 17);
    QPainter p;
    begin(p, img);
    // A soft shadow one pixel below the button: only its lower rim shows.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x4a, 0x6a, 0xb8, 80));
    p.drawEllipse(QPointF(8, 9), 7.5, 7.5);
    // The button fills the 16x16 square above; its 1 px rim runs through whole pixels.
    QLinearGradient body(0, 1, 0, 15);
    body.setColorAt(0, pal::paper);
    body.setColorAt(0.5, pal::paper);
    body.setColorAt(1, QColor(0xd8, 0xe3, 0xfa));
    p.setPen(QPen(panel::signRim, 1.0));
    p.setBrush(body);
    p.drawEllipse(QPointF(8, 8), 7.5, 7.5);
    // clang-format off
    const std::initializer_list<std::string_view> down = {
        "KK....KK",
        ".KK..KK.",
        "..KKKK..",
        "...KK...",
        "KK....KK",
        ".KK..KK.",
        "..KKKK..",
        "...KK..."};
    const std::initializer_list<std::string_view> upward = {
        "...KK...",
        "..KKKK..",
        ".KK..KK.",
        "KK....KK",
        "...KK...",
        "..KKKK..",
        ".KK..KK.",
        "KK....KK"};
    // clang-format on
    pixels(p, 4, 4, up ? upward : down, {{'K', panel::signInk}});
    return img;
}

QImage panelSignCollapsed() {
    return panelSign(false);
}

QImage panelSignExpanded() {
    return panelSign(true);
}

// The hand pointer shown over the title bar. Its hot spot, the tip of the index finger, is pixel
// (14, 7); the cursor code relies on that, so it is checked here.
QImage panelHand() {
    QImage img = blank(32, 32);
    QPainter p;
    begin(p, img);
    // clang-format off
    pixels(p, 6, 7, {
            "........KK",
            ".......KWWK",
            ".......KWWK",
            ".......KWWK",
            ".......KWWK",
            ".......KWWKKK",
            ".......KWWKWWKKK",
            ".......KWWKWWKWWKKK",
            ".KK....KWWKWWKWWKWWK",
            "KWWK...KWWKWWKWWKWWK",
            "KWWWK..KWWWWWWWWWWWK",
            "KWWWWK.KWWWWWWWWWWWK",
            ".KWWWWKKWWWWWWWWWWWK",
            "...KWWWWWWWWWWWWWWWK",
            "....KWWWWWWWWWWWWWWK",
            ".....KWWWWWWWWWWWWWK",
            "......KWWWWWWWWWWWK",
            ".......KWWWWWWWWWWK",
            "........KWWWWWWWWK",
            "........KWWWWWWWWK",
            "........KKKKKKKKKK"},
        {{'K', QColor(0, 0, 0)}, {'W', pal::paper}});
    // clang-format on
    p.end();
    constexpr QPoint kHotSpot{14, 7};
    if (qAlpha(img.pixel(kHotSpot)) != 255) fail("hand: the hot spot is not on the finger tip");
    for (int y = 0; y < kHotSpot.y(); ++y) {
        for (int x = 0; x < img.width(); ++x) {
            if (qAlpha(img.pixel(x, y)) != 0) fail("hand: something lies above the finger tip");
        }
    }
    return img;
}

// ---- picture viewer (controls/ScrollPicture) -------------------------------------------------
//
// The two hand cursors over a picture that can be moved: an open hand while the mouse hovers and
// a closed one while the left button holds the picture. Both are 32 x 32 in a 16-colour palette
// and share the hot spot (12, 5): the open hand's middle finger tip and the closed hand's middle
// knuckle, so the point under the cursor stays put when the hand closes.

namespace viewer {
constexpr QPoint kHotSpot{12, 5};
const QColor ink{0, 0, 0};
const QColor palm{0xff, 0xff, 0xff};
const QColor crease{0xa8, 0xa8, 0xa8};
}  // namespace viewer

// Turns a drawing made of the palette's colours (and transparency) into a 16-colour picture;
// fails on any other colour, so the cursors stay crisp.
QImage sixteenColours(const QImage& art, const QString& name) {
    const QList<QRgb> palette = {qRgba(0, 0, 0, 0), viewer::ink.rgba(), viewer::palm.rgba(),
                                 viewer::crease.rgba()};
    QImage out(art.size(), QImage::Format_Indexed8);
    out.setColorTable(palette);
    const QImage src = art.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < src.height(); ++y) {
        for (int x = 0; x < src.width(); ++x) {
            const QRgb c = src.pixel(x, y);
            const QRgb want = qAlpha(c) == 0 ? qRgba(0, 0, 0, 0) : c;
            const auto at = palette.indexOf(want);
            if (at < 0)
                fail(name.toStdString() + ": colour outside the palette at (" + std::to_string(x) +
                     "," + std::to_string(y) + ")");
            out.setPixel(x, y, uint(at));
        }
    }
    if (palette.size() > 16) fail(name.toStdString() + ": more than 16 colours");
    return out;
}

QImage viewerHand(bool closed) {
    QImage img = blank(32, 32);
    QPainter p;
    begin(p, img);
    p.setRenderHint(QPainter::Antialiasing, false);
    // clang-format off
    const std::initializer_list<std::string_view> open = {
        ".........KK.........",
        "........KWWKKK......",
        "......KKKWWKWWK.....",
        ".....KWWKWWKWWK.....",
        ".....KWWKWWKWWKKK...",
        ".....KWWKWWKWWKWWK..",
        ".....KWWKWWKWWKWWK..",
        ".....KWWKWWKWWKWWK..",
        ".KK..KWWKWWKWWKWWK..",
        "KWWK.KWWKWWKWWKWWK..",
        "KWWWKKWWGWWGWWGWWK..",
        ".KWWWWWWWWWWWWWWWK..",
        "..KWWWWWWWWWWWWWWK..",
        "...KWWWWWWWWWWWWWK..",
        "....KWWWWWWWWWWWWK..",
        ".....KWWWWWWWWWWK...",
        "......KWWWWWWWWWK...",
        ".......KWWWWWWWK....",
        ".......KWWWWWWWK....",
        ".......KKKKKKKKK...."};
    const std::initializer_list<std::string_view> fist = {
        "....................",
        "......KK.KK.KK......",
        ".....KWWKWWKWWKKK...",
        ".....KWWKWWKWWKWWK..",
        "...KKKWWGWWGWWGWWK..",
        "..KWWKWWWWWWWWWWWK..",
        "..KWWWKWWWWWWWWWWK..",
        "...KWWWWWWWWWWWWWK..",
        "....KWWWWWWWWWWWWK..",
        ".....KWWWWWWWWWWK...",
        "......KWWWWWWWWWK...",
        ".......KWWWWWWWK....",
        ".......KWWWWWWWK....",
        ".......KKKKKKKKK...."};
    // clang-format on
    pixels(p, 3, 4, closed ? fist : open,
           {{'K', viewer::ink}, {'W', viewer::palm}, {'G', viewer::crease}});
    p.end();
    const QString name = closed ? QStringLiteral("grab") : QStringLiteral("release");
    if (qAlpha(img.pixel(viewer::kHotSpot)) != 255)
        fail(name.toStdString() + ": hot spot is off the hand");
    return sixteenColours(img, name);
}

QImage viewerGrab() {
    return viewerHand(true);
}

QImage viewerRelease() {
    return viewerHand(false);
}

// A button picture drawn for 32 pixels, made 24 pixels for the buttons whose picture size is 24:
// smoothed down before it is keyed, so its edges stay clean.
std::function<QImage()> at24(QImage (*draw)()) {
    return [draw] {
        return draw()
            .convertToFormat(QImage::Format_ARGB32_Premultiplied)
            .scaled(24, 24, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    };
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
        std::fprintf(stderr, "usage: %s <resources-folder>\n", argv[0]);
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));

    std::vector<Picture> pictures = {
        {"pictures/app32.png", {32, 32}, false, app32},
        {"pictures/app16.png", {16, 16}, false, app16},
        {"pictures/btn_login.png", {32, 32}, true, btnLogin},
        {"pictures/btn_logoff.png", {32, 32}, true, btnLogoff},
        {"pictures/btn_assignment.png", {32, 32}, true, btnAssignment},
        {"pictures/btn_attendance.png", {32, 32}, true, btnAttendance},
        {"pictures/btn_schedule.png", {32, 32}, true, btnSchedule},
        {"pictures/btn_studentinfo.png", {32, 32}, true, btnStudentInfo},
        {"pictures/btn_admin.png", {32, 32}, true, btnAdmin},
        {"pictures/btn_search.png", {32, 32}, true, btnSearch},
        {"pictures/btn_mail.png", {32, 32}, true, btnMail},
        {"pictures/btn_refresh.png", {32, 32}, true, btnRefresh},
        {"pictures/btn_reportcard.png", {32, 32}, true, btnReportCard},
        {"pictures/btn_add.png", {32, 32}, true, btnAdd},
        {"pictures/btn_print.png", {32, 32}, true, btnPrint},
        {"pictures/btn_classroom.png", {32, 32}, true, btnClassroom},
        {"pictures/btn_folder.png", {32, 32}, true, btnFolder},
        {"pictures/btn_users.png", {32, 32}, true, btnUsers},
        {"pictures/btn_upload.png", {32, 32}, true, btnUpload},
        {"pictures/btn_schedule24.png", {24, 24}, true, at24(btnSchedule)},
        {"pictures/btn_mail24.png", {24, 24}, true, at24(btnMail)},
        {"pictures/btn_folder24.png", {24, 24}, true, at24(btnFolder)},
        {"pictures/ico_login.png", {16, 16}, false, icoLogin},
        {"pictures/ico_assignment.png", {16, 16}, false, icoAssignment},
        {"pictures/ico_schedule.png", {16, 16}, false, icoSchedule},
        {"pictures/ico_attendance.png", {16, 16}, false, icoAttendance},
        {"pictures/ico_questions.png", {16, 16}, false, icoQuestions},
        {"pictures/ico_fees.png", {16, 16}, false, icoFees},
        {"pictures/ico_reportcard.png", {16, 16}, false, icoReportCard},
        {"pictures/panel_tools.png", {16, 16}, false, panelTools},
        {"pictures/panel_admin.png", {16, 16}, false, panelAdmin},
        {"pictures/panel_reportcard.png", {16, 16}, false, panelReportCard},
        {"pictures/panel_info.png", {16, 16}, false, panelInfo},
        {"pictures/panel_mail.png", {16, 16}, false, panelMail},
        {"pictures/strip.png", {721, 13}, false, strip},
        {"pictures/logo_login.png", {64, 64}, false, logoLogin},
        {"pictures/logo_software.png", {64, 64}, false, logoSoftware},
        {"pictures/about_side.png", {69, 232}, false, aboutSide},
        {"controls/EBXp/face.png", {365, 25}, false, panelFace},
        {"controls/EBXp/cap_left.png", {2, 24}, false, panelCapLeft},
        {"controls/EBXp/cap_right.png", {2, 23}, false, panelCapRight},
        {"controls/EBXp/sign_col.png", {16, 17}, false, panelSignCollapsed},
        {"controls/EBXp/sign_exp.png", {16, 17}, false, panelSignExpanded},
        {"controls/EBXp/hand.png", {32, 32}, false, panelHand},
        {"controls/ScrollPicture/grab.png", {32, 32}, false, viewerGrab},
        {"controls/ScrollPicture/release.png", {32, 32}, false, viewerRelease},
    };
    // The desktop's icon theme: the same icon at every size it asks for.
    const QString themed =
        QStringLiteral("desktop/icons/hicolor/%1x%1/apps/org.quillmere.Quillmere.png");
    pictures.push_back({themed.arg(16), {16, 16}, false, app16});
    pictures.push_back({themed.arg(32), {32, 32}, false, app32});
    for (int size : {24, 48, 64, 128, 256})
        pictures.push_back({themed.arg(size), {size, size}, false, appIcon(size)});

    for (const Picture& pic : pictures) {
        QImage img = pic.draw();
        if (img.size() != pic.size) fail(pic.file.toStdString() + ": drawn at the wrong size");
        if (pic.button) {
            img = keyed(img);
            checkKeyedButton(pic.file, img);
        } else if (img.format() == QImage::Format_Indexed8) {
            // Palette pictures (the cursors) are saved with their palette.
        } else if (img.hasAlphaChannel()) {
            img = img.convertToFormat(QImage::Format_ARGB32);
        } else {
            img = img.convertToFormat(QImage::Format_RGB888);
        }
        const QString path = out.filePath(pic.file);
        const QString folder = QFileInfo(path).absolutePath();
        if (!QDir().mkpath(folder)) fail("cannot create " + folder.toStdString());
        if (!img.save(path, "PNG")) fail("cannot write " + path.toStdString());
        std::printf("%s (%dx%d)\n", qPrintable(path), img.width(), img.height());
    }

    // The scalable icon: the same drawing as SVG paths on the 32 x 32 grid.
    const QString svgPath = out.filePath(
        QStringLiteral("desktop/icons/hicolor/scalable/apps/org.quillmere.Quillmere.svg"));
    if (!QDir().mkpath(QFileInfo(svgPath).absolutePath())) fail("cannot create the icon folder");
    QSvgGenerator svg;
    svg.setFileName(svgPath);
    svg.setSize(QSize(32, 32));
    svg.setViewBox(QRect(0, 0, 32, 32));
    svg.setTitle(QStringLiteral("Quillmere"));
    svg.setDescription(QStringLiteral("An open book with a quill"));
    {
        QPainter p;
        if (!p.begin(&svg)) fail("cannot write " + svgPath.toStdString());
        p.setRenderHint(QPainter::Antialiasing, true);
        drawAppIcon(p, false);
    }
    std::printf("%s\n", qPrintable(svgPath));
    return 0;
}
