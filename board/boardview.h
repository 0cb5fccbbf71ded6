#pragma once

#include "board/rackmodel.h"

#include <QObject>
#include <QPointer>

#include <array>
#include <functional>

class ListRow;
class PictureBox;
class QWidget;

// The letter board on the window's board panel: the ten word slots
// image_word1..10 and the ten rack tiles image_letters1..10, with a mark on
// the slot that typed letters go to while the board takes the keys. It
// draws what the rack model holds, refreshes on its signals and maps mouse
// buttons and keys to the model's operations; it keeps no state of its own.
// A screen reader finds the word row and the rack as two lists, each read
// left to right ("Rack, tile 3 of 10: E"), and the commands as buttons.
class BoardView : public QObject
{
    Q_OBJECT

public:
    static constexpr std::array<int, 11> kLeft = {0, 8, 52, 97, 141, 186, 230, 275, 319, 364, 408};
    static constexpr int kWordTop = 240;
    static constexpr int kRackTop = 289;
    static constexpr int kRaisedTop = 282;
    static constexpr int kTileSize = 41;

    // Creates the twenty pictures on panel (which owns them).
    BoardView(RackModel *model, QWidget *panel);

    PictureBox *wordSlot(int k) const;
    PictureBox *rackTile(int k) const;
    ListRow *wordRow() const { return m_wordRow; }
    ListRow *rackRow() const { return m_rackRow; }
    // The mark on the word row that shows the board takes the keys.
    QWidget *typingMark() const { return m_typingMark; }

    // The command images, the invalid-word panel and its OK picture the
    // window made: shown and hidden as the model says, clicks forwarded.
    void attachCommands(PictureBox *clear, PictureBox *send, PictureBox *sort, QWidget *badWordPanel,
                        PictureBox *ok);
    // Key presses in window reach the board before its focused control, and
    // short-cuts the board claims do not fire.
    void watchKeys(QWidget *window);
    // The chat line shares the keys with the board: while it has the focus
    // of its window the board takes none. When typing starts while the chat
    // line has the focus and is idle (holds nothing typed), the board panel
    // takes the focus; when typing ends, the panel gives it back.
    void shareKeysWith(QWidget *chatLine, std::function<bool()> idle);

    void refresh();

    // The controls' handlers. A left press takes the tile's letter, a right
    // press lifts the tile for a swap, a middle press only completes a swap.
    void image_letters1MouseDown(int tile, Qt::MouseButton button);
    void image_word1MouseUp(int slot);
    // A key pressed in the window before its focused control sees it (a Qt
    // key code); true when the board consumed it.
    bool FormShortCut(int key, Qt::KeyboardModifiers modifiers = {});
    // Key code to letter: A..Z give "a".."z", every other code "".
    static QString myletter(int key);
    // The board's reading of a key code.
    static RackModel::Key boardKey(int key, Qt::KeyboardModifiers modifiers = {});

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void followFocus();
    void typingChanged(bool typing);

    RackModel *m_model;
    QWidget *m_panel;
    QWidget *m_typingMark = nullptr;
    ListRow *m_wordRow = nullptr;
    ListRow *m_rackRow = nullptr;
    std::array<PictureBox *, 11> m_words{};
    std::array<PictureBox *, 11> m_tiles{};
    QPointer<QWidget> m_window;
    QPointer<QWidget> m_chatLine;
    std::function<bool()> m_chatIdle;
};
