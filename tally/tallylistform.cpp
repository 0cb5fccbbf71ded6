#include "tally/tallylistform.h"

#include "tally/tallykeeper.h"
#include "ui/artwork.h"
#include "ui/controls.h"
#include "ui/windowpalette.h"

#include <QFrame>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QSignalBlocker>

namespace {

QLabel *makeLabel(QWidget *parent, const QString &name, const QRect &geometry, const QString &caption,
                  Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter)
{
    auto *label = new QLabel(caption, parent);
    label->setObjectName(name);
    label->setGeometry(geometry);
    // Names come from other players: never let them be read as markup.
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(alignment);
    return label;
}

QLabel *makeTitle(QWidget *parent, const QString &name, const QRect &geometry, const QString &caption)
{
    QLabel *title = makeLabel(parent, name, geometry, caption, Qt::AlignCenter);
    QFont bold = title->font();
    bold.setBold(true);
    title->setFont(bold);
    return title;
}

QFrame *makePanel(QWidget *parent, const QRect &geometry)
{
    auto *panel = new QFrame(parent);
    panel->setGeometry(geometry);
    panel->setFrameShape(QFrame::Panel);
    panel->setFrameShadow(QFrame::Sunken);
    panel->setAutoFillBackground(true);
    QPalette palette = panel->palette();
    palette.setColor(QPalette::Window, Qt::white);
    panel->setPalette(palette);
    return panel;
}

QListWidget *makeList(QWidget *parent, const QString &name, const QRect &geometry)
{
    auto *list = new QListWidget(parent);
    list->setObjectName(name);
    list->setGeometry(geometry);
    return list;
}

// Figures read 0 while their cell is empty.
QString shown(const QString &cell)
{
    return cell.isEmpty() ? QStringLiteral("0") : cell;
}

} // namespace

Ttallylist::Ttallylist(TallyKeeper &tally, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint), m_tally(tally)
{
    m_ask = [this](const QString &question) {
        return QMessageBox::question(this, QStringLiteral("Confirm"), question, QMessageBox::Yes | QMessageBox::No,
                                     QMessageBox::No)
               == QMessageBox::Yes;
    };
    setObjectName(QStringLiteral("tallylist"));
    setWindowTitle(QStringLiteral("Pinlex - Tally List"));
    setFixedSize(475, 431);
    buildControls();
    FormCreate();
}

void Ttallylist::buildControls()
{
    windowpalette::use(this);
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    setPalette(white);
    auto *background = new QLabel(this);
    background->setPixmap(artwork::formBackground(size()));
    background->setGeometry(rect());

    QFrame *own = makePanel(this, QRect(8, 8, 200, 160));
    Label8 = makeTitle(own, QStringLiteral("Label8"), QRect(4, 6, 192, 16), QStringLiteral("Your Total Tally"));
    const QStringList ownCaptions = {QStringLiteral("Total Games:"), QStringLiteral("Your Wins:"),
                                     QStringLiteral("300 Games:"), QStringLiteral("Strikes:"),
                                     QStringLiteral("Average:")};
    for (int k = 1; k <= 6; ++k) {
        const int top = 32 + (k - 1) * 24;
        if (k <= ownCaptions.size())
            makeLabel(own, QString(), QRect(16, top, 100, 18), ownCaptions[k - 1]);
        mylabel_[k] = makeLabel(own, QStringLiteral("mylabel_%1").arg(k), QRect(120, top, 64, 18),
                                QStringLiteral("0"), Qt::AlignRight | Qt::AlignVCenter);
    }
    mylabel_[6]->hide(); // the points sum behind the average

    QFrame *versus = makePanel(this, QRect(216, 8, 251, 160));
    label_hisnametop = makeTitle(versus, QStringLiteral("label_hisnametop"), QRect(4, 6, 243, 16),
                                 QStringLiteral("XX's Tally"));
    makeLabel(versus, QString(), QRect(140, 30, 50, 18), QStringLiteral("Total"), Qt::AlignRight | Qt::AlignVCenter);
    makeLabel(versus, QString(), QRect(192, 30, 50, 18), QStringLiteral("Session"), Qt::AlignRight | Qt::AlignVCenter);
    const QStringList versusCaptions = {QStringLiteral("Number of Games"), QStringLiteral("XX Wins:"),
                                        QStringLiteral("Your Wins:"), QStringLiteral("Neither Won:")};
    for (int k = 1; k <= 4; ++k) {
        const int top = 54 + (k - 1) * 24;
        QLabel *caption = makeLabel(versus, QString(), QRect(8, top, 130, 18), versusCaptions[k - 1]);
        if (k == TallyTable::kTheirWins) {
            label_hisname = caption;
            label_hisname->setObjectName(QStringLiteral("label_hisname"));
        }
        for (const int k2 : {k, k + TallyTable::kSession}) {
            const int left = k2 == k ? 140 : 192;
            label_[k2] = makeLabel(versus, QStringLiteral("label_%1").arg(k2), QRect(left, top, 50, 18),
                                   QStringLiteral("0"), Qt::AlignRight | Qt::AlignVCenter);
        }
    }

    makeLabel(this, QString(), QRect(8, 178, 225, 16), QStringLiteral("Players Being Tallied"));
    listbox_tally = makeList(this, QStringLiteral("listbox_tally"), QRect(8, 196, 225, 192));
    makeLabel(this, QString(), QRect(242, 178, 225, 16), QStringLiteral("Players In Current Game"));
    checklist = makeList(this, QStringLiteral("checklist"), QRect(242, 196, 225, 192));

    button_reset = new FlatButton(QStringLiteral("Reset Tally"), this);
    button_reset->setObjectName(QStringLiteral("button_reset"));
    button_reset->setGeometry(8, 398, 100, 25);
    button_done = new FlatButton(QStringLiteral("Done"), this);
    button_done->setObjectName(QStringLiteral("button_done"));
    button_done->setGeometry(367, 398, 100, 25);

    connect(checklist, &QListWidget::itemChanged, this, &Ttallylist::checklistClickCheck);
    connect(listbox_tally, &QListWidget::itemChanged, this, &Ttallylist::listbox_tallyClickCheck);
    connect(listbox_tally, &QListWidget::currentRowChanged, this, &Ttallylist::listbox_tallyClick);
    connect(button_reset, &QPushButton::clicked, this, &Ttallylist::button_resetClick);
    connect(button_done, &QPushButton::clicked, this, &Ttallylist::button_doneClick);
}

void Ttallylist::FormCreate()
{
    for (const QString &name : m_tally.table().opponents())
        appendTallied(name);
    refresh();
    connect(&m_tally, &TallyKeeper::changed, this, &Ttallylist::refresh);
    connect(&m_tally, &TallyKeeper::gameCounted, this, &Ttallylist::loadchecklist);
}

void Ttallylist::appendTallied(const QString &name)
{
    const QSignalBlocker blocker(listbox_tally);
    auto *item = new QListWidgetItem(name, listbox_tally);
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
    item->setCheckState(Qt::Checked);
}

void Ttallylist::refresh()
{
    for (int k = 1; k < int(mylabel_.size()); ++k)
        mylabel_[k]->setText(shown(m_tally.table().cell(k, 0)));
    if (listbox_tally->currentRow() >= 0)
        listbox_tallyClick();
}

void Ttallylist::loadchecklist(const QStringList &names)
{
    {
        const QSignalBlocker blocker(checklist);
        checklist->clear();
        for (const QString &name : names) {
            auto *item = new QListWidgetItem(name, checklist);
            item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        }
    }
    syncChecklist();
}

void Ttallylist::syncChecklist()
{
    const QSignalBlocker blocker(checklist);
    for (int i = 0; i < checklist->count(); ++i) {
        QListWidgetItem *item = checklist->item(i);
        item->setCheckState(m_tally.table().opponentRow(item->text()) >= 0 ? Qt::Checked : Qt::Unchecked);
    }
}

void Ttallylist::checklistClickCheck(QListWidgetItem *item)
{
    if (!item || !m_tally.addOpponent(item->text()))
        return;
    appendTallied(item->text());
}

void Ttallylist::listbox_tallyClickCheck(QListWidgetItem *item)
{
    if (!item || item->checkState() == Qt::Checked)
        return;
    const int index = listbox_tally->row(item);
    const QString name = item->text();
    if (!m_ask(QStringLiteral("This will delete ") + name + QStringLiteral("'s Tally, Are you want to delete it?"))) {
        const QSignalBlocker blocker(listbox_tally);
        item->setCheckState(Qt::Checked);
        return;
    }
    m_tally.removeOpponent(index + 1);
    delete listbox_tally->takeItem(index);
    syncChecklist();
}

void Ttallylist::listbox_tallyClick()
{
    const int row = listbox_tally->currentRow() + 1;
    const TallyTable &table = m_tally.table();
    if (row < 1 || row >= table.rowCount())
        return;
    for (int k = 1; k < int(label_.size()); ++k)
        label_[k]->setText(shown(table.cell(k, row)));
    const QString name = table.cell(0, row);
    label_hisname->setText(name + QStringLiteral(" Wins:"));
    label_hisnametop->setText(name + QStringLiteral("'s Tally"));
}

void Ttallylist::button_resetClick()
{
    if (!m_ask(QStringLiteral("Are you sure you want to reset the Tally?")))
        return;
    {
        const QSignalBlocker blocker(listbox_tally);
        listbox_tally->clear();
    }
    m_tally.reset();
    for (int k = 1; k < int(label_.size()); ++k)
        label_[k]->setText(QStringLiteral("0"));
    syncChecklist();
}

void Ttallylist::button_doneClick()
{
    hide();
}
