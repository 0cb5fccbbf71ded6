#include "tally/lzrw1.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

#include <random>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QByteArray hex(const char *text)
{
    return QByteArray::fromHex(text);
}

// A container around hand-made blocks.
QByteArray container(quint32 size, const QList<QByteArray> &blocks, const QByteArray &signature = "WRZL")
{
    QByteArray file = signature;
    char field[4];
    qToLittleEndian(size, field);
    file.append(field, 4);
    for (const QByteArray &block : blocks) {
        qToLittleEndian(quint16(block.size()), field);
        file.append(field, 2).append(block);
    }
    return file;
}

QByteArray randomBytes(int size, unsigned seed)
{
    std::mt19937 generator(seed);
    QByteArray data(size, Qt::Uninitialized);
    for (char &c : data)
        c = char(generator());
    return data;
}

// Words from a small vocabulary: repeats at many distances, like real text.
QByteArray textBytes(int size, unsigned seed)
{
    static const char *const kWords[] = {"the ", "bowling ", "pin ", "strike ", "spare ", "frame ", "letters ",
                                         "word ", "player ", "score ", "ten ", "and ", "of ", "a ", "rack\r\n"};
    std::mt19937 generator(seed);
    QByteArray data;
    while (data.size() < size)
        data += kWords[generator() % std::size(kWords)];
    data.truncate(size);
    return data;
}

// Lengths of the blocks of a container written by the compressor.
QList<int> blockLengths(const QByteArray &file)
{
    QList<int> lengths;
    for (qsizetype at = 8; at + 2 <= file.size();) {
        const int length = qFromLittleEndian<quint16>(file.constData() + at);
        lengths.append(length);
        at += 2 + length;
    }
    return lengths;
}

QString corrupt()
{
    return QStringLiteral("Lzrw1 (decompression LZRW1/KH) : Compressed data is corrupt !");
}

QString readError()
{
    return QStringLiteral("Lzrw1 : Error reading from input file : %1");
}

QString noHeader()
{
    return QStringLiteral("%1 : Lzrw1 decompression : this file has no valid header !");
}

QString sizeMismatch()
{
    return QStringLiteral("Lzrw1 (decompression LZRW1/KH) : Original and compressed sizes do not match !");
}

void writeFile(const QString &path, const QByteArray &data)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(data), data.size());
}

// Messages name the files as %1 (input) and %2 (output).
QString named(QString message, const QString &input, const QString &output)
{
    return message.replace(QLatin1String("%1"), input).replace(QLatin1String("%2"), output);
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestLzrw1 : public QObject
{
    Q_OBJECT

private slots:
    void writesExactBytes_data();
    void writesExactBytes();
    void splitsIntoChunks_data();
    void splitsIntoChunks();
    void roundTrips_data();
    void roundTrips();
    void decodesHandMadeBlocks_data();
    void decodesHandMadeBlocks();
    void refusesMalformedFiles_data();
    void refusesMalformedFiles();
    void reportsFileErrors_data();
    void reportsFileErrors();
    void outputIsReplacedWholeOrNotAtAll_data();
    void outputIsReplacedWholeOrNotAtAll();
    void advisesByContent_data();
    void advisesByContent();
    void worksOnStreams();
    void commandLineRoundTrip();

private:
    QTemporaryDir m_dir;
};

// The output must match the encoder's choices byte for byte, so that files
// move both ways between this and any other implementation of the format.
void TestLzrw1::writesExactBytes_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("abc is stored") << QByteArray("abc") << hex("57525a4c 03000000 0400 80616263");
    QTest::newRow("empty input") << QByteArray() << hex("57525a4c 00000000 0100 80");
    QTest::newRow("16 equal bytes: the shortest run") << QByteArray(16, 'a') << hex("57525a4c 10000000 0700 40 8000 00000061");
    QTest::newRow("coded as long as the chunk: not stored")
        << QByteArray("abcabcab") << hex("57525a4c 08000000 0800 40 1000 616263 0032");
    QTest::newRow("20 equal bytes: one run") << QByteArray(20, 'a') << hex("57525a4c 14000000 0700 40 8000 00000461");
    QTest::newRow("4200 equal bytes: runs of 4095 and 105")
        << QByteArray(4200, 'z') << hex("57525a4c 68100000 0b00 40 c000 000fef7a 0000597a");
    QTest::newRow("overlapping copy then a far copy")
        << QByteArray("abcabcabcabcabcabcabcabc") << hex("57525a4c 18000000 0a00 40 1800 616263 003f 0120");
    // "BFP" hashes like "abc" and takes its table entry, so the second "abc"
    // finds no match and the copy starts one byte later.
    QTest::newRow("hash collision replaces the table entry")
        << QByteArray("abcdefghijklmnopBFPabcdefghijklmnop")
        << container(35, {hex("40 0000 6162636465666768696a6b6c6d6e6f70 0800 424650 61 013c")});
    // Runs leave the hash table alone, so the second "abc" sees the first.
    QTest::newRow("copy from the farthest offset")
        << QByteArray("abc") + QByteArray(4092, 'z') + "abc"
        << container(4098, {hex("40 1800 616263 000fec7a fff0")});
    QTest::newRow("one byte too far for a copy")
        << QByteArray("abc") + QByteArray(4093, 'z') + "abc"
        << container(4099, {hex("40 1000 616263 000fed7a 616263")});
    const QByteArray sentence = "a strike is ten pins, a spare is ten pins in two balls; "
                                "a strike and a spare score ten and more pins";
    QTest::newRow("text over several groups")
        << sentence
        << container(quint32(sentence.size()),
                     {hex("40 0000 61 20 73 74 72 69 6b 65 20 69 73 20 74 65 6e 20 0220 70 69 6e 73 2c 20 0160 70 61 "
                          "72 015a 20 69 6e 20 74 0063 77 6f 20 62 61 6c 6c 73 3b 0221 0383 61 6e 64 00d1 02f2 1d80 "
                          "73 63 6f 0350 0471 0161 6d 00d1 0501")});
    const QByteArray fullChunk = hex("40 ff40") + hex("000fef00").repeated(8) + hex("00 0014");
    QTest::newRow("32768 bytes: runs, a literal, a copy, then an empty chunk")
        << QByteArray(32768, '\0') << container(32768, {fullChunk, hex("80")});
    QTest::newRow("32769 bytes: the last byte stored alone")
        << QByteArray(32769, '\0') << container(32769, {fullChunk, hex("8000")});
}

void TestLzrw1::writesExactBytes()
{
    QFETCH(QByteArray, input);
    QFETCH(QByteArray, expected);
    Tlzrw1 component;
    QCOMPARE(component.compressData(input).toHex(' '), expected.toHex(' '));
}

void TestLzrw1::splitsIntoChunks_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<QList<int>>("lengths");
    QTest::newRow("1 byte") << 1 << QList<int>{2};
    QTest::newRow("2 bytes") << 2 << QList<int>{3};
    QTest::newRow("one chunk less a byte") << 32767 << QList<int>{32768};
    QTest::newRow("one chunk") << 32768 << QList<int>{32769, 1};
    QTest::newRow("one chunk and a byte") << 32769 << QList<int>{32769, 2};
    QTest::newRow("two chunks") << 65536 << QList<int>{32769, 32769, 1};
}

// Random data never shrinks: every block is stored, and the block list
// shows where the chunks end.
void TestLzrw1::splitsIntoChunks()
{
    QFETCH(int, size);
    QFETCH(QList<int>, lengths);
    Tlzrw1 component;
    const QByteArray file = component.compressData(randomBytes(size, 7));
    QCOMPARE(blockLengths(file), lengths);
    QCOMPARE(quint8(file.at(10)), quint8(0x80));
}

void TestLzrw1::roundTrips_data()
{
    QTest::addColumn<QByteArray>("data");
    for (const int size : {1, 2, 3, 4, 15, 16, 17, 18, 19, 100, 4095, 4096, 4097, 32767, 32768, 32769, 65537, 300000}) {
        const unsigned seed = unsigned(size);
        QTest::addRow("text %d", size) << textBytes(size, seed);
        QTest::addRow("random %d", size) << randomBytes(size, seed);
        QTest::addRow("equal bytes %d", size) << QByteArray(size, 'q');
        QByteArray mixed = textBytes(size, seed);
        for (int i = 0; i < size; i += 97)
            mixed.replace(i, std::min(40, size - i), QByteArray(std::min(40, size - i), char(i)));
        QTest::addRow("runs in text %d", size) << mixed;
    }
}

void TestLzrw1::roundTrips()
{
    QFETCH(QByteArray, data);
    Tlzrw1 component;
    const QByteArray file = component.compressData(data);
    QCOMPARE(component.decompressData(file), data);
}

void TestLzrw1::decodesHandMadeBlocks_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("copy of offset 1 and length 18 repeats the last byte")
        << container(19, {hex("40 4000 61 001f")}) << QByteArray(19, 'a');
    QTest::newRow("a block shorter than 2 bytes is empty") << container(0, {QByteArray()}) << QByteArray();
    QTest::newRow("run longer than the encoder writes")
        << container(4111, {hex("40 8000 000fff62")}) << QByteArray(4111, 'b');
    QTest::newRow("second group's control word") << container(17, {hex("40 0000") + QByteArray(16, 'c') + hex("0000 64")})
                                                 << QByteArray(16, 'c') + "d";
    QTest::newRow("trailing bytes after the last block are ignored")
        << container(3, {hex("80616263")}) + "junk" << QByteArray("abc");
}

void TestLzrw1::decodesHandMadeBlocks()
{
    QFETCH(QByteArray, file);
    QFETCH(QByteArray, expected);
    Tlzrw1 component;
    QCOMPARE(component.decompressData(file), expected);
}

void TestLzrw1::refusesMalformedFiles_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("message");
    const QByteArray fullChunk = Tlzrw1().compressData(QByteArray(32768, 'x'));
    QTest::newRow("empty file") << QByteArray() << noHeader();
    QTest::newRow("shorter than a signature") << QByteArray("WRZ") << noHeader();
    QTest::newRow("unknown signature") << container(3, {hex("80616263")}, "ABCD") << noHeader();
    QTest::newRow("LZH signature") << container(3, {hex("80616263")}, "!HZL") << noHeader();
    QTest::newRow("cut in the size") << hex("57525a4c 0300") << readError();
    QTest::newRow("cut before the first block") << hex("57525a4c 03000000") << readError();
    QTest::newRow("cut in a block's length") << hex("57525a4c 03000000 04") << readError();
    QTest::newRow("cut in a block") << hex("57525a4c 03000000 0400 8061") << readError();
    QTest::newRow("cut after a full chunk") << fullChunk.left(fullChunk.size() - 3) << readError();
    QTest::newRow("size larger than the data") << container(4, {hex("80616263")}) << sizeMismatch();
    QTest::newRow("size smaller than the data") << container(2, {hex("80616263")}) << sizeMismatch();
    QTest::newRow("copy before the output's start") << container(5, {hex("40 2000 6162 0050")}) << corrupt();
    QTest::newRow("copy with no output yet") << container(3, {hex("40 8000 0010")}) << corrupt();
    QTest::newRow("more than a chunk")
        << container(36855, {hex("40 ff80") + hex("000fef61").repeated(9)}) << corrupt();
    QTest::newRow("literal past a chunk")
        << container(32769, {hex("40 ff00") + hex("000fff61").repeated(7) + hex("000f8761 61")}) << corrupt();
    QTest::newRow("copy past a chunk")
        << container(32769, {hex("40 ff80") + hex("000fff61").repeated(7) + hex("000f8561 0010")}) << corrupt();
    QTest::newRow("copy cut by the block's end") << container(3, {hex("40 4000 61 00")}) << corrupt();
    QTest::newRow("run cut by the block's end") << container(20, {hex("40 8000 000004")}) << corrupt();
    QTest::newRow("control word cut") << container(1, {hex("40 80")}) << corrupt();
    QTest::newRow("block longer than any chunk") << container(32769, {hex("80") + QByteArray(32769, 'a')}) << corrupt();
}

// Decoding meets files that may be damaged or made up: every fault is
// refused with its message, and the output file is left as it was.
void TestLzrw1::refusesMalformedFiles()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, message);
    const QString input = m_dir.filePath(QStringLiteral("bad.tld"));
    const QString output = m_dir.filePath(QStringLiteral("bad.txt"));
    writeFile(input, file);
    writeFile(output, "an older file");
    const QString expected = named(message, input, output);

    Tlzrw1 component;
    component.InputFile = input;
    component.OutputFile = output;
    try {
        component.Decompress();
        QFAIL("a malformed file was accepted");
    } catch (const ELzrw1Exception &error) {
        QCOMPARE(error.message(), expected);
    }
    QCOMPARE(readFile(output), QByteArray("an older file"));

    try {
        component.decompressData(file, input);
        QFAIL("a malformed file was accepted in memory");
    } catch (const ELzrw1Exception &error) {
        QCOMPARE(error.message(), expected);
    }
}

void TestLzrw1::reportsFileErrors_data()
{
    QTest::addColumn<bool>("compress");
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("output");
    QTest::addColumn<QString>("message");
    const int fast = int(TCompressMode::Fast);
    const QString text = QStringLiteral("text.txt");
    const QString missing = QStringLiteral("missing.txt");
    const QString out = QStringLiteral("out.tld");
    const QString nowhere = QStringLiteral("no/such/folder/out.tld");
    const QString lzh = QStringLiteral(
        "Lzrw1 compression : the LZH method (Good) is not available, use the LZRW1/KH method (Fast)");
    QTest::newRow("compress: missing input") << true << fast << missing << out
                                             << QStringLiteral("Lzrw1 compression : Failed to obtain the size of : %1");
    QTest::newRow("compress: output folder missing")
        << true << fast << text << nowhere << QStringLiteral("Lzrw1 (de)compression : Failed to open output file : %2");
    QTest::newRow("compress: into its own input")
        << true << fast << text << text << QStringLiteral("Lzrw1 (de)compression : Failed to open output file : %2");
    QTest::newRow("compress: Good mode") << true << int(TCompressMode::Good) << text << out << lzh;
    QTest::newRow("compress: Auto mode on a small file") << true << int(TCompressMode::Auto) << text << out << lzh;
    QTest::newRow("decompress: missing input")
        << false << fast << missing << out << QStringLiteral("Lzrw1 (de)compression : Failed to open input file : %1");
}

void TestLzrw1::reportsFileErrors()
{
    QFETCH(bool, compress);
    QFETCH(int, mode);
    QFETCH(QString, input);
    QFETCH(QString, output);
    QFETCH(QString, message);
    const QByteArray original = textBytes(5000, 3);
    writeFile(m_dir.filePath(QStringLiteral("text.txt")), original);
    QFile::remove(m_dir.filePath(QStringLiteral("out.tld")));

    Tlzrw1 component;
    component.InputFile = m_dir.filePath(input);
    component.OutputFile = m_dir.filePath(output);
    component.CompressMode = TCompressMode(mode);
    try {
        compress ? component.Compress() : component.Decompress();
        QFAIL("the failure was not reported");
    } catch (const ELzrw1Exception &error) {
        QCOMPARE(error.message(), named(message, component.InputFile, component.OutputFile));
    }
    if (output != input)
        QVERIFY(!QFile::exists(component.OutputFile));
    QCOMPARE(readFile(m_dir.filePath(QStringLiteral("text.txt"))), original);
}

void TestLzrw1::outputIsReplacedWholeOrNotAtAll_data()
{
    QTest::addColumn<QString>("out");     // what OUT is
    QTest::addColumn<bool>("goodInput");
    QTest::addColumn<bool>("succeeds");
    QTest::newRow("a file, bad input") << "file" << false << false;
    QTest::newRow("a file, good input") << "file" << true << true;
    QTest::newRow("a link, bad input") << "link" << false << false;
    QTest::newRow("a link, good input") << "link" << true << true;
    QTest::newRow("a hard link to the input") << "hard link" << true << false;
    QTest::newRow("a pipe") << "pipe" << true << false;
}

// OUT is replaced only by a whole output: on failure it stays as it was,
// through a link too; the input under another name and anything but a
// regular file are refused; no new file is left behind.
void TestLzrw1::outputIsReplacedWholeOrNotAtAll()
{
    QFETCH(QString, out);
    QFETCH(bool, goodInput);
    QFETCH(bool, succeeds);
    QTemporaryDir dir;
    const QByteArray in = QFile::encodeName(dir.filePath(QStringLiteral("in")));
    const QByteArray output = QFile::encodeName(dir.filePath(QStringLiteral("out")));
    const QByteArray target = QFile::encodeName(dir.filePath(QStringLiteral("target")));
    const QByteArray text = textBytes(50000, 5);
    const QByteArray input = goodInput ? Tlzrw1().compressData(text) : QByteArray("not compressed");
    writeFile(QFile::decodeName(in), input);
    writeFile(QFile::decodeName(target), "the old OUT");
    int reader = -1; // keeps a pipe from blocking the writer
    if (out == QLatin1String("file"))
        QCOMPARE(::rename(target, output), 0);
    else if (out == QLatin1String("link"))
        QCOMPARE(::symlink(target, output), 0);
    else if (out == QLatin1String("hard link"))
        QCOMPARE(::link(in, output), 0);
    else if (::mkfifo(output, 0600) == 0)
        reader = ::open(output, O_RDONLY | O_NONBLOCK);
    QVERIFY(out != QLatin1String("pipe") || reader >= 0);
    const QStringList before = QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System);

    Tlzrw1 component;
    component.InputFile = QFile::decodeName(in);
    component.OutputFile = QFile::decodeName(output);
    bool done = true;
    try {
        component.Decompress();
    } catch (const ELzrw1Exception &) {
        done = false;
    }
    char byte = 0;
    QVERIFY(reader < 0 || (::read(reader, &byte, 1) <= 0 && ::close(reader) == 0));
    QCOMPARE(done, succeeds);
    QCOMPARE(readFile(QFile::decodeName(in)), input);
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System), before);
    if (out == QLatin1String("file") || out == QLatin1String("link"))
        QCOMPARE(readFile(QFile::decodeName(output)), succeeds ? text : QByteArray("the old OUT"));
    struct stat info = {};
    QCOMPARE(::lstat(output, &info), 0);
    QCOMPARE(S_ISLNK(info.st_mode), out == QLatin1String("link"));
    QCOMPARE(S_ISFIFO(info.st_mode), out == QLatin1String("pipe"));
}

void TestLzrw1::advisesByContent_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<int>("advice");
    QTest::newRow("small file") << QByteArray(98303, 'a') << int(TCompressMode::Good);
    QTest::newRow("large, compressible") << QByteArray(98304, 'a') << int(TCompressMode::Fast);
    QTest::newRow("large, random") << randomBytes(200000, 5) << int(TCompressMode::Good);
    // Only the sampled chunks count: compressible data outside them is ignored.
    QByteArray sampledRandom = QByteArray(300000, 'a');
    sampledRandom.replace(98304, 32768, randomBytes(32768, 6));
    sampledRandom.replace(196608, 32768, randomBytes(32768, 7));
    QTest::newRow("random where it is sampled") << sampledRandom << int(TCompressMode::Good);
}

void TestLzrw1::advisesByContent()
{
    QFETCH(QByteArray, data);
    QFETCH(int, advice);
    const QString input = m_dir.filePath(QStringLiteral("advise.bin"));
    const QString output = m_dir.filePath(QStringLiteral("advise.tld"));
    writeFile(input, data);
    Tlzrw1 component;
    component.InputFile = input;
    component.OutputFile = output;
    QCOMPARE(int(component.Advise()), advice);

    // Auto compresses what the advice gives to the fast method.
    component.CompressMode = TCompressMode::Auto;
    if (advice == int(TCompressMode::Fast)) {
        const qint64 written = component.Compress();
        QCOMPARE(written, QFileInfo(output).size());
        QCOMPARE(component.decompressData(readFile(output)), data);
    }
}

void TestLzrw1::worksOnStreams()
{
    const QByteArray data = textBytes(70000, 9);
    QBuffer input;
    input.setData(data);
    QBuffer packed;
    Tlzrw1 component;
    component.UseStream = true;
    component.CompressMode = TCompressMode::Fast;
    component.InputStream = &input;
    component.OutputStream = &packed;
    const qint64 written = component.Compress();
    QCOMPARE(written, packed.size());
    QCOMPARE(packed.data(), component.compressData(data));

    packed.close();
    QBuffer unpacked;
    component.InputStream = &packed;
    component.OutputStream = &unpacked;
    QCOMPARE(component.Decompress(), qint64(data.size()));
    QCOMPARE(unpacked.data(), data);
}

void TestLzrw1::commandLineRoundTrip()
{
    const QString text = m_dir.filePath(QStringLiteral("cli.txt"));
    const QString packed = m_dir.filePath(QStringLiteral("cli.tld"));
    const QString unpacked = m_dir.filePath(QStringLiteral("cli.out"));
    const QByteArray data = textBytes(100000, 11);
    writeFile(text, data);

    QProcess process;
    process.start(QStringLiteral(PINLEX_BINARY), {QStringLiteral("--compress"), text, packed});
    QVERIFY(process.waitForFinished());
    QCOMPARE(process.exitCode(), 0);
    process.start(QStringLiteral(PINLEX_BINARY), {QStringLiteral("--decompress"), packed, unpacked});
    QVERIFY(process.waitForFinished());
    QCOMPARE(process.exitCode(), 0);
    QCOMPARE(readFile(unpacked), data);

    // A file that is not compressed is refused on standard error.
    process.start(QStringLiteral(PINLEX_BINARY), {QStringLiteral("--decompress"), text, unpacked});
    QVERIFY(process.waitForFinished());
    QVERIFY(process.exitCode() != 0);
    QVERIFY(QString::fromUtf8(process.readAllStandardError()).contains(named(noHeader(), text, unpacked)));
    QCOMPARE(readFile(unpacked), data); // the earlier output stays
}

QTEST_GUILESS_MAIN(TestLzrw1)
#include "test_lzrw1.moc"
