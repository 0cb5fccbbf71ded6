#pragma once

#include <QFile>
#include <QObject>
#include <QString>
#include <QStringView>

// The dictionary: a file of 15-byte records (0x1E, then the word in upper
// case padded with blanks to 14), sorted, searched on disk by binary search.
// Nothing of it is held in memory.
class TDictn : public QObject
{
    Q_OBJECT

public:
    static constexpr int kRecordSize = 15;
    static constexpr int kWordSize = 14;

    // Opens the program's own dictionary, writing its file from the data the
    // program carries when the file is missing or does not match.
    explicit TDictn(QObject *parent = nullptr);
    // Opens the record file at path as it is (used by tests and benchmarks).
    TDictn(const QString &path, QObject *parent);
    // Closes the file; deletes it when this object wrote it.
    ~TDictn() override;

    bool isOpen() const { return m_file.isOpen(); }
    qint64 recordCount() const { return m_lastRecord + 1; }

    // True when word is in the dictionary. Case of a..z does not matter;
    // NUL characters count as blanks and blanks at either end are trimmed.
    bool lookup(QStringView word);
    // How many records the last lookup read.
    int lastReads() const { return m_lastReads; }

private:
    bool openFile(const QString &path);

    mutable QFile m_file;
    qint64 m_lastRecord = -1;
    int m_lastReads = 0;
    bool m_ownsFile = false;
};
