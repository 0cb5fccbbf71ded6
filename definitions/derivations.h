#pragma once

#include "definitions/wordnet.h"

#include <QByteArrayView>
#include <QList>
#include <QString>

// Meanings of words WordNet leaves out because they are regular
// derivations of words it has: "affordably" of "affordable", "fruitiness"
// of "fruity", "installers" of "install", "reinserted" of "insert". Each
// rule holds only where the base is listed in the part of speech it
// derives from; its gloss says how the word is made and what the base
// means: "in a way that is affordable (able to be afforded)".
struct DerivedSense
{
    PartOfSpeech part;
    QString gloss;

    bool operator==(const DerivedSense &) const = default;
};

// The senses the rules give word (lower-case letters), most likely first;
// none when no rule fits.
QList<DerivedSense> derivedSenses(QByteArrayView word, const WordNet &wordnet);
