// Word meanings: inflected and derived forms lead to their lemma, words
// WordNet lacks find nothing, a damaged data file gives no definition (no
// crash, no endless search), and --define's output and exit statuses.
#include "definitions/definecommand.h"
#include "definitions/worddefinitions.h"
#include "tests/definitions/wordnetfixture.h"

#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

#include <cstdio>

namespace {

const QList<wordnetfixture::Lemma> kLemmas = {
    {"knock", 'n', "the sound of knocking"},
    {"knock", 'v', "deliver a blow; \"he knocked\""},
    {"knocker", 'n', "a device for knocking"},
};

QString readAll(std::FILE *file)
{
    std::rewind(file);
    QByteArray text;
    char buffer[4096];
    while (const size_t got = std::fread(buffer, 1, sizeof buffer, file))
        text.append(buffer, qsizetype(got));
    return QString::fromUtf8(text);
}

} // namespace

class TestDefinitions : public QObject
{
    Q_OBJECT

private slots:
    void formsLeadToTheirLemma_data();
    void formsLeadToTheirLemma();
    void damagedDataGivesNoDefinition_data();
    void damagedDataGivesNoDefinition();
    void defineCommandPrintsAndTells_data();
    void defineCommandPrintsAndTells();

private:
    QTemporaryDir m_dir;
};

void TestDefinitions::formsLeadToTheirLemma_data()
{
    QTest::addColumn<QString>("word");
    QTest::addColumn<QString>("lemma");      // of some sense; empty: nothing found
    QTest::addColumn<QString>("part");
    QTest::addColumn<QString>("mentions");   // what its gloss names, for a derived word
    const auto row = [](const char *name, const char *word, const char *lemma, const char *part,
                        const char *mentions = "") {
        QTest::newRow(name) << word << lemma << part << mentions;
    };
    row("past tense", "knocked", "knock", "verb");
    row("any case", "KNOCKS", "knock", "verb");
    row("irregular plural", "geese", "goose", "noun");
    row("irregular past", "ran", "run", "verb");
    row("plural in -es", "boxes", "box", "noun");
    row("comparative in -ier", "scratchier", "scratchy", "adjective");
    row("doubled consonant", "bobsledded", "bobsled", "verb");
    row("written apart there", "aftershave", "after-shave", "noun");
    row("adverb of an adjective", "affordably", "affordably", "adverb", "affordable");
    row("quality of an adjective", "fruitiness", "fruitiness", "noun", "fruity");
    row("plural agent of a verb", "installers", "installers", "noun", "install");
    row("verb done again", "reinserted", "reinserted", "verb", "insert");
    row("participle not done", "unbudgeted", "unbudgeted", "adjective", "budget");
    row("not a word", "xyzzy", "", "");
    row("not in WordNet", "whomsoever", "", "");
    row("not letters", "knock3", "", "");
    row("empty", "", "", "");
    row("longer than any word", "knockknockknockknockknockknockknock", "", "");
}

void TestDefinitions::formsLeadToTheirLemma()
{
    QFETCH(QString, word);
    QFETCH(QString, lemma);
    QFETCH(QString, part);
    QFETCH(QString, mentions);
    WordDefinitions definitions;
    if (!definitions.available())
        QSKIP("WordNet's data (wordnet-base) is not installed");
    const Definition found = definitions.define(word);
    QCOMPARE(found.found(), !lemma.isEmpty());
    QVERIFY(found.senses.size() <= WordDefinitions::kMaxSenses);
    const bool listed = std::any_of(found.senses.begin(), found.senses.end(), [&](const Sense &sense) {
        return sense.lemma == lemma && partOfSpeechName(sense.part) == part && sense.gloss.contains(mentions)
               && !sense.gloss.isEmpty() && !sense.gloss.contains(QLatin1Char('"'));
    });
    QVERIFY2(lemma.isEmpty() || listed, qPrintable(word));
}

void TestDefinitions::damagedDataGivesNoDefinition_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QByteArray>("content");
    const QMap<QString, QByteArray> good = wordnetfixture::files(kLemmas);
    const QByteArray index = good.value(QStringLiteral("index.noun"));
    const QByteArray data = good.value(QStringLiteral("data.noun"));
    const qsizetype line = index.indexOf("\nknock ") + 1;
    const QByteArray offset = index.mid(line).split(' ').value(6);
    QByteArray noise(64 * 1024, 0);
    QRandomGenerator(7).fillRange(reinterpret_cast<quint32 *>(noise.data()), noise.size() / 4);

    QTest::newRow("index cut in the word's line") << "index.noun" << index.left(line + 9);
    QTest::newRow("offset past the data's end")
        << "index.noun" << QByteArray(index).replace(offset, QByteArray(8, '9'));
    QTest::newRow("offset inside a record")
        << "index.noun"
        << QByteArray(index).replace(offset, QByteArray::number(offset.toInt() + 3).rightJustified(8, '0'));
    QTest::newRow("more senses than the line has")
        << "index.noun" << QByteArray(index).replace("knock n 1 0 1", "knock n 9 0 9");
    QTest::newRow("a count beyond any") << "index.noun"
                                        << QByteArray(index).replace("knock n 1", "knock n 99999999999999999999");
    QTest::newRow("record without its gloss") << "data.noun" << QByteArray(data).replace(" | ", "   ");
    QTest::newRow("data cut short") << "data.noun" << data.left(data.indexOf(" knock ") + 3);
    QTest::newRow("a line without end") << "index.noun" << QByteArray(200 * 1024, 'k');
    QTest::newRow("noise") << "index.noun" << noise;
    QTest::newRow("emptied") << "index.noun" << QByteArray();
}

// Only the noun's files are damaged: its verb still answers, and a search
// of a file without line ends or order still ends.
void TestDefinitions::damagedDataGivesNoDefinition()
{
    QFETCH(QString, file);
    QFETCH(QByteArray, content);
    QMap<QString, QByteArray> files = wordnetfixture::files(kLemmas);
    files[file] = content;
    const QString folder = m_dir.filePath(QString::fromLatin1(QTest::currentDataTag()));
    QVERIFY(wordnetfixture::write(folder, files));
    WordDefinitions definitions(folder);
    QVERIFY(definitions.available());
    const Definition found = definitions.define(u"knock");
    QCOMPARE(found.senses.size(), 1);
    QCOMPARE(found.senses.first().part, PartOfSpeech::Verb);
}

void TestDefinitions::defineCommandPrintsAndTells_data()
{
    QTest::addColumn<bool>("installed");
    QTest::addColumn<QStringList>("words");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("out");
    QTest::addColumn<QString>("err");
    QTest::newRow("found") << true << QStringList{"Knocker"} << 0 << "knocker\tnoun\ta device for knocking\n"
                           << "";
    QTest::newRow("one not found") << true << QStringList{"xyzzy", "knocker"} << 1
                                   << "knocker\tnoun\ta device for knocking\n" << "xyzzy";
    QTest::newRow("no data") << false << QStringList{"knocker"} << 2 << "" << "wordnet-base";
}

void TestDefinitions::defineCommandPrintsAndTells()
{
    QFETCH(bool, installed);
    QFETCH(QStringList, words);
    QFETCH(int, status);
    QFETCH(QString, out);
    QFETCH(QString, err);
    const QString folder = m_dir.filePath(QStringLiteral("command"));
    QVERIFY(wordnetfixture::write(folder, wordnetfixture::files(kLemmas)));
    WordDefinitions definitions(installed ? folder : m_dir.filePath(QStringLiteral("none")));
    std::FILE *output = std::tmpfile();
    std::FILE *errors = std::tmpfile();
    QCOMPARE(defineCommand(definitions, words, output, errors), status);
    QCOMPARE(readAll(output), out);
    const QString told = readAll(errors);
    QVERIFY2(err.isEmpty() ? told.isEmpty() : told.contains(err) && told.count(QLatin1Char('\n')) == 1,
             qPrintable(told));
    std::fclose(output);
    std::fclose(errors);
}

QTEST_GUILESS_MAIN(TestDefinitions)
#include "test_definitions.moc"
