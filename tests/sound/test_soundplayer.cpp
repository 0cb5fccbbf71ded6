// The player: what it asks of its backend for a run of requests, and the
// real player on a machine without audio (the test machine): quiet, quick,
// loading nothing before the first sound, with its sound module or without.
#include "sound/soundmodule.h"
#include "sound/soundplayer.h"
#include "sound/soundtable.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

namespace {

class RecordingBackend : public SoundPlayer::Backend
{
public:
    explicit RecordingBackend(QStringList *log) : m_log(log) {}
    void start(const QString &sound) override { m_log->append(QStringLiteral("start ") + sound); }
    void stop(const QString &sound) override { m_log->append(QStringLiteral("stop ") + sound); }
    void alert() override { m_log->append(QStringLiteral("alert")); }

private:
    QStringList *m_log;
};

// Whether the audio libraries are in this process.
bool audioLoaded()
{
    QFile maps(QStringLiteral("/proc/self/maps"));
    return maps.open(QIODevice::ReadOnly) && maps.readAll().contains("libQt6Multimedia");
}

} // namespace

class TestSoundPlayer : public QObject
{
    Q_OBJECT

private slots:
    // First: the real player must not touch the audio system when made.
    void makingThePlayerLoadsNothing();
    void newestSoundCutsThePlayingOne_data();
    void newestSoundCutsThePlayingOne();
    void realPlayerIsQuietWithoutAudio_data();
    void realPlayerIsQuietWithoutAudio();
};

void TestSoundPlayer::makingThePlayerLoadsNothing()
{
    // Opening the audio system on a machine without one reports so; start-up
    // must not pay for that, nor for loading sounds.
    QTest::failOnWarning(QRegularExpression(QStringLiteral(".")));
    SoundPlayer player({QStringLiteral(PINLEX_SOUND_MODULE_DIR)}, nullptr);
    QCoreApplication::processEvents();
    QVERIFY(!audioLoaded());
}

void TestSoundPlayer::newestSoundCutsThePlayingOne_data()
{
    QTest::addColumn<QStringList>("requests");
    QTest::addColumn<QStringList>("backend");
    QTest::newRow("name in any case") << QStringList{"Strike"} << QStringList{"start strike"};
    QTest::newRow("chatter") << QStringList{"WAVE13"} << QStringList{"start wave13"};
    QTest::newRow("the same again restarts it")
        << QStringList{"puttile", "PutTile"}
        << QStringList{"start puttile", "stop puttile", "start puttile"};
    QTest::newRow("a new one cuts the old")
        << QStringList{"puttile", "swap", "time"}
        << QStringList{"start puttile", "stop puttile", "start swap", "stop swap", "start time"};
    QTest::newRow("unknown name alerts instead") << QStringList{"bowling"} << QStringList{"alert"};
    QTest::newRow("the alert cuts the playing one too")
        << QStringList{"strike", "wave21", "", "clear"}
        << QStringList{"start strike", "stop strike", "alert", "alert", "start clear"};
}

void TestSoundPlayer::newestSoundCutsThePlayingOne()
{
    QFETCH(QStringList, requests);
    QFETCH(QStringList, backend);
    QStringList log;
    SoundPlayer player(std::make_unique<RecordingBackend>(&log));
    SoundOutput &output = player;   // the client holds the player by this
    for (const QString &name : requests)
        output.play(name);
    QCOMPARE(log, backend);
}

void TestSoundPlayer::realPlayerIsQuietWithoutAudio_data()
{
    QTest::addColumn<bool>("withModule");
    QTest::newRow("sound module beside the program") << true;
    // A package split or a broken installation: silent, never a crash.
    QTest::newRow("no sound module") << false;
}

void TestSoundPlayer::realPlayerIsQuietWithoutAudio()
{
    QFETCH(bool, withModule);
    QTemporaryDir empty;
    const QStringList folders{withModule ? QStringLiteral(PINLEX_SOUND_MODULE_DIR) : empty.path()};
    QCOMPARE(loadSoundEffects(folders) != nullptr, withModule);

    SoundPlayer player(folders, nullptr);
    // The first sound opens the audio system, which may report once that
    // there is none. After that: no message per sound, however many.
    player.play(QStringLiteral("entered"));
    QTest::qWait(50);
    if (withModule)
        QVERIFY(audioLoaded());
    QTest::failOnWarning(QRegularExpression(QStringLiteral(".")));
    QStringList names = sounds::gameSounds();
    for (int n = 1; n <= sounds::kChatterCount; ++n)
        names.append(sounds::chatterName(n));
    for (int round = 0; round < 3; ++round) {
        for (const QString &name : std::as_const(names)) {
            player.play(name);
            player.play(QStringLiteral("no such sound"));
        }
    }
    // Sounds load in the background; give them time to report, if they would.
    QTest::qWait(200);
}

QTEST_MAIN(TestSoundPlayer)
#include "test_soundplayer.moc"
