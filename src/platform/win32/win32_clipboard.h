#pragma once
#include "platform/clipboard.h"
#include "platform/win32/handle.h"

#include <windows.h>

namespace pictorn::platform::win32 {

class Win32Clipboard final : public Clipboard {
public:
    Win32Clipboard() = default;
    ~Win32Clipboard() override;
    Win32Clipboard(const Win32Clipboard&) = delete;
    Win32Clipboard& operator=(const Win32Clipboard&) = delete;

    ClipboardResult clear() override;
    ClipboardResult putPicture(const imaging::Picture& picture,
                               std::span<const std::uint8_t> png) override;

private:
    HWND owner();
    OwnedWindow owner_;
};

} // namespace pictorn::platform::win32
