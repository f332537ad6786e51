// The accessible side of the windows and the standard controls. Every interface reads the
// control's state when asked; none keeps a copy, so a caption or a wiring that changes later
// shows at once.

#include "platform/forms/AccessibleForms.h"

#include <QFileInfo>
#include <QMenu>
#include <QPointer>
#include <climits>

#include "platform/forms/FormWindow.h"
#include "platform/forms/StandardControls.h"

namespace platform::forms {

QString SpokenCaption(const QString& caption, bool mnemonics) {
    QString text;
    text.reserve(caption.size());
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (mnemonics && caption[i] == QLatin1Char('&')) {
            // "&&" is a literal ampersand; a single one marks the next character.
            if (i + 1 < caption.size() && caption[i + 1] == QLatin1Char('&')) {
                text += QLatin1Char('&');
                ++i;
            }
            continue;
        }
        text += caption[i];
    }
    return text.simplified();
}

QList<QWidget*> ExposedChildren(const QWidget* container) {
    QList<QWidget*> shown;
    for (QObject* o : container->children()) {
        auto* w = qobject_cast<QWidget*>(o);
        // isHidden: hidden on purpose, so not shown with its container either.
        if (!w || w->isWindow() || w->isHidden() || qobject_cast<QMenu*>(w)) continue;
        shown.append(w);
    }
    return shown;
}

AccessibleContainer::AccessibleContainer(QWidget* w, QAccessible::Role role, int leading)
    : QAccessibleWidget(w, role), mLeading(leading) {}

int AccessibleContainer::childCount() const {
    return mLeading + int(ExposedChildren(widget()).size());
}

QAccessibleInterface* AccessibleContainer::child(int index) const {
    if (index < 0) return nullptr;
    if (index < mLeading) return LeadingChild(index);
    const QList<QWidget*> shown = ExposedChildren(widget());
    index -= mLeading;
    return index < shown.size() ? QAccessible::queryAccessibleInterface(shown[index]) : nullptr;
}

int AccessibleContainer::indexOfChild(const QAccessibleInterface* child) const {
    if (!child) return -1;
    for (int i = 0; i < mLeading; ++i)
        if (LeadingChild(i) == child) return i;
    const int at = int(ExposedChildren(widget()).indexOf(qobject_cast<QWidget*>(child->object())));
    return at < 0 ? -1 : mLeading + at;
}

namespace {

QString PictureName(const platform::Picture& picture) {
    return picture.IsNone() ? QString() : QFileInfo(picture.name()).fileName();
}

// The text of the label that names `w`: the nearest shown label on the same row to its right.
QString LabelBeside(const QWidget* w) {
    const QWidget* parent = w->parentWidget();
    if (!parent) return {};
    const QRect r = w->geometry();
    const int row = r.center().y();
    const Label* best = nullptr;
    int bestGap = INT_MAX;
    for (QWidget* c : ExposedChildren(parent)) {
        const auto* label = qobject_cast<const Label*>(c);
        if (!label) continue;
        const QRect lr = label->geometry();
        if (row < lr.top() || row > lr.bottom() || lr.left() < r.center().x()) continue;
        const int gap = lr.left() - r.right();
        if (gap < bestGap) {
            bestGap = gap;
            best = label;
        }
    }
    return best ? SpokenCaption(best->Caption(), best->UseMnemonic()) : QString();
}

// A label or picture: a link with a "press" action while its Click is wired, else static text
// or a graphic.
template <class Control>
class ClickableAccessible : public QAccessibleWidget {
public:
    ClickableAccessible(Control* c, QAccessible::Role plainRole)
        : QAccessibleWidget(c), mPlainRole(plainRole) {}

    Control* control() const { return static_cast<Control*>(widget()); }
    bool IsLink() const { return control()->IsLink(); }

    QAccessible::Role role() const override { return IsLink() ? QAccessible::Link : mPlainRole; }
    QAccessible::State state() const override {
        QAccessible::State s = QAccessibleWidget::state();
        s.linked = IsLink();
        return s;
    }
    QStringList actionNames() const override {
        QStringList names = QAccessibleWidget::actionNames();
        if (IsLink() && widget()->isEnabled()) names.prepend(pressAction());
        return names;
    }
    void doAction(const QString& action) override {
        if (action == pressAction()) {
            // What a click does: the window's handler runs and may unload the window.
            if (IsLink() && widget()->isEnabled()) emit control()->Click();
            return;
        }
        QAccessibleWidget::doAction(action);
    }

private:
    QAccessible::Role mPlainRole;
};

class LabelAccessible : public ClickableAccessible<Label> {
public:
    explicit LabelAccessible(Label* l) : ClickableAccessible(l, QAccessible::StaticText) {}
    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Name)
            return SpokenCaption(control()->Caption(), control()->UseMnemonic());
        return QAccessibleWidget::text(t);
    }
};

class ImageAccessible : public ClickableAccessible<Image> {
public:
    explicit ImageAccessible(Image* i) : ClickableAccessible(i, QAccessible::Graphic) {}
    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Name) {
            // An icon stands for the label beside it; a lone picture is named by its file.
            const QString beside = LabelBeside(widget());
            return beside.isEmpty() ? PictureName(control()->Picture()) : beside;
        }
        return QAccessibleWidget::text(t);
    }
};

class FrameAccessible : public AccessibleContainer {
public:
    explicit FrameAccessible(Frame* f) : AccessibleContainer(f, QAccessible::Grouping) {}
    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Name) return SpokenCaption(static_cast<Frame*>(widget())->Caption());
        return AccessibleContainer::text(t);
    }
};

// A picture box is a grouping while it holds controls, else a picture.
class PictureBoxAccessible : public AccessibleContainer {
public:
    explicit PictureBoxAccessible(PictureBox* p) : AccessibleContainer(p, QAccessible::Graphic) {}
    QAccessible::Role role() const override {
        return childCount() > 0 ? QAccessible::Grouping : QAccessible::Graphic;
    }
    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Name)
            return PictureName(static_cast<PictureBox*>(widget())->Picture());
        return AccessibleContainer::text(t);
    }
};

}  // namespace

QAccessibleInterface* StandardAccessible(QObject* object) {
    if (auto* label = qobject_cast<Label*>(object)) return new LabelAccessible(label);
    if (auto* image = qobject_cast<Image*>(object)) return new ImageAccessible(image);
    if (auto* frame = qobject_cast<Frame*>(object)) return new FrameAccessible(frame);
    if (auto* box = qobject_cast<PictureBox*>(object)) return new PictureBoxAccessible(box);
    if (auto* line = qobject_cast<Line*>(object))
        return new QAccessibleWidget(line, QAccessible::Separator);
    if (auto* window = qobject_cast<FormWidget*>(object))
        return new AccessibleContainer(window, QAccessible::Window);
    auto* w = qobject_cast<QWidget*>(object);
    if (w && !w->isWindow()) {
        if (auto* window = qobject_cast<FormWidget*>(w->parentWidget());
            window && window->Client() == w)
            return new AccessibleContainer(w, QAccessible::Client);
    }
    return nullptr;
}

}  // namespace platform::forms
