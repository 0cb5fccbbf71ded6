#include "tally/tallycommands.h"

#include "base/terminaltext.h"
#include "tally/lzrw1.h"
#include "tally/tallyfile.h"

#include <QFile>

#include <cstdio>

namespace {

int runComponent(const QString &input, const QString &output, bool compress)
{
    try {
        Tlzrw1 component;
        component.InputFile = input;
        component.OutputFile = output;
        component.CompressMode = TCompressMode::Fast;
        if (compress)
            component.Compress();
        else
            component.Decompress();
        return 0;
    } catch (const ELzrw1Exception &error) {
        writeTerminalLine(stderr, QStringLiteral("pinlex: ") + error.message());
        return 1;
    }
}

QString figure(const TallyTable &table, int column, int row)
{
    const QString text = table.cell(column, row);
    return text.isEmpty() ? QStringLiteral("0") : text;
}

// The table as lines of text; names are the opponents' own.
QStringList tableLines(const TallyTable &table)
{
    QStringList out;
    out << QStringLiteral("Your totals");
    const QStringList ownCaptions = {QStringLiteral("Total Games:"), QStringLiteral("Your Wins:"),
                                     QStringLiteral("300 Games:"), QStringLiteral("Strikes:"),
                                     QStringLiteral("Average:")};
    for (int k = 0; k < ownCaptions.size(); ++k)
        out << QStringLiteral("  ") + ownCaptions[k].leftJustified(14) + figure(table, k + 1, 0).rightJustified(8);
    out << QString();

    const QStringList names = table.opponents();
    if (names.isEmpty()) {
        out << QStringLiteral("No opponents are tallied.");
        return out;
    }
    const QStringList headers = {QStringLiteral("Games"), QStringLiteral("Their wins"), QStringLiteral("Your wins"),
                                 QStringLiteral("Neither won")};
    qsizetype nameWidth = QStringLiteral("Opponent").size();
    for (const QString &name : names)
        nameWidth = std::max(nameWidth, name.size());
    const auto printRow = [&](const QString &first, const QStringList &cells) {
        QString line = first.leftJustified(nameWidth);
        for (int k = 0; k < cells.size(); ++k) {
            const QString gap = k == headers.size() ? QStringLiteral("   |") : QString();
            line += gap + QStringLiteral("  ") + cells[k].rightJustified(headers[k % headers.size()].size());
        }
        out << line;
    };
    const qsizetype blockWidth = [&] {
        qsizetype width = 0;
        for (const QString &header : headers)
            width += 2 + header.size();
        return width;
    }();
    out << QString(nameWidth, QLatin1Char(' ')) + QStringLiteral("  All time").leftJustified(blockWidth)
               + QStringLiteral("   |  Last session");
    printRow(QStringLiteral("Opponent"), headers + headers);
    for (int row = 1; row < table.rowCount(); ++row) {
        QStringList cells;
        for (int column = 1; column < TallyTable::kColumns; ++column)
            cells.append(figure(table, column, row));
        printRow(table.cell(0, row), cells);
    }
    return out;
}

} // namespace

int compressFileCommand(const QString &input, const QString &output)
{
    return runComponent(input, output, true);
}

int decompressFileCommand(const QString &input, const QString &output)
{
    return runComponent(input, output, false);
}

int printTallyCommand()
{
    TallyFile file;
    writeTerminalLine(stdout, QStringLiteral("Tally file: ") + file.path());
    writeTerminalLine(stdout, QString());
    if (!QFile::exists(file.path())) {
        writeTerminalLine(stdout, QStringLiteral("No games are tallied yet."));
        return 0;
    }
    QStringList lines;
    try {
        lines = tableLines(file.load());
    } catch (const std::runtime_error &error) {
        writeTerminalLine(stderr, QStringLiteral("pinlex: ") + QString::fromStdString(error.what()));
        return 1;
    }
    for (const QString &line : std::as_const(lines))
        writeTerminalLine(stdout, line);
    return 0;
}
