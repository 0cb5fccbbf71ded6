#include "app/errorlog.h"

#include <algorithm>

namespace {

// One line of plain text: a line break inside a peer's field would make a
// line of its own that seems to come from the program. An overlong message
// keeps its beginning and its end, where the program's own words are.
QString oneLine(const QString &message)
{
    QString text = message.size() > ErrorLog::kMaxLength
                       ? message.left(ErrorLog::kMaxLength / 2) + QChar(0x2026)
                             + message.right(ErrorLog::kMaxLength / 2 - 1)
                       : message;
    for (QChar &c : text) {
        if (c.category() == QChar::Other_Control || c.category() == QChar::Separator_Line
            || c.category() == QChar::Separator_Paragraph)
            c = QLatin1Char(' ');
    }
    return text;
}

} // namespace

void ErrorLog::add(const QString &message)
{
    const QString text = oneLine(message);
    const auto same = std::find_if(m_entries.begin(), m_entries.end(),
                                   [&text](const Entry &entry) { return entry.text == text; });
    Entry entry{text};
    if (same != m_entries.end()) {
        entry.count = same->count + 1;
        m_entries.erase(same);
    } else if (m_entries.size() >= kMaxEntries) {
        m_entries.removeFirst();
    }
    m_entries.append(entry);
}

QStringList ErrorLog::lines() const
{
    QStringList lines;
    lines.reserve(m_entries.size());
    for (const Entry &entry : m_entries)
        lines.append(entry.count > 1 ? QStringLiteral("%1 (%2 times)").arg(entry.text).arg(entry.count) : entry.text);
    return lines;
}

qint64 ErrorLog::showDelay(qint64 now) const
{
    if (!m_dismissedAt)
        return 0;
    return std::clamp(*m_dismissedAt + kReshowDelayMs - now, qint64(0), kReshowDelayMs);
}
