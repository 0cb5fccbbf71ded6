#include "tally/tallylistform.h"

Ttallylist::Ttallylist(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("tallylist"));
    setWindowTitle(QStringLiteral("Pinlex - Tally List"));
    setFixedSize(475, 431);
}
