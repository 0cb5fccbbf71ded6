#include "dialogs/downloadform.h"

Tdownload::Tdownload(QWidget *parent) : QDialog(parent, Qt::Tool | Qt::WindowStaysOnTopHint)
{
    setObjectName(QStringLiteral("download"));
    setWindowTitle(QStringLiteral("Download The Orvik9 Lobby"));
    resize(724, 500);
}
