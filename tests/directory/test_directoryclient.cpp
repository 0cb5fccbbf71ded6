// The game directory from the player's side, with a real directory process
// on the loopback address: the hosting window tells its code in the chat,
// the Join dialog merges the directory's tables with the local network's,
// searches them, follows a table that leaves, joins by a code typed where
// the address goes, and tells a directory it cannot reach once, quietly.
#include "app/chatform.h"
#include "cli/commandline.h"
#include "app/forms.h"
#include "app/session.h"
#include "chat/chatview.h"
#include "client/playdialog.h"
#include "directoryrig.h"
#include "finder/fallbackquerier.h"
#include "finder/tablelist.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>

class TestDirectoryClient : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void hostedCodeIsListedSearchedAndJoined();
    void unreachableDirectoryIsToldOnce();

private:
    QTemporaryDir m_dir;
};

namespace {

QString chatText(const Tchat &chat)
{
    return chat.findChild<ChatView *>(QStringLiteral("mainchat"))->toPlainText();
}

// The rows the dialog shows, by their source column.
QStringList shownSources(const TPlayDialog &dialog)
{
    QStringList sources;
    const QAbstractItemModel *shown = dialog.table_games->model();
    for (int row = 0; row < shown->rowCount(); ++row)
        sources << shown->index(row, TableList::SourceColumn).data().toString();
    return sources;
}

void clickPlay(TPlayDialog &dialog)
{
    for (QPushButton *button : dialog.findChildren<QPushButton *>()) {
        if (button->text() == QStringLiteral("&Play"))
            button->click();
    }
}

} // namespace

void TestDirectoryClient::initTestCase()
{
    qputenv("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=/nonexistent/pinlex-test-bus");
    // The Join dialog's queries stay on this machine.
    FallbackQuerier::setTargetsOfAll({QHostAddress(QHostAddress::LocalHost)});
}

void TestDirectoryClient::hostedCodeIsListedSearchedAndJoined()
{
    Directory directory;
    QVERIFY(directory.start(90));
    qputenv("PINLEX_DIRECTORY", directory.address().toUtf8());
    const quint16 port = freePort();

    auto host = std::make_unique<Forms>();
    Tchat &chat = *host->chat();
    chat.session().options.setFileName(m_dir.filePath(QStringLiteral("ann.ini")));
    const CommandLine line = CommandLine::parse(
        {QStringLiteral("pinlex"), QStringLiteral("--port"), QString::number(port), QStringLiteral("--"),
         QStringLiteral("Ann"), QStringLiteral("127.0.0.1"), QStringLiteral("true")});
    chat.setLaunchParameters(line.launchParameters);
    chat.setPort(line.port);
    chat.session().client.setAnnounceTable(line.announce);
    chat.show();
    static const QRegularExpression codeLine(QStringLiteral("Others can join with the code ([A-Z0-9]{6})"));
    QTRY_VERIFY_WITH_TIMEOUT(codeLine.match(chatText(chat)).hasMatch(), 10000);
    const QString code = codeLine.match(chatText(chat)).captured(1);

    TPlayDialog dialog;
    dialog.setDirectories({DirectoryAddress{QStringLiteral("127.0.0.1"), directory.port}});
    dialog.directoryFinder()->setListInterval(200);
    dialog.present(PlayChoice(), false);
    dialog.finder()->stop();   // the local network's rows come by hand here
    TableInfo local;
    local.name = QStringLiteral("Other table");
    local.address = QHostAddress(QStringLiteral("10.231.7.1"));
    local.port = 7790;
    dialog.finder()->tables()->add(local);
    const QString listed = QStringLiteral("directory, code ") + code;
    QTRY_COMPARE_WITH_TIMEOUT(shownSources(dialog), (QStringList{QStringLiteral("local network"), listed}), 5000);

    // The search narrows the list by any column: a name, or a code.
    dialog.edit_search->setText(QStringLiteral("ann's"));
    QCOMPARE(shownSources(dialog), QStringList{listed});
    dialog.edit_search->setText(code.toLower());
    QCOMPARE(shownSources(dialog), QStringList{listed});
    dialog.edit_search->setText(QStringLiteral("other"));
    QCOMPARE(shownSources(dialog), QStringList{QStringLiteral("local network")});
    dialog.edit_search->clear();

    // A code nobody has is told in the dialog, which stays open.
    dialog.edit_name->setText(QStringLiteral("Bob"));
    dialog.combo_host->setEditText(code == QStringLiteral("CDFHJK") ? QStringLiteral("CDFHJM") : QStringLiteral("CDFHJK"));
    QSignalSpy played(&dialog, &TPlayDialog::playRequested);
    clickPlay(dialog);
    QTRY_VERIFY(dialog.label_problem->text().startsWith(QStringLiteral("No table has the code")));
    QVERIFY(played.isEmpty());
    QVERIFY(dialog.isVisible());

    // The table's code joins it, at the address and port the directory knows.
    dialog.combo_host->setEditText(QStringLiteral(" ") + code.toLower());
    clickPlay(dialog);
    QTRY_COMPARE(played.size(), 1);
    QCOMPARE(played.first().first().value<PlayChoice>().launchArguments(),
             (QStringList{QStringLiteral("--port"), QString::number(port), QStringLiteral("--"), QStringLiteral("Bob"),
                          QStringLiteral("127.0.0.1"), QStringLiteral("other")}));

    // The host leaves: its row goes at the next page, the local one stays.
    dialog.present(PlayChoice(), false);
    dialog.finder()->stop();
    dialog.finder()->tables()->add(local);
    QTRY_COMPARE_WITH_TIMEOUT(shownSources(dialog).size(), 2, 5000);
    host.reset();
    QTRY_COMPARE_WITH_TIMEOUT(shownSources(dialog), QStringList{QStringLiteral("local network")}, 5000);
    QVERIFY(dialog.label_directories->text().isEmpty());
    qunsetenv("PINLEX_DIRECTORY");
}

void TestDirectoryClient::unreachableDirectoryIsToldOnce()
{
    const DirectoryAddress nobody{QStringLiteral("127.0.0.1"), freePort()};
    TPlayDialog dialog;
    dialog.setDirectories({nobody});
    dialog.directoryFinder()->setListInterval(100);
    QSignalSpy told(dialog.directoryFinder(), &DirectoryFinder::unreachable);
    dialog.present(PlayChoice(), false);
    QTRY_COMPARE(told.size(), 1);
    // Rounds go on; the line is said once.
    QTest::qWait(500);
    QCOMPARE(told.size(), 1);
    QCOMPARE(dialog.label_directories->text(),
             QStringLiteral("The game directory %1 cannot be reached.").arg(nobody.toString()));
    QVERIFY(dialog.isVisible());
    QVERIFY(dialog.label_problem->text().isEmpty());
}

QTEST_MAIN(TestDirectoryClient)
#include "test_directoryclient.moc"
