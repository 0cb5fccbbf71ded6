#pragma once

#include <QDialog>

// The phrase editor of the nine phrase buttons.
class Tphrases : public QDialog
{
    Q_OBJECT

public:
    explicit Tphrases(QWidget *parent = nullptr);
};
