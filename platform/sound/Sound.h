#pragma once
// Asynchronous playback of a WAV file by name. A name in the system's own relative form
// ("\Sounds\Action.wav") is joined to the application folder with the local separator; a file
// that does not exist plays the default beep instead. Tests install a recording double.

#include <QString>
#include <memory>
#include <vector>

namespace platform::sound {

class SoundPlayer {
public:
    virtual ~SoundPlayer() = default;
    // Starts playing and returns at once.
    virtual void PlayAsync(const QString& path) = 0;
};

// The player in use; by default the real one.
SoundPlayer& Player();
void SetPlayer(std::unique_ptr<SoundPlayer> player);

// "\Sounds\Action.wav" under `folder` becomes "<folder>/Sounds/Action.wav".
QString JoinAppPath(const QString& folder, const QString& relative);

// The double: remembers every path it was asked to play.
class RecordingPlayer : public SoundPlayer {
public:
    void PlayAsync(const QString& path) override { played.push_back(path); }
    std::vector<QString> played;
};

}  // namespace platform::sound
