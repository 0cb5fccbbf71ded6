// The letter board's rules without a window: taking, returning, swapping,
// shuffling, typing, sending, dealing and the game's steps.
#include "board/rackmodel.h"
#include "tests/hostmessages.h"

#include <QSignalSpy>
#include <QtTest>

namespace {

// Tile k holds the k-th letter; tiles 3 and 8 share an "e".
const QByteArray kDeal = "0+1+s+2+t+3+e+4+a+5+m+6+l+7+i+8+e+9+n+10+r";

struct Board
{
    RackModel rack;
    QStringList sounds;
    QSignalSpy sent{&rack, &RackModel::sendword};

    explicit Board(bool typing = false)
    {
        QObject::connect(&rack, &RackModel::sound, [this](const QString &name) { sounds << name; });
        rack.setMyseat(2);
        rack.setLoggedIn(true);
        rack.setTypeWords(typing);
        rack.theletters(dealOf(kDeal));
        rack.openBoard();
    }

    // Operations, named after the mouse buttons the view maps to them: "L3"
    // selects tile 3, "R3" lifts it, "M3" swaps with it; "U3" puts word
    // slot 3 back; "C" clear, "S" send, "H" shuffle.
    void act(const QStringList &actions)
    {
        for (const QString &a : actions) {
            const int n = a.mid(1).toInt();
            switch (a.at(0).unicode()) {
            case 'L': rack.selectTile(n); break;
            case 'R': rack.liftTile(n); break;
            case 'M': rack.swapWith(n); break;
            case 'U': rack.putBack(n); break;
            case 'C': rack.returnWord(); break;
            case 'S': rack.submitWord(); break;
            case 'H': rack.shuffleRack(); break;
            }
        }
    }

    // Keys: a single letter types it; "Tab", "Enter", "Backspace", "1",
    // "6", "Space" and "F1" are the keys the view reads as the board's
    // keys.
    static std::pair<RackModel::Key, QChar> keyOf(const QString &key)
    {
        using Key = RackModel::Key;
        static const QHash<QString, Key> named = {
            {QStringLiteral("Tab"), Key::ToggleTyping}, {QStringLiteral("Enter"), Key::Send},
            {QStringLiteral("Backspace"), Key::Erase},  {QStringLiteral("1"), Key::Clear},
            {QStringLiteral("6"), Key::Shuffle},        {QStringLiteral("Space"), Key::Space},
        };
        if (key.size() == 1 && key.at(0).isLower())
            return {Key::Letter, key.at(0)};
        return {named.value(key, Key::Other), QChar()};
    }
    // Answers whether each key was consumed.
    QList<bool> type(const QStringList &keys)
    {
        QList<bool> consumed;
        for (const QString &key : keys) {
            const auto [code, letter] = keyOf(key);
            consumed << rack.typeKey(code, letter);
        }
        return consumed;
    }

    // The tiles from left to right on the screen.
    QList<int> order() const
    {
        QList<int> tiles;
        for (int place = 1; place <= RackModel::kTiles; ++place)
            tiles << rack.tileAt(place);
        return tiles;
    }
};

QList<int> inOrder()
{
    return {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
}

QList<int> swapped(int a, int b)
{
    QList<int> order = inOrder();
    order.swapItemsAt(a - 1, b - 1);
    return order;
}

} // namespace

class TestRackModel : public QObject
{
    Q_OBJECT

private slots:
    void mouseRules_data();
    void mouseRules();
    void keyboardRules_data();
    void keyboardRules();
    void submitWord_data();
    void submitWord();
    void enterWithoutLettersDoesNothing();
    void nothingActsOutOfTurn();
    void dealKeepsScreenOrderAndEmptyTiles();
    void shuffleNeverMovesTheWord();
    void refusedWordFollowsTheOptions_data();
    void refusedWordFollowsTheOptions();
    void acceptedWordKnocksDownUsedSlots_data();
    void acceptedWordKnocksDownUsedSlots();
    void frameEndSpellsTheOwnWordAndEmptiesTheRack();
};

void TestRackModel::mouseRules_data()
{
    QTest::addColumn<QStringList>("actions");
    QTest::addColumn<QList<int>>("word");
    QTest::addColumn<QList<int>>("order");
    QTest::addColumn<QStringList>("sounds");

    QTest::newRow("take") << QStringList{"L3", "L1"} << QList<int>{3, 1} << inOrder()
                          << QStringList{"puttile", "puttile"};
    QTest::newRow("a taken tile gives nothing more") << QStringList{"L3", "L3"} << QList<int>{3} << inOrder()
                                                     << QStringList{"puttile"};
    QTest::newRow("right twice drops the tile back") << QStringList{"R4", "R4"} << QList<int>{} << inOrder()
                                                     << QStringList{};
    QTest::newRow("right then left swaps, takes nothing")
        << QStringList{"R4", "L7"} << QList<int>{} << swapped(4, 7) << QStringList{"swap"};
    QTest::newRow("middle alone does nothing") << QStringList{"M4", "L5"} << QList<int>{5} << inOrder()
                                               << QStringList{"puttile"};
    QTest::newRow("an empty place cannot be lifted")
        << QStringList{"L4", "R4", "L5"} << QList<int>{4, 5} << inOrder() << QStringList{"puttile", "puttile"};
    QTest::newRow("an empty place moves in a swap")
        << QStringList{"L4", "R6", "L4"} << QList<int>{4} << swapped(4, 6) << QStringList{"puttile", "swap"};
    QTest::newRow("only the last slot comes off")
        << QStringList{"L1", "L2", "L3", "U2", "U1", "U3"} << QList<int>{1, 2} << inOrder()
        << QStringList{"puttile", "puttile", "puttile", "unselect"};
    QTest::newRow("clear returns everything")
        << QStringList{"L1", "L2", "C", "L2"} << QList<int>{2} << inOrder()
        << QStringList{"puttile", "puttile", "clear", "puttile"};
}

void TestRackModel::mouseRules()
{
    QFETCH(QStringList, actions);
    QFETCH(QList<int>, word);
    QFETCH(QList<int>, order);
    QFETCH(QStringList, sounds);

    Board board;
    board.act(actions);
    QCOMPARE(board.rack.wordTiles(), word);
    QCOMPARE(board.rack.wordlen(), word.size());
    QCOMPARE(board.order(), order);
    QCOMPARE(board.sounds, sounds);
    QCOMPARE(board.rack.swappick(), 0);
    // The row and the rack agree: every letter is in exactly one place.
    QString letters;
    for (int k = 1; k <= RackModel::kTiles; ++k)
        letters += board.rack.tile(k).hint + board.rack.slot(k).hint;
    std::sort(letters.begin(), letters.end());
    QCOMPARE(letters, QStringLiteral("aeeilmnrst"));
}

void TestRackModel::keyboardRules_data()
{
    QTest::addColumn<bool>("typing");
    QTest::addColumn<bool>("chat");   // the chat line has the keys
    QTest::addColumn<QStringList>("mouse");
    QTest::addColumn<QStringList>("keys");
    QTest::addColumn<QList<int>>("word");
    QTest::addColumn<QList<int>>("order");

    // Without Type Words every key but Tab goes on to the focused control.
    QTest::newRow("not typing: keys pass")
        << false << false << QStringList{} << QStringList{"s", "6", "Enter"} << QList<int>{} << inOrder();
    QTest::newRow("Tab starts typing")
        << false << false << QStringList{} << QStringList{"Tab", "s"} << QList<int>{1} << inOrder();
    QTest::newRow("Tab stops it")
        << true << false << QStringList{} << QStringList{"Tab", "s"} << QList<int>{} << inOrder();
    QTest::newRow("letters by tile number, whatever the screen order")
        << true << false << QStringList{"R3", "L8"} << QStringList{"e", "e"} << QList<int>{3, 8} << swapped(3, 8);
    QTest::newRow("a raised tile swaps with the typed letter")
        << true << false << QStringList{"R4"} << QStringList{"i"} << QList<int>{} << swapped(4, 7);
    QTest::newRow("a letter not on the rack is swallowed")
        << true << false << QStringList{} << QStringList{"z", "F1", "t"} << QList<int>{2} << inOrder();
    QTest::newRow("backspace takes the last letter")
        << true << false << QStringList{} << QStringList{"s", "t", "Backspace"} << QList<int>{1} << inOrder();
    QTest::newRow("1 clears")
        << true << false << QStringList{} << QStringList{"s", "t", "1"} << QList<int>{} << inOrder();
    // The scripted generator makes every shuffle swap places 1 and 2 first.
    QTest::newRow("6 shuffles")
        << true << false << QStringList{} << QStringList{"6"} << QList<int>{} << swapped(1, 2);
    // A chat line with the focus keeps every key, Tab included: a line
    // chatted in the own turn was once played as a word.
    QTest::newRow("the chat line's keys pass")
        << true << true << QStringList{} << QStringList{"s", "t", "Tab", "1", "Enter"} << QList<int>{} << inOrder();
    QTest::newRow("space only types without Use Space")
        << true << false << QStringList{} << QStringList{"Space", "n"} << QList<int>{9} << inOrder();
}

void TestRackModel::keyboardRules()
{
    QFETCH(bool, typing);
    QFETCH(bool, chat);
    QFETCH(QStringList, mouse);
    QFETCH(QStringList, keys);
    QFETCH(QList<int>, word);
    QFETCH(QList<int>, order);

    Board board(typing);
    board.rack.setChatHasKeys(chat);
    QSignalSpy saved(&board.rack, &RackModel::typeWordsToggled);
    // A shuffle whose only move is tiles 1 and 2 changing places: every
    // later draw names the tile's own number.
    int draws = 0;
    board.rack.setRandomSource([&draws](int) {
        const int draw = draws++;
        return draw == 0 ? 1 : draw;
    });
    board.act(mouse);
    for (const QString &key : keys) {
        draws = 0;
        const bool consumed = !chat && (board.rack.typeWords() || key == QLatin1String("Tab"));
        QCOMPARE(board.rack.claimsKey(Board::keyOf(key).first), consumed);
        QCOMPARE(board.type({key}), QList<bool>{consumed});
    }
    QCOMPARE(board.rack.wordTiles(), word);
    QCOMPARE(board.order(), order);
    QCOMPARE(saved.count(), chat ? 0 : int(keys.count(QStringLiteral("Tab"))));
}

void TestRackModel::submitWord_data()
{
    QTest::addColumn<QStringList>("actions");
    QTest::addColumn<bool>("loggedIn");
    QTest::addColumn<QList<int>>("word");
    QTest::addColumn<bool>("stillOpen");

    QTest::newRow("tiles in word order after a swap")
        << QStringList{"R3", "L7", "L3", "L7", "L1", "S"} << true << QList<int>{3, 7, 1} << false;
    QTest::newRow("empty row sends nothing, stays open") << QStringList{"S"} << true << QList<int>() << true;
    QTest::newRow("not logged in: nothing sent, board closed") << QStringList{"L5", "S"} << false << QList<int>()
                                                               << false;
}

void TestRackModel::submitWord()
{
    QFETCH(QStringList, actions);
    QFETCH(bool, loggedIn);
    QFETCH(QList<int>, word);
    QFETCH(bool, stillOpen);

    Board board;
    board.rack.setLoggedIn(loggedIn);
    QSignalSpy status(&board.rack, &RackModel::statusText);
    board.act(actions);
    QCOMPARE(board.sent.count(), word.isEmpty() ? 0 : 1);
    if (!word.isEmpty())
        QCOMPARE(board.sent.at(0).at(0).value<QList<int>>(), word);
    QCOMPARE(status.last().at(0).toString(), QStringLiteral("Checking Word.."));
    QCOMPARE(board.rack.isMyTurn(), stillOpen);
    QCOMPARE(board.rack.commandsVisible(), stillOpen);
}

// Enter with no letters once left "Checking Word.." on the status for good.
void TestRackModel::enterWithoutLettersDoesNothing()
{
    Board board(true);
    QSignalSpy status(&board.rack, &RackModel::statusText);
    QCOMPARE(board.type({QStringLiteral("Enter")}), QList<bool>{true});
    QVERIFY(status.isEmpty() && board.sent.isEmpty() && board.rack.isMyTurn());
}

void TestRackModel::nothingActsOutOfTurn()
{
    Board board(true);
    board.act({"L1", "L2"});
    board.rack.setTurnseat(3);
    QSignalSpy changed(&board.rack, &RackModel::changed);
    QSignalSpy status(&board.rack, &RackModel::statusText);
    board.act({"L3", "R4", "L5", "U2", "S", "H"});
    QCOMPARE(board.type({"Tab", "a", "Enter"}), (QList<bool>{false, false, false}));
    QCOMPARE(changed.count(), 0);
    QCOMPARE(status.count(), 0);
    QCOMPARE(board.sent.count(), 0);
    QVERIFY(board.rack.typeWords());
    QCOMPARE(board.rack.wordTiles(), (QList<int>{1, 2}));
}

void TestRackModel::dealKeepsScreenOrderAndEmptyTiles()
{
    Board board;
    board.act({"R2", "L9", "L5", "R7"});
    QCOMPARE(board.rack.wordTiles(), QList<int>{5});
    QSignalSpy opened(&board.rack, &RackModel::commandsVisibleChanged);
    board.rack.closeBoard();

    // A tile without a letter stays as it was; tile 5 gets its letter, the
    // rest keep theirs. (Hostile fields never reach the board: the message
    // is refused as it is read.)
    board.rack.theletters(dealOf("0+6++5+w+8+"));
    QCOMPARE(board.order(), swapped(2, 9));
    QCOMPARE(board.rack.wordlen(), 0);
    QCOMPARE(board.rack.swappick(), 0);
    QVERIFY(!board.rack.tile(7).raised);
    QCOMPARE(board.rack.tile(5).hint, QStringLiteral("w"));
    QCOMPARE(board.rack.tile(5).tag, 5);
    QCOMPARE(board.rack.tile(6).hint + board.rack.tile(8).hint, QStringLiteral("le"));
    // A deal for everybody fills the rack only; one to the own seat is a
    // bonus rack and opens the board at once.
    QVERIFY(!board.rack.isMyTurn());
    board.rack.theletters(dealOf("3+1+a"));
    QVERIFY(!board.rack.isMyTurn());
    board.rack.theletters(dealOf("2+1+a"));
    QVERIFY(board.rack.isMyTurn());
    QCOMPARE(opened.count(), 2);
}

void TestRackModel::shuffleNeverMovesTheWord()
{
    Board board;
    board.act({"L4", "L1", "R7"});
    // No draw names the tile's own number, so every step moves two tiles.
    int i = 0;
    board.rack.setRandomSource([&i](int n) { return (i++ + 3) % n; });
    board.act({"H"});
    QCOMPARE(board.rack.wordTiles(), (QList<int>{4, 1}));
    QCOMPARE(board.rack.slot(1).hint, QStringLiteral("a"));
    QVERIFY(!board.rack.tile(7).raised && board.rack.swappick() == 0);
    QList<int> order = board.order();
    QVERIFY(order != inOrder());
    std::sort(order.begin(), order.end());
    QCOMPARE(order, inOrder());
    QCOMPARE(board.sounds, (QStringList{"puttile", "puttile"}));
}

void TestRackModel::refusedWordFollowsTheOptions_data()
{
    QTest::addColumn<bool>("showPanel");
    QTest::addColumn<bool>("clearWord");
    QTest::newRow("defaults: panel, word stays") << true << false;
    QTest::newRow("no panel, cleared") << false << true;
}

void TestRackModel::refusedWordFollowsTheOptions()
{
    QFETCH(bool, showPanel);
    QFETCH(bool, clearWord);

    Board board;
    board.rack.setShowBadWord(showPanel);
    board.rack.setClearWords(clearWord);
    board.act({"L5", "L4", "S"});
    board.sounds.clear();
    board.rack.refuseWord();
    QVERIFY(board.rack.isMyTurn() && board.rack.commandsVisible());
    QCOMPARE(board.rack.badWordPanelVisible(), showPanel);
    QCOMPARE(board.rack.wordlen(), clearWord ? 0 : 2);
    QCOMPARE(board.rack.tile(5).tag, clearWord ? 5 : 0);
    // The automatic return makes no clear sound of its own.
    QCOMPARE(board.sounds, QStringList{"badword"});
    // Any board action, and the panel's OK, put the panel away.
    board.act({"L9"});
    QVERIFY(!board.rack.badWordPanelVisible());
}

void TestRackModel::acceptedWordKnocksDownUsedSlots_data()
{
    QTest::addColumn<int>("ball");
    QTest::addColumn<int>("letters");
    QTest::addColumn<int>("knocked");
    QTest::newRow("first word of 6") << 1 << 6 << 6;
    QTest::newRow("second word") << 2 << 4 << 0;
}

void TestRackModel::acceptedWordKnocksDownUsedSlots()
{
    QFETCH(int, ball);
    QFETCH(int, letters);
    QFETCH(int, knocked);

    Board board;
    board.act({"L1", "L2", "L3", "S"});
    board.rack.acceptWord(ball, letters, ball == 1);
    for (int k = 1; k <= RackModel::kTiles; ++k) {
        const RackModel::Slot &slot = board.rack.slot(k);
        QVERIFY(slot.tag == 0 && slot.shows.isNull());
        // The last slots, as many as the word used, show their pin down.
        QCOMPARE(slot.pinDown, k > RackModel::kTiles - knocked);
    }
    QCOMPARE(board.rack.wordlen(), 0);
    QCOMPARE(board.rack.isMyTurn(), ball == 1);
    // The used tiles stay empty for the next word.
    QCOMPARE(board.rack.tile(1).tag, 0);
}

void TestRackModel::frameEndSpellsTheOwnWordAndEmptiesTheRack()
{
    Board board;
    board.act({"L1", "R5"});
    board.rack.showFrameWord(QStringLiteral("backstroke"));
    QString spelled;
    for (int k = 1; k <= RackModel::kTiles; ++k) {
        QVERIFY(board.rack.tile(k).hint.isEmpty() && board.rack.slot(k).tag == 0);
        spelled += board.rack.slot(k).shows;
    }
    QCOMPARE(spelled, QStringLiteral("backstroke"));
}

QTEST_GUILESS_MAIN(TestRackModel)
#include "test_rackmodel.moc"
