#pragma once

#include <QByteArrayView>
#include <QFile>
#include <QList>
#include <QString>

// A text file of lines, mapped read-only and never loaded: lines are read
// where they stand, and a file sorted by its lines' first field (up to the
// first space) is searched by halving byte ranges. The file comes from
// outside the program, so nothing here trusts it: every line read is at
// most kMaxLine bytes, every offset is checked against the file's size, and
// a search takes at most a fixed number of steps; a file that breaks these
// rules answers "not there".
class SortedTextFile
{
public:
    // Longer than any line of the data we read, and short enough to scan
    // often: a line without its end within this is damage.
    static constexpr qsizetype kMaxLine = 32 * 1024;

    SortedTextFile() = default;
    SortedTextFile(const SortedTextFile &) = delete;
    SortedTextFile &operator=(const SortedTextFile &) = delete;

    // Maps the file; false when it cannot be read (missing, unreadable,
    // empty).
    bool open(const QString &path);
    // Lets the pages read so far go from the program's resident memory;
    // they stay in the system's cache, and come back when read again.
    void release() const;
    bool isOpen() const { return m_data != nullptr; }
    qint64 size() const { return m_size; }

    // The line that starts at offset, without its end; empty when offset
    // is not inside the file or no end comes within kMaxLine.
    QByteArrayView lineAt(qint64 offset) const;

    // Every line whose first field is key (the file may hold a key more
    // than once, next to each other), in file order; at most a handful.
    QList<QByteArrayView> find(QByteArrayView key) const;

private:
    // The start of the line that holds offset, no earlier than floor; -1
    // when the line is longer than kMaxLine.
    qint64 lineStart(qint64 offset, qint64 floor) const;
    // The offset of the end of line (its '\n' or the end of the file) from
    // start; -1 when none comes within kMaxLine.
    qint64 lineEnd(qint64 start) const;
    QByteArrayView line(qint64 start, qint64 end) const;

    QFile m_file;
    const char *m_data = nullptr;
    qint64 m_size = 0;
};
