#pragma once

#include <QStringView>

// The words kept out of the racks (the offensive-word list and the hand-kept
// unfit rack words), applied to text that others will read: a table's name
// in a public list.
namespace badwords {

// True when a word or phrase of the lists stands in text as a whole word:
// case does not matter, and runs of blanks, dots and underscores count as
// one space ("Bad__Word" is "bad word"). A listed word inside a longer one
// does not count, as it does not for the racks.
bool contains(QStringView text);

} // namespace badwords
