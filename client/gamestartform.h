#pragma once

#include "base/gamenumbers.h"

#include <QDialog>

#include <functional>

class PictureBox;
class QComboBox;
class QLineEdit;
class QSpinBox;

// The hosting player's game options: time per turn, team game, and the
// computer players that fill free seats. Not modal; the team choice stays
// as it was left for the next game of the run.
class Tgamestart : public QDialog
{
    Q_OBJECT

public:
    static constexpr int kMinTime = game::kMinTurnSeconds;
    static constexpr int kMaxTime = game::kMaxTurnSeconds;
    static constexpr int kTimeStep = 5;

    explicit Tgamestart(QWidget *parent = nullptr);

    // Whether seats 2, 3 and 4 will all be taken once the computer players
    // chosen sit down: then teams are even and the team choice needs no
    // question.
    void setTeamsAreEven(std::function<bool(int computerPlayers)> even) { m_teamsAreEven = std::move(even); }

    int timePerTurn() const;
    void setTimePerTurn(int seconds);   // kept to the range and the step
    bool teamGame() const { return m_team; }
    int computerPlayers() const;
    int computerStrength() const;       // 0 Easy, 1 Medium, 2 Hard

    QLineEdit *edit_creationtime = nullptr;
    QSpinBox *UpDown2 = nullptr;
    PictureBox *image_team = nullptr;
    PictureBox *Image1 = nullptr;
    QSpinBox *robots = nullptr;
    QComboBox *strength = nullptr;

    void image_teamClick();
    void button_startClick();

protected:
    // Enter starts the game from wherever the keyboard is.
    void keyPressEvent(QKeyEvent *event) override;

signals:
    // The player started a game with these options.
    void startRequested(int secondsPerTurn, bool team, int computerPlayers, int strength);

private:
    void setTeam(bool on);

    std::function<bool(int)> m_teamsAreEven;
    bool m_team = false;
};
