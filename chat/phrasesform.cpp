#include "chat/phrasesform.h"

Tphrases::Tphrases(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("phrases"));
    setWindowTitle(QStringLiteral("Pinlex - Phrase Buttons "));
    setFixedSize(368, 282);
}
