#pragma once

#include "board/scorecardmodel.h"

#include <QPoint>
#include <QRect>
#include <QWidget>

#include <optional>

// Where the scorecard's marks go: a painter on screen, a recorder in tests.
class MarkCanvas
{
public:
    virtual ~MarkCanvas() = default;
    // Draws mark with its top-left corner at at.
    virtual void drawMark(const QPoint &at, const Mark &mark) = 0;
};

// The scorecard's paint box: transparent, over the printed card; every
// paint draws all four seats' marks and totals from the model, so covering
// and uncovering the window shows what the last change drew. It owns the
// card's geometry and the mark pictures. A screen reader finds one cell
// per seat and frame ("seat 2 frame 3: X, total 45").
class ScoreCardView : public QWidget
{
    Q_OBJECT

public:
    static constexpr int kWidth = 273;
    static constexpr int kHeight = 160;

    // Placed at its place on panel, the window's board panel.
    ScoreCardView(ScoreCardModel *model, QWidget *panel);

    ScoreCardModel *model() const { return m_model; }

    // Everything the paint box shows.
    void scorecardPaint(MarkCanvas &canvas) const;
    // The running total of one frame of one seat, in its three cells.
    void figurefour(MarkCanvas &canvas, int seat, int frame) const;

    // Rows 1..3 are a seat's mark row, row 4 its total row; nothing for a
    // seat or row out of range.
    static std::optional<int> gettop(int seat, int row);
    // Where mark box 1..3 and digit cell 0..2 of a seat's frame are drawn.
    static QPoint boxAt(int seat, int frame, int box);
    static QPoint cellAt(int seat, int frame, int cell);
    // The part of the paint box that shows one seat's frame.
    static QRect frameRect(int seat, int frame);
    // The mark picture that shows mark; nothing for no mark.
    static std::optional<int> pictureOf(const Mark &mark);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    ScoreCardModel *m_model;
};
