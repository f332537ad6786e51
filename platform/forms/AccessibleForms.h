#pragma once
// What a screen reader is told about the windows and the standard controls: a window's client
// area and the containers (frames, picture boxes) list only the controls that are shown, labels
// are static text or links, pictures are graphics named by what they stand for.
//
// A control the window made invisible (Visible False: the hidden address fields) is left out of
// its container's children, so assistive technologies never see it. A Label or Image whose Click
// the window wired opens something: it is a link, and its "press" action raises that Click.

#include <QAccessibleWidget>
#include <QList>

class QAccessibleInterface;

namespace platform::forms {

// The text of a caption as spoken: access-key marks removed ("&&" stays as a literal "&") when
// `mnemonics` is set, runs of white space folded into one space, the ends trimmed.
QString SpokenCaption(const QString& caption, bool mnemonics = true);

// The child widgets a container exposes: not windows, not menus, not hidden.
QList<QWidget*> ExposedChildren(const QWidget* container);

// A widget whose children are the shown ones of its child widgets, after `leading` children that
// are not widgets (a title bar, say) which the subclass supplies through LeadingChild.
class AccessibleContainer : public QAccessibleWidget {
public:
    AccessibleContainer(QWidget* w, QAccessible::Role role, int leading = 0);
    int childCount() const override;
    QAccessibleInterface* child(int index) const override;
    int indexOfChild(const QAccessibleInterface* child) const override;

protected:
    virtual QAccessibleInterface* LeadingChild(int) const { return nullptr; }

private:
    int mLeading;
};

// The interface for the standard controls and the window parts (the on-screen window and its
// client area), or null for any other object (the platform's own interfaces serve those).
QAccessibleInterface* StandardAccessible(QObject* object);

}  // namespace platform::forms
