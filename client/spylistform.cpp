#include "client/spylistform.h"

Tspylist::Tspylist(QWidget *parent) : QDialog(parent, Qt::Dialog | Qt::WindowStaysOnTopHint)
{
    setObjectName(QStringLiteral("spylist"));
    setWindowTitle(QStringLiteral("Pinlex - Spys"));
    resize(220, 260);
}
