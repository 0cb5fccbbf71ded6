#pragma once

#include <QDialog>

class QAbstractButton;
class QButtonGroup;
class QLabel;
class QStackedWidget;

// The help window: topic buttons on the left, the pages on the right under
// the title of the topic shown.
class Thelp : public QDialog
{
    Q_OBJECT

public:
    explicit Thelp(QWidget *parent = nullptr);

    // Brings the page of the button's topic to the front under its caption.
    void SelButton1Click(QAbstractButton *button);

    QLabel *label_caption = nullptr;
    QStackedWidget *pages = nullptr;     // memo1 .. memo6 and memo11
    QButtonGroup *topics = nullptr;      // the topic buttons, their tags as ids

signals:
    void aboutRequested();               // "About": show the about box

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void FormCreate();
    void button_aboutClick();
    void button_doneClick();
};
