#pragma once
// The questions a page makes the pane ask: signing in to a server or proxy, going on past a
// certificate the engine does not trust, and letting a site use a feature (notifications,
// location, camera, microphone, the screen). Each dialog belongs to the pane's window, and
// each has an object name, so that a test can find it and answer it as a person would.
//
// Nothing the user answers outlives the run: credentials go to the engine's in-memory session,
// certificate and permission answers to in-memory tables.

#include <QString>
#include <QUrl>
#include <QWebEnginePage>
#include <functional>
#include <optional>

class QAuthenticator;
class QWebEngineCertificateError;
class QWidget;

namespace platform::browser {

struct Credentials {
    QString user;
    QString password;
};

// Asks for a user name and password for `url` (or for the proxy `proxyHost`, when given) in a
// modal "SignInDialog" over `window`. The user name has the focus; Enter is OK, Escape Cancel.
// Returns nothing when the user cancels.
std::optional<Credentials> AskForCredentials(QWidget* window, const QUrl& url, const QString& realm,
                                             const QString& proxyHost = {});

// Fills `authenticator` from AskForCredentials, or marks the request cancelled so that the
// engine sends nothing and shows the server's own answer.
void SignIn(QWidget* window, const QUrl& url, QAuthenticator* authenticator,
            const QString& proxyHost = {});

// Holds `error` and asks, in a window-modal "CertificateDialog" over `window`, whether to go
// on. "Go back" is the default (Enter and Escape); "Continue to the site" is offered only when
// the engine allows overriding this error. Returns at once; the engine waits for the answer.
void AskAboutCertificate(QWidget* window, const QWebEngineCertificateError& error);

// The certificate error in plain words ("the certificate has expired", ...).
QString CertificateProblem(const QWebEngineCertificateError& error);

// Asks, in a window-modal "PermissionDialog" over `window`, whether `origin` may use `feature`;
// "Deny" is the default. The answer goes to `answer` (true to allow), unless the user closes
// the dialog some other way, which denies too. Returns at once.
void AskForPermission(QWidget* window, const QUrl& origin, QWebEnginePage::Feature feature,
                      std::function<void(bool allow)> answer);

// What a feature lets a site do, as the permission question says it ("use your camera").
QString FeatureWords(QWebEnginePage::Feature feature);

}  // namespace platform::browser
