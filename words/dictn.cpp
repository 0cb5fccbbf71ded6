#include "words/dictn.h"

#include "base/errordisplay.h"
#include "words/privatecachedir.h"

#include <QResource>
#include <QFile>
#include <QStandardPaths>

#include <cstring>

namespace {

// The search key: the word trimmed of blanks (NUL counts as one), a..z
// upper-cased and nothing else changed, padded with blanks to 14 bytes.
// Empty when the word is empty or too long to be in the dictionary.
QByteArray searchKey(QStringView word)
{
    QByteArray key = word.toLatin1(); // characters beyond Latin-1 become '?', which no record holds
    key.replace('\0', ' ');
    // Only blanks are trimmed: QByteArray::trimmed() would take tabs and line breaks too.
    qsizetype first = 0;
    qsizetype last = key.size();
    while (first < last && key[first] == ' ')
        ++first;
    while (last > first && key[last - 1] == ' ')
        --last;
    key = key.sliced(first, last - first);
    if (key.isEmpty() || key.size() > TDictn::kWordSize)
        return {};
    for (char &c : key) {
        if (c >= 'a' && c <= 'z')
            c = char(c - 'a' + 'A');
    }
    return key.leftJustified(TDictn::kWordSize, ' ');
}

} // namespace

TDictn::TDictn(QObject *parent) : QObject(parent), m_writesOwnFile(true) {}

bool TDictn::open()
{
    if (!m_writesOwnFile || m_tried)
        return isOpen();
    m_tried = true;
    // A directory of this copy's own: a user's file of that name is never
    // read or deleted, and copies running side by side never share a file.
    m_privateDir = std::make_unique<PrivateCacheDir>(cacheBase());
    const QString path = m_privateDir->filePath(QStringLiteral("English"));
    const QByteArray records = carriedRecords();
    bool written = false;
    if (m_privateDir->isValid() && !records.isEmpty()) {
        // Private and thrown away at the end: no need to wait for the disk.
        // Nobody else opens it, so a failed write only has to be removed.
        QFile file(path);
        written = file.open(QIODevice::WriteOnly) && file.write(records) == records.size() && file.flush();
        file.close();
        if (!written)
            file.remove();
    }
    if (!written || !openFile(path))
        showError(QStringLiteral("English.dic dictionary not found!"));
    return isOpen();
}

TDictn::TDictn(const QString &path, QObject *parent) : QObject(parent)
{
    openFile(path);
}

TDictn::~TDictn()
{
    m_file.close();
    // m_privateDir goes with this object and takes the file with it.
}

QByteArray TDictn::carriedRecords()
{
    return QResource(QStringLiteral(":/words/TEXT_DEMO")).uncompressedData();
}

QString TDictn::cacheBase()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) + QLatin1String("/Pinlex");
}

bool TDictn::openFile(const QString &path)
{
    m_file.setFileName(path);
    // One record per read at scattered places: a read-ahead buffer would only waste time.
    if (!m_file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return false;
    m_lastRecord = m_file.size() / kRecordSize - 1;
    return true;
}

bool TDictn::lookup(QStringView word)
{
    m_lastReads = 0;
    if (!open())
        return false;
    const QByteArray key = searchKey(word);
    if (key.isEmpty())
        return false;

    char record[kRecordSize];
    qint64 low = 0;
    qint64 high = m_lastRecord;
    while (low <= high) {
        const qint64 middle = (low + high) / 2;
        if (!m_file.seek(middle * kRecordSize) || m_file.read(record, kRecordSize) != kRecordSize)
            return false;
        ++m_lastReads;
        const int order = std::memcmp(record + 1, key.constData(), kWordSize);
        if (order == 0)
            return true;
        if (order < 0)
            low = middle + 1;
        else
            high = middle - 1;
    }
    return false;
}
