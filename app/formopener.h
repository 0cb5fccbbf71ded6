#pragma once

class Tabout;
class Tdownload;
class Tgamestart;
class Thelp;
class Tphrases;
class TServer;
class Tspylist;
class Ttallylist;
class HistoryWindow;
class WordsWindow;

// The other windows as the main window asks for them: each is made when
// first used and lives until the program ends. The main window knows them
// by this face alone; Forms holds them.
class FormOpener
{
public:
    virtual Tabout *about() = 0;
    virtual Ttallylist *tallylist() = 0;
    virtual HistoryWindow *history() = 0;
    virtual Tdownload *download() = 0;
    virtual Tgamestart *gamestart() = 0;
    virtual Thelp *help() = 0;
    virtual Tphrases *phrases() = 0;
    virtual TServer *server() = 0;
    virtual Tspylist *spylist() = 0;
    // The host, when this copy has made one.
    virtual TServer *existingServer() const = 0;
    virtual Tspylist *existingSpylist() const = 0;
    virtual WordsWindow *words() = 0;
    virtual WordsWindow *existingWords() const = 0;

protected:
    ~FormOpener() = default;
};
