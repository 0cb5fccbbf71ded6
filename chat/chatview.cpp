#include "chat/chatview.h"

#include <QAccessible>
#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>
#include <limits>

namespace {

constexpr int kMarginX = 5;   // left and right of the lines
constexpr int kMarginY = 2;   // above the first line and below the last

void announce(QWidget *view, QAccessible::Event type, int child = -1)
{
    if (!QAccessible::isActive())
        return;
    QAccessibleEvent event(view, type);
    if (child >= 0)
        event.setChild(child);
    QAccessible::updateAccessibility(&event);
}

} // namespace

ChatView::ChatView(QWidget *parent) : QAbstractScrollArea(parent)
{
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setFocusPolicy(Qt::StrongFocus);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Base, Qt::white);
    setPalette(palette);
    viewport()->setMouseTracking(true);
    m_delegate.setStyles(m_styles);
    m_layoutWidth = contentWidth();

    connect(&m_model, &ChatModel::rowsInserted, this,
            [this](const QModelIndex &, int first, int last) { rowsInserted(first, last); });
    connect(&m_model, &ChatModel::rowsRemoved, this,
            [this](const QModelIndex &, int first, int last) { rowsRemoved(first, last); });
    connect(&m_model, &ChatModel::dataChanged, this,
            [this](const QModelIndex &topLeft) { rowChanged(topLeft.row()); });
    connect(&m_model, &ChatModel::modelReset, this, &ChatView::modelReset);
    // Whatever the player does with the scroll bar stops following the end.
    connect(verticalScrollBar(), &QScrollBar::actionTriggered, this, [this] { m_followEnd = false; });
}

void ChatView::addText(const QString &text, int style, bool newLine)
{
    if (style < 0 || style >= ChatStyles::kCount)
        return;
    m_followEnd = false;
    m_model.addText(text, style, m_styles[style].link, newLine);
}

void ChatView::addPicture(int index)
{
    m_followEnd = false;
    m_model.addPicture(index);
}

void ChatView::rowsInserted(int first, int last)
{
    m_geometry.insert(m_geometry.begin() + first, std::size_t(last - first + 1), Geometry{});
    m_placed = qMin(m_placed, first);
    for (int row = first; row <= last; ++row)
        announce(this, QAccessible::ObjectCreated, row);
}

// Called once the rows are gone from the model; their geometry still holds them.
void ChatView::rowsRemoved(int first, int last)
{
    const int count = last - first + 1;
    int removedHeight = 0;
    for (int row = first; row <= last && row < m_placed; ++row)
        removedHeight += rowHeight(row);
    m_geometry.erase(m_geometry.begin() + first, m_geometry.begin() + last + 1);
    if (m_placed > first)
        m_placed = qMax(first, m_placed - count);
    // What was above the view is gone: the lines shown stay where they are.
    if (first == 0 && removedHeight > 0) {
        QScrollBar *bar = verticalScrollBar();
        if (removedHeight > bar->value())
            viewport()->update();
        m_shiftingOrigin = true;
        bar->setValue(qMax(0, bar->value() - removedHeight));
        m_shiftingOrigin = false;
    }
    for (TextPos *pos : {&m_anchor, &m_cursor}) {
        if (pos->row > last)
            pos->row -= count;
        else if (pos->row >= first)
            *pos = {first, 0};
    }
    announce(this, QAccessible::ObjectReorder);
}

void ChatView::rowChanged(int row)
{
    m_placed = qMin(m_placed, row);
}

void ChatView::modelReset()
{
    m_geometry.clear();
    m_placed = 0;
    m_anchor = m_cursor = {};
    m_pressedLink = -1;
    updateScrollBar();
    viewport()->update();
    announce(this, QAccessible::ObjectReorder);
}

int ChatView::contentWidth() const
{
    return qMax(1, viewport()->width() - 2 * kMarginX);
}

int ChatView::rowHeight(int row) const
{
    return m_geometry[std::size_t(row)].lines * m_delegate.lineHeight();
}

int ChatView::rowY(int row) const
{
    return kMarginY + int(m_geometry[std::size_t(row)].top - m_geometry.front().top);
}

int ChatView::contentHeight() const
{
    if (m_placed == 0)
        return 0;
    const Geometry &last = m_geometry[std::size_t(m_placed - 1)];
    const qint64 height = last.top - m_geometry.front().top + last.lines * qint64(m_delegate.lineHeight());
    Q_ASSERT(height < std::numeric_limits<int>::max() / 2);
    return int(height) + 2 * kMarginY;
}

int ChatView::rowAtY(int y) const
{
    if (m_placed == 0)
        return -1;
    const qint64 top = m_geometry.front().top + y - kMarginY;
    const auto end = m_geometry.begin() + m_placed;
    const auto after = std::upper_bound(m_geometry.begin(), end, top,
                                        [](qint64 value, const Geometry &g) { return value < g.top; });
    return after == m_geometry.begin() ? 0 : int(after - m_geometry.begin()) - 1;
}

// Lays out rows from `from` on: measures those not yet measured (and, with
// remeasure, those using a restyled style), counts their lines at the
// current width and stacks them.
void ChatView::place(int from, bool remeasure, quint32 restyled)
{
    const int count = m_model.rowCount();
    if (from >= count) {
        m_placed = count;
        return;
    }
    const int lineHeight = m_delegate.lineHeight();
    // Only a hostile line in a view narrower than a few letters comes near
    // this; it keeps the whole chat's height within the scroll bar's range.
    const int maxLines = qMax(1, std::numeric_limits<int>::max() / 4 / (ChatModel::kMaxLines * lineHeight));
    qint64 top = 0;
    if (from > 0) {
        const Geometry &before = m_geometry[std::size_t(from - 1)];
        top = before.top + before.lines * qint64(lineHeight);
    }
    for (int row = from; row < count; ++row) {
        Geometry &geometry = m_geometry[std::size_t(row)];
        const ChatRow &line = m_model.row(row);
        if (row >= m_placed || (remeasure && (geometry.measure.styles & restyled)))
            geometry.measure = m_delegate.measure(line);
        geometry.lines = qMin(m_delegate.lineCount(line, geometry.measure, m_layoutWidth), maxLines);
        geometry.top = top;
        top += geometry.lines * qint64(lineHeight);
    }
    m_placed = count;
}

ChatView::Anchor ChatView::topAnchor() const
{
    const int value = verticalScrollBar()->value();
    const int row = rowAtY(value);
    if (row < 0)
        return {};
    const int height = qMax(1, rowHeight(row));
    return {m_model.row(row).serial, double(value - rowY(row)) / height, true};
}

void ChatView::restore(const Anchor &anchor)
{
    updateScrollBar();
    if (m_followEnd) {
        verticalScrollBar()->setValue(verticalScrollBar()->maximum());
        return;
    }
    const int row = anchor.valid ? m_model.rowOfSerial(anchor.serial) : -1;
    if (row < 0 || row >= m_placed)
        return;
    verticalScrollBar()->setValue(rowY(row) + qRound(anchor.fraction * rowHeight(row)));
}

// Every row's lines again at a new width.
void ChatView::relayout()
{
    const Anchor anchor = topAnchor();
    m_layoutWidth = contentWidth();
    place(0, false, 0);
    restore(anchor);
    viewport()->update();
}

void ChatView::format()
{
    // Measuring loads every style's font; an empty chat needs none yet.
    const int lineHeight = m_placed > 0 ? m_delegate.lineHeight() : 0;
    const quint32 restyled = m_delegate.setStyles(m_styles);
    bool repaintAll = restyled != 0;
    for (int style = 0; style < ChatStyles::kCount; ++style) {
        if (m_styles[style].colour != m_shownColours[std::size_t(style)]) {
            m_shownColours[std::size_t(style)] = m_styles[style].colour;
            repaintAll = true;
        }
    }
    const int firstNew = m_placed;
    if (restyled && m_placed > 0) {
        // Only lines in a restyled style are measured again; the rest just
        // move when the line height changed.
        const Anchor anchor = topAnchor();
        int first = 0;
        if (m_delegate.lineHeight() == lineHeight) {
            while (first < m_placed && !(m_geometry[std::size_t(first)].measure.styles & restyled))
                ++first;
        }
        place(first, true, restyled);
        restore(anchor);
    } else {
        place(m_placed, false, 0);
    }
    updateScrollBar();
    if (m_followEnd)
        verticalScrollBar()->setValue(verticalScrollBar()->maximum());
    if (repaintAll) {
        viewport()->update();
    } else if (firstNew < m_placed) {
        // What was there is shown as it was: only the new lines are painted.
        const int top = rowY(firstNew) - verticalScrollBar()->value();
        viewport()->update(QRect(0, top, viewport()->width(), viewport()->height() - top));
    }
}

void ChatView::updateScrollBar()
{
    QScrollBar *bar = verticalScrollBar();
    const int page = viewport()->height();
    bar->setRange(0, qMax(0, contentHeight() - page));
    bar->setPageStep(page);
    if (m_placed > 0)
        bar->setSingleStep(m_delegate.lineHeight());
}

void ChatView::scrollToEnd()
{
    m_followEnd = true;
    verticalScrollBar()->setValue(verticalScrollBar()->maximum());
}

void ChatView::removeAll()
{
    m_model.clear();
    m_followEnd = false;
}

QString ChatView::toPlainText() const
{
    QStringList lines;
    for (int row = 0; row < m_model.rowCount(); ++row)
        lines << m_model.row(row).text;
    return lines.join(QLatin1Char('\n'));
}

void ChatView::selectAll()
{
    if (isEmpty())
        return;
    const int last = m_model.rowCount() - 1;
    m_anchor = {0, 0};
    m_cursor = {last, int(m_model.row(last).text.size())};
    viewport()->update();
}

QString ChatView::selectedPlainText() const
{
    const TextPos from = std::min(m_anchor, m_cursor);
    const TextPos to = std::max(m_anchor, m_cursor);
    if (from == to)
        return {};
    QStringList lines;
    for (int row = from.row; row <= to.row && row < m_model.rowCount(); ++row) {
        const QString &text = m_model.row(row).text;
        const int start = row == from.row ? from.offset : 0;
        const int end = row == to.row ? to.offset : int(text.size());
        lines << text.mid(start, end - start);
    }
    return lines.join(QLatin1String("\r\n")).remove(QChar::ObjectReplacementCharacter);
}

void ChatView::copySelection()
{
    if (!hasSelection())
        return;
    QClipboard *clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    clipboard->setText(selectedPlainText());
}

QString ChatView::wordAt(QPoint viewportPos) const
{
    const int row = lineAt(viewportPos);
    if (row < 0 || row >= m_placed)
        return {};
    const QString &text = m_model.row(row).text;
    const auto letter = [&text](qsizetype at) {
        return at >= 0 && at < text.size() && text[at].isLetter() && text[at].unicode() < 128;
    };
    // A click on a letter's right half puts the position after it.
    qsizetype at = posAt(viewportPos).offset;
    if (!letter(at))
        --at;
    if (!letter(at))
        return {};
    qsizetype start = at;
    qsizetype end = at + 1;
    while (letter(start - 1))
        --start;
    while (letter(end))
        ++end;
    return text.mid(start, end - start);
}

int ChatView::lineAt(QPoint viewportPos) const
{
    const int y = viewportPos.y() + verticalScrollBar()->value();
    const int row = rowAtY(y);
    if (row < 0 || y < rowY(row) || y >= rowY(row) + rowHeight(row))
        return -1;
    return row;
}

QRect ChatView::lineRect(int line) const
{
    if (line < 0 || line >= m_placed)
        return {};
    return {kMarginX, rowY(line) - verticalScrollBar()->value(), m_layoutWidth, rowHeight(line)};
}

QRect ChatView::linkRect(int number) const
{
    for (int row = 0; row < m_placed; ++row) {
        const ChatRow &line = m_model.row(row);
        if (number < line.firstLink || (row + 1 < m_placed && number >= m_model.row(row + 1).firstLink))
            continue;
        const QPoint origin = lineRect(row).topLeft();
        for (const ChatDelegate::Segment &segment : segmentsOf(row)) {
            if (line.items[std::size_t(segment.item)].link == number)
                return QRect(origin.x() + segment.x, origin.y() + segment.line * m_delegate.lineHeight(),
                             segment.width, m_delegate.lineHeight());
        }
    }
    return {};
}

std::vector<ChatDelegate::Segment> ChatView::segmentsOf(int row) const
{
    const Geometry &geometry = m_geometry[std::size_t(row)];
    std::vector<ChatDelegate::Segment> segments = m_delegate.layout(m_model.row(row), geometry.measure, m_layoutWidth);
    while (!segments.empty() && segments.back().line >= geometry.lines)
        segments.pop_back();
    return segments;
}

void ChatView::paintEvent(QPaintEvent *event)
{
    QPainter painter(viewport());
    const QRect area = event->rect();
    const int scroll = verticalScrollBar()->value();
    const TextPos from = std::min(m_anchor, m_cursor);
    const TextPos to = std::max(m_anchor, m_cursor);
    const QPalette::ColorGroup group = hasFocus() ? QPalette::Active : QPalette::Inactive;
    for (int row = qMax(0, rowAtY(scroll + area.top())); row < m_placed; ++row) {
        const int top = rowY(row) - scroll;
        if (top > area.bottom())
            break;
        ChatDelegate::Selection selection;
        if (from != to && row >= from.row && row <= to.row) {
            selection.start = row == from.row ? from.offset : 0;
            selection.end = row == to.row ? to.offset : int(m_model.row(row).text.size());
        }
        m_delegate.paint(painter, m_model.row(row), segmentsOf(row), QPoint(kMarginX, top), m_styles, selection,
                         palette(), group);
    }
}

void ChatView::resizeEvent(QResizeEvent *event)
{
    QAbstractScrollArea::resizeEvent(event);
    if (contentWidth() != m_layoutWidth)
        relayout();
    else
        restore(topAnchor());
}

void ChatView::scrollContentsBy(int, int dy)
{
    if (!m_shiftingOrigin)
        viewport()->scroll(0, dy);
}

ChatView::TextPos ChatView::posAt(QPoint viewportPos) const
{
    if (m_placed == 0)
        return {};
    const int y = viewportPos.y() + verticalScrollBar()->value();
    if (y < kMarginY)
        return {0, 0};
    const int row = rowAtY(y);
    const QPoint local(viewportPos.x() - kMarginX, y - rowY(row));
    if (local.y() >= rowHeight(row))
        return {row, int(m_model.row(row).text.size())};
    return {row, m_delegate.offsetAt(m_model.row(row), segmentsOf(row), local)};
}

int ChatView::linkAt(QPoint viewportPos) const
{
    const int row = lineAt(viewportPos);
    if (row < 0)
        return -1;
    const std::vector<ChatDelegate::Segment> segments = segmentsOf(row);
    const QPoint local(viewportPos.x() - kMarginX, viewportPos.y() + verticalScrollBar()->value() - rowY(row));
    const ChatDelegate::Segment *segment = ChatDelegate::segmentAt(segments, m_delegate.lineHeight(), local);
    return segment ? m_model.row(row).items[std::size_t(segment->item)].link : -1;
}

void ChatView::setCursorShape(QPoint viewportPos)
{
    if (linkAt(viewportPos) >= 0)
        viewport()->setCursor(Qt::PointingHandCursor);
    else
        viewport()->unsetCursor();
}

void ChatView::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        QAbstractScrollArea::mousePressEvent(event);
        return;
    }
    const QPoint at = event->position().toPoint();
    m_pressedLink = linkAt(at);
    m_anchor = m_cursor = posAt(at);
    viewport()->update();
}

void ChatView::mouseMoveEvent(QMouseEvent *event)
{
    const QPoint at = event->position().toPoint();
    if (!(event->buttons() & Qt::LeftButton)) {
        setCursorShape(at);
        return;
    }
    // Dragging past an edge scrolls further.
    if (at.y() < 0)
        verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepSub);
    else if (at.y() >= viewport()->height())
        verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    m_cursor = posAt(at);
    viewport()->update();
}

void ChatView::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    const int link = m_pressedLink;
    m_pressedLink = -1;
    // A click follows a link; a drag that started on one only selects.
    if (link >= 0 && !hasSelection() && linkAt(event->position().toPoint()) == link)
        emit jump(link);
}

void ChatView::keyPressEvent(QKeyEvent *event)
{
    QScrollBar *bar = verticalScrollBar();
    if (event->matches(QKeySequence::Copy)
        || (event->key() == Qt::Key_Insert && event->modifiers() == Qt::ControlModifier))
        copySelection();
    else if (event->matches(QKeySequence::SelectAll))
        selectAll();
    else if (event->key() == Qt::Key_Up)
        bar->triggerAction(QAbstractSlider::SliderSingleStepSub);
    else if (event->key() == Qt::Key_Down)
        bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    else if (event->key() == Qt::Key_PageUp)
        bar->triggerAction(QAbstractSlider::SliderPageStepSub);
    else if (event->key() == Qt::Key_PageDown)
        bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
    else if (event->key() == Qt::Key_Home)
        bar->triggerAction(QAbstractSlider::SliderToMinimum);
    else if (event->key() == Qt::Key_End)
        bar->triggerAction(QAbstractSlider::SliderToMaximum);
    else
        QAbstractScrollArea::keyPressEvent(event);
}
