#pragma once

#include "protocol/messages.h"

#include <QList>
#include <QString>

#include <functional>

// A word to show the meaning of, and whose it is: the frame's own word, a
// bonus word, or the players who played it ("Ann, Bob").
struct WordToDefine
{
    QString word;     // upper case, letters only
    QString source;

    bool operator==(const WordToDefine &) const = default;
};

namespace framewords {

// Appends word (any case; nothing unless it is all letters and no longer
// than a word can be), by source; a word listed already gains the source.
void add(QList<WordToDefine> &words, const QString &word, const QString &source);

QString frameWordSource();
QString bonusWordSource();

// The words of a posted frame in the order the Words window lists them: the
// rack's word (in the tenth frame the bonus racks' words too), then each
// word the seats played with its player's name, in seat order.
QList<WordToDefine> ofFrame(const msg::PostScores &scores, const std::function<QString(int seat)> &player);

} // namespace framewords
