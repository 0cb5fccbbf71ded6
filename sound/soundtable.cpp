#include "sound/soundtable.h"

#include <array>

namespace sounds {

namespace {

constexpr std::array<const char *, kChatterCount> kCaptions = {
    "Doh", "Cough", "Hello", "Thank You", "Where have you been?",
    "Snoring", "Sneezing", "Sorry", "Welcome", "Yeehaa",
    "Yippee", "Oh No", "Applause", "Honk", "Oooh",
    "Razzberry", "Cheer", "Woman Laughing", "Man Laughing", "Crying"};

} // namespace

const QStringList &gameSounds()
{
    static const QStringList names = {
        QStringLiteral("entered"), QStringLiteral("turn"), QStringLiteral("turnnew"),
        QStringLiteral("time"), QStringLiteral("timeup"), QStringLiteral("goodword"),
        QStringLiteral("strike"), QStringLiteral("badword"), QStringLiteral("gameover"),
        QStringLiteral("puttile"), QStringLiteral("unselect"), QStringLiteral("swap"),
        QStringLiteral("clear")};
    return names;
}

QString chatterName(int number)
{
    if (number < 1 || number > kChatterCount)
        return {};
    return QStringLiteral("wave") + QString::number(number);
}

QString chatterCaption(int number)
{
    if (number < 1 || number > kChatterCount)
        return {};
    return QString::fromLatin1(kCaptions[number - 1]);
}

QString chatterCaption(const QString &name)
{
    return chatterCaption(chatterNumber(name));
}

int chatterNumber(const QString &name)
{
    // Compared with the table's own names, so that "wave01" or "wave+1" is
    // no chatter sound.
    for (int n = 1; n <= kChatterCount; ++n) {
        if (name.compare(chatterName(n), Qt::CaseInsensitive) == 0)
            return n;
    }
    return 0;
}

QString canonicalName(const QString &name)
{
    for (const QString &game : gameSounds()) {
        if (name.compare(game, Qt::CaseInsensitive) == 0)
            return game;
    }
    return chatterName(chatterNumber(name));
}

bool isKnown(const QString &name)
{
    return !canonicalName(name).isEmpty();
}

QString resourcePath(const QString &name)
{
    // The table's spelling, not name.toLower(): a name that matches only
    // under Unicode case folding must still find the resource.
    const QString canonical = canonicalName(name);
    return canonical.isEmpty() ? QString() : QStringLiteral(":/sounds/") + canonical;
}

} // namespace sounds
