// The settings section: defaults, the exact-text rules, the order of the
// save, and the colour text both ways.
#include "settings/colortext.h"
#include "settings/inifile.h"
#include "settings/settings.h"

#include "testfiles.h"

#include <QTemporaryDir>
#include <QtTest>

#include <sys/inotify.h>
#include <unistd.h>

namespace {

// Counts how often a file is written, as the file system reports it: each
// time it is closed after writing or a new file is renamed over it.
class WriteCounter
{
public:
    explicit WriteCounter(const QString &path)
        : m_name(QFile::encodeName(QFileInfo(path).fileName())), m_fd(inotify_init1(IN_NONBLOCK))
    {
        inotify_add_watch(m_fd, QFile::encodeName(QFileInfo(path).absolutePath()), IN_CLOSE_WRITE | IN_MOVED_TO);
    }
    ~WriteCounter() { ::close(m_fd); }

    int writes()
    {
        alignas(inotify_event) char buffer[64 * 1024];
        int count = 0;
        for (ssize_t got; (got = ::read(m_fd, buffer, sizeof buffer)) > 0;) {
            for (const char *at = buffer; at < buffer + got;) {
                const auto *event = reinterpret_cast<const inotify_event *>(at);
                count += event->len > 0 && m_name == event->name;
                at += sizeof(inotify_event) + event->len;
            }
        }
        return count;
    }

private:
    QByteArray m_name;
    int m_fd;
};

const QString kSection = QStringLiteral("Pinlex");

// One field of the settings as text, so that data rows can name it.
QString field(const Settings &s, const QString &name)
{
    if (name == QLatin1String("between"))
        return QString::number(s.timeBetween);
    if (name == QLatin1String("perturn"))
        return s.timePerTurn ? QString::number(*s.timePerTurn) : QStringLiteral("none");
    if (name == QLatin1String("turnsound"))
        return QString::number(s.turnSound);
    if (name == QLatin1String("textsize"))
        return QString::number(s.textSize);
    if (name == QLatin1String("colour"))
        return colortext::toText(s.textColor);
    if (name == QLatin1String("top"))
        return QString::number(s.bounds.top());
    if (name == QLatin1String("phrase3"))
        return s.phrases[2];
    const std::pair<const char *, bool> flags[] = {
        {"type", s.typeWords}, {"usespace", s.useSpace}, {"showbadword", s.showBadWord},
        {"clearwords", s.clearWords}, {"playsounds", s.playSounds}, {"chatter", s.chatterSounds}};
    for (const auto &[flag, on] : flags) {
        if (name == QLatin1String(flag))
            return on ? QStringLiteral("on") : QStringLiteral("off");
    }
    return QStringLiteral("unknown field ") + name;
}

} // namespace

class TestSettings : public QObject
{
    Q_OBJECT

private slots:
    void missingFileGivesEveryDefault();
    void exactTextRules_data();
    void exactTextRules();
    void saveWritesEveryKeyInOrderAndKeepsTheRest();
    void refusedSaveNamesTheFile();
    void phrasesAreWrittenEvenWhenEmpty();
    void colourTextRoundTrips_data();
    void colourTextRoundTrips();
    void colourTextReading_data();
    void colourTextReading();

private:
    QTemporaryDir m_dir;
};

void TestSettings::missingFileGivesEveryDefault()
{
    const Settings s = Settings::load(IniFile(m_dir.filePath(QStringLiteral("none.ini"))), kSection);
    QCOMPARE(s.bounds, QRect(3, 3, 581, 576));
    QCOMPARE(s.textSize, 8);
    QCOMPARE(s.textColor, colortext::kBlack);
    QCOMPARE(s.timePerTurn, std::optional<int>(1)); // the default text "1" is a number
    QCOMPARE(s.timeBetween, 10);
    QCOMPARE(s.turnSound, 0);
    QVERIFY(!s.typeWords && !s.useSpace && !s.clearWords);
    QVERIFY(s.showBadWord && s.playSounds && s.chatterSounds);
    for (const QString &phrase : s.phrases)
        QVERIFY(phrase.isEmpty());
}

void TestSettings::exactTextRules_data()
{
    QTest::addColumn<QByteArray>("lines");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("expected");

    QTest::newRow("missing Timebetween takes Timeperturn 5: short") << QByteArray("Timeperturn=5") << "between" << "5";
    QTest::newRow("missing Timebetween takes Timeperturn 15: long") << QByteArray("Timeperturn=15") << "between" << "15";
    QTest::newRow("stored Timebetween wins") << QByteArray("Timeperturn=5\nTimebetween=15") << "between" << "15";
    QTest::newRow("other Timebetween: normal") << QByteArray("Timebetween=7") << "between" << "10";
    QTest::newRow("Timebetween 05 is not 5") << QByteArray("Timebetween=05") << "between" << "10";
    QTest::newRow("Playsounds False stays on") << QByteArray("Playsounds=False") << "playsounds" << "on";
    QTest::newRow("Playsounds false") << QByteArray("Playsounds=false") << "playsounds" << "off";
    QTest::newRow("ChatterSounds false") << QByteArray("chattersounds=false") << "chatter" << "off";
    QTest::newRow("Showbadword FALSE stays on") << QByteArray("Showbadword=FALSE") << "showbadword" << "on";
    QTest::newRow("Type True stays off") << QByteArray("Type=True") << "type" << "off";
    QTest::newRow("Type true") << QByteArray("Type=true") << "type" << "on";
    QTest::newRow("Usespace true") << QByteArray("Usespace=true") << "usespace" << "on";
    QTest::newRow("Clearwords yes stays off") << QByteArray("Clearwords=yes") << "clearwords" << "off";
    QTest::newRow("Turnsound 1: new") << QByteArray("Turnsound=1") << "turnsound" << "1";
    QTest::newRow("Turnsound 01: classic") << QByteArray("Turnsound=01") << "turnsound" << "0";
    QTest::newRow("Textsize 11") << QByteArray("Textsize=11") << "textsize" << "11";
    QTest::newRow("Textsize hex") << QByteArray("Textsize=0x0C") << "textsize" << "12";
    QTest::newRow("Textsize word: default") << QByteArray("Textsize=big") << "textsize" << "8";
    QTest::newRow("Textcolor dollar digits") << QByteArray("Textcolor=$000000FF") << "colour" << "clRed";
    QTest::newRow("Textcolor name in mixed case") << QByteArray("Textcolor=cLrEd") << "colour" << "clRed";
    QTest::newRow("Textcolor decimal") << QByteArray("Textcolor=255") << "colour" << "clRed";
    QTest::newRow("Textcolor word: black") << QByteArray("Textcolor=reddish") << "colour" << "clBlack";
    QTest::newRow("Timeperturn 90") << QByteArray("Timeperturn=90") << "perturn" << "90";
    QTest::newRow("Timeperturn empty: unchanged") << QByteArray("Timeperturn=") << "perturn" << "none";
    QTest::newRow("Timeperturn word: unchanged") << QByteArray("Timeperturn=slow") << "perturn" << "none";
    QTest::newRow("Top in hex") << QByteArray("Top=0x10") << "top" << "16";
    QTest::newRow("Phrase3") << QByteArray("Phrase3=Strike!") << "phrase3" << "Strike!";
}

void TestSettings::exactTextRules()
{
    QFETCH(QByteArray, lines);
    QFETCH(QString, field);
    QFETCH(QString, expected);
    const QString path = m_dir.filePath(QStringLiteral("rules.ini"));
    writeFile(path, "[Pinlex]\n" + lines + "\n");
    QCOMPARE(::field(Settings::load(IniFile(path), kSection), field), expected);
}

void TestSettings::saveWritesEveryKeyInOrderAndKeepsTheRest()
{
    const QString path = m_dir.filePath(QStringLiteral("save.ini"));
    const QByteArray lobby = "; lobby settings\r\n[Lobby]\r\nServer=example.org\r\n\r\n";
    const QByteArray phrase = "[pinlex]\r\nPhrase1=Strike!\r\n";
    writeFile(path, lobby + phrase);
    Settings s;
    s.bounds = QRect(40, 30, 700, 650);
    s.textSize = 12;
    s.textColor = 0x00F0E0D0;
    s.timePerTurn = 75;
    s.turnSound = 1;
    s.timeBetween = 5;
    s.typeWords = true;
    s.showBadWord = false;
    s.robots = 2;
    s.robotStrength = 0;
    IniFile file(path);
    WriteCounter counter(path);
    s.save(file, kSection);
    // One write for the whole save, not one per key.
    QCOMPARE(counter.writes(), 1);

    QCOMPARE(contentsOf(path), lobby + phrase.chopped(2)
                                   + "\r\nTop=30\r\nLeft=40\r\nWidth=700\r\nHeight=650\r\nTextsize=12\r\n"
                                     "Textcolor=$00F0E0D0\r\nTimeperturn=75\r\nTurnsound=1\r\nTimebetween=5\r\n"
                                     "Type=true\r\nUsespace=false\r\nShowbadword=false\r\nClearwords=false\r\n"
                                     "Playsounds=true\r\nChatterSounds=true\r\nRobotchatter=true\r\n"
                                     "Robots=2\r\nRobotstrength=0\r\nShowDefinitions=false\r\n");

    const Settings back = Settings::load(file, kSection);
    QCOMPARE(back.bounds, s.bounds);
    QCOMPARE(back.robots, 2);
    QCOMPARE(back.robotStrength, 0);
    QCOMPARE(back.textColor, s.textColor);
    QCOMPARE(back.timeBetween, 5);
    QCOMPARE(back.phrases[0], QStringLiteral("Strike!"));
}

void TestSettings::refusedSaveNamesTheFile()
{
    writeFile(m_dir.filePath(QStringLiteral("blocked")), "x");
    const QString path = m_dir.filePath(QStringLiteral("blocked/orviklobby.ini"));
    IniFile file(path);
    try {
        Settings().save(file, kSection);
        QFAIL("the save went through");
    } catch (const EIniFileError &error) {
        QCOMPARE(error.message(), QStringLiteral("Unable to write to ") + path);
    }
}

void TestSettings::phrasesAreWrittenEvenWhenEmpty()
{
    const QString path = m_dir.filePath(QStringLiteral("phrases.ini"));
    IniFile file(path);
    file.writeString(kSection, u"Phrase2", QStringLiteral("old"));
    std::array<QString, Settings::kPhraseCount> phrases;
    phrases[0] = QStringLiteral("/me bows");
    WriteCounter counter(path);
    Settings::savePhrases(file, kSection, phrases);
    QCOMPARE(counter.writes(), 1);
    const QByteArray text = contentsOf(path);
    QVERIFY(text.contains("[Pinlex]\nPhrase2=\nPhrase1=/me bows\nPhrase3=\n"));
    QVERIFY(text.endsWith("Phrase9=\n"));
    QCOMPARE(Settings::load(file, kSection).phrases[1], QString());
}

void TestSettings::colourTextRoundTrips_data()
{
    QTest::addColumn<quint32>("value");
    QTest::addColumn<QString>("text");
    QTest::newRow("black") << quint32(0x000000) << "clBlack";
    QTest::newRow("red") << quint32(0x0000FF) << "clRed";
    QTest::newRow("blue") << quint32(0xFF0000) << "clBlue";
    QTest::newRow("silver") << quint32(0xC0C0C0) << "clSilver";
    QTest::newRow("unnamed") << quint32(0x00F0E0D0) << "$00F0E0D0";
    QTest::newRow("unnamed with letters") << quint32(0x00ABCDEF) << "$00ABCDEF";
    QTest::newRow("first system colour") << quint32(0x80000000) << "clScrollBar";
    QTest::newRow("window text") << quint32(0x80000008) << "clWindowText";
    QTest::newRow("last system colour") << quint32(0x80000018) << "clInfoBk";
    QTest::newRow("past the system colours") << quint32(0x80000019) << "$80000019";
    QTest::newRow("no colour") << quint32(0x1FFFFFFF) << "clNone";
}

void TestSettings::colourTextRoundTrips()
{
    QFETCH(quint32, value);
    QFETCH(QString, text);
    QCOMPARE(colortext::toText(value), text);
    QCOMPARE(colortext::fromText(text), std::optional<quint32>(value));
}

void TestSettings::colourTextReading_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<qint64>("expected");   // -1: not a colour
    QTest::newRow("name in lower case") << "clred" << qint64(0xFF);
    QTest::newRow("system name in upper case") << "CLWINDOWTEXT" << qint64(0x80000008);
    QTest::newRow("dollar, lower-case digits") << "$00ff0000" << qint64(0xFF0000);
    QTest::newRow("dollar, few digits") << "$ff" << qint64(0xFF);
    QTest::newRow("decimal") << "255" << qint64(0xFF);
    QTest::newRow("negative decimal") << "-1" << qint64(0xFFFFFFFF);
    QTest::newRow("word") << "reddish" << qint64(-1);
    QTest::newRow("empty") << "" << qint64(-1);
    QTest::newRow("dollar alone") << "$" << qint64(-1);
    QTest::newRow("dollar and blank") << "$ 1" << qint64(-1);
    QTest::newRow("dollar and sign") << "$-1" << qint64(-1);
    QTest::newRow("too many digits") << "$123456789" << qint64(-1);
    QTest::newRow("0x is not a colour") << "0xFF" << qint64(-1);
    QTest::newRow("colour and more") << "clRed|clBlue" << qint64(-1);
}

void TestSettings::colourTextReading()
{
    QFETCH(QString, text);
    QFETCH(qint64, expected);
    const std::optional<quint32> value = colortext::fromText(text);
    QCOMPARE(value ? qint64(*value) : qint64(-1), expected);
}

QTEST_GUILESS_MAIN(TestSettings)
#include "test_settings.moc"
