// The program's pictures (toolbar buttons, the window icon), drawn from a few
// shapes at whatever pixel size the screen's DPI asks for, so they stay crisp
// at every scale. Disabled pictures are the same shapes in grey, half faded.
#pragma once

#include <cstdint>

namespace lumadir {

enum class picture { save, preview, stop, settings, browse, print, close, program };

// Renders the picture into size x size pixels, top row first, each a
// premultiplied 0xAARRGGBB value (the layout of a 32-bit top-down DIB).
void render_picture(picture which, int32_t size, bool disabled, uint32_t* pixels) noexcept;

}  // namespace lumadir
