#pragma once

// A small WordNet in the database's own file format, for tests that must
// not depend on the installed data or that damage it.
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QMap>

#include <algorithm>

namespace wordnetfixture {

struct Lemma
{
    const char *lemma;
    char part;   // n, v, a, r
    const char *gloss;
};

// Every file of the database, by name: each sense a record of its data
// file at the offset its index line gives, after a header as WordNet's own.
inline QMap<QString, QByteArray> files(const QList<Lemma> &lemmas)
{
    const QMap<char, QString> names{{'n', QStringLiteral("noun")}, {'v', QStringLiteral("verb")},
                                    {'a', QStringLiteral("adj")}, {'r', QStringLiteral("adv")}};
    const QByteArray header = "  1 a test database\n";
    QMap<QString, QByteArray> out;
    for (auto it = names.begin(); it != names.end(); ++it) {
        QByteArray data = header;
        QMap<QByteArray, QList<QByteArray>> offsets;
        for (const Lemma &l : lemmas) {
            if (l.part != it.key())
                continue;
            const QByteArray offset = QByteArray::number(data.size()).rightJustified(8, '0');
            offsets[l.lemma] << offset;
            data += offset + " 00 " + it.key() + " 01 " + l.lemma + " 0 000 | " + l.gloss + "\n";
        }
        QByteArray index = header;
        for (auto entry = offsets.begin(); entry != offsets.end(); ++entry) {
            const QByteArray count = QByteArray::number(entry->size());
            index += entry.key() + ' ' + it.key() + ' ' + count + " 0 " + count + " 0 " + entry->join(' ') + "  \n";
        }
        out[QStringLiteral("index.") + it.value()] = index;
        out[QStringLiteral("data.") + it.value()] = data;
        out[it.value() + QStringLiteral(".exc")] = QByteArray();
    }
    return out;
}

inline bool write(const QString &folder, const QMap<QString, QByteArray> &files)
{
    QDir().mkpath(folder);
    return std::all_of(files.keyValueBegin(), files.keyValueEnd(), [&](const auto &file) {
        QFile out(folder + QLatin1Char('/') + file.first);
        return out.open(QIODevice::WriteOnly | QIODevice::Truncate) && out.write(file.second) == file.second.size();
    });
}

} // namespace wordnetfixture
