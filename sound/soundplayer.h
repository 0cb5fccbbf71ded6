#pragma once

#include "sound/soundoutput.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

// Plays the embedded sounds, one at a time: starting a sound stops the one
// still playing, so quick events cut each other short and the newest is
// heard. A name the program has no sound for gives the platform's alert
// instead. Nothing is loaded before the first sound is asked for, not even
// the sound module; a missing module or a missing or failing audio device
// leaves the game silent, never waiting and never showing an error.
class SoundPlayer : public QObject, public SoundOutput
{
    Q_OBJECT

public:
    // What the player drives: the real one plays through the sound module,
    // tests put a recorder in its place.
    class Backend
    {
    public:
        virtual ~Backend() = default;
        // Plays the sound (a name as the sound table spells it) once, from
        // its beginning, returning at once.
        virtual void start(const QString &sound) = 0;
        virtual void stop(const QString &sound) = 0;
        virtual void alert() = 0;
    };

    explicit SoundPlayer(QObject *parent = nullptr);
    // The real player, with the sound module looked for in moduleFolders.
    SoundPlayer(const QStringList &moduleFolders, QObject *parent);
    explicit SoundPlayer(std::unique_ptr<Backend> backend, QObject *parent = nullptr);
    ~SoundPlayer() override;

    void play(const QString &name) override;
    // The platform's alert, which the window system gives; before the first
    // sound. Without one there is no alert.
    void setAlert(std::function<void()> alert) { m_alert = std::move(alert); }

private:
    Backend &backend();

    QStringList m_moduleFolders;
    std::unique_ptr<Backend> m_backend;   // the real one is made on first use
    QString m_current;                    // the sound last started, if any
    std::function<void()> m_alert;
};
