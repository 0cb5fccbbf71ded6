// The dictionary: the carried data, the lookup, and the file it is searched in.
#include "base/errordisplay.h"
#include "words/dictn.h"
#include "words/letterwords.h"
#include "words/privatecachedir.h"

#include <QDir>
#include <QLockFile>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>

namespace {

QByteArray record(const QByteArray &word)
{
    return '\x1e' + word.leftJustified(TDictn::kWordSize, ' ');
}

QString recordWord(const QByteArray &records, qsizetype index)
{
    return QString::fromLatin1(records.mid(index * TDictn::kRecordSize + 1, TDictn::kWordSize).trimmed()).toLower();
}

QSet<QString> sourceList(const QString &name)
{
    QFile file(QStringLiteral(PINLEX_SOURCE_DIR "/resources/words/") + name);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    QSet<QString> words;
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed().toLower();
        if (!line.isEmpty() && !line.startsWith(QLatin1Char('#')))
            words.insert(line);
    }
    return words;
}

} // namespace

class TestDictn : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void carriedDictionaryIsSortedRecordsOfTheRightForm();
    void letterWordsAreKnownDecentTenLetterWords();
    void lookupNormalisesTheWordAsDocumented_data();
    void lookupNormalisesTheWordAsDocumented();
    void binarySearchFindsEveryRecordOfAnyFileSize();
    void closedDictionaryAnswersFalse();
    void failureToWriteIsReportedAndEveryLookupFalse();
    void eachCopyWritesItsOwnFileAndRemovesIt();
    void abandonedDirectoriesAreRemovedLiveOnesKept();
    void aFileCalledEnglishInTheWorkingDirectoryIsLeftAlone();

private:
    QTemporaryDir m_cache;
    QStringList m_errors;
    ErrorSink m_previousSink;
    std::unique_ptr<TDictn> m_dictionary; // the program's own, shared by the data tests
    QByteArray m_records;
};

void TestDictn::initTestCase()
{
    QVERIFY(m_cache.isValid());
    qputenv("XDG_CACHE_HOME", m_cache.path().toLocal8Bit());
    m_records = TDictn::carriedRecords();
    m_dictionary = std::make_unique<TDictn>(nullptr);
    QVERIFY(m_dictionary->open());
}

void TestDictn::init()
{
    m_errors.clear();
    m_previousSink = setErrorSink([this](const QString &message) { m_errors << message; });
}

void TestDictn::cleanup()
{
    setErrorSink(m_previousSink);
    qputenv("XDG_CACHE_HOME", m_cache.path().toLocal8Bit());
}

void TestDictn::carriedDictionaryIsSortedRecordsOfTheRightForm()
{
    // The executable carries the committed data unchanged, and writes it out unchanged.
    QFile committed(QStringLiteral(PINLEX_SOURCE_DIR "/resources/words/english.dic"));
    QVERIFY(committed.open(QIODevice::ReadOnly));
    QVERIFY(m_records == committed.readAll());
    QFile written(m_dictionary->fileName());
    QVERIFY(written.open(QIODevice::ReadOnly));
    QVERIFY(written.readAll() == m_records);

    QCOMPARE(m_records.size() % TDictn::kRecordSize, 0);
    const qsizetype count = m_records.size() / TDictn::kRecordSize;
    QCOMPARE(m_dictionary->recordCount(), count);
    QVERIFY2(std::abs(count - 172846) <= 1728, qPrintable(QString::number(count)));

    const QRegularExpression form(QStringLiteral("^\x1e[A-Z]{2,14} *$"));
    QByteArrayView previous;
    for (qsizetype i = 0; i < count; ++i) {
        const QByteArrayView rec = QByteArrayView(m_records).sliced(i * TDictn::kRecordSize, TDictn::kRecordSize);
        QVERIFY2(form.match(QString::fromLatin1(rec)).hasMatch(), rec.constData());
        QVERIFY2(previous.isEmpty() || previous.sliced(1) < rec.sliced(1), rec.constData()); // sorted, no duplicates
        previous = rec;
    }

    // A balanced search over this many records reads at most this many of them.
    const int maxReads = int(std::ceil(std::log2(double(count + 1))));
    QVERIFY(maxReads <= 18);
    for (const qsizetype i : {qsizetype(0), count / 3, count / 2, count - 1}) {
        QVERIFY(m_dictionary->lookup(recordWord(m_records, i)));
        QVERIFY(m_dictionary->lastReads() >= 1 && m_dictionary->lastReads() <= maxReads);
    }
}

void TestDictn::letterWordsAreKnownDecentTenLetterWords()
{
    const int count = letterwords::count();
    QVERIFY2(count >= 11500 && count <= 12970, qPrintable(QString::number(count)));
    QCOMPARE(count + letterwords::kEmptyIdentifiers <= 13086, true);

    const QSet<QString> offensive = sourceList(QStringLiteral("offensive.txt"));
    const QSet<QString> unfit = sourceList(QStringLiteral("unfit-racks.txt"));
    QVERIFY(offensive.size() > 300 && offensive.contains(QStringLiteral("masturbate")));
    QVERIFY(unfit.size() > 10);

    const QRegularExpression form(QStringLiteral("^[a-z]{10}$"));
    QString previous;
    int maxReads = 0;
    for (int id = 0; id < count; ++id) {
        const QString word = letterwords::GetString(id);
        QVERIFY2(form.match(word).hasMatch(), qPrintable(word));
        QVERIFY2(previous < word, qPrintable(word));
        QVERIFY2(!offensive.contains(word) && !unfit.contains(word), qPrintable(word));
        QVERIFY2(m_dictionary->lookup(word), qPrintable(word));
        maxReads = std::max(maxReads, m_dictionary->lastReads());
        previous = word;
    }
    QVERIFY(maxReads <= 18);
    QVERIFY(letterwords::GetString(-1).isEmpty());
    QVERIFY(letterwords::GetString(count).isEmpty());
    QVERIFY(letterwords::GetString(count + letterwords::kEmptyIdentifiers - 1).isEmpty());
}

void TestDictn::lookupNormalisesTheWordAsDocumented_data()
{
    QTest::addColumn<QString>("word");
    QTest::addColumn<bool>("found");
    QTest::addColumn<bool>("searched");

    const QString first = recordWord(m_records, 0);
    const QString last = recordWord(m_records, m_records.size() / TDictn::kRecordSize - 1);
    QTest::newRow("first record") << first << true << true;
    QTest::newRow("last record") << last << true << true;
    QTest::newRow("last record in upper case") << last.toUpper() << true << true;
    QTest::newRow("mixed case") << QStringLiteral("bOwLiNg") << true << true;
    QTest::newRow("blanks around") << QStringLiteral("  spare ") << true << true;
    QTest::newRow("NULs around count as blanks") << (QChar(0) + QStringLiteral("strike") + QChar(0) + QChar(u' '))
                                                 << true << true;
    QTest::newRow("blank inside") << QStringLiteral("str ike") << false << true;
    QTest::newRow("NUL inside") << (QStringLiteral("str") + QChar(0) + QStringLiteral("ike")) << false << true;
    QTest::newRow("not a word") << QStringLiteral("qzxvkj") << false << true;
    // Only a..z are upper-cased: a long s or dotless i must not turn into S or I.
    QTest::newRow("long s") << QStringLiteral("\u017Fo") << false << true;
    QTest::newRow("dotless i") << QStringLiteral("\u0131n") << false << true;
    QTest::newRow("accented letter") << QStringLiteral("caf\u00E9") << false << true;
    QTest::newRow("empty") << QString() << false << false;
    QTest::newRow("blanks only") << QStringLiteral("   ") << false << false;
    QTest::newRow("NULs only") << QString(3, QChar(0)) << false << false;

    // The record of a 14-letter word must not match a longer word that begins with it.
    for (qsizetype i = 0;; ++i) {
        const QString word = recordWord(m_records, i);
        if (word.size() == TDictn::kWordSize) {
            QTest::newRow("14 letters") << word << true << true;
            QTest::newRow("15 letters") << word + QLatin1Char('s') << false << false;
            QTest::newRow("15 letters after blanks are trimmed") << QLatin1String("  ") + word + QLatin1String("s ")
                                                                  << false << false;
            break;
        }
    }
}

void TestDictn::lookupNormalisesTheWordAsDocumented()
{
    QFETCH(QString, word);
    QFETCH(bool, found);
    QFETCH(bool, searched);
    QCOMPARE(m_dictionary->lookup(word), found);
    QCOMPARE(m_dictionary->lastReads() > 0, searched);
}

void TestDictn::binarySearchFindsEveryRecordOfAnyFileSize()
{
    // Odd and even sizes, one record, and a trailing partial record that must be ignored.
    QTemporaryDir dir;
    for (int size = 1; size <= 17; ++size) {
        QByteArray records;
        for (int i = 0; i < size; ++i)
            records += record(QByteArray("B") + char('B' + i) + 'B'); // BBB, BCB, ...
        const QString path = dir.filePath(QString::number(size));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(records + "\x1e" "ZZZ");
        file.close();

        TDictn dictionary(path, nullptr);
        QCOMPARE(dictionary.recordCount(), size);
        for (int i = 0; i < size; ++i) {
            const QString word = QStringLiteral("b%1b").arg(QChar(u'b' + i));
            QVERIFY2(dictionary.lookup(word), qPrintable(word));
            QVERIFY2(!dictionary.lookup(word + QLatin1Char('a')), qPrintable(word)); // between two records
        }
        QVERIFY(!dictionary.lookup(QStringLiteral("aaa"))); // before the first
        QVERIFY(!dictionary.lookup(QStringLiteral("zzz"))); // only in the partial record
    }
}

void TestDictn::closedDictionaryAnswersFalse()
{
    QTemporaryDir dir;
    TDictn missing(dir.filePath(QStringLiteral("English")), nullptr);
    QVERIFY(!missing.isOpen());
    QVERIFY(!missing.lookup(recordWord(m_records, 0)));
    QCOMPARE(missing.lastReads(), 0);
}

void TestDictn::failureToWriteIsReportedAndEveryLookupFalse()
{
    // The cache location is a file, so no directory can be made in it.
    QTemporaryDir dir;
    QFile blocker(dir.filePath(QStringLiteral("cache")));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    qputenv("XDG_CACHE_HOME", blocker.fileName().toLocal8Bit());

    TDictn dictionary(nullptr);
    QVERIFY(!dictionary.lookup(recordWord(m_records, 0)));
    QVERIFY(!dictionary.isOpen());
    QCOMPARE(m_errors, QStringList{QStringLiteral("English.dic dictionary not found!")});
    // Reported once, not at every lookup.
    QVERIFY(!dictionary.lookup(recordWord(m_records, 0)));
    QCOMPARE(m_errors.size(), 1);
}

void TestDictn::eachCopyWritesItsOwnFileAndRemovesIt()
{
    QTemporaryDir cache;
    qputenv("XDG_CACHE_HOME", cache.path().toLocal8Bit());
    const QDir base(cache.filePath(QStringLiteral("Pinlex")));
    QString firstFile;
    {
        TDictn first(nullptr);
        TDictn second(nullptr);
        // Nothing is written until a dictionary is needed: a copy that only
        // joins a game never judges a word.
        QVERIFY(!QFileInfo::exists(base.path()));
        QVERIFY(first.lookup(QStringLiteral("bowling")));
        QVERIFY(second.open());
        firstFile = first.fileName();
        QCOMPARE(QFileInfo(firstFile).fileName(), QStringLiteral("English"));
        QCOMPARE(QFileInfo(firstFile).dir().absolutePath().section(QLatin1Char('/'), 0, -2), base.absolutePath());
        QVERIFY(firstFile != second.fileName());
        QCOMPARE(QFileInfo(firstFile).dir().entryList(QDir::Files).size(), 1); // no temporary left
        QVERIFY(first.lookup(QStringLiteral("bowling")) && second.lookup(QStringLiteral("bowling")));
    }
    QVERIFY(m_errors.isEmpty());
    QVERIFY(!QFile::exists(firstFile));
    QCOMPARE(base.entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden), QStringList());
}

void TestDictn::abandonedDirectoriesAreRemovedLiveOnesKept()
{
    QTemporaryDir cache;
    qputenv("XDG_CACHE_HOME", cache.path().toLocal8Bit());
    const QDir base(TDictn::cacheBase());
    QVERIFY(base.mkpath(QStringLiteral(".")));
    const QString prefix = PrivateCacheDir::namePrefix();

    // A copy that crashed: its directory with a file, its lock file gone or never made.
    QVERIFY(base.mkpath(prefix + QLatin1String("crashed")));
    QFile leftover(base.filePath(prefix + QLatin1String("crashed/English")));
    QVERIFY(leftover.open(QIODevice::WriteOnly));
    leftover.close();
    // A copy that is running: its lock is held.
    QLockFile live(base.filePath(prefix + QLatin1String("live.lock")));
    live.setStaleLockTime(0);
    QVERIFY(live.tryLock(0));
    QVERIFY(base.mkpath(prefix + QLatin1String("live")));
    // Not ours at all.
    QVERIFY(base.mkpath(QStringLiteral("other")));

    TDictn dictionary(nullptr);
    QVERIFY(dictionary.open());
    QVERIFY(!base.exists(prefix + QLatin1String("crashed")));
    QVERIFY(base.exists(prefix + QLatin1String("live")));
    QVERIFY(base.exists(QStringLiteral("other")));
}

void TestDictn::aFileCalledEnglishInTheWorkingDirectoryIsLeftAlone()
{
    QTemporaryDir work;
    const QString previous = QDir::currentPath();
    QVERIFY(QDir::setCurrent(work.path()));
    QFile own(work.filePath(QStringLiteral("English")));
    QVERIFY(own.open(QIODevice::WriteOnly));
    own.write("a user's own notes");
    own.close();
    {
        TDictn dictionary(nullptr);
        QVERIFY(dictionary.lookup(QStringLiteral("bowling")));
    }
    QVERIFY(QDir::setCurrent(previous));
    QVERIFY(own.open(QIODevice::ReadOnly));
    QCOMPARE(own.readAll(), QByteArray("a user's own notes"));
}

QTEST_GUILESS_MAIN(TestDictn)
#include "test_dictn.moc"
