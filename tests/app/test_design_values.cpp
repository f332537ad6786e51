// A stored value a control cannot use spoils that property only: the window still opens, the
// property keeps its default, the control's other values load, and one line on stderr names
// the design file, the control and the key.

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <functional>

#include "controls/EBXp/EBXp.h"
#include "controls/ScrollPicture/ScrollPicture.h"
#include "controls/gxButtons_H/gxButtons_H.h"
#include "forms/ToolWindows.h"
#include "platform/forms/StandardControls.h"
#include "tests/app/Fixture.h"

using platform::forms::FormWindow;
using platform::forms::Json;

namespace {

class StoredValueTest : public ProgramTest {
protected:
    void SetUp() override {
        ProgramTest::SetUp();
        ASSERT_TRUE(mDir.isValid());
        QDir(mDir.path()).mkpath(QStringLiteral("forms"));
        platform::forms::SetDesignDirectory(mDir.path());
    }
    void TearDown() override {
        platform::forms::SetDesignDirectory({});
        ProgramTest::TearDown();
    }

    void Write(const QString& window, const Json& design) {
        QFile f(mDir.filePath(QStringLiteral("forms/%1.json").arg(window)));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QByteArray::fromStdString(design.dump(2)));
    }

    // Shows `window` and returns the program's own lines on stderr (Qt's notes left out).
    // A window that refuses to open is a failure of the test.
    static QStringList ShowAndCapture(FormWindow& window) {
        testing::internal::CaptureStderr();
        QString refused;
        try {
            window.Show();
        } catch (const std::exception& e) {
            refused = QString::fromUtf8(e.what());
        }
        const QString err = QString::fromStdString(testing::internal::GetCapturedStderr());
        EXPECT_TRUE(refused.isEmpty()) << "the window did not open: " << refused.toStdString();
        EXPECT_TRUE(window.IsLoaded());
        QStringList ours;
        for (const QString& line : err.split(QLatin1Char('\n')))
            if (line.startsWith(QLatin1String("quillmere: "))) ours << line;
        return ours;
    }

    QTemporaryDir mDir;
};

// The shipped design of `window` as JSON.
Json Shipped(const QString& window) {
    QFile f(QStringLiteral(":/forms/%1.json").arg(window));
    EXPECT_TRUE(f.open(QIODevice::ReadOnly));
    return Json::parse(f.readAll().toStdString());
}

// The control called `name` anywhere in the tree of `controls`.
Json* FindControl(Json& controls, const std::string& name) {
    for (Json& c : controls) {
        if (c.at("name") == name) return &c;
        if (c.contains("children"))
            if (Json* found = FindControl(c.at("children"), name)) return found;
    }
    return nullptr;
}

}  // namespace

TEST_F(StoredValueTest, TheToolbarOpensWithOneButtonStyleOutOfRange) {
    Json design = Shipped(QStringLiteral("frmToolbar"));
    Json* button = FindControl(design.at("controls"), "gxButtons_H1");
    ASSERT_NE(button, nullptr);
    button->at("bag")["BackStyle"] = 42;
    Write(QStringLiteral("frmToolbar"), design);

    auto& toolbar = platform::forms::Instance<frmToolbar>();
    const QStringList lines = ShowAndCapture(toolbar);
    ASSERT_TRUE(toolbar.IsLoaded());
    EXPECT_EQ(lines, QStringList({"quillmere: frmToolbar.json: gxButtons_H1: \"BackStyle\" 42 is "
                                  "out of range; keeping the default"}));
    auto* b = toolbar.Ctl<gxButtons_H>(QStringLiteral("gxButtons_H1"));
    EXPECT_EQ(b->ButtonStyle(), 0);
    EXPECT_EQ(b->CaptionAlign(), 1);
    EXPECT_EQ(b->Caption(), "Upload your assignments to your teacher");
    // Its neighbours read their own values as stored.
    EXPECT_EQ(toolbar.Ctl<gxButtons_H>(QStringLiteral("gxButtons_H3"))->ButtonStyle(), 2);
    toolbar.Unload();
}

// One window holding every kind of control, each with one value it cannot use among good ones.
TEST_F(StoredValueTest, EachControlKeepsTheDefaultOfItsBadValueOnly) {
    using namespace platform::forms;
    struct Case {
        const char* type;
        const char* name;
        const char* bag;
        const char* key;
        std::function<void(QObject*)> check;
    };
    const std::vector<Case> cases = {
        {"gxButtons_H", "Shaped", R"({"Caption": "Go", "Shape": -3, "BackStyle": 3})", "Shape",
         [](QObject* o) {
             auto* b = qobject_cast<gxButtons_H*>(o);
             EXPECT_EQ(b->ButtonShape(), 0);
             EXPECT_EQ(b->ButtonStyle(), 3);
             EXPECT_EQ(b->Caption(), "Go");
         }},
        {"EBXp", "Panel", R"({"Caption": "Tools", "Alignment": 7, "TheStep": 75,
                              "FillColor": 16777215})",
         "Alignment",
         [](QObject* o) {
             auto* p = qobject_cast<EBXp*>(o);
             EXPECT_EQ(p->Alignment(), 0);
             EXPECT_EQ(p->Caption(), "Tools");
             EXPECT_EQ(p->TheStep(), 75);
             EXPECT_EQ(p->FillColor(), 0x00FFFFFFu);
         }},
        {"EBXp", "PanelIcon", R"({"Caption": "Info", "Icon": "pictures/gone.png"})", "Icon",
         [](QObject* o) {
             auto* p = qobject_cast<EBXp*>(o);
             EXPECT_TRUE(p->Icon().IsNone());
             EXPECT_EQ(p->Caption(), "Info");
         }},
        // The viewer reads its colour for itself and its picture box: still one line.
        {"ScrollPicture", "Viewer", R"({"BackColor": "blue", "Enabled": false})", "BackColor",
         [](QObject* o) {
             auto* v = qobject_cast<ScrollPicture*>(o);
             EXPECT_EQ(v->BackColor(), platform::kButtonFace);
             EXPECT_FALSE(v->Enabled());
         }},
        {"Label", "Label1", R"({"Caption": "Hi", "Alignment": "centre", "ForeColor": 255})",
         "Alignment",
         [](QObject* o) {
             auto* l = qobject_cast<Label*>(o);
             EXPECT_EQ(l->Alignment(), 0);
             EXPECT_EQ(l->ForeColor(), 255u);
             EXPECT_EQ(l->Caption(), "Hi");
         }},
        {"Label", "Label2", R"({"Caption": "x", "BackStyle": 5, "BackColor": 255})", "BackStyle",
         [](QObject* o) {
             auto* l = qobject_cast<Label*>(o);
             EXPECT_FALSE(l->Transparent());
             EXPECT_EQ(l->BackColor(), 255u);
         }},
        {"Image", "Image1", R"({"Picture": "pictures/nowhere.png"})", "Picture",
         [](QObject* o) { EXPECT_TRUE(qobject_cast<Image*>(o)->Picture().IsNone()); }},
        {"TextBox", "Text1", R"({"Text": "http://portal.test/a", "Font": 3})", "Font",
         [](QObject* o) {
             auto* t = qobject_cast<TextBox*>(o);
             EXPECT_EQ(t->text(), "http://portal.test/a");
             EXPECT_EQ(t->font().family(), "Arial");
         }},
        {"CommandButton", "Command1", R"({"Caption": "OK", "Default": "yes", "Cancel": true})",
         "Default",
         [](QObject* o) {
             auto* c = qobject_cast<CommandButton*>(o);
             EXPECT_FALSE(c->isDefault());
             EXPECT_TRUE(c->IsCancel());
             EXPECT_EQ(c->text(), "OK");
         }},
        {"Frame", "Frame1", R"({"Caption": "Box", "BackColor": "none"})", "BackColor",
         [](QObject* o) {
             auto* f = qobject_cast<Frame*>(o);
             EXPECT_EQ(f->BackColor(), platform::kButtonFace);
             EXPECT_EQ(f->Caption(), "Box");
         }},
        {"Line", "Line1", R"({"X1": "left", "Y1": 150, "X2": 1500, "Y2": 150})", "X1",
         [](QObject* o) { EXPECT_EQ(qobject_cast<Line*>(o)->geometry(), QRect(0, 10, 101, 1)); }},
    };
    Json controls = Json::array();
    int top = 0;
    for (const Case& c : cases) {
        Json control = {{"type", c.type}, {"name", c.name}, {"bag", Json::parse(c.bag)}};
        if (std::string(c.type) != "Line") control["rect"] = {0, top, 3000, 600};
        controls.push_back(control);
        top += 600;
    }
    Write(QStringLiteral("Values"), {{"caption", "Values"},
                                     {"clientWidth", 3000},
                                     {"clientHeight", top},
                                     {"border", "fixedSingle"},
                                     {"controls", controls}});

    FormWindow window(QStringLiteral("Values"));
    const QStringList lines = ShowAndCapture(window);
    ASSERT_TRUE(window.IsLoaded());
    EXPECT_EQ(lines.size(), qsizetype(cases.size())) << lines.join('\n').toStdString();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString where = QStringLiteral("quillmere: Values.json: %1: \"%2\" ")
                                  .arg(QLatin1String(c.name), QLatin1String(c.key));
        EXPECT_EQ(lines.filter(where).size(), 1) << lines.join('\n').toStdString();
        QObject* control = window.Find(QLatin1String(c.name));
        ASSERT_NE(control, nullptr);
        c.check(control);
    }
    window.Unload();
}
