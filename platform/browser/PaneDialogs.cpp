#include "platform/browser/PaneDialogs.h"

#include <QAuthenticator>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>
#include <QWebEngineCertificateError>

#include "platform/browser/WebPane.h"

namespace platform::browser {

namespace {

// "host" or "host:port" of an address, as a person reads it in a question.
QString HostOf(const QUrl& url) {
    const QString host = url.host().isEmpty() ? url.toDisplayString() : url.host();
    return url.port() >= 0 ? QStringLiteral("%1:%2").arg(host).arg(url.port()) : host;
}

// A message box that belongs to `window`, answers once and then deletes itself.
QMessageBox* QuestionBox(QWidget* window, const char* name, QMessageBox::Icon icon,
                         const QString& title, const QString& text) {
    auto* box = new QMessageBox(icon, title, text, QMessageBox::NoButton, window);
    box->setObjectName(QLatin1String(name));
    box->setTextFormat(Qt::PlainText);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(window ? Qt::WindowModal : Qt::ApplicationModal);
    return box;
}

}  // namespace

std::optional<Credentials> AskForCredentials(QWidget* window, const QUrl& url, const QString& realm,
                                             const QString& proxyHost) {
    QDialog dialog(window);
    dialog.setObjectName(QStringLiteral("SignInDialog"));
    dialog.setWindowTitle(WebPane::tr("Sign in"));

    const QString who = proxyHost.isEmpty()
                            ? WebPane::tr("The server %1 asks you to sign in.").arg(HostOf(url))
                            : WebPane::tr("The proxy %1 asks you to sign in.").arg(proxyHost);
    auto* intro = new QLabel(who, &dialog);
    intro->setTextFormat(Qt::PlainText);
    intro->setWordWrap(true);
    auto* realmText = new QLabel(WebPane::tr("It says: \u201c%1\u201d").arg(realm), &dialog);
    realmText->setObjectName(QStringLiteral("Realm"));
    realmText->setTextFormat(Qt::PlainText);
    realmText->setWordWrap(true);
    realmText->setVisible(!realm.isEmpty());
    auto* note = new QLabel(WebPane::tr("Your password is sent to this server only, and "
                                        "forgotten when the program ends."),
                            &dialog);
    note->setWordWrap(true);

    auto* user = new QLineEdit(&dialog);
    user->setObjectName(QStringLiteral("UserName"));
    auto* password = new QLineEdit(&dialog);
    password->setObjectName(QStringLiteral("Password"));
    password->setEchoMode(QLineEdit::Password);
    auto* fields = new QFormLayout;
    fields->addRow(WebPane::tr("&User name:"), user);
    fields->addRow(WebPane::tr("&Password:"), password);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    buttons->button(QDialogButtonBox::Ok)->setDefault(true);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);

    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(intro);
    layout->addWidget(realmText);
    layout->addLayout(fields);
    layout->addWidget(note);
    layout->addWidget(buttons);
    dialog.setMinimumWidth(360);
    user->setFocus(Qt::OtherFocusReason);

    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return Credentials{user->text(), password->text()};
}

void SignIn(QWidget* window, const QUrl& url, QAuthenticator* authenticator,
            const QString& proxyHost) {
    const auto given = AskForCredentials(window, url, authenticator->realm(), proxyHost);
    if (!given) {
        // A null authenticator tells the engine to give up: no credentials are sent, and the
        // page shows what the server answered.
        *authenticator = QAuthenticator();
        return;
    }
    authenticator->setUser(given->user);
    authenticator->setPassword(given->password);
}

QString CertificateProblem(const QWebEngineCertificateError& error) {
    using E = QWebEngineCertificateError;
    switch (error.type()) {
        case E::CertificateCommonNameInvalid:
        case E::CertificateNonUniqueName:
            return WebPane::tr("Its certificate was made out for another site.");
        case E::CertificateDateInvalid:
            return WebPane::tr(
                "Its certificate has expired or is not valid yet. Check also "
                "that this computer's date and time are right.");
        case E::CertificateAuthorityInvalid:
            return WebPane::tr(
                "Its certificate was not issued by an authority this computer "
                "trusts; it may have been made by the site itself.");
        case E::CertificateRevoked:
            return WebPane::tr("Its certificate has been withdrawn by whoever issued it.");
        case E::CertificateWeakSignatureAlgorithm:
        case E::CertificateWeakKey:
            return WebPane::tr("Its certificate uses protection that is too weak.");
        case E::CertificateValidityTooLong:
            return WebPane::tr("Its certificate is valid for longer than is allowed.");
        case E::SslObsoleteVersion:
            return WebPane::tr("It uses an outdated, unsafe kind of connection.");
        case E::CertificateContainsErrors:
        case E::CertificateInvalid:
            return WebPane::tr("Its certificate is damaged or not valid.");
        default:
            return WebPane::tr("Its certificate could not be checked (%1).")
                .arg(error.description());
    }
}

void AskAboutCertificate(QWidget* window, const QWebEngineCertificateError& error) {
    QWebEngineCertificateError held = error;
    held.defer();
    const QString host = HostOf(error.url());
    QString text = WebPane::tr("The connection to %1 is not secure.\n\n%2")
                       .arg(host, CertificateProblem(error));
    text += error.isOverridable()
                ? WebPane::tr(
                      "\n\nSomeone may be pretending to be this site to read what you "
                      "send. Go on only if you know why the certificate is not trusted.")
                : WebPane::tr("\n\nThis site cannot be opened.");
    QMessageBox* box = QuestionBox(window, "CertificateDialog", QMessageBox::Warning,
                                   WebPane::tr("Certificate problem"), text);
    QPushButton* back = box->addButton(WebPane::tr("Go back"), QMessageBox::RejectRole);
    QPushButton* go = nullptr;
    if (error.isOverridable()) {
        go = box->addButton(WebPane::tr("Continue to the site"), QMessageBox::AcceptRole);
        go->setObjectName(QStringLiteral("ContinueButton"));
    }
    back->setObjectName(QStringLiteral("BackButton"));
    box->setDefaultButton(back);
    box->setEscapeButton(back);
    // However the box ends, the engine gets one answer; going on needs the explicit button.
    QObject::connect(box, &QMessageBox::finished, [box, go, held]() mutable {
        if (go && box->clickedButton() == go) {
            held.acceptCertificate();
        } else {
            held.rejectCertificate();
        }
    });
    box->open();
}

QString FeatureWords(QWebEnginePage::Feature feature) {
    using F = QWebEnginePage::Feature;
    switch (feature) {
        case F::Notifications:
            return WebPane::tr("show notifications");
        case F::Geolocation:
            return WebPane::tr("know your location");
        case F::MediaAudioCapture:
            return WebPane::tr("use your microphone");
        case F::MediaVideoCapture:
            return WebPane::tr("use your camera");
        case F::MediaAudioVideoCapture:
            return WebPane::tr("use your camera and microphone");
        case F::MouseLock:
            return WebPane::tr("take over the mouse pointer");
        case F::DesktopVideoCapture:
            return WebPane::tr("see your screen");
        case F::DesktopAudioVideoCapture:
            return WebPane::tr("see your screen and hear its sound");
    }
    return WebPane::tr("use a feature of this computer");
}

void AskForPermission(QWidget* window, const QUrl& origin, QWebEnginePage::Feature feature,
                      std::function<void(bool allow)> answer) {
    const QString text = WebPane::tr("%1 wants to %2.").arg(HostOf(origin), FeatureWords(feature));
    QMessageBox* box = QuestionBox(window, "PermissionDialog", QMessageBox::Question,
                                   WebPane::tr("Permission"), text);
    box->setInformativeText(WebPane::tr("The answer holds until the program ends."));
    QPushButton* allow = box->addButton(WebPane::tr("Allow"), QMessageBox::AcceptRole);
    QPushButton* deny = box->addButton(WebPane::tr("Deny"), QMessageBox::RejectRole);
    allow->setObjectName(QStringLiteral("AllowButton"));
    deny->setObjectName(QStringLiteral("DenyButton"));
    box->setDefaultButton(deny);
    box->setEscapeButton(deny);
    QObject::connect(box, &QMessageBox::finished, [box, allow, answer = std::move(answer)] {
        answer(box->clickedButton() == allow);
    });
    box->open();
}

}  // namespace platform::browser
