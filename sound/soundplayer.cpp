#include "sound/soundplayer.h"

#include "sound/soundmodule.h"
#include "sound/soundtable.h"

#include <QLoggingCategory>

Q_LOGGING_CATEGORY(lcSound, "pinlex.sound", QtWarningMsg)

namespace {

// The sounds through the sound module, loaded when the first one is asked
// for; without the module the game is silent but still gives its alert.
class ModuleBackend : public SoundPlayer::Backend
{
public:
    ModuleBackend(const QStringList &folders, std::function<void()> alert)
        : m_effects(loadSoundEffects(folders)), m_alert(std::move(alert))
    {
    }

    void start(const QString &sound) override
    {
        if (m_effects)
            m_effects->start(sounds::resourcePath(sound));
    }

    void stop(const QString &sound) override
    {
        if (m_effects)
            m_effects->stop(sounds::resourcePath(sound));
    }

    void alert() override
    {
        // The alert belongs to the window system: the window's program
        // gives it, a program without one has no alert to give.
        if (m_alert)
            m_alert();
    }

private:
    std::unique_ptr<SoundEffects> m_effects;
    std::function<void()> m_alert;
};

} // namespace

SoundPlayer::SoundPlayer(QObject *parent) : SoundPlayer(moduleFolders(), parent)
{
}

SoundPlayer::SoundPlayer(const QStringList &moduleFolders, QObject *parent)
    : QObject(parent), m_moduleFolders(moduleFolders)
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
        m_backend = std::make_unique<ModuleBackend>(m_moduleFolders, m_alert);
    return *m_backend;
}
