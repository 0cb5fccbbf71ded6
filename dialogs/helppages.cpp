#include "dialogs/helppages.h"

#include "base/version.h"

#include <QFile>

namespace {

QString overview()
{
    return QStringLiteral(
        "<p><b>Pinlex</b> is a word game played like ten-pin bowling. Every frame, each player gets "
        "the same ten scrambled letters, the letters of one ten-letter word. Make words from them: "
        "every letter you use knocks down one pin.</p>"
        "<p>Up to four players sit at the table and up to five more can watch. All seats play each "
        "frame at the same time against one turn clock. After ten frames the highest score wins; a "
        "perfect game is 300.</p>"
        "<p>Play alone, or with others over a network: through the Orvik9 Lobby, or by hosting or "
        "joining a game yourself. The topics on the left explain connecting, playing and scoring.</p>");
}

QString connecting()
{
    return QStringLiteral(
        "<p><b>Solo.</b> Started without parameters, Pinlex plays a solo game on this computer and "
        "calls you \"You\". A window offers the Orvik9 Lobby first; click \"Play Solo Game\" to go on "
        "without it.</p>"
        "<p><b>Through the lobby.</b> The Orvik9 Lobby starts Pinlex for you with three parameters: "
        "your name, the host's address, and <tt>true</tt> in the copy that hosts the game.</p>"
        "<p><b>Without the lobby.</b> Use <i>File &gt; Host a Game\u2026</i> or <i>File &gt; Join a "
        "Game\u2026</i>, or start Pinlex from a terminal:</p>"
        "<p><tt>pinlex NAME HOST true [--port N]</tt> hosts a game as NAME.<br>"
        "<tt>pinlex NAME HOST other [--port N]</tt> joins the game hosted at HOST as NAME.</p>"
        "<p>The first four to arrive take the seats; later arrivals watch.</p>"
        "<p><b>Tables on the local network.</b> A game you host for others is shown to the other "
        "computers of your local network as \"NAME's table\", with its seats taken, spectators and "
        "whether a game is on; uncheck \"Show my table on the local network\" in the dialog to keep it "
        "to yourself. A solo game is never shown. <i>Join a Game\u2026</i> lists the tables it finds "
        "while it is open: double-click one, or choose it and click <i>Join</i>. A table whose host "
        "stops answering greys out and goes; one of another version of the game is marked and cannot "
        "be joined. Tables on other networks are not listed: type their address.</p>"
        "<p><b>Players on the internet.</b> A table shown on the local network also asks your router to "
        "open its port to the internet, and closes it again when you stop hosting; in most homes there "
        "is nothing to set up. The chat tells you once where players outside can join, or that they "
        "will come through the directory's relay when the router did not open it. Then too there is "
        "nothing to do: players join by the table's code, and the game directory passes their "
        "connection on to your copy. Uncheck \"Ask my router to open the game to the internet\" in "
        "the dialog to leave the router alone. Without a game directory (Options &gt; Game "
        "Directories…) only players on your network can join a table the router did not open.</p>"
        "<p><b>Firewall.</b> The host listens on TCP port 7772 (or the port given with "
        "<tt>--port</tt>). To host for players on other computers, allow incoming TCP connections "
        "on that port in your firewall, for example <tt>sudo ufw allow 7772/tcp</tt>. To be found "
        "on a network without mDNS, allow UDP port 7772 too. Joining needs no open port.</p>"
        "<p><b>When the host leaves.</b> The game runs inside the host's copy of Pinlex. When the "
        "hosting player closes Pinlex, all play ends and every other player's window closes.</p>");
}

QString gamePlay()
{
    return QStringLiteral(
        "<p>The hosting player starts a game with <i>File &gt; Start Game</i>, choosing the time per "
        "turn, a team game (seats 1 and 3 against seats 2 and 4) and, if wanted, computer players "
        "for the empty seats.</p>"
        "<p>A game has ten frames. Each frame deals the same ten scrambled letters to every seat. "
        "Click tiles to build a word, then click <i>send</i>. You may play up to two words a frame; "
        "the letters of your first word are gone for the second, like pins knocked down by the "
        "first ball.</p>"
        "<ul><li>One word of all ten letters is a <b>strike</b>.</li>"
        "<li>Two words that use all ten letters between them are a <b>spare</b>.</li>"
        "<li>Anything less is an <b>open frame</b>.</li></ul>"
        "<p>After a strike or a spare in the tenth frame you get fresh bonus letters.</p>"
        "<p>Right-click two tiles of your rack to swap them. Click the last letter of your word to "
        "take it back.</p>"
        "<p><b>Keys.</b> Tab turns typing on and off (<i>Options &gt; Type Words</i>). While typing "
        "is on, type letters to build the word, and:</p>"
        "<ul><li>Enter sends the word,</li>"
        "<li>Backspace removes the last letter,</li>"
        "<li>\"1\" or Esc clears the word,</li>"
        "<li>\"6\" shuffles the rack.</li></ul>"
        "<p>Keys with Ctrl or Alt and the function keys still reach the menus and this help.</p>"
        "<p><b>What did that word mean?</b> Click a word on the scorecard (a word a player played, or the "
        "frame's own word under the card), choose <i>Define WORD</i> in the chat's right-click menu, or press "
        "Ctrl+D (<i>View &gt; Words</i>): the <i>Words</i> window beside the game lists the frame's own word, "
        "then every word played with its player, each with its part of speech and up to three short meanings. "
        "<i>Options &gt; Show Word Definitions After Each Frame</i> opens it by itself at the end of every "
        "frame, without taking the keys from the board. The game history shows the meanings of the words of "
        "the frame you choose. The meanings come from WordNet, read on your own computer from the Debian "
        "package <tt>wordnet-base</tt>; without it the window says so, and the rest of the game is "
        "unchanged. Nothing is sent to the host.</p>");
}

QString scoring()
{
    return QStringLiteral(
        "<p>Every letter you play knocks down one pin, and frames are scored as in bowling:</p>"
        "<ul><li>An open frame scores the letters of its words.</li>"
        "<li>A spare scores 10 plus the letters of the next frame's first word.</li>"
        "<li>A strike scores 10 plus the letters of the next two words.</li></ul>"
        "<p>A frame that waits for a bonus shows its score once the bonus is played, and TOTAL "
        "counts it only then: after a strike or a spare in the first frame TOTAL still shows 0. "
        "The letters of later frames count as they are played.</p>"
        "<p>The tenth frame has a third box. After a strike or a spare there you get fresh bonus "
        "letters and play on; the third box shows the letters of your third word, and the tenth "
        "frame scores all three words, with no further bonus.</p>"
        "<p><b>Example.</b> Frame 1: BACKSTROKE, a strike. Frame 2: two words of five letters, a "
        "spare. Frame 3: words of three and four letters.</p>"
        "<ul><li>Frame 1: 10 + 5 + 5 = 20.</li>"
        "<li>Frame 2: 10 + 3 = 13, running total 33.</li>"
        "<li>Frame 3: 3 + 4 = 7, running total 40.</li></ul>"
        "<p>Twelve strikes in a row (nine frames plus three ten-letter words in the tenth) make "
        "the perfect game of 300.</p>");
}

QString history()
{
    return QStringLiteral("<h3>History</h3>"
                          "<p><b>Version %1</b> (build %2)<br>"
                          "Pinlex for Linux: solo games and network games for four players and five "
                          "spectators, computer players, a win and loss tally against every opponent, "
                          "and chat with actions, smilies and phrase buttons.</p>")
        .arg(QString::fromLatin1(kVersionText), QString::fromLatin1(kBuildSuffix).mid(1));
}

QString noticeFile(const QString &resource)
{
    QFile file(resource);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    // Kept line for line, but wrapped to the page's width.
    return QStringLiteral("<p style=\"white-space: pre-wrap\">") + QString::fromUtf8(file.readAll()).toHtmlEscaped()
        + QStringLiteral("</p>");
}

QString license()
{
    return QStringLiteral(
               "<p><b>Pinlex</b><br>Copyright \u00a9 the Pinlex developers</p>"
               "<p>Pinlex is free software: you can redistribute it and/or modify it under the terms "
               "of the GNU General Public License as published by the Free Software Foundation, "
               "either version 3 of the License, or (at your option) any later version.</p>"
               "<p>Pinlex is distributed in the hope that it will be useful, but WITHOUT ANY "
               "WARRANTY; without even the implied warranty of MERCHANTABILITY or FITNESS FOR A "
               "PARTICULAR PURPOSE. See the GNU General Public License for more details.</p>"
               "<p>The licence's full text follows the notices of the word lists below; it is also "
               "at https://www.gnu.org/licenses/gpl-3.0.html.</p>"
               "<h3>Word lists</h3>"
               "<p><b>ENABLE</b> (Enhanced North American Benchmark LExicon), compiled by Alan Beale "
               "and M. Cooper, with thanks to its originators. \"The ENABLE master word list, "
               "WORD.LST, is herewith formally released into the Public Domain. Anyone is free to use "
               "it or distribute it in any manner they see fit.\" The ENABLE words in Pinlex's "
               "dictionary may be redistributed without restriction.</p>"
               "<p><b>List of Dirty, Naughty, Obscene, and Otherwise Bad Words</b>, English list, "
               "first published by Shutterstock, Inc., licensed under the Creative Commons "
               "Attribution 4.0 International licence "
               "(https://creativecommons.org/licenses/by/4.0/). Pinlex uses it unchanged, only to "
               "keep words out of the racks; it is provided as is, without warranties.</p>"
               "<p><b>SCOWL</b> (Spell Checker Oriented Word Lists) by Kevin Atkinson, used under "
               "this notice:</p>")
        + noticeFile(QStringLiteral(":/dialogs/words/scowl-copyright.txt"))
        + QStringLiteral("<h3>Word meanings</h3>")
        + noticeFile(QStringLiteral(":/dialogs/wordnet-LICENSE.txt"))
        + QStringLiteral("<h3>GNU General Public License, version 3</h3>")
        + noticeFile(QStringLiteral(":/dialogs/COPYING"));
}

QString lobby()
{
    return QStringLiteral(
        "<p>The <b>Orvik9 Lobby</b> is a separate program from the maker of Pinlex. It is where "
        "players meet to play Pinlex and other games online: it finds the other players and starts "
        "Pinlex with the right name and host for everybody. While such a game runs, Pinlex keeps a "
        "connection to the lobby on this computer (TCP port 9001).</p>"
        "<p>Pinlex looks for the lobby program at <tt>~/.local/bin/orvik9lobby</tt>. The download "
        "window shown at a solo start can fetch and install it; \"Play with Others\" closes Pinlex "
        "and starts the lobby when it is installed there.</p>"
        "<p>You do not need the lobby to play: solo games, and hosting or joining a game from the "
        "File menu or the command line, work without it.</p>");
}

} // namespace

QList<HelpTopic> helpTopics()
{
    return {
        {1, QStringLiteral("Overview"), overview()},
        {2, QStringLiteral("Connecting"), connecting()},
        {3, QStringLiteral("Game Play"), gamePlay()},
        {4, QStringLiteral("Scoring"), scoring()},
        {5, QStringLiteral("Documentation"), history()},
        {6, QStringLiteral("License"), license()},
        {11, QStringLiteral("The Lobby"), lobby()},
    };
}
