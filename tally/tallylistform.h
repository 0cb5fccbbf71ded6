#pragma once

#include "tally/tallyfile.h"
#include "tally/tallytable.h"

#include <QDialog>

#include <array>
#include <functional>
#include <optional>

class FlatButton;
class QLabel;
class QListWidget;
class QListWidgetItem;

// The player's statistics and head-to-head records. Created hidden at
// start-up, when it loads the tally file; shown from the main window; saves
// the file after every recorded game, after every change made here and when
// it is destroyed at program end.
class Ttallylist : public QDialog
{
    Q_OBJECT

public:
    explicit Ttallylist(QWidget *parent = nullptr, const QString &fileName = TallyFile::defaultPath());
    ~Ttallylist() override;

    // Asks a Yes/No question; true for Yes. Tests answer without a box.
    using QuestionAsker = std::function<bool(const QString &question)>;
    void setQuestionAsker(QuestionAsker asker) { m_ask = std::move(asker); }

    // Fills "Players In Current Game" with the other seated players' names,
    // checking those already tallied.
    void loadchecklist(const QStringList &names);

    // The end of a game for a seated player, as one step, then a save:
    // ownScore is the text of the player's score label; winner is the seat
    // that won alone (the player, or an opponent by its label's name) and
    // std::nullopt when several seats won, which records no game; opponents
    // are the other seated players' names.
    void gameEnded(const QString &ownScore, const std::optional<TallyWinner> &winner,
                   const QStringList &opponents);

    // The single steps. addgame shows the opponents in "Players In Current
    // Game", counts the game against those tallied, and throws
    // EConvertError at a cell that is not a number.
    void addtomineincrease(int column);
    void addgame(const TallyWinner &winner, const QStringList &opponents);
    void figureave(int score);

    bool save();
    const TallyTable &table() const { return m_table; }

    // Controls, indexed by their number; index 0 is unused.
    QLabel *Label8 = nullptr;
    std::array<QLabel *, 7> mylabel_{};
    QLabel *label_hisnametop = nullptr;
    QLabel *label_hisname = nullptr;
    std::array<QLabel *, 9> label_{};
    QListWidget *listbox_tally = nullptr;
    QListWidget *checklist = nullptr;
    FlatButton *button_reset = nullptr;
    FlatButton *button_done = nullptr;

    void checklistClickCheck(QListWidgetItem *item);
    void listbox_tallyClickCheck(QListWidgetItem *item);
    void listbox_tallyClick();
    void button_resetClick();
    void button_doneClick();

private:
    void FormCreate();
    void buildControls();
    void appendTallied(const QString &name);
    // Checked exactly when tallied.
    void syncChecklist();
    void showOwnFigures();

    TallyFile m_file;
    TallyTable m_table;
    QuestionAsker m_ask;
};
