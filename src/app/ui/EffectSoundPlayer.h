#pragma once

#include "app/Launcher.h"

#include <memory>

class QSoundEffect;

namespace velmora {

// The real sound: plays wave files through Qt Multimedia, one at a time (a new
// sound replaces one still playing). Silent when the file cannot be read or
// the machine has no audio output.
class EffectSoundPlayer final : public SoundPlayer {
public:
    EffectSoundPlayer();
    ~EffectSoundPlayer() override;
    void play(const QString &path) override;

private:
    std::unique_ptr<QSoundEffect> m_effect;
};

} // namespace velmora
