#include "chat/chatdelegate.h"

#include "chat/smilies.h"

#include <QPainter>
#include <QTextLayout>

namespace {

bool isBlank(QChar c)
{
    return c == QLatin1Char(' ');
}

// The length of the character at i: surrogate pairs stay together.
int charLength(const QString &text, int i, int end)
{
    return text.at(i).isHighSurrogate() && i + 1 < end && text.at(i + 1).isLowSurrogate() ? 2 : 1;
}

} // namespace

ChatDelegate::ChatDelegate()
{
    setStyles(ChatStyles());
}

quint32 ChatDelegate::setStyles(const ChatStyles &styles)
{
    quint32 changed = 0;
    for (int i = 0; i < ChatStyles::kCount; ++i) {
        const TextStyle &style = styles[i];
        const TextStyle &before = m_styles[i];
        const bool sameRoom = m_haveStyles && style.sameMetrics(before);
        if (!sameRoom)
            changed |= 1u << i;
        if (!sameRoom || style.underline != before.underline)
            m_stale = true;
    }
    m_styles = styles;
    m_haveStyles = true;
    return changed;
}

// The fonts and their measures, made when first needed: loading a font
// takes a while, and the window is on the screen before its first line is
// laid out.
void ChatDelegate::ensureMetrics() const
{
    if (!m_stale)
        return;
    m_stale = false;
    m_metrics.clear();
    int ascent = 0;
    int descent = 0;
    for (int i = 0; i < ChatStyles::kCount; ++i) {
        m_fonts[i] = m_styles[i].font();
        const QFontMetrics &metrics = m_metrics.emplace_back(m_fonts[i]);
        m_blankWidths[i] = metrics.horizontalAdvance(QLatin1Char(' '));
        ascent = qMax(ascent, metrics.ascent());
        descent = qMax(descent, metrics.descent());
    }
    m_lineHeight = qMax(ascent + descent, smilies::kHeight) + 4;
    m_baseline = (m_lineHeight - ascent - descent) / 2 + ascent;
}

int ChatDelegate::lineHeight() const
{
    ensureMetrics();
    return m_lineHeight;
}

ChatDelegate::Measure ChatDelegate::measure(const ChatRow &row) const
{
    ensureMetrics();
    Measure measure;
    measure.advances.reserve(row.items.size());
    for (const ChatItem &item : row.items) {
        if (item.picture >= 0) {
            measure.advances.push_back(smilies::kWidth);
            continue;
        }
        measure.advances.push_back(m_metrics[std::size_t(item.style)].horizontalAdvance(row.itemText(item)));
        measure.styles |= 1u << item.style;
    }
    return measure;
}

template <typename Out>
void ChatDelegate::flow(const ChatRow &row, const Measure &measure, int width, Out out) const
{
    width = qMax(width, 1);
    int x = 0;
    int line = 0;
    for (std::size_t i = 0; i < row.items.size() && i < measure.advances.size(); ++i) {
        const ChatItem &item = row.items[i];
        const int advance = measure.advances[i];
        // Trailing blanks may hang past the edge; the rest must fit.
        int room = advance;
        if (item.picture < 0) {
            int blanks = 0;
            while (blanks < item.length && isBlank(row.text.at(item.start + item.length - 1 - blanks)))
                ++blanks;
            room -= blanks * m_blankWidths[std::size_t(item.style)];
        }
        if (x > 0 && x + room > width) {
            ++line;
            x = 0;
        }
        if (room <= width || item.picture >= 0) {
            out(Segment{int(i), item.start, item.length, line, x, advance});
            x += advance;
            continue;
        }
        // A word wider than the line is broken between characters.
        QTextLayout pieces(row.itemText(item), m_fonts[std::size_t(item.style)]);
        QTextOption option;
        option.setWrapMode(QTextOption::WrapAnywhere);
        pieces.setTextOption(option);
        pieces.beginLayout();
        for (QTextLine piece = pieces.createLine(); piece.isValid(); piece = pieces.createLine()) {
            piece.setLineWidth(width);
            if (piece.lineNumber() > 0)
                ++line;
            x = m_metrics[std::size_t(item.style)].horizontalAdvance(
                row.text.mid(item.start + piece.textStart(), piece.textLength()));
            out(Segment{int(i), item.start + piece.textStart(), piece.textLength(), line, 0, x});
        }
        pieces.endLayout();
    }
}

std::vector<ChatDelegate::Segment> ChatDelegate::layout(const ChatRow &row, const Measure &measure, int width) const
{
    ensureMetrics();
    std::vector<Segment> segments;
    segments.reserve(row.items.size());
    flow(row, measure, width, [&segments](const Segment &segment) { segments.push_back(segment); });
    return segments;
}

int ChatDelegate::lineCount(const ChatRow &row, const Measure &measure, int width) const
{
    ensureMetrics();
    int lines = 1;
    flow(row, measure, width, [&lines](const Segment &segment) { lines = segment.line + 1; });
    return lines;
}

void ChatDelegate::paint(QPainter &painter, const ChatRow &row, const std::vector<Segment> &segments, QPoint origin,
                         const ChatStyles &styles, Selection selection, const QPalette &palette,
                         QPalette::ColorGroup group) const
{
    ensureMetrics();
    for (const Segment &segment : segments) {
        const ChatItem &item = row.items[std::size_t(segment.item)];
        const QRect box(origin.x() + segment.x, origin.y() + segment.line * m_lineHeight, segment.width,
                        m_lineHeight);
        const int end = segment.start + segment.length;
        const int from = qBound(segment.start, selection.start, end);
        const int to = qBound(segment.start, selection.end, end);
        if (item.picture >= 0) {
            if (from < to)
                painter.fillRect(box, palette.brush(group, QPalette::Highlight));
            painter.drawImage(box.x(), box.y() + (m_lineHeight - smilies::kHeight) / 2, smilies::picture(item.picture));
            continue;
        }
        const QString text = row.text.mid(segment.start, segment.length);
        const int baseline = box.y() + m_baseline;
        painter.setFont(m_fonts[std::size_t(item.style)]);
        painter.setPen(styles[item.style].colour);
        painter.drawText(box.x(), baseline, text);
        if (from < to) {
            // The selected part again, in the highlight colours.
            const QFontMetrics &metrics = m_metrics[std::size_t(item.style)];
            const int left = box.x() + metrics.horizontalAdvance(text.left(from - segment.start));
            const int right = box.x() + metrics.horizontalAdvance(text.left(to - segment.start));
            const QRect selected(left, box.y(), right - left, m_lineHeight);
            painter.save();
            painter.setClipRect(selected, Qt::IntersectClip);
            painter.fillRect(selected, palette.brush(group, QPalette::Highlight));
            painter.setPen(palette.color(group, QPalette::HighlightedText));
            painter.drawText(box.x(), baseline, text);
            painter.restore();
        }
    }
}

int ChatDelegate::offsetAt(const ChatRow &row, const std::vector<Segment> &segments, QPoint at) const
{
    ensureMetrics();
    if (segments.empty())
        return 0;
    const int line = qBound(0, at.y() < 0 ? -1 : at.y() / m_lineHeight, segments.back().line);
    const Segment *last = nullptr;
    for (const Segment &segment : segments) {
        if (segment.line != line)
            continue;
        if (at.x() < segment.x)
            return segment.start;
        last = &segment;
        if (at.x() >= segment.x + segment.width)
            continue;
        const ChatItem &item = row.items[std::size_t(segment.item)];
        if (item.picture >= 0)
            return at.x() < segment.x + segment.width / 2 ? segment.start : segment.start + 1;
        // The boundary between characters nearest to the point.
        const QFontMetrics &metrics = m_metrics[std::size_t(item.style)];
        const int end = segment.start + segment.length;
        int x = segment.x;
        for (int i = segment.start; i < end;) {
            const int size = charLength(row.text, i, end);
            const int charWidth = metrics.horizontalAdvance(row.text.mid(i, size));
            if (at.x() < x + charWidth / 2)
                return i;
            x += charWidth;
            i += size;
        }
        return end;
    }
    return last ? last->start + last->length : 0;
}

const ChatDelegate::Segment *ChatDelegate::segmentAt(const std::vector<Segment> &segments, int lineHeight, QPoint at)
{
    if (at.y() < 0 || lineHeight <= 0)
        return nullptr;
    const int line = at.y() / lineHeight;
    for (const Segment &segment : segments) {
        if (segment.line == line && at.x() >= segment.x && at.x() < segment.x + segment.width)
            return &segment;
    }
    return nullptr;
}
