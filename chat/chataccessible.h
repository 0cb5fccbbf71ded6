#pragma once

#include <QAccessibleWidget>

#include <map>
#include <utility>

class ChatView;

// The chat view as a screen reader sees it: a list whose children are the
// chat lines, each read as its plain text; the smilies in a line are named
// in its description, and its links are its children.
class ChatAccessible : public QAccessibleWidget
{
public:
    // Makes every ChatView use this interface; once is enough.
    static void install();

    explicit ChatAccessible(QWidget *view);
    ~ChatAccessible() override;

    int childCount() const override;
    QAccessibleInterface *child(int index) const override;
    int indexOfChild(const QAccessibleInterface *child) const override;
    QAccessibleInterface *childAt(int x, int y) const override;

    ChatView *view() const;
    // Link index of the line with serial serial, or null.
    QAccessibleInterface *linkChild(quint64 serial, int index) const;

private:
    void forgetGoneLines() const;

    // Line interfaces by the serial of their row, so that they stay with
    // their line when older lines go.
    mutable std::map<quint64, QAccessible::Id> m_lines;
    mutable std::map<std::pair<quint64, int>, QAccessible::Id> m_links;
};
