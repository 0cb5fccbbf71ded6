#include "board/scorecardview.h"

#include "board/scorecardmodel.h"
#include "ui/artwork.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QPainter>
#include <QPointer>

#include <vector>

namespace {

class PainterCanvas : public MarkCanvas
{
public:
    explicit PainterCanvas(QPainter &painter) : m_painter(painter) {}
    void drawMark(const QPoint &at, const Mark &mark) override
    {
        if (const std::optional<int> picture = ScoreCardView::pictureOf(mark))
            m_painter.drawPixmap(at, artwork::littlePicture(*picture, m_painter.device()->devicePixelRatioF()));
    }

private:
    QPainter &m_painter;
};

// One seat's frame, as a screen reader sees it.
class FrameCell : public QAccessibleInterface
{
public:
    FrameCell(ScoreCardView *view, int seat, int frame) : m_view(view), m_seat(seat), m_frame(frame) {}

    bool isValid() const override { return m_view; }
    QObject *object() const override { return nullptr; }
    QWindow *window() const override { return m_view->window()->windowHandle(); }
    QAccessibleInterface *parent() const override { return QAccessible::queryAccessibleInterface(m_view); }
    QAccessibleInterface *child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }
    QAccessibleInterface *childAt(int, int) const override { return nullptr; }
    QString text(QAccessible::Text t) const override
    {
        return t == QAccessible::Name ? m_view->model()->accessibleText(m_seat, m_frame) : QString();
    }
    void setText(QAccessible::Text, const QString &) override {}
    QRect rect() const override
    {
        const QRect local = ScoreCardView::frameRect(m_seat, m_frame);
        return QRect(m_view->mapToGlobal(local.topLeft()), local.size());
    }
    QAccessible::Role role() const override { return QAccessible::Cell; }
    QAccessible::State state() const override
    {
        QAccessible::State state;
        state.readOnly = true;
        return state;
    }

private:
    QPointer<ScoreCardView> m_view;
    int m_seat;
    int m_frame;
};

class ScoreCardAccessible : public QAccessibleWidget
{
public:
    explicit ScoreCardAccessible(ScoreCardView *view) : QAccessibleWidget(view, QAccessible::Table)
    {
        for (int seat = 1; seat <= ScoreCardModel::kSeats; ++seat) {
            for (int frame = 1; frame <= ScoreCardModel::kFrames; ++frame)
                m_cells.push_back(QAccessible::registerAccessibleInterface(new FrameCell(view, seat, frame)));
        }
    }
    ~ScoreCardAccessible() override
    {
        for (const QAccessible::Id id : m_cells)
            QAccessible::deleteAccessibleInterface(id);
    }
    int childCount() const override { return int(m_cells.size()); }
    QAccessibleInterface *child(int index) const override
    {
        return index >= 0 && index < childCount() ? QAccessible::accessibleInterface(m_cells[index]) : nullptr;
    }
    int indexOfChild(const QAccessibleInterface *child) const override
    {
        for (int i = 0; i < childCount(); ++i) {
            if (QAccessible::accessibleInterface(m_cells[i]) == child)
                return i;
        }
        return -1;
    }
    QAccessibleInterface *childAt(int x, int y) const override
    {
        for (int i = 0; i < childCount(); ++i) {
            QAccessibleInterface *cell = child(i);
            if (cell->rect().contains(x, y))
                return cell;
        }
        return nullptr;
    }
    QString text(QAccessible::Text t) const override
    {
        return t == QAccessible::Name ? QStringLiteral("scorecard") : QAccessibleWidget::text(t);
    }

private:
    std::vector<QAccessible::Id> m_cells;
};

QAccessibleInterface *scoreCardFactory(const QString &className, QObject *object)
{
    if (className == QLatin1String("ScoreCardView") && object && object->isWidgetType())
        return new ScoreCardAccessible(static_cast<ScoreCardView *>(object));
    return nullptr;
}

} // namespace

ScoreCardView::ScoreCardView(ScoreCardModel *model, QWidget *panel) : QWidget(panel), m_model(model)
{
    static const bool factoryInstalled = [] {
        QAccessible::installFactory(scoreCardFactory);
        return true;
    }();
    Q_UNUSED(factoryInstalled);
    setObjectName(QStringLiteral("scorecard"));
    setGeometry(107, 28, kWidth, kHeight);
    // No ground of its own: the card shows through.
    setAttribute(Qt::WA_TranslucentBackground);
    connect(model, &ScoreCardModel::cardChanged, this, qOverload<>(&QWidget::update));
}

void ScoreCardView::scorecardPaint(MarkCanvas &canvas) const
{
    for (int seat = 1; seat <= ScoreCardModel::kSeats; ++seat) {
        for (int frame = 1; frame <= ScoreCardModel::kFrames; ++frame) {
            const ScoreCardModel::Marks marks = m_model->marks(seat, frame);
            const int boxes = frame == ScoreCardModel::kFrames ? 3 : 2;
            for (int box = 1; box <= boxes; ++box) {
                if (marks[box - 1].kind != Mark::Kind::None)
                    canvas.drawMark(boxAt(seat, frame, box), marks[box - 1]);
            }
            figurefour(canvas, seat, frame);
        }
    }
}

void ScoreCardView::figurefour(MarkCanvas &canvas, int seat, int frame) const
{
    if (!gettop(seat, 4))
        return;
    const ScoreCardModel::Digits digits = ScoreCardModel::totalDigits(m_model->scores(seat, frame).running);
    // Blank cells first: neighbours overlap by a pixel.
    for (int cell = 0; cell < 3; ++cell)
        canvas.drawMark(cellAt(seat, frame, cell), Mark{Mark::Kind::EmptyWhite});
    for (int cell = 0; cell < 3; ++cell) {
        if (digits[cell] != ScoreCardModel::kBlankCell)
            canvas.drawMark(cellAt(seat, frame, cell), Mark::count(digits[cell]));
    }
}

std::optional<int> ScoreCardView::gettop(int seat, int row)
{
    if (!game::isSeat(seat) || row < 1 || row > 4)
        return std::nullopt;
    return (row == 4 ? 22 : 2) + 40 * (seat - 1);
}

QPoint ScoreCardView::boxAt(int seat, int frame, int box)
{
    return QPoint(26 * frame - 23 + 13 * (box - 1), gettop(seat, 1).value_or(0));
}

QPoint ScoreCardView::cellAt(int seat, int frame, int cell)
{
    // Cells are 9 wide and 8 apart: neighbours share a pixel.
    return QPoint(26 * frame - 25 + 8 * cell, gettop(seat, 4).value_or(0));
}

QRect ScoreCardView::frameRect(int seat, int frame)
{
    const int top = gettop(seat, 1).value_or(0) - 2;
    const int left = 26 * (frame - 1);
    return QRect(left, top, frame == ScoreCardModel::kFrames ? kWidth - left : 26, 40);
}

std::optional<int> ScoreCardView::pictureOf(const Mark &mark)
{
    // The strip: the digits, "-", "/", "X", an empty white and an empty
    // grey box.
    switch (mark.kind) {
    case Mark::Kind::Digit:
        if (mark.digit >= 0 && mark.digit <= 9)
            return mark.digit;
        break;
    case Mark::Kind::Dash: return 10;
    case Mark::Kind::Spare: return 11;
    case Mark::Kind::Strike: return 12;
    case Mark::Kind::EmptyWhite: return 13;
    case Mark::Kind::EmptyGrey: return 14;
    case Mark::Kind::None: break;
    }
    return std::nullopt;
}

void ScoreCardView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    PainterCanvas canvas(painter);
    scorecardPaint(canvas);
}
