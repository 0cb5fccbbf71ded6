#include "chat/chatmodel.h"

#include "chat/chatline.h"

#include <algorithm>

namespace {

QString oneLine(QString text)
{
    for (QChar &c : text) {
        if (c.unicode() < 0x20 || c == QChar::LineSeparator || c == QChar::ParagraphSeparator
            || c == QChar::ObjectReplacementCharacter)
            c = QLatin1Char(' ');
    }
    return text;
}

} // namespace

QString ChatRow::plainText() const
{
    QString plain = text;
    plain.remove(QChar::ObjectReplacementCharacter);
    return plain;
}

int ChatModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

QVariant ChatModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid)
        || role != Qt::DisplayRole)
        return {};
    return row(index.row()).plainText();
}

ChatRow &ChatModel::startRow(bool newLine)
{
    if (newLine || m_rows.empty()) {
        if (m_rows.size() >= std::size_t(kMaxLines)) {
            beginRemoveRows({}, 0, 0);
            m_rows.pop_front();
            endRemoveRows();
        }
        const int at = int(m_rows.size());
        beginInsertRows({}, at, at);
        ChatRow row;
        row.firstLink = m_linkCount;
        row.serial = m_nextSerial++;
        m_rows.push_back(std::move(row));
        endInsertRows();
    }
    return m_rows.back();
}

void ChatModel::addText(const QString &text, int style, bool link, bool newLine)
{
    ChatRow &row = startRow(newLine);
    const int room = kMaxLineLength - int(row.text.size());
    if (text.isEmpty() || room <= 0)
        return;
    ChatItem item;
    item.start = int(row.text.size());
    item.style = style;
    row.text += oneLine(text.left(room));
    item.length = int(row.text.size()) - item.start;
    if (link)
        item.link = m_linkCount++;
    row.items.push_back(item);
    const QModelIndex changed = index(int(m_rows.size()) - 1);
    emit dataChanged(changed, changed, {Qt::DisplayRole});
}

void ChatModel::addPicture(int picture)
{
    ChatRow &row = startRow(false);
    if (row.text.size() >= kMaxLineLength)
        return;
    ChatItem item;
    item.start = int(row.text.size());
    item.length = 1;
    item.picture = picture >= 0 && picture < chatcodes::kSmileys ? picture : 0;
    row.text += QChar::ObjectReplacementCharacter;
    row.items.push_back(item);
    const QModelIndex changed = index(int(m_rows.size()) - 1);
    emit dataChanged(changed, changed, {Qt::DisplayRole});
}

void ChatModel::clear()
{
    beginResetModel();
    m_rows.clear();
    m_linkCount = 0;
    endResetModel();
}

int ChatModel::rowOfSerial(quint64 serial) const
{
    if (m_rows.empty() || serial < m_rows.front().serial || serial > m_rows.back().serial)
        return -1;
    return int(serial - m_rows.front().serial);
}

std::optional<QString> ChatModel::linkText(int number) const
{
    if (number < firstLink() || number >= m_linkCount)
        return std::nullopt;
    // Rows hold their links in number order: the link is in the last row
    // that starts at or before it.
    auto after = std::upper_bound(m_rows.begin(), m_rows.end(), number,
                                  [](int n, const ChatRow &row) { return n < row.firstLink; });
    const ChatRow &row = *std::prev(after);
    for (const ChatItem &item : row.items) {
        if (item.link == number)
            return row.itemText(item);
    }
    return std::nullopt;
}
