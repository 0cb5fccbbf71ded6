#pragma once

#include "host/hosttable.h"

#include <QByteArray>
#include <QList>

// Puts the table into frame `frame` with every seat dealt `letters` on
// rack 1 in position order (and rack 2 and 3 when given); the connected
// seats are in play.
inline void dealFrame(HostTable &table, int frame, const QByteArray &letters = "backstroke",
                      const QList<int> &connectedSeats = {1})
{
    const QByteArray racks[] = {letters, "streamline", "playground"};
    table.currentframe = frame;
    for (int rack = 1; rack <= 3; ++rack) {
        for (int position = 1; position <= 10; ++position)
            table.mastertiles[rack][position] = racks[rack - 1][position - 1];
    }
    for (int seat = 1; seat <= game::kSeats; ++seat) {
        TPlayerSlot &player = table.players[seat];
        player.connected = connectedSeats.contains(seat);
        player.tiles = table.mastertiles;
        player.letterset = 1;
        player.balls = player.connected ? 0 : 4;
        player.words = {};
    }
}

// The first `count` tiles still on the seat's current rack.
inline QList<int> unusedTiles(const TPlayerSlot &player, int count)
{
    QList<int> positions;
    for (int position = 1; position <= 10 && positions.size() < count; ++position) {
        if (player.tiles[player.letterset][position] != 0)
            positions << position;
    }
    return positions;
}
