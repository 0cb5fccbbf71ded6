#include "client/playdialog.h"

#include "ui/artwork.h"
#include "ui/controls.h"
#include "ui/palette.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTableView>
#include <QVBoxLayout>

QVariant TPlayDialog::ShownTables::data(const QModelIndex &index, int role) const
{
    if (role == Qt::ForegroundRole && index.data(TableList::DimmedRole).toBool())
        return QGuiApplication::palette().brush(QPalette::Disabled, QPalette::Text);
    return QSortFilterProxyModel::data(index, role);
}

TPlayDialog::TPlayDialog(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("playdialog"));
    setWindowTitle(QStringLiteral("Pinlex - Play with Others"));
    setModal(false);

    auto *layout = new QVBoxLayout(this);
    auto *heading = new QLabel(QStringLiteral("Play with Others"), this);
    heading->setFont(palette::sans(17));
    layout->addWidget(heading);

    auto *form = new QFormLayout;
    edit_name = new QLineEdit(this);
    edit_name->setObjectName(QStringLiteral("edit_name"));
    edit_name->setMaxLength(PlayChoice::kMaxName);
    form->addRow(QStringLiteral("Your &name:"), edit_name);

    radio_host = new QRadioButton(QStringLiteral("&Host a game on this computer"), this);
    check_announce = new QCheckBox(QStringLiteral("Show my table on the local network and in game directories"), this);
    check_announce->setObjectName(QStringLiteral("check_announce"));
    check_portmapping = new QCheckBox(QStringLiteral("Ask my router to open the game to the internet"), this);
    check_portmapping->setObjectName(QStringLiteral("check_portmapping"));
    radio_join = new QRadioButton(QStringLiteral("&Join the game hosted at:"), this);
    form->addRow(radio_host);
    auto *indented = new QHBoxLayout;
    indented->addSpacing(20);
    indented->addWidget(check_announce);
    form->addRow(indented);
    auto *indentedMore = new QHBoxLayout;
    indentedMore->addSpacing(40);
    indentedMore->addWidget(check_portmapping);
    form->addRow(indentedMore);
    form->addRow(radio_join);
    combo_host = new QComboBox(this);
    combo_host->setObjectName(QStringLiteral("combo_host"));
    combo_host->setEditable(true);
    combo_host->setInsertPolicy(QComboBox::NoInsert);
    combo_host->setAccessibleName(QStringLiteral("Host address or code"));
    combo_host->setToolTip(QStringLiteral("An address, or the code a game directory gave the table"));
    combo_host->setMinimumWidth(220);
    form->addRow(QStringLiteral("Host &address or code:"), combo_host);
    spin_port = new QSpinBox(this);
    spin_port->setObjectName(QStringLiteral("spin_port"));
    spin_port->setRange(1, 65535);
    spin_port->setAccessibleName(QStringLiteral("Port"));
    form->addRow(QStringLiteral("&Port:"), spin_port);
    layout->addLayout(form);

    auto *found = new QLabel(QStringLiteral("&Tables on the local network and in game directories:"), this);
    layout->addWidget(found);
    edit_search = new QLineEdit(this);
    edit_search->setObjectName(QStringLiteral("edit_search"));
    edit_search->setPlaceholderText(QStringLiteral("Search"));
    edit_search->setAccessibleName(QStringLiteral("Search the tables"));
    edit_search->setClearButtonEnabled(true);
    layout->addWidget(edit_search);
    // Any column: the name, the address, or a directory's code.
    m_shown.setSourceModel(m_finder.tables());
    m_shown.setFilterKeyColumn(-1);
    m_shown.setFilterCaseSensitivity(Qt::CaseInsensitive);
    connect(edit_search, &QLineEdit::textChanged, &m_shown, &QSortFilterProxyModel::setFilterFixedString);
    table_games = new QTableView(this);
    table_games->setObjectName(QStringLiteral("table_games"));
    table_games->setAccessibleName(QStringLiteral("Tables"));
    table_games->setModel(&m_shown);
    table_games->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_games->setSelectionMode(QAbstractItemView::SingleSelection);
    table_games->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_games->setTabKeyNavigation(false);
    table_games->verticalHeader()->hide();
    table_games->setWordWrap(false);
    // The table's name takes what the short columns leave.
    table_games->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    table_games->horizontalHeader()->setSectionResizeMode(TableList::NameColumn, QHeaderView::Stretch);
    table_games->setMinimumSize(560, 130);
    table_games->installEventFilter(this);
    found->setBuddy(table_games);
    layout->addWidget(table_games);
    button_join = new QPushButton(QStringLiteral("Join"), this);
    button_join->setObjectName(QStringLiteral("button_join"));
    button_join->setAutoDefault(false);
    auto *joinRow = new QHBoxLayout;
    joinRow->addStretch();
    joinRow->addWidget(button_join);
    layout->addLayout(joinRow);

    // What the game directories say: one quiet line, never a box.
    label_directories = new QLabel(this);
    label_directories->setObjectName(QStringLiteral("label_directories"));
    label_directories->setTextFormat(Qt::PlainText);
    label_directories->setWordWrap(true);
    label_directories->setAccessibleDescription(QStringLiteral("game directories"));
    layout->addWidget(label_directories);

    label_problem = makeProblemLabel(this);
    layout->addWidget(label_problem);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Cancel, this);
    QPushButton *play = buttons->addButton(QStringLiteral("&Play"), QDialogButtonBox::AcceptRole);
    play->setDefault(true);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &TPlayDialog::play);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(radio_host, &QRadioButton::toggled, this, &TPlayDialog::updateEnabled);
    connect(check_announce, &QCheckBox::toggled, this, &TPlayDialog::updateEnabled);
    connect(table_games, &QTableView::doubleClicked, this, &TPlayDialog::joinTable);
    connect(button_join, &QPushButton::clicked, this, [this] { joinTable(table_games->currentIndex()); });
    connect(table_games->selectionModel(), &QItemSelectionModel::currentChanged, this, &TPlayDialog::updateEnabled);
    // A row may change its version or go.
    connect(m_finder.tables(), &QAbstractItemModel::dataChanged, this, &TPlayDialog::updateEnabled);
    connect(m_finder.tables(), &QAbstractItemModel::rowsRemoved, this, &TPlayDialog::updateEnabled);
    connect(&m_directoryFinder, &DirectoryFinder::unreachable, this, &TPlayDialog::tellUnreachable);
    connect(&m_route, &JoinRoute::lookingUp, this, [this](const QString &code) {
        label_problem->setText(QStringLiteral("Looking up the code %1\u2026").arg(code));
    });
    connect(&m_route, &JoinRoute::found, this, [this](const JoinRoute::Target &target) {
        if (!isVisible())
            return;
        if (target.isRelayed()) {
            // The game it starts joins by the code, through the directory's relay.
            hide();
            emit playRequested(choice());
            return;
        }
        combo_host->setEditText(target.address);
        spin_port->setValue(target.port);
        this->play();
    });
    connect(&m_route, &JoinRoute::notFound, this, [this](const QString &problem) { label_problem->setText(problem); });
}

void TPlayDialog::setDirectories(const QList<DirectoryAddress> &directories)
{
    m_route.setDirectories(directories);
}

void TPlayDialog::tellUnreachable(const DirectoryAddress &directory)
{
    const QString line = QStringLiteral("The game directory %1 cannot be reached.").arg(directory.toString());
    QString text = label_directories->text();
    if (text.contains(line))
        return;
    label_directories->setText(text.isEmpty() ? line : text + QLatin1Char('\n') + line);
}

void TPlayDialog::present(const PlayChoice &choice, bool hosting)
{
    m_choice = choice;
    edit_name->setText(choice.name);
    (hosting ? radio_host : radio_join)->setChecked(true);
    check_announce->setChecked(choice.announce);
    check_portmapping->setChecked(choice.portMapping);
    combo_host->clear();
    combo_host->addItems(choice.recentHosts);
    combo_host->setEditText(choice.host);
    spin_port->setValue(choice.port);
    label_problem->clear();
    label_directories->clear();
    m_route.cancel();
    updateEnabled();
    show();
    raise();
    activateWindow();
    (hosting || !choice.host.isEmpty() ? static_cast<QWidget *>(edit_name) : combo_host)->setFocus();
}

PlayChoice TPlayDialog::choice() const
{
    PlayChoice choice = m_choice;
    choice.name = edit_name->text();
    choice.hosting = radio_host->isChecked();
    choice.announce = check_announce->isChecked();
    choice.portMapping = check_portmapping->isChecked();
    choice.host = combo_host->currentText();
    choice.port = quint16(spin_port->value());
    return choice;
}

void TPlayDialog::showEvent(QShowEvent *event)
{
    m_finder.start();
    m_directoryFinder.start();
    QDialog::showEvent(event);
}

void TPlayDialog::hideEvent(QHideEvent *event)
{
    m_finder.stop();
    m_directoryFinder.stop();
    QDialog::hideEvent(event);
}

bool TPlayDialog::eventFilter(QObject *watched, QEvent *event)
{
    // Enter on a table joins it, and goes no further: the dialog would
    // otherwise press Play as well.
    if (watched == table_games && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if ((key == Qt::Key_Return || key == Qt::Key_Enter) && table_games->currentIndex().isValid()) {
            joinTable(table_games->currentIndex());
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TPlayDialog::updateEnabled()
{
    combo_host->setEnabled(radio_join->isChecked());
    check_announce->setEnabled(radio_host->isChecked());
    check_portmapping->setEnabled(radio_host->isChecked() && check_announce->isChecked());
    const QModelIndex current = table_games->currentIndex();
    button_join->setEnabled(current.isValid() && current.data(TableList::JoinableRole).toBool());
}

void TPlayDialog::joinTable(const QModelIndex &index)
{
    if (!index.isValid())
        return;
    const TableList *tables = m_finder.tables();
    const int row = m_shown.mapToSource(index).row();
    if (!tables->isJoinable(row)) {
        label_problem->setText(QStringLiteral("That table plays another version of the game and cannot be joined."));
        return;
    }
    const TableInfo &table = tables->table(row);
    radio_join->setChecked(true);
    combo_host->setEditText(JoinRoute::typedFor(table));
    // A relayed table's own port is behind the router; its code leads to it.
    if (!table.isRelayed())
        spin_port->setValue(table.port);
    play();
}

void TPlayDialog::play()
{
    const PlayChoice chosen = choice();
    const QString problem = chosen.problem();
    label_problem->setText(problem);
    if (!problem.isEmpty())
        return;
    // A code is played once the directories have named its table.
    if (!chosen.hosting && m_route.looksUp(chosen.host)) {
        m_route.resolve(chosen.host, chosen.port);
        return;
    }
    hide();
    emit playRequested(chosen);
}
