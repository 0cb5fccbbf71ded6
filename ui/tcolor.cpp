#include "ui/tcolor.h"

#include "settings/colortext.h"
#include "ui/windowpalette.h"

#include <array>

namespace colortext {

namespace {

struct PaletteEntry
{
    QPalette::ColorGroup group;
    QPalette::ColorRole role;
};

// The system colours' entries in the windows' light palette, in the order
// of their names (settings/colortext.cpp).
constexpr std::array<PaletteEntry, kSystemColours> kSystem = {{
    {QPalette::Active, QPalette::Button},
    {QPalette::Active, QPalette::Window},
    {QPalette::Active, QPalette::Highlight},
    {QPalette::Inactive, QPalette::Highlight},
    {QPalette::Active, QPalette::Window},
    {QPalette::Active, QPalette::Base},
    {QPalette::Active, QPalette::WindowText},
    {QPalette::Active, QPalette::WindowText},
    {QPalette::Active, QPalette::Text},
    {QPalette::Active, QPalette::HighlightedText},
    {QPalette::Active, QPalette::Window},
    {QPalette::Inactive, QPalette::Window},
    {QPalette::Active, QPalette::Mid},
    {QPalette::Active, QPalette::Highlight},
    {QPalette::Active, QPalette::HighlightedText},
    {QPalette::Active, QPalette::Button},
    {QPalette::Active, QPalette::Mid},
    {QPalette::Disabled, QPalette::Text},
    {QPalette::Active, QPalette::ButtonText},
    {QPalette::Inactive, QPalette::HighlightedText},
    {QPalette::Active, QPalette::Light},
    {QPalette::Active, QPalette::Shadow},
    {QPalette::Active, QPalette::Midlight},
    {QPalette::Active, QPalette::ToolTipText},
    {QPalette::Active, QPalette::ToolTipBase},
}};

} // namespace

QColor toColor(quint32 value)
{
    if (value >= kSystemColour && value - kSystemColour < kSystem.size()) {
        const PaletteEntry &system = kSystem[value - kSystemColour];
        return windowpalette::fixed().color(system.group, system.role);
    }
    if (value == kNone)
        return windowpalette::fixed().color(QPalette::Text);
    return colorFromValue(value);
}

} // namespace colortext
