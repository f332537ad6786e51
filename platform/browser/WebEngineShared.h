#pragma once
// What every pane of the web engine shares inside the pane plugin: the one off-the-record
// profile, the answers the user gave for this run (permissions), the views of closed panes
// that still finish a navigation, and the dialogs that tests replace. Not for the windows:
// they know BrowserPane only.

#include <QHash>
#include <QPair>
#include <QPointer>
#include <QUrl>
#include <QWebEnginePage>
#include <vector>

#include "platform/browser/WebPane.h"

class QWebEngineProfile;
class QWebEngineView;

namespace platform::browser {

// The view of a closed pane that is finishing its last navigation. `done` is set once the load
// has finished or the time is up; the view is then on its way to deletion.
struct LingeringView {
    QPointer<QWebEngineView> view;
    bool done = false;
};

struct Engine {
    QWebEngineProfile* profile = nullptr;
    int livePages = 0;
    bool releaseRequested = false;
    std::vector<LingeringView> lingering;
    WebPane::SaveFileChooser saveFileChooser;
    WebPane::PrintChooser printChooser;
    // Permission answers for this run, by the site's origin and the feature asked for.
    QHash<QPair<QString, int>, bool> permissions;
    // Downloads the user has placed, by the engine's id: when a connection breaks, the engine
    // tries again and asks for the same download anew, which goes where the first went.
    struct PlacedDownload {
        QString path;
        QPointer<WebPane> pane;
    };
    QHash<quint32, PlacedDownload> placedDownloads;
    // A view made ahead of need, hidden and without a parent, once the program is idle after
    // its start; the first pane that needs a view takes it.
    QPointer<QWebEngineView> spare;
    bool viewMade = false;
};

Engine& TheEngine();

// The profile every page loads through; made on first use.
QWebEngineProfile* SharedProfile();

// Starts the engine ahead of need: the shared profile and a spare view (see Engine::spare).
void WarmUp();

// The pane that shows `page`, or null (a page of a closed pane, or one not yet shown).
WebPane* PaneOf(QWebEnginePage* page);

}  // namespace platform::browser
