#include "capture/grab.h"

#include "capture/pointer_drawing.h"

namespace pictorn::capture {

int monitorCount(platform::ScreenCapture& screen) {
    return screen.monitorCount();
}

imaging::Picture grabWindowArea(platform::ScreenCapture& screen, const platform::PixelRect& area) {
    return screen.grab(area);
}

std::optional<ScreenGrab> grabForegroundWindow(platform::ScreenCapture& screen, bool includePointer,
                                               std::string& activeWindowLeft,
                                               std::string& activeWindowTop) {
    const auto rect = screen.foregroundWindowRect();
    // An empty picture would go on to be saved and shown as if something had been captured.
    if (!rect || rect->empty())
        return std::nullopt;
    ScreenGrab result{grabWindowArea(screen, *rect), rect->left, rect->top};
    if (includePointer) {
        activeWindowLeft = std::to_string(rect->left);
        activeWindowTop = std::to_string(rect->top);
    }
    return result;
}

ScreenGrab grabScreen(platform::ScreenCapture& screen) {
    const platform::PixelRect area =
        monitorCount(screen) > 1 ? screen.virtualScreen() : screen.primaryScreen();
    return ScreenGrab{grabWindowArea(screen, area), area.left, area.top};
}

void drawCurrentPointer(platform::ScreenCapture& screen, ScreenGrab& grab) {
    drawPointer(grab.picture, screen.cursor(), grab.originX, grab.originY);
}

} // namespace pictorn::capture
