// The computer players the hosting player asks for in the game options.
#include "clientrig.h"

#include "client/gameevents.h"
#include "robots/robottable.h"

class TestRobotTable : public QObject
{
    Q_OBJECT

private slots:
    void robotsSitDownBeforeTheGameStarts();
};

// Asking for robots seats them, by strength, before ready; asking again
// keeps the ones that still fit, sends the others away and never takes more
// seats than are free.
void TestRobotTable::robotsSitDownBeforeTheGameStarts()
{
    ClientRig hosting;
    QVERIFY(hosting.host(QStringLiteral("Ann")));
    RobotTable table(hosting.client, hosting.roster);
    const auto seated = [&] {
        QStringList names;
        for (int seat = 2; seat <= 4; ++seat)
            names << hosting.roster.seatName(seat);
        return names;
    };

    QStringList chat;
    QObject::connect(hosting.client.events(), &GameEvents::chatLine,
                     [&](int, const QByteArray &text, const QByteArray &) { chat << QString::fromLatin1(text); });
    int ready = 0;
    table.arrange(2, Strength::Easy, [&] { ++ready; });
    QVERIFY(until([&] { return ready == 1; }));
    // Each robot has a name of its own, and says what it is.
    QCOMPARE(seated(), (QStringList{"Bolt", "Chip", "<Waiting>"}));
    QVERIFY(until([&] { return chat.contains(QStringLiteral("Bolt is a computer player (Easy).")); }));
    // The hosting copy knows each seat's strength, for the seat's tooltip.
    const auto strengths = [&] {
        QList<std::optional<Strength>> found;
        for (int seat = 1; seat <= 4; ++seat)
            found << table.strengthAt(seat);
        return found;
    };
    using Seats = QList<std::optional<Strength>>;
    QCOMPARE(strengths(), (Seats{std::nullopt, Strength::Easy, Strength::Easy, std::nullopt}));
    // Two people and the robots chosen fill the seats; robots seated now
    // may be sent away, so they do not count.
    QVERIFY(!table.teamsWouldBeEven(2));
    QVERIFY(table.teamsWouldBeEven(3));

    ClientRig person;
    QVERIFY(person.join(hosting.client.port(), QStringLiteral("Bob")));
    QVERIFY(until([&] { return hosting.roster.isSeated(4); }));
    // Three wanted, one seat free: no spectator robot.
    table.arrange(3, Strength::Easy, [&] { ++ready; });
    QVERIFY(until([&] { return ready == 2; }));
    QCOMPARE(table.count(), 2);

    // Another strength replaces them.
    table.arrange(1, Strength::Hard, [&] { ++ready; });
    QVERIFY(until([&] { return ready == 3 && seated().count(QStringLiteral("<Waiting>")) == 1; }));
    QVERIFY(until([&] { return chat.filter(QStringLiteral("(Hard)")).size() == 1; }));
    QCOMPARE(table.count(), 1);
    QVERIFY(until([&] { return strengths().count(Strength::Hard) == 1 && !strengths().contains(Strength::Easy); }));
}

QTEST_GUILESS_MAIN(TestRobotTable)
#include "test_robottable.moc"
