#include "chat/chatedit.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMimeData>

const QString ChatEdit::kPlaceholder = QStringLiteral("<Enter Chat Here>");

ChatEdit::ChatEdit(QWidget *parent) : QLineEdit(kPlaceholder, parent) {}

void ChatEdit::appendText(const QString &more)
{
    QString line = more;
    line.replace(QLatin1String("\r\n"), QLatin1String(" "));
    line.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
    setText(text() + line);
    deselect();
    end(false);
}

void ChatEdit::insertSmiley(int code)
{
    if (showsPlaceholder())
        clear();
    appendText(QStringLiteral(":)#%1").arg(code));
}

void ChatEdit::pasteAtEnd()
{
    const QMimeData *data = QGuiApplication::clipboard()->mimeData();
    if (data && data->hasText())
        appendText(data->text());
}

void ChatEdit::keyPressEvent(QKeyEvent *event)
{
    if (showsPlaceholder())
        clear();
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->accept();
        emit enterPressed();
        return;
    }
    if (event->matches(QKeySequence::Paste)) {
        event->accept();
        pasteAtEnd();
        return;
    }
    QLineEdit::keyPressEvent(event);
}
