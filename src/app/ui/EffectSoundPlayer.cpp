#include "app/ui/EffectSoundPlayer.h"

#include <QAudioDevice>
#include <QFileInfo>
#include <QMediaDevices>
#include <QSoundEffect>
#include <QUrl>

namespace velmora {

EffectSoundPlayer::EffectSoundPlayer() = default;
EffectSoundPlayer::~EffectSoundPlayer() = default;

void EffectSoundPlayer::play(const QString &path)
{
    if (path.isEmpty() || !QFileInfo(path).isFile())
        return;
    const QAudioDevice output = QMediaDevices::defaultAudioOutput();
    if (output.isNull())
        return;
    if (m_effect)
        m_effect->stop();
    // A fresh effect for every sound: the file may have changed since the last
    // time, and an effect that failed to load stays failed.
    m_effect = std::make_unique<QSoundEffect>(output);
    m_effect->setSource(QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()));
    // Plays as soon as the file is loaded; a file that is no wave file never
    // loads and stays silent.
    m_effect->play();
}

} // namespace velmora
