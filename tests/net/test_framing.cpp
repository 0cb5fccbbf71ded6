// Framing, queueing and dispatch of messages, and the field-parsing loop.
#include "base/errordisplay.h"
#include "net/fields.h"
#include "net/framing.h"
#include "net/wire.h"

#include <QtTest>

namespace {

QByteArray framed(const char *text)
{
    return QByteArray(text) + char(0xFF);
}

// Collects what a FrameBuffer delivers.
struct Collector
{
    QList<QByteArray> lines;
    std::function<void(QByteArray)> sink() { return [this](QByteArray line) { lines << line; }; }
};

} // namespace

class TestFraming : public QObject
{
    Q_OBJECT

private slots:
    void splitMessageQueuedOnceAfterItsTerminator();
    void severalMessagesInOneReadKeepTheirOrder();
    void unterminatedFloodClosesTheConnection();
    void dispatchMatchesExactNamesOnly_data();
    void dispatchMatchesExactNamesOnly();
    void batchKeepsArrivalOrderAcrossSenders();
    void nestedEventLoopNeverRunsTheNextHandlerBeneath();
    void badNumberIsReportedAndTheQueueGoesOn();
    void idleQueueKeepsNoTimerRunning();
    void listPayloadsReadUpToTheEndMarker_data();
    void listPayloadsReadUpToTheEndMarker();
    void numbersAreStrictlyDecimal_data();
    void numbersAreStrictlyDecimal();
    void messageNeverCarriesATerminatorInside();
};

void TestFraming::splitMessageQueuedOnceAfterItsTerminator()
{
    FrameBuffer buffer;
    Collector out;
    QVERIFY(buffer.append("CMD_chat+1+hel", out.sink()));
    QVERIFY(out.lines.isEmpty());
    QVERIFY(buffer.append(framed("lo|clBlack"), out.sink()));
    QCOMPARE(out.lines, QList<QByteArray>{"CMD_chat+1+hello|clBlack"});
    QCOMPARE(buffer.pendingSize(), 0);
}

void TestFraming::severalMessagesInOneReadKeepTheirOrder()
{
    FrameBuffer buffer;
    Collector out;
    QVERIFY(buffer.append(framed("CMD_full+") + framed("CMD_timeisup+") + "CMD_win", out.sink()));
    QCOMPARE(out.lines, (QList<QByteArray>{"CMD_full+", "CMD_timeisup+"}));
    QVERIFY(buffer.append(framed("ner+1+"), out.sink()));
    QCOMPARE(out.lines.last(), QByteArray("CMD_winner+1+"));
    // An empty message between two terminators is delivered as an empty line.
    QVERIFY(buffer.append(QByteArray(2, char(0xFF)), out.sink()));
    QCOMPARE(out.lines.size(), 5);
    QVERIFY(out.lines.last().isEmpty());
}

void TestFraming::unterminatedFloodClosesTheConnection()
{
    FrameBuffer buffer;
    Collector out;
    // Exactly at the cap is still a message in progress...
    QVERIFY(buffer.append(QByteArray(FrameBuffer::kMaxUnterminated, 'x'), out.sink()));
    // ...one byte more is not, and the tail is dropped.
    QVERIFY(!buffer.append("x", out.sink()));
    QCOMPARE(buffer.pendingSize(), 0);
    QVERIFY(out.lines.isEmpty());

    // A long stream of complete messages is fine however much arrives at once.
    QByteArray many;
    for (int i = 0; i < 10000; ++i)
        many += framed("CMD_chat+1+0123456789|clBlack");
    QVERIFY(buffer.append(many, out.sink()));
    QCOMPARE(out.lines.size(), 10000);
}

void TestFraming::dispatchMatchesExactNamesOnly_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QByteArray>("handled");   // "name:payload", empty when ignored
    QTest::newRow("empty payload") << QByteArray("CMD_full+") << QByteArray("CMD_full:");
    QTest::newRow("name is the rest") << QByteArray("CMD_logininfo+2+1.0.9+Ann+Bob")
                                      << QByteArray("CMD_logininfo:2+1.0.9+Ann+Bob");
    QTest::newRow("unknown command") << QByteArray("CMD_nosuch+1") << QByteArray();
    QTest::newRow("case differs") << QByteArray("cmd_full+") << QByteArray();
    QTest::newRow("prefix of a name") << QByteArray("CMD_ful+") << QByteArray();
    QTest::newRow("no plus") << QByteArray("CMD_full") << QByteArray();
    QTest::newRow("empty line") << QByteArray() << QByteArray();
    QTest::newRow("empty name") << QByteArray("+CMD_full+") << QByteArray();
}

void TestFraming::dispatchMatchesExactNamesOnly()
{
    QFETCH(QByteArray, line);
    QFETCH(QByteArray, handled);
    Dispatcher dispatcher;
    QByteArray seen;
    for (const char *name : {"CMD_full", "CMD_logininfo"}) {
        dispatcher.addCommand(name, [&seen, name](const QByteArray &payload, quint64) {
            seen = QByteArray(name) + ':' + payload;
        });
    }
    dispatcher.enqueue(line);
    QVERIFY(dispatcher.dispatchOne());
    QCOMPARE(seen, handled);
    QCOMPARE(dispatcher.pending(), 0);
}

void TestFraming::batchKeepsArrivalOrderAcrossSenders()
{
    // More than one pass's worth from two connections, interleaved as they
    // arrived: a batch must neither regroup them by sender nor reorder.
    Dispatcher dispatcher;
    QList<QPair<QByteArray, quint64>> seen;
    dispatcher.addCommand("CMD_chat", [&](const QByteArray &payload, quint64 from) { seen.append({payload, from}); });
    QList<QPair<QByteArray, quint64>> sent;
    for (int i = 0; i < Dispatcher::kBatchMessages + 50; ++i) {
        const quint64 from = i % 3 ? 7 : 9;
        sent.append({QByteArray::number(i), from});
        dispatcher.enqueue("CMD_chat+" + sent.last().first, from);
    }
    dispatcher.dispatchBatch();
    QVERIFY2(seen.size() > 1, "one message per pass");
    QVERIFY(seen.size() <= Dispatcher::kBatchMessages);
    // The event loop handles the rest without being asked.
    QTRY_COMPARE(seen.size(), sent.size());
    QCOMPARE(seen, sent);
    QCOMPARE(dispatcher.pendingFrom(7), 0);
    QCOMPARE(dispatcher.pendingFrom(9), 0);
    QVERIFY(!dispatcher.dispatchOne());
}

void TestFraming::nestedEventLoopNeverRunsTheNextHandlerBeneath()
{
    // A handler that shows a message box spins the event loop; the message
    // behind it, and one arriving meanwhile, wait until it has returned.
    Dispatcher dispatcher;
    QStringList events;
    bool nestedDispatch = true;
    dispatcher.addCommand("CMD_box", [&](const QByteArray &, quint64) {
        events << QStringLiteral("box opened");
        dispatcher.enqueue("CMD_chat+arrived meanwhile", 2);
        QEventLoop loop;
        QTimer::singleShot(50, &loop, &QEventLoop::quit);
        loop.exec();
        nestedDispatch = dispatcher.dispatchOne();
        events << QStringLiteral("box closed");
    });
    dispatcher.addCommand("CMD_chat",
                          [&](const QByteArray &payload, quint64) { events << QString::fromLatin1(payload); });
    dispatcher.enqueue("CMD_box+", 1);
    dispatcher.enqueue("CMD_chat+queued behind", 1);
    QTRY_COMPARE(events.size(), 4);
    QCOMPARE(events, (QStringList{QStringLiteral("box opened"), QStringLiteral("box closed"),
                                  QStringLiteral("queued behind"), QStringLiteral("arrived meanwhile")}));
    QVERIFY(!nestedDispatch);
}

void TestFraming::badNumberIsReportedAndTheQueueGoesOn()
{
    QStringList errors;
    const ErrorSink previous = setErrorSink([&](const QString &message) { errors << message; });
    Dispatcher dispatcher;
    QList<int> done;
    dispatcher.addCommand("CMD_goodword", [&](const QByteArray &payload, quint64) {
        FieldReader fields(payload);
        done << fields.takeInt();
        done << fields.takeInt(); // throws on the second field
        done << -1;
    });
    dispatcher.enqueue("CMD_goodword+3+x1+");
    dispatcher.enqueue("CMD_goodword+4+5+");
    QVERIFY(dispatcher.dispatchOne());
    QVERIFY(dispatcher.dispatchOne());
    setErrorSink(previous);
    // The first handler stopped at the bad field; what it did stays done.
    QCOMPARE(done, (QList<int>{3, 4, 5, -1}));
    QCOMPARE(errors, QStringList{QStringLiteral("'x1' is not a valid integer value")});
}

void TestFraming::idleQueueKeepsNoTimerRunning()
{
    Dispatcher dispatcher;
    QVERIFY(!dispatcher.isScheduled());
    dispatcher.enqueue("CMD_full+");
    QVERIFY(dispatcher.isScheduled());
    QTRY_COMPARE(dispatcher.pending(), 0);
    QTRY_VERIFY(!dispatcher.isScheduled());
}

void TestFraming::listPayloadsReadUpToTheEndMarker_data()
{
    QTest::addColumn<QByteArray>("payload");
    QTest::addColumn<QByteArray>("marker");
    QTest::addColumn<QList<QByteArray>>("items");
    QTest::newRow("sendword") << QByteArray("3+7+1") << QByteArray("+@") << QList<QByteArray>{"3", "7", "1"};
    QTest::newRow("winner with trailing plus") << QByteArray("2+3+") << QByteArray("@")
                                               << QList<QByteArray>{"2", "3"};
    QTest::newRow("single winner") << QByteArray("1+") << QByteArray("@") << QList<QByteArray>{"1"};
    QTest::newRow("empty list") << QByteArray() << QByteArray("+@") << QList<QByteArray>{""};
    QTest::newRow("marker inside") << QByteArray("1+@+2") << QByteArray("+@")
                                   << QList<QByteArray>{"1", "@", "2"};
}

void TestFraming::listPayloadsReadUpToTheEndMarker()
{
    QFETCH(QByteArray, payload);
    QFETCH(QByteArray, marker);
    QFETCH(QList<QByteArray>, items);
    FieldReader fields(payload);
    fields.appendEndMarker(marker);
    QList<QByteArray> got;
    while (fields.hasListItem() && got.size() < 100)
        got << fields.take();
    QCOMPARE(got, items);
}

void TestFraming::numbersAreStrictlyDecimal_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<int>("value");
    QTest::newRow("plain") << QByteArray("42") << true << 42;
    QTest::newRow("negative") << QByteArray("-1") << true << -1;
    QTest::newRow("leading zeros") << QByteArray("007") << true << 7;
    QTest::newRow("largest") << QByteArray("2147483647") << true << 2147483647;
    QTest::newRow("smallest") << QByteArray("-2147483648") << true << int(-2147483648LL);
    QTest::newRow("too large") << QByteArray("2147483648") << false << 0;
    QTest::newRow("huge") << QByteArray("99999999999999999999999") << false << 0;
    QTest::newRow("empty") << QByteArray() << false << 0;
    QTest::newRow("minus only") << QByteArray("-") << false << 0;
    QTest::newRow("trailing text") << QByteArray("12a") << false << 0;
    QTest::newRow("blank") << QByteArray(" 1") << false << 0;
    QTest::newRow("hex") << QByteArray("$10") << false << 0;
}

void TestFraming::numbersAreStrictlyDecimal()
{
    QFETCH(QByteArray, text);
    QFETCH(bool, valid);
    QFETCH(int, value);
    int parsed = 0;
    QCOMPARE(tryStrToInt(text, &parsed), valid);
    if (valid) {
        QCOMPARE(parsed, value);
        QCOMPARE(strToInt(text), value);
    } else {
        try {
            strToInt(text);
            QFAIL("no error for a field that is not a number");
        } catch (const EConvertError &error) {
            QCOMPARE(error.message(), QStringLiteral("'%1' is not a valid integer value").arg(QLatin1String(text)));
        }
    }
}

void TestFraming::messageNeverCarriesATerminatorInside()
{
    QCOMPARE(wire::message("CMD_timeisup"), framed("CMD_timeisup+"));
    QCOMPARE(wire::message("CMD_chat", wire::fields(2, "hi\xFFthere|clRed")), framed("CMD_chat+2+hi?there|clRed"));
    QCOMPARE(wire::fields(1, -1, QByteArray("x")), QByteArray("1+-1+x"));
}

QTEST_GUILESS_MAIN(TestFraming)
#include "test_framing.moc"
