#pragma once

#include <QPalette>

class QWidget;

// The colours of text and controls in the windows that show our artwork.
// The artwork keeps its light wood and cream whatever the desktop's theme,
// so text and controls on it keep dark-on-light colours of their own: a
// dark theme's light text would vanish on the cream and the wood.
namespace windowpalette {

// A complete light palette, every group and role set.
QPalette fixed();

// Gives window the fixed palette; what the window sets on top of it after
// (its background, a label's colour) stays its own. Its children take it,
// and when it first shows, it and its controls take a style that draws
// them in those colours.
void use(QWidget *window);

} // namespace windowpalette
