#pragma once

#include <QString>

// What the sound module gives the player: effects played through the
// system's audio. The module alone links the audio libraries, so that the
// program starts without them and loads them with the first sound.
class SoundEffects
{
public:
    virtual ~SoundEffects() = default;
    // Plays the embedded sound at resource (":/sounds/strike") once, from
    // its beginning, returning at once.
    virtual void start(const QString &resource) = 0;
    virtual void stop(const QString &resource) = 0;
};

// The module's one entry: makes the effects, owned by the caller.
extern "C" {
using MakeSoundEffects = SoundEffects *(*)();
}
inline constexpr char kMakeSoundEffects[] = "pinlexMakeSoundEffects";
