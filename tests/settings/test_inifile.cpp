// The profile layer: reads with the platform's rules, and writes that change
// one line and nothing else of a file other programs share.
#include "settings/inifile.h"

#include "testfiles.h"

#include <QTemporaryDir>
#include <QtTest>

#include <unistd.h>

namespace {

template <typename F>
QString errorOf(F &&operation)
{
    try {
        operation();
    } catch (const EIniFileError &error) {
        return error.message();
    }
    return {};
}

} // namespace

class TestIniFile : public QObject
{
    Q_OBJECT

private slots:
    void writeChangesOnlyItsOwnLine_data();
    void writeChangesOnlyItsOwnLine();
    void readFindsValuesAsStored_data();
    void readFindsValuesAsStored();
    void integersAreDecimalOrHexAfter0x_data();
    void integersAreDecimalOrHexAfter0x();
    void missingFileGivesDefaultsAndIsCreatedOnWrite();
    void refusedWriteNamesTheFullPath();

private:
    QTemporaryDir m_dir;
};

void TestIniFile::writeChangesOnlyItsOwnLine_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QByteArray>("after");

    const QByteArray shared = "; written by the lobby\r\n[Lobby]\r\nName=Ann\r\nTop=99\r\n\r\n[Pinlex]\r\nTop=3\r\n"
                              "Left = 3\r\n; keep me\r\n[Other]\r\nx=1\r\n";
    QTest::newRow("existing key, other sections and comments untouched")
        << shared << "Pinlex" << "Left" << "10" << QByteArray(shared).replace("Left = 3", "Left =10");
    QTest::newRow("section and key in another case")
        << QByteArray("[PINLEX]\ntextSIZE=8\n") << "Pinlex" << "Textsize" << "12"
        << QByteArray("[PINLEX]\ntextSIZE=12\n");
    QTest::newRow("new key after the section's last key")
        << QByteArray("[Pinlex]\nTop=3\n\n[Other]\nx=1\n") << "Pinlex" << "Width" << "581"
        << QByteArray("[Pinlex]\nTop=3\nWidth=581\n\n[Other]\nx=1\n");
    QTest::newRow("new key in an empty last section without a line break")
        << QByteArray("[Lobby]\na=1\n[Pinlex]") << "Pinlex" << "Top" << "3"
        << QByteArray("[Lobby]\na=1\n[Pinlex]\nTop=3");
    QTest::newRow("new section appended with the file's line breaks")
        << QByteArray("[Lobby]\r\na=1") << "Pinlex" << "Top" << "3"
        << QByteArray("[Lobby]\r\na=1\r\n[Pinlex]\r\nTop=3\r\n");
    QTest::newRow("same key of another section untouched")
        << QByteArray("[Lobby]\nTop=1\n[Pinlex]\nLeft=2\n") << "Pinlex" << "Top" << "5"
        << QByteArray("[Lobby]\nTop=1\n[Pinlex]\nLeft=2\nTop=5\n");
    QTest::newRow("only the first of a repeated key")
        << QByteArray("[Pinlex]\nTop=1\nTop=2\n") << "Pinlex" << "Top" << "9" << QByteArray("[Pinlex]\nTop=9\nTop=2\n");
    QTest::newRow("a commented-out key is not the key")
        << QByteArray("[Pinlex]\n;Top=1\n") << "Pinlex" << "Top" << "5" << QByteArray("[Pinlex]\nTop=5\n;Top=1\n");
    QTest::newRow("line breaks in a value stay on its line")
        << QByteArray("[Pinlex]\nPhrase1=x\n") << "Pinlex" << "Phrase1" << "a\nb\rc"
        << QByteArray("[Pinlex]\nPhrase1=a b c\n");
    QTest::newRow("empty value") << QByteArray("[Pinlex]\nPhrase1=x\n") << "Pinlex" << "Phrase1" << ""
                                 << QByteArray("[Pinlex]\nPhrase1=\n");
}

void TestIniFile::writeChangesOnlyItsOwnLine()
{
    QFETCH(QByteArray, before);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, value);
    QFETCH(QByteArray, after);
    const QString path = m_dir.filePath(QStringLiteral("write.ini"));
    writeFile(path, before);
    IniFile file(path);
    file.writeString(section, key, value);
    QCOMPARE(contentsOf(path), after);
}

void TestIniFile::readFindsValuesAsStored_data()
{
    QTest::addColumn<QByteArray>("contents");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("expected");

    QTest::newRow("case of names ignored, value's kept")
        << QByteArray("[pinlex]\nTEXTCOLOR=ClRed\n") << "Textcolor" << "ClRed";
    QTest::newRow("blanks around names and value")
        << QByteArray("  [ Pinlex ]  \r\n  Top =  12  \r\n") << "Top" << "12";
    QTest::newRow("quotes around the value") << QByteArray("[Pinlex]\nPhrase1=\"Hi there\"\n") << "Phrase1" << "Hi there";
    QTest::newRow("empty value is not the default") << QByteArray("[Pinlex]\nPhrase1=\n") << "Phrase1" << "";
    QTest::newRow("missing key") << QByteArray("[Pinlex]\nTop=1\n") << "Left" << "default";
    QTest::newRow("missing section") << QByteArray("[Lobby]\nTop=1\n") << "Top" << "default";
    QTest::newRow("key of the next section") << QByteArray("[Pinlex]\n[Lobby]\nTop=1\n") << "Top" << "default";
    QTest::newRow("commented out") << QByteArray("[Pinlex]\n; Top=1\n") << "Top" << "default";
    QTest::newRow("first of a repeated key") << QByteArray("[Pinlex]\nTop=1\nTop=2\n") << "Top" << "1";
    QTest::newRow("long value cut at 2047")
        << QByteArray("[Pinlex]\nPhrase1=" + QByteArray(3000, 'x') + "\n") << "Phrase1" << QString(2047, QLatin1Char('x'));
    QTest::newRow("single-byte text") << QByteArray("[Pinlex]\nPhrase1=caf\xe9\n") << "Phrase1" << QStringLiteral("caf\u00e9");
}

void TestIniFile::readFindsValuesAsStored()
{
    QFETCH(QByteArray, contents);
    QFETCH(QString, key);
    QFETCH(QString, expected);
    const QString path = m_dir.filePath(QStringLiteral("read.ini"));
    writeFile(path, contents);
    QCOMPARE(IniFile(path).readString(u"Pinlex", key, QStringLiteral("default")), expected);
}

void TestIniFile::integersAreDecimalOrHexAfter0x_data()
{
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<int>("expected");
    QTest::newRow("decimal") << QByteArray("12") << 12;
    QTest::newRow("negative") << QByteArray("-5") << -5;
    QTest::newRow("0x") << QByteArray("0x1F") << 31;
    QTest::newRow("0X") << QByteArray("0X10") << 16;
    QTest::newRow("0x without digits") << QByteArray("0x") << 77;
    QTest::newRow("dollar is not hex here") << QByteArray("$10") << 77;
    QTest::newRow("trailing text") << QByteArray("12abc") << 77;
    QTest::newRow("word") << QByteArray("big") << 77;
    QTest::newRow("empty") << QByteArray("") << 77;
    QTest::newRow("too large") << QByteArray("99999999999") << 77;
}

void TestIniFile::integersAreDecimalOrHexAfter0x()
{
    QFETCH(QByteArray, value);
    QFETCH(int, expected);
    const QString path = m_dir.filePath(QStringLiteral("int.ini"));
    writeFile(path, "[Pinlex]\nTextsize=" + value + "\n");
    QCOMPARE(IniFile(path).readInteger(u"Pinlex", u"Textsize", 77), expected);
}

void TestIniFile::missingFileGivesDefaultsAndIsCreatedOnWrite()
{
    const QString path = m_dir.filePath(QStringLiteral("new/folder/orviklobby.ini"));
    IniFile file(path);
    QCOMPARE(file.readString(u"Pinlex", u"Top", QStringLiteral("3")), QStringLiteral("3"));
    QCOMPARE(file.readInteger(u"Pinlex", u"Top", 3), 3);
    file.writeInteger(u"Pinlex", u"Top", -20);
    QCOMPARE(contentsOf(path), QByteArray("[Pinlex]\nTop=-20\n"));
    QCOMPARE(file.readInteger(u"Pinlex", u"top", 3), -20);
}

void TestIniFile::refusedWriteNamesTheFullPath()
{
    // A regular file where the folder should be: no user can write there.
    writeFile(m_dir.filePath(QStringLiteral("blocker")), "x");
    QDir::setCurrent(m_dir.path());
    IniFile file(QStringLiteral("blocker/orviklobby.ini"));
    QCOMPARE(errorOf([&] { file.writeString(u"Pinlex", u"Top", QStringLiteral("1")); }),
             QStringLiteral("Unable to write to %1").arg(m_dir.filePath(QStringLiteral("blocker/orviklobby.ini"))));

    if (getuid() == 0)
        QSKIP("the file-permission case needs a user that permissions apply to");
    const QString path = m_dir.filePath(QStringLiteral("readonly.ini"));
    writeFile(path, "[Pinlex]\nTop=1\n");
    QFile::setPermissions(path, QFile::ReadOwner);
    QVERIFY(!errorOf([&] { IniFile(path).writeString(u"Pinlex", u"Top", QStringLiteral("2")); }).isEmpty());
    QCOMPARE(contentsOf(path), QByteArray("[Pinlex]\nTop=1\n"));
}

QTEST_GUILESS_MAIN(TestIniFile)
#include "test_inifile.moc"
