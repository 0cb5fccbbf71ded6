#include "chat/chataccessible.h"

#include "chat/chatview.h"
#include "chat/smilies.h"

#include <QStringList>

namespace {

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
    QAccessibleInterface *child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }
    QAccessibleInterface *childAt(int, int) const override { return nullptr; }
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
    // Lines that went are forgotten here, oldest first.
    const quint64 oldest = chat->model().row(0).serial;
    while (!m_lines.empty() && m_lines.begin()->first < oldest) {
        QAccessible::deleteAccessibleInterface(m_lines.begin()->second);
        m_lines.erase(m_lines.begin());
    }
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
