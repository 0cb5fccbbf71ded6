#include "protocol/tablename.h"

#include "base/terminaltext.h"

namespace tablename {

namespace {

int utf8Length(char32_t c)
{
    return c < 0x80 ? 1 : c < 0x800 ? 2 : c < 0x10000 ? 3 : 4;
}

// At most maxChars characters in at most maxBytes bytes of UTF-8, never
// splitting a surrogate pair.
QString cut(QStringView text, int maxChars, int maxBytes)
{
    QString result;
    int chars = 0;
    int bytes = 0;
    for (qsizetype i = 0; i < text.size() && chars < maxChars; ++i) {
        const bool pair = text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate();
        const char32_t c = pair ? QChar::surrogateToUcs4(text[i], text[i + 1]) : text[i].unicode();
        bytes += utf8Length(c);
        if (bytes > maxBytes)
            break;
        result.append(text.sliced(i, pair ? 2 : 1));
        ++chars;
        if (pair)
            ++i;
    }
    return result;
}

} // namespace

QString cleaned(QStringView name)
{
    // Bounded work whatever arrives; the cut below is the real limit.
    const QString printable = printableText(name.left(4 * kMaxBytes)).trimmed();
    return cut(printable, kMaxChars, kMaxBytes).trimmed();
}

QString forPlayer(QStringView playerName)
{
    const QString suffix = QStringLiteral("'s table");
    const int room = kMaxChars - int(suffix.size());
    const QString player = cut(printableText(playerName.left(4 * kMaxBytes)).trimmed(), room, kMaxBytes);
    return cleaned(QString(player.trimmed() + suffix));
}

} // namespace tablename
