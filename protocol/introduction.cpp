#include "protocol/introduction.h"

namespace msg {

namespace {

QByteArray introductionText(Strength strength)
{
    return "is a computer player (" + strengthName(strength).toLatin1() + ").";
}

} // namespace

Action computerIntroduction(int slot, Strength strength)
{
    return Action{slot, introductionText(strength) + "|clBlack"};
}

std::optional<Strength> introducedStrength(QByteArrayView shown, QByteArrayView speaker)
{
    if (speaker.isEmpty() || !shown.startsWith(speaker) || shown.size() < speaker.size() + 2
        || shown[speaker.size()] != ' ')
        return std::nullopt;
    const QByteArrayView said = shown.sliced(speaker.size() + 1);
    for (const Strength strength : {Strength::Easy, Strength::Medium, Strength::Hard}) {
        if (said == introductionText(strength))
            return strength;
    }
    return std::nullopt;
}

} // namespace msg
