#pragma once

#include "chat/chatdelegate.h"
#include "chat/chatmodel.h"
#include "chat/chatstyles.h"

#include <QAbstractScrollArea>

#include <array>
#include <deque>

// The chat view (mainchat): a read-only list of lines, each made of items
// that are a text in one of the styles or a smiley picture. Items in a link
// style are links, numbered from 0 in the order they stand; a click on one
// reports its number. Peer text is only ever drawn as plain text.
//
// The lines live in a ChatModel (at most ChatModel::kMaxLines of them) and
// are painted by a ChatDelegate that looks each item's style up when it
// paints: a style's new colour shows on every line drawn in it at the cost
// of repainting what is visible. Only a change of font or width lays lines
// out again.
//
// Items added are shown once format() has run. A screen reader reads it
// through ChatAccessible, which whoever shows a chat view installs.
class ChatView : public QAbstractScrollArea
{
    Q_OBJECT

public:
    explicit ChatView(QWidget *parent = nullptr);

    ChatStyles &styles() { return m_styles; }
    const ChatStyles &styles() const { return m_styles; }
    const ChatModel &model() const { return m_model; }

    // A style index outside the table adds nothing.
    void addText(const QString &text, int style, bool newLine);
    // A smiley picture continuing the current line.
    void addPicture(int index);
    // Shows what was added and what the styles look like now. A new text
    // size keeps the line at the top of the view where it was.
    void format();
    // Brings the end into view and keeps it there as lines arrive, until
    // the player scrolls.
    void scrollToEnd();
    // Removes every line; link numbering starts again at 0.
    void removeAll();

    // Links given out since the last removeAll().
    int linkCount() const { return m_model.linkCount(); }
    bool isEmpty() const { return m_model.rowCount() == 0; }
    // Every line, pictures as U+FFFC, lines ended by '\n' but the last.
    QString toPlainText() const;

    bool hasSelection() const { return m_anchor != m_cursor; }
    void selectAll();
    // The selection as plain text: CRLF between lines, pictures left out.
    QString selectedPlainText() const;
    // Puts the selection on the clipboard as plain text; nothing without one.
    void copySelection();

    // The word (a run of letters) at a point of the viewport; empty when none.
    QString wordAt(QPoint viewportPos) const;

    // Where lines and links are in the viewport; -1 and empty when nowhere.
    int lineAt(QPoint viewportPos) const;
    QRect lineRect(int line) const;
    QRect linkRect(int number) const;

signals:
    void jump(int link);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    struct Geometry
    {
        ChatDelegate::Measure measure;
        qint64 top = 0;   // pixels, counted from an origin that only the last layout knows
        int lines = 1;
    };
    struct TextPos
    {
        int row = 0;
        int offset = 0;
        auto operator<=>(const TextPos &) const = default;
    };
    // Which line is at the top of the view and how far into it.
    struct Anchor
    {
        quint64 serial = 0;
        double fraction = 0;
        bool valid = false;
    };

    void rowsInserted(int first, int last);
    void rowsRemoved(int first, int last);
    void rowChanged(int row);
    void modelReset();

    int contentWidth() const;
    int rowHeight(int row) const;
    int rowY(int row) const;   // content pixels
    int contentHeight() const;
    int rowAtY(int y) const;   // the placed row at content y, clamped; -1 when none
    void place(int from, bool remeasure, quint32 restyled);
    void relayout();
    Anchor topAnchor() const;
    void restore(const Anchor &anchor);
    void updateScrollBar();

    std::vector<ChatDelegate::Segment> segmentsOf(int row) const;
    TextPos posAt(QPoint viewportPos) const;
    int linkAt(QPoint viewportPos) const;
    void setCursorShape(QPoint viewportPos);

    ChatModel m_model;
    ChatStyles m_styles;
    ChatDelegate m_delegate;
    std::deque<Geometry> m_geometry;   // one per row of the model
    int m_placed = 0;                  // rows before this one are laid out
    int m_layoutWidth = 0;
    bool m_followEnd = false;
    TextPos m_anchor;                  // the selection: from anchor to cursor
    TextPos m_cursor;
    int m_pressedLink = -1;
    std::array<QColor, ChatStyles::kCount> m_shownColours;
    bool m_shiftingOrigin = false;   // the scroll value follows lines that went, the view stays
};
