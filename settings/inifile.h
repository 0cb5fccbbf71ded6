#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringView>

#include <utility>

#include <stdexcept>

// A write to the settings file that the file system refused.
class EIniFileError : public std::runtime_error
{
public:
    explicit EIniFileError(const QString &message) : std::runtime_error(message.toStdString()) {}
    QString message() const { return QString::fromUtf8(what()); }
};

// An ini file of "[section]" headers and "key=value" lines, shared with other
// programs that keep their own sections in it. Section and key names match
// without regard to case; values come back as stored (without the blanks
// around them). A write changes exactly the lines of its keys, or adds them,
// and leaves every other byte of the file as it was: the file's text is
// edited, never rebuilt from what was parsed, and replaced as a whole, so a
// reader never sees half of it. Text is single-byte (Latin-1), like the wire.
class IniFile
{
public:
    static constexpr qsizetype kMaxValueLength = 2047;

    explicit IniFile(QString path);

    const QString &fileName() const { return m_path; }

    // A missing file, section or key gives the default.
    QString readString(QStringView section, QStringView key, const QString &defaultValue) const;
    // Decimal text, or hexadecimal after "0x"; anything else gives the default.
    int readInteger(QStringView section, QStringView key, int defaultValue) const;

    // Key and value, in the order they are written.
    using Entries = QList<std::pair<QString, QString>>;

    // Creates the file, the section and the keys as needed. Throws
    // EIniFileError "Unable to write to <full path>" when the file cannot be
    // written; it is then as it was. writeStrings sets several keys of one
    // section in a single write of the file.
    void writeString(QStringView section, QStringView key, const QString &value);
    void writeStrings(QStringView section, const Entries &entries);
    void writeInteger(QStringView section, QStringView key, int value);

    // "name" beside the executable when that folder is writable, otherwise
    // in the user's configuration folder for the program.
    static QString locate(const QString &name);

private:
    QByteArray load() const;

    QString m_path;
};
