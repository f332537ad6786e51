#include "platform/browser/FindBar.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>
#include <QToolButton>
#include <QWebEngineFindTextResult>
#include <QWebEnginePage>
#include <QWebEngineView>
#include <utility>

#include "platform/browser/WebPane.h"

namespace platform::browser {

FindBar::FindBar(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("FindBar"));
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Window);

    auto* label = new QLabel(WebPane::tr("Find:"), this);
    mField = new QLineEdit(this);
    mField->setObjectName(QStringLiteral("FindText"));
    mField->setClearButtonEnabled(true);
    label->setBuddy(mField);
    mField->installEventFilter(this);
    mCount = new QLabel(this);
    mCount->setObjectName(QStringLiteral("FindCount"));
    mCount->setMinimumWidth(mCount->fontMetrics().horizontalAdvance(QStringLiteral("888 of 888")));

    auto button = [this](const QString& text, const QString& tip, const char* name) {
        auto* b = new QToolButton(this);
        b->setText(text);
        b->setToolTip(tip);
        b->setAccessibleName(tip);
        b->setObjectName(QLatin1String(name));
        b->setAutoRaise(true);
        return b;
    };
    QToolButton* previous =
        button(QStringLiteral("\u2191"), WebPane::tr("Previous match (Shift+F3)"), "FindPrevious");
    QToolButton* next =
        button(QStringLiteral("\u2193"), WebPane::tr("Next match (F3)"), "FindNext");
    QToolButton* close =
        button(QStringLiteral("\u2715"), WebPane::tr("Close (Escape)"), "FindClose");
    connect(previous, &QToolButton::clicked, this, [this] { Find(true); });
    connect(next, &QToolButton::clicked, this, [this] { Find(false); });
    connect(close, &QToolButton::clicked, this, &FindBar::Close);
    connect(mField, &QLineEdit::textEdited, this, [this] { Find(false); });
    mGiveUp = new QTimer(this);
    mGiveUp->setSingleShot(true);
    mGiveUp->setInterval(2000);
    connect(mGiveUp, &QTimer::timeout, this, [this] {
        mSearching = false;
        if (mNext) Search(*std::exchange(mNext, std::nullopt));
    });

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(6, 3, 6, 3);
    layout->setSpacing(4);
    layout->addWidget(label);
    layout->addWidget(mField, 1);
    layout->addWidget(mCount);
    layout->addWidget(previous);
    layout->addWidget(next);
    layout->addWidget(close);
    hide();
}

void FindBar::SetView(QWebEngineView* view) {
    if (mView == view) return;
    if (mView) mView->page()->disconnect(this);
    mView = view;
    if (mView) connect(mView->page(), &QWebEnginePage::findTextFinished, this, &FindBar::OnFound);
}

void FindBar::Open() {
    const bool wasHidden = isHidden();
    show();
    raise();
    mField->setFocus(Qt::ShortcutFocusReason);
    mField->selectAll();
    if (wasHidden) emit VisibilityChanged();
}

void FindBar::Close() {
    if (isHidden()) return;
    hide();
    mCount->clear();
    if (mView) {
        mView->page()->findText(QString());
        mView->setFocus(Qt::OtherFocusReason);
    }
    emit VisibilityChanged();
}

void FindBar::Find(bool backward) {
    if (!mView) return;
    if (mSearching) {
        mNext = backward;
        return;
    }
    Search(backward);
}

void FindBar::Search(bool backward) {
    const QString text = mField->text();
    if (text.isEmpty()) {
        mCount->clear();
        mView->page()->findText(QString());
        return;
    }
    mSearching = true;
    mGiveUp->start();
    mView->page()->findText(text,
                            backward ? QWebEnginePage::FindBackward : QWebEnginePage::FindFlags());
}

void FindBar::OnFound(const QWebEngineFindTextResult& result) {
    mSearching = false;
    mGiveUp->stop();
    if (mNext) {
        // The answer is for a text that has changed since.
        Search(*std::exchange(mNext, std::nullopt));
        return;
    }
    if (mField->text().isEmpty()) {
        mCount->clear();
    } else if (result.numberOfMatches() == 0) {
        mCount->setText(WebPane::tr("No matches"));
    } else {
        mCount->setText(
            WebPane::tr("%1 of %2").arg(result.activeMatch()).arg(result.numberOfMatches()));
    }
}

bool FindBar::eventFilter(QObject* watched, QEvent* event) {
    if (watched == mField && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        const bool shift = key->modifiers() & Qt::ShiftModifier;
        switch (key->key()) {
            case Qt::Key_Return:
            case Qt::Key_Enter:
            case Qt::Key_F3:
                Find(shift);
                return true;
            case Qt::Key_Escape:
                Close();
                return true;
            default:
                break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace platform::browser
