#include "settings/inifile.h"

#include "base/atomicfile.h"
#include "base/numbers.h"
#include "base/programfolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <vector>

namespace {

// One line of the file: [start, end) without its line break.
struct Line
{
    qsizetype start = 0;
    qsizetype end = 0;
};

std::vector<Line> splitLines(const QByteArray &data)
{
    std::vector<Line> lines;
    qsizetype start = 0;
    while (start < data.size()) {
        qsizetype next = data.indexOf('\n', start);
        if (next < 0)
            next = data.size();
        const qsizetype end = (next > start && data[next - 1] == '\r') ? next - 1 : next;
        lines.push_back({start, end});
        start = next + 1;
    }
    return lines;
}

bool sameName(QByteArrayView stored, QStringView wanted)
{
    return QString::fromLatin1(stored).compare(wanted, Qt::CaseInsensitive) == 0;
}

// Where a section and a key stand in the file; -1 where missing. Only the
// first section of the name counts, and within it the first key.
struct Location
{
    qsizetype header = -1;
    qsizetype key = -1;
    qsizetype lastKey = -1;
};

QByteArrayView lineText(const QByteArray &data, const Line &line)
{
    return QByteArrayView(data).sliced(line.start, line.end - line.start).trimmed();
}

Location findEntry(const QByteArray &data, const std::vector<Line> &lines, QStringView section, QStringView key)
{
    Location found;
    for (qsizetype i = 0; i < qsizetype(lines.size()); ++i) {
        const QByteArrayView text = lineText(data, lines[i]);
        if (text.startsWith('[')) {
            if (found.header >= 0)
                break; // the end of our section
            qsizetype close = text.indexOf(']');
            if (close < 0)
                close = text.size();
            if (sameName(text.sliced(1, close - 1).trimmed(), section))
                found.header = i;
            continue;
        }
        if (found.header < 0 || text.startsWith(';'))
            continue;
        const qsizetype equals = text.indexOf('=');
        if (equals < 0)
            continue;
        found.lastKey = i;
        if (found.key < 0 && sameName(text.first(equals).trimmed(), key))
            found.key = i;
    }
    return found;
}

QByteArray lineBreakOf(const QByteArray &data)
{
    const qsizetype newline = data.indexOf('\n');
    if (newline >= 0)
        return newline > 0 && data[newline - 1] == '\r' ? QByteArrayLiteral("\r\n") : QByteArrayLiteral("\n");
#ifdef Q_OS_WIN
    return QByteArrayLiteral("\r\n");
#else
    return QByteArrayLiteral("\n");
#endif
}

QByteArray unquoted(QByteArrayView value)
{
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        value = value.sliced(1, value.size() - 2);
    return value.toByteArray();
}

} // namespace

IniFile::IniFile(QString path) : m_path(std::move(path)) {}

QByteArray IniFile::load() const
{
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

QString IniFile::readString(QStringView section, QStringView key, const QString &defaultValue) const
{
    const QByteArray data = load();
    const std::vector<Line> lines = splitLines(data);
    const Location found = findEntry(data, lines, section, key);
    if (found.key < 0)
        return defaultValue;
    const QByteArrayView text = lineText(data, lines[found.key]);
    const QByteArray value = unquoted(text.sliced(text.indexOf('=') + 1).trimmed());
    return QString::fromLatin1(value.left(kMaxValueLength));
}

int IniFile::readInteger(QStringView section, QStringView key, int defaultValue) const
{
    const QString text = readString(section, key, QString());
    if (text.startsWith(QLatin1String("0x"), Qt::CaseInsensitive)) {
        bool ok = false;
        const uint value = text.mid(2).toUInt(&ok, 16);
        return ok ? int(value) : defaultValue;
    }
    int value = defaultValue;
    return tryStrToInt(text.toLatin1(), &value) ? value : defaultValue;
}

namespace {

// The file's text with one entry set; every other byte as it was.
QByteArray withEntry(const QByteArray &data, QStringView section, QStringView key, const QString &value)
{
    const QByteArray eol = lineBreakOf(data);
    // A line break inside the value would break the file's lines apart.
    QString oneLine = value;
    oneLine.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
    const QByteArray entry = key.toLatin1() + '=' + oneLine.toLatin1();

    QByteArray updated = data;
    const std::vector<Line> lines = splitLines(data);
    const Location found = findEntry(data, lines, section, key);
    if (found.key >= 0) {
        const Line &line = lines[found.key];
        const qsizetype valueStart = data.indexOf('=', line.start) + 1;
        updated.replace(valueStart, line.end - valueStart, oneLine.toLatin1());
    } else if (found.header >= 0) {
        const Line &after = lines[found.lastKey >= 0 ? found.lastKey : found.header];
        updated.insert(after.end, eol + entry);
    } else {
        if (!updated.isEmpty() && !updated.endsWith('\n'))
            updated += eol;
        updated += '[' + section.toLatin1() + ']' + eol + entry + eol;
    }
    return updated;
}

} // namespace

void IniFile::writeString(QStringView section, QStringView key, const QString &value)
{
    writeStrings(section, {{key.toString(), value}});
}

void IniFile::writeStrings(QStringView section, const Entries &entries)
{
    const QString fullPath = QFileInfo(m_path).absoluteFilePath();
    const auto refused = [&fullPath] { return EIniFileError(QStringLiteral("Unable to write to %1").arg(fullPath)); };

    const QFileInfo info(fullPath);
    if (info.exists() && (!info.isFile() || !info.isReadable() || !info.isWritable()))
        throw refused();
    QByteArray updated = load();
    for (const auto &[key, value] : entries)
        updated = withEntry(updated, section, key, value);

    if (!QDir().mkpath(info.absolutePath()))
        throw refused();
    AtomicFile file(fullPath);
    // A folder the user may not write to keeps a file the user may: then
    // the file is written in place.
    file.setDirectWriteFallback(true);
    if (!file.open(QIODevice::WriteOnly) || file.write(updated) != updated.size() || !file.commit())
        throw refused();
}

void IniFile::writeInteger(QStringView section, QStringView key, int value)
{
    writeString(section, key, QString::number(value));
}

QString IniFile::locate(const QString &name)
{
    const QString chosen = qEnvironmentVariable("PINLEX_SETTINGS_FILE");
    if (!chosen.isEmpty())
        return chosen;
    if (const QString besideProgram = writableProgramFolder(); !besideProgram.isEmpty())
        return QDir(besideProgram).filePath(name);
    return QDir(QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation)).filePath(name);
}
