#include "finder/gamefinder.h"

#include "base/terminaltext.h"


GameFinder::GameFinder(QObject *parent) : QObject(parent)
{
    connect(&m_browser, &Browser::found, &m_tables, &TableList::add);
    connect(&m_browser, &Browser::lost, &m_tables, &TableList::remove);
    connect(&m_querier, &FallbackQuerier::found, &m_tables, &TableList::add);
}

void GameFinder::start()
{
    m_browser.start();
    m_querier.start();
}

void GameFinder::stop()
{
    m_browser.stop();
    m_querier.stop();
}

QString listLine(const TableInfo &table)
{
    QStringList fields = {
        table.name,
        table.address.toString(),
        QString::number(table.port),
        QString::number(table.seatsTaken),
        QString::number(table.spectators),
        TableInfo::stateText(table.state),
        TableInfo::sourceText(table.source),
    };
    if (!table.code.isEmpty())
        fields << table.code << TableInfo::reachText(table.reach);
    QStringList printable;
    for (const QString &field : fields)
        printable.append(printableText(field));
    return printable.join(QLatin1Char('\t'));
}

void writeListLines(const QList<TableInfo> &tables, std::FILE *out)
{
    for (const TableInfo &table : tables) {
        const QByteArray line = listLine(table).toUtf8() + '\n';
        std::fwrite(line.constData(), 1, size_t(line.size()), out);
    }
    std::fflush(out);
}
