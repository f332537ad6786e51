#include "app/Config.h"

#include <QCommandLineParser>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSettings>
#include <QStandardPaths>
#include <QUrl>

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

QString DefaultIniPath() {
    const QString dir = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return dir.isEmpty() ? QString() : dir + QStringLiteral("/quillmere/quillmere.ini");
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
        QStringLiteral("Read settings from this INI file (default: %1).").arg(DefaultIniPath()),
        QStringLiteral("FILE"));
    const QCommandLineOption screenshot(
        QStringLiteral("screenshot"),
        QStringLiteral("Render the main window (with --view, the picture viewer) to a PNG file and "
                       "exit (needs no display)."),
        QStringLiteral("FILE"));
    const QCommandLineOption view(
        QStringLiteral("view"),
        QStringLiteral("Show a picture file (BMP, PNG, JPEG, ICO, CUR) in the picture viewer "
                       "instead of the main window."),
        QStringLiteral("FILE"));
    const QCommandLineOption designDir(
        QStringLiteral("design-dir"),
        QStringLiteral("Developers: read design files (forms/*.json) and pictures from DIR first."),
        QStringLiteral("DIR"));
    const QCommandLineOption firstPaint(
        QStringLiteral("quit-after-first-paint"),
        QStringLiteral("Developers: exit as soon as the main window has painted once."));
    parser.addOptions({help, version, portal, webmail, guestUser, guestPassword, config, screenshot,
                       view, designDir, firstPaint});

    if (!parser.parse(args)) return Fail(parser.errorText());
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
    // The INI file first, then the command line over it.
    QString iniPath = parser.isSet(config) ? parser.value(config) : DefaultIniPath();
    if (parser.isSet(config) && !QFileInfo::exists(iniPath))
        return Fail(QStringLiteral("configuration file not found: %1").arg(iniPath));
    QString portalText, webmailText;
    QString portalSource = QStringLiteral("--portal"), webmailSource = QStringLiteral("--webmail");
    if (!iniPath.isEmpty() && QFileInfo::exists(iniPath)) {
        const QSettings ini(iniPath, QSettings::IniFormat);
        if (ini.status() != QSettings::NoError)
            return Fail(QStringLiteral("cannot read configuration file %1").arg(iniPath));
        portalText = ini.value(QStringLiteral("portal/url")).toString();
        portalSource = iniPath + QStringLiteral(", key portal/url");
        webmailText = ini.value(QStringLiteral("webmail/host")).toString();
        webmailSource = iniPath + QStringLiteral(", key webmail/host");
        c.guestUser = ini.value(QStringLiteral("guest/user"), c.guestUser).toString();
        c.guestPassword = ini.value(QStringLiteral("guest/password"), c.guestPassword).toString();
    }
    if (parser.isSet(portal)) {
        portalText = parser.value(portal);
        portalSource = QStringLiteral("--portal");
    }
    if (parser.isSet(webmail)) {
        webmailText = parser.value(webmail);
        webmailSource = QStringLiteral("--webmail");
    }
    if (parser.isSet(guestUser)) c.guestUser = parser.value(guestUser);
    if (parser.isSet(guestPassword)) c.guestPassword = parser.value(guestPassword);

    QString error;
    if (!portalText.isEmpty()) {
        c.portal = NormalisePortal(portalText, &error);
        if (c.portal.isEmpty()) return Fail(QStringLiteral("%1: %2").arg(portalSource, error));
    }
    if (!webmailText.isEmpty()) {
        c.webmail = NormaliseHost(webmailText, &error);
        if (c.webmail.isEmpty()) return Fail(QStringLiteral("%1: %2").arg(webmailSource, error));
    }
    c.screenshot = parser.value(screenshot);
    c.view = parser.value(view);
    if (parser.isSet(view) && c.view.isEmpty())
        return Fail(QStringLiteral("--view: no file given"));
    c.designDir = parser.value(designDir);
    c.quitAfterFirstPaint = parser.isSet(firstPaint);
    return out;
}

}  // namespace app
