#include "app/errorwindow.h"

#include <QDialogButtonBox>
#include <QHideEvent>
#include <QPlainTextEdit>
#include <QScrollBar>
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
    m_text->setAccessibleName(QStringLiteral("Errors"));
    layout->addWidget(m_text);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::hide);
    layout->addWidget(buttons);
    m_refresh.setSingleShot(true);
    connect(&m_refresh, &QTimer::timeout, this, &ErrorWindow::refresh);
    m_clock.start();
}

void ErrorWindow::report(const QString &message)
{
    m_log.add(message);
    if (!m_refresh.isActive())
        m_refresh.start(isVisible() ? kRefreshMs : int(m_log.showDelay(m_clock.elapsed())));
}

QString ErrorWindow::text() const
{
    return m_text->toPlainText();
}

void ErrorWindow::refresh()
{
    if (!isVisible()) {
        if (const qint64 wait = m_log.showDelay(m_clock.elapsed()); wait > 0) {
            m_refresh.start(int(wait));
            return;
        }
    }
    m_text->setPlainText(m_log.lines().join(QLatin1Char('\n')));
    m_text->verticalScrollBar()->setValue(m_text->verticalScrollBar()->maximum());
    if (!isVisible())
        show();
}

void ErrorWindow::hideEvent(QHideEvent *event)
{
    if (!event->spontaneous())
        m_log.dismissed(m_clock.elapsed());
    QDialog::hideEvent(event);
}
