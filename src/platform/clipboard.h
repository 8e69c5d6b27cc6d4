#pragma once
// The system clipboard, for handing the current picture to other programs.
#include "imaging/picture.h"

#include <cstdint>
#include <span>

namespace pictorn::platform {

enum class ClipboardResult {
    Done,
    Busy,   // another program holds the clipboard open and does not let go
    Failed, // the clipboard was ours but could not take the data (out of memory ...)
};

class Clipboard {
public:
    virtual ~Clipboard() = default;
    // Removes whatever the clipboard holds.
    virtual ClipboardResult clear() = 0;
    // Replaces the clipboard's content with the picture: as a device-independent bitmap,
    // which every program reads, and as the ready-made PNG file for those that prefer it.
    virtual ClipboardResult putPicture(const imaging::Picture& picture,
                                       std::span<const std::uint8_t> png) = 0;
};

} // namespace pictorn::platform
