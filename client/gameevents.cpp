#include "client/gameevents.h"

#include "base/overloaded.h"

GameEvents::GameEvents(QObject *parent) : QObject(parent) {}

void GameEvents::received(const QByteArray &line)
{
    const std::optional<msg::ToClient> message = msg::readToClient(line);
    if (!message)
        return;
    std::visit(Overloaded{
                   [this](const msg::SendLoginInfo &m) { emit slotOffered(m.slot); },
                   [this](const msg::Full &) { emit full(); },
                   [this](const msg::HaveWrongVersion &m) { emit otherVersion(m.name); },
                   [this](const msg::WrongVersion &) { emit ownVersionDiffers(); },
                   [this](const msg::NewPlayerInfo &m) { emit seated(m.slot, m.name); },
                   [this](const msg::ExistingPlayers &m) { emit seated(m.slot, m.name); },
                   [this](const msg::PlayerDisconnected &m) { emit left(m.slot, m.name); },
                   [this](const msg::JustWatching &m) { emit watching(m.seat, m.watching); },
                   [this](const msg::Chat &m) { emit chatLine(m.slot, m.text(), m.colour()); },
                   [this](const msg::Action &m) { emit chatLine(m.slot, m.text(), m.colour()); },
                   [this](const msg::PlayASound &m) { emit chatterSound(m.slot, m.wave); },
                   [this](const msg::StartGame &m) { emit gameStarted(m); },
                   [this](const msg::LoadStats &m) { emit gameJoined(m); },
                   [this](const msg::TheLetters &m) { emit rackDealt(m); },
                   [this](const msg::NextPlayer &m) { emit turnBegan(m); },
                   [this](const msg::GoodWord &m) { emit wordAccepted(m); },
                   [this](const msg::WordError &m) { emit wordRefused(m.seat); },
                   [this](const msg::TimeIsUp &) { emit timeUp(); },
                   [this](const msg::PostScores &m) { emit frameScored(m); },
                   [this](const msg::Winner &m) { emit gameWon(m.seats); },
               },
               *message);
}
