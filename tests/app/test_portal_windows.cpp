// The portal windows driven as a user would: every control that navigates, through the
// recording browser (which pane, which address, then the focus), the windows they open, the
// panel stacks, and the texts the user reads.

#include <QKeyEvent>
#include <QMenuBar>

#include "controls/EBXp/EBXp.h"
#include "controls/gxButtons_H/gxButtons_H.h"
#include "forms/ToolWindows.h"
#include "platform/forms/StandardControls.h"
#include "tests/app/Fixture.h"

using platform::browser::BrowserCall;
using platform::forms::FormWindow;
using platform::forms::Instance;
using testsupport::Click;
using testsupport::WaitFor;

namespace {

const QString kPortal = QStringLiteral("http://portal.test");

struct Route {
    const char* control;
    const char* pane;
    QString address;  // what Navigate receives; empty for a reload
};

// Clicks each control of `w` in turn and expects exactly its two browser steps.
void ExpectRoutes(FormWindow& w, std::initializer_list<Route> routes) {
    auto& calls = platform::browser::RecordingBrowser::Log();
    for (const Route& r : routes) {
        SCOPED_TRACE(w.Name().toStdString() + "." + r.control);
        calls.clear();
        Activate(w, r.control);
        ASSERT_EQ(calls.size(), 2u);
        EXPECT_EQ(calls[0].window, w.Name());
        EXPECT_EQ(calls[0].pane, r.pane);
        if (r.address.isEmpty()) {
            EXPECT_EQ(calls[0].op, "Refresh");
        } else {
            EXPECT_EQ(calls[0].op, "Navigate");
            EXPECT_EQ(calls[0].arg, r.address);
        }
        EXPECT_EQ(calls[1].pane, r.pane);
        EXPECT_EQ(calls[1].op, "Focus");
    }
}

QString Portal(const char* path) {
    return kPortal + QLatin1String(path);
}

// The point a person clicks to toggle a panel: the middle of its title bar.
void ClickTitleBar(EBXp* panel) {
    Click(panel, QPoint(panel->width() / 2, 14));
}

// Records, at every height change of `upper`, how far `lower` stands below it.
std::vector<float> GapsWhileAnimating(EBXp* upper, EBXp* lower) {
    std::vector<float> gaps;
    // Connected after the window's own handler, so it sees the panel already moved.
    auto c = QObject::connect(upper, &EBXp::ExpCol, [&] {
        gaps.push_back(lower->Top() - (upper->Top() + upper->Height()));
    });
    ClickTitleBar(upper);
    QObject::disconnect(c);
    return gaps;
}

void ExpectAllGaps(const std::vector<float>& gaps, float gap) {
    ASSERT_GT(gaps.size(), 2u);  // animated, not jumped
    for (float g : gaps) EXPECT_EQ(g, gap);
}

QString CaptionOf(FormWindow& w, const QString& name) {
    QObject* o = w.Find(name);
    if (auto* b = qobject_cast<gxButtons_H*>(o)) return b->Caption();
    if (auto* p = qobject_cast<EBXp*>(o)) return p->Caption();
    if (auto* l = qobject_cast<platform::forms::Label*>(o)) return l->Caption();
    if (auto* f = qobject_cast<platform::forms::Frame*>(o)) return f->Caption();
    if (auto* c = qobject_cast<platform::forms::CommandButton*>(o)) return c->text();
    return QStringLiteral("<missing %1>").arg(name);
}

}  // namespace

TEST_F(ProgramTest, PageWindowButtonsGoToTheirAddressesInTheirOwnPane) {
    frmMain& main = ShowMain();
    const QString logout = Portal("/School/Profile/gui/logout.cfm");

    Instance<Form1>().LoadToolbar(main);
    ExpectRoutes(Instance<Form1>(),
                 {{"gxButtons_H1", "Browser2", Portal("/School/Profile/gui/schedulelist.cfm")},
                  {"gxButtons_H2", "Browser2", logout}});
    Instance<Form2>().LoadToolbar(main);
    ExpectRoutes(Instance<Form2>(),
                 {{"gxButtons_H1", "Browser2",
                   Portal("/School/Profile/gui/attendencelist.cfm?cmd=resetall")},
                  {"gxButtons_H2", "Browser2", logout}});
    Instance<Form3>().LoadToolbar(main);
    ExpectRoutes(Instance<Form3>(), {{"gxButtons_H1", "Browser2",
                                      Portal("/School/Profile/gui/studentslist.cfm?cmd=resetall")},
                                     {"gxButtons_H2", "Browser2", logout}});
    Instance<Form4>().LoadToolbar(main);
    ExpectRoutes(Instance<Form4>(), {{"gxButtons_H2", "Browser", logout}});
    Instance<Form6>().LoadToolbar(main);
    // The web-mail field holds a bare host name; the pane makes it a web address.
    ExpectRoutes(Instance<Form6>(),
                 {{"gxButtons_H1", "Browser", "mail.test"}, {"gxButtons_H2", "Browser", {}}});
    Instance<Form8>().LoadToolbar(main);
    ExpectRoutes(
        Instance<Form8>(),
        {{"gxButtons_H1", "Browser2", Portal("/School/Profile/gui/teachers/reportcardsrch.cfm")},
         {"cmdinsert", "Browser2", Portal("/School/Profile/gui/teachers/reportcardadd.cfm")},
         {"gxButtons_H3", "Browser2",
          Portal("/School/Profile/gui/teachers/reportcardexternalprint.cfm")},
         {"gxButtons_H2", "Browser2", Portal("/School/Profile/gui/teachers/logout.cfm")}});
    // The questions window's Refresh goes back to its fixed page rather than reloading.
    Instance<Form9>().LoadToolbar(main);
    ExpectRoutes(Instance<Form9>(), {{"gxButtons_H1", "Browser",
                                      Portal("/school/profile/gui/badLogin/bad_login.cfm")}});
}

TEST_F(ProgramTest, AdministrationConsoleRoutesLinksIconsAndButtonsAlike) {
    frmMain& main = ShowMain();
    Form5& console = Instance<Form5>();
    console.LoadToolbar(main);
    const QString logout = Portal("/School/Profile/gui/teachers/logout.cfm");
    const QString schedules = Portal("/School/Profile/gui/teachers/Schedulelist.cfm");
    const QString attendance = Portal("/School/Profile/gui/teachers/attendenceadd.cfm");
    ExpectRoutes(console, {{"Label4", "Browser", logout},
                           {"Image4", "Browser", logout},
                           {"gxButtons_H7", "Browser", logout},
                           {"Label2", "Browser", schedules},
                           {"imgSignCol", "Browser", schedules},
                           {"gxButtons_H6", "Browser", schedules},
                           {"Label1", "Browser", attendance},
                           {"Image2", "Browser", attendance},
                           {"gxButtons_H5", "Browser", attendance},
                           {"Label9", "Browser",
                            Portal("/School/Profile/gui/teachers/paymentslist.cfm?cmd=resetall")},
                           {"Image6", "Browser",
                            Portal("/School/Profile/gui/teachers/paymentslist.cfm?cmd=resetall")},
                           {"gxButtons_H8", "Browser",
                            Portal("/School/Profile/gui/teachers/studentslist.cfm")},
                           {"gxButtons_H1", "Browser",
                            Portal("/School/Profile/gui/teachers/classroomtools/classtools.html")},
                           // Both inbox buttons open the same web-mail host.
                           {"gxButtons_H9", "Browser", "mail.test"},
                           {"gxButtons_H3", "Browser", "mail.test"},
                           // The local disk: a drive path the pane shows as the root folder.
                           {"gxButtons_H4", "Browser", "c:\\"}});
    EXPECT_EQ(platform::browser::AddressToUrl("c:\\"), QUrl("file:///"));

    // The report-card entries open the report-card window over the console.
    for (const char* control : {"Label10", "Image7", "gxButtons_H2"}) {
        SCOPED_TRACE(control);
        Calls().clear();
        Activate(console, control);
        ASSERT_TRUE(Instance<Form8>().IsLoaded());
        EXPECT_EQ(Instance<Form8>().Owner(), &console);
        EXPECT_EQ(Instance<Form8>().widget()->parentWidget(), console.widget());
        EXPECT_TRUE(Calls().empty());
    }
    // The e-mail window is offered from the console's File menu.
    Activate(console, "mnuMail");
    ASSERT_TRUE(Instance<Form6>().IsLoaded());
    EXPECT_EQ(Instance<Form6>().Owner(), &console);
}

TEST_F(ProgramTest, AssignmentToolDrivesEachPaneFromItsOwnButtons) {
    frmMain& main = ShowMain();
    frmToolbar& tool = Instance<frmToolbar>();
    tool.LoadToolbar(main);
    // "Login Logout" sits in the info panel but drives the upload pane; the class folder in
    // Browser1 is left alone.
    ExpectRoutes(tool, {{"gxButtons_H3", "Browser1",
                         Portal("/School/Profile/GUI/teachers/assignmentsrch.cfm")},
                        {"gxButtons_H1", "Browser2", Portal("/school/profile/gui/homeworkadd.cfm")},
                        {"gxButtons_H2", "Browser2", Portal("/School/Profile/GUI/logout.cfm")}});
}

TEST_F(ProgramTest, LoginLogoutChangesOnlyItsOwnWindowsPane) {
    frmMain& main = ShowMain();
    Instance<Form1>().LoadToolbar(main);
    Instance<Form2>().LoadToolbar(main);
    Instance<Form3>().LoadToolbar(main);
    Calls().clear();
    Activate(Instance<Form2>(), "gxButtons_H2");
    for (const BrowserCall& c : Calls()) EXPECT_EQ(c.window, "Form2");
    EXPECT_EQ(Calls().size(), 2u);
}

TEST_F(ProgramTest, QuestionsWindowIsOwnedByItsLastOpener) {
    frmMain& main = ShowMain();
    Form4& login = Instance<Form4>();
    login.LoadToolbar(main);
    Activate(login, "Label3");
    Form9& questions = Instance<Form9>();
    ASSERT_TRUE(questions.IsLoaded());
    QWidget* shown = questions.widget();
    EXPECT_EQ(questions.Owner(), &login);
    EXPECT_EQ(shown->parentWidget(), login.widget());

    Activate(main, "Label3");
    EXPECT_EQ(questions.widget(), shown);  // the same window, not a second one
    EXPECT_EQ(questions.Owner(), &main);
    EXPECT_EQ(shown->parentWidget(), main.widget());
    // Owned by the main window now, it outlives the login window.
    login.UnloadToolbar();
    EXPECT_TRUE(WaitFor([&] { return !login.IsLoaded(); }));
    EXPECT_TRUE(questions.IsLoaded());

    // Back to the login window as owner: closing it takes the questions window along.
    login.LoadToolbar(main);
    Activate(login, "Label3");
    EXPECT_EQ(questions.Owner(), &login);
    login.widget()->close();
    EXPECT_TRUE(WaitFor([&] { return !questions.IsLoaded(); }));
}

TEST_F(ProgramTest, ConsoleCloseSignsOutThenTakesTheReportCardWindowAlong) {
    frmMain& main = ShowMain();
    Form5& console = Instance<Form5>();
    console.LoadToolbar(main);
    Activate(console, "gxButtons_H2");
    ASSERT_TRUE(Instance<Form8>().IsLoaded());
    QMenuBar* bar = console.widget()->MenuBar();
    ASSERT_NE(bar, nullptr);
    ASSERT_EQ(bar->actions().size(), 1);
    EXPECT_EQ(bar->actions()[0]->text(), "File");

    Calls().clear();
    Activate(console, "mnuClose");
    ASSERT_EQ(Calls().size(), 2u);
    EXPECT_EQ(Calls()[0].window, "Form5");
    EXPECT_EQ(Calls()[0].arg, Portal("/School/Profile/gui/teachers/logout.cfm"));
    EXPECT_TRUE(WaitFor([&] { return !console.IsLoaded() && !Instance<Form8>().IsLoaded(); }));
    EXPECT_TRUE(main.IsLoaded());
}

TEST_F(ProgramTest, ConsoleEmailPanelFollowsTheToolsPanelAtEveryStep) {
    frmMain& main = ShowMain();
    Form5& console = Instance<Form5>();
    console.LoadToolbar(main);
    EBXp* tools = console.Ctl<EBXp>("EBXp1");
    EBXp* mail = console.Ctl<EBXp>("EBXp2");
    EXPECT_EQ(tools->Height(), 3900.0f);
    EXPECT_EQ(mail->Top(), 4680.0f);

    ExpectAllGaps(GapsWhileAnimating(tools, mail), 45.0f);
    EXPECT_EQ(mail->Top(), 720.0f + tools->CollapsedHeight() + 45.0f);
    ExpectAllGaps(GapsWhileAnimating(tools, mail), 45.0f);
    EXPECT_EQ(tools->Height(), 3900.0f);
    EXPECT_EQ(mail->Top(), 720.0f + 3900.0f + 45.0f);
}

TEST_F(ProgramTest, ClosingAWindowDuringAnAnimationRunsNoMoreOfItsHandlers) {
    frmMain& main = ShowMain();
    Form5& console = Instance<Form5>();
    console.LoadToolbar(main);
    EBXp* tools = console.Ctl<EBXp>("EBXp1");
    // The user closes the console mid-animation; the window lingers until the animation is
    // over (kept here for certain), while the console has already let go of its controls.
    QPointer<QWidget> window = console.widget();
    window->setAttribute(Qt::WA_DeleteOnClose, false);
    int steps = 0;
    QObject::connect(tools, &EBXp::ExpCol, [&] {
        if (++steps == 3) window->close();
    });
    tools->ToggleExpCol();
    EXPECT_FALSE(console.IsLoaded());
    EXPECT_GT(steps, 3);
    delete window.data();
    // The fixture checks that no handler failed on the controls the console no longer has.
}

TEST_F(ProgramTest, AssignmentToolStacksItsPanelsTwoLevelsDeep) {
    frmMain& main = ShowMain();
    frmToolbar& tool = Instance<frmToolbar>();
    tool.LoadToolbar(main);
    EBXp* info = tool.Ctl<EBXp>("EBXp3");
    EBXp* upload = tool.Ctl<EBXp>("EBXp2");
    EBXp* folder = tool.Ctl<EBXp>("EBXp1");
    const float bar = float(upload->CollapsedHeight());

    // At first show every panel has its designed place: the upload panel, flagged collapsed
    // but at full height, lies under the class-assignments panel from 1680 down.
    EXPECT_EQ(info->Top(), 0.0f);
    EXPECT_EQ(upload->Top(), 1200.0f);
    EXPECT_EQ(upload->Height(), 5415.0f);
    EXPECT_TRUE(upload->Expanded());  // the flag is True while collapsed
    EXPECT_EQ(folder->Top(), 1680.0f);
    EXPECT_EQ(folder->Height(), 6615.0f);

    // Its first click expands it, from the title bar up, with the folder following.
    std::vector<float> heights;
    auto c = QObject::connect(upload, &EBXp::ExpCol, [&] { heights.push_back(upload->Height()); });
    ExpectAllGaps(GapsWhileAnimating(upload, folder), 45.0f);
    QObject::disconnect(c);
    ASSERT_FALSE(heights.empty());
    EXPECT_EQ(heights.front(), bar);
    EXPECT_EQ(upload->Height(), 5415.0f);
    EXPECT_EQ(folder->Top(), 1200.0f + 5415.0f + 45.0f);

    // Collapsing the info panel pulls the upload panel up; the folder stays where it is.
    std::vector<float> uploadTops;
    c = QObject::connect(info, &EBXp::ExpCol, [&] { uploadTops.push_back(upload->Top()); });
    ExpectAllGaps(GapsWhileAnimating(info, upload), 45.0f);
    QObject::disconnect(c);
    EXPECT_EQ(upload->Top(), bar + 45.0f);
    EXPECT_EQ(folder->Top(), 1200.0f + 5415.0f + 45.0f);

    // The upload panel's next change of height brings the folder back under it.
    ExpectAllGaps(GapsWhileAnimating(upload, folder), 45.0f);
    EXPECT_EQ(upload->Height(), bar);
    EXPECT_EQ(folder->Top(), bar + 45.0f + bar + 45.0f);
}

TEST_F(ProgramTest, PagePanelsCollapseExceptTheLoginWindows) {
    frmMain& main = ShowMain();
    Form4& login = Instance<Form4>();
    login.LoadToolbar(main);
    EBXp* loginPanel = login.Ctl<EBXp>("EBXp1");
    ClickTitleBar(loginPanel);
    EXPECT_EQ(loginPanel->Height(), 4575.0f);
    EXPECT_TRUE(login.Ctl<QWidget>("Browser")->isVisible());

    Form1& schedule = Instance<Form1>();
    schedule.LoadToolbar(main);
    EBXp* panel = schedule.Ctl<EBXp>("EBXp1");
    QWidget* pane = schedule.Ctl<QWidget>("Browser2");
    ClickTitleBar(panel);
    EXPECT_EQ(panel->Height(), float(panel->CollapsedHeight()));
    EXPECT_TRUE(pane->visibleRegion().isEmpty());
    ClickTitleBar(panel);
    EXPECT_EQ(panel->Height(), 5415.0f);
    EXPECT_FALSE(pane->visibleRegion().isEmpty());
}

TEST_F(ProgramTest, PortalWindowTextsAreExact) {
    frmMain& main = ShowMain();
    struct Text {
        FormWindow* window;
        const char* control;
        const char* text;
    };
    Form5& console = Instance<Form5>();
    Form8& cards = Instance<Form8>();
    frmToolbar& tool = Instance<frmToolbar>();
    for (ToolWindow* w : std::initializer_list<ToolWindow*>{
             &Instance<Form1>(), &Instance<Form2>(), &Instance<Form3>(), &Instance<Form4>(),
             &console, &Instance<Form6>(), &Instance<Form7>(), &cards, &Instance<Form9>(), &tool})
        w->LoadToolbar(main);
    const Text texts[] = {
        {&Instance<Form1>(), "EBXp1", " Student Schedule"},
        {&Instance<Form1>(), "gxButtons_H1", "Load/Reload Schedule"},
        {&Instance<Form1>(), "gxButtons_H2", "Login Logout"},
        {&Instance<Form2>(), "EBXp1", "Attendace"},
        {&Instance<Form2>(), "gxButtons_H1", "Load/Reload Attendace"},
        {&Instance<Form3>(), "EBXp1", "Student Information"},
        {&Instance<Form3>(), "gxButtons_H1", "Load/Reload Info"},
        {&Instance<Form4>(), "EBXp1", "Login"},
        {&Instance<Form4>(), "gxButtons_H2", "Login/Logout"},
        {&Instance<Form4>(), "Label3", "Report Abuse"},
        {&Instance<Form6>(), "EBXp1", "School eMail"},
        {&Instance<Form6>(), "gxButtons_H1", "Login to Inbox"},
        {&Instance<Form6>(), "gxButtons_H2", "Refresh"},
        {&Instance<Form6>(), "Label1", "Username: guest"},
        {&Instance<Form6>(), "Label2", "Password: secret"},
        {&Instance<Form7>(), "lblTitle", "Quillmere: Student Information System (SIS)"},
        {&Instance<Form7>(), "lblVersion", "Version 2.0"},
        {&Instance<Form7>(), "cmdOK", "OK"},
        {&cards, "EBXp1", "Report card reports"},
        {&cards, "gxButtons_H1", "Load/Reload Report Card Data"},
        {&cards, "cmdinsert", "        Add New Report Record"},
        {&cards, "gxButtons_H3", "   Print Report Card Reports"},
        {&cards, "gxButtons_H2", "Login Logout"},
        {&Instance<Form9>(), "EBXp1", "Questions?"},
        {&Instance<Form9>(), "gxButtons_H1", "Refresh"},
        {&console, "gxButtons_H7", "Login/Logout"},
        {&console, "gxButtons_H5", "Attendance Records"},
        {&console, "gxButtons_H9", "Login Personal Inbox"},
        {&console, "gxButtons_H1", "Classroom Tools"},
        {&console, "gxButtons_H4", " Personal Network Folder"},
        {&console, "gxButtons_H2", " Report Card Manager"},
        {&console, "gxButtons_H6", "Schedule Manager"},
        {&console, "gxButtons_H8", "Quillmere  User Accounts"},
        {&console, "EBXp1", " Show/Hide tools"},
        {&console, "Frame1", "Tool Menu"},
        {&console, "Label4", " Login/Logout"},
        {&console, "Label2", " Manage Schedules"},
        {&console, "Label1", " Add Attendance"},
        {&console, "Label9", " Manage Student Fees"},
        {&console, "Label10", " Report Card Records"},
        {&console, "EBXp2", " School eMail"},
        {&console, "Frame3", "Guest Email Login"},
        {&console, "Label6", "User: guest"},
        {&console, "Label7", "Password: secret"},
        {&console, "gxButtons_H3", "Login to Inbox"},
        {&tool, "EBXp3", " Info!"},
        {&tool, "EBXp2", "Upload your assignments to your teacher"},
        {&tool, "EBXp1", "Class assignments"},
        {&tool, "gxButtons_H1", "Upload your assignments to your teacher"},
        {&tool, "gxButtons_H2", "Login Logout"},
        {&tool, "gxButtons_H3", "Load/Reload Folder"},
        {&tool, "Label1",
         "This section allows for students to view assignments that teachers have uploaded onto "
         "the Quillmere network. To view assignments in your classrooms load your \"class "
         "assignments folder\" below. After completing an assignment come back to this window and "
         "upload your finished assignment to your teacher."},
    };
    for (const Text& t : texts)
        EXPECT_EQ(CaptionOf(*t.window, t.control), QString::fromUtf8(t.text))
            << t.window->Name().toStdString() << "." << t.control;

    // The panes a student logs in through say so.
    for (FormWindow* w : {static_cast<FormWindow*>(&Instance<Form2>()),
                          static_cast<FormWindow*>(&Instance<Form3>())})
        EXPECT_EQ(w->Ctl<QWidget>("Browser2")->toolTip(), "To begin login here");
    EXPECT_EQ(Instance<Form4>().Ctl<QWidget>("Browser")->toolTip(), "To begin login here");
    EXPECT_TRUE(Instance<Form1>().Ctl<QWidget>("Browser2")->toolTip().isEmpty());
    // Address fields are never on screen; those no control opens are kept all the same.
    for (const char* field : {"txtaddress", "txtaddress1", "Text1", "Text3", "Text4"})
        EXPECT_FALSE(console.Ctl<QWidget>(field)->isVisible()) << field;
    EXPECT_EQ(console.Text("txtaddress1"), Portal("/School/Profile/gui/teachers/homeworksrch.cfm"));
    EXPECT_EQ(console.Text("txtaddress5"),
              Portal("/School/Profile/gui/teachers/assignmentlist.cfm?cmd=resetall"));
    EXPECT_EQ(console.Text("Text1"), "mail.test");
    EXPECT_EQ(console.Text("Text3"), "ftp://portal.test/School/Profile/gui/teachers/");
}

TEST_F(ProgramTest, AboutBoxClosesWithOkEnterOrEscape) {
    frmMain& main = ShowMain();
    Form7& about = Instance<Form7>();
    // The etched rule: two lines, white under grey.
    about.LoadToolbar(main);
    ASSERT_NE(about.Find("Line1(0)"), nullptr);
    ASSERT_NE(about.Find("Line1(1)"), nullptr);
    EXPECT_EQ(about.Ctl<platform::forms::Line>("Line1(0)")->BorderColor(), 0x00FFFFFFu);
    EXPECT_EQ(about.Ctl<platform::forms::Line>("Line1(1)")->BorderColor(), 0x00808080u);

    Activate(about, "cmdOK");
    EXPECT_TRUE(WaitFor([&] { return !about.IsLoaded(); }));
    for (int key : {Qt::Key_Escape, Qt::Key_Return}) {
        about.LoadToolbar(main);
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(about.widget(), &press);
        EXPECT_TRUE(WaitFor([&] { return !about.IsLoaded(); })) << key;
    }
    // The main window's Enter and Escape are its own: the about box it owns stays.
    about.LoadToolbar(main);
    auto* ok = about.Ctl<QPushButton>("cmdOK");
    for (int key : {Qt::Key_Escape, Qt::Key_Return}) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(main.widget(), &press);
        EXPECT_FALSE(ok->isDown()) << key;
    }
}
