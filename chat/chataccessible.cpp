#include "chat/chataccessible.h"

#include "chat/chatview.h"
#include "chat/smilies.h"

#include <QStringList>

#include <vector>

namespace {

// The numbers of the links in a line, in order.
std::vector<int> linksOf(const ChatRow &line)
{
    std::vector<int> numbers;
    for (const ChatItem &item : line.items) {
        if (item.link >= 0 && (numbers.empty() || numbers.back() != item.link))
            numbers.push_back(item.link);
    }
    return numbers;
}

class ChatLineAccessible : public QAccessibleInterface
{
public:
    ChatLineAccessible(const ChatAccessible *list, quint64 serial) : m_list(list), m_serial(serial) {}

    // The line's row in the view, -1 once it is gone.
    int row() const
    {
        const ChatView *view = m_list->view();
        return view ? view->model().rowOfSerial(m_serial) : -1;
    }

    bool isValid() const override { return row() >= 0; }
    QObject *object() const override { return nullptr; }
    QWindow *window() const override { return m_list->window(); }
    QAccessibleInterface *parent() const override { return const_cast<ChatAccessible *>(m_list); }
    // The line's links, so that a reader can find and follow them.
    QAccessibleInterface *child(int index) const override { return m_list->linkChild(m_serial, index); }
    int childCount() const override
    {
        const int at = row();
        return at < 0 ? 0 : int(linksOf(m_list->view()->model().row(at)).size());
    }
    int indexOfChild(const QAccessibleInterface *child) const override
    {
        for (int i = 0; i < childCount(); ++i) {
            if (m_list->linkChild(m_serial, i) == child)
                return i;
        }
        return -1;
    }
    QAccessibleInterface *childAt(int x, int y) const override
    {
        for (int i = 0; i < childCount(); ++i) {
            QAccessibleInterface *link = m_list->linkChild(m_serial, i);
            if (link && link->rect().contains(x, y))
                return link;
        }
        return nullptr;
    }
    QAccessibleInterface *focusChild() const override { return nullptr; }
    void setText(QAccessible::Text, const QString &) override {}
    QAccessible::Role role() const override { return QAccessible::ListItem; }

    QString text(QAccessible::Text type) const override
    {
        const int at = row();
        if (at < 0)
            return {};
        const ChatRow &line = m_list->view()->model().row(at);
        if (type == QAccessible::Name)
            return line.plainText();
        if (type != QAccessible::Description)
            return {};
        QStringList pictures;
        for (const ChatItem &item : line.items) {
            if (item.picture >= 0)
                pictures << smilies::name(item.picture);
        }
        return pictures.isEmpty() ? QString() : QStringLiteral("Smilies: ") + pictures.join(QLatin1String(", "));
    }

    QRect rect() const override
    {
        const int at = row();
        if (at < 0)
            return {};
        const ChatView *view = m_list->view();
        const QRect local = view->lineRect(at);
        return local.isNull() ? QRect() : QRect(view->viewport()->mapToGlobal(local.topLeft()), local.size());
    }

    QAccessible::State state() const override
    {
        QAccessible::State state;
        state.readOnly = true;
        const int at = row();
        if (at < 0) {
            state.invisible = true;
            return state;
        }
        const ChatView *view = m_list->view();
        state.offscreen = !view->viewport()->rect().intersects(view->lineRect(at));
        return state;
    }

private:
    const ChatAccessible *m_list;
    quint64 m_serial;
};

// A link in a chat line: its text, and where to click it.
class ChatLinkAccessible : public QAccessibleInterface
{
public:
    ChatLinkAccessible(const ChatAccessible *list, quint64 serial, int index)
        : m_list(list), m_serial(serial), m_index(index)
    {
    }

    bool isValid() const override { return number() >= 0; }
    QObject *object() const override { return nullptr; }
    QWindow *window() const override { return m_list->window(); }
    QAccessibleInterface *parent() const override
    {
        const ChatView *view = m_list->view();
        const int row = view ? view->model().rowOfSerial(m_serial) : -1;
        return row >= 0 ? m_list->child(row) : nullptr;
    }
    QAccessibleInterface *child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }
    QAccessibleInterface *childAt(int, int) const override { return nullptr; }
    void setText(QAccessible::Text, const QString &) override {}
    QAccessible::Role role() const override { return QAccessible::Link; }

    QString text(QAccessible::Text type) const override
    {
        const int link = number();
        if (type != QAccessible::Name || link < 0)
            return {};
        return m_list->view()->model().linkText(link).value_or(QString()).trimmed();
    }

    QRect rect() const override
    {
        const int link = number();
        if (link < 0)
            return {};
        const ChatView *view = m_list->view();
        const QRect local = view->linkRect(link);
        return local.isNull() ? QRect() : QRect(view->viewport()->mapToGlobal(local.topLeft()), local.size());
    }

    QAccessible::State state() const override
    {
        QAccessible::State state;
        state.readOnly = true;
        state.linked = true;
        const int link = number();
        if (link < 0) {
            state.invisible = true;
            return state;
        }
        const ChatView *view = m_list->view();
        state.offscreen = !view->viewport()->rect().intersects(view->linkRect(link));
        return state;
    }

private:
    // The link's number in the view, -1 once its line is gone.
    int number() const
    {
        const ChatView *view = m_list->view();
        const int row = view ? view->model().rowOfSerial(m_serial) : -1;
        if (row < 0)
            return -1;
        const std::vector<int> links = linksOf(view->model().row(row));
        return m_index < int(links.size()) ? links[std::size_t(m_index)] : -1;
    }

    const ChatAccessible *m_list;
    quint64 m_serial;
    int m_index;
};

QAccessibleInterface *chatViewFactory(const QString &className, QObject *object)
{
    if (className == QLatin1String("ChatView") && object && object->isWidgetType())
        return new ChatAccessible(static_cast<QWidget *>(object));
    return nullptr;
}

} // namespace

void ChatAccessible::install()
{
    static const bool installed = [] {
        QAccessible::installFactory(chatViewFactory);
        return true;
    }();
    Q_UNUSED(installed);
}

ChatAccessible::ChatAccessible(QWidget *view) : QAccessibleWidget(view, QAccessible::List) {}

ChatAccessible::~ChatAccessible()
{
    for (const auto &[serial, id] : m_lines)
        QAccessible::deleteAccessibleInterface(id);
    for (const auto &[key, id] : m_links)
        QAccessible::deleteAccessibleInterface(id);
}

ChatView *ChatAccessible::view() const
{
    return qobject_cast<ChatView *>(object());
}

int ChatAccessible::childCount() const
{
    const ChatView *chat = view();
    return chat ? chat->model().rowCount() : 0;
}

QAccessibleInterface *ChatAccessible::child(int index) const
{
    const ChatView *chat = view();
    if (!chat || index < 0 || index >= chat->model().rowCount())
        return nullptr;
    forgetGoneLines();
    const quint64 serial = chat->model().row(index).serial;
    auto found = m_lines.find(serial);
    if (found == m_lines.end()) {
        auto *line = new ChatLineAccessible(this, serial);
        found = m_lines.emplace(serial, QAccessible::registerAccessibleInterface(line)).first;
    }
    return QAccessible::accessibleInterface(found->second);
}

int ChatAccessible::indexOfChild(const QAccessibleInterface *child) const
{
    const auto *line = dynamic_cast<const ChatLineAccessible *>(child);
    return line ? line->row() : -1;
}

QAccessibleInterface *ChatAccessible::childAt(int x, int y) const
{
    const ChatView *chat = view();
    if (!chat)
        return nullptr;
    return child(chat->lineAt(chat->viewport()->mapFromGlobal(QPoint(x, y))));
}

// Lines that went are forgotten, with their links, oldest first.
void ChatAccessible::forgetGoneLines() const
{
    const ChatView *chat = view();
    if (!chat || chat->model().rowCount() == 0)
        return;
    const quint64 oldest = chat->model().row(0).serial;
    while (!m_lines.empty() && m_lines.begin()->first < oldest) {
        QAccessible::deleteAccessibleInterface(m_lines.begin()->second);
        m_lines.erase(m_lines.begin());
    }
    while (!m_links.empty() && m_links.begin()->first.first < oldest) {
        QAccessible::deleteAccessibleInterface(m_links.begin()->second);
        m_links.erase(m_links.begin());
    }
}

QAccessibleInterface *ChatAccessible::linkChild(quint64 serial, int index) const
{
    const ChatView *chat = view();
    const int row = chat ? chat->model().rowOfSerial(serial) : -1;
    if (row < 0 || index < 0)
        return nullptr;
    forgetGoneLines();
    const auto key = std::make_pair(serial, index);
    auto found = m_links.find(key);
    if (found == m_links.end()) {
        auto *link = new ChatLinkAccessible(this, serial, index);
        if (!link->isValid()) {
            delete link;
            return nullptr;
        }
        found = m_links.emplace(key, QAccessible::registerAccessibleInterface(link)).first;
    }
    return QAccessible::accessibleInterface(found->second);
}
