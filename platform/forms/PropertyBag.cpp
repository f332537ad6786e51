#include "platform/forms/PropertyBag.h"

#include <algorithm>
#include <cctype>

#include "platform/forms/DesignFile.h"

namespace platform::forms {

namespace {

bool SameKey(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

// Colours may be written as numbers (negative for system colours, as 32-bit signed values are
// stored) or as text "&H8000000F&" or "0x8000000F".
std::optional<Colour> ParseColourText(std::string text) {
    if (!text.empty() && text.back() == '&') text.pop_back();
    int base = 10;
    std::size_t start = 0;
    if (text.size() > 2 && (text[0] == '&') && (text[1] == 'H' || text[1] == 'h')) {
        base = 16;
        start = 2;
    } else if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        start = 2;
    }
    if (start >= text.size()) return std::nullopt;
    try {
        std::size_t used = 0;
        const long long v = std::stoll(text.substr(start), &used, base);
        if (used != text.size() - start) return std::nullopt;
        if (v < INT32_MIN || v > UINT32_MAX) return std::nullopt;
        return Colour(std::uint32_t(v));
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

}  // namespace

PropertyError::PropertyError(const QString& source, std::string_view key, const QString& problem)
    : std::runtime_error(QStringLiteral("%1: key \"%2\": %3")
                             .arg(source.isEmpty() ? QStringLiteral("property bag") : source,
                                  QString::fromUtf8(key.data(), qsizetype(key.size())), problem)
                             .toStdString()),
      mSource(source),
      mKey(key) {}

PropertyBag::PropertyBag(Json object, QString source) : mSource(std::move(source)) {
    if (object.is_null()) return;
    if (!object.is_object()) Fail("", QStringLiteral("a property bag must be a JSON object"));
    mData = std::move(object);
}

const Json* PropertyBag::Find(std::string_view key) const {
    for (auto it = mData.begin(); it != mData.end(); ++it) {
        if (SameKey(it.key(), key)) return &it.value();
    }
    return nullptr;
}

void PropertyBag::Put(std::string_view key, Json value) {
    for (auto it = mData.begin(); it != mData.end(); ++it) {
        if (SameKey(it.key(), key)) {
            it.value() = std::move(value);
            return;
        }
    }
    mData[std::string(key)] = std::move(value);
}

void PropertyBag::Fail(std::string_view key, const QString& problem) const {
    throw PropertyError(mSource, key, problem);
}

bool PropertyBag::Contains(std::string_view key) const {
    return Find(key) != nullptr;
}

std::int32_t PropertyBag::ReadInt(std::string_view key, std::int32_t def) const {
    const Json* v = Find(key);
    if (!v) return def;
    if (v->is_boolean()) return v->get<bool>() ? -1 : 0;
    if (v->is_number_integer()) {
        const auto n = v->get<std::int64_t>();
        if (n < INT32_MIN || n > INT32_MAX) Fail(key, QStringLiteral("number out of range"));
        return std::int32_t(n);
    }
    if (v->is_number_float()) {
        const double d = v->get<double>();
        if (!(d >= INT32_MIN && d <= INT32_MAX)) Fail(key, QStringLiteral("number out of range"));
        return std::int32_t(std::llrint(d));
    }
    Fail(key, QStringLiteral("expected a whole number"));
}

bool PropertyBag::ReadBool(std::string_view key, bool def) const {
    const Json* v = Find(key);
    if (!v) return def;
    if (v->is_boolean()) return v->get<bool>();
    if (v->is_number_integer()) return v->get<std::int64_t>() != 0;
    Fail(key, QStringLiteral("expected true or false"));
}

QString PropertyBag::ReadString(std::string_view key, const QString& def) const {
    const Json* v = Find(key);
    if (!v) return def;
    if (!v->is_string()) Fail(key, QStringLiteral("expected text"));
    return QString::fromStdString(v->get<std::string>());
}

Colour PropertyBag::ReadColour(std::string_view key, Colour def) const {
    const Json* v = Find(key);
    if (!v) return def;
    if (v->is_number_integer()) {
        const auto n = v->get<std::int64_t>();
        if (n < INT32_MIN || n > std::int64_t(UINT32_MAX))
            Fail(key, QStringLiteral("colour out of range"));
        return Colour(std::uint32_t(n));
    }
    if (v->is_string()) {
        if (auto c = ParseColourText(v->get<std::string>())) return *c;
    }
    Fail(key, QStringLiteral("expected a colour (a number, \"&H8000000F&\" or \"0x00F7DFD6\")"));
}

Json PropertyBag::FontToJson(const QFont& font) {
    Json j = Json::object();
    j["name"] = font.family().toStdString();
    j["size"] = font.pointSizeF();
    j["bold"] = font.bold();
    j["italic"] = font.italic();
    j["underline"] = font.underline();
    j["strikethrough"] = font.strikeOut();
    return j;
}

QFont PropertyBag::FontFromJson(const Json& j, const QFont& def) {
    QFont f = def;
    if (j.contains("name")) f.setFamily(QString::fromStdString(j.at("name").get<std::string>()));
    if (j.contains("size")) f.setPointSizeF(j.at("size").get<double>());
    if (j.contains("bold")) f.setBold(j.at("bold").get<bool>());
    if (j.contains("italic")) f.setItalic(j.at("italic").get<bool>());
    if (j.contains("underline")) f.setUnderline(j.at("underline").get<bool>());
    if (j.contains("strikethrough")) f.setStrikeOut(j.at("strikethrough").get<bool>());
    return f;
}

QFont PropertyBag::ReadFont(std::string_view key, const QFont& def) const {
    const Json* v = Find(key);
    if (!v) return def;
    if (!v->is_object()) Fail(key, QStringLiteral("expected a font object"));
    try {
        const QFont f = FontFromJson(*v, def);
        if (f.pointSizeF() <= 0) Fail(key, QStringLiteral("font size must be positive"));
        return f;
    } catch (const Json::exception& e) {
        Fail(key, QStringLiteral("bad font: %1").arg(QString::fromUtf8(e.what())));
    }
}

Picture PropertyBag::ReadPicture(std::string_view key) const {
    const Json* v = Find(key);
    if (!v || v->is_null()) return {};
    QString name;
    QPoint hotspot;
    if (v->is_string()) {
        name = QString::fromStdString(v->get<std::string>());
    } else if (v->is_object() && v->contains("file") && v->at("file").is_string()) {
        name = QString::fromStdString(v->at("file").get<std::string>());
        if (v->contains("hotspot")) {
            const Json& h = v->at("hotspot");
            if (!h.is_array() || h.size() != 2 || !h[0].is_number_integer() ||
                !h[1].is_number_integer())
                Fail(key, QStringLiteral("hotspot must be [x, y]"));
            hotspot = QPoint(h[0].get<int>(), h[1].get<int>());
        }
    } else {
        Fail(key, QStringLiteral("expected a picture file name"));
    }
    if (name.isEmpty()) return {};
    try {
        return Picture::Load(ResolveResourcePath(name), hotspot);
    } catch (const PictureError& e) {
        Fail(key, QString::fromUtf8(e.what()));
    }
}

void PropertyBag::WriteInt(std::string_view key, std::int32_t value, std::int32_t def) {
    if (value != def) Put(key, value);
}
void PropertyBag::WriteBool(std::string_view key, bool value, bool def) {
    if (value != def) Put(key, value);
}
void PropertyBag::WriteString(std::string_view key, const QString& value, const QString& def) {
    if (value != def) Put(key, value.toStdString());
}
void PropertyBag::WriteColour(std::string_view key, Colour value, Colour def) {
    if (value != def) Put(key, value);
}
void PropertyBag::WriteIntAlways(std::string_view key, std::int32_t value) {
    Put(key, value);
}
void PropertyBag::WriteBoolAlways(std::string_view key, bool value) {
    Put(key, value);
}
void PropertyBag::WriteColourAlways(std::string_view key, Colour value) {
    Put(key, value);
}
void PropertyBag::WriteFontAlways(std::string_view key, const QFont& font) {
    Put(key, FontToJson(font));
}
void PropertyBag::WritePicture(std::string_view key, const Picture& picture) {
    if (picture.IsNone()) return;
    QString name = picture.name();
    if (name.startsWith(QLatin1String(":/"))) name = name.mid(2);
    Put(key, name.toStdString());
}

void PropertyBag::WriteExtent(int widthTwips, int heightTwips) {
    Put("_extentx", widthTwips);
    Put("_extenty", heightTwips);
}

}  // namespace platform::forms
