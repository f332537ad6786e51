// Command line and INI file.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QUrl>

#include "app/Application.h"
#include "app/Config.h"

using app::ParseArguments;

namespace {
app::ParseOutcome Parse(QStringList args) {
    args.prepend("quillmere");
    // Never pick up the developer's own settings file.
    if (!args.join(' ').contains("--config")) {
        static QTemporaryDir empty;
        QFile f(empty.filePath("none.ini"));
        f.open(QIODevice::WriteOnly);
        args << "--config" << empty.filePath("none.ini");
    }
    return ParseArguments(args);
}
}  // namespace

TEST(ConfigTest, PortalAddressesAreCheckedAndNormalised) {
    auto ok = Parse({"--portal", "http://sis.school.test:8080/"});
    ASSERT_FALSE(ok.exitNow) << ok.output.toStdString();
    EXPECT_EQ(ok.config.portal, "http://sis.school.test:8080");
    EXPECT_EQ(Parse({"--portal", "https://sis.school.test"}).config.portal,
              "https://sis.school.test");

    for (const char* bad :
         {"sis.school.test", "ftp://sis.school.test", "http://",
          "http://sis.school.test/School/Profile", "http://a b", "http://h?x=1"}) {
        SCOPED_TRACE(bad);
        auto out = Parse({"--portal", bad});
        EXPECT_TRUE(out.exitNow);
        EXPECT_EQ(out.exitCode, 2);
        EXPECT_TRUE(out.output.contains("portal")) << out.output.toStdString();
    }
}

TEST(ConfigTest, WebmailGuestAndDeveloperOptions) {
    auto out = Parse({"--webmail", "mail.school.test:8081", "--guest-user", "visitor",
                      "--guest-password", "pw", "--screenshot", "/tmp/x.png"});
    ASSERT_FALSE(out.exitNow);
    EXPECT_EQ(out.config.webmail, "mail.school.test:8081");
    EXPECT_EQ(out.config.guestUser, "visitor");
    EXPECT_EQ(out.config.guestPassword, "pw");
    EXPECT_EQ(out.config.screenshot, "/tmp/x.png");
    for (const char* bad : {"http://mail", "mail:99999", "-mail", "ma il"}) {
        SCOPED_TRACE(bad);
        EXPECT_EQ(Parse({"--webmail", bad}).exitCode, 2);
    }
    EXPECT_EQ(Parse({"stray"}).exitCode, 2);
    EXPECT_EQ(Parse({"--no-such-option"}).exitCode, 2);
    auto help = Parse({"--help"});
    EXPECT_TRUE(help.exitNow);
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(help.output.contains("--portal"));
    EXPECT_TRUE(Parse({"--version"}).output.contains("2.0"));
}

TEST(ConfigTest, IniFileIsReadAndTheCommandLineWins) {
    QTemporaryDir dir;
    const QString ini = dir.filePath("q.ini");
    QFile f(ini);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(
        "[portal]\nurl=http://ini.test:81\n[webmail]\nhost=mail.ini.test\n"
        "[guest]\nuser=iniuser\npassword=inipw\n");
    f.close();
    auto out = Parse({"--config", ini});
    ASSERT_FALSE(out.exitNow) << out.output.toStdString();
    EXPECT_EQ(out.config.portal, "http://ini.test:81");
    EXPECT_EQ(out.config.webmail, "mail.ini.test");
    EXPECT_EQ(out.config.guestUser, "iniuser");
    EXPECT_EQ(Parse({"--config", ini, "--portal", "http://cli.test"}).config.portal,
              "http://cli.test");

    QFile g(dir.filePath("bad.ini"));
    ASSERT_TRUE(g.open(QIODevice::WriteOnly));
    g.write("[portal]\nurl=not a url\n");
    g.close();
    auto bad = Parse({"--config", dir.filePath("bad.ini")});
    EXPECT_EQ(bad.exitCode, 2);
    EXPECT_TRUE(bad.output.contains("bad.ini, key portal/url")) << bad.output.toStdString();
    EXPECT_EQ(Parse({"--config", dir.filePath("missing.ini")}).exitCode, 2);
    // A FIFO in its place is refused at once (it would wait for a writer), naming it.
    const QString fifo = dir.filePath("fifo.ini");
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    auto pipe = Parse({"--config", fifo});
    EXPECT_EQ(pipe.exitCode, 2);
    EXPECT_TRUE(pipe.output.contains(fifo + ": not a regular file")) << pipe.output.toStdString();
}

TEST(ConfigTest, PlaceholdersComeFromTheConfiguredPortal) {
    app::Config c;
    c.portal = "http://sis.test:8080";
    auto p = app::PlaceholdersFor(c, nullptr);
    EXPECT_EQ(p.portal, "http://sis.test:8080");
    EXPECT_EQ(p.portalHost, "sis.test:8080");
    EXPECT_EQ(p.webmail, "sis.test:8080");  // no web-mail server configured: the portal's host
    c.webmail = "mail.test";
    EXPECT_EQ(app::PlaceholdersFor(c, nullptr).webmail, "mail.test");

    // An IPv6 portal keeps the brackets that make its host usable in an address.
    c = {};
    c.portal = "http://[::1]:8080";
    p = app::PlaceholdersFor(c, nullptr);
    EXPECT_EQ(p.portalHost, "[::1]:8080");
    EXPECT_EQ(p.webmail, "[::1]:8080");
    EXPECT_TRUE(QUrl("http://" + p.webmail + "/").isValid());
    c.portal = "http://[fe80::1]";
    EXPECT_EQ(app::PlaceholdersFor(c, nullptr).portalHost, "[fe80::1]");
}

namespace {

// Sets an environment variable for one test and puts the old value back.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const QByteArray& value)
        : mName(name), mHad(qEnvironmentVariableIsSet(name)), mOld(qgetenv(name)) {
        qputenv(name, value);
    }
    ~ScopedEnv() {
        if (mHad) {
            qputenv(mName, mOld);
        } else {
            qunsetenv(mName);
        }
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    const char* mName;
    bool mHad;
    QByteArray mOld;
};

void WriteFile(const QString& path, const char* text) {
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
    f.write(text);
}

app::ParseOutcome ParseOnly(QStringList args) {
    args.prepend("quillmere");
    return ParseArguments(args);
}

}  // namespace

TEST(ConfigTest, SystemFilesUnderTheUsersUnderTheCommandLine) {
    QTemporaryDir dir;
    const QString first = dir.filePath("site"), second = dir.filePath("vendor");
    const ScopedEnv dirs("XDG_CONFIG_DIRS", (first + ":" + second).toUtf8());
    const ScopedEnv home("XDG_CONFIG_HOME", dir.filePath("home").toUtf8());
    WriteFile(second + "/quillmere/quillmere.ini",
              "[portal]\nurl=http://vendor.test\n[webmail]\nhost=vendor-mail\n"
              "[guest]\nuser=pupil\n");
    WriteFile(first + "/quillmere/quillmere.ini", "[portal]\nurl=http://site.test\n");
    WriteFile(dir.filePath("home/quillmere/quillmere.ini"), "[webmail]\nhost=my-mail\n");

    auto out = ParseOnly({});
    ASSERT_FALSE(out.exitNow) << out.output.toStdString();
    EXPECT_EQ(out.config.portal, "http://site.test");  // the first system folder wins
    EXPECT_EQ(out.config.webmail, "my-mail");          // the user's file over both
    EXPECT_EQ(out.config.guestUser, "pupil");
    EXPECT_EQ(out.config.guestPassword, "guest");
    EXPECT_TRUE(out.warnings.isEmpty()) << out.warnings.toStdString();

    EXPECT_EQ(ParseOnly({"--portal", "http://cli.test"}).config.portal, "http://cli.test");
    // --config replaces the user's file only: the system files still count.
    WriteFile(dir.filePath("other.ini"), "[guest]\nuser=other\n");
    auto replaced = ParseOnly({"--config", dir.filePath("other.ini")});
    EXPECT_EQ(replaced.config.webmail, "vendor-mail");
    EXPECT_EQ(replaced.config.portal, "http://site.test");
    EXPECT_EQ(replaced.config.guestUser, "other");
}

TEST(ConfigTest, BadSystemFilesAreReportedNamingFileAndKey) {
    QTemporaryDir dir;
    const ScopedEnv dirs("XDG_CONFIG_DIRS", (dir.filePath("a") + ":" + dir.filePath("b")).toUtf8());
    const ScopedEnv home("XDG_CONFIG_HOME", dir.filePath("home").toUtf8());
    const QString file = dir.filePath("b/quillmere/quillmere.ini");
    // An unknown key: reported, the rest read.
    WriteFile(file, "[portal]\nurl=http://b.test\nprot=1\n");
    auto unknown = ParseOnly({});
    ASSERT_FALSE(unknown.exitNow) << unknown.output.toStdString();
    EXPECT_EQ(unknown.config.portal, "http://b.test");
    EXPECT_TRUE(unknown.warnings.contains(file + ": unknown key portal/prot"))
        << unknown.warnings.toStdString();

    // A file that cannot be read (here a folder in its place): reported and skipped.
    QDir().mkpath(dir.filePath("a/quillmere/quillmere.ini"));
    auto unreadable = ParseOnly({});
    ASSERT_FALSE(unreadable.exitNow) << unreadable.output.toStdString();
    EXPECT_TRUE(unreadable.warnings.contains("cannot read configuration file " +
                                             dir.filePath("a/quillmere/quillmere.ini")))
        << unreadable.warnings.toStdString();

    // An invalid value: the program stops with exit code 2, naming the file and the key.
    WriteFile(file, "[webmail]\nhost=no such host!\n");
    auto invalid = ParseOnly({});
    EXPECT_TRUE(invalid.exitNow);
    EXPECT_EQ(invalid.exitCode, 2);
    EXPECT_TRUE(invalid.output.contains(file + ", key webmail/host"))
        << invalid.output.toStdString();
    // The command line's value is checked instead when it overrides the file's.
    EXPECT_FALSE(ParseOnly({"--webmail", "mail.test"}).exitNow);
}

TEST(ConfigTest, PaletteIsClassicUnlessTheDesktopsIsAsked) {
    EXPECT_EQ(Parse({}).config.palette, platform::SystemColours::Classic);
    EXPECT_EQ(Parse({"--palette", "desktop"}).config.palette, platform::SystemColours::Desktop);
    EXPECT_EQ(Parse({"--palette", "classic"}).config.palette, platform::SystemColours::Classic);
    auto wrong = Parse({"--palette", "neon"});
    EXPECT_EQ(wrong.exitCode, 2);
    EXPECT_TRUE(wrong.output.contains("--palette")) << wrong.output.toStdString();

    QTemporaryDir dir;
    const QString ini = dir.filePath("q.ini");
    WriteFile(ini, "[appearance]\npalette=desktop\n");
    auto fromFile = Parse({"--config", ini});
    ASSERT_FALSE(fromFile.exitNow) << fromFile.output.toStdString();
    EXPECT_TRUE(fromFile.warnings.isEmpty()) << fromFile.warnings.toStdString();
    EXPECT_EQ(fromFile.config.palette, platform::SystemColours::Desktop);
    EXPECT_EQ(Parse({"--config", ini, "--palette", "classic"}).config.palette,
              platform::SystemColours::Classic);

    WriteFile(ini, "[appearance]\npalette=bright\n");
    auto bad = Parse({"--config", ini});
    EXPECT_TRUE(bad.exitNow);
    EXPECT_EQ(bad.exitCode, 2);
    EXPECT_TRUE(bad.output.contains(ini + ", key appearance/palette")) << bad.output.toStdString();
}

TEST(ConfigTest, OptionsThatTakeAValueRefuseAnEmptyOrMissingOne) {
    for (const char* option : {"--portal", "--webmail", "--guest-user", "--guest-password",
                               "--config", "--screenshot", "--view", "--design-dir", "--palette"}) {
        SCOPED_TRACE(option);
        // "--screenshot=" once chose the offscreen platform and then waited for ever.
        auto empty = Parse({QString(option) + "="});
        EXPECT_TRUE(empty.exitNow);
        EXPECT_EQ(empty.exitCode, 2);
        EXPECT_TRUE(empty.output.contains(QString(option) + ": no value given"))
            << empty.output.toStdString();
        // Last, or followed by another option: not the next option taken for the value.
        for (const QStringList& args :
             {QStringList{option}, QStringList{option, "--quit-after-first-paint"}}) {
            auto missing = Parse(args);
            EXPECT_EQ(missing.exitCode, 2);
            EXPECT_TRUE(missing.output.contains(QString(option) + ": no value given"))
                << missing.output.toStdString();
        }
    }
    // A value that only looks like an option is taken when written with '='.
    EXPECT_EQ(Parse({"--guest-password=--help"}).config.guestPassword, "--help");
}

TEST(ConfigTest, DesignFolderMustExist) {
    QTemporaryDir dir;
    EXPECT_EQ(Parse({"--design-dir", dir.path()}).config.designDir, dir.path());
    const QString gone = dir.filePath("no-such-folder");
    auto missing = Parse({"--design-dir", gone});
    EXPECT_TRUE(missing.exitNow);
    EXPECT_EQ(missing.exitCode, 2);
    EXPECT_TRUE(missing.output.contains("--design-dir: " + gone + ": no such folder"))
        << missing.output.toStdString();
    WriteFile(dir.filePath("file"), "x");
    EXPECT_TRUE(Parse({"--design-dir", dir.filePath("file")}).output.contains("not a folder"));
}

TEST(ConfigTest, AnUnreadableIniLineIsNamed) {
    QTemporaryDir dir;
    const QString ini = dir.filePath("q.ini");
    struct Case {
        const char* text;
        const char* said;
    };
    for (const Case& c :
         {Case{"; settings\n[portal\nurl=http://a.test\n",
               "line 2 \"[portal\": the section name has no closing ']'"},
          Case{"[portal]\r\nurl=http://a.test\r\n\r\nhost mail.test\r\n",
               "line 4 \"host mail.test\": neither a [section] nor a key=value line"},
          // A quote runs over the line break: named by its first line, cut short.
          Case{"[portal]\nurl=http://a.test\n  \"note\nmore\"\n",
               "line 3 \"\"note...\": neither a [section] nor a key=value line"}}) {
        SCOPED_TRACE(c.text);
        WriteFile(ini, c.text);
        auto out = Parse({"--config", ini});
        EXPECT_EQ(out.exitCode, 2);
        EXPECT_TRUE(out.output.contains("cannot read configuration file " + ini + ": " + c.said))
            << out.output.toStdString();
    }
    // Comments, quoted values over two lines and continued lines are lines the reader accepts.
    WriteFile(ini,
              "\xEF\xBB\xBF# site settings\n; more\n\n[portal]\nurl=http://a.test ; trailing\n"
              "[guest]\npassword=\"two\nlines\"\nuser=first\\\nsecond\n");
    auto valid = Parse({"--config", ini});
    ASSERT_FALSE(valid.exitNow) << valid.output.toStdString();
    EXPECT_EQ(valid.config.portal, "http://a.test");
    EXPECT_EQ(valid.config.guestPassword, "two\nlines");
    EXPECT_TRUE(valid.warnings.isEmpty()) << valid.warnings.toStdString();
}

TEST(ConfigTest, ThePictureMemoryLimitComesFromTheViewerSection) {
    EXPECT_EQ(Parse({}).config.maxPictureMegabytes, 1024);
    QTemporaryDir dir;
    const QString ini = dir.filePath("q.ini");
    WriteFile(ini, "[viewer]\nmax_megabytes=64\n");
    auto small = Parse({"--config", ini});
    ASSERT_FALSE(small.exitNow) << small.output.toStdString();
    EXPECT_TRUE(small.warnings.isEmpty()) << small.warnings.toStdString();
    EXPECT_EQ(small.config.maxPictureMegabytes, 64);

    for (const char* bad : {"0", "-5", "lots", "1.5", "1048577"}) {
        SCOPED_TRACE(bad);
        WriteFile(ini, (QByteArray("[viewer]\nmax_megabytes=") + bad + "\n").constData());
        auto out = Parse({"--config", ini});
        EXPECT_EQ(out.exitCode, 2);
        EXPECT_TRUE(out.output.contains(ini + ", key viewer/max_megabytes"))
            << out.output.toStdString();
    }
}
