#pragma once
// The find bar at the bottom of a pane (Ctrl+F): type to search the page as you go, Enter or F3
// for the next match, Shift+Enter or Shift+F3 for the one before, "3 of 12" beside the field,
// Escape to close it, which clears the highlights and gives the keyboard back to the page.

#include <QPointer>
#include <QWidget>
#include <optional>

class QLabel;
class QLineEdit;
class QTimer;
class QWebEngineFindTextResult;
class QWebEngineView;

namespace platform::browser {

class FindBar : public QWidget {
    Q_OBJECT
public:
    explicit FindBar(QWidget* parent);

    // Searches in `view` from now on (the pane's view, made after the bar may be).
    void SetView(QWebEngineView* view);
    // Shows the bar with its field focused and its text selected.
    void Open();
    // Hides the bar, clears the page's highlights and focuses the page.
    void Close();
    // The next (or previous) match of the field's text; nothing when the field is empty.
    void Find(bool backward);

signals:
    // The bar was shown or hidden; the pane lays its view out again.
    void VisibilityChanged();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void OnFound(const QWebEngineFindTextResult& result);

    void Search(bool backward);

    QPointer<QWebEngineView> mView;
    QLineEdit* mField = nullptr;
    QLabel* mCount = nullptr;
    // One search runs at a time: the engine may drop a search that overtakes another, and
    // typing starts one per letter. What is asked meanwhile waits; only the latest counts.
    bool mSearching = false;
    std::optional<bool> mNext;  // a search asked for meanwhile: backward or not
    QTimer* mGiveUp = nullptr;  // a search whose answer never comes does not block the bar
};

}  // namespace platform::browser
