#include "words/badwords.h"

#include <QResource>
#include <QString>
#include <QStringList>

namespace badwords {

namespace {

// Lower-case entries, one a line; '#' starts a comment line.
QStringList readList(const QString &resource)
{
    QStringList entries;
    const QString text = QString::fromUtf8(QResource(resource).uncompressedData());
    for (const QString &line : text.split(QLatin1Char('\n'))) {
        const QString entry = line.trimmed().toLower();
        if (!entry.isEmpty() && !entry.startsWith(QLatin1Char('#')))
            entries << entry;
    }
    return entries;
}

const QStringList &entries()
{
    static const QStringList all = readList(QStringLiteral(":/words/offensive.txt"))
                                   + readList(QStringLiteral(":/words/unfit-racks.txt"));
    return all;
}

bool isSeparator(QChar c)
{
    return c.isSpace() || c == QLatin1Char('_') || c == QLatin1Char('.');
}

QString normalised(QStringView text)
{
    QString out;
    out.reserve(text.size());
    bool gap = false;
    for (const QChar c : text) {
        if (isSeparator(c)) {
            gap = true;
            continue;
        }
        if (gap && !out.isEmpty())
            out += QLatin1Char(' ');
        gap = false;
        out += c;
    }
    return out.toLower();
}

bool isWordCharacter(QStringView text, qsizetype at)
{
    return at >= 0 && at < text.size() && text[at].isLetterOrNumber();
}

} // namespace

bool contains(QStringView text)
{
    const QString haystack = normalised(text);
    for (const QString &entry : entries()) {
        for (qsizetype at = haystack.indexOf(entry); at >= 0; at = haystack.indexOf(entry, at + 1)) {
            if (!isWordCharacter(haystack, at - 1) && !isWordCharacter(haystack, at + entry.size()))
                return true;
        }
    }
    return false;
}

} // namespace badwords
