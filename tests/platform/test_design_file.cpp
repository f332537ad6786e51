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
