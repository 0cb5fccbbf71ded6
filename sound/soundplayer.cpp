#include "sound/soundplayer.h"

#include "sound/soundtable.h"

#include <QApplication>
#include <QAudioDevice>
#include <QLoggingCategory>
#include <QMediaDevices>
#include <QSoundEffect>
#include <QUrl>

#include <map>

Q_LOGGING_CATEGORY(lcSound, "pinlex.sound", QtWarningMsg)

namespace {

// One QSoundEffect per sound, made when the sound is first asked for and
// kept for the next time. Without an audio output nothing is made at all:
// an effect with no device to play on warns on every load.
class EffectBackend : public QObject, public SoundPlayer::Backend
{
public:
    EffectBackend()
    {
        // Outputs come and go (a headset, a sound server starting); effects
        // stay bound to the device they were made for, so start afresh.
        connect(&m_devices, &QMediaDevices::audioOutputsChanged, this, [this] {
            m_effects.clear();
            m_output = QMediaDevices::defaultAudioOutput();
            qCInfo(lcSound) << "audio output now" << m_output.description();
        });
        m_output = QMediaDevices::defaultAudioOutput();
        if (m_output.isNull())
            qCInfo(lcSound) << "no audio output: sounds are skipped";
    }

    void start(const QString &sound) override
    {
        if (m_output.isNull())
            return;
        QSoundEffect &effect = this->effect(sound);
        // Loading is asynchronous; an effect asked to play while loading
        // plays once it is loaded.
        effect.stop();
        effect.play();
    }

    void stop(const QString &sound) override
    {
        if (const auto it = m_effects.find(sound); it != m_effects.end())
            it->second->stop();
    }

    void alert() override
    {
        // The alert belongs to the window system; a program without one
        // has no alert to give.
        if (qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
            QApplication::beep();
    }

private:
    QSoundEffect &effect(const QString &sound)
    {
        auto &slot = m_effects[sound];
        if (!slot) {
            slot = std::make_unique<QSoundEffect>(m_output);
            slot->setSource(QUrl(QStringLiteral("qrc") + sounds::resourcePath(sound)));
        }
        return *slot;
    }

    QMediaDevices m_devices;
    QAudioDevice m_output;
    std::map<QString, std::unique_ptr<QSoundEffect>> m_effects;
};

} // namespace

SoundPlayer::SoundPlayer(QObject *parent) : QObject(parent)
{
}

SoundPlayer::SoundPlayer(std::unique_ptr<Backend> backend, QObject *parent)
    : QObject(parent), m_backend(std::move(backend))
{
}

SoundPlayer::~SoundPlayer() = default;

void SoundPlayer::play(const QString &name)
{
    Backend &out = backend();
    if (!m_current.isEmpty())
        out.stop(m_current);
    m_current = sounds::canonicalName(name);
    if (m_current.isEmpty())
        out.alert();
    else
        out.start(m_current);
}

SoundPlayer::Backend &SoundPlayer::backend()
{
    if (!m_backend)
        m_backend = std::make_unique<EffectBackend>();
    return *m_backend;
}
