// Elliptic regions and the modern style's cut corners against masks measured from the platform's
// own region functions (reference-regions.txt: blocks 'region NAME WIDTH HEIGHT' followed by
// HEIGHT rows of WIDTH digits, 1 for a pixel inside). The masks live beside the repository in
// ../shared/regions; a copy in tests/platform/data stands in where that folder is missing.

#include <gtest/gtest.h>

#include <QFile>
#include <QRegularExpression>
#include <QStringList>
#include <vector>

#include "platform/gdi/Gdi.h"

using namespace platform::gdi;

namespace {

struct Mask {
    QString name;
    int width = 0, height = 0;
    QStringList rows;
};

QByteArray ReadAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The blocks of the file; a malformed block fails the test that reads it.
std::vector<Mask> Parse(const QByteArray& text) {
    std::vector<Mask> masks;
    const QStringList lines = QString::fromUtf8(text).split('\n');
    for (int i = 0; i < lines.size(); ++i) {
        const QString line = lines[i].trimmed();
        if (line.isEmpty() || line.startsWith('#')) continue;
        const QStringList head = line.split(' ', Qt::SkipEmptyParts);
        EXPECT_TRUE(head.size() == 4 && head[0] == "region") << "line " << i + 1;
        if (head.size() != 4) return {};
        Mask m{head[1], head[2].toInt(), head[3].toInt(), {}};
        for (int y = 0; y < m.height && i + 1 < lines.size(); ++y) m.rows << lines[++i].trimmed();
        EXPECT_EQ(m.rows.size(), m.height) << m.name.toStdString();
        masks.push_back(m);
    }
    return masks;
}

// The region a block's name describes, or 0 for a name this test does not know.
HRGN Build(const QString& name) {
    static const QRegularExpression pattern(
        QStringLiteral("^(ellipse|ellipse_in1|ellipse_in2|cut_style2)_(\\d+)x(\\d+)$"));
    const QRegularExpressionMatch m = pattern.match(name);
    if (!m.hasMatch()) return {};
    const int w = m.captured(2).toInt(), h = m.captured(3).toInt();
    const QString kind = m.captured(1);
    if (kind == "ellipse") return CreateEllipticRgn(0, 0, w, h);
    if (kind == "ellipse_in1") return CreateEllipticRgn(1, 1, w - 1, h - 1);
    if (kind == "ellipse_in2") return CreateEllipticRgn(2, 2, w - 2, h - 2);
    // The modern style's corners: four triangles off the rectangle (0, 0, W + 1, H + 1).
    const HRGN cut = CreateRectRgn(0, 0, w + 1, h + 1);
    const POINT corners[4][3] = {{{0, 0}, {2, 0}, {0, 2}},
                                 {{0, h}, {3, h}, {0, h - 3}},
                                 {{w, 0}, {w - 2, 0}, {w, 2}},
                                 {{w, h}, {w - 3, h}, {w, h - 3}}};
    for (const auto& corner : corners) {
        const HRGN t = CreatePolygonRgn(corner, 3, WINDING);
        CombineRgn(cut, cut, t, RGN_DIFF);
        DeleteObject(t);
    }
    return cut;
}

}  // namespace

TEST(GdiRegionReferenceTest, EllipsesAndCutCornersMatchThePlatformsMasks) {
    const QString sibling = QStringLiteral(QM_REFERENCE_REGIONS);
    const QString copy = QStringLiteral(QM_REFERENCE_REGIONS_COPY);
    const QByteArray copied = ReadAll(copy);
    ASSERT_FALSE(copied.isEmpty()) << "missing " << copy.toStdString();
    QByteArray text = copied;
    if (QFile::exists(sibling)) {
        text = ReadAll(sibling);
        EXPECT_EQ(text, copied) << copy.toStdString() << " differs from " << sibling.toStdString();
    }

    const std::vector<Mask> masks = Parse(text);
    ASSERT_GE(masks.size(), 13u);
    for (const Mask& mask : masks) {
        const HRGN region = Build(mask.name);
        ASSERT_TRUE(region) << "unknown block " << mask.name.toStdString();
        const QRegion pixels = RegionOf(region);
        DeleteObject(region);
        // Nothing outside the block, and every pixel of it as measured.
        EXPECT_TRUE(QRect(0, 0, mask.width, mask.height).contains(pixels.boundingRect()) ||
                    pixels.isEmpty())
            << mask.name.toStdString();
        int wrong = 0;
        QString first;
        for (int y = 0; y < mask.height; ++y) {
            ASSERT_EQ(mask.rows[y].size(), mask.width) << mask.name.toStdString() << " row " << y;
            for (int x = 0; x < mask.width; ++x) {
                if (pixels.contains(QPoint(x, y)) == (mask.rows[y][x] == '1')) continue;
                if (wrong++ == 0) first = QStringLiteral("(%1, %2)").arg(x).arg(y);
            }
        }
        EXPECT_EQ(wrong, 0) << mask.name.toStdString() << ": first wrong pixel "
                            << first.toStdString();
    }
}
