// The scorecard: the marks and totals the host's postings and the own
// accepted words make, where the paint box draws them, and the card under it.
#include "board/scorecardmodel.h"
#include "board/scorecardview.h"
#include "tests/hostmessages.h"
#include "ui/artwork.h"

#include <QAccessible>
#include <QSignalSpy>
#include <QtTest>

#include <map>

namespace {

using Kind = Mark::Kind;

// Remembers the last mark drawn at each point, as a canvas would show it.
class RecordingCanvas : public MarkCanvas
{
public:
    void drawMark(const QPoint &at, const Mark &mark) override { drawn[{at.x(), at.y()}] = mark; }
    std::map<std::pair<int, int>, Mark> drawn;
};

// One character per mark: digits, "-", "/", "X", "w" and "g" for the empty
// white and grey boxes, "." where nothing is drawn.
QChar glyph(const Mark &mark)
{
    switch (mark.kind) {
    case Kind::Digit: return QChar(u'0' + mark.digit);
    case Kind::Dash: return u'-';
    case Kind::Spare: return u'/';
    case Kind::Strike: return u'X';
    case Kind::EmptyWhite: return u'w';
    case Kind::EmptyGrey: return u'g';
    case Kind::None: break;
    }
    return u'.';
}

QString glyphs(const ScoreCardModel::Marks &marks, int boxes)
{
    QStringList shown;
    for (int box = 0; box < boxes; ++box)
        shown << glyph(marks[box]);
    return shown.join(u' ');
}

Mark at(const RecordingCanvas &canvas, const QPoint &point)
{
    const auto it = canvas.drawn.find({point.x(), point.y()});
    return it == canvas.drawn.end() ? Mark{} : it->second;
}

struct Card
{
    ScoreCardModel model;
    QWidget panel;
    ScoreCardView view{&model, &panel};

    // The mark boxes of one frame as the model answers them, "X 4 /".
    QString marks(int seat, int frame) const { return glyphs(model.marks(seat, frame), frame == 10 ? 3 : 2); }

    RecordingCanvas paint() const
    {
        RecordingCanvas canvas;
        view.scorecardPaint(canvas);
        return canvas;
    }
    // The mark boxes of one frame as the paint box draws them.
    QString painted(int seat, int frame) const
    {
        const RecordingCanvas canvas = paint();
        ScoreCardModel::Marks marks{};
        for (int box = 1; box <= (frame == 10 ? 3 : 2); ++box)
            marks[box - 1] = at(canvas, ScoreCardView::boxAt(seat, frame, box));
        return glyphs(marks, frame == 10 ? 3 : 2);
    }
    // The three digit cells of a frame's total, "w45".
    QString total(int seat, int frame) const
    {
        const RecordingCanvas canvas = paint();
        QString cells;
        for (int cell = 0; cell < 3; ++cell)
            cells += glyph(at(canvas, ScoreCardView::cellAt(seat, frame, cell)));
        return cells;
    }
};

// A posting of one frame for one seat, as the host writes it.
msg::PostScores posting(int frame, int seat, const QList<int> &counts, int running = -1)
{
    QByteArray text = QByteArray::number(frame) + "+backstroke+backstroke";
    if (frame == 10)
        text += "+upholster+lumberjack";
    text += '+' + QByteArray::number(seat) + "*42";
    for (int i = 0; i < 3; ++i)
        text += '*' + QByteArray::number(counts.value(i, -1));
    text += "*back*stroke*+" + QByteArray::number(seat) + '#' + QByteArray::number(frame) + '#'
            + QByteArray::number(running);
    return scoresOf(text);
}

} // namespace

class TestScoreCard : public QObject
{
    Q_OBJECT

private slots:
    void marks_data();
    void marks();
    void totals_data();
    void totals();
    void postingFillsTheTexts_data();
    void postingFillsTheTexts();
    void goodwordVerdict_data();
    void goodwordVerdict();
    void ownWordMarksShowUntilTheHostPosts();
    void gameStartBlanksTheCard();
    void cardLinesUpWithThePaintBox();
    void everyMarkHasAPictureOfItsOwn();
    void screenReaderReadsEveryFrame();
};

void TestScoreCard::marks_data()
{
    QTest::addColumn<int>("frame");
    QTest::addColumn<QList<int>>("counts");
    QTest::addColumn<QString>("shown");

    QTest::newRow("unplayed") << 5 << QList<int>{} << "w g";
    QTest::newRow("strike goes in box 2") << 3 << QList<int>{10} << ". X";
    QTest::newRow("spare") << 3 << QList<int>{4, 6} << "4 /";
    QTest::newRow("two empty words") << 3 << QList<int>{0, 0} << "- -";
    QTest::newRow("open") << 3 << QList<int>{7, 0} << "7 -";
    QTest::newRow("no word before time ran out") << 3 << QList<int>{-1, -1} << ". .";
    QTest::newRow("tenth unplayed") << 10 << QList<int>{} << "w g g";
    QTest::newRow("tenth: three strikes") << 10 << QList<int>{10, 10, 10} << "X X X";
    QTest::newRow("tenth: strike, spare") << 10 << QList<int>{10, 4, 6} << "X 4 /";
    QTest::newRow("tenth: ten-letter second word") << 10 << QList<int>{0, 10, 5} << "- X 5";
    QTest::newRow("tenth: box 3 looks only at 2 and 3") << 10 << QList<int>{3, 7, 3} << "3 / /";
    QTest::newRow("tenth: spare, strike") << 10 << QList<int>{6, 4, 10} << "6 / X";
}

void TestScoreCard::marks()
{
    QFETCH(int, frame);
    QFETCH(QList<int>, counts);
    QFETCH(QString, shown);

    Card card;
    if (!counts.isEmpty())
        card.model.postscores(posting(frame, 3, counts));
    QCOMPARE(card.marks(3, frame), shown);
    // The paint box draws each mark in its own box of its own frame.
    QCOMPARE(card.painted(3, frame), shown);
    // Other seats are untouched.
    const QString blank = frame == 10 ? QStringLiteral("w g g") : QStringLiteral("w g");
    QCOMPARE(card.marks(2, frame), blank);
    QCOMPARE(card.painted(2, frame), blank);
}

void TestScoreCard::totals_data()
{
    QTest::addColumn<int>("running");
    QTest::addColumn<QString>("cells");
    QTest::newRow("not known") << -1 << "www";
    QTest::newRow("0 in the middle") << 0 << "w0w";
    QTest::newRow("7") << 7 << "ww7";
    QTest::newRow("45") << 45 << "w45";
    QTest::newRow("100") << 100 << "100";
    QTest::newRow("105") << 105 << "105";
    QTest::newRow("300") << 300 << "300";
}

void TestScoreCard::totals()
{
    QFETCH(int, running);
    QFETCH(QString, cells);
    Card card;
    card.model.postscores(posting(7, 4, {3, 4}, running));
    QCOMPARE(card.total(4, 7), cells);
    QCOMPARE(card.total(4, 6), QStringLiteral("www"));
}

void TestScoreCard::postingFillsTheTexts_data()
{
    QTest::addColumn<QByteArray>("payload");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("next");

    // Seat 1 after frame 2: a strike, then "stream" and "lie".
    const QByteArray seats = "+1*28*6*3*-1*stream*lie*+1#1#19#2#28#3#-1#4#-1#5#-1#6#-1#7#-1#8#-1#9#-1#10#-1"
                             "+2*0*0*0*-1***+2#1#0#2#0#3#-1#4#-1#5#-1#6#-1#7#-1#8#-1#9#-1#10#-1";
    QTest::newRow("frame 2") << "2+streamline+streamline" + seats << "Original Word: STREAMLINE"
                             << "Last Word: STREAMLINE";
    QTest::newRow("frame 10") << "10+streamline+backstroke+upholster+lumberjack" + seats
                              << "Original Words: BACKSTROKE / UPHOLSTER / LUMBERJACK" << "";
}

void TestScoreCard::postingFillsTheTexts()
{
    QFETCH(QByteArray, payload);
    QFETCH(QString, caption);
    QFETCH(QString, next);

    Card card;
    QSignalSpy own(&card.model, &ScoreCardModel::ownWordPosted);
    QSignalSpy status(&card.model, &ScoreCardModel::statusText);
    card.model.postscores(scoresOf(payload));
    QCOMPARE(status.count(), 1);
    QCOMPARE(own.count(), 1);
    QCOMPARE(own.at(0).at(0).toString(), QStringLiteral("streamline"));
    QCOMPARE(card.model.theWordCaption(), caption);
    QCOMPARE(card.model.scoreText(1), QStringLiteral("28"));
    QCOMPARE(card.model.wordText(1, 1), QStringLiteral("stream"));
    QCOMPARE(card.model.wordText(1, 2), QStringLiteral("lie"));
    QCOMPARE(card.total(1, 1), QStringLiteral("w19"));
    // The next frame's turn shows the kept word and forgets the words.
    card.model.showLastWord();
    card.model.clearWords();
    QCOMPARE(card.model.theWordCaption(), next);
    QCOMPARE(card.model.wordText(1, 1), QString());
}

void TestScoreCard::goodwordVerdict_data()
{
    QTest::addColumn<int>("frame");
    QTest::addColumn<QList<int>>("before");
    QTest::addColumn<int>("letters");
    QTest::addColumn<QString>("status");
    QTest::addColumn<QString>("boxes");
    QTest::addColumn<bool>("strike");
    QTest::addColumn<bool>("reopen");

    const QString strike = QStringLiteral("You got a Strike!");
    const QString spare = QStringLiteral("You got a Spare!");
    QTest::newRow("first word of 6") << 3 << QList<int>{} << 6 << "You knocked down 6 pins." << "6 . ." << false
                                     << true;
    QTest::newRow("strike in frame 4") << 4 << QList<int>{} << 10 << strike << ". X ." << true << false;
    QTest::newRow("spare") << 5 << QList<int>{4} << 6 << spare << ". / ." << false << false;
    QTest::newRow("tenth: strike") << 10 << QList<int>{} << 10 << strike << "X . ." << true << false;
    QTest::newRow("tenth: strike, strike") << 10 << QList<int>{10} << 10 << strike << ". X ." << true << false;
    QTest::newRow("tenth: strike, strike, strike") << 10 << QList<int>{10, 10} << 10 << strike << ". . X" << true
                                                   << false;
    QTest::newRow("tenth: strike, 4 reopens") << 10 << QList<int>{10} << 4 << "You knocked down 4 pins."
                                              << ". 4 ." << false << true;
    QTest::newRow("tenth: strike, 4, 6") << 10 << QList<int>{10, 4} << 6 << spare << ". 4 /" << false << false;
    QTest::newRow("tenth: spare, then all ten") << 10 << QList<int>{3, 7} << 10 << strike << ". . X" << true
                                                << false;
    QTest::newRow("tenth: spare, then 3 is its own ball") << 10 << QList<int>{3, 7} << 3
                                                          << "You knocked down 3 pins." << ". . 3" << false << false;
}

void TestScoreCard::goodwordVerdict()
{
    QFETCH(int, frame);
    QFETCH(QList<int>, before);
    QFETCH(int, letters);
    QFETCH(QString, status);
    QFETCH(QString, boxes);
    QFETCH(bool, strike);
    QFETCH(bool, reopen);

    FrameScore record;
    record.first = before.value(0, record.first);
    record.second = before.value(1, record.second);
    const std::optional<ScoreCardModel::GoodWord> verdict =
        ScoreCardModel::goodwordVerdict(record, frame, int(before.size()) + 1, letters);
    QVERIFY(verdict);
    QCOMPARE(verdict->status, status);
    QCOMPARE(verdict->sound, strike ? QStringLiteral("strike") : QStringLiteral("goodword"));
    QCOMPARE(glyphs(verdict->marks, 3), boxes);
    QCOMPARE(verdict->strike, strike);
    QCOMPARE(verdict->reopen, reopen);

    QVERIFY(!ScoreCardModel::goodwordVerdict(record, frame, 4, letters));
    QVERIFY(!ScoreCardModel::goodwordVerdict(record, 11, 1, letters));
    QVERIFY(!ScoreCardModel::goodwordVerdict(record, frame, 1, 11));
}

void TestScoreCard::ownWordMarksShowUntilTheHostPosts()
{
    Card card;
    card.model.goodword(2, 3, 1, 10);
    QCOMPARE(card.marks(2, 3), QStringLiteral(". X"));

    // Frame 10 after a spare: the third word's own count shows until the
    // host's posting redraws the frame by the card's rules.
    card.model.goodword(2, 10, 1, 3);
    card.model.goodword(2, 10, 2, 7);
    card.model.goodword(2, 10, 3, 3);
    QCOMPARE(card.marks(2, 10), QStringLiteral("3 / 3"));
    card.model.postscores(posting(10, 2, {3, 7, 3}));
    QCOMPARE(card.marks(2, 10), QStringLiteral("3 / /"));
    QVERIFY(!card.model.goodword(5, 3, 1, 4));
}

void TestScoreCard::gameStartBlanksTheCard()
{
    Card card;
    card.model.postscores(posting(9, 1, {10}, 240));
    card.model.postscores(posting(10, 1, {10, 10, 10}, 270));
    card.model.clearall();
    QCOMPARE(card.marks(1, 9), QStringLiteral("w g"));
    QCOMPARE(card.marks(1, 10), QStringLiteral("w g g"));
    QCOMPARE(card.total(1, 9), QStringLiteral("www"));
    QCOMPARE(card.model.scoreText(1), QStringLiteral("0"));
    QCOMPARE(card.model.wordText(1, 1), QString());
    card.model.showLastWord();
    QCOMPARE(card.model.theWordCaption(), QString());
}

// The paint box lies over the printed card: every mark box and digit cell
// it draws into must fall on a printed box of the same ground.
void TestScoreCard::cardLinesUpWithThePaintBox()
{
    Card card;
    const QPoint cardAt(6, 5);   // where the window lays the card
    const QPoint offset = card.view.pos() - cardAt;
    const QImage printed = artwork::scorecardCard().toImage();
    const auto ground = [](Kind kind) {
        return artwork::littlePicture(*ScoreCardView::pictureOf(Mark{kind})).toImage().pixel(4, 6);
    };
    // All four corners on the box's ground, the ruling just outside it.
    const auto check = [&](const QPoint &at, Kind kind) {
        const QPoint p = at + offset;
        for (const QPoint corner : {QPoint(0, 0), QPoint(8, 0), QPoint(0, 12), QPoint(8, 12)}) {
            if (printed.pixel(p + corner) != ground(kind))
                return false;
        }
        return printed.pixel(p + QPoint(-1, 6)) != ground(kind);
    };
    for (int seat = 1; seat <= 4; ++seat) {
        for (int frame = 1; frame <= 10; ++frame) {
            QVERIFY2(check(ScoreCardView::boxAt(seat, frame, 1), Kind::EmptyWhite), "box 1");
            for (int box = 2; box <= (frame == 10 ? 3 : 2); ++box)
                QVERIFY2(check(ScoreCardView::boxAt(seat, frame, box), Kind::EmptyGrey), "box 2/3");
            for (int cell = 0; cell < 3; ++cell) {
                const QPoint p = ScoreCardView::cellAt(seat, frame, cell) + offset + QPoint(4, 6);
                QCOMPARE(printed.pixel(p), ground(Kind::EmptyWhite));
            }
        }
    }
    QCOMPARE(printed.size(), QSize(554, 205));
}

// Two marks sharing a picture would read alike on the card.
void TestScoreCard::everyMarkHasAPictureOfItsOwn()
{
    QList<Mark> marks;
    for (int digit = 0; digit <= 9; ++digit)
        marks << Mark::count(digit);
    for (const Kind kind : {Kind::Dash, Kind::Spare, Kind::Strike, Kind::EmptyWhite, Kind::EmptyGrey})
        marks << Mark{kind};
    QList<QImage> pictures;
    for (const Mark &mark : marks) {
        const std::optional<int> picture = ScoreCardView::pictureOf(mark);
        QVERIFY(picture);
        const QImage image = artwork::littlePicture(*picture).toImage();
        QVERIFY(!image.isNull());
        QVERIFY2(!pictures.contains(image), qPrintable(QString(glyph(mark))));
        pictures << image;
    }
    QVERIFY(!ScoreCardView::pictureOf(Mark{}));
    QVERIFY(!ScoreCardView::pictureOf(Mark{Kind::Digit, 10}));
}

void TestScoreCard::screenReaderReadsEveryFrame()
{
    Card card;
    card.model.postscores(posting(3, 2, {10}, -1));
    card.model.postscores(posting(4, 2, {4, 6}, 45));
    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(&card.view);
    QVERIFY(iface);
    QCOMPARE(iface->childCount(), 40);
    QStringList names;
    for (int i = 0; i < iface->childCount(); ++i)
        names << iface->child(i)->text(QAccessible::Name);
    QVERIFY(names.contains(QStringLiteral("seat 2 frame 3: X, total not known yet")));
    QVERIFY(names.contains(QStringLiteral("seat 2 frame 4: 4 /, total 45")));
    QVERIFY(names.contains(QStringLiteral("seat 1 frame 4: not played")));
}

QTEST_MAIN(TestScoreCard)
#include "test_scorecard.moc"
