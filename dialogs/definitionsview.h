#pragma once

#include "definitions/framewords.h"

#include <QTreeWidget>

class WordDefinitions;

// Words and their meanings, each word a heading ("SPARE, Ann") over its
// senses ("verb: refrain from harming"), or "no definition found". Every
// entry is one item that a screen reader reads whole: "spare, verb,
// refrain from harming". Without WordNet's data the first entry says which
// package brings it, once, and the words are listed without senses.
class DefinitionsView : public QTreeWidget
{
    Q_OBJECT

public:
    explicit DefinitionsView(WordDefinitions &definitions, QWidget *parent = nullptr);

    // Lists the words, looked up now.
    void setWords(const QList<WordToDefine> &words);
    // The heading of word (any case); null when it is not listed.
    QTreeWidgetItem *headingOf(const QString &word) const;
    // Makes word's heading the current item, listing it first when it is not
    // listed yet.
    void showWord(const QString &word, const QString &source);

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    QTreeWidgetItem *addWord(const WordToDefine &word, int at);

    WordDefinitions &m_definitions;
};
