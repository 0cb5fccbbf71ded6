#pragma once

#include <memory>

class Tchat;
class Tabout;
class Ttallylist;
class Tdownload;
class Tgamestart;
class Thelp;
class Tphrases;
class TServer;
class Tspylist;

// Every window of the program: one each, created at start-up in this order,
// living until the program ends.
struct Forms
{
    Forms();
    ~Forms();
    Forms(const Forms &) = delete;
    Forms &operator=(const Forms &) = delete;

    std::unique_ptr<Tchat> chat;
    std::unique_ptr<Tabout> about;
    std::unique_ptr<Ttallylist> tallylist;
    std::unique_ptr<Tdownload> download;
    std::unique_ptr<Tgamestart> gamestart;
    std::unique_ptr<Thelp> help;
    std::unique_ptr<Tphrases> phrases;
    std::unique_ptr<TServer> server;
    std::unique_ptr<Tspylist> spylist;
};
