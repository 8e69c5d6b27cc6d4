#pragma once
// Short sounds: the capture sound from a wave file, and the system beep as a fallback.
#include <string_view>

namespace pictorn::platform {

class Sound {
public:
    virtual ~Sound() = default;
    // Whether the system has a wave output device at all.
    virtual bool hasWaveDevice() = 0;
    // Starts playing the wave file and returns at once; false when it cannot be played.
    // Never plays a default sound in its place.
    virtual bool playFileAsync(std::string_view path) = 0;
    virtual void beep() = 0;
};

} // namespace pictorn::platform
