#include "history/historycommand.h"

#include "base/terminaltext.h"
#include "history/gamelistmodel.h"
#include "history/historyqueries.h"
#include "history/historystore.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>

namespace history {

namespace {

// Games read at a time: the whole history never sits in memory.
constexpr int kBatch = 200;

QJsonArray intArray(const auto &values)
{
    QJsonArray out;
    for (const int value : values)
        out.append(value);
    return out;
}

} // namespace

QJsonObject gameToJson(const GameRecord &game)
{
    QJsonArray seats;
    for (const SeatRecord &s : game.seats) {
        seats.append(QJsonObject{{QStringLiteral("seat"), s.seat},
                                 {QStringLiteral("name"), s.name},
                                 {QStringLiteral("computer"),
                                  s.computer ? QJsonValue(strengthKey(*s.computer)) : QJsonValue()},
                                 {QStringLiteral("total"), s.total},
                                 {QStringLiteral("winner"), s.winner}});
    }
    QJsonArray frames;
    for (const FrameRecord &f : game.frames) {
        QJsonArray scores;
        for (const SeatFrame &s : f.seats) {
            scores.append(QJsonObject{{QStringLiteral("seat"), s.seat},
                                      {QStringLiteral("lengths"), s.played ? QJsonValue(intArray(s.lengths))
                                                                           : QJsonValue()},
                                      {QStringLiteral("running"), s.running}});
        }
        QJsonArray words;
        for (const WordRecord &w : f.words) {
            words.append(QJsonObject{{QStringLiteral("seat"), w.seat},
                                     {QStringLiteral("word"), w.word},
                                     {QStringLiteral("accepted"), w.accepted}});
        }
        QJsonObject frame{{QStringLiteral("frame"), f.frame},
                          {QStringLiteral("rack"), f.rack},
                          {QStringLiteral("word"), f.word},
                          {QStringLiteral("scores"), scores},
                          {QStringLiteral("words"), words}};
        if (f.frame == kFrames)
            frame.insert(QStringLiteral("bonusWords"), QJsonArray{f.bonusWord2, f.bonusWord3});
        frames.append(frame);
    }
    return QJsonObject{{QStringLiteral("id"), game.id},
                       {QStringLiteral("started"), game.started.toUTC().toString(Qt::ISODate)},
                       {QStringLiteral("durationSeconds"), game.durationSeconds},
                       {QStringLiteral("table"), game.table},
                       {QStringLiteral("team"), game.team},
                       {QStringLiteral("secondsPerTurn"), game.secondsPerTurn},
                       {QStringLiteral("ownSlot"), game.ownSlot},
                       {QStringLiteral("joinedLate"), game.joinedLate},
                       {QStringLiteral("finished"), game.finished},
                       {QStringLiteral("winners"), intArray(game.winners())},
                       {QStringLiteral("seats"), seats},
                       {QStringLiteral("frames"), frames}};
}

QString gameLine(const GameRecord &game)
{
    return QStringLiteral("%1  %2:%3  %4%5  %6")
        .arg(game.started.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm")))
        .arg(game.durationSeconds / 60, 3)
        .arg(game.durationSeconds % 60, 2, 10, QLatin1Char('0'))
        .arg(game.playersWithTotals(), game.watched() ? QStringLiteral(" (watched)") : QString(),
             GameListModel::resultText(game));
}

} // namespace history

int printHistoryCommand(int last, bool json, std::FILE *out)
{
    using namespace history;
    const QString path = HistoryStore::defaultPath();
    if (!json)
        writeTerminalLine(out, QStringLiteral("Game history: ") + QDir::toNativeSeparators(path));
    if (!QFileInfo::exists(path)) {
        if (!json)
            writeTerminalLine(out, QStringLiteral("No games are recorded yet."));
        return 0;
    }
    // Only read: a damaged file is set aside by the game, not by a listing.
    HistoryStore store(path);
    if (const QString notice = store.openToRead(); !notice.isEmpty()) {
        writeTerminalLine(stderr, QStringLiteral("pinlex: ") + notice);
        return 1;
    }

    const int wanted = last > 0 ? last : gameCount(store.database());
    int printed = 0;
    while (printed < wanted) {
        const QList<GameRecord> games =
            gamePage(store.database(), QString(), printed, std::min(kBatch, wanted - printed));
        if (games.isEmpty())
            break;
        for (const GameRecord &game : games) {
            if (!json) {
                writeTerminalLine(out, gameLine(game));
                continue;
            }
            const std::optional<GameRecord> whole = gameDetail(store.database(), game.id);
            const QByteArray line = QJsonDocument(gameToJson(whole.value_or(game))).toJson(QJsonDocument::Compact);
            writeTerminalLine(out, QString::fromUtf8(line));
        }
        printed += int(games.size());
    }
    if (!json && printed == 0)
        writeTerminalLine(out, QStringLiteral("No games are recorded yet."));
    return 0;
}
