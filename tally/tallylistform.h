#pragma once

#include <QDialog>

#include <array>
#include <functional>

class FlatButton;
class QLabel;
class QListWidget;
class QListWidgetItem;
class TallyKeeper;

// The player's statistics and head-to-head records, as the tally keeper
// holds them; shown from the main window. Who is tallied is chosen here.
class Ttallylist : public QDialog
{
    Q_OBJECT

public:
    explicit Ttallylist(TallyKeeper &tally, QWidget *parent = nullptr);

    // Asks a Yes/No question; true for Yes. Tests answer without a box.
    using QuestionAsker = std::function<bool(const QString &question)>;
    void setQuestionAsker(QuestionAsker asker) { m_ask = std::move(asker); }

    // Fills "Players In Current Game" with the other seated players' names,
    // checking those already tallied.
    void loadchecklist(const QStringList &names);

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
    // The figures of the tally as it now is.
    void refresh();

    TallyKeeper &m_tally;
    QuestionAsker m_ask;
};
