#pragma once

#include <QAbstractListModel>
#include <QString>

#include <deque>
#include <optional>
#include <vector>

// One item of a chat line: a run of the line's text in one text style, or a
// smiley picture (one U+FFFC character of the text).
struct ChatItem
{
    int start = 0;
    int length = 0;
    int style = 0;
    int picture = -1;   // the smiley picture, -1 for text
    int link = -1;      // the link's number, -1 when the item is no link
};

// One line of the chat: its text, pictures as U+FFFC, and its items in order.
struct ChatRow
{
    QString text;
    std::vector<ChatItem> items;
    int firstLink = 0;    // the number its first link has or would have
    quint64 serial = 0;   // never reused, so a row can be found again after older rows went

    QString itemText(const ChatItem &item) const { return text.mid(item.start, item.length); }
    // The text as a reader sees or copies it: pictures left out.
    QString plainText() const;
};

// The lines of the chat view, at most kMaxLines of them: a new line beyond
// that drops the oldest, so a flood cannot grow the chat without end. Items
// keep only their style; what a style looks like is the view's business,
// so a change of colour costs nothing here.
class ChatModel : public QAbstractListModel
{
    Q_OBJECT

public:
    static constexpr int kMaxLines = 5000;
    // Longer than any line an honest host relays; the rest of a line is dropped.
    static constexpr int kMaxLineLength = 4000;

    using QAbstractListModel::QAbstractListModel;

    int rowCount(const QModelIndex &parent = {}) const override;
    // The display role is the line's plain text.
    QVariant data(const QModelIndex &index, int role) const override;

    // Adds a text item, starting a new line with newLine (the first item
    // always does); a link item gets the next link number. Control
    // characters are shown as blanks, so that no sender can start lines
    // that look like somebody else's.
    void addText(const QString &text, int style, bool link, bool newLine);
    // A smiley picture continuing the current line.
    void addPicture(int picture);
    // Removes every line; link numbers start again at 0.
    void clear();

    const ChatRow &row(int index) const { return m_rows[std::size_t(index)]; }
    // The row with that serial number, -1 when it is no longer there.
    int rowOfSerial(quint64 serial) const;

    // Links given out since the last clear.
    int linkCount() const { return m_linkCount; }
    // The number of the oldest link still shown; linkCount() when none is.
    int firstLink() const { return m_rows.empty() ? m_linkCount : m_rows.front().firstLink; }
    // The text of a link still shown, trailing blank included.
    std::optional<QString> linkText(int number) const;

private:
    ChatRow &startRow(bool newLine);

    std::deque<ChatRow> m_rows;
    quint64 m_nextSerial = 0;
    int m_linkCount = 0;
};
