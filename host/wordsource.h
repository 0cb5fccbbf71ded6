#pragma once

#include <QByteArray>
#include <QStringView>

// What the host needs of the word lists: the dictionary that judges a word
// and the draw of a ten-letter word for a rack. Tests give the host a small
// set of their own.
class WordSource
{
public:
    virtual ~WordSource() = default;
    // True when the word, in lower case as assembled from tiles, is a word.
    virtual bool lookup(QStringView word) = 0;
    // A ten-letter lower-case word.
    virtual QByteArray draw() = 0;
    // Gets ready to judge, before the first word waits for it.
    virtual void prepare() {}
};
