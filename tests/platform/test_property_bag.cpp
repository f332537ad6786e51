// The property bag: keys without regard to case, typed reads with defaults, writes that omit
// defaults, and values it cannot use reported with the file, control and key, their reads
// giving the default.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QImageReader>

#include "platform/forms/PropertyBag.h"

using platform::forms::Json;
using platform::forms::PropertyBag;
using platform::forms::RejectedValueLog;

TEST(PropertyBagTest, KeysMatchWithoutRegardToCaseAndMissingKeysReadAsDefaults) {
    const PropertyBag bag(Json::parse(R"({"userheight": 2415, "caption": " Student Tools",
        "expanded": -1, "dontcollapsed": false, "_extentx": 4895})"),
                          "frmMain.json", "EBXp6");
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

TEST(PropertyBagTest, ValuesItCannotUseGiveTheDefaultAndAreReportedOnce) {
    const PropertyBag bag(Json::parse(R"({"UserHeight": "tall", "cBack": "blue", "Font": 3,
        "Image": "pictures/none-such.png", "Big": 99999999999, "Style": 9, "Flag": "yes",
        "Caption": 12, "Cursor": {"file": "pictures/ico_login.png", "hotspot": [1]},
        "Small": {"name": "Arial", "size": -2}, "Ok": 2})"),
                          "frmMain.json", "EBXp6");
    const RejectedValueLog log;
    EXPECT_EQ(bag.ReadInt("userheight", 7), 7);
    EXPECT_EQ(bag.ReadColour("cBack", 5), 5u);
    EXPECT_EQ(bag.ReadFont("Font", QFont("Courier")).family(), "Courier");
    EXPECT_TRUE(bag.ReadPicture("Image").IsNone());
    EXPECT_EQ(bag.ReadInt("Big", 1), 1);
    EXPECT_EQ(bag.ReadIntInRange("Style", 3, 0, 7), 3);
    EXPECT_EQ(bag.ReadIntInRange("UserHeight", 4, 0, 7), 4);
    EXPECT_TRUE(bag.ReadBool("Flag", true));
    EXPECT_EQ(bag.ReadString("Caption", "x"), "x");
    EXPECT_TRUE(bag.ReadPicture("Cursor").IsNone());
    EXPECT_EQ(bag.ReadFont("Small", QFont("Courier")).family(), "Courier");
    EXPECT_EQ(bag.ReadIntInRange("Ok", 0, 0, 2), 2);  // in range: no report
    EXPECT_EQ(bag.ReadIntInRange("Missing", 1, 0, 2), 1);

    std::vector<std::string> keys;
    for (const auto& v : log.values()) {
        keys.push_back(v.key);
        EXPECT_EQ(v.file, "frmMain.json");
        EXPECT_EQ(v.control, "EBXp6");
    }
    EXPECT_EQ(keys,
              (std::vector<std::string>{"userheight", "cBack", "Font", "Image", "Big", "Style",
                                        "UserHeight", "Flag", "Caption", "Cursor", "Small"}));
    ASSERT_EQ(log.values().size(), keys.size());
    EXPECT_EQ(log.values()[5].Message().toStdString(),
              R"(frmMain.json: EBXp6: "Style" 9 is out of range; keeping the default)");
    EXPECT_EQ(log.values()[0].value, R"("tall")");
    EXPECT_TRUE(log.values()[3].problem.contains("none-such.png"))
        << log.values()[3].problem.toStdString();
    EXPECT_TRUE(log.values()[4].problem.contains("out of range"));
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

TEST(PropertyBagTest, BadFontsAndPictureNamesAreReportedInOurWords) {
    const PropertyBag bag(Json::parse(R"({"Font": {"name": "Arial", "size": "big"},
        "Title": {"bold": 1}, "Label": {"name": 12}, "Image": "pictures/app32.png\u0000.bmp"})"),
                          "Form1.json", "Command1");
    const RejectedValueLog log;
    EXPECT_EQ(bag.ReadFont("Font", QFont("Courier")).family(), "Courier");
    EXPECT_EQ(bag.ReadFont("Title", QFont("Courier")).family(), "Courier");
    EXPECT_EQ(bag.ReadFont("Label", QFont("Courier")).family(), "Courier");
    EXPECT_TRUE(bag.ReadPicture("Image").IsNone());
    ASSERT_EQ(log.values().size(), 4u);
    EXPECT_EQ(log.values()[0].problem, R"(has a "size" that is not a number)");
    EXPECT_EQ(log.values()[1].problem, R"(has a "bold" that is not true or false)");
    EXPECT_EQ(log.values()[2].problem, R"(has a "name" that is not text)");
    // The name is quoted whole, its NUL escaped, and the picture before it is not loaded.
    EXPECT_EQ(log.values()[3].value, R"("pictures/app32.png\u0000.bmp")");
    EXPECT_TRUE(log.values()[3].problem.contains("NUL")) << log.values()[3].problem.toStdString();
}

TEST(PropertyBagTest, PicturesBeyondTheDecodingLimitNameTheirSize) {
    const QString file = QDir::temp().filePath(QStringLiteral("qm_large_picture.png"));
    QImage image(1200, 1000, QImage::Format_RGB32);
    image.fill(Qt::white);
    ASSERT_TRUE(image.save(file, "PNG"));
    const int saved = QImageReader::allocationLimit();
    QImageReader::setAllocationLimit(4);
    const PropertyBag bag(Json{{"Image", file.toStdString()}}, "Form1.json", "Command1");
    const RejectedValueLog log;
    EXPECT_TRUE(bag.ReadPicture("Image").IsNone());
    QImageReader::setAllocationLimit(saved);
    QFile::remove(file);
    ASSERT_EQ(log.values().size(), 1u);
    const QString problem = log.values()[0].problem;
    EXPECT_TRUE(problem.contains(file + ": picture too large: 1200 x 1000 needs 5 MiB, the limit "
                                        "is 4 MiB"))
        << problem.toStdString();
}
