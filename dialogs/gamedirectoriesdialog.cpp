#include "dialogs/gamedirectoriesdialog.h"

#include "directory/client/directoryaddress.h"
#include "ui/controls.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QVBoxLayout>

GameDirectoriesDialog::GameDirectoriesDialog(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("gamedirectories"));
    setWindowTitle(QStringLiteral("Pinlex - Game Directories"));
    auto *layout = new QVBoxLayout(this);
    auto *explained = new QLabel(
        QStringLiteral("Game directories list tables for players on the internet. Tables you host are listed "
                       "in each, and the Join dialog shows theirs.\n&Addresses, one a line (host or host:port):"),
        this);
    explained->setWordWrap(true);
    layout->addWidget(explained);
    edit_directories = new QPlainTextEdit(this);
    edit_directories->setObjectName(QStringLiteral("edit_directories"));
    edit_directories->setAccessibleName(QStringLiteral("Game directory addresses"));
    edit_directories->setTabChangesFocus(true);
    edit_directories->setMinimumSize(320, 100);
    explained->setBuddy(edit_directories);
    layout->addWidget(edit_directories);

    label_problem = makeProblemLabel(this);
    layout->addWidget(label_problem);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &GameDirectoriesDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

void GameDirectoriesDialog::present(const QString &addresses)
{
    QStringList lines;
    for (const DirectoryAddress &address : DirectoryAddress::parseList(addresses))
        lines << address.toString();
    edit_directories->setPlainText(lines.join(QLatin1Char('\n')));
    label_problem->clear();
    show();
    raise();
    activateWindow();
    edit_directories->setFocus();
}

void GameDirectoriesDialog::accept()
{
    QStringList bad;
    const QList<DirectoryAddress> addresses = DirectoryAddress::parseList(edit_directories->toPlainText(), &bad);
    if (!bad.isEmpty()) {
        label_problem->setText(QStringLiteral("Not a directory address: %1").arg(bad.first().left(80)));
        return;
    }
    QStringList kept;
    for (const DirectoryAddress &address : addresses)
        kept << address.toString();
    emit chosen(kept.join(QStringLiteral(", ")));
    QDialog::accept();
}
