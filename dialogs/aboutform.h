#pragma once

#include <QDialog>

class PictureBox;
class QLabel;

// The about box: version text, the maker's link, "Done".
class Tabout : public QDialog
{
    Q_OBJECT

public:
    explicit Tabout(QWidget *parent = nullptr);

    QLabel *version = nullptr;   // "1.0.9", the text sent at login
    PictureBox *Image1 = nullptr; // the logo; a click hides the box

private:
    void Image1Click();
    void Button1Click();
};
