#include "tally/tallykeeper.h"

#include "base/errordisplay.h"
#include "base/numbers.h"
#include "client/gameclient.h"
#include "client/gameevents.h"
#include "client/roster.h"

#include <QScopeGuard>

namespace {

// A word of every tile is a strike, on any rack of a frame.
bool isStrike(const msg::GoodWord &verdict)
{
    return game::isFrame(verdict.frame) && verdict.ball >= 1 && verdict.ball <= game::kBalls
           && verdict.letters == game::kTiles;
}

} // namespace

TallyKeeper::TallyKeeper(QString fileName, QObject *parent) : QObject(parent), m_file(std::move(fileName))
{
    m_scores.fill(QStringLiteral("0"));
}

TallyKeeper::~TallyKeeper()
{
    if (m_loaded)
        save();
}

TallyTable &TallyKeeper::loaded()
{
    if (std::exchange(m_loaded, true))
        return m_table;
    try {
        m_table = m_file.load();
    } catch (const std::runtime_error &error) {
        showError(QString::fromStdString(error.what()));
        // The next save replaces the file; keep what may still be rescued.
        m_file.keepDamagedCopy();
        m_table = TallyTable();
    }
    m_table.startSession();
    return m_table;
}

void TallyKeeper::follow(const GameClient &client, const Roster &roster)
{
    m_client = &client;
    m_roster = &roster;
    const GameEvents *events = client.events();
    connect(events, &GameEvents::gameStarted, this, [this] { m_scores.fill(QStringLiteral("0")); });
    connect(events, &GameEvents::gameJoined, this, [this](const msg::LoadStats &state) {
        if (state.slot != m_client->myseat())
            return;
        for (int seat = 1; seat <= game::kSeats; ++seat)
            m_scores[seat] = QString::fromLatin1(state.scores[seat - 1]);
    });
    connect(events, &GameEvents::frameScored, this, [this](const msg::PostScores &scores) {
        for (const msg::SeatScore &seat : scores.seats) {
            if (game::isSeat(seat.seat))
                m_scores[seat.seat] = QString::number(seat.total);
        }
    });
    connect(events, &GameEvents::wordAccepted, this, [this](const msg::GoodWord &verdict) {
        if (verdict.seat == m_client->myseat() && game::isSeat(verdict.seat) && isStrike(verdict))
            addtomineincrease(TallyTable::kStrikes);
    });
    connect(events, &GameEvents::gameWon, this, &TallyKeeper::won);
}

void TallyKeeper::won(const QList<int> &seats)
{
    const int me = m_client->myseat();
    if (!game::isSeat(me) || seats.isEmpty())
        return; // a spectator keeps no tally
    std::optional<TallyWinner> winner;
    if (seats.size() == 1)
        winner = seats.first() == me ? TallyWinner::player()
                                     : TallyWinner::opponent(m_roster->seatName(seats.first()));
    gameEnded(m_scores[me], winner, m_roster->opponents());
}

void TallyKeeper::addtomineincrease(int column)
{
    loaded().addtomineincrease(column);
    emit changed();
}

void TallyKeeper::gameEnded(const QString &ownScore, const std::optional<TallyWinner> &winner,
                            const QStringList &opponents)
{
    TallyTable &table = loaded();
    const auto saveAfter = qScopeGuard([this] {
        emit changed();
        save();
    });
    if (ownScore == QString::number(game::kPerfectGame))
        table.addtomineincrease(TallyTable::kPerfectGames);
    if (winner) {
        emit gameCounted(opponents);
        try {
            table.addgame(*winner, opponents);
        } catch (const EConvertError &error) {
            showError(error.message());
            return;
        }
    }
    int score = 0;
    if (tryStrToInt(ownScore.toLatin1(), &score))
        table.figureave(score);
}

bool TallyKeeper::addOpponent(const QString &name)
{
    if (!loaded().addOpponent(name))
        return false;
    save();
    return true;
}

void TallyKeeper::removeOpponent(int row)
{
    loaded().removeOpponent(row);
    save();
}

void TallyKeeper::reset()
{
    loaded().reset();
    emit changed();
    save();
}

bool TallyKeeper::save()
{
    return m_file.save(loaded());
}
