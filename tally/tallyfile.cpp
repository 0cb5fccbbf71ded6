#include "tally/tallyfile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <QtEndian>

namespace {

// Far beyond any real tally; keeps a damaged file from filling the memory.
constexpr qint64 kMaxFileSize = 16 * 1024 * 1024;
constexpr quint32 kMaxTextSize = 64 * 1024 * 1024;

} // namespace

TallyFile::TallyFile(QString path) : m_path(std::move(path)) {}

QString TallyFile::defaultPath()
{
    const QString chosen = qEnvironmentVariable("PINLEX_TALLY_FILE");
    if (!chosen.isEmpty())
        return chosen;
    const QString programFolder = QCoreApplication::applicationDirPath();
    if (!programFolder.isEmpty() && QFileInfo(programFolder).isWritable())
        return QDir(programFolder).filePath(kFileName);
    return QDir(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)).filePath(kFileName);
}

TallyTable TallyFile::load()
{
    QFile file(m_path);
    if (!file.exists())
        return TallyTable();
    const QString damaged = m_path + QStringLiteral(" : the tally table is damaged");
    if (!file.open(QIODevice::ReadOnly))
        throw ELzrw1Exception(QStringLiteral("Lzrw1 (de)compression : Failed to open input file : ") + m_path);
    const QByteArray compressed = file.read(kMaxFileSize + 1);
    constexpr int kSizeField = 4;
    if (compressed.size() > kMaxFileSize
        || (compressed.size() >= 2 * kSizeField
            && qFromLittleEndian<quint32>(compressed.constData() + kSizeField) > kMaxTextSize))
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
        QSaveFile file(m_path);
        return file.open(QIODevice::WriteOnly) && file.write(compressed) == compressed.size() && file.commit();
    } catch (const ELzrw1Exception &) {
        return false;
    }
}

void TallyFile::keepDamagedCopy() const
{
    const QString copy = m_path + QStringLiteral(".damaged");
    QFile::remove(copy);
    QFile::copy(m_path, copy);
}
