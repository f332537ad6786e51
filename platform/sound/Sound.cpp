#include "platform/sound/Sound.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QPointer>
#include <QSoundEffect>
#include <QUrl>

namespace platform::sound {

namespace {

// Plays through one effect object per file, created on first use so that start-up does not
// open the audio device.
class EffectPlayer : public SoundPlayer {
public:
    void PlayAsync(const QString& path) override {
        if (!QFileInfo::exists(path)) {
            QApplication::beep();
            return;
        }
        QPointer<QSoundEffect>& effect = mEffects[path];
        if (!effect) {
            // Owned by the application object, so that the effects go before the audio
            // system does at the end of the program.
            effect = new QSoundEffect(qApp);
            effect->setSource(QUrl::fromLocalFile(path));
        }
        effect->play();
    }

private:
    std::map<QString, QPointer<QSoundEffect>> mEffects;
};

std::unique_ptr<SoundPlayer>& Current() {
    static std::unique_ptr<SoundPlayer> player;
    return player;
}

}  // namespace

SoundPlayer& Player() {
    auto& p = Current();
    if (!p) p = std::make_unique<EffectPlayer>();
    return *p;
}

void SetPlayer(std::unique_ptr<SoundPlayer> player) {
    Current() = std::move(player);
}

QString JoinAppPath(const QString& folder, const QString& relative) {
    QString rel = relative;
    rel.replace(QLatin1Char('\\'), QLatin1Char('/'));
    while (rel.startsWith(QLatin1Char('/'))) rel.remove(0, 1);
    return QDir::cleanPath(folder + QLatin1Char('/') + rel);
}

}  // namespace platform::sound
