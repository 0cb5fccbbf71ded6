#include "client/spylistform.h"

#include "client/gameclient.h"
#include "client/roster.h"
#include "ui/artwork.h"
#include "ui/controls.h"
#include "ui/palette.h"
#include "ui/windowpalette.h"

#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMouseEvent>

namespace {

// Reports where the mouse moves over the list, buttons up or down.
class HoverList : public QListWidget
{
public:
    using QListWidget::QListWidget;
    std::function<void(const QPoint &)> moved;

protected:
    void mouseMoveEvent(QMouseEvent *event) override
    {
        if (moved)
            moved(event->position().toPoint());
        QListWidget::mouseMoveEvent(event);
    }
    void leaveEvent(QEvent *event) override
    {
        if (moved)
            moved(QPoint(-1, -1));
        QListWidget::leaveEvent(event);
    }
};

} // namespace

Tspylist::Tspylist(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("spylist"));
    setWindowTitle(QStringLiteral("Pinlex - Spys"));
    setWindowFlag(Qt::WindowStaysOnTopHint);
    setModal(false);
    setFixedSize(220, 240);
    windowpalette::use(this);
    QPalette background = palette();
    background.setBrush(QPalette::Window, artwork::formBackground(size()));
    setPalette(background);
    setAutoFillBackground(true);

    Label1 = new QLabel(QStringLiteral("Spy List"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(12, 8, 196, 22);
    Label1->setFont(palette::sans(16));

    auto *list = new HoverList(this);
    listbox_spys = list;
    listbox_spys->setObjectName(QStringLiteral("listbox_spys"));
    listbox_spys->setGeometry(12, 36, 196, 158);
    listbox_spys->setMouseTracking(true);
    listbox_spys->setAccessibleName(QStringLiteral("Spectators"));
    listbox_spys->setContextMenuPolicy(Qt::CustomContextMenu);
    list->moved = [this](const QPoint &at) { listbox_spysMouseMove(at); };

    popup_kick = new QMenu(this);
    popup_kick->setObjectName(QStringLiteral("popup_kick"));
    popup_kickhim = popup_kick->addAction(QStringLiteral("Remove From Game"));
    popup_kickhim->setObjectName(QStringLiteral("popup_kickhim"));
    popup_kickhim->setEnabled(false); // until it follows a hosting copy
    connect(popup_kickhim, &QAction::triggered, this, &Tspylist::popup_kickhimClick);
    connect(listbox_spys, &QWidget::customContextMenuRequested, this, [this](const QPoint &at) {
        listbox_spysMouseMove(at);
        popup_kick->popup(listbox_spys->viewport()->mapToGlobal(at));
    });

    button_done = new FlatButton(QStringLiteral("Done"), this);
    button_done->setObjectName(QStringLiteral("button_done"));
    button_done->setGeometry(74, 204, 72, 24);
    connect(button_done, &QPushButton::clicked, this, &Tspylist::button_doneClick);
}

void Tspylist::follow(Roster *roster, const GameClient &client)
{
    QList<std::pair<int, QString>> lines;
    for (const Roster::Spectator &spectator : roster->spectatorList())
        lines.append({spectator.slot, spectator.line()});
    setLines(lines);
    connect(roster, &Roster::spectatorAdded, this, [this, roster](int row) {
        const Roster::Spectator &spectator = roster->spectatorList().at(row);
        insertLine(row, spectator.slot, spectator.line());
    });
    connect(roster, &Roster::spectatorRenamed, this,
            [this, roster](int row) { setLine(row, roster->spectatorList().at(row).line()); });
    connect(roster, &Roster::spectatorRemoved, this, &Tspylist::removeLine);
    connect(this, &Tspylist::removeRequested, roster, &Roster::kicking);
    popup_kickhim->setEnabled(client.ishost());
    connect(&client, &GameClient::hostingChanged, popup_kickhim, &QAction::setEnabled);
}

void Tspylist::setLines(const QList<std::pair<int, QString>> &lines)
{
    listbox_spys->clear();
    for (const auto &[slot, line] : lines)
        insertLine(listbox_spys->count(), slot, line);
    m_spyhover = -1;
}

void Tspylist::insertLine(int row, int slot, const QString &line)
{
    auto *item = new QListWidgetItem(line);
    item->setData(Qt::UserRole, slot);
    listbox_spys->insertItem(row, item);
}

void Tspylist::setLine(int row, const QString &line)
{
    if (QListWidgetItem *item = listbox_spys->item(row))
        item->setText(line);
}

void Tspylist::removeLine(int row)
{
    delete listbox_spys->takeItem(row);
    m_spyhover = -1;
}

void Tspylist::listbox_spysMouseMove(const QPoint &at)
{
    const QModelIndex index = listbox_spys->indexAt(at);
    m_spyhover = index.isValid() ? index.row() : -1;
}

void Tspylist::popup_kickhimClick()
{
    if (m_spyhover < 0 || m_spyhover >= listbox_spys->count())
        return;
    emit removeRequested(listbox_spys->item(m_spyhover)->data(Qt::UserRole).toInt());
}

void Tspylist::button_doneClick()
{
    close();
}
