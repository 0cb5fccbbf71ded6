#pragma once

#include <QDialog>

// Offers the maker's lobby program, which games against others need.
class Tdownload : public QDialog
{
    Q_OBJECT

public:
    explicit Tdownload(QWidget *parent = nullptr);
};
