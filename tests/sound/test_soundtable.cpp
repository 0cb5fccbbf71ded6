// The sound table and the embedded sounds it names: every sound is there as
// a WAV the player can play, of about its intended length and not silent.
#include "sound/soundtable.h"

#include <QFile>
#include <QtEndian>
#include <QtTest>

#include <cmath>

namespace {

struct Wave
{
    QString error;   // empty when the file is a WAV the player takes
    double seconds = 0;
    int peak = 0;    // largest sample magnitude
};

// The 44-byte header of a mono 16-bit PCM WAV at 22050 Hz, checked field by
// field so that a broken header is caught here rather than by a silent player.
Wave readWave(const QByteArray &file)
{
    const auto u16 = [&](int at) { return qFromLittleEndian<quint16>(file.constData() + at); };
    const auto u32 = [&](int at) { return qFromLittleEndian<quint32>(file.constData() + at); };
    if (file.size() < 44 || !file.startsWith("RIFF") || file.mid(8, 8) != "WAVEfmt "
        || file.mid(36, 4) != "data")
        return {QStringLiteral("not a plain WAV header")};
    if (u32(4) != quint32(file.size() - 8) || u32(40) != quint32(file.size() - 44))
        return {QStringLiteral("sizes disagree with the file")};
    if (u32(16) != 16 || u16(20) != 1 || u16(22) != 1 || u32(24) != 22050 || u16(34) != 16)
        return {QStringLiteral("not mono 16-bit PCM at 22050 Hz")};
    Wave w;
    const qsizetype count = (file.size() - 44) / 2;
    w.seconds = double(count) / 22050;
    for (qsizetype i = 0; i < count; ++i)
        w.peak = std::max(w.peak, std::abs(int(qFromLittleEndian<qint16>(file.constData() + 44 + 2 * i))));
    return w;
}

} // namespace

class TestSoundTable : public QObject
{
    Q_OBJECT

private slots:
    void everySoundIsEmbeddedAndPlayable_data();
    void everySoundIsEmbeddedAndPlayable();
    void namesResolveWithoutCase_data();
    void namesResolveWithoutCase();
    void chatterNumbersCaptionsAndNamesAgree();
};

void TestSoundTable::everySoundIsEmbeddedAndPlayable_data()
{
    // The lengths the game's events are timed for; chatter may run 0.3 s to 5 s.
    const std::pair<const char *, double> game[] = {
        {"entered", 0.8}, {"turn", 0.6}, {"turnnew", 0.4}, {"time", 0.1},
        {"timeup", 0.8}, {"goodword", 0.8}, {"strike", 1.8}, {"badword", 0.8},
        {"gameover", 1.1}, {"puttile", 0.1}, {"unselect", 0.2}, {"swap", 0.5},
        {"clear", 0.2}};
    QTest::addColumn<QString>("name");
    QTest::addColumn<double>("shortest");
    QTest::addColumn<double>("longest");
    QStringList listed;
    for (const auto &[name, seconds] : game) {
        listed.append(QString::fromLatin1(name));
        QTest::newRow(name) << listed.last() << seconds - 0.05 << seconds + 0.05;
    }
    QCOMPARE(sounds::gameSounds(), listed);
    for (int n = 1; n <= sounds::kChatterCount; ++n) {
        const QString name = sounds::chatterName(n);
        QTest::newRow(qPrintable(name)) << name << 0.3 << 5.0;
    }
}

void TestSoundTable::everySoundIsEmbeddedAndPlayable()
{
    QFETCH(QString, name);
    QFETCH(double, shortest);
    QFETCH(double, longest);
    QFile file(sounds::resourcePath(name.toUpper()));
    QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(file.fileName()));
    const Wave wave = readWave(file.readAll());
    QVERIFY2(wave.error.isEmpty(), qPrintable(wave.error));
    QVERIFY2(wave.seconds >= shortest && wave.seconds <= longest,
             qPrintable(QString::number(wave.seconds)));
    // Audible (above -20 dBFS) and not clipped.
    QVERIFY2(wave.peak > 3276 && wave.peak < 32767, qPrintable(QString::number(wave.peak)));
}

void TestSoundTable::namesResolveWithoutCase_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("canonical");   // empty: no such sound
    QTest::addColumn<QString>("caption");     // empty: no chatter sound
    QTest::newRow("game sound in capitals") << "STRIKE" << "strike" << "";
    QTest::newRow("game sound mixed case") << "TurnNew" << "turnnew" << "";
    QTest::newRow("first chatter") << "wave1" << "wave1" << "Doh";
    QTest::newRow("chatter mixed case") << "Wave7" << "wave7" << "Sneezing";
    QTest::newRow("longest caption") << "WAVE5" << "wave5" << "Where have you been?";
    QTest::newRow("last chatter") << "wave20" << "wave20" << "Crying";
    QTest::newRow("below the range") << "wave0" << "" << "";
    QTest::newRow("above the range") << "wave21" << "" << "";
    QTest::newRow("leading zero") << "wave01" << "" << "";
    QTest::newRow("sign") << "wave+1" << "" << "";
    QTest::newRow("no number") << "wave" << "" << "";
    QTest::newRow("blank inside") << "wave 1" << "" << "";
    QTest::newRow("trailing blank") << "strike " << "" << "";
    QTest::newRow("longer word") << "strikes" << "" << "";
    QTest::newRow("empty") << "" << "" << "";
    QTest::newRow("a caption is no name") << "Doh" << "" << "";
}

void TestSoundTable::namesResolveWithoutCase()
{
    QFETCH(QString, name);
    QFETCH(QString, canonical);
    QFETCH(QString, caption);
    QCOMPARE(sounds::canonicalName(name), canonical);
    QCOMPARE(sounds::isKnown(name), !canonical.isEmpty());
    QCOMPARE(sounds::resourcePath(name).isEmpty(), canonical.isEmpty());
    QCOMPARE(sounds::chatterCaption(name), caption);
}

void TestSoundTable::chatterNumbersCaptionsAndNamesAgree()
{
    QStringList captions;
    for (int n = 1; n <= sounds::kChatterCount; ++n) {
        const QString name = sounds::chatterName(n);
        QCOMPARE(sounds::chatterNumber(name), n);
        QCOMPARE(sounds::chatterCaption(name), sounds::chatterCaption(n));
        captions.append(sounds::chatterCaption(n));
    }
    QCOMPARE(captions.removeDuplicates(), 0);
    QVERIFY(!captions.contains(QString()));
    for (int outside : {0, -1, sounds::kChatterCount + 1}) {
        QVERIFY(sounds::chatterName(outside).isEmpty());
        QVERIFY(sounds::chatterCaption(outside).isEmpty());
    }
}

QTEST_GUILESS_MAIN(TestSoundTable)
#include "test_soundtable.moc"
