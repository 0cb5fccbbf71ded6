#include "dialogs/definitionsview.h"

#include "definitions/worddefinitions.h"

#include <QHeaderView>
#include <QResizeEvent>
#include <QStyledItemDelegate>

#include <algorithm>

namespace {

// A tree sizes its rows for text on one line; a gloss wraps to the width
// its row has.
class WrappingDelegate : public QStyledItemDelegate
{
public:
    explicit WrappingDelegate(QTreeView *view) : QStyledItemDelegate(view), m_view(view) {}

    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        QStyleOptionViewItem wrapped = option;
        const int indent = index.parent().isValid() ? m_view->indentation() : 0;
        // A style wraps only in a valid rectangle; only its width counts.
        wrapped.rect.setSize({std::max(1, m_view->viewport()->width() - indent), QWIDGETSIZE_MAX});
        return QStyledItemDelegate::sizeHint(wrapped, index);
    }

private:
    QTreeView *m_view;
};

QTreeWidgetItem *entry(const QString &text, const QString &spoken)
{
    auto *item = new QTreeWidgetItem(QStringList{text});
    item->setData(0, Qt::AccessibleTextRole, spoken);
    item->setToolTip(0, text);
    return item;
}

} // namespace

DefinitionsView::DefinitionsView(WordDefinitions &definitions, QWidget *parent)
    : QTreeWidget(parent), m_definitions(definitions)
{
    setObjectName(QStringLiteral("definitions"));
    setAccessibleName(QStringLiteral("Words and their meanings"));
    setColumnCount(1);
    header()->hide();
    header()->setSectionResizeMode(QHeaderView::Stretch);
    setWordWrap(true);
    setItemDelegate(new WrappingDelegate(this));
    setUniformRowHeights(false);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
}

void DefinitionsView::resizeEvent(QResizeEvent *event)
{
    QTreeWidget::resizeEvent(event);
    // The rows' heights follow the width their text wraps in.
    if (event->size().width() != event->oldSize().width())
        scheduleDelayedItemsLayout();
}

QTreeWidgetItem *DefinitionsView::addWord(const WordToDefine &word, int at)
{
    const QString text = word.source.isEmpty() ? word.word : word.word + QStringLiteral(", ") + word.source;
    QTreeWidgetItem *heading = entry(text, text);
    heading->setData(0, Qt::UserRole, word.word);
    QFont bold = font();
    bold.setBold(true);
    heading->setFont(0, bold);
    insertTopLevelItem(at, heading);
    if (m_definitions.available()) {
        const Definition definition = m_definitions.define(word.word);
        for (const Sense &sense : definition.senses) {
            const QString part = partOfSpeechName(sense.part);
            // "verb (knock): ..." where the gloss is of the word's base form.
            const QString lemma = sense.lemma.compare(definition.word, Qt::CaseInsensitive) == 0
                                      ? QString()
                                      : QStringLiteral(" (") + sense.lemma + QLatin1Char(')');
            heading->addChild(entry(part + lemma + QStringLiteral(": ") + sense.gloss,
                                    WordDefinitions::entryText(definition.word, sense)));
        }
        if (!definition.found()) {
            heading->addChild(entry(WordDefinitions::noneText(),
                                    definition.word + QStringLiteral(", ") + WordDefinitions::noneText()));
        }
    }
    heading->setExpanded(true);
    return heading;
}

void DefinitionsView::setWords(const QList<WordToDefine> &words)
{
    clear();
    if (!m_definitions.available()) {
        const QString missing = WordDefinitions::missingText();
        addTopLevelItem(entry(missing, missing));
    }
    for (const WordToDefine &word : words)
        addWord(word, topLevelItemCount());
    if (topLevelItemCount() > 0)
        setCurrentItem(topLevelItem(0));
}

QTreeWidgetItem *DefinitionsView::headingOf(const QString &word) const
{
    const QString upper = word.toUpper();
    for (int row = 0; row < topLevelItemCount(); ++row) {
        if (topLevelItem(row)->data(0, Qt::UserRole).toString() == upper)
            return topLevelItem(row);
    }
    return nullptr;
}

void DefinitionsView::showWord(const QString &word, const QString &source)
{
    QTreeWidgetItem *heading = headingOf(word);
    if (!heading) {
        QList<WordToDefine> one;
        framewords::add(one, word, source);
        if (one.isEmpty())
            return;
        // After the line that says the data is missing.
        const bool told = topLevelItemCount() > 0 && topLevelItem(0)->data(0, Qt::UserRole).isNull();
        heading = addWord(one.first(), told ? 1 : 0);
    }
    setCurrentItem(heading);
    scrollToItem(heading, QAbstractItemView::PositionAtTop);
}
