// What a screen reader finds in our windows: roles, names, states and actions of the buttons,
// panels, links and pictures, read through the accessibility interfaces of real controls in a
// real window, with hidden controls left out.

#include <gtest/gtest.h>

#include <QAccessible>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QKeyEvent>
#include <QTemporaryDir>

#include "Fixture.h"
#include "app/frmMain.h"
#include "controls/EBXp/EBXp.h"
#include "controls/ScrollPicture/ScrollPicture.h"
#include "controls/gxButtons_H/gxButtons_H.h"
#include "forms/ToolWindows.h"
#include "platform/forms/StandardControls.h"

namespace {

QAccessibleInterface* Iface(QObject* o) {
    return QAccessible::queryAccessibleInterface(o);
}
QAccessibleActionInterface* Actions(QAccessibleInterface* i) {
    return i ? i->actionInterface() : nullptr;
}
std::string Name(QAccessibleInterface* i) {
    return i->text(QAccessible::Name).toStdString();
}

// Every interface below `root`, depth first, found through the parent's child list.
void Walk(QAccessibleInterface* root, std::vector<QAccessibleInterface*>& out) {
    for (int i = 0; i < root->childCount(); ++i) {
        QAccessibleInterface* c = root->child(i);
        if (!c) continue;
        EXPECT_EQ(root->indexOfChild(c), i) << Name(c);
        out.push_back(c);
        Walk(c, out);
    }
}

// The names of the objects of `role` under `root`, in tree order.
QStringList Named(QAccessibleInterface* root, QAccessible::Role role) {
    std::vector<QAccessibleInterface*> all;
    Walk(root, all);
    QStringList names;
    for (auto* i : all)
        if (i->role() == role) names << i->text(QAccessible::Name);
    return names;
}

// A window of its own design with one of each kind of control.
struct AccessibleWindowTest : ProgramTest {
    void SetUp() override {
        ProgramTest::SetUp();
        ASSERT_TRUE(dir.isValid());
        ASSERT_TRUE(QDir(dir.path()).mkpath("forms"));
        QFile file(dir.filePath("forms/Access.json"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(R"({"caption": "Access", "clientWidth": 9000, "clientHeight": 6000,
            "border": "fixedSingle", "controls": [
            {"type": "gxButtons_H", "name": "Save", "rect": [0, 0, 1200, 450],
             "bag": {"Caption": "&Save", "ToolTipText": "Saves the page", "Default": true}},
            {"type": "gxButtons_H", "name": "Bold", "rect": [1500, 0, 1200, 450],
             "bag": {"Caption": "Bold && ||Big", "Mode": 1}},
            {"type": "gxButtons_H", "name": "Opt1", "rect": [3000, 0, 1200, 450],
             "bag": {"Caption": "One", "Mode": 2}},
            {"type": "TextBox", "name": "txtaddress", "rect": [0, 600, 3000, 285],
             "visible": false, "bag": {"Text": "http://portal.test/"}},
            {"type": "Frame", "name": "Frame1", "rect": [0, 1000, 4000, 2000],
             "bag": {"Caption": "&Options"}, "children": [
               {"type": "TextBox", "name": "txtaddress2", "rect": [0, 0, 3000, 285],
                "visible": false},
               {"type": "Label", "name": "Note", "rect": [120, 300, 3000, 255],
                "bag": {"Caption": "  Plain   text"}}]},
            {"type": "EBXp", "name": "Panel", "rect": [4500, 0, 4000, 3000],
             "bag": {"UserHeight": 3000, "Caption": " Student Tools"}, "children": [
               {"type": "Image", "name": "Icon", "rect": [240, 480, 240, 240]},
               {"type": "Label", "name": "Link", "rect": [480, 480, 2175, 255],
                "bag": {"Caption": " Login/Logout", "UseMnemonic": false}},
               {"type": "TextBox", "name": "txtaddress3", "rect": [0, 900, 3000, 285],
                "visible": false}]}]})");
        file.close();
        platform::forms::SetDesignDirectory(dir.path());
        form = std::make_unique<platform::forms::FormWindow>("Access");
        form->Show();
        ASSERT_TRUE(form->IsLoaded());
    }
    void TearDown() override {
        form.reset();
        platform::forms::SetDesignDirectory({});
        ProgramTest::TearDown();
    }
    template <class T>
    T* Ctl(const char* name) {
        return form->Ctl<T>(name);
    }

    QTemporaryDir dir;
    std::unique_ptr<platform::forms::FormWindow> form;
};

}  // namespace

TEST_F(AccessibleWindowTest, ButtonsReadAsTheirModeWithNameDescriptionAndKey) {
    auto* save = Iface(Ctl<gxButtons_H>("Save"));
    auto* bold = Iface(Ctl<gxButtons_H>("Bold"));
    auto* opt = Iface(Ctl<gxButtons_H>("Opt1"));
    ASSERT_TRUE(save && bold && opt);
    EXPECT_EQ(save->role(), QAccessible::PushButton);
    EXPECT_EQ(bold->role(), QAccessible::CheckBox);
    EXPECT_EQ(opt->role(), QAccessible::RadioButton);
    EXPECT_EQ(Name(save), "Save");
    EXPECT_EQ(Name(bold), "Bold & Big");
    EXPECT_EQ(save->text(QAccessible::Description), "Saves the page");
    EXPECT_EQ(Actions(save)->keyBindingsForAction(QAccessibleActionInterface::pressAction()),
              QStringList{"Alt+S"});
    EXPECT_TRUE(
        Actions(bold)->keyBindingsForAction(QAccessibleActionInterface::pressAction()).isEmpty());
    EXPECT_TRUE(Actions(bold)->actionNames().contains(QAccessibleActionInterface::toggleAction()));
    EXPECT_FALSE(Actions(save)->actionNames().contains(QAccessibleActionInterface::toggleAction()));
    EXPECT_TRUE(bold->state().checkable);
    EXPECT_FALSE(save->state().checkable);
    EXPECT_TRUE(save->state().defaultButton);
    EXPECT_FALSE(bold->state().defaultButton);

    Ctl<gxButtons_H>("Save")->setFocus();
    ASSERT_TRUE(testsupport::WaitFor([&] { return save->state().focused; }));
}

TEST_F(AccessibleWindowTest, PressAndToggleClickAsTheMouseDoes) {
    auto* saveButton = Ctl<gxButtons_H>("Save");
    auto* boldButton = Ctl<gxButtons_H>("Bold");
    auto* optButton = Ctl<gxButtons_H>("Opt1");
    int saves = 0, bolds = 0;
    QObject::connect(saveButton, &gxButtons_H::Click, [&] { ++saves; });
    QObject::connect(boldButton, &gxButtons_H::Click, [&] { ++bolds; });

    Actions(Iface(saveButton))->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(saves, 1);

    auto* bold = Iface(boldButton);
    Actions(bold)->doAction(QAccessibleActionInterface::toggleAction());
    EXPECT_TRUE(boldButton->Value());
    EXPECT_TRUE(bold->state().checked);
    Actions(bold)->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_FALSE(boldButton->Value());
    EXPECT_EQ(bolds, 2);

    // The space bar holds the button down until its release clicks it.
    QKeyEvent space(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, " ");
    QApplication::sendEvent(saveButton, &space);
    EXPECT_TRUE(Iface(saveButton)->state().pressed);
    QKeyEvent spaceUp(QEvent::KeyRelease, Qt::Key_Space, Qt::NoModifier, " ");
    QApplication::sendEvent(saveButton, &spaceUp);
    EXPECT_FALSE(Iface(saveButton)->state().pressed);
    EXPECT_EQ(saves, 2);

    Actions(Iface(optButton))->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_TRUE(Iface(optButton)->state().checked);

    // A disabled button offers no press and ignores one.
    saveButton->SetEnabled(false);
    EXPECT_TRUE(Iface(saveButton)->state().disabled);
    EXPECT_FALSE(Actions(Iface(saveButton))
                     ->actionNames()
                     .contains(QAccessibleActionInterface::pressAction()));
    Actions(Iface(saveButton))->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(saves, 2);
}

TEST_F(AccessibleWindowTest, PanelIsAGroupingWhoseTitleBarTogglesIt) {
    auto* panelWidget = Ctl<EBXp>("Panel");
    auto* panel = Iface(panelWidget);
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(panel->role(), QAccessible::Grouping);
    EXPECT_EQ(Name(panel), "Student Tools");
    ASSERT_GE(panel->childCount(), 1);
    QAccessibleInterface* title = panel->child(0);
    ASSERT_NE(title, nullptr);
    EXPECT_EQ(title->parent(), panel);
    EXPECT_EQ(panel->indexOfChild(title), 0);
    EXPECT_EQ(title->role(), QAccessible::PushButton);
    EXPECT_EQ(Name(title), "Student Tools");
    EXPECT_TRUE(title->state().expanded);
    EXPECT_FALSE(title->state().collapsed);
    EXPECT_TRUE(title->state().checked);
    EXPECT_TRUE(title->rect().contains(panelWidget->mapToGlobal(QPoint(60, 13))));
    EXPECT_EQ(panel->childAt(title->rect().center().x(), title->rect().center().y()), title);
    panelWidget->setFocusPolicy(Qt::StrongFocus);
    panelWidget->setFocus();
    ASSERT_TRUE(testsupport::WaitFor([&] { return panelWidget->hasFocus(); }));
    EXPECT_EQ(panel->focusChild(), title);
    EXPECT_TRUE(title->state().focused);

    Actions(title)->doAction(QAccessibleActionInterface::toggleAction());
    EXPECT_TRUE(testsupport::WaitFor([&] { return !panelWidget->Animating(); }));
    EXPECT_EQ(panelWidget->Height(), float(panelWidget->CollapsedHeight()));
    EXPECT_TRUE(title->state().collapsed);
    EXPECT_FALSE(title->state().expanded);
    EXPECT_EQ(sounds->played.size(), 1u);

    Actions(title)->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_TRUE(testsupport::WaitFor([&] { return !panelWidget->Animating(); }));
    EXPECT_EQ(panelWidget->Height(), 3000.0f);
    EXPECT_TRUE(title->state().expanded);

    // Nothing to toggle on a panel that does not collapse.
    panelWidget->SetDontCollapsed(true);
    EXPECT_TRUE(Actions(title)->actionNames().isEmpty());
}

TEST_F(AccessibleWindowTest, LinksFramesAndTextWithHiddenFieldsLeftOut) {
    auto* window = Iface(form->widget());
    ASSERT_NE(window, nullptr);
    std::vector<QAccessibleInterface*> all;
    Walk(window, all);
    for (auto* i : all) {
        EXPECT_FALSE(qobject_cast<platform::forms::TextBox*>(i->object())) << Name(i);
        EXPECT_NE(i->role(), QAccessible::EditableText);
    }

    auto* frame = Iface(Ctl<platform::forms::Frame>("Frame1"));
    EXPECT_EQ(frame->role(), QAccessible::Grouping);
    EXPECT_EQ(Name(frame), "Options");
    ASSERT_EQ(frame->childCount(), 1);
    EXPECT_EQ(frame->child(0)->role(), QAccessible::StaticText);
    EXPECT_EQ(Name(frame->child(0)), "Plain text");

    // A label or icon becomes a link once the window wires its Click.
    auto* linkLabel = Ctl<platform::forms::Label>("Link");
    auto* icon = Ctl<platform::forms::Image>("Icon");
    EXPECT_EQ(Iface(linkLabel)->role(), QAccessible::StaticText);
    EXPECT_EQ(Iface(icon)->role(), QAccessible::Graphic);
    int opened = 0;
    // What a window's OnClick does: the handler, and the mark that the control opens something.
    QObject::connect(linkLabel, &platform::forms::Label::Click, [&] { ++opened; });
    QObject::connect(icon, &platform::forms::Image::Click, [&] { ++opened; });
    linkLabel->SetLink(true);
    icon->SetLink(true);
    for (auto* link : {Iface(linkLabel), Iface(icon)}) {
        EXPECT_EQ(link->role(), QAccessible::Link);
        EXPECT_TRUE(link->state().linked);
        EXPECT_EQ(Name(link), "Login/Logout");
        Actions(link)->doAction(QAccessibleActionInterface::pressAction());
    }
    EXPECT_EQ(opened, 2);

    // Hidden again, a control leaves its container's children; shown, it comes back.
    auto* panel = Iface(Ctl<EBXp>("Panel"));
    const int before = panel->childCount();
    linkLabel->hide();
    EXPECT_EQ(panel->childCount(), before - 1);
    EXPECT_EQ(panel->indexOfChild(Iface(linkLabel)), -1);
    linkLabel->show();
    EXPECT_EQ(panel->childCount(), before);
}

TEST(AccessibleViewerTest, AGraphicNamedByItsFileDescribedByTheZoom) {
    controls::RegisterControls();
    QTemporaryDir dir;
    QImage image(40, 30, QImage::Format_RGB32);
    image.fill(Qt::red);
    ASSERT_TRUE(image.save(dir.filePath("photo.png")));
    QWidget window;
    auto* viewer = new ScrollPicture(&window);
    viewer->setGeometry(0, 0, 200, 150);
    window.show();
    auto* iface = Iface(viewer);
    ASSERT_NE(iface, nullptr);
    EXPECT_EQ(iface->role(), QAccessible::Graphic);
    viewer->SetPicture(platform::Picture::Load(dir.filePath("photo.png")));
    EXPECT_EQ(Name(iface), "photo.png");
    EXPECT_EQ(iface->text(QAccessible::Description), "100 %");
    viewer->z_ZoomIn();
    EXPECT_EQ(iface->text(QAccessible::Description), "125 %");
    EXPECT_EQ(iface->childCount(), 0);
}

TEST_F(ProgramTest, MainWindowReadsAsButtonsLinksAndPanels) {
    auto& main = ShowMain();
    auto* window = Iface(main.widget());
    ASSERT_NE(window, nullptr);
    const QStringList buttons = Named(window, QAccessible::PushButton);
    for (const char* name :
         {"Login", "Logoff", "Assignment Work-Folder", "Attendance Records", "Student Schedule",
          "Student Information", "Student Tools", "Administration Tools"})
        EXPECT_TRUE(buttons.contains(name)) << name;
    const QStringList links = Named(window, QAccessible::Link);
    for (const char* name :
         {"Login/Logout", "Questions/Report Abuse", "Load Administration Console"})
        EXPECT_TRUE(links.contains(name)) << name;

    // Every control of ours has a name; no address field shows.
    std::vector<QAccessibleInterface*> all;
    Walk(window, all);
    for (auto* i : all) {
        EXPECT_NE(i->role(), QAccessible::EditableText) << Name(i);
        const bool ours = !i->object() || qobject_cast<gxButtons_H*>(i->object()) ||
                          qobject_cast<EBXp*>(i->object()) ||
                          qobject_cast<platform::forms::Label*>(i->object()) ||
                          qobject_cast<platform::forms::Image*>(i->object()) ||
                          qobject_cast<platform::forms::Frame*>(i->object());
        if (ours) {
            EXPECT_FALSE(i->text(QAccessible::Name).isEmpty())
                << (i->object() ? i->object()->objectName().toStdString() : "title bar");
        }
    }

    // Pressing a button opens its window as a click does.
    QAccessibleInterface* attendance = nullptr;
    for (auto* i : all)
        if (i->role() == QAccessible::PushButton && Name(i) == "Attendance Records") attendance = i;
    ASSERT_NE(attendance, nullptr);
    Actions(attendance)->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_TRUE(platform::forms::Instance<Form2>().IsLoaded());
}
