// The options model: what a load sets, what a change tells and writes.
#include "base/errordisplay.h"
#include "settings/inifile.h"
#include "settings/options.h"
#include "testfiles.h"

#include <QMetaProperty>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// The model under test, with its settings file in a folder of its own.
struct Model
{
    QTemporaryDir dir;
    Options options{dir.filePath(QStringLiteral("orviklobby.ini"))};
    QByteArray saved() const { return contentsOf(options.fileName()); }
    QVariant value(const char *name) const { return options.property(name); }
};

QMetaMethod notifier(const Options &options, const char *name)
{
    const QMetaObject *meta = options.metaObject();
    return meta->property(meta->indexOfProperty(name)).notifySignal();
}

} // namespace

class TestOptions : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void loadSetsEveryOptionAndWritesNothing();
    void loadWithoutFileGivesTheFileDefaults();
    void changeTellsAndWritesOnce_data();
    void changeTellsAndWritesOnce();
    void changeBeforeLoadKeepsWhatTheFileHolds();
    void phrasesAreWrittenOnTheirOwn();
    void gameDirectoriesAreWrittenOnTheirOwnAndNoneDiffersFromUnset();
    void refusedSaveIsShownAsAnError();

private:
    QStringList m_errors;
};

void TestOptions::initTestCase()
{
    setErrorSink([this](const QString &message) { m_errors << message; });
}

void TestOptions::loadSetsEveryOptionAndWritesNothing()
{
    Model m;
    const QByteArray file = "[Lobby]\nTop=1\n[Pinlex]\nTop=40\nLeft=50\nWidth=700\nHeight=650\nTextsize=14\n"
                            "Textcolor=clRed\nTimeperturn=90\nTurnsound=1\nTimebetween=15\nType=true\n"
                            "Usespace=true\nShowbadword=false\nClearwords=true\nPlaysounds=false\n"
                            "ChatterSounds=false\nRobotchatter=false\nRobots=3\nRobotstrength=2\nPhrase2=Strike!\n"
                            "Phrase4=\n";
    writeFile(m.options.fileName(), file);
    QSignalSpy loaded(&m.options, &Options::loaded);
    QSignalSpy typeWords(&m.options, &Options::typeWordsChanged);
    m.options.load();
    QCOMPARE(loaded.count(), 1);
    QCOMPARE(typeWords.count(), 1);
    QCOMPARE(m.options.placement(), QRect(50, 40, 700, 650));
    const QList<std::pair<const char *, QVariant>> expected = {
        {"textSize", 14}, {"textColor", 0x0000FFu}, {"timePerTurn", 90}, {"turnSound", 1}, {"timeBetween", 15},
        {"typeWords", true}, {"useSpace", true}, {"showBadWord", false}, {"clearWords", true},
        {"playSounds", false}, {"chatterSounds", false}, {"robotChatter", false}, {"robots", 3},
        {"robotStrength", 2}};
    for (const auto &[name, value] : expected)
        QVERIFY2(m.value(name) == value, name);
    QCOMPARE(m.options.phrase(2), QStringLiteral("Strike!"));
    // An empty stored phrase leaves the phrase as it is.
    QCOMPARE(m.options.phrase(4), QStringLiteral("Excellent!"));
    QCOMPARE(m.saved(), file);
}

void TestOptions::loadWithoutFileGivesTheFileDefaults()
{
    Model m;
    QVERIFY(!m.options.chatterSounds());   // the menus' design state
    m.options.load();
    QVERIFY(m.options.playSounds() && m.options.chatterSounds() && m.options.showBadWord());
    QCOMPARE(m.options.textSize(), 8);
    // The default "1" is below what the game offers, which keeps it in range.
    QCOMPARE(m.options.timePerTurn(), 45);
    QVERIFY(m.saved().isEmpty());
}

void TestOptions::changeTellsAndWritesOnce_data()
{
    QTest::addColumn<QByteArray>("property");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QByteArray>("line");   // a line of the saved file
    QTest::newRow("Play Sounds") << QByteArray("playSounds") << QVariant(false) << QByteArray("\nPlaysounds=false\n");
    QTest::newRow("Turn Sound") << QByteArray("turnSound") << QVariant(1) << QByteArray("\nTurnsound=1\n");
    QTest::newRow("Type Words") << QByteArray("typeWords") << QVariant(true) << QByteArray("\nType=true\n");
    QTest::newRow("Time Between") << QByteArray("timeBetween") << QVariant(5) << QByteArray("\nTimebetween=5\n");
    QTest::newRow("Text Color") << QByteArray("textColor") << QVariant(0x00F0E0D0u)
                                << QByteArray("\nTextcolor=$00F0E0D0\n");
    QTest::newRow("Text Size") << QByteArray("textSize") << QVariant(14) << QByteArray("\nTextsize=14\n");
    QTest::newRow("time per turn, kept in range") << QByteArray("timePerTurn") << QVariant(500)
                                                  << QByteArray("\nTimeperturn=120\n");
    QTest::newRow("Computer Players Chat") << QByteArray("robotChatter") << QVariant(false)
                                           << QByteArray("\nRobotchatter=false\n");
    QTest::newRow("computer players, kept to the free seats") << QByteArray("robots") << QVariant(9)
                                                              << QByteArray("\nRobots=3\n");
    QTest::newRow("their strength") << QByteArray("robotStrength") << QVariant(0)
                                    << QByteArray("\nRobotstrength=0\n");
    QTest::newRow("Show Word Definitions") << QByteArray("showDefinitions") << QVariant(true)
                                           << QByteArray("\nShowDefinitions=true\n");
}

void TestOptions::changeTellsAndWritesOnce()
{
    QFETCH(QByteArray, property);
    QFETCH(QVariant, value);
    QFETCH(QByteArray, line);
    Model m;
    m.options.load();
    m.options.setBoundsSource([] { return QRect(7, 8, 600, 590); });
    QSignalSpy told(&m.options, notifier(m.options, property));
    QVERIFY(m.options.setProperty(property, value));
    QCOMPARE(told.count(), 1);
    QVERIFY2(m.saved().contains(line), m.saved().constData());
    // The window's bounds as they are when the file is written.
    QVERIFY(m.saved().startsWith("[Pinlex]\nTop=8\nLeft=7\nWidth=600\nHeight=590\n"));

    // The same value again is no change: nothing told, nothing written.
    QFile::remove(m.options.fileName());
    QVERIFY(m.options.setProperty(property, m.value(property)));
    QCOMPARE(told.count(), 1);
    QVERIFY(m.saved().isEmpty());
}

// A window not yet seated shows the design state; what the player changes
// then is written, and nothing else the file holds is lost.
void TestOptions::changeBeforeLoadKeepsWhatTheFileHolds()
{
    Model m;
    m.options.setBoundsSource([] { return QRect(0, 0, 600, 590); });
    writeFile(m.options.fileName(),
              "[Pinlex]\nTop=40\nLeft=50\nWidth=700\nHeight=650\nPhrase1=Strike!\nTextsize=14\nTimebetween=5\n");
    m.options.setTypeWords(true);
    m.options.setTimePerTurn(90);
    m.options.save(); // as the window does at exit
    const QByteArray saved = m.saved();
    for (const char *line : {"Top=40\n", "Left=50\n", "Width=700\n", "Textsize=14\n", "Timebetween=5\n",
                             "Phrase1=Strike!\n", "Type=true\n", "Timeperturn=90\n"})
        QVERIFY2(saved.contains(line), saved.constData());

    // Scrolling is the view's alone: it is told, never written.
    QFile::remove(m.options.fileName());
    QSignalSpy scroll(&m.options, &Options::scrollChatOffChanged);
    m.options.setScrollChatOff(true);
    QCOMPARE(scroll.count(), 1);
    QVERIFY(m.saved().isEmpty());
}

void TestOptions::phrasesAreWrittenOnTheirOwn()
{
    Model m;
    writeFile(m.options.fileName(), "[Pinlex]\nTextsize=14\n");
    Options::Phrases phrases = m.options.phrases();
    phrases[0] = QStringLiteral("/me bows");
    phrases[2].clear();
    QSignalSpy told(&m.options, &Options::phrasesChanged);
    m.options.setPhrases(phrases);
    QCOMPARE(told.count(), 1);
    const QByteArray saved = m.saved();
    QVERIFY(saved.startsWith("[Pinlex]\nTextsize=14\nPhrase1=/me bows\nPhrase2=Good One!\nPhrase3=\n"));
    QVERIFY(saved.endsWith("Phrase9=Good Game Everyone!\n"));

    // The next run's load: the empty phrase leaves the built-in one.
    Options next(m.options.fileName());
    next.load();
    QCOMPARE(next.phrase(1), QStringLiteral("/me bows"));
    QCOMPARE(next.phrase(3), QStringLiteral("Nice Try!"));
}

// Written before the options were ever loaded, the list must not carry the
// design state of every other option into the file; and a list emptied on
// purpose must not read back as "never chosen" (the build's default).
void TestOptions::gameDirectoriesAreWrittenOnTheirOwnAndNoneDiffersFromUnset()
{
    Model m;
    writeFile(m.options.fileName(), "[Pinlex]\nTextsize=14\n");
    QVERIFY(!m.options.storedGameDirectories());
    m.options.setGameDirectories(QStringLiteral("dir.example:7773, [2001:db8::1]:8000"));
    QCOMPARE(m.saved(), QByteArray("[Pinlex]\nTextsize=14\nGamedirectories=dir.example:7773, [2001:db8::1]:8000\n"));
    m.options.setGameDirectories(QString());
    QCOMPARE(m.options.storedGameDirectories(), std::optional<QString>(QString()));

    Options next(m.options.fileName());
    next.load();
    QCOMPARE(next.gameDirectories(), std::optional<QString>(QString()));
    QCOMPARE(next.textSize(), 14);
}

void TestOptions::refusedSaveIsShownAsAnError()
{
    Model m;
    writeFile(m.dir.filePath(QStringLiteral("file")), "x");
    m.options.setFileName(m.dir.filePath(QStringLiteral("file/orviklobby.ini")));
    m_errors.clear();
    m.options.setPlaySounds(false);
    QCOMPARE(m_errors, QStringList{QStringLiteral("Unable to write to ") + m.options.fileName()});
    QVERIFY_THROWS_EXCEPTION(EIniFileError, m.options.save());
}

QTEST_GUILESS_MAIN(TestOptions)
#include "test_options.moc"
