// The sound module: the one part of the program that links Qt Multimedia.
#include "sound/soundeffects.h"

#include <QAudioDevice>
#include <QLoggingCategory>
#include <QMediaDevices>
#include <QObject>
#include <QSoundEffect>
#include <QUrl>

#include <map>
#include <memory>

Q_LOGGING_CATEGORY(lcSoundModule, "pinlex.sound", QtWarningMsg)

namespace {

// One QSoundEffect per sound, made when the sound is first asked for and
// kept for the next time. Without an audio output nothing is made at all:
// an effect with no device to play on warns on every load.
class Effects : public QObject, public SoundEffects
{
public:
    Effects()
    {
        // Outputs come and go (a headset, a sound server starting); effects
        // stay bound to the device they were made for, so start afresh.
        connect(&m_devices, &QMediaDevices::audioOutputsChanged, this, [this] {
            m_effects.clear();
            m_output = QMediaDevices::defaultAudioOutput();
            qCInfo(lcSoundModule) << "audio output now" << m_output.description();
        });
        m_output = QMediaDevices::defaultAudioOutput();
        if (m_output.isNull())
            qCInfo(lcSoundModule) << "no audio output: sounds are skipped";
    }

    void start(const QString &resource) override
    {
        if (m_output.isNull())
            return;
        QSoundEffect &effect = this->effect(resource);
        // Loading is asynchronous; an effect asked to play while loading
        // plays once it is loaded.
        effect.stop();
        effect.play();
    }

    void stop(const QString &resource) override
    {
        if (const auto it = m_effects.find(resource); it != m_effects.end())
            it->second->stop();
    }

private:
    QSoundEffect &effect(const QString &resource)
    {
        auto &slot = m_effects[resource];
        if (!slot) {
            slot = std::make_unique<QSoundEffect>(m_output);
            slot->setSource(QUrl(QStringLiteral("qrc") + resource));
        }
        return *slot;
    }

    QMediaDevices m_devices;
    QAudioDevice m_output;
    std::map<QString, std::unique_ptr<QSoundEffect>> m_effects;
};

} // namespace

extern "C" Q_DECL_EXPORT SoundEffects *pinlexMakeSoundEffects()
{
    return new Effects;
}
