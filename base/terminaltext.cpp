#include "base/terminaltext.h"

#include <QByteArray>

namespace {

// Controls (C0, DEL, C1), format characters such as the bidirectional
// overrides that reorder what follows, and the Unicode line separators.
bool isPrintable(char32_t c)
{
    switch (QChar::category(c)) {
    case QChar::Other_Control:
    case QChar::Other_Format:
    case QChar::Other_Surrogate:
    case QChar::Separator_Line:
    case QChar::Separator_Paragraph:
        return false;
    default:
        return true;
    }
}

} // namespace

QString printableText(QStringView text)
{
    QString result;
    result.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            const char32_t point = QChar::surrogateToUcs4(c, text[i + 1]);
            if (isPrintable(point))
                result.append(text.sliced(i, 2));
            else
                result.append(QLatin1Char('?'));
            ++i;
            continue;
        }
        result.append(isPrintable(c.unicode()) ? c : QLatin1Char('?'));
    }
    return result;
}

void writeTerminalLine(std::FILE *stream, QStringView line)
{
    const QByteArray out = printableText(line).toUtf8() + '\n';
    std::fwrite(out.constData(), 1, size_t(out.size()), stream);
    std::fflush(stream);
}
