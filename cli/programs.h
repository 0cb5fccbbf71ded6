#pragma once

#include "cli/commandline.h"

#include <QStringList>

#include <functional>
#include <optional>

// A program without a window, from its arguments (the program first): the
// command line read, help and version answered, the mode run. only names
// the one mode the program runs (its option may then be left out); without
// it, any mode without a window. run runs the mode: its exit status, or
// nothing when it is not one it runs.
using Runner = std::function<std::optional<int>(const CommandLine &line)>;
int runCommandWithoutWindow(QStringList arguments, std::optional<CommandLine::Mode> only, const Runner &run);

// The program that runs a mode without a window, beside this program's
// executable: its path, or empty when the mode has none or it is missing.
QString programWithoutWindow(CommandLine::Mode mode);

