#pragma once

#include <QStringList>

#include <cstdio>

class WordDefinitions;

// pinlex --define WORD...: each word's senses on out, one a line, with
// tab-separated fields (the word as asked, in lower case; part of speech;
// gloss). A word without one is told on err. Returns 0 when every word was
// found, 1 when one was not, 2 when the data is not installed (told once on
// err, with the package that provides it).
int defineCommand(WordDefinitions &definitions, const QStringList &words, std::FILE *out, std::FILE *err);
