#include "client/playdialog.h"

#include "ui/artwork.h"
#include "ui/palette.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

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
    radio_join = new QRadioButton(QStringLiteral("&Join the game hosted at:"), this);
    form->addRow(radio_host);
    form->addRow(radio_join);
    combo_host = new QComboBox(this);
    combo_host->setObjectName(QStringLiteral("combo_host"));
    combo_host->setEditable(true);
    combo_host->setInsertPolicy(QComboBox::NoInsert);
    combo_host->setAccessibleName(QStringLiteral("Host address"));
    combo_host->setMinimumWidth(220);
    form->addRow(QStringLiteral("Host &address:"), combo_host);
    spin_port = new QSpinBox(this);
    spin_port->setObjectName(QStringLiteral("spin_port"));
    spin_port->setRange(1, 65535);
    spin_port->setAccessibleName(QStringLiteral("Port"));
    form->addRow(QStringLiteral("&Port:"), spin_port);
    layout->addLayout(form);

    label_problem = new QLabel(this);
    label_problem->setObjectName(QStringLiteral("label_problem"));
    label_problem->setTextFormat(Qt::PlainText);
    label_problem->setAccessibleDescription(QStringLiteral("problem"));
    QPalette warning = label_problem->palette();
    warning.setColor(QPalette::WindowText, palette::kRed);
    label_problem->setPalette(warning);
    layout->addWidget(label_problem);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Cancel, this);
    QPushButton *play = buttons->addButton(QStringLiteral("&Play"), QDialogButtonBox::AcceptRole);
    play->setDefault(true);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &TPlayDialog::play);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(radio_host, &QRadioButton::toggled, this, &TPlayDialog::updateEnabled);
}

void TPlayDialog::present(const PlayChoice &choice, bool hosting)
{
    m_choice = choice;
    edit_name->setText(choice.name);
    (hosting ? radio_host : radio_join)->setChecked(true);
    combo_host->clear();
    combo_host->addItems(choice.recentHosts);
    combo_host->setEditText(choice.host);
    spin_port->setValue(choice.port);
    label_problem->clear();
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
    choice.host = combo_host->currentText();
    choice.port = quint16(spin_port->value());
    return choice;
}

void TPlayDialog::updateEnabled()
{
    combo_host->setEnabled(radio_join->isChecked());
}

void TPlayDialog::play()
{
    const PlayChoice chosen = choice();
    const QString problem = chosen.problem();
    label_problem->setText(problem);
    if (!problem.isEmpty())
        return;
    hide();
    emit playRequested(chosen);
}
