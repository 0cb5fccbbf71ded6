#include "words/letterwords.h"

#include "words/random.h"

#include <QResource>

namespace letterwords {

namespace {

constexpr int kWordLength = 10;
constexpr int kLineLength = kWordLength + 1; // the word and a line feed

bool isWordLine(QByteArrayView line)
{
    for (int i = 0; i < kWordLength; ++i) {
        if (line[i] < 'a' || line[i] > 'z')
            return false;
    }
    return line[kWordLength] == '\n';
}

// The carried table, read in place: a line of fixed length per word, so
// identifier id is line id. Empty when the data is not what it must be.
QByteArrayView table()
{
    static const QByteArray words = [] {
        const QByteArray data = QResource(QStringLiteral(":/words/letterwords.txt")).uncompressedData();
        if (data.size() % kLineLength != 0)
            return QByteArray();
        for (qsizetype at = 0; at < data.size(); at += kLineLength) {
            if (!isWordLine(QByteArrayView(data).sliced(at, kLineLength)))
                return QByteArray();
        }
        return data;
    }();
    return words;
}

} // namespace

int count()
{
    return int(table().size() / kLineLength);
}

QString GetString(int id)
{
    if (id < 0 || id >= count())
        return {};
    return QString::fromLatin1(table().sliced(qsizetype(id) * kLineLength, kWordLength));
}

QString draw()
{
    // Without any word the loop below would never end.
    if (count() == 0)
        return {};
    const int range = count() + kEmptyIdentifiers;
    for (;;) {
        const QString text = GetString(Random::random(range));
        if (text.size() == kWordLength)
            return text;
    }
}

QList<int> shuffleOntoRack(QStringView word, Rack &master, std::span<Rack *const> seats)
{
    master.fill(0);
    QList<int> deal;
    // A word longer than the rack keeps its first ten letters; a shorter one
    // leaves positions empty (the draw only yields ten-letter words).
    const int letters = int(std::min<qsizetype>(word.size(), game::kTiles));
    for (int i = 0; i < letters; ++i) {
        int position = 0;
        do {
            position = Random::random(game::kTiles) + 1;
        } while (master[position] != 0);
        const char letter = word[i].toLatin1();
        master[position] = letter;
        for (Rack *seat : seats) {
            if (seat)
                (*seat)[position] = letter;
        }
        deal << position;
    }
    return deal;
}

} // namespace letterwords
