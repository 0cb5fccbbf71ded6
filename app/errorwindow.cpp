#include "app/errorwindow.h"

#include <QDialogButtonBox>
#include <QPlainTextEdit>
#include <QVBoxLayout>

ErrorWindow::ErrorWindow(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("errorwindow"));
    setWindowTitle(QStringLiteral("Pinlex"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    resize(420, 160);
    auto *layout = new QVBoxLayout(this);
    m_text = new QPlainTextEdit(this);
    m_text->setReadOnly(true);
    m_text->setMaximumBlockCount(kMaxLines);
    layout->addWidget(m_text);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::hide);
    layout->addWidget(buttons);
}

void ErrorWindow::report(const QString &message)
{
    m_text->appendPlainText(message);
    if (!isVisible())
        show();
}
