#pragma once

#include <QString>

// Command-line tools around the tally file. Each returns the exit status and
// reports a failure on standard error.
int compressFileCommand(const QString &input, const QString &output);
int decompressFileCommand(const QString &input, const QString &output);
int printTallyCommand();
