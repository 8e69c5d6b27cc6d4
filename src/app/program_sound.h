#pragma once
// The capture sound: a wave file from the program's folder, or the system beep where the
// machine has no way to play it.
#include "platform/services.h"

#include <string_view>

namespace pictorn::app {

inline constexpr std::string_view kCaptureSoundFile = "pictorn.wav";
inline constexpr std::string_view kPlaySoundLabel = "frmMain - PlaySound";

// The main window's PlaySound: plays `soundFile` (a name relative to the program folder)
// without waiting. No wave device, or a file that exists but cannot be played: a beep. A
// missing file plays nothing. Failures go to the error report box "frmMain - PlaySound".
void playProgramSound(platform::Services& services, std::string_view soundFile);

} // namespace pictorn::app
