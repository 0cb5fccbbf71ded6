#pragma once

#include <QDialog>

// The hosting player's game options: time per turn and team game.
class Tgamestart : public QDialog
{
    Q_OBJECT

public:
    explicit Tgamestart(QWidget *parent = nullptr);
};
