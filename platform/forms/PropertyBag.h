#pragma once
// The per-control store of design-time values. Invariants:
//  - keys keep the order in which they were first written;
//  - keys compare without regard to case ("userheight" finds "UserHeight"), and a write under
//    another spelling replaces the value in place, keeping the stored spelling;
//  - a typed read of a missing key gives the caller's default; a present value the read cannot
//    use (of the wrong type, out of range, a picture that cannot be read) gives the default too,
//    and is reported as a RejectedValue naming the design file, the control and the key. Reads
//    never throw: one bad stored value spoils one property, not the control or its window;
//  - a write of a value equal to its default removes nothing and writes nothing, except the
//    Always variants, which the controls use for keys they save unconditionally.

#include <QFont>
#include <QString>
#include <functional>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Colour.h"
#include "platform/Picture.h"

namespace platform::forms {

using Json = nlohmann::ordered_json;

// A stored value that a control cannot use; the read that met it gave the caller's default.
struct RejectedValue {
    QString file;     // the design file ("frmToolbar.json"), or empty
    QString control;  // the control ("gxButtons_H1"), or empty
    std::string key;  // as the control names it ("BackStyle")
    QString value;    // the stored value as JSON text ("42")
    QString problem;  // what is wrong with it ("is out of range")

    // frmToolbar.json: gxButtons_H1: "BackStyle" 42 is out of range; keeping the default
    QString Message() const;
};

// Where rejected values go. By default each one is a line on stderr: "quillmere: " and its
// message. Returns the handler it replaces; an empty handler restores the default.
using RejectedValueHandler = std::function<void(const RejectedValue&)>;
RejectedValueHandler SetRejectedValueHandler(RejectedValueHandler handler);

// While alive, keeps the rejected values instead of passing them on; restores the handler it
// replaced when it ends. For callers that judge the values themselves (a render that refuses
// them, a test).
class RejectedValueLog {
public:
    RejectedValueLog();
    ~RejectedValueLog();
    RejectedValueLog(const RejectedValueLog&) = delete;
    RejectedValueLog& operator=(const RejectedValueLog&) = delete;
    const std::vector<RejectedValue>& values() const { return mValues; }

private:
    std::vector<RejectedValue> mValues;
    RejectedValueHandler mSaved;
};

// A colour as stored: a number (negative for system colours, as 32-bit signed values are
// stored) or text "&H8000000F&" or "0x8000000F". Nothing for anything else.
std::optional<Colour> ColourFromJson(const Json& value);

class PropertyBag {
public:
    PropertyBag() = default;
    // `object` must be a JSON object (or null for an empty bag); throws DesignError otherwise.
    // `file` and `control` name where it came from when a value is rejected.
    explicit PropertyBag(Json object, QString file = {}, QString control = {});

    bool Contains(std::string_view key) const;
    bool Empty() const { return mData.empty(); }
    const Json& json() const { return mData; }

    std::int32_t ReadInt(std::string_view key, std::int32_t def) const;
    // An enumeration: a whole number from `lo` to `hi`; anything else is rejected.
    std::int32_t ReadIntInRange(std::string_view key, std::int32_t def, std::int32_t lo,
                                std::int32_t hi) const;
    bool ReadBool(std::string_view key, bool def) const;
    QString ReadString(std::string_view key, const QString& def = {}) const;
    Colour ReadColour(std::string_view key, Colour def) const;
    QFont ReadFont(std::string_view key, const QFont& def) const;
    // A picture is stored as a file name relative to the resources ("pictures/login.png") or
    // as {"file": ..., "hotspot": [x, y]}. A missing key gives no picture.
    Picture ReadPicture(std::string_view key) const;

    // Reports the value stored under `key` as one the control cannot use, for checks the
    // control makes itself; the caller then keeps its default. `problem` completes the
    // sentence that begins with the key and the value ("is out of range").
    void Reject(std::string_view key, const QString& problem) const;

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

    Json mData = Json::object();
    QString mFile;
    QString mControl;
};

}  // namespace platform::forms
