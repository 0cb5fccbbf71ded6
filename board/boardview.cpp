#include "board/boardview.h"

#include "board/rackmodel.h"
#include "board/tileimages.h"
#include "ui/controls.h"

#include <QApplication>
#include <QKeyEvent>

BoardView::BoardView(RackModel *model, QWidget *panel) : QObject(panel), m_model(model)
{
    for (int k = 1; k <= RackModel::kTiles; ++k) {
        m_words[k] = new PictureBox(panel);
        m_words[k]->setObjectName(QStringLiteral("image_word%1").arg(k));
        m_words[k]->setGeometry(kLeft[k], kWordTop, kTileSize, kTileSize);
        connect(m_words[k], &PictureBox::mouseReleased, this, [this, k] { m_model->image_word1MouseUp(k); });

        m_tiles[k] = new PictureBox(panel);
        m_tiles[k]->setObjectName(QStringLiteral("image_letters%1").arg(k));
        m_tiles[k]->resize(kTileSize, kTileSize);
        connect(m_tiles[k], &PictureBox::mousePressed, this,
                [this, k](Qt::MouseButton button) { m_model->image_letters1MouseDown(k, button); });
    }
    connect(model, &RackModel::changed, this, &BoardView::refresh);
    refresh();
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
        PictureBox *word = m_words[k];
        word->setTag(slot.tag);
        word->setHint(slot.hint);
        word->setPicture(tileimages::picture(slot.picture));
        word->setAccessibleName(tileimages::describe(slot.picture));

        const RackModel::Tile &tile = m_model->tile(k);
        PictureBox *rack = m_tiles[k];
        rack->setTag(tile.tag);
        rack->setHint(tile.hint);
        if (tile.picture() == RackModel::kNoPicture)
            rack->clear();
        else
            rack->setPicture(tileimages::picture(tile.picture()));
        const int place = qBound(1, tile.place, RackModel::kTiles);
        rack->move(kLeft[place], tile.raised ? kRaisedTop : kRackTop);
        rack->setAccessibleName(tile.picture() == RackModel::kNoPicture ? QStringLiteral("empty rack place")
                                                                        : tileimages::describe(tile.picture()));
        rack->setAccessibleDescription(tile.raised ? QStringLiteral("raised for a swap") : QString());
    }
}

void BoardView::attachCommands(PictureBox *clear, PictureBox *send, PictureBox *sort, QWidget *badWordPanel,
                               PictureBox *ok)
{
    RackModel *model = m_model;
    connect(clear, &PictureBox::clicked, model, &RackModel::button_clearClick);
    connect(send, &PictureBox::clicked, model, &RackModel::button_sendClick);
    connect(sort, &PictureBox::clicked, model, &RackModel::button_sortClick);
    connect(ok, &PictureBox::clicked, model, &RackModel::Image3Click);
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
        if (!m_model->claimsKey(key->key()))
            return false;
        event->accept();
        return true;
    }
    return m_model->FormShortCut(key->key(), key->modifiers());
}
