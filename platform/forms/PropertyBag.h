#pragma once
// The per-control store of design-time values. Invariants:
//  - keys keep the order in which they were first written;
//  - keys compare without regard to case ("userheight" finds "UserHeight"), and a write under
//    another spelling replaces the value in place, keeping the stored spelling;
//  - a typed read of a missing key gives the caller's default; a present key of the wrong type
//    throws PropertyError naming the source (design file and control) and the key;
//  - a write of a value equal to its default removes nothing and writes nothing, except the
//    Always variants, which the controls use for keys they save unconditionally.

#include <QFont>
#include <QString>
#include <nlohmann/json.hpp>
#include <stdexcept>
#include <string>
#include <string_view>

#include "platform/Colour.h"
#include "platform/Picture.h"

namespace platform::forms {

using Json = nlohmann::ordered_json;

class PropertyError : public std::runtime_error {
public:
    PropertyError(const QString& source, std::string_view key, const QString& problem);
    const QString& source() const { return mSource; }
    const std::string& key() const { return mKey; }

private:
    QString mSource;
    std::string mKey;
};

class PropertyBag {
public:
    PropertyBag() = default;
    // `object` must be a JSON object (or null for an empty bag); `source` names where it came
    // from in error messages, e.g. "frmMain.json, control EBXp6".
    explicit PropertyBag(Json object, QString source = {});

    bool Contains(std::string_view key) const;
    bool Empty() const { return mData.empty(); }
    const Json& json() const { return mData; }
    const QString& source() const { return mSource; }

    std::int32_t ReadInt(std::string_view key, std::int32_t def) const;
    bool ReadBool(std::string_view key, bool def) const;
    QString ReadString(std::string_view key, const QString& def = {}) const;
    Colour ReadColour(std::string_view key, Colour def) const;
    QFont ReadFont(std::string_view key, const QFont& def) const;
    // A picture is stored as a file name relative to the resources ("pictures/login.png") or
    // as {"file": ..., "hotspot": [x, y]}. A missing key gives no picture.
    Picture ReadPicture(std::string_view key) const;

    void WriteInt(std::string_view key, std::int32_t value, std::int32_t def);
    void WriteBool(std::string_view key, bool value, bool def);
    void WriteString(std::string_view key, const QString& value, const QString& def = {});
    void WriteColour(std::string_view key, Colour value, Colour def);
    void WriteIntAlways(std::string_view key, std::int32_t value);
    void WriteBoolAlways(std::string_view key, bool value);
    void WriteColourAlways(std::string_view key, Colour value);
    void WriteFontAlways(std::string_view key, const QFont& font);
    void WritePicture(std::string_view key, const Picture& picture);

    // The control's size in twips, which the host adds to every control's bag.
    void WriteExtent(int widthTwips, int heightTwips);

    static Json FontToJson(const QFont& font);
    static QFont FontFromJson(const Json& j, const QFont& def);

private:
    const Json* Find(std::string_view key) const;
    void Put(std::string_view key, Json value);
    [[noreturn]] void Fail(std::string_view key, const QString& problem) const;

    Json mData = Json::object();
    QString mSource;
};

}  // namespace platform::forms
