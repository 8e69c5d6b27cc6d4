#pragma once
// Screen pixels, monitor layout, the foreground window and the pointer through GDI.
#include "platform/screen_capture.h"

#include <windows.h>

namespace pictorn::platform::win32 {

class Win32ScreenCapture : public ScreenCapture {
public:
    int monitorCount() override;
    PixelRect virtualScreen() override;
    PixelRect primaryScreen() override;
    std::vector<Monitor> monitors() override;
    imaging::Picture grab(const PixelRect& area) override;
    imaging::Picture grabInto(const PixelRect& area, std::vector<std::uint32_t> storage) override;
    std::optional<PixelRect> foregroundWindowRect() override;
    CursorState cursor() override;
    bool waitForCompositor() override;
};

// The rectangle the user sees for a window: DWM's frame bounds where DWM composes the
// desktop (GetWindowRect there includes invisible resize borders), else GetWindowRect.
std::optional<PixelRect> visibleWindowRect(HWND window);

// The image and hot spot of a cursor handle, decoded from its bitmaps.
bool decodeCursor(HCURSOR cursor, CursorImage& image, int& hotX, int& hotY);

} // namespace pictorn::platform::win32
