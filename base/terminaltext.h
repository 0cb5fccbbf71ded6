#pragma once

#include <QString>
#include <QStringView>

#include <cstdio>

// Text bound for a terminal. Names, chat lines and file names come from
// peers, files and command lines; a control character among them could move
// the cursor, retitle the window, clear the screen or forge a line of its
// own, so each one shows as '?'. Every line the program writes to standard
// output or standard error goes through here.
QString printableText(QStringView text);

// Writes one line: the text made printable (a line break in it too), encoded
// as UTF-8 and ended by '\n'; then flushes the stream.
void writeTerminalLine(std::FILE *stream, QStringView line);
