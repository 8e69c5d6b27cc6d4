#pragma once
// Puts the mouse pointer into a captured picture the way the display shows it.
#include "imaging/picture.h"
#include "platform/screen_capture.h"

namespace pictorn::capture {

// Draws the pointer's image with its hot spot on the pointer's position. (originX, originY)
// is the screen position of the picture's top-left pixel. Parts of the image that fall
// outside the picture are left out; a hidden pointer draws nothing.
void drawPointer(imaging::Picture& picture, const platform::CursorState& pointer, int originX,
                 int originY);

} // namespace pictorn::capture
