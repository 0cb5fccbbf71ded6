// The Words window: after a frame ends it lists the frame's word and the
// words played, each with its senses as one entry a screen reader reads
// whole; it opens by itself only when the player asked for that, and a
// click on a played word, View > Words or the chat's "Define WORD" open it.
#include "app/chatform.h"
#include "app/forms.h"
#include "app/session.h"
#include "chat/chatlog.h"
#include "chat/chatview.h"
#include "client/gameevents.h"
#include "client/roster.h"
#include "definitions/worddefinitions.h"
#include "dialogs/definitionsview.h"
#include "dialogs/wordswindow.h"
#include "tests/definitions/wordnetfixture.h"

#include <QLabel>
#include <QMenu>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// Every entry as a screen reader reads it, in order.
QStringList spoken(const QTreeWidget &view)
{
    QStringList entries;
    for (QTreeWidgetItemIterator it(const_cast<QTreeWidget *>(&view)); *it; ++it)
        entries << (*it)->data(0, Qt::AccessibleTextRole).toString();
    return entries;
}

msg::PostScores frame(int number, const QByteArray &word, const QList<QByteArray> &ann, const QList<QByteArray> &bob)
{
    msg::PostScores posted;
    posted.frame = number;
    posted.frameword = word;
    for (int seat = 1; seat <= game::kSeats; ++seat) {
        msg::SeatScore score;
        score.seat = seat;
        const QList<QByteArray> &words = seat == 1 ? ann : seat == 2 ? bob : QList<QByteArray>();
        for (qsizetype k = 0; k < words.size(); ++k)
            score.words[size_t(k)] = words[k];
        posted.seats << score;
    }
    return posted;
}

} // namespace

class TestWordsWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void listsTheFramesWordsAfterItEnds_data();
    void listsTheFramesWordsAfterItEnds();
    void withoutTheDataItSaysSoOnce();

private:
    QTemporaryDir m_dir;
};

void TestWordsWindow::initTestCase()
{
    qputenv("XDG_RUNTIME_DIR", m_dir.path().toLocal8Bit());
    const QString data = m_dir.filePath(QStringLiteral("wordnet"));
    QVERIFY(wordnetfixture::write(data, wordnetfixture::files({{"backstroke", 'n', "a swimming stroke"},
                                                              {"spare", 'n', "an extra part"},
                                                              {"spare", 'v', "refrain from harming"},
                                                              {"knock", 'v', "deliver a blow"}})));
    qputenv("WNSEARCHDIR", data.toLocal8Bit());
}

void TestWordsWindow::listsTheFramesWordsAfterItEnds_data()
{
    QTest::addColumn<bool>("afterEachFrame");   // the option
    QTest::addColumn<QString>("then");          // what the player does after the frame
    QTest::addColumn<QString>("current");       // the entry chosen; empty: the window stays closed
    QTest::newRow("opens by itself when asked") << true << "" << "BACKSTROKE, the frame's word";
    QTest::newRow("stays closed unless asked") << false << "" << "";
    QTest::newRow("a click on a played word") << false << "label_word21" << "KNOCKED, Bob";
    QTest::newRow("View > Words") << false << "Words1" << "BACKSTROKE, the frame's word";
    QTest::newRow("the chat's Define") << false << "DefineWord1" << "QUIRKY, from the chat";
}

void TestWordsWindow::listsTheFramesWordsAfterItEnds()
{
    QFETCH(bool, afterEachFrame);
    QFETCH(QString, then);
    QFETCH(QString, current);
    Forms forms;
    Tchat *chat = forms.chat();
    Session &session = chat->session();
    session.options.setFileName(m_dir.filePath(QStringLiteral("words.ini")));
    session.options.setShowDefinitions(afterEachFrame);
    for (const auto &[slot, name] : {std::pair{1, "Ann"}, std::pair{2, "Bob"}})
        session.roster.newplayerinfo(slot, name);
    chat->show();
    chat->chatLog().addlinetochat(QStringLiteral("0+quirky words"), ChatLog::kSystemColour, true);
    emit session.client.events()->frameScored(frame(3, "backstroke", {"spare", "xyzzy"}, {"knocked", "spare"}));

    if (then.startsWith(QLatin1String("label"))) {
        QTest::mouseClick(chat->findChild<QLabel *>(then), Qt::LeftButton);
    } else if (then == QLatin1String("DefineWord1")) {
        auto *view = chat->findChild<ChatView *>(QStringLiteral("mainchat"));
        int line = -1;
        QTRY_VERIFY((line = int(view->toPlainText().left(view->toPlainText().indexOf(QLatin1String("quirky")))
                                    .count(QLatin1Char('\n'))),
                     view->lineRect(line).isValid()));
        // A right click on the line's first word.
        emit view->customContextMenuRequested(view->lineRect(line).topLeft() + QPoint(8, 4));
        chat->findChild<QAction *>(then)->trigger();
    } else if (!then.isEmpty()) {
        chat->findChild<QAction *>(then)->trigger();
    }

    WordsWindow *window = forms.existingWords();
    QCOMPARE(window && window->isVisible(), !current.isEmpty());
    if (!window)
        return;
    QCOMPARE(window->view()->currentItem()->data(0, Qt::AccessibleTextRole).toString(), current);
    QStringList expected{"BACKSTROKE, the frame's word", "backstroke, noun, a swimming stroke",
                         "SPARE, Ann, Bob", "spare, noun, an extra part", "spare, verb, refrain from harming",
                         "XYZZY, Ann", "xyzzy, no definition found",
                         "KNOCKED, Bob", "knocked, verb, deliver a blow"};
    if (then == QLatin1String("DefineWord1"))
        expected = QStringList{"QUIRKY, from the chat", "quirky, no definition found"} + expected;
    QCOMPARE(spoken(*window->view()), expected);
}

void TestWordsWindow::withoutTheDataItSaysSoOnce()
{
    WordDefinitions none(m_dir.filePath(QStringLiteral("nothing here")));
    DefinitionsView view(none);
    view.setWords({{"SPARE", "Ann"}, {"KNOCKED", "Bob"}});
    QCOMPARE(spoken(view), (QStringList{WordDefinitions::missingText(), "SPARE, Ann", "KNOCKED, Bob"}));
}

QTEST_MAIN(TestWordsWindow)
#include "test_wordswindow.moc"
