// Design files: placeholders, checks that name the file and the key, and every shipped window.

#include <gtest/gtest.h>

#include <QDirIterator>

#include "platform/forms/DesignFile.h"

using namespace platform::forms;

namespace {
Placeholders Values() {
    Placeholders p;
    p.portal = "http://sis.test:8080";
    p.portalHost = "sis.test:8080";
    p.webmail = "mail.test";
    p.guestUser = "guest";
    p.guestPassword = "pw";
    return p;
}

std::string ErrorOf(const char* text) {
    try {
        ParseDesign(QByteArray(text), "Test.json", Values());
    } catch (const DesignError& e) {
        return e.what();
    }
    return "no error";
}
}  // namespace

TEST(DesignFileTest, ReadsAWindowAndFillsPlaceholders) {
    const FormDesign d = ParseDesign(R"({
        "caption": "  Attendance Records", "clientWidth": 6495, "clientHeight": 6735,
        "border": "fixedToolWindow", "position": [8355, 1425], "backColor": "&H00F7DFD6&",
        "menu": [{"name": "file", "caption": "File", "items": [{"name": "close", "caption": "Close"}]}],
        "controls": [
          {"type": "EBXp", "name": "EBXp1", "rect": [0, 0, 6495, 6735], "bag": {"caption": "Attendace"},
           "children": [{"type": "TextBox", "name": "Text1", "visible": false,
                         "bag": {"Text": "${portal}/x?u=${guestUser}&p=${guestPassword} ${webmail} ${portalHost}"}}]},
          {"type": "Line", "name": "Line1", "index": 1}
        ]})",
                                     "Form2.json", Values());
    EXPECT_EQ(d.caption, "  Attendance Records");
    EXPECT_EQ(d.border, Border::FixedToolWindow);
    EXPECT_EQ(d.position, QPoint(8355, 1425));
    EXPECT_EQ(d.backColor, 0x00F7DFD6u);
    ASSERT_EQ(d.menus.size(), 1u);
    EXPECT_EQ(d.menus[0].items[0].name, "close");
    ASSERT_EQ(d.controls.size(), 2u);
    EXPECT_EQ(d.controls[0].rect, QRect(0, 0, 6495, 6735));
    const ControlDesign& text = d.controls[0].children[0];
    EXPECT_FALSE(text.visible);
    EXPECT_EQ(text.bag.ReadString("Text"),
              "http://sis.test:8080/x?u=guest&p=pw mail.test sis.test:8080");
    EXPECT_EQ(d.controls[1].QualifiedName(), "Line1(1)");
    EXPECT_FALSE(d.controls[1].rect.has_value());
}

TEST(DesignFileTest, ConfiguredValuesInCaptionsTakeNoAccessKeys) {
    Placeholders v = Values();
    v.guestUser = "R&D";
    v.guestPassword = "p&&w";
    const FormDesign d = ParseDesign(R"({
        "caption": "x", "clientWidth": 10, "clientHeight": 10, "border": "fixedSingle",
        "controls": [
          {"type": "Label", "name": "Label1", "bag": {"Caption": "&User: ${guestUser}"}},
          {"type": "Label", "name": "Label2", "bag": {"caption": "Password: ${guestPassword}"}},
          {"type": "TextBox", "name": "Text1", "bag": {"Text": "${portal}/x?u=${guestUser}"}}
        ]})",
                                     "Form5.json", v);
    // The design's own access key stays; the configured values show as they are.
    EXPECT_EQ(d.controls[0].bag.ReadString("Caption"), "&User: R&&D");
    EXPECT_EQ(d.controls[1].bag.ReadString("Caption"), "Password: p&&&&w");
    // Addresses are no captions.
    EXPECT_EQ(d.controls[2].bag.ReadString("Text"), "http://sis.test:8080/x?u=R&D");
}

TEST(DesignFileTest, BrokenFilesNameTheFileAndTheKey) {
    const char* head =
        R"("caption": "x", "clientWidth": 10, "clientHeight": 10, "border": "fixedSingle")";
    auto with = [&](const std::string& rest) {
        std::string json = "{";
        json.append(head).append(rest).append("}");
        return json;
    };
    EXPECT_NE(ErrorOf("{ not json").find("Test.json: not valid JSON"), std::string::npos);
    EXPECT_NE(ErrorOf(R"({"caption": "x"})").find("key \"clientWidth\": missing"),
              std::string::npos);
    EXPECT_NE(
        ErrorOf(R"({"caption": "x", "clientWidth": 10, "clientHeight": 10, "border": "round"})")
            .find("key \"border\""),
        std::string::npos);
    const std::string rect =
        ErrorOf(with(R"(, "controls": [{"type": "Label", "name": "L", "rect": [1, 2]}])").c_str());
    EXPECT_NE(rect.find("Test.json: key \"controls[0].rect\""), std::string::npos) << rect;
    const std::string nested = ErrorOf(
        with(R"(, "controls": [{"type": "Frame", "name": "F", "children": [{"type": "Label"}]}])")
            .c_str());
    EXPECT_NE(nested.find("key \"controls[0].children[0].name\": missing"), std::string::npos)
        << nested;
    const std::string ph = ErrorOf(
        with(R"(, "controls": [{"type": "TextBox", "name": "T", "bag": {"Text": "${nope}"}}])")
            .c_str());
    EXPECT_NE(ph.find("key \"controls[0].bag.Text\": unknown placeholder ${nope}"),
              std::string::npos)
        << ph;
}

TEST(DesignFileTest, EveryShippedDesignFileReads) {
    int count = 0;
    for (QDirIterator it(":/forms", {"*.json"}); it.hasNext();) {
        const QString name = QFileInfo(it.next()).baseName();
        SCOPED_TRACE(name.toStdString());
        SetPlaceholders(Values());
        EXPECT_NO_THROW(LoadDesign(name));
        ++count;
    }
    EXPECT_EQ(count, 11);
    EXPECT_THROW(LoadDesign("NoSuchWindow"), DesignError);
}

TEST(DesignFileTest, PositionsAndSizesStayWithinWhatCanBeDrawn) {
    auto control = [](const char* rect) {
        return ErrorOf((std::string(R"({"caption": "x", "clientWidth": 10, "clientHeight": 10,
            "border": "fixedSingle", "controls": [{"type": "gxButtons_H", "name": "Go", "rect": )") +
                        rect + "}]}")
                           .c_str());
    };
    // 491,520 twips are 32,768 pixels, one more than a surface can have.
    const std::string wide = control("[0, 0, 491520, 600]");
    EXPECT_NE(wide.find("Test.json: key \"controls[0].rect\": Go: width 491520 twips is 32768 "
                        "pixels"),
              std::string::npos)
        << wide;
    EXPECT_EQ(control("[0, 0, 491512, 600]"), "no error");  // 32,767 pixels
    // Beyond 32 bits: checked before any sum or conversion.
    const std::string far = control("[2147483647, 0, 1815, 600]");
    EXPECT_NE(far.find("key \"controls[0].rect\": Go: left 2147483647 twips"), std::string::npos)
        << far;
    const std::string huge = control("[0, 0, 600, 18446744073709551615]");
    EXPECT_NE(huge.find("key \"controls[0].rect\": Go: height"), std::string::npos) << huge;
    const std::string negative = control("[0, 0, -15, 600]");
    EXPECT_NE(negative.find("Go: negative width -15"), std::string::npos) << negative;

    const std::string client = ErrorOf(
        R"({"caption": "x", "clientWidth": 4294967306, "clientHeight": 10, "border": "fixedSingle"})");
    EXPECT_NE(client.find("key \"clientWidth\": 4294967306 is out of range"), std::string::npos)
        << client;
    const std::string tall = ErrorOf(
        R"({"caption": "x", "clientWidth": 10, "clientHeight": 600000, "border": "fixedSingle"})");
    EXPECT_NE(tall.find("key \"clientHeight\": height 600000 twips is 40000 pixels"),
              std::string::npos)
        << tall;
    const std::string position = ErrorOf(R"({"caption": "x", "clientWidth": 10, "clientHeight": 10,
                    "border": "fixedSingle", "position": [0, -2147483648]})");
    EXPECT_NE(position.find("key \"position\": top -2147483648 twips"), std::string::npos)
        << position;
}

TEST(DesignFileTest, NestingIsRefusedBeyondSixtyFourLevels) {
    auto nested = [](int depth) {
        std::string json = R"({"caption": "x", "clientWidth": 10, "clientHeight": 10,
            "border": "fixedSingle", "unused": )";
        json.append(std::size_t(depth - 1), '[').append("\"[{\"");
        json.append(std::size_t(depth - 1), ']').append("}");
        return json;
    };
    // The top-level object is the first level; brackets inside strings do not count.
    EXPECT_EQ(ErrorOf(nested(64).c_str()), "no error");
    const std::string deep = ErrorOf(nested(65).c_str());
    EXPECT_NE(deep.find("Test.json: objects and lists nest deeper than 64 levels"),
              std::string::npos)
        << deep;
    EXPECT_NE(ErrorOf(nested(30000).c_str()).find("nest deeper than 64"), std::string::npos);
    // Broken text is described in our words, with where it breaks.
    const std::string broken = ErrorOf("{\"caption\": ");
    EXPECT_NE(broken.find("Test.json: not valid JSON (broken at byte"), std::string::npos)
        << broken;
    EXPECT_EQ(broken.find("json.exception"), std::string::npos) << broken;
    // A number no double can hold is refused like broken text, not thrown past the reader.
    const std::string huge = ErrorOf("{\"caption\": \"x\", \"unused\": -1e225522}");
    EXPECT_EQ(huge, "Test.json: not valid JSON (a number too large to read)");
}
