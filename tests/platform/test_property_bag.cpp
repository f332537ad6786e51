// The property bag: keys without regard to case, typed reads with defaults, writes that omit
// defaults, and errors that name the source and the key.

#include <gtest/gtest.h>

#include "platform/forms/PropertyBag.h"

using platform::forms::Json;
using platform::forms::PropertyBag;
using platform::forms::PropertyError;

TEST(PropertyBagTest, KeysMatchWithoutRegardToCaseAndMissingKeysReadAsDefaults) {
    const PropertyBag bag(Json::parse(R"({"userheight": 2415, "caption": " Student Tools",
        "expanded": -1, "dontcollapsed": false, "_extentx": 4895})"),
                          "frmMain.json, control EBXp6");
    EXPECT_EQ(bag.ReadInt("UserHeight", 0), 2415);
    EXPECT_EQ(bag.ReadString("Caption"), " Student Tools");
    EXPECT_TRUE(bag.ReadBool("Expanded", false));  // 16-bit True is -1
    EXPECT_FALSE(bag.ReadBool("DontCollapsed", true));
    EXPECT_EQ(bag.ReadInt("TheStep", 150), 150);
    EXPECT_EQ(bag.ReadColour("FillColor", 0x00F7DFD6u), 0x00F7DFD6u);
    EXPECT_TRUE(bag.ReadPicture("Icon").IsNone());
}

TEST(PropertyBagTest, ColoursInEveryStoredForm) {
    const PropertyBag bag(Json::parse(R"({"a": 16244694, "b": -2147483633, "c": "&H8000000F&",
        "d": "0x00FFFFFF", "e": 2147483663})"));
    EXPECT_EQ(bag.ReadColour("a", 0), 0x00F7DFD6u);
    EXPECT_EQ(bag.ReadColour("b", 0), 0x8000000Fu);
    EXPECT_EQ(bag.ReadColour("c", 0), 0x8000000Fu);
    EXPECT_EQ(bag.ReadColour("d", 0), 0x00FFFFFFu);
    EXPECT_EQ(bag.ReadColour("e", 0), 0x8000000Fu);
}

TEST(PropertyBagTest, WrongTypesNameTheSourceAndTheKey) {
    const PropertyBag bag(Json::parse(R"({"UserHeight": "tall", "cBack": "blue", "Font": 3,
        "Image": "pictures/none-such.png", "Big": 99999999999})"),
                          "frmMain.json, control EBXp6");
    auto message = [&](auto read) -> std::string {
        try {
            read();
        } catch (const PropertyError& e) {
            return e.what();
        }
        return "no error";
    };
    const std::string m1 = message([&] { bag.ReadInt("userheight", 0); });
    EXPECT_NE(m1.find("frmMain.json, control EBXp6"), std::string::npos) << m1;
    EXPECT_NE(m1.find("\"userheight\""), std::string::npos) << m1;
    EXPECT_NE(message([&] { bag.ReadColour("cBack", 0); }).find("\"cBack\""), std::string::npos);
    EXPECT_NE(message([&] { bag.ReadFont("Font", QFont()); }).find("font"), std::string::npos);
    const std::string m4 = message([&] { bag.ReadPicture("Image"); });
    EXPECT_NE(m4.find("\"Image\""), std::string::npos) << m4;
    EXPECT_NE(m4.find("none-such.png"), std::string::npos) << m4;
    EXPECT_NE(message([&] { bag.ReadInt("Big", 0); }).find("out of range"), std::string::npos);
}

TEST(PropertyBagTest, WritesKeepOrderOmitDefaultsAndReplaceOtherSpellings) {
    PropertyBag bag(Json::parse(R"({"cbhover": 1})"));
    bag.WriteString("Caption", "Login");
    bag.WriteInt("CapAlign", 2, 2);  // default: not written
    bag.WriteInt("BackStyle", 2, 0);
    bag.WriteIntAlways("Mode", 0);
    bag.WriteBoolAlways("Value", false);
    bag.WriteColour("cBhover", 5, 0);  // replaces "cbhover" in place
    bag.WriteExtent(1815, 615);
    std::vector<std::string> keys;
    for (auto it = bag.json().begin(); it != bag.json().end(); ++it) keys.push_back(it.key());
    EXPECT_EQ(keys, (std::vector<std::string>{"cbhover", "Caption", "BackStyle", "Mode", "Value",
                                              "_extentx", "_extenty"}));
    EXPECT_EQ(bag.ReadColour("CBHOVER", 0), 5u);
}

TEST(PropertyBagTest, FontsRoundTrip) {
    QFont f(QStringLiteral("Times New Roman"));
    f.setPointSizeF(9);
    f.setItalic(true);
    PropertyBag bag;
    bag.WriteFontAlways("Font", f);
    const QFont back = bag.ReadFont("font", QFont());
    EXPECT_EQ(back.family(), "Times New Roman");
    EXPECT_EQ(back.pointSizeF(), 9.0);
    EXPECT_TRUE(back.italic());
    EXPECT_FALSE(back.bold());
}
