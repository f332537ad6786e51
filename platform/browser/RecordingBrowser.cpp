#include "platform/browser/RecordingBrowser.h"

namespace platform::browser {

std::vector<BrowserCall>& RecordingBrowser::Log() {
    static std::vector<BrowserCall> log;
    return log;
}

void RecordingBrowser::Install() {
    Log().clear();
    SetFactory([](QWidget* parent) { return new RecordingBrowser(parent); });
}

void RecordingBrowser::Record(const QString& op, const QString& arg) {
    const QWidget* top = window();
    Log().push_back({top ? top->objectName() : QString(), objectName(), op, arg});
}

void RecordingBrowser::Navigate(const QString& address) {
    Record(QStringLiteral("Navigate"), address);
    mUrl = AddressToUrl(address);
}

void RecordingBrowser::Refresh() {
    Record(QStringLiteral("Refresh"));
}

void RecordingBrowser::Focus() {
    Record(QStringLiteral("Focus"));
    BrowserPane::Focus();
}

}  // namespace platform::browser
