#pragma once

#include "sound/soundoutput.h"

#include <QStringList>

// Stands in for the player: remembers the names it was asked to play.
class FakeSoundOutput : public SoundOutput
{
public:
    QStringList played;

    void play(const QString &name) override { played.append(name); }
};
