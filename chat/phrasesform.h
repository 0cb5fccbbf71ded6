#pragma once

#include <QDialog>
#include <QStringList>

#include <array>

class QLineEdit;
class QPushButton;

// The phrase editor of the nine phrase buttons: ten labelled edits, the
// tenth showing the chatter sound button's hint, and "Done".
class Tphrases : public QDialog
{
    Q_OBJECT

public:
    static constexpr int kMaxLength = 50;

    explicit Tphrases(QWidget *parent = nullptr);

    std::array<QLineEdit *, 11> phrase{};   // phrase1 .. phrase10
    QPushButton *button_done = nullptr;

    // Takes the nine phrases from phrase1 .. phrase9 and closes.
    void button_doneClick();

signals:
    void phrasesDone(const QStringList &phrases);
};
