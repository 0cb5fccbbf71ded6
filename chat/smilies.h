#pragma once

#include "chat/chatline.h"

#include <QImage>
#include <QString>

// The smiley pictures of the chat (imagelist_smilies), painted rather than
// loaded. A chat text shows picture n for the code ":)#" followed by the two
// digits of n + kFirstCode.
namespace smilies {

inline constexpr int kCount = chatcodes::kSmileys;
inline constexpr int kFirstCode = chatcodes::kFirstSmileyCode;
inline constexpr int kWidth = 17;
inline constexpr int kHeight = 16;

// Picture 0 for an index out of range.
QImage picture(int index);
// What a picture shows, in a word or two.
QString name(int index);

} // namespace smilies
