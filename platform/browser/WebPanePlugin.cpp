// The entry points by which the program reaches the web engine pane in its plugin (see
// DeferredPane.h). Plain C names, so the program can look them up.

#include "platform/browser/WebEngineShared.h"
#include "platform/browser/WebPane.h"

extern "C" {

Q_DECL_EXPORT platform::browser::BrowserPane* qm_web_pane_create(QWidget* parent) {
    return new platform::browser::WebPane(parent);
}

Q_DECL_EXPORT void qm_web_pane_warm() {
    platform::browser::WarmUp();
}

Q_DECL_EXPORT void qm_web_pane_settle(int maxMs) {
    platform::browser::SettlePendingNavigations(maxMs);
}

}  // extern "C"
