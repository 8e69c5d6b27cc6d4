// Driver commands for the capture and output tests: what is on the clipboard, typing into a
// dialog's control, a plain window of known size and colour to capture, and timing.
#pragma once

#include "commands.h"

namespace e2e {

int clipboardInfo(const Args& args);
int setChildText(const Args& args);
int testWindow(const Args& args);
// For the capture benchmark: the time from posting a command until a picture file is whole.
int timeCapture(const Args& args);
// For the save benchmark: the longest time the window does not answer while it saves.
int timeSave(const Args& args);

} // namespace e2e
