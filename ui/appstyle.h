#pragma once

// The desktop's style (or the one given with -style) for the whole
// program, with the menu bar's overflow arrows painted instead of read from
// the style's picture files: reading any picture file makes Qt load every
// image-format plugin, a cost the first frame would otherwise wait for.
namespace appstyle {

// Call once, before the first window is made.
void use();

} // namespace appstyle
