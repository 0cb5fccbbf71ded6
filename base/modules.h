#pragma once

#include <QStringList>

// The program's loadable modules: parts whose libraries only some uses need
// (the audio output, the history's plots), loaded at their first use so
// that the program starts without those libraries.

// Where modules are looked for: beside the program (the build tree), then
// where the installation keeps them. A test may name others.
QStringList moduleFolders();
void setModuleFolders(const QStringList &folders);

// The entry point named entry of the module name ("pinlexsound"), from the
// first folder whose copy loads and has it; null if none, with the reason
// in *problem. A module once loaded stays loaded until the program ends.
using ModuleEntry = void (*)();
ModuleEntry moduleEntry(const QString &name, const char *entry, const QStringList &folders = moduleFolders(),
                        QString *problem = nullptr);
