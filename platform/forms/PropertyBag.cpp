#include "platform/forms/PropertyBag.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>

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

// A stored whole number: a number within 32 bits (a fraction goes to the nearest, halves to
// even) or a Boolean (True is -1). Nothing for anything else.
std::optional<std::int32_t> ToInt32(const Json& v) {
    if (v.is_boolean()) return v.get<bool>() ? -1 : 0;
    if (v.is_number_integer()) {
        const auto n = v.get<std::int64_t>();
        if (n < INT32_MIN || n > INT32_MAX) return std::nullopt;
        return std::int32_t(n);
    }
    if (v.is_number_float()) {
        const double d = v.get<double>();
        if (!(d >= INT32_MIN && d <= INT32_MAX)) return std::nullopt;
        return std::int32_t(std::llrint(d));
    }
    return std::nullopt;
}

RejectedValueHandler gRejected;

// Long values (a font object, say) are cut so that the report stays one readable line.
QString ValueText(const Json* v) {
    if (!v) return QStringLiteral("(missing)");
    QString text = QString::fromStdString(v->dump());
    constexpr qsizetype kMax = 60;
    if (text.size() > kMax) text = text.left(kMax - 3) + QStringLiteral("...");
    return text;
}

}  // namespace

QString RejectedValue::Message() const {
    QString where;
    if (!file.isEmpty()) where += file + QStringLiteral(": ");
    if (!control.isEmpty()) where += control + QStringLiteral(": ");
    return QStringLiteral("%1\"%2\" %3 %4; keeping the default")
        .arg(where, QString::fromStdString(key), value, problem);
}

RejectedValueHandler SetRejectedValueHandler(RejectedValueHandler handler) {
    std::swap(gRejected, handler);
    return handler;
}

RejectedValueLog::RejectedValueLog()
    : mSaved(SetRejectedValueHandler([this](const RejectedValue& v) { mValues.push_back(v); })) {}

RejectedValueLog::~RejectedValueLog() {
    SetRejectedValueHandler(std::move(mSaved));
}

std::optional<Colour> ColourFromJson(const Json& v) {
    if (v.is_number_integer()) {
        const auto n = v.get<std::int64_t>();
        if (n < INT32_MIN || n > std::int64_t(UINT32_MAX)) return std::nullopt;
        return Colour(std::uint32_t(n));
    }
    if (v.is_string()) return ParseColourText(v.get<std::string>());
    return std::nullopt;
}

PropertyBag::PropertyBag(Json object, QString file, QString control)
    : mFile(std::move(file)), mControl(std::move(control)) {
    if (object.is_null()) return;
    if (!object.is_object()) {
        throw DesignError(QStringLiteral("%1: a property bag must be a JSON object")
                              .arg(mFile.isEmpty() ? QStringLiteral("property bag") : mFile)
                              .toStdString());
    }
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

void PropertyBag::Reject(std::string_view key, const QString& problem) const {
    const RejectedValue rejected{mFile, mControl, std::string(key), ValueText(Find(key)), problem};
    if (gRejected) {
        gRejected(rejected);
        return;
    }
    std::fprintf(stderr, "quillmere: %s\n", qPrintable(rejected.Message()));
}

bool PropertyBag::Contains(std::string_view key) const {
    return Find(key) != nullptr;
}

std::int32_t PropertyBag::ReadInt(std::string_view key, std::int32_t def) const {
    const Json* v = Find(key);
    if (!v) return def;
    if (const auto n = ToInt32(*v)) return *n;
    Reject(key, v->is_number() ? QStringLiteral("is out of range")
                               : QStringLiteral("is not a whole number"));
    return def;
}

std::int32_t PropertyBag::ReadIntInRange(std::string_view key, std::int32_t def, std::int32_t lo,
                                         std::int32_t hi) const {
    const Json* v = Find(key);
    if (!v) return def;
    const auto n = ToInt32(*v);
    if (n && *n >= lo && *n <= hi) return *n;
    Reject(key, v->is_number() || v->is_boolean() ? QStringLiteral("is out of range")
                                                  : QStringLiteral("is not a whole number"));
    return def;
}

bool PropertyBag::ReadBool(std::string_view key, bool def) const {
    const Json* v = Find(key);
    if (!v) return def;
    if (v->is_boolean()) return v->get<bool>();
    if (v->is_number_integer()) return v->get<std::int64_t>() != 0;
    Reject(key, QStringLiteral("is not true or false"));
    return def;
}

QString PropertyBag::ReadString(std::string_view key, const QString& def) const {
    const Json* v = Find(key);
    if (!v) return def;
    if (v->is_string()) return QString::fromStdString(v->get<std::string>());
    Reject(key, QStringLiteral("is not text"));
    return def;
}

Colour PropertyBag::ReadColour(std::string_view key, Colour def) const {
    const Json* v = Find(key);
    if (!v) return def;
    if (const auto c = ColourFromJson(*v)) return *c;
    Reject(key, QStringLiteral("is not a colour (a number, \"&H8000000F&\" or \"0x00F7DFD6\")"));
    return def;
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
    if (!v->is_object()) {
        Reject(key, QStringLiteral("is not a font"));
        return def;
    }
    // Each part of the font is checked before it is read, so that a report names the part.
    if (v->contains("name") && !v->at("name").is_string()) {
        Reject(key, QStringLiteral("has a \"name\" that is not text"));
        return def;
    }
    if (v->contains("size")) {
        if (!v->at("size").is_number()) {
            Reject(key, QStringLiteral("has a \"size\" that is not a number"));
            return def;
        }
        // Qt ignores a size that is not positive; a stored one is a fault of the value.
        if (!(v->at("size").get<double>() > 0)) {
            Reject(key, QStringLiteral("has a size that is not positive"));
            return def;
        }
    }
    for (const char* flag : {"bold", "italic", "underline", "strikethrough"}) {
        if (v->contains(flag) && !v->at(flag).is_boolean()) {
            Reject(key, QStringLiteral("has a \"%1\" that is not true or false").arg(flag));
            return def;
        }
    }
    return FontFromJson(*v, def);
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
            const auto x = h.is_array() && h.size() == 2 && h[0].is_number_integer() ? ToInt32(h[0])
                                                                                     : std::nullopt;
            const auto y = h.is_array() && h.size() == 2 && h[1].is_number_integer() ? ToInt32(h[1])
                                                                                     : std::nullopt;
            if (!x || !y) {
                Reject(key, QStringLiteral("has a hotspot that is not [x, y]"));
                return {};
            }
            hotspot = QPoint(*x, *y);
        }
    } else {
        Reject(key, QStringLiteral("is not a picture file name"));
        return {};
    }
    if (name.isEmpty()) return {};
    // A name cut short at a NUL character would name another file: refused whole (the report
    // quotes the stored value with the character escaped).
    if (name.contains(QChar(0))) {
        Reject(key, QStringLiteral("has a picture name holding a NUL character"));
        return {};
    }
    try {
        return Picture::Load(ResolveResourcePath(name), hotspot);
    } catch (const PictureError& e) {
        Reject(key, QStringLiteral("cannot be shown: %1").arg(QString::fromUtf8(e.what())));
        return {};
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
