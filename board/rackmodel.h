#pragma once

#include "base/gamenumbers.h"
#include "protocol/messages.h"

#include <QChar>
#include <QList>
#include <QObject>
#include <QString>

#include <array>
#include <functional>

// The letter board without its widgets: the ten rack tiles, the ten word
// slots, the swap in progress, the turn gate, the board's options and the
// player's operations on them. Views draw what it holds, refresh on its
// signals and map clicks and keys to its operations; sounds, status texts
// and the outgoing word leave through signals.
//
// Rack tile i keeps its letter in `hint` and its own number in `tag` while it
// holds the letter; once the letter is in the word row the tag is 0. Word
// slot k keeps the number of the tile its letter came from in `tag`. A
// tile's number is fixed; its place on the screen is not (swaps, shuffles).
class RackModel : public QObject
{
    Q_OBJECT

public:
    static constexpr int kTiles = game::kTiles;

    struct Tile
    {
        int tag = 0;
        QString hint;         // its letter; empty for an empty place
        int place = 0;        // screen place 1..10, left to right
        bool raised = false;  // lifted for a swap
    };

    struct Slot
    {
        int tag = 0;
        QString hint;
        QChar shows;          // the letter it shows; none shows its pin
        bool pinDown = false; // the pin is knocked down: the word may not use it
    };

    // A key as the board reads it; the view maps key codes to these.
    enum class Key {
        ToggleTyping,   // Tab, with or without Shift
        Send,           // Enter
        Erase,          // Backspace
        Clear,          // the main row's 1, or Esc
        Shuffle,        // the main row's 6
        Space,
        Letter,         // a .. z
        Other,
        // With Ctrl, Alt or Meta, or a function key: the window's menus,
        // help and short-cuts, never the word's.
        Window,
    };
    Q_ENUM(Key)

    // 0 .. n-1, uniformly; the program's generator unless replaced.
    using RandomSource = std::function<int(int n)>;

    explicit RackModel(QObject *parent = nullptr);

    // Tiles and slots are numbered 1..10; other numbers give an empty one.
    const Tile &tile(int number) const;
    const Slot &slot(int number) const;
    int wordlen() const { return m_wordlen; }
    int swappick() const { return m_swappick; }
    // The rack tile numbers of the word row, in word order.
    QList<int> wordTiles() const;
    // The tile whose screen place is place (1..10), or 0.
    int tileAt(int place) const;

    // The turn gate: the board acts only while turnseat is myseat.
    int myseat() const { return m_myseat; }
    void setMyseat(int seat);
    int turnseat() const { return m_turnseat; }
    void setTurnseat(int seat);
    bool isMyTurn() const { return m_myseat > 0 && m_turnseat == m_myseat; }
    bool loggedin() const { return m_loggedin; }
    void setLoggedIn(bool loggedin) { m_loggedin = loggedin; }

    // The three command images (clear, send, shuffle) and the invalid-word
    // panel.
    bool commandsVisible() const { return m_commandsVisible; }
    void setCommandsVisible(bool visible);
    bool badWordPanelVisible() const { return m_badWordPanel; }
    void setBadWordPanelVisible(bool visible);
    // turnseat := myseat and the commands shown; or turnseat 0 and hidden.
    void openBoard();
    void closeBoard();

    // The options, as the menu holds them.
    bool typeWords() const { return m_typeWords; }
    void setTypeWords(bool on);
    bool useSpace() const { return m_useSpace; }
    void setUseSpace(bool on) { m_useSpace = on; }
    bool clearWords() const { return m_clearWords; }
    void setClearWords(bool on) { m_clearWords = on; }
    bool showBadWord() const { return m_showBadWord; }
    void setShowBadWord(bool on) { m_showBadWord = on; }

    void setRandomSource(RandomSource source) { m_random = std::move(source); }

    // Who takes the keys. Typing builds words in the own turn with Type
    // Words on, but only while the chat line does not have the keys: a
    // line being chatted is never played as a word.
    bool typing() const { return isMyTurn() && m_typeWords; }
    bool chatHasKeys() const { return m_chatHasKeys; }
    void setChatHasKeys(bool has);
    // Typed letters go to the word row now.
    bool takesKeys() const { return typing() && !m_chatHasKeys; }

    // The player's operations. All but returnWord() and dismissRefusedWord()
    // act only in the own turn; each answers whether it acted.
    //
    // The tile's letter to the end of the word; with a tile lifted for a
    // swap, the two change places instead.
    bool selectTile(int tile);
    // Lifts the tile for a swap; with one lifted already, completes that
    // swap instead (the lifted tile itself just drops back).
    bool liftTile(int tile);
    // Completes a swap in progress with the tile; nothing else.
    bool swapWith(int tile);
    // The word's last letter back to the rack; only the last slot reacts.
    bool putBack(int slot);
    // Every letter of the word back to the rack (the clear image).
    bool returnWord();
    // Sends the word, as its tiles in word order, and closes the board;
    // an empty word sends nothing and leaves the board open. Enter with no
    // letters does not even get that far: the status would promise a check.
    bool submitWord();
    // Shuffles the rack's screen places; the word row stays.
    bool shuffleRack();
    // The invalid-word panel's OK.
    void dismissRefusedWord();
    // A key pressed during the own turn, before the focused control sees
    // it; letter is the key's letter a..z for Key::Letter. True when the
    // board consumed it.
    bool typeKey(Key key, QChar letter = {});
    // Whether typeKey would consume the key, without acting.
    bool claimsKey(Key key) const;

    // Steps of the game flow that change the board.
    void theletters(const msg::TheLetters &deal);
    void clearall();              // game start
    void refuseWord();            // the own word was refused
    // The own word was accepted as ball 1..3 with letters letters; reopen
    // when another word may be made from what is left.
    void acceptWord(int ball, int letters, bool reopen);
    // End of a frame: the word row spells ownword, the rack is emptied.
    void showFrameWord(const QString &ownword);

signals:
    void changed();                       // tiles, slots or the swap
    void turnseatChanged(int seat);
    void commandsVisibleChanged(bool visible);
    void badWordPanelChanged(bool visible);
    void statusText(const QString &text);
    void sound(const QString &name);
    // The word to play: its rack tiles in the word's order.
    void sendword(const QList<int> &tiles);
    // Tab toggled Type Words: the menu follows and the settings are saved.
    void typeWordsToggled(bool on);
    void typingChanged(bool typing);
    void takesKeysChanged(bool takes);

private:
    enum class Press { Take, Lift, SwapOnly };

    static bool valid(int number) { return game::isTile(number); }
    bool press(int tile, Press press);
    bool take(int tile);
    void exchangePlaces(int a, int b);
    bool returnLetters();
    void emptySlots();
    void restore(int slot);
    void createAWord();
    int tileOfLetter(QChar letter) const;
    // Runs change, then tells what it changed of who takes the keys.
    template <typename Change>
    void changingKeys(Change change);

    std::array<Tile, kTiles + 1> m_tiles{};
    std::array<Slot, kTiles + 1> m_slots{};
    int m_wordlen = 0;
    int m_swappick = 0;
    int m_myseat = 0;
    int m_turnseat = 0;
    bool m_loggedin = false;
    bool m_commandsVisible = false;
    bool m_badWordPanel = false;
    bool m_typeWords = false;
    bool m_chatHasKeys = false;
    bool m_useSpace = false;
    bool m_clearWords = false;
    bool m_showBadWord = true;
    RandomSource m_random;
};
