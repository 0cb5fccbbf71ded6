#pragma once

#include <QByteArray>
#include <QString>

#include <memory>
#include <stdexcept>

class QIODevice;

// Every failure of the compression component; the message is for the user.
class ELzrw1Exception : public std::runtime_error
{
public:
    explicit ELzrw1Exception(const QString &message) : std::runtime_error(message.toStdString()) {}
    QString message() const { return QString::fromStdString(what()); }
};

// The hash table could not be allocated when the component was made.
class ELzrw1KHCompressor : public ELzrw1Exception
{
public:
    using ELzrw1Exception::ELzrw1Exception;
};

enum class TCompressMode { Good = 0, Fast = 1, Auto = 2 };

// File-to-file (or stream-to-stream) compressor. Container, little-endian:
//   "WRZL" (LZRW1/KH) or "!HZL" (LZH), uncompressed size (32 bits), then
//   for LZRW1/KH blocks of: length L (16 bits), L bytes (see lzrw1kh.h)
// one block per 32,768-byte chunk; a chunk of exactly 32,768 bytes is always
// followed by another block, so a size that is a multiple of it ends with the
// block of an empty chunk. Only LZRW1/KH is built: LZH files are refused as
// not having a valid header, and compressing in the LZH mode fails.
//
// Every failure throws ELzrw1Exception. The output file is replaced whole
// or not at all: an existing one stays untouched when the operation fails,
// and an output that is the input itself (under any name) or not a regular
// file is refused. Decoding treats its input as untrusted.
class Tlzrw1
{
public:
    Tlzrw1();
    ~Tlzrw1();
    Tlzrw1(const Tlzrw1 &) = delete;
    Tlzrw1 &operator=(const Tlzrw1 &) = delete;

    QString InputFile;
    QString OutputFile;
    TCompressMode CompressMode = TCompressMode::Good;
    // Read InputStream and write OutputStream instead of the files; devices
    // that are not open yet are opened. The file names still name them in
    // messages. A stream is never deleted: on failure the caller discards
    // what was written.
    bool UseStream = false;
    QIODevice *InputStream = nullptr;
    QIODevice *OutputStream = nullptr;
    // Percent; Auto chooses Fast when the sample shrinks below it.
    int Threshold = 40;

    // Returns the number of bytes written.
    qint64 Compress();
    qint64 Decompress();
    // The method Auto would use for the input.
    TCompressMode Advise();

    // The fast method in memory. `name` stands for the data in messages.
    QByteArray compressData(const QByteArray &data);
    QByteArray decompressData(const QByteArray &file, const QString &name = QString());

private:
    struct Session;
    qint64 compressFast(Session &session, qint64 size);
    qint64 decompressFast(Session &session);

    std::unique_ptr<qint16[]> m_hash;
};
