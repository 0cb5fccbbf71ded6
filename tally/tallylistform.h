#pragma once

#include <QDialog>

// The player's statistics and head-to-head records.
class Ttallylist : public QDialog
{
    Q_OBJECT

public:
    explicit Ttallylist(QWidget *parent = nullptr);
};
