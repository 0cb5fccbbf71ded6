#pragma once

#include <QDialog>

class QLabel;

// The about box: version text, the maker's link, "Done".
class Tabout : public QDialog
{
    Q_OBJECT

public:
    explicit Tabout(QWidget *parent = nullptr);

    QLabel *version = nullptr;   // "1.0.9", the text sent at login

private:
    void Button1Click();
};
