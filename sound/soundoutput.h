#pragma once

#include <QString>

// Where the client sends the sounds it wants heard: the player in the
// program, a recorder in tests.
class SoundOutput
{
public:
    virtual ~SoundOutput() = default;
    // Starts the named sound and returns at once.
    virtual void play(const QString &name) = 0;
};
