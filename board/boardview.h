#pragma once

#include <QObject>
#include <QPointer>

#include <array>

class PictureBox;
class QWidget;
class RackModel;

// The letter board on the window's board panel: the ten word slots
// image_word1..10 and the ten rack tiles image_letters1..10. It draws what
// the rack model holds, refreshes on its signals and hands mouse presses and
// releases to it; it keeps no state of its own.
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

    // The command images, the invalid-word panel and its OK picture the
    // window made: shown and hidden as the model says, clicks forwarded.
    void attachCommands(PictureBox *clear, PictureBox *send, PictureBox *sort, QWidget *badWordPanel,
                        PictureBox *ok);
    // Key presses in window reach the board before its focused control, and
    // short-cuts the board claims do not fire.
    void watchKeys(QWidget *window);

    void refresh();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    RackModel *m_model;
    std::array<PictureBox *, 11> m_words{};
    std::array<PictureBox *, 11> m_tiles{};
    QPointer<QWidget> m_window;
};
