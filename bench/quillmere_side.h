#pragma once
// What Quillmere's side of bench_first_page and bench_memory share: the program's windows set up
// as main() and the application do it, with the web engine pane from its plugin, against the
// local page server. Clicks are a person's (testsupport::Click).

#include <QApplication>
#include <QUrl>

#include "controls/Register.h"
#include "pages.h"
#include "platform/browser/DeferredPane.h"
#include "platform/forms/Instances.h"
#include "support/Ui.h"

namespace firstpage {

// Call after QApplication exists (and PrepareWebEngine before it).
inline void SetUpProgram() {
    platform::browser::InstallDeferredWebPane();
    const QString url = StartServer();
    platform::forms::Placeholders p;
    p.portal = url;
    p.portalHost = QUrl(url).authority();
    p.webmail = p.portalHost;
    platform::forms::SetPlaceholders(p);
    controls::RegisterControls();
}

}  // namespace firstpage
