#pragma once

namespace platform {

// Settings for the window system, made before the QApplication exists.
//
// On X11 the panel sends its window images through the X connection rather
// than through shared memory. Its paints are small (a box's text, a step of
// the chart), and a shared-memory image costs the X server a completion
// event for every paint: at the line's full rate that doubled the panel's
// wake-ups. (Qt reads only whether the variable is set.)
void prepareDisplay();

}  // namespace platform
