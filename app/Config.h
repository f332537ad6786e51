#pragma once
// Configuration: the command line over the user's INI file (~/.config/quillmere/quillmere.ini,
// or --config FILE) over the system-wide ones (quillmere/quillmere.ini in each of
// XDG_CONFIG_DIRS, /etc/xdg by default; the first folder wins). All are read only: the program
// writes no file. An invalid value fails naming its file and key, a line that is neither a
// [section], a key=value pair nor a comment naming its file and line; an unknown key or an
// unreadable system-wide file is reported and ignored.
//
// INI keys (all optional):
//   [portal]  url=http://host[:port]
//   [webmail] host=host[:port]
//   [guest]   user=...  password=...
//   [appearance] palette=classic|desktop   (system colours from the fixed classic table, the
//                default, or from the desktop's palette: dark and high-contrast themes)
//   [viewer]  max_megabytes=N   (the most memory a picture's pixels may take when it is read,
//                in MiB; 1024 by default)

#include <QString>
#include <QStringList>

#include "platform/Colour.h"

namespace app {

inline constexpr int kDefaultMaxPictureMegabytes = 1024;
// The largest [viewer] max_megabytes accepted: 1 TiB.
inline constexpr int kMaxPictureMegabytesLimit = 1024 * 1024;

struct Config {
    QString portal;   // scheme, host and port, no trailing slash; empty: run the demo portal
    QString webmail;  // host[:port]; empty: the demo portal's web-mail stub
    QString guestUser = QStringLiteral("guest");
    QString guestPassword = QStringLiteral("guest");
    QString screenshot;  // render the main window (or the viewer) to this PNG and exit
    QString view;        // show this picture file in the viewer window instead of the main window
    QString designDir;   // developer override for design files and pictures
    bool quitAfterFirstPaint = false;
    platform::SystemColours palette = platform::SystemColours::Classic;
    int maxPictureMegabytes = kDefaultMaxPictureMegabytes;
};

struct ParseOutcome {
    Config config;
    bool exitNow = false;  // --help, --version, or an error
    int exitCode = 0;
    QString output;    // for stdout (help, version) or stderr (errors)
    QString warnings;  // for stderr, when the program goes on (unknown keys, unreadable files)
};

// `args` includes the program name first, as QCoreApplication::arguments() gives it.
ParseOutcome ParseArguments(const QStringList& args);

// "http://host:port" from a user's text, or an empty string with `error` set.
QString NormalisePortal(const QString& text, QString* error);
// "host[:port]" checked, or an empty string with `error` set.
QString NormaliseHost(const QString& text, QString* error);

}  // namespace app
