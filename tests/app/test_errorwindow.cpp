// The general error display against a peer that sends bad fields without end.
#include "app/errorwindow.h"

#include <QtTest>

class TestErrorWindow : public QObject
{
    Q_OBJECT

private slots:
    void aFloodIsShownOnceAndBounded();
};

// A hostile host made the window come back after every bad field and let
// the list grow with each: now a message is listed once with its count, the
// list and its lines stay bounded, and a window the player closed comes
// back once, a while later, with what came meanwhile.
void TestErrorWindow::aFloodIsShownOnceAndBounded()
{
    const auto invalid = [](const QString &field) { return QStringLiteral("'%1' is not a valid integer value").arg(field); };
    ErrorWindow window;
    for (int i = 0; i < 1000; ++i)
        window.report(invalid(QStringLiteral("x")));
    QTRY_VERIFY(window.isVisible());
    QCOMPARE(window.text(), invalid(QStringLiteral("x")) + QStringLiteral(" (1000 times)"));

    // Distinct fields: the latest are kept, each on a line of its own that a
    // line break or a megabyte in the field does not stretch.
    const int flood = 3 * ErrorLog::kMaxEntries;
    for (int i = 0; i < flood; ++i)
        window.report(invalid(QString::number(i)));
    const QString huge = QString(1 << 20, QLatin1Char('y')) + QStringLiteral("\nThe host says: hello");
    window.report(invalid(huge));
    QTRY_VERIFY(window.text().endsWith(QStringLiteral("hello' is not a valid integer value")));
    const QStringList lines = window.text().split(QLatin1Char('\n'));
    QCOMPARE(lines.size(), ErrorLog::kMaxEntries);
    QCOMPARE(lines.first(), invalid(QString::number(flood - ErrorLog::kMaxEntries + 1)));
    QCOMPARE(lines.at(lines.size() - 2), invalid(QString::number(flood - 1)));
    QVERIFY(lines.last().startsWith(QStringLiteral("'yyy")));
    QVERIFY(lines.last().size() <= ErrorLog::kMaxLength);

    window.close();
    window.report(invalid(QStringLiteral("z")));
    QTest::qWait(3 * ErrorWindow::kRefreshMs);
    QVERIFY(!window.isVisible());
    QTRY_VERIFY_WITH_TIMEOUT(window.isVisible(), int(ErrorLog::kReshowDelayMs) + 5000);
    QVERIFY(window.text().endsWith(invalid(QStringLiteral("z"))));

    // The hold-off runs from the player's closing, whatever comes meanwhile.
    ErrorLog log;
    QCOMPARE(log.showDelay(0), 0);
    log.dismissed(1000);
    QCOMPARE(log.showDelay(1000), ErrorLog::kReshowDelayMs);
    QVERIFY(log.showDelay(1000 + ErrorLog::kReshowDelayMs - 1) > 0);
    QCOMPARE(log.showDelay(1000 + ErrorLog::kReshowDelayMs), 0);
}

QTEST_MAIN(TestErrorWindow)
#include "test_errorwindow.moc"
