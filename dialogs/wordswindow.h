#pragma once

#include "definitions/framewords.h"

#include <QDialog>

class DefinitionsView;
class QLabel;
class WordDefinitions;

// "Words": a small window beside the main window that lists the last
// frame's words with their meanings: the frame's word first, then each
// word played with its player. It never blocks the game, and a frame's end
// may open it without taking the keys from the board.
class WordsWindow : public QDialog
{
    Q_OBJECT

public:
    explicit WordsWindow(WordDefinitions &definitions, QWidget *parent = nullptr);

    // The window beside which it first opens.
    void setMainWindow(QWidget *main) { m_main = main; }

    // Lists words under heading ("Frame 3").
    void showWords(const QString &heading, const QList<WordToDefine> &words);
    // Makes word the current entry, listing it when it is not.
    void showWord(const QString &word, const QString &source);
    // Shows the window: beside the main window the first time; with
    // activate it takes the keys, else the board keeps them.
    void present(bool activate);

    DefinitionsView *view() const { return m_view; }

private:
    void placeBesideMain();

    DefinitionsView *m_view = nullptr;
    QLabel *m_heading = nullptr;
    QWidget *m_main = nullptr;
    bool m_placed = false;
};
