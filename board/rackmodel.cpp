#include "board/rackmodel.h"

#include "words/random.h"

namespace {

const QString kCreateAWord = QStringLiteral("Create a word.");

} // namespace

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

template <typename Change>
void RackModel::changingKeys(Change change)
{
    const bool typed = typing();
    const bool took = takesKeys();
    change();
    if (typed != typing())
        emit typingChanged(typing());
    if (took != takesKeys())
        emit takesKeysChanged(takesKeys());
}

void RackModel::setTurnseat(int seat)
{
    if (m_turnseat == seat)
        return;
    changingKeys([&] { m_turnseat = seat; });
    emit turnseatChanged(seat);
}

void RackModel::setMyseat(int seat)
{
    changingKeys([&] { m_myseat = seat; });
}

void RackModel::setTypeWords(bool on)
{
    changingKeys([&] { m_typeWords = on; });
}

void RackModel::setChatHasKeys(bool has)
{
    changingKeys([&] { m_chatHasKeys = has; });
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

bool RackModel::selectTile(int tile)
{
    return press(tile, Press::Take);
}

bool RackModel::liftTile(int tile)
{
    return press(tile, Press::Lift);
}

bool RackModel::swapWith(int tile)
{
    return press(tile, Press::SwapOnly);
}

bool RackModel::putBack(int slot)
{
    if (!isMyTurn())
        return false;
    createAWord();
    if (m_wordlen < 1 || slot != m_wordlen)
        return false;
    restore(slot);
    --m_wordlen;
    emit changed();
    emit sound(QStringLiteral("unselect"));
    return true;
}

// The clear image is shown only during the own turn, so it needs no gate.
bool RackModel::returnWord()
{
    createAWord();
    if (!returnLetters())
        return false;
    emit sound(QStringLiteral("clear"));
    return true;
}

bool RackModel::submitWord()
{
    if (!isMyTurn())
        return false;
    setBadWordPanelVisible(false);
    emit statusText(QStringLiteral("Checking Word.."));
    if (m_wordlen == 0)
        return false;
    // The word travels as rack tile numbers; the host has the letters.
    if (m_loggedin)
        emit sendword(wordTiles());
    closeBoard();
    return true;
}

bool RackModel::shuffleRack()
{
    if (!isMyTurn())
        return false;
    setBadWordPanelVisible(false);
    for (int i = 1; i <= kTiles; ++i) {
        const int j = m_random(kTiles) + 1;
        if (j == i || !valid(j))
            continue;
        exchangePlaces(i, j);
        m_swappick = 0;
    }
    emit changed();
    return true;
}

void RackModel::dismissRefusedWord()
{
    createAWord();
}

bool RackModel::claimsKey(Key key) const
{
    return isMyTurn() && !m_chatHasKeys && key != Key::Window && (key == Key::ToggleTyping || m_typeWords);
}

bool RackModel::typeKey(Key key, QChar letter)
{
    if (!claimsKey(key))
        return false;
    if (key == Key::ToggleTyping) {
        setTypeWords(!m_typeWords);
        emit typeWordsToggled(m_typeWords);
        if (!m_typeWords)
            return true;
    }
    setBadWordPanelVisible(false);
    switch (key) {
    case Key::Send:
        if (m_wordlen > 0)
            submitWord();
        break;
    case Key::Erase:
        if (m_wordlen >= 1)
            putBack(m_wordlen);
        break;
    case Key::Clear:
        returnWord();
        break;
    case Key::Shuffle:
        shuffleRack();
        break;
    case Key::Space:
        if (m_useSpace)
            shuffleRack();
        break;
    case Key::Letter:
        if (const int tile = tileOfLetter(letter))
            selectTile(tile);
        break;
    case Key::ToggleTyping:
    case Key::Other:
    case Key::Window:
        break;
    }
    // While typing, every key is the board's.
    return true;
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
        returnLetters();
}

void RackModel::acceptWord(int ball, int letters, bool reopen)
{
    // After a first word the used slots show knocked-down pins, so the row
    // tells how many letters are left.
    const int knocked = ball == 1 ? qBound(0, letters, kTiles) : 0;
    for (int k = 1; k <= kTiles; ++k) {
        m_slots[k] = Slot{};
        m_slots[k].pinDown = k > kTiles - knocked;
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
        m_slots[k].shows = k <= word.size() ? word.at(k - 1) : QChar();
        m_tiles[k].tag = 0;
        m_tiles[k].hint.clear();
    }
    m_wordlen = 0;
    emit changed();
}

bool RackModel::press(int tile, Press press)
{
    if (!isMyTurn() || !valid(tile))
        return false;
    createAWord();
    if (press == Press::Take && m_swappick == 0) {
        if (!take(tile))
            return false;
        emit sound(QStringLiteral("puttile"));
        return true;
    }
    if (m_swappick > 0) {
        // Any press completes a pending swap, a taking one included.
        const int raised = m_swappick;
        m_swappick = 0;
        if (m_tiles[tile].tag == raised) {
            m_tiles[tile].raised = false;
            emit changed();
        } else {
            exchangePlaces(tile, raised);
            emit changed();
            emit sound(QStringLiteral("swap"));
        }
        return true;
    }
    if (press == Press::Lift && m_tiles[tile].tag > 0) {
        // A place whose letter is in the word cannot be lifted.
        m_swappick = m_tiles[tile].tag;
        m_tiles[tile].raised = true;
        emit changed();
        return true;
    }
    return false;
}

bool RackModel::take(int tile)
{
    if (m_wordlen == kTiles || m_tiles[tile].tag == 0)
        return false;
    Tile &from = m_tiles[tile];
    Slot &to = m_slots[++m_wordlen];
    to.tag = from.tag;
    to.hint = from.hint;
    to.shows = from.hint.at(0);
    from.tag = 0;
    from.hint.clear();
    emit changed();
    return true;
}

void RackModel::exchangePlaces(int a, int b)
{
    std::swap(m_tiles[a].place, m_tiles[b].place);
    m_tiles[a].raised = false;
    m_tiles[b].raised = false;
}

bool RackModel::returnLetters()
{
    if (m_wordlen == 0)
        return false;
    for (int k = 1; k <= m_wordlen; ++k)
        restore(k);
    m_wordlen = 0;
    emit changed();
    return true;
}

void RackModel::emptySlots()
{
    for (int k = 1; k <= kTiles; ++k)
        m_slots[k] = Slot{};
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
}

void RackModel::createAWord()
{
    setBadWordPanelVisible(false);
    emit statusText(kCreateAWord);
}

int RackModel::tileOfLetter(QChar letter) const
{
    if (letter.isNull())
        return 0;
    // Tile-number order, not screen order: duplicates go lowest first.
    const QString wanted(letter.toLower());
    for (int k = 1; k <= kTiles; ++k) {
        if (m_tiles[k].hint.toLower() == wanted)
            return k;
    }
    return 0;
}
