#include "definitions/definecommand.h"

#include "base/terminaltext.h"
#include "definitions/worddefinitions.h"

int defineCommand(WordDefinitions &definitions, const QStringList &words, std::FILE *out, std::FILE *err)
{
    if (!definitions.available()) {
        writeTerminalLine(err, QStringLiteral("pinlex: ") + WordDefinitions::missingText());
        return 2;
    }
    int status = 0;
    for (const QString &word : words) {
        const Definition definition = definitions.define(word);
        if (!definition.found()) {
            writeTerminalLine(err, QStringLiteral("pinlex: %1: ").arg(word) + WordDefinitions::noneText());
            status = 1;
            continue;
        }
        for (const Sense &sense : definition.senses) {
            // Each field printable on its own: the tabs between them stay.
            const QStringList fields{definition.word, partOfSpeechName(sense.part), sense.gloss};
            QStringList printable;
            for (const QString &field : fields)
                printable << printableText(field);
            const QByteArray line = printable.join(QLatin1Char('\t')).toUtf8() + '\n';
            std::fwrite(line.constData(), 1, size_t(line.size()), out);
        }
    }
    std::fflush(out);
    return status;
}
