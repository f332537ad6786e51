#include "app/Config.h"

#include <QCommandLineParser>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSettings>
#include <QStandardPaths>
#include <QUrl>
#include <algorithm>
#include <iterator>
#include <optional>

#include "platform/Files.h"

namespace app {

namespace {

constexpr int kUsageError = 2;

ParseOutcome Fail(const QString& message) {
    ParseOutcome o;
    o.exitNow = true;
    o.exitCode = kUsageError;
    o.output = QStringLiteral("quillmere: %1\n").arg(message);
    return o;
}

// A failure after some files were read: their warnings come first.
ParseOutcome FailAfter(const ParseOutcome& read, const QString& message) {
    ParseOutcome o = Fail(message);
    o.output.prepend(read.warnings);
    return o;
}

QString DefaultIniPath() {
    const QString dir = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return dir.isEmpty() ? QString() : dir + QStringLiteral("/quillmere/quillmere.ini");
}

// The system-wide files, most important first: quillmere/quillmere.ini in each of
// XDG_CONFIG_DIRS (default /etc/xdg).
QStringList SystemIniPaths() {
    QStringList dirs = QStandardPaths::standardLocations(QStandardPaths::GenericConfigLocation);
    const QString user = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    dirs.removeAll(user);  // the first place is the user's own
    QStringList paths;
    for (const QString& dir : dirs) {
        const QString path = dir + QStringLiteral("/quillmere/quillmere.ini");
        if (!paths.contains(path)) paths << path;
    }
    return paths;
}

// The settings an INI file can give, each with the file and key it came from; a file read later
// overrides what an earlier one gave.
struct FileSettings {
    QString portal, portalSource;
    QString webmail, webmailSource;
    QString guestUser, guestPassword;
    bool hasGuestUser = false, hasGuestPassword = false;
    QString palette, paletteSource;
    QString maxMegabytes, maxMegabytesSource;
};

constexpr const char* kKnownKeys[] = {"portal/url",         "webmail/host",
                                      "guest/user",         "guest/password",
                                      "appearance/palette", "viewer/max_megabytes"};

// "classic" or "desktop", in any case; false for anything else.
bool ParsePalette(const QString& text, platform::SystemColours* palette) {
    const QString t = text.trimmed().toLower();
    if (t == QLatin1String("classic")) {
        *palette = platform::SystemColours::Classic;
    } else if (t == QLatin1String("desktop")) {
        *palette = platform::SystemColours::Desktop;
    } else {
        return false;
    }
    return true;
}

// The first line of an INI file that is neither blank, a comment (';' or '#'), a section header
// closed by ']', nor a key with '=', as "line N "TEXT": REASON"; empty when there is none. Lines
// are split as the settings reader splits them: a quoted value or a '\\' before the line break
// goes on on the next line, and a ';' outside quotes starts a comment. The settings reader skips
// a line without '=' without a word, and for an unclosed section says only that the file is
// broken, not where.
QString FirstBadIniLine(const QByteArray& bytes) {
    qsizetype pos = bytes.startsWith("\xEF\xBB\xBF") ? 3 : 0;
    const qsizetype size = bytes.size();
    qint64 lineNumber = 1;
    const auto newline = [&](qsizetype at) {  // the width of the line break at `at`, or 0
        if (at >= size) return 0;
        if (bytes[at] == '\r') return at + 1 < size && bytes[at + 1] == '\n' ? 2 : 1;
        return bytes[at] == '\n' ? 1 : 0;
    };
    while (pos < size) {
        const qsizetype start = pos;
        const qint64 startLine = lineNumber;
        bool inQuotes = false, hasEquals = false;
        while (pos < size) {
            const char ch = bytes[pos];
            if (const int width = newline(pos)) {
                if (!inQuotes) break;
                pos += width;
                ++lineNumber;
            } else if (ch == '\\') {
                ++pos;
                if (const int width = newline(pos)) {
                    pos += width;
                    ++lineNumber;
                } else if (pos < size) {
                    ++pos;
                }
            } else if (ch == ';' && !inQuotes) {
                while (pos < size && !newline(pos)) ++pos;  // the rest is a comment
            } else {
                if (ch == '"') inQuotes = !inQuotes;
                if (ch == '=' && !inQuotes) hasEquals = true;
                ++pos;
            }
        }
        const QByteArray line = bytes.mid(start, pos - start).trimmed();
        if (const int width = newline(pos)) {
            pos += width;
            ++lineNumber;
        }
        if (line.isEmpty() || line.startsWith(';') || line.startsWith('#')) continue;
        QString reason;
        if (line.startsWith('[')) {
            if (!line.contains(']')) reason = QStringLiteral("the section name has no closing ']'");
        } else if (!hasEquals) {
            reason = QStringLiteral("neither a [section] nor a key=value line");
        }
        if (reason.isEmpty()) continue;
        // The line's first 60 characters, on one line and printable.
        constexpr int kShown = 60;
        QByteArray first = line;  // up to the line's first break, when it runs over several
        for (const char br : {'\n', '\r'}) {
            if (const qsizetype at = first.indexOf(br); at >= 0) first.truncate(at);
        }
        QString text = QString::fromUtf8(first.left(kShown * 4));
        if (text.size() > kShown || first.size() < line.size())
            text = text.left(kShown) + QStringLiteral("...");
        for (QChar& c : text)
            if (!c.isPrint()) c = QChar(u'?');
        return QStringLiteral("line %1 \"%2\": %3").arg(startLine).arg(text, reason);
    }
    return {};
}

// Reads one INI file over `into`. Keys it does not know are reported in `warnings` and ignored.
// Returns false, with the reason in `why`, when the file exists but cannot be read.
bool ReadIni(const QString& path, FileSettings& into, QString& warnings, QString& why) {
    // Only a readable regular file of a sane size is handed to the settings reader: a FIFO or a
    // device would block it or feed it without end.
    const std::optional<QByteArray> bytes = platform::files::ReadInputFile(path, &why);
    if (!bytes) return false;
    why = FirstBadIniLine(*bytes);
    if (!why.isEmpty()) return false;
    const QSettings ini(path, QSettings::IniFormat);
    if (ini.status() != QSettings::NoError) {
        why = QStringLiteral("not a valid settings file");
        return false;
    }
    for (const QString& key : ini.allKeys()) {
        if (std::find(std::begin(kKnownKeys), std::end(kKnownKeys), key) == std::end(kKnownKeys))
            warnings += QStringLiteral("quillmere: %1: unknown key %2 (ignored)\n").arg(path, key);
    }
    const auto source = [&](const char* key) {
        return QStringLiteral("%1, key %2").arg(path, QLatin1String(key));
    };
    if (ini.contains(QStringLiteral("portal/url"))) {
        into.portal = ini.value(QStringLiteral("portal/url")).toString();
        into.portalSource = source("portal/url");
    }
    if (ini.contains(QStringLiteral("webmail/host"))) {
        into.webmail = ini.value(QStringLiteral("webmail/host")).toString();
        into.webmailSource = source("webmail/host");
    }
    if (ini.contains(QStringLiteral("appearance/palette"))) {
        into.palette = ini.value(QStringLiteral("appearance/palette")).toString();
        into.paletteSource = source("appearance/palette");
    }
    if (ini.contains(QStringLiteral("viewer/max_megabytes"))) {
        into.maxMegabytes = ini.value(QStringLiteral("viewer/max_megabytes")).toString();
        into.maxMegabytesSource = source("viewer/max_megabytes");
    }
    if (ini.contains(QStringLiteral("guest/user"))) {
        into.guestUser = ini.value(QStringLiteral("guest/user")).toString();
        into.hasGuestUser = true;
    }
    if (ini.contains(QStringLiteral("guest/password"))) {
        into.guestPassword = ini.value(QStringLiteral("guest/password")).toString();
        into.hasGuestPassword = true;
    }
    return true;
}

}  // namespace

QString NormalisePortal(const QString& text, QString* error) {
    const QUrl url(text.trimmed(), QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || (scheme != QLatin1String("http") && scheme != QLatin1String("https"))) {
        *error =
            QStringLiteral("invalid portal address \"%1\": expected http://host[:port]").arg(text);
        return {};
    }
    if (url.host().isEmpty()) {
        *error = QStringLiteral("invalid portal address \"%1\": no host").arg(text);
        return {};
    }
    if ((!url.path().isEmpty() && url.path() != QLatin1String("/")) || url.hasQuery() ||
        url.hasFragment() || !url.userInfo().isEmpty()) {
        *error = QStringLiteral(
                     "invalid portal address \"%1\": give only the scheme, host and port "
                     "(the windows add the page paths)")
                     .arg(text);
        return {};
    }
    return url.toString(QUrl::RemovePath | QUrl::StripTrailingSlash);
}

QString NormaliseHost(const QString& text, QString* error) {
    static const QRegularExpression host(QStringLiteral(
        R"(^(\[[0-9A-Fa-f:.]+\]|[A-Za-z0-9]([A-Za-z0-9.\-]*[A-Za-z0-9])?)(:\d{1,5})?$)"));
    const QString t = text.trimmed();
    const auto m = host.match(t);
    if (!m.hasMatch() ||
        (m.capturedLength(3) > 0 && t.section(QLatin1Char(':'), -1).toInt() > 65535)) {
        *error = QStringLiteral("invalid web-mail host \"%1\": expected host[:port]").arg(text);
        return {};
    }
    return t;
}

ParseOutcome ParseArguments(const QStringList& args) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Quillmere: a desktop client for the school's Student Information System."));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Show this help and exit."));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("Show the version and exit."));
    const QCommandLineOption portal(
        QStringLiteral("portal"),
        QStringLiteral("The portal server (http://host[:port]). Without "
                       "it, a built-in demo portal runs on 127.0.0.1."),
        QStringLiteral("URL"));
    const QCommandLineOption webmail(QStringLiteral("webmail"),
                                     QStringLiteral("The school's web-mail server."),
                                     QStringLiteral("HOST[:PORT]"));
    const QCommandLineOption guestUser(QStringLiteral("guest-user"),
                                       QStringLiteral("The guest account's user name."),
                                       QStringLiteral("NAME"));
    const QCommandLineOption guestPassword(QStringLiteral("guest-password"),
                                           QStringLiteral("The guest account's password."),
                                           QStringLiteral("PASSWORD"));
    const QCommandLineOption config(
        QStringLiteral("config"),
        QStringLiteral("Read the user's settings from this INI file instead of %1 (the "
                       "system-wide quillmere/quillmere.ini in $XDG_CONFIG_DIRS still applies).")
            .arg(DefaultIniPath()),
        QStringLiteral("FILE"));
    const QCommandLineOption screenshot(
        QStringLiteral("screenshot"),
        QStringLiteral("Render the main window (with --view, the picture viewer) to a PNG file and "
                       "exit (needs no display)."),
        QStringLiteral("FILE"));
    const QCommandLineOption view(
        QStringLiteral("view"),
        QStringLiteral("Show a picture file (BMP, PNG, JPEG, GIF, WebP, TIFF, ICO, CUR) in the "
                       "picture viewer instead of the main window."),
        QStringLiteral("FILE"));
    const QCommandLineOption designDir(
        QStringLiteral("design-dir"),
        QStringLiteral("Developers: read design files (forms/*.json) and pictures from DIR first."),
        QStringLiteral("DIR"));
    const QCommandLineOption firstPaint(
        QStringLiteral("quit-after-first-paint"),
        QStringLiteral("Developers: exit as soon as the main window has painted once."));
    const QCommandLineOption palette(
        QStringLiteral("palette"),
        QStringLiteral("Where system colours come from: classic (the fixed classic table, the "
                       "default) or desktop (the desktop's palette, for dark and high-contrast "
                       "themes)."),
        QStringLiteral("NAME"));
    parser.addOptions({help, version, portal, webmail, guestUser, guestPassword, config, screenshot,
                       view, designDir, firstPaint, palette});

    const QList<const QCommandLineOption*> valued = {&portal,        &webmail,   &guestUser,
                                                     &guestPassword, &config,    &screenshot,
                                                     &view,          &designDir, &palette};
    QStringList ours;  // every option as written on the command line: "--portal", "-h"
    for (const QCommandLineOption* o :
         {&help, &version, &portal, &webmail, &guestUser, &guestPassword, &config, &screenshot,
          &view, &designDir, &firstPaint, &palette}) {
        for (const QString& name : o->names())
            ours << (name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + name;
    }
    // "--screenshot" last, or followed by another of our options, has no value: the parser
    // would take the next option for the file name.
    for (qsizetype i = 1; i < args.size() && args[i] != QLatin1String("--"); ++i) {
        const bool valueMissing = i + 1 == args.size() || ours.contains(args[i + 1]);
        for (const QCommandLineOption* o : valued) {
            const QString name = QStringLiteral("--") + o->names().constFirst();
            if (args[i] == name && valueMissing)
                return Fail(QStringLiteral("%1: no value given").arg(name));
        }
    }
    if (!parser.parse(args)) return Fail(parser.errorText());
    // An empty value ("--screenshot=") is as good as none: refused rather than read as unset.
    for (const QCommandLineOption* o : valued) {
        if (parser.isSet(*o) && parser.value(*o).isEmpty())
            return Fail(QStringLiteral("--%1: no value given").arg(o->names().constFirst()));
    }
    if (!parser.positionalArguments().isEmpty())
        return Fail(QStringLiteral("unexpected argument \"%1\" (see --help)")
                        .arg(parser.positionalArguments().first()));
    ParseOutcome out;
    if (parser.isSet(help)) {
        out.exitNow = true;
        out.output = parser.helpText();
        return out;
    }
    if (parser.isSet(version)) {
        out.exitNow = true;
        out.output = QStringLiteral("Quillmere 2.0\n");
        return out;
    }

    Config& c = out.config;
    // The system-wide files first (the least important last read first), then the user's file
    // (or --config, which replaces only it), then the command line over them all.
    FileSettings files;
    const QStringList system = SystemIniPaths();
    QString why;
    for (auto it = system.crbegin(); it != system.crend(); ++it) {
        if (QFileInfo::exists(*it) && !ReadIni(*it, files, out.warnings, why))
            out.warnings +=
                QStringLiteral("quillmere: cannot read configuration file %1: %2 (ignored)\n")
                    .arg(*it, why);
    }
    const QString iniPath = parser.isSet(config) ? parser.value(config) : DefaultIniPath();
    if (parser.isSet(config) && !QFileInfo::exists(iniPath))
        return FailAfter(out, QStringLiteral("configuration file not found: %1").arg(iniPath));
    if (!iniPath.isEmpty() && QFileInfo::exists(iniPath) &&
        !ReadIni(iniPath, files, out.warnings, why))
        return FailAfter(out,
                         QStringLiteral("cannot read configuration file %1: %2").arg(iniPath, why));
    QString portalText = files.portal, webmailText = files.webmail;
    QString portalSource = files.portalSource, webmailSource = files.webmailSource;
    if (files.hasGuestUser) c.guestUser = files.guestUser;
    if (files.hasGuestPassword) c.guestPassword = files.guestPassword;
    if (parser.isSet(portal)) {
        portalText = parser.value(portal);
        portalSource = QStringLiteral("--portal");
    }
    if (parser.isSet(webmail)) {
        webmailText = parser.value(webmail);
        webmailSource = QStringLiteral("--webmail");
    }
    QString paletteText = files.palette, paletteSource = files.paletteSource;
    if (parser.isSet(palette)) {
        paletteText = parser.value(palette);
        paletteSource = QStringLiteral("--palette");
    }
    if (parser.isSet(guestUser)) c.guestUser = parser.value(guestUser);
    if (parser.isSet(guestPassword)) c.guestPassword = parser.value(guestPassword);

    QString error;
    if (!portalText.isEmpty()) {
        c.portal = NormalisePortal(portalText, &error);
        if (c.portal.isEmpty())
            return FailAfter(out, QStringLiteral("%1: %2").arg(portalSource, error));
    }
    if (!webmailText.isEmpty()) {
        c.webmail = NormaliseHost(webmailText, &error);
        if (c.webmail.isEmpty())
            return FailAfter(out, QStringLiteral("%1: %2").arg(webmailSource, error));
    }
    if (!paletteSource.isEmpty() && !ParsePalette(paletteText, &c.palette))
        return FailAfter(out,
                         QStringLiteral("%1: invalid palette \"%2\": expected classic or desktop")
                             .arg(paletteSource, paletteText));
    if (!files.maxMegabytesSource.isEmpty()) {
        bool ok = false;
        const int megabytes = files.maxMegabytes.trimmed().toInt(&ok);
        if (!ok || megabytes < 1 || megabytes > kMaxPictureMegabytesLimit)
            return FailAfter(out, QStringLiteral("%1: invalid max_megabytes \"%2\": expected a "
                                                 "whole number of MiB from 1 to %3")
                                      .arg(files.maxMegabytesSource, files.maxMegabytes)
                                      .arg(kMaxPictureMegabytesLimit));
        c.maxPictureMegabytes = megabytes;
    }
    c.screenshot = parser.value(screenshot);
    c.view = parser.value(view);
    c.designDir = parser.value(designDir);
    // A mistyped folder would otherwise leave the built-in designs in use without a word.
    if (!c.designDir.isEmpty() && !QFileInfo(c.designDir).isDir())
        return FailAfter(out, QStringLiteral("--design-dir: %1: %2")
                                  .arg(c.designDir, QFileInfo::exists(c.designDir)
                                                        ? QStringLiteral("not a folder")
                                                        : QStringLiteral("no such folder")));
    c.quitAfterFirstPaint = parser.isSet(firstPaint);
    return out;
}

}  // namespace app
