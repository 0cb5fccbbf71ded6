#include "tally/lzrw1.h"

#include "base/atomicfile.h"
#include "tally/lzrw1kh.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QtEndian>

#include <algorithm>
#include <cstring>
#include <functional>
#include <limits>
#include <new>

#include <sys/stat.h>

namespace {

constexpr char kFastSignature[] = "WRZL";
constexpr int kSignatureSize = 4;
constexpr int kHeaderSize = 8;
// Smaller inputs are not worth sampling: they get the better method.
constexpr qint64 kAdviseMinimum = 98303;
// More than any block can expand: a full chunk of one byte takes eight run
// items, 37 bytes with its length, flag and control word.
constexpr qint64 kMaxExpansion = 1024;

QString corruptMessage()
{
    return QStringLiteral("Lzrw1 (decompression LZRW1/KH) : Compressed data is corrupt !");
}

// Reads until `size` bytes arrived or the device has no more; -1 on error.
qint64 readFully(QIODevice &device, quint8 *data, qint64 size)
{
    qint64 total = 0;
    while (total < size) {
        const qint64 got = device.read(reinterpret_cast<char *>(data) + total, size - total);
        if (got < 0)
            return -1;
        if (got == 0)
            break;
        total += got;
    }
    return total;
}

// The same file under two names: links followed, device and inode compared.
bool sameFile(const QString &a, const QString &b)
{
    struct stat first = {};
    struct stat second = {};
    return ::stat(QFile::encodeName(a).constData(), &first) == 0
           && ::stat(QFile::encodeName(b).constData(), &second) == 0 && first.st_dev == second.st_dev
           && first.st_ino == second.st_ino;
}

std::unique_ptr<quint8[]> ioBuffer()
{
    std::unique_ptr<quint8[]> buffer(new (std::nothrow) quint8[lzrw1kh::kBufferSize]());
    if (!buffer)
        throw ELzrw1Exception(QStringLiteral("Lzrw1 (de)compression : Failed to get memory for I/O buffers !"));
    return buffer;
}

} // namespace

// One operation: its two devices, their names for messages, its buffers.
struct Tlzrw1::Session
{
    Session(QIODevice *inputDevice, QIODevice *outputDevice, QString inName, QString outName)
        : input(inputDevice), output(outputDevice), inputName(std::move(inName)), outputName(std::move(outName))
    {
    }
    // The component's own settings: its files, or its streams.
    explicit Session(const Tlzrw1 &owner)
        : Session(owner.UseStream ? owner.InputStream : nullptr, owner.UseStream ? owner.OutputStream : nullptr,
                  owner.InputFile, owner.OutputFile)
    {
        if (!owner.UseStream) {
            inputFile.setFileName(inputName);
            outputFile.setFileName(outputName);
            input = &inputFile;
            output = &outputFile;
            ownsFiles = true;
        }
    }

    qint64 inputSize()
    {
        if (ownsFiles) {
            const QFileInfo info(inputName);
            if (!info.isFile())
                throw ELzrw1Exception(QStringLiteral("Lzrw1 compression : Failed to obtain the size of : ") + inputName);
            return info.size();
        }
        openInput();
        if (input->isSequential())
            throw ELzrw1Exception(QStringLiteral("Lzrw1 compression : Failed to obtain the size of : ") + inputName);
        return input->size() - input->pos();
    }

    void openInput()
    {
        if (input && (input->isReadable() || input->open(QIODevice::ReadOnly)))
            return;
        throw ELzrw1Exception(QStringLiteral("Lzrw1 (de)compression : Failed to open input file : ") + inputName);
    }

    void openOutput()
    {
        const auto refuse = [this] {
            throw ELzrw1Exception(QStringLiteral("Lzrw1 (de)compression : Failed to open output file : ")
                                  + outputName);
        };
        if (ownsFiles) {
            // The output replaces its file only once it is whole; the input
            // under another name would be replaced while it is still read.
            if (sameFile(inputName, outputName) || !outputFile.open(QIODevice::WriteOnly))
                refuse();
            createdOutput = true;
            return;
        }
        if (!output || !(output->isWritable() || output->open(QIODevice::WriteOnly)))
            refuse();
    }

    ELzrw1Exception readError(const QString &suffix = QString()) const
    {
        return ELzrw1Exception(QStringLiteral("Lzrw1 : Error reading from input file : ") + inputName + suffix);
    }

    void readExactly(quint8 *data, qint64 size)
    {
        if (readFully(*input, data, size) != size)
            throw readError();
    }

    void write(const quint8 *data, qint64 size)
    {
        if (output->write(reinterpret_cast<const char *>(data), size) != size)
            throw ELzrw1Exception(QStringLiteral("Lzrw1 : Error writing to output file : ") + outputName);
    }

    // Opens both sides and runs the operation. An output file takes the
    // place of the old one only when the operation succeeded; on failure the
    // old file stays as it was.
    qint64 run(const std::function<qint64()> &operation)
    {
        openInput();
        openOutput();
        try {
            const qint64 written = operation();
            if (createdOutput && !outputFile.commit())
                throw ELzrw1Exception(QStringLiteral("Lzrw1 : Error writing to output file : ") + outputName);
            return written;
        } catch (...) {
            if (createdOutput)
                outputFile.discard();
            throw;
        }
    }

    QIODevice *input;
    QIODevice *output;
    QString inputName;
    QString outputName;
    QFile inputFile;
    AtomicFile outputFile;
    bool ownsFiles = false;
    bool createdOutput = false;
    std::unique_ptr<quint8[]> in = ioBuffer();
    std::unique_ptr<quint8[]> out = ioBuffer();
};

Tlzrw1::Tlzrw1() : m_hash(new (std::nothrow) qint16[lzrw1kh::kHashSize])
{
    if (!m_hash)
        throw ELzrw1KHCompressor(QStringLiteral("LZRW1KH : no memory for HASH table"));
}

Tlzrw1::~Tlzrw1() = default;

qint64 Tlzrw1::Compress()
{
    const TCompressMode mode = CompressMode == TCompressMode::Auto ? Advise() : CompressMode;
    if (mode != TCompressMode::Fast)
        throw ELzrw1Exception(QStringLiteral("Lzrw1 compression : the LZH method (Good) is not available, "
                                             "use the LZRW1/KH method (Fast)"));
    Session session(*this);
    const qint64 size = session.inputSize();
    return session.run([&] { return compressFast(session, size); });
}

qint64 Tlzrw1::Decompress()
{
    Session session(*this);
    return session.run([&] { return decompressFast(session); });
}

TCompressMode Tlzrw1::Advise()
{
    Session session(*this);
    const qint64 size = session.inputSize();
    if (size <= kAdviseMinimum)
        return TCompressMode::Good;
    session.openInput();
    const qint64 start = session.input->pos();
    qint64 read = 0;
    qint64 encoded = 0;
    // Sample the chunks at one and two thirds, each start cut down to a
    // whole number of chunks.
    for (const int thirds : {1, 2}) {
        const qint64 offset = size * thirds / 3 / lzrw1kh::kChunkSize * lzrw1kh::kChunkSize;
        const qint64 got = session.input->seek(start + offset)
                               ? readFully(*session.input, session.in.get(), lzrw1kh::kChunkSize)
                               : -1;
        if (got < 0)
            throw session.readError();
        encoded += lzrw1kh::compressChunk(session.in.get(), int(got), session.out.get(), m_hash.get());
        read += got;
    }
    if (!session.ownsFiles)
        session.input->seek(start);
    return encoded * 100 < qint64(Threshold) * read ? TCompressMode::Fast : TCompressMode::Good;
}

QByteArray Tlzrw1::compressData(const QByteArray &data)
{
    QBuffer input;
    input.setData(data);
    QBuffer output;
    Session session(&input, &output, QString(), QString());
    session.run([&] { return compressFast(session, data.size()); });
    return output.data();
}

QByteArray Tlzrw1::decompressData(const QByteArray &file, const QString &name)
{
    QBuffer input;
    input.setData(file);
    // The output never outgrows the size its header declares: taking that
    // room at once spares the copies of growing it step by step. No header
    // gets more than the data could ever expand to.
    QByteArray data;
    if (file.size() >= kHeaderSize)
        data.reserve(qsizetype(std::min<qint64>(qFromLittleEndian<quint32>(file.constData() + kSignatureSize),
                                                qint64(file.size()) * kMaxExpansion)));
    {
        QBuffer output(&data);
        Session session(&input, &output, name, QString());
        session.run([&] { return decompressFast(session); });
    }
    return data;
}

qint64 Tlzrw1::compressFast(Session &session, qint64 size)
{
    // The header keeps the size in 32 bits; a larger file could not be restored.
    if (size > qint64(std::numeric_limits<quint32>::max()))
        throw ELzrw1Exception(QStringLiteral("Lzrw1 compression : File too large (4 GB or more) : ")
                              + session.inputName);
    quint8 header[kHeaderSize];
    std::memcpy(header, kFastSignature, kSignatureSize);
    qToLittleEndian(quint32(size), header + kSignatureSize);
    session.write(header, kHeaderSize);
    qint64 written = kHeaderSize;
    qint64 got = 0;
    do {
        got = readFully(*session.input, session.in.get(), lzrw1kh::kChunkSize);
        if (got < 0)
            throw session.readError(QStringLiteral(" (LZRW1/KH)"));
        const int length = lzrw1kh::compressChunk(session.in.get(), int(got), session.out.get(), m_hash.get());
        quint8 lengthField[2];
        qToLittleEndian(quint16(length), lengthField);
        session.write(lengthField, 2);
        session.write(session.out.get(), length);
        written += 2 + length;
    } while (got == lzrw1kh::kChunkSize);
    return written;
}

qint64 Tlzrw1::decompressFast(Session &session)
{
    quint8 header[kHeaderSize];
    const qint64 got = readFully(*session.input, header, kSignatureSize);
    if (got < 0)
        throw session.readError();
    if (got < kSignatureSize || std::memcmp(header, kFastSignature, kSignatureSize) != 0)
        throw ELzrw1Exception(session.inputName + QStringLiteral(" : Lzrw1 decompression : this file has no valid header !"));
    session.readExactly(header + kSignatureSize, kHeaderSize - kSignatureSize);
    const qint64 expected = qFromLittleEndian<quint32>(header + kSignatureSize);
    const auto sizeMismatch = [] {
        return ELzrw1Exception(
            QStringLiteral("Lzrw1 (decompression LZRW1/KH) : Original and compressed sizes do not match !"));
    };
    qint64 total = 0;
    int decoded = 0;
    do {
        quint8 lengthField[2];
        session.readExactly(lengthField, 2);
        const int length = qFromLittleEndian<quint16>(lengthField);
        if (length > lzrw1kh::kMaxBlockSize)
            throw ELzrw1Exception(corruptMessage());
        session.readExactly(session.in.get(), length);
        decoded = lzrw1kh::decompressBlock(session.in.get(), length, session.out.get());
        if (decoded < 0)
            throw ELzrw1Exception(corruptMessage());
        total += decoded;
        // Stop at once rather than write far more than the header promised.
        if (total > expected)
            throw sizeMismatch();
        session.write(session.out.get(), decoded);
    } while (decoded == lzrw1kh::kChunkSize);
    if (total != expected)
        throw sizeMismatch();
    return total;
}
