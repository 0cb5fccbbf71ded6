#pragma once

#include <QString>
#include <QUrl>

#include <optional>

class ChatView;

// The chat as the main window keeps it: display lines go into the view in
// their slot's style and colour, and a link's text is found again under
// the number the view reports when it is clicked.
class ChatLog
{
public:
    // The host's notices and the game's own: clBlue.
    static constexpr quint32 kSystemColour = 0xFF0000;

    explicit ChatLog(ChatView *view);

    // Adds one display line "number+text" in the colour (a colour value),
    // then shows it and, with scroll, brings the end into view. Throws as
    // ChatLine::parse does, adding nothing.
    void addLine(const QString &line, quint32 colour, bool scroll);
    // The same, a line it cannot read going to the error display instead.
    void addlinetochat(const QString &line, quint32 colour, bool scroll);
    // A notice of the game's own, shown as the host's slot speaks, in its
    // colour.
    void addNotice(const QString &text, bool scroll);
    // Empties the view; link numbers start again.
    void clear();

    // Number of the last link given out, -1 when none.
    int linkcount() const;
    // The text of a link, trailing blank included; nothing for a number
    // that was never given out or whose line the view no longer holds.
    std::optional<QString> link(int number) const;

    // The web address a link's text opens, trailing blanks removed: only
    // http and https pages, so that a word from a peer can never open a
    // local file or another kind of address. Invalid when there is none.
    static QUrl webAddress(const QString &linkText);
    // A click on a link: its web page opens in the browser, or "Cannot open
    // Webpage" goes to the error display.
    void mainchatJump(int number) const;

private:
    ChatView *m_view;
};
