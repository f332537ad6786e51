// The tool-window protocol: one instance per window, shown over its owner, hidden, closed and
// destroyed with it.

#include <QFile>
#include <QPalette>
#include <QPointer>
#include <QTemporaryDir>
#include <functional>

#include "app/Application.h"
#include "forms/ToolWindows.h"
#include "tests/app/Fixture.h"

using platform::forms::FormWindow;
using platform::forms::Instance;
using testsupport::WaitFor;

namespace {

struct Expected {
    ToolWindow* (*get)();
    const char* caption;
    QSize client;  // pixels
    bool tool;     // tool-window border
    QPoint at;     // pixels, or (-1, -1) for the platform's choice
};

template <class W>
ToolWindow* Get() {
    return &Instance<W>();
}

}  // namespace

TEST_F(ProgramTest, EachToolWindowOpensWithItsCaptionSizeBorderAndPlace) {
    frmMain& main = ShowMain();
    const Expected table[] = {
        {Get<frmToolbar>, "Assignment Tool", {761, 552}, true, {122, 172}},
        {Get<Form1>, "Schedule", {554, 361}, true, {259, 273}},
        {Get<Form2>, "  Attendance Records", {433, 449}, true, {557, 95}},
        {Get<Form3>, "  Student Information ", {649, 448}, true, {-1, -1}},
        {Get<Form4>, "Student Login", {264, 304}, true, {375, 161}},
        {Get<Form5>, "School Administration Managment Console", {803, 520}, false, {169, 173}},
        {Get<Form6>, "eMail", {786, 497}, true, {-1, -1}},
        {Get<Form7>, "About", {370, 204}, false, {350, 232}},
        {Get<Form8>, "Report Cards", {761, 496}, true, {-1, -1}},
        {Get<Form9>, "", {481, 424}, true, {-1, -1}},
    };
    for (const Expected& e : table) {
        ToolWindow* w = e.get();
        SCOPED_TRACE(w->Name().toStdString());
        w->LoadToolbar(main);
        ASSERT_TRUE(w->IsLoaded());
        QWidget* win = w->widget();
        EXPECT_EQ(win->windowTitle(), QString::fromUtf8(e.caption));
        EXPECT_EQ(w->widget()->Client()->size(), e.client);
        EXPECT_EQ(win->windowType() == Qt::Tool, e.tool);
        EXPECT_FALSE(win->windowFlags() & Qt::WindowMinimizeButtonHint);
        EXPECT_FALSE(win->windowFlags() & Qt::WindowMaximizeButtonHint);
        EXPECT_EQ(win->minimumSize(), win->maximumSize());
        EXPECT_EQ(w->widget()->Client()->palette().color(QPalette::Window), QColor(214, 223, 247));
        if (e.at.x() >= 0) {
            EXPECT_EQ(win->pos(), e.at);
        }
        w->UnloadToolbar();
        EXPECT_FALSE(w->IsLoaded());
    }
}

TEST_F(ProgramTest, UnloadKeepsTheInstanceAndTheNextShowBuildsAfresh) {
    frmMain& main = ShowMain();
    Form1& schedule = Instance<Form1>();
    schedule.LoadToolbar(main);
    QPointer<QWidget> first = schedule.widget();
    schedule.UnloadToolbar();
    EXPECT_TRUE(WaitFor([&] { return first.isNull(); }));
    schedule.LoadToolbar(main);
    EXPECT_EQ(&Instance<Form1>(), &schedule);
    EXPECT_TRUE(schedule.IsLoaded());
    // Showing an open window again re-applies the same owner and keeps the window.
    QWidget* second = schedule.widget();
    schedule.LoadToolbar(main);
    EXPECT_EQ(schedule.widget(), second);
    EXPECT_EQ(second->parentWidget(), main.widget());
}

TEST_F(ProgramTest, OwnersChainAndTakeTheirWindowsWithThem) {
    frmMain& main = ShowMain();
    Form4& login = Instance<Form4>();
    Form9& questions = Instance<Form9>();
    login.LoadToolbar(main);
    questions.LoadToolbar(login);
    EXPECT_EQ(questions.widget()->parentWidget(), login.widget());
    // Opened again from the main window, the same window changes owner.
    questions.LoadToolbar(main);
    EXPECT_EQ(questions.Owner(), &main);
    EXPECT_EQ(questions.widget()->parentWidget(), main.widget());
    questions.LoadToolbar(login);

    // The owner closing by its title bar takes the owned window with it.
    login.widget()->close();
    EXPECT_TRUE(WaitFor([&] { return !questions.IsLoaded(); }));
    EXPECT_TRUE(main.IsLoaded());
}

TEST_F(ProgramTest, OwnedWindowsHideWhileTheOwnerIsMinimized) {
    frmMain& main = ShowMain();
    Form2& attendance = Instance<Form2>();
    attendance.LoadToolbar(main);
    main.widget()->setWindowState(Qt::WindowMinimized);
    EXPECT_TRUE(WaitFor([&] { return !attendance.widget()->isVisible(); }));
    main.widget()->setWindowState(Qt::WindowNoState);
    EXPECT_TRUE(WaitFor([&] { return attendance.widget()->isVisible(); }));
}

TEST_F(ProgramTest, AssignmentToolGivesFocusBackAndReopensWhereItWasLeft) {
    frmMain& main = ShowMain();
    frmToolbar& tool = Instance<frmToolbar>();
    tool.LoadToolbar(main);
    tool.widget()->move(300, 210);
    tool.UnloadToolbar();
    EXPECT_EQ(FloatTbr::TbrVisible, 0);
    EXPECT_EQ(FloatTbr::TbrLeft, 300 * 15);
    EXPECT_EQ(FloatTbr::TbrTop, 210 * 15);
    EXPECT_TRUE(WaitFor([&] { return QApplication::activeWindow() == main.widget(); }));
    tool.LoadToolbar(main);
    EXPECT_EQ(tool.widget()->pos(), QPoint(300, 210));
}

// Form_Unload (the assignment tool's remembers where the window stood) runs when the window is
// unloaded or closed by the user, not when its owner's window takes it along.
TEST_F(ProgramTest, TheUnloadHandlerRunsOnUnloadAndCloseButNotWithTheOwner) {
    frmMain& main = ShowMain();
    frmToolbar& tool = Instance<frmToolbar>();
    int unloaded = 0;
    QObject counting;
    QObject::connect(&tool, &FormWindow::Unloaded, &counting, [&] { ++unloaded; });
    const auto leftAfter = [&](int x, const std::function<void()>& unload) {
        tool.LoadToolbar(main);
        QPointer<QWidget> window = tool.widget();
        window->move(x, 210);
        unload();
        EXPECT_TRUE(WaitFor([&] { return window.isNull(); }));
        EXPECT_FALSE(tool.IsLoaded());
        return FloatTbr::TbrLeft;
    };
    EXPECT_EQ(leftAfter(100, [&] { tool.UnloadToolbar(); }), 100 * 15);
    EXPECT_EQ(leftAfter(200, [&] { tool.widget()->close(); }), 200 * 15);
    EXPECT_EQ(unloaded, 2);
    EXPECT_EQ(leftAfter(300, [&] { main.widget()->close(); }), 200 * 15);
    EXPECT_EQ(unloaded, 3);
}

// The user's close runs the unload handler straight from the event loop: an error escaping it
// is reported like any handler's, and the window still goes.
TEST_F(ProgramTest, AnErrorInTheUnloadHandlerOfAUserCloseIsReported) {
    struct Failing : FormWindow {
        Failing() : FormWindow(QStringLiteral("Form7")) {}
        void Form_Unload() override { throw std::runtime_error("unload failed"); }
    } window;
    window.Show();
    QPointer<QWidget> w = window.widget();
    w->close();
    EXPECT_EQ(unhandled, std::vector<QString>{"unload failed"});
    EXPECT_TRUE(WaitFor([&] { return w.isNull(); }));
    EXPECT_FALSE(window.IsLoaded());
    unhandled.clear();

    // Errors that are not the program's own are reported in its words, not the library's.
    const auto reportOf = [&](std::function<void()> fail) {
        struct Throwing : FormWindow {
            std::function<void()> fail;
            Throwing() : FormWindow(QStringLiteral("Form7")) {}
            void Form_Unload() override { fail(); }
        } throwing;
        throwing.fail = std::move(fail);
        throwing.Show();
        throwing.widget()->close();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        const QString got = unhandled.empty() ? QString() : unhandled.front();
        unhandled.clear();
        return got;
    };
    EXPECT_EQ(reportOf([] { throw std::bad_alloc(); }),
              "not enough memory to finish what was asked");
    EXPECT_EQ(
        reportOf([] { throw platform::forms::Json::parse_error::create(101, 0, "x", nullptr); }),
        "an unexpected error stopped what was asked");
}

TEST(FloatTbrTest, PositionsBecomeSixteenBitValues) {
    EXPECT_EQ(FloatTbr::ToInt16(22.5), 22);  // halves to even
    EXPECT_EQ(FloatTbr::ToInt16(23.5), 24);
    EXPECT_EQ(FloatTbr::ToInt16(40000), 32767);
    EXPECT_EQ(FloatTbr::ToInt16(-40000), -32768);
}

TEST_F(ProgramTest, BrokenDesignFilesAreNamedWithTheKey) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QDir(dir.path()).mkpath("forms");
    auto write = [&](const QByteArray& text) {
        QFile f(dir.filePath("forms/frmMain.json"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
    };
    app::Config config;
    config.designDir = dir.path();
    config.portal = "http://portal.test";
    QString error;

    write("{ \"caption\": \"x\", ");
    EXPECT_FALSE(app::Application(config).Start(&error));
    EXPECT_TRUE(error.contains("frmMain.json")) << error.toStdString();
    EXPECT_TRUE(error.contains("not valid JSON")) << error.toStdString();

    // A broken tool window is reported when a click opens it, and the program carries on.
    platform::forms::SetDesignDirectory({});
    frmMain& main = ShowMain();
    QFile(dir.filePath("forms/frmMain.json")).remove();
    QFile bad(dir.filePath("forms/Form2.json"));
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write(
        R"({"caption": "x", "clientWidth": 100, "clientHeight": -5, "border": "fixedSingle"})");
    bad.close();
    platform::forms::SetDesignDirectory(dir.path());
    testsupport::Click(main.Ctl<QWidget>("gxButtons_H4"));
    ASSERT_EQ(unhandled.size(), 1u);
    EXPECT_TRUE(unhandled[0].contains("Form2.json: key \"clientHeight\""))
        << unhandled[0].toStdString();
    unhandled.clear();
}
