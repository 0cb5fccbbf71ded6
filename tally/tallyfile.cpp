#include "tally/tallyfile.h"

#include "base/atomicfile.h"
#include "base/programfolder.h"
#include "tally/lzrw1kh.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtEndian>

namespace {

// The largest file the longest table's text can make: the container's
// header, then every chunk stored with its length and flag.
constexpr qint64 kMaxFileSize =
    8 + (TallyTable::kMaxTextBytes / lzrw1kh::kChunkSize + 1) * (2 + lzrw1kh::kMaxBlockSize);

} // namespace

TallyFile::TallyFile(QString path) : m_path(std::move(path)) {}

QString TallyFile::defaultPath()
{
    const QString chosen = qEnvironmentVariable("PINLEX_TALLY_FILE");
    if (!chosen.isEmpty())
        return chosen;
    return QDir(recordsFolder()).filePath(kFileName);
}

TallyTable TallyFile::load()
{
    QFile file(m_path);
    if (!file.exists())
        return TallyTable();
    const QString damaged = m_path + QStringLiteral(" : the tally table is damaged");
    if (!file.open(QIODevice::ReadOnly))
        throw ELzrw1Exception(QStringLiteral("Lzrw1 (de)compression : Failed to open input file : ") + m_path);
    // Read no more than the longest tally's file could hold.
    if (file.size() > kMaxFileSize)
        throw ETallyFormat(damaged.toStdString());
    const QByteArray compressed = file.readAll();
    // A text longer than any table is refused before it is expanded: a
    // small file can claim gigabytes.
    constexpr int kSizeField = 4;
    if (compressed.size() > kMaxFileSize
        || (compressed.size() >= 2 * kSizeField
            && qFromLittleEndian<quint32>(compressed.constData() + kSizeField) > TallyTable::kMaxTextBytes))
        throw ETallyFormat(damaged.toStdString());
    const QByteArray text = doit.decompressData(compressed, m_path);
    try {
        return TallyTable::fromText(text);
    } catch (const std::runtime_error &) {
        throw ETallyFormat(damaged.toStdString());
    }
}

bool TallyFile::save(const TallyTable &table)
{
    try {
        const QByteArray compressed = doit.compressData(table.toText());
        QDir().mkpath(QFileInfo(m_path).absolutePath());
        return AtomicFile::replace(m_path, compressed);
    } catch (const ELzrw1Exception &) {
        return false;
    }
}

QString TallyFile::keepDamagedCopy() const
{
    // Each failed load keeps its own copy: the date and time tell them
    // apart, a number those of the same second. Copying never overwrites.
    const QString stem = m_path + QLatin1Char('.')
                         + QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    for (int n = 1; n <= kMaxDamagedCopies; ++n) {
        const QString copy = stem + (n == 1 ? QString() : QStringLiteral("-%1").arg(n)) + QStringLiteral(".damaged");
        if (QFileInfo::exists(copy))
            continue;
        return QFile::copy(m_path, copy) ? copy : QString();
    }
    return QString();
}
