#include "definitions/wordnet.h"

#include <QDir>
#include <QFileInfo>

namespace {

// A lemma has at most a few dozen senses and kinds of pointer; a count
// beyond these is damage.
constexpr int kMaxSenses = 500;
constexpr int kMaxPointerKinds = 100;
// A gloss longer than this is cut: the window shows short ones.
constexpr qsizetype kMaxGloss = 300;

struct Detachment
{
    const char *suffix;
    const char *ending;
};

// WordNet's own rules of detachment, in its order, then regular spellings
// those leave out: "scratchier" (scratchy), "bobsledded" (bobsled).
const QList<Detachment> &detachments(PartOfSpeech part)
{
    static const std::array<QList<Detachment>, 4> rules = {{
        {{"s", ""}, {"ses", "s"}, {"xes", "x"}, {"zes", "z"}, {"ches", "ch"}, {"shes", "sh"}, {"men", "man"},
         {"ies", "y"}},
        {{"s", ""}, {"ies", "y"}, {"es", "e"}, {"es", ""}, {"ed", "e"}, {"ed", ""}, {"ing", "e"}, {"ing", ""}},
        {{"er", ""}, {"est", ""}, {"er", "e"}, {"est", "e"}, {"ier", "y"}, {"iest", "y"}},
        {},
    }};
    return rules[size_t(part)];
}

// The endings after which a doubled final consonant is single in the lemma.
const QList<QByteArrayView> &doublingEndings(PartOfSpeech part)
{
    static const std::array<QList<QByteArrayView>, 4> endings = {{
        {},
        {"ed", "ing"},
        {"er", "est"},
        {},
    }};
    return endings[size_t(part)];
}

bool isVowel(char c)
{
    return c == 'a' || c == 'e' || c == 'i' || c == 'o' || c == 'u';
}

const char *fileSuffix(PartOfSpeech part)
{
    static const char *const names[] = {"noun", "verb", "adj", "adv"};
    return names[size_t(part)];
}

// A field of digits as a number no larger than max; -1 otherwise.
qint64 number(QByteArrayView field, qint64 max)
{
    if (field.isEmpty() || field.size() > 18)
        return -1;
    qint64 value = 0;
    for (const char c : field) {
        if (c < '0' || c > '9')
            return -1;
        value = value * 10 + (c - '0');
    }
    return value <= max ? value : -1;
}

// A line's fields, split at single spaces; no more than a line can hold.
QList<QByteArrayView> fieldsOf(QByteArrayView line)
{
    QList<QByteArrayView> fields;
    while (!line.isEmpty()) {
        const qsizetype space = line.indexOf(' ');
        fields << (space < 0 ? line : line.first(space));
        line = space < 0 ? QByteArrayView() : line.sliced(space + 1);
    }
    return fields;
}

} // namespace

QString partOfSpeechName(PartOfSpeech part)
{
    static const char *const names[] = {"noun", "verb", "adjective", "adverb"};
    return QLatin1String(names[size_t(part)]);
}

QList<QByteArray> WordNet::detached(QByteArrayView word, PartOfSpeech part)
{
    QList<QByteArray> stems;
    // A noun in -ss is not a plural, and two letters leave no stem.
    if (part == PartOfSpeech::Noun && (word.endsWith("ss") || word.size() <= 2))
        return stems;
    for (const Detachment &rule : detachments(part)) {
        const QByteArrayView suffix(rule.suffix);
        if (word.size() > suffix.size() && word.endsWith(suffix))
            stems << word.chopped(suffix.size()).toByteArray() + rule.ending;
    }
    for (const QByteArrayView ending : doublingEndings(part)) {
        const qsizetype stem = word.size() - ending.size();
        if (stem >= 3 && word.endsWith(ending) && word[stem - 1] == word[stem - 2] && !isVowel(word[stem - 1]))
            stems << word.first(stem - 1).toByteArray();
    }
    return stems;
}

WordNet::WordNet(const QString &folder)
{
    const QDir dir(folder);
    m_complete = true;
    for (const PartOfSpeech part : kPartsOfSpeech) {
        Files &f = m_files[size_t(part)];
        const QLatin1String name(fileSuffix(part));
        const QString index = dir.filePath(QStringLiteral("index.") + name);
        const QString data = dir.filePath(QStringLiteral("data.") + name);
        // Installed but unreadable (emptied, say) is damage, not absence:
        // it finds nothing.
        m_complete = m_complete && QFileInfo(index).isFile() && QFileInfo(data).isFile();
        f.index.open(index);
        f.data.open(data);
        f.exceptions.open(dir.filePath(name + QStringLiteral(".exc")));
    }
}

void WordNet::release() const
{
    for (const Files &f : m_files) {
        f.index.release();
        f.data.release();
        f.exceptions.release();
    }
}

std::optional<WordNet::Entry> WordNet::entry(QByteArrayView lemma, PartOfSpeech part) const
{
    const QList<QByteArrayView> lines = files(part).index.find(lemma);
    if (lines.isEmpty())
        return std::nullopt;
    // lemma pos synset_cnt p_cnt [ptr_symbol...] sense_cnt tagsense_cnt synset_offset...
    const QList<QByteArrayView> fields = fieldsOf(lines.first());
    if (fields.size() < 6)
        return std::nullopt;
    const qint64 senses = number(fields[2], kMaxSenses);
    const qint64 pointers = number(fields[3], kMaxPointerKinds);
    if (senses <= 0 || pointers < 0)
        return std::nullopt;
    const qsizetype first = 4 + pointers + 2;
    if (fields.size() < first + senses)
        return std::nullopt;
    Entry entry;
    entry.tagged = int(qMax<qint64>(0, number(fields[first - 1], kMaxSenses)));
    const qint64 dataSize = files(part).data.size();
    for (qsizetype k = first; k < first + senses; ++k) {
        const qint64 offset = number(fields[k], dataSize - 1);
        if (offset < 0)
            return std::nullopt;
        entry.offsets << offset;
    }
    return entry;
}

QString WordNet::gloss(PartOfSpeech part, qint64 offset) const
{
    // synset_offset lex_filenum ss_type w_cnt word lex_id ... | gloss
    const QByteArrayView record = files(part).data.lineAt(offset);
    const qsizetype space = record.indexOf(' ');
    if (space <= 0 || number(record.first(space), files(part).data.size()) != offset)
        return QString();
    const qsizetype bar = record.indexOf(" | ");
    if (bar < 0)
        return QString();
    QByteArrayView text = record.sliced(bar + 3).trimmed();
    // The examples follow the definition, each in quotes after a ';' (or
    // a ':' or ','); a quote inside the definition stays.
    for (qsizetype quote = text.indexOf('"'); quote > 0; quote = text.indexOf('"', quote + 1)) {
        const QByteArrayView before = text.first(quote).trimmed();
        if (!before.isEmpty() && QByteArrayView(";:,").contains(before.back())) {
            text = before.chopped(1).trimmed();
            break;
        }
    }
    QString gloss = QString::fromLatin1(text);
    if (gloss.size() > kMaxGloss)
        gloss = gloss.first(kMaxGloss - 1) + QChar(0x2026);
    return gloss;
}

QString WordNet::firstGloss(QByteArrayView lemma, PartOfSpeech part) const
{
    if (const std::optional<Entry> found = entry(lemma, part)) {
        for (const qint64 offset : found->offsets) {
            if (QString text = gloss(part, offset); !text.isEmpty())
                return text;
        }
    }
    return QString();
}

QList<QByteArray> WordNet::exceptions(QByteArrayView word, PartOfSpeech part) const
{
    QList<QByteArray> bases;
    for (const QByteArrayView line : files(part).exceptions.find(word)) {
        const QList<QByteArrayView> fields = fieldsOf(line);
        for (qsizetype k = 1; k < fields.size(); ++k) {
            const QByteArray base = fields[k].toByteArray();
            if (!base.isEmpty() && !bases.contains(base))
                bases << base;
        }
    }
    return bases;
}

QList<QByteArray> WordNet::baseForms(QByteArrayView word, PartOfSpeech part) const
{
    QList<QByteArray> candidates = exceptions(word, part);
    candidates << word.toByteArray();
    candidates << detached(word, part);
    QList<QByteArray> forms;
    for (const QByteArray &candidate : std::as_const(candidates)) {
        if (!forms.contains(candidate) && has(candidate, part))
            forms << candidate;
    }
    return forms;
}

QByteArray WordNet::closedCompound(QByteArrayView word, PartOfSpeech part) const
{
    const QList<QByteArray> candidates = QList<QByteArray>{word.toByteArray()} + detached(word, part);
    for (const QByteArray &candidate : candidates) {
        // Both halves of at least two letters.
        for (qsizetype split = 2; split + 2 <= candidate.size(); ++split) {
            for (const char joint : {'_', '-'}) {
                const QByteArray lemma = candidate.first(split) + joint + candidate.sliced(split);
                if (has(lemma, part))
                    return lemma;
            }
        }
    }
    return QByteArray();
}
