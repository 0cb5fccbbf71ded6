#pragma once

#include <QDialog>

// The help window: topic buttons on the left, the pages on the right.
class Thelp : public QDialog
{
    Q_OBJECT

public:
    explicit Thelp(QWidget *parent = nullptr);
};
