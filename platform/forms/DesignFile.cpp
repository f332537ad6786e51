#include "platform/forms/DesignFile.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdlib>

#include <QDir>
#include <QFile>
#include <QRegularExpression>

#include "platform/Files.h"
#include "platform/Units.h"

namespace platform::forms {

namespace {

Placeholders gPlaceholders;
QString gDesignDirectory;

[[noreturn]] void Fail(const QString& file, const std::string& key, const QString& problem) {
    throw DesignError(QStringLiteral("%1: key \"%2\": %3")
                          .arg(file, QString::fromStdString(key), problem)
                          .toStdString());
}

// Whether `path` names a control's caption, where "&" marks an access key.
bool IsCaption(const std::string& path) {
    const std::string key = ".bag.caption";
    if (path.size() < key.size()) return false;
    return std::equal(key.rbegin(), key.rend(), path.rbegin(), [](char a, char b) {
        return a == std::tolower(static_cast<unsigned char>(b));
    });
}

// Fills ${...} placeholders in every string of the tree; an unknown one is an error. A value
// put into a caption is shown as it is: its "&" are doubled, so that they mark no access key.
void Substitute(Json& node, const QString& file, const std::string& path,
                const Placeholders& values) {
    if (node.is_string()) {
        const QString text = QString::fromStdString(node.get<std::string>());
        if (!text.contains(QLatin1String("${"))) return;
        static const QRegularExpression re(QStringLiteral(R"(\$\{([A-Za-z]*)\})"));
        QString out;
        qsizetype last = 0;
        const bool caption = IsCaption(path);
        auto put = [&](QString value) {
            out += caption ? value.replace(QLatin1Char('&'), QLatin1String("&&")) : value;
        };
        for (auto it = re.globalMatch(text); it.hasNext();) {
            const auto m = it.next();
            out += text.mid(last, m.capturedStart() - last);
            const QString name = m.captured(1);
            if (name == QLatin1String("portal"))
                put(values.portal);
            else if (name == QLatin1String("portalHost"))
                put(values.portalHost);
            else if (name == QLatin1String("webmail"))
                put(values.webmail);
            else if (name == QLatin1String("guestUser"))
                put(values.guestUser);
            else if (name == QLatin1String("guestPassword"))
                put(values.guestPassword);
            else
                Fail(file, path, QStringLiteral("unknown placeholder ${%1}").arg(name));
            last = m.capturedEnd();
        }
        out += text.mid(last);
        node = out.toStdString();
    } else if (node.is_object()) {
        for (auto it = node.begin(); it != node.end(); ++it)
            Substitute(it.value(), file, path.empty() ? it.key() : path + "." + it.key(), values);
    } else if (node.is_array()) {
        for (std::size_t i = 0; i < node.size(); ++i)
            Substitute(node[i], file, path + "[" + std::to_string(i) + "]", values);
    }
}

// Typed access to a design file's fields, each failure naming the file and the key.
class Reader {
public:
    Reader(const Json& node, QString file, std::string path)
        : mNode(node), mFile(std::move(file)), mPath(std::move(path)) {}

    std::string Key(const char* key) const { return mPath.empty() ? key : mPath + "." + key; }
    bool Has(const char* key) const { return mNode.contains(key) && !mNode.at(key).is_null(); }

    int Int(const char* key) const {
        if (!mNode.contains(key)) Fail(mFile, Key(key), QStringLiteral("missing"));
        const Json& v = mNode.at(key);
        if (!v.is_number_integer())
            Fail(mFile, Key(key), QStringLiteral("expected a whole number"));
        const std::int64_t n = Whole(v);
        if (n < INT32_MIN || n > INT32_MAX)
            Fail(mFile, Key(key), QStringLiteral("%1 is out of range").arg(n));
        return int(n);
    }
    std::string String(const char* key, bool required = true) const {
        if (!mNode.contains(key)) {
            if (required) Fail(mFile, Key(key), QStringLiteral("missing"));
            return {};
        }
        const Json& v = mNode.at(key);
        if (!v.is_string()) Fail(mFile, Key(key), QStringLiteral("expected text"));
        return v.get<std::string>();
    }
    const Json& Array(const char* key) const {
        static const Json empty = Json::array();
        if (!mNode.contains(key)) return empty;
        const Json& v = mNode.at(key);
        if (!v.is_array()) Fail(mFile, Key(key), QStringLiteral("expected a list"));
        return v;
    }
    // [left, top, width, height] in twips. Each is checked in 64 bits against what can be drawn
    // before it becomes an int: positions within +-kMaxSurfaceSide pixels, sizes from 0 to it.
    // `owner` names the control in the messages.
    QRect Rect(const char* key, const QString& owner) const {
        const Json& v = mNode.at(key);
        if (!v.is_array() || v.size() != 4 ||
            !std::all_of(v.begin(), v.end(), [](const Json& n) { return n.is_number_integer(); }))
            Fail(mFile, Key(key), QStringLiteral("expected [left, top, width, height] in twips"));
        static const char* const kNames[] = {"left", "top", "width", "height"};
        int twips[4];
        for (int i = 0; i < 4; ++i) {
            const std::int64_t n = Whole(v[std::size_t(i)]);
            const bool size = i >= 2;
            if (size && n < 0)
                Fail(mFile, Key(key),
                     QStringLiteral("%1: negative %2 %3").arg(owner, kNames[i]).arg(n));
            CheckPixels(Key(key), owner, kNames[i], n);
            twips[i] = int(n);
        }
        return QRect(twips[0], twips[1], twips[2], twips[3]);
    }

    // A position or size in twips whose pixels lie beyond what the raster layer draws is an
    // error naming `what` ("width") and both measures.
    void CheckPixels(const std::string& key, const QString& owner, const char* what,
                     std::int64_t twips) const {
        const std::int64_t pixels = std::llabs(RoundHalfEven(double(twips) / kTwipsPerPixel));
        if (pixels <= kMaxSurfaceSide) return;
        const QString who = owner.isEmpty() ? QString() : owner + QStringLiteral(": ");
        Fail(mFile, key,
             QStringLiteral("%1%2 %3 twips is %4 pixels, beyond the %5 pixels that can be drawn")
                 .arg(who, QLatin1String(what))
                 .arg(twips)
                 .arg(pixels)
                 .arg(kMaxSurfaceSide));
    }

    // A whole number as 64 bits, whether stored signed or unsigned (an unsigned one beyond the
    // signed range is taken as the largest, which every check refuses).
    static std::int64_t Whole(const Json& v) {
        if (v.is_number_unsigned()) {
            const auto u = v.get<std::uint64_t>();
            return u > std::uint64_t(INT64_MAX) ? INT64_MAX : std::int64_t(u);
        }
        return v.get<std::int64_t>();
    }

private:
    const Json& mNode;
    QString mFile;
    std::string mPath;
};

ControlDesign ReadControl(const Json& node, const QString& file, const std::string& path) {
    if (!node.is_object()) Fail(file, path, QStringLiteral("expected a control object"));
    Reader r(node, file, path);
    ControlDesign c;
    c.path = path;
    c.type = r.String("type");
    c.name = r.String("name");
    if (c.name.empty()) Fail(file, r.Key("name"), QStringLiteral("empty control name"));
    if (r.Has("index")) c.index = r.Int("index");
    if (r.Has("rect")) c.rect = r.Rect("rect", c.QualifiedName());
    if (node.contains("visible")) {
        if (!node.at("visible").is_boolean())
            Fail(file, r.Key("visible"), QStringLiteral("expected true or false"));
        c.visible = node.at("visible").get<bool>();
    }
    // The bag's values are checked as the control reads them, each on its own: a bad one is
    // reported and its property keeps its default.
    if (node.contains("bag")) {
        if (!node.at("bag").is_object())
            Fail(file, r.Key("bag"), QStringLiteral("expected an object of stored values"));
        c.bag = PropertyBag(node.at("bag"), file, c.QualifiedName());
    } else {
        c.bag = PropertyBag(Json::object(), file, c.QualifiedName());
    }
    const Json& children = r.Array("children");
    for (std::size_t i = 0; i < children.size(); ++i)
        c.children.push_back(
            ReadControl(children[i], file, r.Key("children") + "[" + std::to_string(i) + "]"));
    return c;
}

MenuDesign ReadMenu(const Json& node, const QString& file, const std::string& path) {
    if (!node.is_object()) Fail(file, path, QStringLiteral("expected a menu object"));
    Reader r(node, file, path);
    MenuDesign m;
    m.name = r.String("name");
    m.caption = QString::fromStdString(r.String("caption"));
    const Json& items = r.Array("items");
    for (std::size_t i = 0; i < items.size(); ++i)
        m.items.push_back(ReadMenu(items[i], file, r.Key("items") + "[" + std::to_string(i) + "]"));
    return m;
}

}  // namespace

QString ControlDesign::QualifiedName() const {
    const QString base = QString::fromStdString(name);
    return index >= 0 ? QStringLiteral("%1(%2)").arg(base).arg(index) : base;
}

void SetPlaceholders(const Placeholders& values) {
    gPlaceholders = values;
}
const Placeholders& CurrentPlaceholders() {
    return gPlaceholders;
}
void SetDesignDirectory(const QString& dir) {
    gDesignDirectory = dir;
}

QString ResolveResourcePath(const QString& name) {
    if (name.startsWith(QLatin1String(":/")) || QDir::isAbsolutePath(name)) return name;
    if (!gDesignDirectory.isEmpty()) {
        const QString local = QDir(gDesignDirectory).filePath(name);
        if (QFile::exists(local)) return local;
    }
    return QStringLiteral(":/") + name;
}

Json ParseJsonText(const QByteArray& text, const QString& file) {
    // Objects and lists are counted outside strings before the text is parsed: whatever walks
    // the tree afterwards (placeholders, messages quoting a value) recurses once a level.
    int depth = 0;
    bool inString = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char ch = text[i];
        if (inString) {
            if (ch == '\\')
                ++i;
            else if (ch == '"')
                inString = false;
        } else if (ch == '"') {
            inString = true;
        } else if (ch == '[' || ch == '{') {
            if (++depth > kMaxJsonDepth)
                throw DesignError(
                    QStringLiteral("%1: objects and lists nest deeper than %2 levels (at byte %3)")
                        .arg(file)
                        .arg(kMaxJsonDepth)
                        .arg(i + 1)
                        .toStdString());
        } else if (ch == ']' || ch == '}') {
            --depth;
        }
    }
    try {
        return Json::parse(text.constData(), text.constData() + text.size());
    } catch (const Json::parse_error& e) {
        throw DesignError(QStringLiteral("%1: not valid JSON (broken at byte %2)")
                              .arg(file)
                              .arg(e.byte)
                              .toStdString());
    } catch (const Json::exception&) {
        // The parser's other refusal: a number whose exponent no double can hold ("1e999").
        throw DesignError(QStringLiteral("%1: not valid JSON (a number too large to read)")
                              .arg(file)
                              .toStdString());
    }
}

FormDesign ParseDesign(const QByteArray& text, const QString& file, const Placeholders& values) {
    Json root = ParseJsonText(text, file);
    if (!root.is_object()) Fail(file, "(top level)", QStringLiteral("expected an object"));
    Substitute(root, file, "", values);

    Reader r(root, file, "");
    FormDesign d;
    d.file = file;
    d.caption = QString::fromStdString(r.String("caption"));
    d.clientWidth = r.Int("clientWidth");
    d.clientHeight = r.Int("clientHeight");
    if (d.clientWidth <= 0) Fail(file, "clientWidth", QStringLiteral("must be positive"));
    if (d.clientHeight <= 0) Fail(file, "clientHeight", QStringLiteral("must be positive"));
    r.CheckPixels("clientWidth", {}, "width", d.clientWidth);
    r.CheckPixels("clientHeight", {}, "height", d.clientHeight);
    const std::string border = r.String("border");
    if (border == "fixedSingle")
        d.border = Border::FixedSingle;
    else if (border == "fixedToolWindow")
        d.border = Border::FixedToolWindow;
    else
        Fail(file, "border", QStringLiteral("expected \"fixedSingle\" or \"fixedToolWindow\""));
    if (r.Has("position")) {
        const Json& p = root.at("position");
        if (!p.is_array() || p.size() != 2 || !p[0].is_number_integer() ||
            !p[1].is_number_integer())
            Fail(file, "position", QStringLiteral("expected [left, top] in twips or null"));
        r.CheckPixels("position", {}, "left", Reader::Whole(p[0]));
        r.CheckPixels("position", {}, "top", Reader::Whole(p[1]));
        d.position = QPoint(int(Reader::Whole(p[0])), int(Reader::Whole(p[1])));
    }
    if (root.contains("backColor")) {
        const auto colour = ColourFromJson(root.at("backColor"));
        if (!colour)
            Fail(file, "backColor",
                 QStringLiteral("expected a colour (a number, \"&H8000000F&\" or \"0x00F7DFD6\")"));
        d.backColor = *colour;
    }
    d.icon = QString::fromStdString(r.String("icon", false));
    const Json& menus = r.Array("menu");
    for (std::size_t i = 0; i < menus.size(); ++i)
        d.menus.push_back(ReadMenu(menus[i], file, "menu[" + std::to_string(i) + "]"));
    const Json& controls = r.Array("controls");
    for (std::size_t i = 0; i < controls.size(); ++i)
        d.controls.push_back(ReadControl(controls[i], file, "controls[" + std::to_string(i) + "]"));
    return d;
}

FormDesign LoadDesign(const QString& name) {
    const QString file = name + QStringLiteral(".json");
    const QString path = ResolveResourcePath(QStringLiteral("forms/") + file);
    QString why;
    const std::optional<QByteArray> text = files::ReadInputFile(path, &why);
    if (!text) {
        if (why == QLatin1String("not found")) why = QStringLiteral("design file not found");
        throw DesignError(QStringLiteral("%1: %2 (%3)").arg(file, why, path).toStdString());
    }
    return ParseDesign(*text, file, gPlaceholders);
}

}  // namespace platform::forms
