#include "dialogs/helpform.h"

Thelp::Thelp(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("help"));
    setWindowTitle(QStringLiteral("Pinlex - Help File"));
    resize(521, 422);
}
