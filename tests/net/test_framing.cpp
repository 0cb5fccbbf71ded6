// Framing, queueing and dispatch of messages, and the reading of numbers.
#include "base/errordisplay.h"
#include "base/numbers.h"
#include "net/framing.h"
#include "protocol/messages.h"

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
    void batchKeepsArrivalOrderAcrossSenders();
    void nestedEventLoopNeverRunsTheNextHandlerBeneath();
    void badNumberIsReportedAndTheQueueGoesOn();
    void idleQueueKeepsNoTimerRunning();
    void numbersAreStrictlyDecimal_data();
    void numbersAreStrictlyDecimal();
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

void TestFraming::batchKeepsArrivalOrderAcrossSenders()
{
    // More than one pass's worth from two connections, interleaved as they
    // arrived: a batch must neither regroup them by sender nor reorder.
    Dispatcher dispatcher;
    QList<QPair<QByteArray, quint64>> seen;
    dispatcher.setHandler([&](const QByteArray &line, quint64 from) { seen.append({line.mid(9), from}); });
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
    dispatcher.setHandler([&](const QByteArray &line, quint64) {
        if (line.startsWith("CMD_chat+")) {
            events << QString::fromLatin1(line.mid(9));
            return;
        }
        events << QStringLiteral("box opened");
        dispatcher.enqueue("CMD_chat+arrived meanwhile", 2);
        QEventLoop loop;
        QTimer::singleShot(50, &loop, &QEventLoop::quit);
        loop.exec();
        nestedDispatch = dispatcher.dispatchOne();
        events << QStringLiteral("box closed");
    });
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
    dispatcher.setHandler([&](const QByteArray &line, quint64) {
        if (const std::optional<msg::ToClient> read = msg::readToClient(line))
            done << std::get<msg::GoodWord>(*read).frame;
    });
    dispatcher.enqueue("CMD_goodword+3+x1+10+1+4+");
    dispatcher.enqueue("CMD_goodword+4+5+10+1+4+");
    QVERIFY(dispatcher.dispatchOne());
    QVERIFY(dispatcher.dispatchOne());
    setErrorSink(previous);
    // Nothing of the first message was acted on; the next one was.
    QCOMPARE(done, QList<int>{5});
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

QTEST_GUILESS_MAIN(TestFraming)
#include "test_framing.moc"
