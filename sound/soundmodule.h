#pragma once

#include "sound/soundeffects.h"

#include <QStringList>

#include <memory>

// Where the sound module is looked for: beside the program (the build tree),
// then where the installation keeps it.
QStringList soundModuleFolders();

// Loads the sound module from the first of folders that has it and makes its
// effects; null when no folder has a module that loads, and the game is
// silent. The module stays loaded until the program ends.
std::unique_ptr<SoundEffects> loadSoundEffects(const QStringList &folders = soundModuleFolders());
