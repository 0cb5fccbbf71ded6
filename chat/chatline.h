#pragma once

#include <QString>

#include <vector>

// What a chat line may name: the chat view's text styles and the smiley
// pictures. The views draw them; lines are read without them.
namespace chatcodes {

inline constexpr int kStyles = 15;
inline constexpr int kSystemStyle = 0;   // system lines
inline constexpr int kLinkStyle = 4;     // links in chat lines
inline constexpr int kSmileys = 18;
// A smiley is ":)#" and the two digits of its picture's index plus this.
inline constexpr int kFirstSmileyCode = 10;

} // namespace chatcodes

// One chat display line, "number+text", split into the items the chat view
// shows. number 0 is a system line, 1 to 9 the slot that spoke; it picks
// the line's text style. The text up to its first ':' is the speaker part;
// in the rest, ":)#" and two digits 10 to 27 stand for a smiley picture and
// words containing "http://" or "www." are links.
struct ChatLine
{
    struct Item
    {
        enum class Kind { Text, Picture };
        Kind kind = Kind::Text;
        QString text;       // text items: the word with its trailing blank
        int style = 0;      // text items: the text style
        int picture = 0;    // pictures: the smiley picture 0 to 17
        bool newLine = false;
        bool operator==(const Item &) const = default;
    };

    int style = 0;
    std::vector<Item> items;

    // Throws EConvertError when the number is not an integer and
    // std::out_of_range "List index out of bounds (n)" when it has no style.
    static ChatLine parse(const QString &line);
};
