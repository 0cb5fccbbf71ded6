#pragma once

#include "base/gamenumbers.h"

#include <QString>
#include <QStringList>

// The sounds the program carries: thirteen game sounds and twenty chatter
// sounds "wave1" to "wave20", each embedded under its name (":/sounds/strike").
// Sound names are compared without regard to case.
namespace sounds {

inline constexpr int kChatterCount = game::kChatterSounds;

// The game sounds' names as the table spells them (lower case).
const QStringList &gameSounds();

// "wave" N for N from 1 to 20; empty otherwise.
QString chatterName(int number);
// The caption of chatter sound N ("Doh" .. "Crying"); empty outside 1 to 20.
QString chatterCaption(int number);
// The caption of the chatter sound named "wave1" to "wave20" in any case;
// empty for anything else, game sounds included.
QString chatterCaption(const QString &name);
// 1 to 20 for "wave1" to "wave20" in any case; 0 for anything else.
int chatterNumber(const QString &name);

// The name as the table spells it, or empty when the program has no such sound.
QString canonicalName(const QString &name);
bool isKnown(const QString &name);
// Where the sound is embedded; empty when the program has no such sound.
QString resourcePath(const QString &name);

} // namespace sounds
