#pragma once

#include <QWidget>

class ScoreCardModel;

// Where the scorecard's marks go: a painter on screen, a recorder in tests.
class MarkCanvas
{
public:
    virtual ~MarkCanvas() = default;
    // Draws mark picture (0 .. 14) with its top-left corner at (x, y).
    virtual void drawMark(int x, int y, int picture) = 0;
};

// The scorecard's paint box: transparent, over the printed card; every
// paint draws all four seats' marks and totals from the model, so covering
// and uncovering the window shows what the last change drew. A screen
// reader finds one cell per seat and frame ("seat 2 frame 3: X, total 45").
class ScoreCardView : public QWidget
{
    Q_OBJECT

public:
    // Placed at its place on panel, the window's board panel.
    ScoreCardView(ScoreCardModel *model, QWidget *panel);

    ScoreCardModel *model() const { return m_model; }

    // Everything the paint box shows.
    void scorecardPaint(MarkCanvas &canvas) const;
    // The running total of one frame of one seat, in its three cells.
    void figurefour(MarkCanvas &canvas, int seat, int frame) const;
    // The part of the paint box that shows one seat's frame.
    static QRect frameRect(int seat, int frame);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    ScoreCardModel *m_model;
};
