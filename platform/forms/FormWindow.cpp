// The form runtime: builds a window and its controls from the design file, gives its keys their
// meaning (access keys, Enter and Escape, the arrows) and wires its handlers. Lengths in design
// files are twips, turned into pixels here. The guarantees (when Form_Unload runs, when
// Unloaded fires, how handlers run) are written in FormWindow.h.

#include "platform/forms/FormWindow.h"

#include <QAbstractButton>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QIcon>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QPalette>
#include <QShortcut>
#include <cstdio>
#include <new>
#include <stdexcept>

#include "platform/Units.h"
#include "platform/browser/BrowserPane.h"
#include "platform/forms/Control.h"
#include "platform/forms/StandardControls.h"

namespace platform::forms {

namespace {

// The receiving end of a signal found by name (a control's Click): a slot to connect it to.
// A child of the control, so that it goes with it.
class ClickRelay : public QObject {
    Q_OBJECT
public:
    ClickRelay(QObject* control, std::function<void()> f) : QObject(control), mF(std::move(f)) {}
public slots:
    void Fire() { mF(); }

private:
    std::function<void()> mF;
};

UnhandledErrorHandler gUnhandled;

// Runs `f` where an exception must not escape into Qt's event dispatch: an error is reported.
// The program's own errors (runtime errors: a broken design file, a picture that cannot be read)
// say what is wrong; any other is a library's, whose text means nothing to a user, so it is
// reported in our words and its own text goes to standard error for whoever reads it.
void RunReportingErrors(const std::function<void()>& f) {
    try {
        f();
    } catch (const std::bad_alloc&) {
        ReportUnhandledError(QStringLiteral("not enough memory to finish what was asked"));
    } catch (const std::runtime_error& e) {
        ReportUnhandledError(QString::fromUtf8(e.what()));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "quillmere: unexpected error: %s\n", e.what());
        ReportUnhandledError(QStringLiteral("an unexpected error stopped what was asked"));
    }
}

QRect TwipsToPixelRect(const QRect& twips) {
    return QRect(TwipsToPixels(twips.left()), TwipsToPixels(twips.top()),
                 TwipsToPixels(twips.width()), TwipsToPixels(twips.height()));
}

Qt::WindowFlags FlagsFor(Border border) {
    const Qt::WindowFlags common =
        Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint;
    return border == Border::FixedToolWindow ? (Qt::Tool | common)
                                             : (Qt::Window | common | Qt::WindowSystemMenuHint);
}

}  // namespace

void SetUnhandledErrorHandler(UnhandledErrorHandler handler) {
    gUnhandled = std::move(handler);
}

void ReportUnhandledError(const QString& message) {
    if (gUnhandled) {
        gUnhandled(message);
        return;
    }
    std::fprintf(stderr, "quillmere: %s\n", qPrintable(message));
    if (QGuiApplication::platformName() != QLatin1String("offscreen"))
        QMessageBox::critical(nullptr, QCoreApplication::applicationName(), message);
    QCoreApplication::exit(1);
}

// ---- FormWidget ----

FormWidget::FormWidget(FormWindow* form, const FormDesign& design)
    : QWidget(nullptr, FlagsFor(design.border)), mForm(form) {
    setObjectName(form->Name());
    setAttribute(Qt::WA_DeleteOnClose);
    setProperty("UserMode", true);
    setWindowTitle(design.caption);
    if (!design.icon.isEmpty()) {
        QIcon icon;
        for (const QString& name : design.icon.split(QLatin1Char(';')))
            icon.addFile(ResolveResourcePath(name.trimmed()));
        setWindowIcon(icon);
    }
    QFont font(QStringLiteral("Arial"));
    font.setPointSizeF(8.25);
    setFont(font);

    if (!design.menus.empty()) {
        mMenuBar = new QMenuBar(this);
        mMenuBar->setNativeMenuBar(false);
        // F10 opens the first menu wherever the focus is, so that entries without an access key
        // ("File", "Help") are reached by keyboard too; the arrows go on from there.
        auto* f10 = new QShortcut(QKeySequence(Qt::Key_F10), this);
        connect(f10, &QShortcut::activated, this, [this] {
            const QList<QAction*> menus = mMenuBar->actions();
            if (!menus.isEmpty()) mMenuBar->setActiveAction(menus.front());
        });
    }
    mClientSize = QSize(TwipsToPixels(design.clientWidth), TwipsToPixels(design.clientHeight));
    mClient = new QWidget(this);
    mClient->setObjectName(QStringLiteral("client"));
    mClient->setAutoFillBackground(true);
    QPalette pal = mClient->palette();
    pal.setColor(QPalette::Window, ToQColor(design.backColor));
    mClient->setPalette(pal);
    SetContainerBackColor(mClient, design.backColor);
    LayOut();
    if (design.position) {
        move(TwipsToPixels(design.position->x()), TwipsToPixels(design.position->y()));
    }
}

void FormWidget::LayOut() {
    // The client area keeps its designed size; a menu bar sits above it.
    const int top = mMenuBar ? mMenuBar->sizeHint().height() : 0;
    if (mMenuBar) mMenuBar->setGeometry(0, 0, mClientSize.width(), top);
    mClient->setGeometry(0, top, mClientSize.width(), mClientSize.height());
    setFixedSize(mClientSize.width(), mClientSize.height() + top);
}

FormWidget::~FormWidget() {
    // Still whole here: the controls go after this, in QWidget's destructor.
    if (mForm) mForm->EndLoad(this, FormWindow::Ending::Destroyed);
}

void FormWidget::closeEvent(QCloseEvent* event) {
    // Form_Unload runs here straight from the event loop: its errors are reported like those
    // of any other handler.
    if (mForm) RunReportingErrors([this] { mForm->EndLoad(this, FormWindow::Ending::UserClose); });
    event->accept();
}

void FormWidget::keyPressEvent(QKeyEvent* event) {
    const int key = event->key();
    const bool enter = key == Qt::Key_Return || key == Qt::Key_Enter;
    if ((enter || key == Qt::Key_Escape) && event->modifiers() == Qt::NoModifier) {
        // The window's default button takes Enter, its cancel button Escape. The children
        // include the windows this one owns: their buttons are theirs.
        const WindowButton role = enter ? WindowButton::Default : WindowButton::Cancel;
        for (QWidget* w : findChildren<QWidget*>()) {
            if (IsWindowButton(w, role) && w->isVisible() && w->isEnabled() && OwnControl(w) &&
                PressWindowButton(w, role))
                return;
        }
    }
    // Arrow keys that one of the window's controls passes on move the focus, as in a dialog:
    // left and up to the previous control, right and down to the next.
    if ((event->modifiers() == Qt::NoModifier || event->modifiers() == Qt::KeypadModifier) &&
        FocusOnOwnControl()) {
        if (key == Qt::Key_Left || key == Qt::Key_Up) {
            focusNextPrevChild(false);
            return;
        }
        if (key == Qt::Key_Right || key == Qt::Key_Down) {
            focusNextPrevChild(true);
            return;
        }
    }
    QWidget::keyPressEvent(event);
}

bool FormWidget::OwnControl(const QWidget* w) const {
    return w && mForm && mForm->IsControl(w);
}

bool FormWidget::FocusOnOwnControl() const {
    // A browser pane is a control of the window, but the keys that reach the window from it
    // come from its page.
    const QWidget* f = focusWidget();
    return OwnControl(f) && !qobject_cast<const browser::BrowserPane*>(f);
}

bool FormWidget::focusNextPrevChild(bool next) {
    QWidget* first = nullptr;
    // Bounded: once round the window at most.
    for (int steps = findChildren<QWidget*>().size() + 1; steps > 0; --steps) {
        if (!QWidget::focusNextPrevChild(next)) return false;
        QWidget* f = focusWidget();
        if (!f || f == first || !f->visibleRegion().isEmpty()) return true;
        if (!first) first = f;
    }
    return true;
}

// ---- Access keys ----

QKeySequence AccessKeySequence(const QString& key) {
    if (key.isEmpty()) return {};
    return QKeySequence(Qt::ALT | QKeySequence(key.toUpper())[0].key());
}

namespace {

// The access key `w` is reached by, as the key sequence typed; empty for none.
QKeySequence AccessKeyOf(QWidget* w) {
    if (auto* target = dynamic_cast<AccessKeyTarget*>(w))
        return AccessKeySequence(target->AccessKeys());
    if (auto* button = qobject_cast<QAbstractButton*>(w))
        return QKeySequence::mnemonic(button->text());
    return {};
}

void Click(QWidget* w) {
    if (auto* target = dynamic_cast<AccessKeyTarget*>(w)) {
        const QString key = target->AccessKeys();
        target->AccessKeyPress(std::int16_t(key.isEmpty() ? 0 : key[0].unicode()));
    } else if (auto* button = qobject_cast<QAbstractButton*>(w)) {
        button->animateClick();
    }
}

}  // namespace

void AccessKeyTyped(QWidget* receiver, const QKeySequence& sequence) {
    if (!receiver || sequence.isEmpty()) return;
    QWidget* window = receiver->window();
    QList<QWidget*> holders;
    for (QWidget* w : window->findChildren<QWidget*>()) {
        // A tool window may be a child of its owner: only this window's controls count.
        if (w->window() != window || !w->isVisible() || !w->isEnabled()) continue;
        if (AccessKeyOf(w) == sequence) holders.append(w);
    }
    if (holders.size() == 1) {
        Click(holders.front());
        return;
    }
    // Shared: on from the focused control round the tab order to the next holder that can
    // take the focus.
    QWidget* start = window->focusWidget() ? window->focusWidget() : window;
    QWidget* w = start;
    do {
        w = w->nextInFocusChain();
        if (holders.contains(w) && w->focusPolicy() != Qt::NoFocus) {
            w->setFocus(Qt::ShortcutFocusReason);
            return;
        }
    } while (w != start);
}

// ---- FormWindow ----

FormWindow::FormWindow(QString designName) : mName(std::move(designName)) {
    setObjectName(mName);
}

FormWindow::~FormWindow() {
    // Not an unload: no handler runs and nothing is told.
    FormWidget* w = mWidget.data();
    mWidget = nullptr;
    delete w;
}

void FormWindow::Build() {
    mDesign = LoadDesign(mName);
    mControls.clear();
    auto* w = new FormWidget(this, mDesign);
    try {
        if (w->MenuBar()) {
            BuildMenus(w->MenuBar(), mDesign.menus);
            w->LayOut();
        }
        for (const ControlDesign& c : mDesign.controls) BuildControl(c, w->Client());
    } catch (...) {
        mControls.clear();
        delete w;
        throw;
    }
    mWidget = w;
    Wire();
}

void FormWindow::BuildMenus(QMenuBar* bar, const std::vector<MenuDesign>& menus) {
    for (const MenuDesign& m : menus) {
        QMenu* menu = bar->addMenu(m.caption);
        menu->setObjectName(QString::fromStdString(m.name));
        menu->menuAction()->setObjectName(QString::fromStdString(m.name));
        mControls.insert(QString::fromStdString(m.name), menu->menuAction());
        for (const MenuDesign& item : m.items) {
            QAction* a = menu->addAction(item.caption);
            a->setObjectName(QString::fromStdString(item.name));
            mControls.insert(QString::fromStdString(item.name), a);
        }
    }
}

void FormWindow::BuildControl(const ControlDesign& design, QWidget* parent) {
    const ControlCreator* creator = FindControlType(design.type);
    const QString name = design.QualifiedName();
    if (!creator) {
        throw DesignError(QStringLiteral("%1: key \"%2.type\": unknown control type \"%3\"")
                              .arg(mDesign.file, QString::fromStdString(design.path),
                                   QString::fromStdString(design.type))
                              .toStdString());
    }
    if (mControls.contains(name)) {
        throw DesignError(QStringLiteral("%1: key \"%2.name\": a second control named %3")
                              .arg(mDesign.file, QString::fromStdString(design.path), name)
                              .toStdString());
    }
    QWidget* w = (*creator)(design, parent);
    w->setObjectName(name);
    mControls.insert(name, w);
    // Each stored value is read on its own: one the control cannot use is reported and keeps
    // its default, and the window opens.
    if (auto* p = dynamic_cast<Persistent*>(w)) p->ReadProperties(design.bag);
    // The tool tip is the window's, stored with every control: the custom ones take it here
    // (it is also what a screen reader reads as the control's description).
    if (w->toolTip().isEmpty()) w->setToolTip(design.bag.ReadString("ToolTipText"));
    // Access-key targets leave their default and cancel roles to the window (a command button
    // reads its own).
    if (dynamic_cast<AccessKeyTarget*>(w)) {
        for (WindowButton role : kWindowButtons)
            SetWindowButton(w, role, design.bag.ReadBool(WindowButtonKey(role), false));
    }
    if (design.rect) w->setGeometry(TwipsToPixelRect(*design.rect));
    for (const ControlDesign& child : design.children) BuildControl(child, w);
    w->setVisible(design.visible);
}

void FormWindow::Show() {
    const bool fresh = !IsLoaded();
    if (fresh) {
        Build();
        Form_Load();
        if (!IsLoaded()) return;  // the load handler unloaded the window
    }
    mWidget->show();
    mWidget->raise();
    mWidget->activateWindow();
    if (fresh) emit Loaded();
}

void FormWindow::Unload() {
    if (IsLoaded()) EndLoad(mWidget.data(), Ending::Unload);
}

void FormWindow::EndLoad(FormWidget* w, Ending ending) {
    if (!w || w != mWidget) return;
    if (ending != Ending::Destroyed) {
        Form_Unload();
        if (w != mWidget) return;  // the handler unloaded the window itself
    }
    mWidget = nullptr;
    mControls.clear();
    // Not loaded any more, so the close finds nothing to do; deleted by the event loop.
    if (ending == Ending::Unload) w->close();
    emit Unloaded();
}

bool FormWindow::IsControl(const QObject* o) const {
    for (const QPointer<QObject>& c : mControls)
        if (c == o) return true;
    return false;
}

QObject* FormWindow::Find(const QString& name) const {
    const auto it = mControls.constFind(name);
    return it == mControls.constEnd() ? nullptr : it.value().data();
}

void FormWindow::MissingControl(const QString& name) const {
    throw DesignError(QStringLiteral("%1: key \"%2\": no such control%3")
                          .arg(mName + QStringLiteral(".json"), name,
                               IsLoaded() ? QString() : QStringLiteral(" (window not loaded)"))
                          .toStdString());
}

QString FormWindow::Text(const QString& field) const {
    auto* box = qobject_cast<QLineEdit*>(Find(field));
    return box ? box->text() : QString();
}

void FormWindow::SetText(const QString& field, const QString& text) {
    if (auto* box = qobject_cast<QLineEdit*>(Find(field))) box->setText(text);
}

void FormWindow::GoTo(const QString& pane, const QString& field) {
    // Each step on its own: a missing field still navigates (to nothing) and focuses.
    QString address;
    try {
        address = Text(field);
    } catch (...) {
    }
    GoToAddress(pane, address);
}

void FormWindow::Reload(const QString& pane) {
    ThenFocus(pane, [](browser::BrowserPane& p) { p.Refresh(); });
}

void FormWindow::GoToAddress(const QString& pane, const QString& address) {
    ThenFocus(pane, [&address](browser::BrowserPane& p) { p.Navigate(address); });
}

void FormWindow::ThenFocus(const QString& pane,
                           const std::function<void(browser::BrowserPane&)>& step) {
    auto* browser = qobject_cast<browser::BrowserPane*>(Find(pane));
    if (!browser) return;
    try {
        step(*browser);
    } catch (...) {
    }
    try {
        browser->Focus();
    } catch (...) {
    }
}

std::function<void()> FormWindow::Handler(std::function<void()> handler) {
    return [this, built = QPointer<FormWidget>(mWidget), h = std::move(handler)] {
        if (built && mWidget == built) RunReportingErrors(h);
    };
}

void FormWindow::OnClick(const QString& name, std::function<void()> handler) {
    QObject* o = Find(name);
    if (!o) MissingControl(name);
    if (auto* action = qobject_cast<QAction*>(o)) {
        connect(action, &QAction::triggered, action, Handler(std::move(handler)));
        return;
    }
    auto* relay = new ClickRelay(o, Handler(std::move(handler)));
    if (!connect(o, SIGNAL(Click()), relay, SLOT(Fire()))) {
        delete relay;
        throw DesignError(QStringLiteral("%1.json: key \"%2\": the control has no event Click()")
                              .arg(mName, name)
                              .toStdString());
    }
    // A label or an icon that opens something is a link (the keyboard reaches the labels).
    if (auto* label = qobject_cast<Label*>(o)) label->SetLink(true);
    if (auto* image = qobject_cast<Image*>(o)) image->SetLink(true);
}

}  // namespace platform::forms

#include "FormWindow.moc"

#include "platform/forms/Instances.h"

namespace platform::forms {

std::map<std::type_index, std::unique_ptr<FormWindow>>& InstanceTable() {
    static std::map<std::type_index, std::unique_ptr<FormWindow>> table;
    return table;
}

void DestroyInstances() {
    // In any order: an owned window's on-screen window may already have gone with its
    // owner's, which its instance notices through its guarded pointer.
    auto& table = InstanceTable();
    while (!table.empty()) table.erase(table.begin());
}

}  // namespace platform::forms
