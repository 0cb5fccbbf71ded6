#pragma once

#include <QFile>
#include <QObject>
#include <QString>
#include <QStringView>

#include <memory>

class PrivateCacheDir;

// The dictionary: a file of 15-byte records (0x1E, then the word in upper
// case padded with blanks to 14), sorted, searched on disk by binary search.
// Nothing of it is held in memory.
class TDictn : public QObject
{
    Q_OBJECT

public:
    static constexpr int kRecordSize = 15;
    static constexpr int kWordSize = 14;

    // The dictionary the program carries. Its file "English", of this copy's
    // own in the user's cache directory, is written when it is first needed
    // (open() or the first lookup), so a copy that only joins a game never
    // writes it.
    explicit TDictn(QObject *parent = nullptr);
    // Opens the record file at path as it is (used by tests and benchmarks).
    TDictn(const QString &path, QObject *parent);
    // Closes the file; deletes it when this object wrote it.
    ~TDictn() override;

    // Writes the carried dictionary's file, once, and opens it; reports
    // "English.dic dictionary not found!" when that fails. True when the
    // dictionary can be searched. A dictionary opened by path only answers.
    bool open();
    bool isOpen() const { return m_file.isOpen(); }
    qint64 recordCount() const { return m_lastRecord + 1; }
    // The file searched; empty before open() and when none could be written.
    QString fileName() const { return m_file.fileName(); }

    // True when word is in the dictionary. Case of a..z does not matter;
    // NUL characters count as blanks and blanks at either end are trimmed.
    bool lookup(QStringView word);
    // How many records the last lookup read.
    int lastReads() const { return m_lastReads; }

    // The dictionary's records as the program carries them.
    static QByteArray carriedRecords();
    // Where the program writes its dictionary files: "Pinlex" in the user's
    // cache directory.
    static QString cacheBase();

private:
    bool openFile(const QString &path);

    mutable QFile m_file;
    qint64 m_lastRecord = -1;
    int m_lastReads = 0;
    // Made by the program (not opened by path); whether open() has run.
    bool m_writesOwnFile = false;
    bool m_tried = false;
    // The private directory the file was written to; null when opened by path.
    std::unique_ptr<PrivateCacheDir> m_privateDir;
};
