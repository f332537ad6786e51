#pragma once
// The test double of the browser pane: every call is appended to one shared log, tagged with
// the pane's name and the name of its window, so a test reads what each handler asked for.

#include <QString>
#include <vector>

#include "platform/browser/BrowserPane.h"

namespace platform::browser {

struct BrowserCall {
    QString window;  // objectName of the pane's top-level window
    QString pane;    // objectName of the pane ("Browser", "Browser2")
    QString op;      // "Navigate", "Refresh" or "Focus"
    QString arg;     // the address text given to Navigate
};

class RecordingBrowser : public BrowserPane {
    Q_OBJECT
public:
    using BrowserPane::BrowserPane;

    void Navigate(const QString& address) override;
    void Refresh() override;
    void Focus() override;
    QUrl CurrentUrl() const override { return mUrl; }

    // Installs the double as the factory's product and clears the log.
    static void Install();
    static std::vector<BrowserCall>& Log();

private:
    void Record(const QString& op, const QString& arg = {});
    QUrl mUrl;
};

}  // namespace platform::browser
