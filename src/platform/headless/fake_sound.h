#pragma once
// Plays nothing: logs what would have sounded.
#include "platform/sound.h"

#include <string>
#include <vector>

namespace pictorn::headless {

class FakeSound : public platform::Sound {
public:
    bool hasWaveDevice() override { return waveDevice; }
    bool playFileAsync(std::string_view path) override {
        played.emplace_back(path);
        return playSucceeds;
    }
    void beep() override { ++beeps; }

    bool waveDevice = true;
    bool playSucceeds = true;
    std::vector<std::string> played; // attempted files, in order
    int beeps = 0;
};

} // namespace pictorn::headless
