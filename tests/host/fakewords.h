#pragma once

#include "host/pausesetting.h"
#include "host/wordsource.h"

#include <QList>

// Word lists of the tests: a fixed deck of ten-letter words drawn in turn,
// and a dictionary that takes every word unless told otherwise.
class FakeWords : public WordSource
{
public:
    QList<QByteArray> deck{"streamline", "playground", "backstroke", "highwaymen", "journalism",
                           "countryman", "binoculars", "flashpoint", "blacksmith", "downstream",
                           "lumberjack", "nightshade"};
    qsizetype drawn = 0;
    bool acceptAll = true;
    QList<QByteArray> dictionary;

    bool lookup(QStringView word) override { return acceptAll || dictionary.contains(word.toLatin1()); }
    QByteArray draw() override { return deck[drawn++ % deck.size()]; }
};

class FakePause : public PauseSetting
{
public:
    int seconds = 5;
    int pauseBetweenFrames() const override { return seconds; }
};
