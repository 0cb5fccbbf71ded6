#include "chat/chatview.h"

#include "chat/smilies.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QScrollBar>
#include <QTextDocument>
#include <QTextFrame>

namespace {

const QString kLinkScheme = QStringLiteral("pinlex-link");
const QString kSmileyScheme = QStringLiteral("pinlex-smiley");

// Every line gets the same height, with its baseline at the same place,
// whether or not it holds a smiley: room for the text at the styles' size,
// and at least for a picture.
int lineHeightFor(const ChatStyles &styles)
{
    int points = 0;
    for (int style = 0; style < ChatStyles::kCount; ++style)
        points = qMax(points, styles[style].pointSize);
    return qMax(smilies::kHeight + 4, points * 2);
}

// Peer text stays on its own line: breaks and other control characters would
// let a sender start lines that look like somebody else's.
QString oneLine(QString text)
{
    for (QChar &c : text) {
        if (c.unicode() < 0x20 || c == QChar::LineSeparator || c == QChar::ParagraphSeparator
            || c == QChar::ObjectReplacementCharacter)
            c = QLatin1Char(' ');
    }
    return text;
}

} // namespace

ChatView::ChatView(QWidget *parent)
    : QTextBrowser(parent), m_applied(m_styles), m_lineHeight(lineHeightFor(m_styles))
{
    setOpenLinks(false);
    setOpenExternalLinks(false);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Base, Qt::white);
    setPalette(palette);
    resetDocument();

    connect(this, &QTextBrowser::anchorClicked, this, [this](const QUrl &url) {
        bool ok = false;
        const int number = url.path().toInt(&ok);
        if (url.scheme() == kLinkScheme && ok)
            emit jump(number);
    });
    // Follow the end of the chat until the player scrolls: the scroll range
    // grows only once the new line has been laid out.
    connect(verticalScrollBar(), &QScrollBar::rangeChanged, this, [this](int, int maximum) {
        if (m_followEnd)
            verticalScrollBar()->setValue(maximum);
    });
    connect(verticalScrollBar(), &QScrollBar::actionTriggered, this, [this] { m_followEnd = false; });
}

void ChatView::resetDocument()
{
    document()->setUndoRedoEnabled(false);
    QTextFrameFormat root = document()->rootFrame()->frameFormat();
    root.setLeftMargin(5);
    root.setRightMargin(5);
    root.setTopMargin(2);
    root.setBottomMargin(2);
    document()->rootFrame()->setFrameFormat(root);
    m_cursor = QTextCursor(document());
    m_cursor.movePosition(QTextCursor::End);
    m_cursor.setBlockFormat(lineFormat());
}

QTextBlockFormat ChatView::lineFormat() const
{
    QTextBlockFormat line;
    line.setLineHeight(m_lineHeight, QTextBlockFormat::FixedHeight);
    return line;
}

void ChatView::beginBatch()
{
    m_followEnd = false;
    if (m_batchOpen)
        return;
    m_cursor.beginEditBlock();
    m_batchOpen = true;
}

void ChatView::addText(const QString &text, int style, bool newLine)
{
    if (style < 0 || style >= ChatStyles::kCount)
        return;
    beginBatch();
    if (newLine && !m_empty)
        m_cursor.insertBlock(lineFormat());
    QTextCharFormat format = m_styles[style].charFormat();
    if (m_styles[style].link) {
        format.setAnchor(true);
        format.setAnchorHref(QStringLiteral("%1:%2").arg(kLinkScheme).arg(m_linkCount++));
    }
    const int start = m_cursor.position();
    m_cursor.insertText(oneLine(text), format);
    const int end = m_cursor.position();
    std::vector<Range> &ranges = m_ranges[style];
    if (!ranges.empty() && ranges.back().end == start)
        ranges.back().end = end;
    else if (end > start)
        ranges.push_back({start, end});
    m_empty = false;
}

void ChatView::addPicture(int index)
{
    beginBatch();
    QTextImageFormat image;
    image.setName(QStringLiteral("%1:%2").arg(kSmileyScheme).arg(index >= 0 && index < smilies::kCount ? index : 0));
    image.setWidth(smilies::kWidth);
    image.setHeight(smilies::kHeight);
    image.setVerticalAlignment(QTextCharFormat::AlignMiddle);
    m_cursor.insertImage(image);
    m_empty = false;
}

void ChatView::format()
{
    for (int style = 0; style < ChatStyles::kCount; ++style) {
        if (m_styles[style] == m_applied[style])
            continue;
        beginBatch();
        // Merging keeps each link's own target.
        const QTextCharFormat format = m_styles[style].charFormat();
        QTextCursor cursor(document());
        for (const Range &range : m_ranges[style]) {
            cursor.setPosition(range.start);
            cursor.setPosition(range.end, QTextCursor::KeepAnchor);
            cursor.mergeCharFormat(format);
        }
    }
    if (const int height = lineHeightFor(m_styles); height != m_lineHeight) {
        beginBatch();
        m_lineHeight = height;
        QTextCursor all(document());
        all.select(QTextCursor::Document);
        all.mergeBlockFormat(lineFormat());
    }
    m_applied = m_styles;
    if (m_batchOpen) {
        m_batchOpen = false;
        m_cursor.endEditBlock();
    }
}

void ChatView::scrollToEnd()
{
    m_followEnd = true;
    verticalScrollBar()->setValue(verticalScrollBar()->maximum());
}

void ChatView::removeAll()
{
    if (m_batchOpen) {
        m_batchOpen = false;
        m_cursor.endEditBlock();
    }
    clear();
    m_lineHeight = lineHeightFor(m_styles);
    resetDocument();
    for (std::vector<Range> &ranges : m_ranges)
        ranges.clear();
    m_applied = m_styles;
    m_empty = true;
    m_linkCount = 0;
}

QString ChatView::selectedPlainText() const
{
    QString text = textCursor().selectedText();
    text.remove(QChar::ObjectReplacementCharacter);
    text.replace(QChar::ParagraphSeparator, QLatin1String("\r\n"));
    return text;
}

void ChatView::copySelection()
{
    if (!textCursor().hasSelection())
        return;
    QClipboard *clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    clipboard->setText(selectedPlainText());
}

QMimeData *ChatView::createMimeDataFromSelection() const
{
    auto *data = new QMimeData;
    data->setText(selectedPlainText());
    return data;
}

QVariant ChatView::loadResource(int type, const QUrl &name)
{
    // The view holds nothing but its own pictures: no file or network
    // resource is ever looked up.
    bool ok = false;
    const int index = name.path().toInt(&ok);
    if (type == QTextDocument::ImageResource && name.scheme() == kSmileyScheme && ok)
        return smilies::picture(index);
    return {};
}
