#pragma once

#include <QString>

#include <vector>

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
