// The start-up benchmark's anchor: the cheapest honest Qt Widgets program with a window like the
// main window (720 x 431 client pixels under a three-menu bar, about forty labels of links and
// notices). It exits with code 0 right after the window's first paint, the same finish line as
// `quillmere --quit-after-first-paint`. With --stay (bench_memory) it prints "ready" a second
// after that paint instead, and stays until it is ended.

#include <QApplication>
#include <QEvent>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QTimer>
#include <QWidget>
#include <cstdio>
#include <cstring>

#ifdef QM_ANCHOR_LINK_WEBENGINE
#include <QWebEngineView>
#endif

namespace {

constexpr int kClientWidth = 720;
constexpr int kClientHeight = 431;

// Quits the event loop once the watched window has painted, or says it is ready a second later.
class FirstPaintQuitter : public QObject {
public:
    FirstPaintQuitter(QObject* parent, bool stay) : QObject(parent), mStay(stay) {}
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint && !mDone) {
            mDone = true;
            if (mStay) {
                QTimer::singleShot(1000, qApp, [] {
                    std::puts("ready");
                    std::fflush(stdout);
                });
            } else {
                QTimer::singleShot(0, qApp, [] { QCoreApplication::exit(0); });
            }
        }
        return false;
    }

private:
    bool mStay;
    bool mDone = false;
};

const char* const kLinks[] = {
    "Attendance",     "Grades",       "Timetable",     "Assignments", "Report cards",
    "Library",        "Web mail",     "School diary",  "Calendar",    "Clubs",
    "Canteen menu",   "Bus routes",   "Exam schedule", "Staff list",  "Parent letters",
    "Lost and found", "Sports teams", "Counselling",   "Health room", "Help desk",
};

const char* const kNotices[] = {
    "The library closes early on Friday for the annual stock check; books due that day may "
    "be returned on Monday without a fine.",
    "Term reports will be published on the portal at the end of next week.",
    "Parents' evening bookings open on Monday at 8 a.m. and close on Thursday at noon.",
    "The north car park is closed for resurfacing until further notice.",
    "Lockers must be emptied before the holidays; anything left behind goes to lost property.",
    "The school choir rehearses in the main hall every Wednesday after the last lesson.",
    "Exam candidates: bring two pens, a pencil and a clear pencil case.",
    "Please keep your contact details up to date so that urgent notices reach you.",
};

const char* const kHeadings[] = {"Links", "Notices", "Today", "Your account"};

const char* const kStatus[] = {
    "Signed in as a guest", "Last visit: yesterday", "3 new messages",
    "No overdue books",     "Next lesson: Maths",    "Room 14",
    "Portal online",        "Version 2.0",
};

// The client area: two columns of link labels on the left, word-wrapped notices on the right,
// headings above each group and a strip of single-line status labels at the bottom.
QWidget* BuildPanel() {
    auto* panel = new QWidget;
    panel->setFixedSize(kClientWidth, kClientHeight);

    const int headingY[] = {8, 8, 300, 300};
    const int headingX[] = {12, 300, 12, 300};
    for (int i = 0; i < 4; ++i) {
        auto* h = new QLabel(QString::fromLatin1(kHeadings[i]), panel);
        QFont f = h->font();
        f.setBold(true);
        h->setFont(f);
        h->setGeometry(headingX[i], headingY[i], 260, 20);
    }

    for (int i = 0; i < 20; ++i) {
        auto* link = new QLabel(
            QStringLiteral("<a href=\"#%1\">%2</a>").arg(i).arg(QString::fromLatin1(kLinks[i])),
            panel);
        link->setTextFormat(Qt::RichText);
        link->setCursor(Qt::PointingHandCursor);
        link->setGeometry(12 + (i / 10) * 140, 32 + (i % 10) * 26, 130, 22);
    }

    for (int i = 0; i < 8; ++i) {
        auto* notice = new QLabel(QString::fromLatin1(kNotices[i]), panel);
        notice->setWordWrap(true);
        notice->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        notice->setGeometry(300, 32 + i * 33, 408, 32);
    }

    for (int i = 0; i < 8; ++i) {
        auto* status = new QLabel(QString::fromLatin1(kStatus[i]), panel);
        status->setGeometry(12 + (i % 2) * 288, 324 + (i / 2) * 24, 270, 20);
    }
    return panel;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);

#ifdef QM_ANCHOR_LINK_WEBENGINE
    // Keeps the engine library among the program's needed libraries without using it: this
    // variant tells how much merely loading the library adds to the start-up time.
    const void* volatile engineMeta = &QWebEngineView::staticMetaObject;
    (void)engineMeta;
#endif

    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Start-up anchor"));
    QMenuBar* bar = window.menuBar();
    QMenu* file = bar->addMenu(QStringLiteral("File"));
    file->addAction(QStringLiteral("E&xit"), &app, &QCoreApplication::quit);
    QMenu* tools = bar->addMenu(QStringLiteral("&Tools"));
    tools->addAction(QStringLiteral("&Options"));
    QMenu* help = bar->addMenu(QStringLiteral("Help"));
    help->addAction(QStringLiteral("&About"));
    window.setCentralWidget(BuildPanel());

    const bool stay = argc > 1 && std::strcmp(argv[1], "--stay") == 0;
    window.installEventFilter(new FirstPaintQuitter(&window, stay));
    window.show();
    return QApplication::exec();
}
