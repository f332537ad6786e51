#include "platform/browser/BrowserPane.h"

#include <QPalette>
#include <QRegularExpression>

namespace platform::browser {

namespace {
BrowserPane::Factory& CurrentFactory() {
    static BrowserPane::Factory factory;
    return factory;
}
PictureViewer& CurrentPictureViewer() {
    static PictureViewer viewer;
    return viewer;
}
}  // namespace

void SetPictureViewer(PictureViewer viewer) {
    CurrentPictureViewer() = std::move(viewer);
}

const PictureViewer& InstalledPictureViewer() {
    return CurrentPictureViewer();
}

BrowserPane::BrowserPane(QWidget* parent) : QWidget(parent) {
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, Qt::white);
    setPalette(p);
    setFocusPolicy(Qt::StrongFocus);
}

BrowserPane* BrowserPane::Create(QWidget* parent) {
    if (const auto& f = CurrentFactory()) return f(parent);
    return new BlankPane(parent);
}

void BrowserPane::SetFactory(Factory factory) {
    CurrentFactory() = std::move(factory);
}

QUrl AddressToUrl(const QString& raw) {
    const QString text = raw.trimmed();
    if (text.isEmpty()) return {};
    static const QRegularExpression drive(QStringLiteral(R"(^[A-Za-z]:([\\/].*)?$)"));
    if (drive.match(text).hasMatch()) return QUrl(QStringLiteral("file:///"));
    static const QRegularExpression scheme(QStringLiteral(R"(^[A-Za-z][A-Za-z0-9+.\-]*://)"));
    if (scheme.match(text).hasMatch()) return QUrl(text);
    static const QRegularExpression opaque(QStringLiteral(R"(^(about|data|file|mailto):)"),
                                           QRegularExpression::CaseInsensitiveOption);
    if (opaque.match(text).hasMatch()) return QUrl(text);
    QString host = text;
    if (!host.contains(QLatin1Char('/'))) host += QLatin1Char('/');
    return QUrl(QStringLiteral("http://") + host);
}

}  // namespace platform::browser
