#pragma once

#include "base/modules.h"
#include "sound/soundeffects.h"

#include <memory>

// Loads the sound module from the first of folders that has it and makes its
// effects; null when no folder has a module that loads, and the game is
// silent.
std::unique_ptr<SoundEffects> loadSoundEffects(const QStringList &folders = moduleFolders());
