#pragma once

#include <QDialog>
#include <QString>

class QLabel;
class QPlainTextEdit;

// Options > "Game Directories…": the addresses of the game directories to
// list tables from and to register hosted tables with, one a line ("host"
// or "host:port"). OK keeps them only when every line is an address; an
// empty list means none at all.
class GameDirectoriesDialog : public QDialog
{
    Q_OBJECT

public:
    explicit GameDirectoriesDialog(QWidget *parent = nullptr);

    // Shows the addresses of text (separated by commas or blanks).
    void present(const QString &addresses);

    QPlainTextEdit *edit_directories = nullptr;
    QLabel *label_problem = nullptr;

signals:
    // The addresses as they are kept: "host:port" separated by ", ".
    void chosen(const QString &addresses);

private:
    void accept() override;
};
