#include "platform/win32/win32_sound.h"

#include "platform/win32/text.h"

#include <windows.h>

#include <mmsystem.h>

#include <string>

namespace pictorn::platform::win32 {

bool Win32Sound::hasWaveDevice() {
    return waveOutGetNumDevs() >= 1;
}

bool Win32Sound::playFileAsync(std::string_view path) {
    const std::wstring file = toWide(path);
    // No default sound in place of a file that cannot be played: the caller decides.
    return PlaySoundW(file.c_str(), nullptr, SND_FILENAME | SND_ASYNC | SND_NODEFAULT) != FALSE;
}

void Win32Sound::beep() {
    // MessageBeep needs the sound system; Beep reaches the speaker without it.
    if (!MessageBeep(MB_OK))
        Beep(800, 120);
}

} // namespace pictorn::platform::win32
