#pragma once
// A clipboard for tests: remembers what was put on it; another program can hold it.
#include "platform/clipboard.h"

#include <optional>
#include <vector>

namespace pictorn::headless {

class FakeClipboard : public platform::Clipboard {
public:
    platform::ClipboardResult clear() override {
        if (busy) {
            return platform::ClipboardResult::Busy;
        }
        picture.reset();
        png.clear();
        ++clears;
        return platform::ClipboardResult::Done;
    }
    platform::ClipboardResult putPicture(const imaging::Picture& shown,
                                         std::span<const std::uint8_t> pngFile) override {
        if (busy) {
            return platform::ClipboardResult::Busy;
        }
        if (failing) {
            return platform::ClipboardResult::Failed;
        }
        picture = shown;
        png.assign(pngFile.begin(), pngFile.end());
        return platform::ClipboardResult::Done;
    }

    bool busy = false;    // another program holds the clipboard open
    bool failing = false; // the clipboard cannot take the data
    std::optional<imaging::Picture> picture;
    std::vector<std::uint8_t> png;
    int clears = 0;
};

} // namespace pictorn::headless
