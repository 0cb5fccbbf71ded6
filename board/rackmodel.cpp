#include "board/rackmodel.h"

#include "board/tileimages.h"
#include "words/random.h"

namespace {

const QString kCreateAWord = QStringLiteral("Create a word.");

// The empty word slot k shows pin k standing.
int standingPin(int k)
{
    return tileimages::kKnockedDown + k;
}

} // namespace

int RackModel::Tile::picture() const
{
    return hint.isEmpty() ? kNoPicture : tileimages::numofletter(hint.at(0));
}

RackModel::RackModel(QObject *parent) : QObject(parent), m_random(&Random::random)
{
    for (int k = 1; k <= kTiles; ++k)
        m_tiles[k].place = k;
    emptySlots();
}

const RackModel::Tile &RackModel::tile(int number) const
{
    static const Tile none;
    return valid(number) ? m_tiles[number] : none;
}

const RackModel::Slot &RackModel::slot(int number) const
{
    static const Slot none;
    return valid(number) ? m_slots[number] : none;
}

QList<int> RackModel::wordTiles() const
{
    QList<int> tiles;
    for (int k = 1; k <= m_wordlen; ++k)
        tiles << m_slots[k].tag;
    return tiles;
}

int RackModel::tileAt(int place) const
{
    for (int k = 1; k <= kTiles; ++k) {
        if (m_tiles[k].place == place)
            return k;
    }
    return 0;
}

void RackModel::setTurnseat(int seat)
{
    if (m_turnseat == seat)
        return;
    m_turnseat = seat;
    emit turnseatChanged(seat);
}

void RackModel::setCommandsVisible(bool visible)
{
    if (m_commandsVisible == visible)
        return;
    m_commandsVisible = visible;
    emit commandsVisibleChanged(visible);
}

void RackModel::setBadWordPanelVisible(bool visible)
{
    if (m_badWordPanel == visible)
        return;
    m_badWordPanel = visible;
    emit badWordPanelChanged(visible);
}

void RackModel::openBoard()
{
    setTurnseat(m_myseat);
    setCommandsVisible(true);
}

void RackModel::closeBoard()
{
    setTurnseat(0);
    setCommandsVisible(false);
}

bool RackModel::take(int tile)
{
    if (!valid(tile) || m_wordlen == kTiles || m_tiles[tile].tag == 0)
        return false;
    Tile &from = m_tiles[tile];
    Slot &to = m_slots[++m_wordlen];
    to.tag = from.tag;
    to.hint = from.hint;
    to.picture = from.picture();
    from.tag = 0;
    from.hint.clear();
    emit changed();
    return true;
}

bool RackModel::swap(int a, int b)
{
    if (!valid(a) || !valid(b) || a == b)
        return false;
    std::swap(m_tiles[a].place, m_tiles[b].place);
    m_tiles[a].raised = false;
    m_tiles[b].raised = false;
    emit changed();
    return true;
}

bool RackModel::putBack(int slot)
{
    if (m_wordlen < 1 || slot != m_wordlen)
        return false;
    restore(slot);
    --m_wordlen;
    emit changed();
    return true;
}

bool RackModel::returnWord()
{
    if (m_wordlen == 0)
        return false;
    for (int k = 1; k <= m_wordlen; ++k)
        restore(k);
    m_wordlen = 0;
    emit changed();
    return true;
}

void RackModel::shuffle()
{
    for (int i = 1; i <= kTiles; ++i) {
        const int j = m_random(kTiles) + 1;
        if (j == i || !valid(j))
            continue;
        std::swap(m_tiles[i].place, m_tiles[j].place);
        m_tiles[i].raised = false;
        m_tiles[j].raised = false;
        m_swappick = 0;
    }
    emit changed();
}

// A deal names each tile's letter; tiles it leaves out, or gives no letter,
// stay empty.
void RackModel::theletters(const msg::TheLetters &deal)
{
    m_wordlen = 0;
    m_swappick = 0;
    for (const msg::TheLetters::Tile &tile : deal.tiles) {
        if (!tile.letter)
            continue;
        m_tiles[tile.position].tag = tile.position;
        m_tiles[tile.position].hint = QString(QLatin1Char(tile.letter));
    }
    // Screen places carry over: the order left by swaps and shuffles stays.
    for (int k = 1; k <= kTiles; ++k)
        m_tiles[k].raised = false;
    emptySlots();
    emit changed();
    // A deal to the own seat is a fresh bonus rack and opens the board.
    if (deal.seat >= 1 && deal.seat == m_myseat)
        openBoard();
}

void RackModel::image_letters1MouseDown(int tile, Qt::MouseButton button)
{
    if (!isMyTurn() || !valid(tile))
        return;
    createAWord();
    if (button == Qt::LeftButton && m_swappick == 0) {
        if (take(tile))
            emit sound(QStringLiteral("puttile"));
        return;
    }
    if (m_swappick > 0) {
        // Any button completes a pending swap, the left one included.
        const int raised = m_swappick;
        m_swappick = 0;
        if (m_tiles[tile].tag == raised) {
            lower(tile);
        } else {
            swap(tile, raised);
            emit sound(QStringLiteral("swap"));
        }
        return;
    }
    if (button == Qt::RightButton && m_tiles[tile].tag > 0) {
        // A place whose letter is in the word cannot be lifted.
        m_swappick = m_tiles[tile].tag;
        m_tiles[tile].raised = true;
        emit changed();
    }
}

void RackModel::image_word1MouseUp(int slot)
{
    if (!isMyTurn())
        return;
    createAWord();
    if (putBack(slot))
        emit sound(QStringLiteral("unselect"));
}

// The clear image is shown only during the own turn, so it needs no gate.
void RackModel::button_clearClick()
{
    createAWord();
    if (returnWord())
        emit sound(QStringLiteral("clear"));
}

void RackModel::button_sendClick()
{
    if (!isMyTurn())
        return;
    setBadWordPanelVisible(false);
    emit statusText(QStringLiteral("Checking Word.."));
    if (m_wordlen == 0)
        return;
    // The word travels as rack tile numbers; the host has the letters.
    if (m_loggedin)
        emit sendword(wordTiles());
    closeBoard();
}

void RackModel::button_sortClick()
{
    if (!isMyTurn())
        return;
    setBadWordPanelVisible(false);
    shuffle();
}

void RackModel::Image3Click()
{
    createAWord();
}

bool RackModel::claimsKey(int key) const
{
    return isMyTurn() && (key == Qt::Key_Tab || key == Qt::Key_Backtab || m_typeWords);
}

bool RackModel::FormShortCut(int key, Qt::KeyboardModifiers modifiers)
{
    if (!isMyTurn())
        return false;
    // Shift turns Tab into Backtab; modifiers are not looked at otherwise.
    if (key == Qt::Key_Tab || key == Qt::Key_Backtab) {
        m_typeWords = !m_typeWords;
        emit typeWordsToggled(m_typeWords);
        if (!m_typeWords)
            return true;
    }
    if (!m_typeWords)
        return false;
    setBadWordPanelVisible(false);
    // Only the digit keys of the main row clear and shuffle.
    const bool keypad = modifiers.testFlag(Qt::KeypadModifier);
    switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        button_sendClick();
        return true;
    case Qt::Key_Backspace:
        if (m_wordlen >= 1)
            image_word1MouseUp(m_wordlen);
        return true;
    case Qt::Key_1:
        if (!keypad)
            button_clearClick();
        return true;
    case Qt::Key_6:
        if (!keypad)
            button_sortClick();
        return true;
    case Qt::Key_Space:
        if (m_useSpace) {
            button_sortClick();
            return true;
        }
        break;
    default:
        break;
    }
    int tile = 0;
    if (tileOfLetter(myletter(key), &tile))
        image_letters1MouseDown(tile, Qt::LeftButton);
    return true;
}

QString RackModel::myletter(int key)
{
    return key >= Qt::Key_A && key <= Qt::Key_Z ? QString(QChar(u'a' + (key - Qt::Key_A))) : QString();
}

void RackModel::clearall()
{
    m_swappick = 0;
    m_wordlen = 0;
    for (int k = 1; k <= kTiles; ++k)
        m_tiles[k].raised = false;
    emptySlots();
    emit changed();
}

void RackModel::refuseWord()
{
    openBoard();
    emit sound(QStringLiteral("badword"));
    emit statusText(QStringLiteral("Invalid Word"));
    if (m_showBadWord)
        setBadWordPanelVisible(true);
    if (m_clearWords)
        returnWord();
}

void RackModel::acceptWord(int ball, int letters, bool reopen)
{
    // After a first word the used slots show knocked-down pins, so the row
    // tells how many letters are left.
    const int knocked = ball == 1 ? qBound(0, letters, kTiles) : 0;
    for (int k = 1; k <= kTiles; ++k) {
        m_slots[k] = Slot{};
        m_slots[k].picture = k > kTiles - knocked ? tileimages::kKnockedDown : standingPin(k);
    }
    // The row holds no letters of the rack now, whether or not it reopens.
    m_wordlen = 0;
    emit changed();
    if (reopen)
        openBoard();
}

void RackModel::showFrameWord(const QString &ownword)
{
    const QString word = ownword.toLower();
    for (int k = 1; k <= kTiles; ++k) {
        m_slots[k] = Slot{};
        m_slots[k].picture = k <= word.size() ? tileimages::numofletter(word.at(k - 1)) : standingPin(k);
        m_tiles[k].tag = 0;
        m_tiles[k].hint.clear();
    }
    m_wordlen = 0;
    emit changed();
}

void RackModel::emptySlots()
{
    for (int k = 1; k <= kTiles; ++k) {
        m_slots[k] = Slot{};
        m_slots[k].picture = standingPin(k);
    }
}

void RackModel::restore(int slot)
{
    Slot &from = m_slots[slot];
    if (valid(from.tag)) {
        Tile &home = m_tiles[from.tag];
        home.tag = from.tag;
        home.hint = from.hint;
        home.raised = false;
    }
    from = Slot{};
    from.picture = standingPin(slot);
}

void RackModel::lower(int tile)
{
    m_tiles[tile].raised = false;
    emit changed();
}

void RackModel::createAWord()
{
    setBadWordPanelVisible(false);
    emit statusText(kCreateAWord);
}

bool RackModel::tileOfLetter(const QString &letter, int *tile) const
{
    if (letter.isEmpty())
        return false;
    // Tile-number order, not screen order: duplicates go lowest first.
    for (int k = 1; k <= kTiles; ++k) {
        if (m_tiles[k].hint.toLower() == letter) {
            *tile = k;
            return true;
        }
    }
    return false;
}
