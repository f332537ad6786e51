// The main window's routing table and panel stack, driven as a user would.

#include <QAction>
#include <QMenuBar>

#include "app/frmMain.h"
#include "controls/EBXp/EBXp.h"
#include "forms/ToolWindows.h"
#include "platform/window/Window.h"
#include "tests/app/Fixture.h"

using platform::forms::FormWindow;
using platform::forms::Instance;
using testsupport::Click;
using testsupport::WaitFor;

namespace {

template <class W>
void ExpectOpenedBy(frmMain& main, const QString& control) {
    SCOPED_TRACE(control.toStdString());
    Activate(main, control);
    W& target = Instance<W>();
    ASSERT_TRUE(target.IsLoaded());
    EXPECT_TRUE(target.widget()->isVisible());
    EXPECT_EQ(target.Owner(), &main);
    EXPECT_EQ(target.widget()->parentWidget(), main.widget());
    EXPECT_TRUE(target.widget()->isWindow());
}

int CountWindowsNamed(const QString& name) {
    int n = 0;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == name && !w->testAttribute(Qt::WA_WState_Hidden)) ++n;
    return n;
}

}  // namespace

TEST_F(ProgramTest, EveryLinkButtonAndMenuEntryOpensItsWindowOwnedByTheMainWindow) {
    frmMain& main = ShowMain();
    ExpectOpenedBy<Form4>(main, "login");
    ExpectOpenedBy<Form2>(main, "mnuAttn");
    ExpectOpenedBy<frmToolbar>(main, "mnuToolbar");
    ExpectOpenedBy<Form3>(main, "mnuPersonalInfo");
    ExpectOpenedBy<Form1>(main, "mnuCalender");
    ExpectOpenedBy<Form7>(main, "about");
    ExpectOpenedBy<frmToolbar>(main, "gxButtons_H1");
    ExpectOpenedBy<Form4>(main, "gxButtons_H2");
    ExpectOpenedBy<Form1>(main, "gxButtons_H3");
    ExpectOpenedBy<Form2>(main, "gxButtons_H4");
    ExpectOpenedBy<Form3>(main, "gxButtons_H5");
    ExpectOpenedBy<Form5>(main, "gxButtons_H6");
    ExpectOpenedBy<Form4>(main, "Label4");
    ExpectOpenedBy<Form4>(main, "Image4");
    ExpectOpenedBy<frmToolbar>(main, "Command2");
    ExpectOpenedBy<frmToolbar>(main, "Image1");
    ExpectOpenedBy<Form1>(main, "Label2");
    ExpectOpenedBy<Form1>(main, "Image2");
    ExpectOpenedBy<Form2>(main, "Label1");
    ExpectOpenedBy<Form2>(main, "imgSignCol");
    ExpectOpenedBy<Form9>(main, "Label3");
    ExpectOpenedBy<Form9>(main, "Image3");
    ExpectOpenedBy<Form5>(main, "Label8");
    // Opening windows never navigates the main window's pane.
    EXPECT_TRUE(Calls().empty());
}

TEST_F(ProgramTest, NavigatingEntriesReadTheirAddressFieldAndFocusThePane) {
    frmMain& main = ShowMain();
    const QString logout = QStringLiteral("http://portal.test/School/Profile/gui/logout.cfm");
    const QString search =
        QStringLiteral("http://portal.test/School/Profile/gui/reportcardsrch.cfm");
    for (const char* control : {"logout", "gxButtons_H8", "gxButtons_H7"}) {
        SCOPED_TRACE(control);
        Calls().clear();
        Activate(main, control);
        ASSERT_EQ(Calls().size(), 2u);
        EXPECT_EQ(Calls()[0].window, "frmMain");
        EXPECT_EQ(Calls()[0].pane, "Browser");
        EXPECT_EQ(Calls()[0].op, "Navigate");
        EXPECT_EQ(Calls()[0].arg, QString(control) == "gxButtons_H7" ? search : logout);
        EXPECT_EQ(Calls()[1].op, "Focus");
    }
    // The field is read at every click: a changed address changes where the next click goes,
    // also while the report-card panel holding the button is collapsed.
    ASSERT_EQ(main.Ctl<EBXp>("EBXp2")->Height(), 450.0f);
    main.SetText("txtaddress3", "http://elsewhere.test/bye");
    Calls().clear();
    Activate(main, "gxButtons_H8");
    ASSERT_FALSE(Calls().empty());
    EXPECT_EQ(Calls()[0].arg, "http://elsewhere.test/bye");
}

TEST_F(ProgramTest, RepeatedOpensKeepOneInstanceAndItsPage) {
    frmMain& main = ShowMain();
    Activate(main, "gxButtons_H4");
    QWidget* first = Instance<Form2>().widget();
    Activate(main, "Label1");
    Activate(main, "mnuAttn");
    EXPECT_EQ(Instance<Form2>().widget(), first);
    EXPECT_EQ(CountWindowsNamed("Form2"), 1);
}

TEST_F(ProgramTest, CloseRequestsLogoutFocusesThePaneAndClosesEverything) {
    // An unreachable portal: the double records, the real pane would fail to connect.
    platform::forms::Placeholders p = platform::forms::CurrentPlaceholders();
    p.portal = QStringLiteral("http://127.0.0.1:9");
    platform::forms::SetPlaceholders(p);
    frmMain& main = ShowMain();
    Activate(main, "gxButtons_H4");
    QPointer<QWidget> tool = Instance<Form2>().widget();
    QPointer<QWidget> window = main.widget();
    Calls().clear();
    Activate(main, "close");
    ASSERT_EQ(Calls().size(), 2u);
    EXPECT_EQ(Calls()[0].arg, "http://127.0.0.1:9/School/Profile/gui/logout.cfm");
    EXPECT_EQ(Calls()[1].op, "Focus");
    EXPECT_FALSE(main.IsLoaded());
    EXPECT_TRUE(WaitFor([&] { return window.isNull() && tool.isNull(); }));
    EXPECT_FALSE(Instance<Form2>().IsLoaded());
}

TEST_F(ProgramTest, TitleBarCloseUnloadsWithoutTheLogoutRequest) {
    frmMain& main = ShowMain();
    QPointer<QWidget> window = main.widget();
    Calls().clear();
    window->close();
    EXPECT_FALSE(main.IsLoaded());
    EXPECT_TRUE(Calls().empty());
    EXPECT_TRUE(WaitFor([&] { return window.isNull(); }));
    // The instance stays; the next show builds the window afresh.
    main.Show();
    EXPECT_TRUE(main.IsLoaded());
    EXPECT_NE(main.widget(), nullptr);
}

TEST_F(ProgramTest, PanelsFollowTheOnesAboveThemAtEveryStep) {
    frmMain& main = ShowMain();
    EBXp* reports = main.Ctl<EBXp>("EBXp2");
    EBXp* info = main.Ctl<EBXp>("EBXp4");
    // After Load: the report-card panel is its title bar, the information panel just under it.
    EXPECT_TRUE(reports->Expanded());  // the flag is True while collapsed
    EXPECT_EQ(reports->Height(), 450.0f);
    EXPECT_EQ(info->Top(), 600.0f + 450.0f + 45.0f);

    std::vector<float> gaps;
    QObject::connect(reports, &EBXp::ExpCol,
                     [&] { gaps.push_back(info->Top() - (reports->Top() + reports->Height())); });
    testsupport::Click(reports, QPoint(60, 13));  // on the caption: expands 450, 600, ..., 5895
    // The click plays the panel sound from the program's folder, once.
    ASSERT_EQ(sounds->played.size(), 1u);
    EXPECT_EQ(sounds->played[0],
              platform::window::AppPath() + QStringLiteral("/Sounds/Action.wav"));
    EXPECT_EQ(reports->Height(), 5895.0f);
    EXPECT_EQ(info->Top(), 600.0f + 5895.0f + 45.0f);
    ASSERT_FALSE(gaps.empty());
    for (float g : gaps) EXPECT_EQ(g, 45.0f);
    reports->ToggleExpCol();
    EXPECT_EQ(info->Top(), 1095.0f);

    EBXp* tools = main.Ctl<EBXp>("EBXp6");
    EBXp* admin = main.Ctl<EBXp>("EBXp1");
    EXPECT_EQ(admin->Top(), 3000.0f);
    tools->ToggleExpCol();  // collapses
    EXPECT_EQ(admin->Top(), 600.0f + 450.0f + 45.0f);
    tools->ToggleExpCol();
    EXPECT_EQ(admin->Top(), 600.0f + 2415.0f + 45.0f);
}

TEST_F(ProgramTest, MainWindowMatchesItsDesign) {
    frmMain& main = ShowMain();
    QWidget* w = main.widget();
    EXPECT_EQ(w->windowTitle(), "Quillmere 2.0 Full");
    EXPECT_EQ(main.widget()->Client()->size(), QSize(720, 431));
    EXPECT_FALSE(w->windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(w->windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_EQ(w->minimumSize(), w->maximumSize());
    // Menus with their access keys.
    QStringList menus;
    for (QAction* a : main.widget()->MenuBar()->actions()) menus << a->text();
    EXPECT_EQ(menus, QStringList({"File", "&Tools", "Help"}));
    // The address fields exist and are never shown.
    for (const char* f : {"txtaddress", "txtaddress1", "txtaddress2", "txtaddress3", "txtaddress4",
                          "txtaddress5", "txtaddress6", "txtaddress7"}) {
        auto* box = main.Ctl<QWidget>(f);
        EXPECT_FALSE(box->isVisible()) << f;
    }
    EXPECT_EQ(main.Text("txtaddress"), "http://portal.test/School/Profile/GUI/");
    EXPECT_EQ(main.Text("txtaddress6"), "http://portal.test/School/Profile/gui/homeworksrch.cfm");
    EXPECT_EQ(main.Ctl<EBXp>("EBXp4")->Caption().size(), 132);
}
