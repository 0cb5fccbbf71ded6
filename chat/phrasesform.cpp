#include "chat/phrasesform.h"

#include "ui/artwork.h"
#include "ui/controls.h"
#include "ui/windowpalette.h"

#include <QLabel>
#include <QLineEdit>

Tphrases::Tphrases(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("phrases"));
    setWindowTitle(QStringLiteral("Pinlex - Phrase Buttons "));
    setFixedSize(368, 282);
    windowpalette::use(this);
    auto *background = new QLabel(this);
    background->setPixmap(artwork::formBackground(size()));
    background->setGeometry(rect());

    for (int n = 1; n <= 10; ++n) {
        const int top = 8 + 22 * (n - 1);
        auto *caption = new QLabel(QStringLiteral("Phrase Button %1:").arg(n), this);
        caption->setGeometry(12, top + 2, 104, 16);
        phrase[n] = new QLineEdit(this);
        phrase[n]->setObjectName(QStringLiteral("phrase%1").arg(n));
        phrase[n]->setGeometry(118, top, 236, 20);
        phrase[n]->setMaxLength(kMaxLength);
        caption->setBuddy(phrase[n]);
    }
    auto *note = new QLabel(QStringLiteral("Buttons can only be used once every 2 seconds"), this);
    note->setGeometry(12, 230, 340, 16);
    QPalette red = note->palette();
    red.setColor(QPalette::WindowText, QColor(0xCC, 0, 0));
    note->setPalette(red);

    button_done = new FlatButton(QStringLiteral("Done"), this);
    button_done->setObjectName(QStringLiteral("button_done"));
    button_done->setGeometry(282, 250, 72, 24);
    connect(button_done, &QPushButton::clicked, this, &Tphrases::button_doneClick);
}

void Tphrases::button_doneClick()
{
    QStringList phrases;
    for (int n = 1; n <= 9; ++n)
        phrases << phrase[n]->text();
    emit phrasesDone(phrases);
    close();
}
