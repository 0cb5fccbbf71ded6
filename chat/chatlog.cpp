#include "chat/chatlog.h"

#include "base/errordisplay.h"
#include "chat/chatline.h"
#include "chat/chatview.h"
#include "settings/colortext.h"
#include "ui/tcolor.h"

#include <QDesktopServices>

ChatLog::ChatLog(ChatView *view) : m_view(view) {}

void ChatLog::addLine(const QString &line, quint32 colour, bool scroll)
{
    const ChatLine parsed = ChatLine::parse(line);
    // The slot's style takes the colour of its latest line: earlier lines
    // of the same slot follow it.
    TextStyle &style = m_view->styles()[parsed.style];
    style.colour = colortext::toColor(colour);
    style.bold = true;
    style.italic = false;
    style.underline = false;

    for (const ChatLine::Item &item : parsed.items) {
        if (item.kind == ChatLine::Item::Kind::Picture) {
            m_view->addPicture(item.picture);
            continue;
        }
        m_view->addText(item.text, item.style, item.newLine);
    }
    m_view->format();
    if (scroll)
        m_view->scrollToEnd();
}

void ChatLog::addlinetochat(const QString &line, quint32 colour, bool scroll)
{
    try {
        addLine(line, colour, scroll);
    } catch (const std::exception &error) {
        showError(QString::fromUtf8(error.what()));
    }
}

void ChatLog::addNotice(const QString &text, bool scroll)
{
    addlinetochat(QStringLiteral("0+") + text, kSystemColour, scroll);
}

void ChatLog::clear()
{
    m_view->removeAll();
}

int ChatLog::linkcount() const
{
    return m_view->linkCount() - 1;
}

std::optional<QString> ChatLog::link(int number) const
{
    return m_view->model().linkText(number);
}

QUrl ChatLog::webAddress(const QString &linkText)
{
    QString text = linkText;
    while (text.endsWith(QLatin1Char(' ')))
        text.chop(1);
    if (text.isEmpty())
        return {};
    const bool hasScheme = text.startsWith(QLatin1String("http://"), Qt::CaseInsensitive)
                           || text.startsWith(QLatin1String("https://"), Qt::CaseInsensitive);
    const QUrl address(hasScheme ? text : QStringLiteral("http://") + text, QUrl::StrictMode);
    const QString scheme = address.scheme();
    if (!address.isValid() || address.host().isEmpty()
        || (scheme != QLatin1String("http") && scheme != QLatin1String("https")))
        return {};
    return address;
}

void ChatLog::mainchatJump(int number) const
{
    const QUrl address = webAddress(link(number).value_or(QString()));
    if (!address.isValid()) {
        showError(QStringLiteral("Cannot open Webpage"));
        return;
    }
    QDesktopServices::openUrl(address);
}
