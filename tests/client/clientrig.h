#pragma once

#include "../host/fakewords.h"
#include "../sound/fakesoundoutput.h"
#include "board/rackmodel.h"
#include "base/errordisplay.h"
#include "board/scorecardmodel.h"
#include "client/gameclient.h"
#include "client/gameevents.h"
#include "client/gameflow.h"
#include "client/roster.h"
#include "client/turnclock.h"
#include "host/serverform.h"
#include "net/connection.h"
#include "net/tsock.h"

#include <QDeadlineTimer>
#include <QHostAddress>
#include <QTimer>
#include <QtTest>

#include <functional>
#include <memory>

// Runs the event loop until done() holds, woken by every event instead of
// polling, so that a round trip to the host costs only what it takes.
inline bool until(const std::function<bool()> &done, int timeoutMs = 5000)
{
    const QDeadlineTimer deadline(timeoutMs);
    QTimer wake;
    wake.start(timeoutMs);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    return true;
}

// A player's copy as the window holds it, without the window: the client
// with its roster, and the game flow over the board, card and clock models.
// It records what the window would show: notices, the status line, the
// sounds asked for, and the end of the connection.
struct ClientRig
{
    // What the window would show; declared first so that it outlives the
    // client that reports to it.
    FakeSoundOutput sound;
    QStringList lines;
    QString status;
    int ended = 0;
    GameClient::Ending ending{};   // why, when it ended
    int full = 0;
    // The host this copy started, when it hosts.
    std::unique_ptr<TServer> server;
    quint16 hostPort = 0;   // 0: any free port
    bool everyAddress = false;

    GameClient client;
    Roster roster{client};
    RackModel rack;
    ScoreCardModel score;
    TurnClock clock;
    GameFlow flow{client, roster, rack, score, clock};

    ClientRig()
    {
        client.setSoundOutput(&sound);
        const auto line = [this](const QString &text) { lines << text; };
        QObject::connect(&client, &GameClient::notice, line);
        QObject::connect(&roster, &Roster::notice, line);
        QObject::connect(&flow, &GameFlow::notice, line);
        QObject::connect(&client, &GameClient::connectionEnded, [this](GameClient::Ending why) {
            ++ended;
            ending = why;
        });
        QObject::connect(&client, &GameClient::gameFull, [this] { ++full; });
        const auto show = [this](const QString &text) { status = text; };
        QObject::connect(&rack, &RackModel::statusText, show);
        QObject::connect(&score, &ScoreCardModel::statusText, show);
        QObject::connect(&flow, &GameFlow::statusText, show);
        // The hosting copy's host: on a loopback port of the test's choosing
        // whatever it is asked for, with the tests' words and a clock the
        // test advances. Throws as the window's does when it cannot listen.
        client.setHostStarter([this](quint16, bool every) {
            everyAddress = every;
            server = std::make_unique<TServer>(std::make_unique<FakeWords>());
            server->useManualClock();
            server->Sock1->setPortName(QString::number(hostPort));
            server->Sock1->setListenAddress(QHostAddress(QHostAddress::LocalHost));
            server->Sock1->setListen(true);
            client.setPort(server->Sock1->localPort());
        });
    }

    // Logged in and told of every slot already there.
    bool waitArrived(int timeoutMs = 5000)
    {
        return until([this] { return lines.contains(QStringLiteral("You are Connected.")); }, timeoutMs);
    }

    // Joins the host on port as a copy the lobby started to join.
    bool join(quint16 port, const QString &name)
    {
        client.setMyname(name);
        client.setHostaddress(QStringLiteral("127.0.0.1"));
        client.setPort(port);
        client.joinpress();
        return waitArrived();
    }

    // Hosts under name, as the lobby's "true" does, and logs in to its host.
    bool host(const QString &name)
    {
        client.setMyname(name);
        client.hostpress();
        return waitArrived();
    }

    bool waitLine(const QString &line, int timeoutMs = 5000)
    {
        return until([&] { return lines.contains(line); }, timeoutMs);
    }

    void leave() { client.sock()->close(); }

    // Seated in slot as a host seats a copy, with no host: the copy's
    // answer, its login, goes nowhere.
    void seat(int slot)
    {
        const ErrorSink shown = setErrorSink({});
        client.events()->received("CMD_sendlogininfo+" + QByteArray::number(slot));
        setErrorSink(shown);
    }
};
