#include "tally/tallycommands.h"

#include "tally/lzrw1.h"
#include "tally/tallyfile.h"

#include <QFile>
#include <QTextStream>

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
        std::fprintf(stderr, "pinlex: %s\n", error.what());
        return 1;
    }
}

QString figure(const TallyTable &table, int column, int row)
{
    const QString text = table.cell(column, row);
    return text.isEmpty() ? QStringLiteral("0") : text;
}

void printTable(QTextStream &out, const TallyTable &table)
{
    out << "Your totals\n";
    const QStringList ownCaptions = {QStringLiteral("Total Games:"), QStringLiteral("Your Wins:"),
                                     QStringLiteral("300 Games:"), QStringLiteral("Strikes:"),
                                     QStringLiteral("Average:")};
    for (int k = 0; k < ownCaptions.size(); ++k)
        out << "  " << ownCaptions[k].leftJustified(14) << figure(table, k + 1, 0).rightJustified(8) << '\n';
    out << '\n';

    const QStringList names = table.opponents();
    if (names.isEmpty()) {
        out << "No opponents are tallied.\n";
        return;
    }
    const QStringList headers = {QStringLiteral("Games"), QStringLiteral("Their wins"), QStringLiteral("Your wins"),
                                 QStringLiteral("Neither won")};
    qsizetype nameWidth = QStringLiteral("Opponent").size();
    for (const QString &name : names)
        nameWidth = std::max(nameWidth, name.size());
    const auto printRow = [&](const QString &first, const QStringList &cells) {
        out << first.leftJustified(nameWidth);
        for (int k = 0; k < cells.size(); ++k) {
            const QString gap = k == headers.size() ? QStringLiteral("   |") : QString();
            out << gap << "  " << cells[k].rightJustified(headers[k % headers.size()].size());
        }
        out << '\n';
    };
    const qsizetype blockWidth = [&] {
        qsizetype width = 0;
        for (const QString &header : headers)
            width += 2 + header.size();
        return width;
    }();
    out << QString(nameWidth, QLatin1Char(' ')) << QStringLiteral("  All time").leftJustified(blockWidth)
        << "   |  Last session\n";
    printRow(QStringLiteral("Opponent"), headers + headers);
    for (int row = 1; row < table.rowCount(); ++row) {
        QStringList cells;
        for (int column = 1; column < TallyTable::kColumns; ++column)
            cells.append(figure(table, column, row));
        printRow(table.cell(0, row), cells);
    }
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
    QTextStream out(stdout);
    out << "Tally file: " << file.path() << "\n\n";
    if (!QFile::exists(file.path())) {
        out << "No games are tallied yet.\n";
        return 0;
    }
    try {
        printTable(out, file.load());
    } catch (const std::runtime_error &error) {
        out.flush();
        std::fprintf(stderr, "pinlex: %s\n", error.what());
        return 1;
    }
    return 0;
}
