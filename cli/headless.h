#pragma once

#include "cli/commandline.h"

#include <optional>

// The modes that run without a window (--serve, --robot, --list-games,
// --define, --directory), as the programs without a window run them. Returns the exit
// status, or nothing for a mode that needs the window's program.
std::optional<int> runWithoutWindow(const CommandLine &line);

// The game directories a copy without a window uses: those given, else the
// player's (see DirectoryAddress::inUse); what is not an address is told on
// standard error.
QList<DirectoryAddress> headlessDirectories(const QList<DirectoryAddress> &given);
