#pragma once

#include "tally/lzrw1.h"
#include "tally/tallytable.h"

#include <QString>

// The tally file: the table's text compressed with the fast method.
class TallyFile
{
public:
    static inline const QString kFileName = QStringLiteral("Pinlex1tally.tld");

    explicit TallyFile(QString path = defaultPath());

    // Beside the executable when that folder is writable (a portable
    // install), else in the user's data folder for Pinlex. The environment
    // variable PINLEX_TALLY_FILE names another file.
    static QString defaultPath();

    const QString &path() const { return m_path; }

    // A fresh table when there is no file yet. Throws ELzrw1Exception or
    // ETallyFormat, whose message is for the user, when the file is damaged.
    TallyTable load();
    // Writes a new file and renames it over the old one, so the file on disk
    // is always a whole tally. False when that failed; the old file stays.
    bool save(const TallyTable &table);
    // Copies an unreadable file aside before a save replaces it, under its
    // name with the date and time and ".damaged" added; earlier copies are
    // kept. Returns the copy's name, empty when none could be made.
    QString keepDamagedCopy() const;

private:
    static constexpr int kMaxDamagedCopies = 100;

    QString m_path;
    Tlzrw1 doit;
};
