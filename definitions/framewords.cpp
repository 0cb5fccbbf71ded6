#include "definitions/framewords.h"

#include "definitions/worddefinitions.h"

#include <algorithm>

namespace framewords {

QString frameWordSource()
{
    return QStringLiteral("the frame's word");
}

QString bonusWordSource()
{
    return QStringLiteral("bonus word");
}

void add(QList<WordToDefine> &words, const QString &word, const QString &source)
{
    const QString upper = word.toUpper();
    // The words come from the host: only a word is a word.
    const bool letters = std::all_of(upper.begin(), upper.end(), [](QChar c) { return c >= u'A' && c <= u'Z'; });
    if (upper.isEmpty() || !letters || upper.size() > WordDefinitions::kMaxLetters)
        return;
    for (WordToDefine &listed : words) {
        if (listed.word == upper) {
            if (!listed.source.split(QStringLiteral(", ")).contains(source))
                listed.source += QStringLiteral(", ") + source;
            return;
        }
    }
    words.append({upper, source});
}

QList<WordToDefine> ofFrame(const msg::PostScores &scores, const std::function<QString(int seat)> &player)
{
    QList<WordToDefine> words;
    add(words, QString::fromLatin1(scores.frameword), frameWordSource());
    add(words, QString::fromLatin1(scores.bonusword2), bonusWordSource());
    add(words, QString::fromLatin1(scores.bonusword3), bonusWordSource());
    for (const msg::SeatScore &seat : scores.seats) {
        for (const QByteArray &word : seat.words)
            add(words, QString::fromLatin1(word), player(seat.seat));
    }
    return words;
}

} // namespace framewords
