#include "chat/chatline.h"

#include "base/numbers.h"

#include <stdexcept>

namespace {

const QString kSmileyCode = QStringLiteral(":)#");

// Adds the words of text: each word runs up to and including its blank.
void addWords(ChatLine &line, QStringView text)
{
    while (!text.isEmpty()) {
        const qsizetype blank = text.indexOf(QLatin1Char(' '));
        const qsizetype length = blank < 0 ? text.size() : blank + 1;
        const QString word = text.first(length).toString();
        text = text.sliced(length);
        const QString lower = word.toLower();
        const bool link = lower.contains(QLatin1String("http://")) || lower.contains(QLatin1String("www."));
        line.items.push_back({ChatLine::Item::Kind::Text, word, link ? chatcodes::kLinkStyle : line.style, 0, false});
    }
}

} // namespace

ChatLine ChatLine::parse(const QString &line)
{
    ChatLine parsed;
    const qsizetype plus = line.indexOf(QLatin1Char('+'));
    const int number = strToInt(line.left(qMax<qsizetype>(plus, 0)).toLatin1());
    const qint64 style = number > 0 ? qint64(number) + 5 : number;
    if (style < 0 || style >= chatcodes::kStyles)
        throw std::out_of_range(QStringLiteral("List index out of bounds (%1)").arg(style).toStdString());
    parsed.style = int(style);

    QStringView text = QStringView(line).sliced(plus + 1);
    const qsizetype colon = text.indexOf(QLatin1Char(':'));
    const QStringView speaker = text.first(colon + 1);
    text = text.sliced(colon + 1);
    parsed.items.push_back({Item::Kind::Text, speaker.toString() + QLatin1Char(' '), parsed.style, 0, true});

    for (qsizetype code = text.indexOf(kSmileyCode); code >= 0; code = text.indexOf(kSmileyCode)) {
        const QStringView before = text.first(code);
        text = text.sliced(code + kSmileyCode.size());
        const QStringView digits = text.first(qMin<qsizetype>(2, text.size()));
        text = text.sliced(digits.size());
        addWords(parsed, before.toString() + QLatin1Char(' '));

        int value = -1;
        const bool isNumber = tryStrToInt(digits.toLatin1(), &value);
        const int picture = isNumber ? value - chatcodes::kFirstSmileyCode : -1;
        parsed.items.push_back({Item::Kind::Picture, QString(), parsed.style,
                                picture >= 0 && picture < chatcodes::kSmileys ? picture : 0, false});
    }
    if (!text.isEmpty())
        addWords(parsed, text.toString() + QLatin1Char(' '));
    return parsed;
}
