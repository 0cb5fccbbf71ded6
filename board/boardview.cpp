#include "board/boardview.h"

#include "board/rackmodel.h"
#include "board/tileimages.h"
#include "ui/controls.h"
#include "ui/palette.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPainter>

namespace {

// A frame around the word slot the next typed letter goes to; the clicks
// go through to the slot.
class TypingMark : public QWidget
{
public:
    explicit TypingMark(QWidget *parent) : QWidget(parent)
    {
        setObjectName(QStringLiteral("typing_mark"));
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setAccessibleName(QStringLiteral("Typed letters go here"));
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(palette::kRed, 3));
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(QRectF(rect()).adjusted(1.5, 1.5, -1.5, -1.5), 4, 4);
    }
};

// A board picture, painted for the screen it shows on.
PictureBox::Painter tilePicture(int index)
{
    return [index](qreal ratio) { return tileimages::picture(index, ratio); };
}

} // namespace

BoardView::BoardView(RackModel *model, QWidget *panel) : QObject(panel), m_model(model), m_panel(panel)
{
    // The rows hold the pictures where the panel would: a tile raised for a
    // swap stays inside its row.
    const int width = kLeft[RackModel::kTiles] + kTileSize - kLeft[1];
    m_wordRow = new ListRow(QStringLiteral("Word"), panel);
    m_wordRow->setObjectName(QStringLiteral("word_row"));
    m_wordRow->setGeometry(kLeft[1], kWordTop, width, kTileSize);
    m_rackRow = new ListRow(QStringLiteral("Rack"), panel);
    m_rackRow->setObjectName(QStringLiteral("rack_row"));
    m_rackRow->setGeometry(kLeft[1], kRaisedTop, width, kRackTop + kTileSize - kRaisedTop);
    for (int k = 1; k <= RackModel::kTiles; ++k) {
        m_words[k] = new PictureBox(m_wordRow);
        m_words[k]->setObjectName(QStringLiteral("image_word%1").arg(k));
        m_words[k]->setKind(PictureBox::Kind::ListItem);
        m_words[k]->setGeometry(kLeft[k] - kLeft[1], 0, kTileSize, kTileSize);
        connect(m_words[k], &PictureBox::mouseReleased, this, [this, k] { image_word1MouseUp(k); });

        m_tiles[k] = new PictureBox(m_rackRow);
        m_tiles[k]->setObjectName(QStringLiteral("image_letters%1").arg(k));
        m_tiles[k]->setKind(PictureBox::Kind::ListItem);
        m_tiles[k]->resize(kTileSize, kTileSize);
        connect(m_tiles[k], &PictureBox::mousePressed, this,
                [this, k](Qt::MouseButton button) { image_letters1MouseDown(k, button); });
    }
    m_typingMark = new TypingMark(panel);
    m_typingMark->resize(kTileSize, kTileSize);
    if (panel->accessibleName().isEmpty())
        panel->setAccessibleName(QStringLiteral("Letter board"));
    connect(model, &RackModel::changed, this, &BoardView::refresh);
    connect(model, &RackModel::takesKeysChanged, this, &BoardView::refresh);
    connect(model, &RackModel::typingChanged, this, &BoardView::typingChanged);
    refresh();
    typingChanged(model->typing());
}

PictureBox *BoardView::wordSlot(int k) const
{
    return k >= 1 && k <= RackModel::kTiles ? m_words[k] : nullptr;
}

PictureBox *BoardView::rackTile(int k) const
{
    return k >= 1 && k <= RackModel::kTiles ? m_tiles[k] : nullptr;
}

void BoardView::refresh()
{
    for (int k = 1; k <= RackModel::kTiles; ++k) {
        const RackModel::Slot &slot = m_model->slot(k);
        // An empty slot shows its pin, standing or knocked down.
        const int shown = !slot.shows.isNull() ? tileimages::numofletter(slot.shows)
                          : slot.pinDown       ? tileimages::kKnockedDown
                                               : tileimages::kKnockedDown + k;
        PictureBox *word = m_words[k];
        word->setTag(slot.tag);
        word->setHint(slot.hint);
        word->setPicture(tilePicture(shown));
        word->setAccessibleName(QStringLiteral("Word, letter %1: %2").arg(k).arg(tileimages::describe(shown)));

        const RackModel::Tile &tile = m_model->tile(k);
        PictureBox *rack = m_tiles[k];
        rack->setTag(tile.tag);
        rack->setHint(tile.hint);
        const int place = qBound(1, tile.place, RackModel::kTiles);
        const QString where = QStringLiteral("Rack, tile %1 of %2: ").arg(place).arg(RackModel::kTiles);
        if (tile.hint.isEmpty()) {
            rack->setPicture(QPixmap());
            rack->setAccessibleName(where + QStringLiteral("empty"));
        } else {
            const int letter = tileimages::numofletter(tile.hint.at(0));
            rack->setPicture(tilePicture(letter));
            rack->setAccessibleName(where + tileimages::describe(letter));
        }
        rack->move(kLeft[place] - kLeft[1], (tile.raised ? kRaisedTop : kRackTop) - kRaisedTop);
        rack->setAccessibleDescription(tile.raised ? QStringLiteral("raised for a swap") : QString());
    }
    // The rack's list reads in screen order.
    for (int place = 1; place <= RackModel::kTiles; ++place) {
        if (PictureBox *tile = rackTile(m_model->tileAt(place)))
            tile->raise();
    }
    const int next = qBound(1, m_model->wordlen() + 1, RackModel::kTiles);
    m_typingMark->move(kLeft[next], kWordTop);
    m_typingMark->setVisible(m_model->takesKeys());
}

void BoardView::attachCommands(PictureBox *clear, PictureBox *send, PictureBox *sort, QWidget *badWordPanel,
                               PictureBox *ok)
{
    // Buttons to a screen reader and the keyboard; a click leaves the keys
    // where they were.
    for (PictureBox *command : {clear, send, sort}) {
        command->setKind(PictureBox::Kind::Button);
        command->setFocusPolicy(Qt::TabFocus);
    }
    send->setAccessibleName(QStringLiteral("Send word"));
    RackModel *model = m_model;
    connect(clear, &PictureBox::clicked, model, &RackModel::returnWord);
    connect(send, &PictureBox::clicked, model, &RackModel::submitWord);
    connect(sort, &PictureBox::clicked, model, &RackModel::shuffleRack);
    connect(ok, &PictureBox::clicked, model, &RackModel::dismissRefusedWord);
    const auto showCommands = [clear, send, sort](bool visible) {
        clear->setVisible(visible);
        send->setVisible(visible);
        sort->setVisible(visible);
    };
    connect(model, &RackModel::commandsVisibleChanged, clear, showCommands);
    connect(model, &RackModel::badWordPanelChanged, badWordPanel, &QWidget::setVisible);
    showCommands(model->commandsVisible());
    badWordPanel->setVisible(model->badWordPanelVisible());
}

void BoardView::watchKeys(QWidget *window)
{
    m_window = window;
    qApp->installEventFilter(this);
}

void BoardView::shareKeysWith(QWidget *chatLine, std::function<bool()> idle)
{
    m_chatLine = chatLine;
    m_chatIdle = std::move(idle);
    connect(qApp, &QApplication::focusChanged, this, &BoardView::followFocus, Qt::UniqueConnection);
    followFocus();
}

// The window's focus widget, not the application's: the chat line keeps the
// keys of its window while another window is active.
void BoardView::followFocus()
{
    m_model->setChatHasKeys(m_chatLine && m_chatLine->window()->focusWidget() == m_chatLine);
}

void BoardView::typingChanged(bool typing)
{
    // A click anywhere on the board, or Tab from the chat line, gives the
    // board the keys while typing; out of typing, clicks leave the focus be.
    if (typing) {
        m_panel->setFocusPolicy(Qt::StrongFocus);
        // Tab from the chat line gives the board the keys, before any
        // button that follows the line (an order kept only while both take
        // the focus).
        if (m_chatLine)
            QWidget::setTabOrder(m_chatLine, m_panel);
        if (m_model->chatHasKeys() && m_chatIdle && m_chatIdle())
            m_panel->setFocus(Qt::OtherFocusReason);
    } else {
        if (m_chatLine && m_panel->window()->focusWidget() == m_panel)
            m_chatLine->setFocus(Qt::OtherFocusReason);
        m_panel->setFocusPolicy(Qt::NoFocus);
    }
    // No focus change is reported in a window that is not active.
    followFocus();
}

bool BoardView::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type type = event->type();
    if ((type != QEvent::KeyPress && type != QEvent::ShortcutOverride) || !m_window || !watched->isWidgetType())
        return false;
    if (static_cast<QWidget *>(watched)->window() != m_window)
        return false;
    auto *key = static_cast<QKeyEvent *>(event);
    if (type == QEvent::ShortcutOverride) {
        // Claiming the override keeps menu short-cuts from firing; the key
        // then arrives as a press.
        if (!m_model->claimsKey(boardKey(key->key(), key->modifiers())))
            return false;
        event->accept();
        return true;
    }
    return FormShortCut(key->key(), key->modifiers());
}

void BoardView::image_letters1MouseDown(int tile, Qt::MouseButton button)
{
    switch (button) {
    case Qt::LeftButton:
        m_model->selectTile(tile);
        break;
    case Qt::RightButton:
        m_model->liftTile(tile);
        break;
    default:
        m_model->swapWith(tile);
        break;
    }
}

void BoardView::image_word1MouseUp(int slot)
{
    m_model->putBack(slot);
}

bool BoardView::FormShortCut(int key, Qt::KeyboardModifiers modifiers)
{
    const QString letter = myletter(key);
    return m_model->typeKey(boardKey(key, modifiers), letter.isEmpty() ? QChar() : letter.at(0));
}

QString BoardView::myletter(int key)
{
    return key >= Qt::Key_A && key <= Qt::Key_Z ? QString(QChar(u'a' + (key - Qt::Key_A))) : QString();
}

RackModel::Key BoardView::boardKey(int key, Qt::KeyboardModifiers modifiers)
{
    using Key = RackModel::Key;
    // Menus, help and short-cuts stay reachable while typing.
    if (modifiers & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)
        || (key >= Qt::Key_F1 && key <= Qt::Key_F35) || key == Qt::Key_Alt || key == Qt::Key_Control
        || key == Qt::Key_Meta)
        return Key::Window;
    // Shift turns Tab into Backtab; only the digit keys of the main row
    // clear and shuffle.
    const bool keypad = modifiers.testFlag(Qt::KeypadModifier);
    switch (key) {
    case Qt::Key_Tab:
    case Qt::Key_Backtab: return Key::ToggleTyping;
    case Qt::Key_Return:
    case Qt::Key_Enter: return Key::Send;
    case Qt::Key_Backspace: return Key::Erase;
    case Qt::Key_1: return keypad ? Key::Other : Key::Clear;
    case Qt::Key_Escape: return Key::Clear;
    case Qt::Key_6: return keypad ? Key::Other : Key::Shuffle;
    case Qt::Key_Space: return Key::Space;
    default: return myletter(key).isEmpty() ? Key::Other : Key::Letter;
    }
}
