#include "client/gamestartform.h"

Tgamestart::Tgamestart(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("gamestart"));
    setWindowTitle(QStringLiteral("Pinlex - Game Start"));
    setFixedSize(250, 190);
}
