#pragma once

#include "chat/chatmodel.h"
#include "chat/chatstyles.h"

#include <QFontMetrics>
#include <QPalette>

#include <array>
#include <vector>

class QPainter;

// Lays out and paints one chat line: its items flow from left to right in
// their styles' fonts and wrap between words (inside a word only when it is
// wider than the line); every visual line has the same height. The colour
// of an item is its style's colour at the time of painting, so a style's
// new colour shows on all its lines for the price of one repaint.
class ChatDelegate
{
public:
    // What a line needs for its layout under the current fonts.
    struct Measure
    {
        std::vector<int> advances;   // per item, pixels
        quint32 styles = 0;          // bit n: some item is in style n
    };

    // One piece of an item on one visual line; row-relative pixels.
    struct Segment
    {
        int item = 0;
        int start = 0;    // in the line's text
        int length = 0;
        int line = 0;     // visual line, from 0
        int x = 0;
        int width = 0;
    };

    // A text range of the line, [start, end), drawn as selected.
    struct Selection
    {
        int start = 0;
        int end = 0;
    };

    ChatDelegate();

    // Takes the styles' fonts; returns the styles whose text now takes
    // other room (bit n for style n). Colours are not kept here.
    quint32 setStyles(const ChatStyles &styles);
    int lineHeight() const;

    Measure measure(const ChatRow &row) const;
    std::vector<Segment> layout(const ChatRow &row, const Measure &measure, int width) const;
    int lineCount(const ChatRow &row, const Measure &measure, int width) const;

    // Paints the line with its top left corner at origin.
    void paint(QPainter &painter, const ChatRow &row, const std::vector<Segment> &segments, QPoint origin,
               const ChatStyles &styles, Selection selection, const QPalette &palette,
               QPalette::ColorGroup group) const;

    // The text offset nearest to a row-relative point.
    int offsetAt(const ChatRow &row, const std::vector<Segment> &segments, QPoint at) const;
    // The segment under a row-relative point, or nullptr.
    static const Segment *segmentAt(const std::vector<Segment> &segments, int lineHeight, QPoint at);

private:
    template <typename Out>
    void flow(const ChatRow &row, const Measure &measure, int width, Out out) const;

    void ensureMetrics() const;

    ChatStyles m_styles;   // as last taken, for their fonts
    bool m_haveStyles = false;
    // Made from the styles when first needed after they change.
    mutable bool m_stale = true;
    mutable std::array<QFont, ChatStyles::kCount> m_fonts;
    mutable std::vector<QFontMetrics> m_metrics;   // one per style
    mutable std::array<int, ChatStyles::kCount> m_blankWidths{};
    mutable int m_lineHeight = 0;
    mutable int m_baseline = 0;   // from the top of a visual line
};
