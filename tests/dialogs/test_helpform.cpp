// The help window: each topic button shows its own page under its caption.
#include "dialogs/helpform.h"
#include "dialogs/lobbydownload.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QLabel>
#include <QStackedWidget>
#include <QTextBrowser>
#include <QtTest>

class TestHelpForm : public QObject
{
    Q_OBJECT

private slots:
    void topicButtonBringsItsPage_data();
    void topicButtonBringsItsPage();
    void lobbyPageNamesWhereTheLobbyIsLooked();
};

void TestHelpForm::topicButtonBringsItsPage_data()
{
    QTest::addColumn<int>("tag");
    QTest::addColumn<QString>("caption");
    QTest::newRow("1") << 1 << "Overview";
    QTest::newRow("2") << 2 << "Connecting";
    QTest::newRow("3") << 3 << "Game Play";
    QTest::newRow("4") << 4 << "Scoring";
    QTest::newRow("5") << 5 << "Documentation";
    QTest::newRow("6") << 6 << "License";
    QTest::newRow("11") << 11 << "The Lobby";
}

void TestHelpForm::topicButtonBringsItsPage()
{
    QFETCH(int, tag);
    QFETCH(QString, caption);
    Thelp help;
    QCOMPARE(help.pages->currentWidget()->objectName(), QStringLiteral("memo1"));
    QCOMPARE(help.topics->buttons().size(), 7);

    QAbstractButton *button = help.topics->button(tag);
    QVERIFY(button);
    QCOMPARE(button->text(), caption);
    // Start from another page, so that staying on the first one fails.
    QTest::mouseClick(help.topics->button(tag == 11 ? 1 : 11), Qt::LeftButton);
    QTest::mouseClick(button, Qt::LeftButton);
    auto *page = qobject_cast<QTextBrowser *>(help.pages->currentWidget());
    QVERIFY(page);
    QCOMPARE(page->objectName(), QStringLiteral("memo%1").arg(tag));
    QCOMPARE(help.label_caption->text(), caption);
    QVERIFY(page->toPlainText().size() > 100);
}

// The help must tell the player the path the program really looks at.
void TestHelpForm::lobbyPageNamesWhereTheLobbyIsLooked()
{
    Thelp help;
    auto *page = help.pages->findChild<QTextBrowser *>(QStringLiteral("memo11"));
    QVERIFY(page);
    const QString path = QStringLiteral("~/") + QDir::home().relativeFilePath(LobbyDownload::lobbyProgramPath());
    QVERIFY2(page->toPlainText().contains(path), qPrintable(path));
}

QTEST_MAIN(TestHelpForm)
#include "test_helpform.moc"
