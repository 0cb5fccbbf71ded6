#pragma once

#include <QDialog>

// The spectators of the game; stays on top while open.
class Tspylist : public QDialog
{
    Q_OBJECT

public:
    explicit Tspylist(QWidget *parent = nullptr);
};
