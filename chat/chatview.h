#pragma once

#include "chat/chatstyles.h"

#include <QTextBrowser>
#include <QTextCursor>

#include <array>
#include <vector>

// The chat view (mainchat): a read-only list of items, each a text in one of
// the styles or a smiley picture, every item starting a new line or
// continuing the current one. Items in a link style are links, numbered from
// 0 in the order they stand; a click on one reports its number. All text is
// inserted as plain text with explicit formats, never interpreted as markup.
//
// Items added are shown once format() has run. A style changed since the
// last format() re-styles every item drawn in it at the next format(), so
// only the changed styles' items are touched and adding a line stays cheap
// however long the chat grows.
class ChatView : public QTextBrowser
{
    Q_OBJECT

public:
    explicit ChatView(QWidget *parent = nullptr);

    ChatStyles &styles() { return m_styles; }
    const ChatStyles &styles() const { return m_styles; }

    // A style index outside the table adds nothing.
    void addText(const QString &text, int style, bool newLine);
    // A smiley picture continuing the current line.
    void addPicture(int index);
    // Shows what was added and applies changed styles to earlier items.
    void format();
    void scrollToEnd();
    // Removes every item; link numbering starts again at 0.
    void removeAll();

    int linkCount() const { return m_linkCount; }
    bool isEmpty() const { return m_empty; }

    // The selection as plain text: CRLF between lines, pictures left out.
    QString selectedPlainText() const;
    // Puts the selection on the clipboard as plain text; nothing without one.
    void copySelection();

signals:
    void jump(int link);

protected:
    QMimeData *createMimeDataFromSelection() const override;
    QVariant loadResource(int type, const QUrl &name) override;

private:
    struct Range
    {
        int start = 0;
        int end = 0;
    };

    void beginBatch();
    void resetDocument();
    QTextBlockFormat lineFormat() const;

    ChatStyles m_styles;
    ChatStyles m_applied;   // the styles as last applied to the content
    std::array<std::vector<Range>, ChatStyles::kCount> m_ranges;
    QTextCursor m_cursor;
    bool m_batchOpen = false;
    bool m_followEnd = false;   // keep the end in view as lines arrive
    bool m_empty = true;
    int m_linkCount = 0;
    int m_lineHeight = 0;   // pixels, the same for every line
};
