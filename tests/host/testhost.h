#pragma once

#include "fakewords.h"
#include "host/serverform.h"
#include "net/tsock.h"
#include "testclient.h"

#include <memory>
#include <vector>

// A host on a free loopback port with the tests' word deck, a clock that
// only the test advances, and clients that log in to it.
struct TestHost
{
    FakeWords *words = new FakeWords;
    FakePause pause;
    TServer server{std::unique_ptr<WordSource>(words)};
    quint16 port = 0;
    std::vector<std::unique_ptr<TestClient>> clients;

    TestHost()
    {
        server.useManualClock();
        server.setPauseSetting(&pause);
        server.Sock1->setPortName(QStringLiteral("0"));
        server.Sock1->setListen(true);
        port = server.Sock1->localPort();
    }

    // A client that logged in as name; nullptr when that failed.
    TestClient *join(const QByteArray &name, const QByteArray &version = "1.0.9")
    {
        auto client = std::make_unique<TestClient>();
        if (!client->login(port, name, version))
            return nullptr;
        clients.push_back(std::move(client));
        return clients.back().get();
    }

    void tick(int times = 1)
    {
        for (int i = 0; i < times; ++i)
            server.timer1Timer();
    }
};
