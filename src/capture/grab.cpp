#include "capture/grab.h"

#include "capture/pointer_drawing.h"

namespace pictorn::capture {

int monitorCount(platform::ScreenCapture& screen) {
    return screen.monitorCount();
}

imaging::Picture grabWindowArea(platform::ScreenCapture& screen, const platform::PixelRect& area) {
    return screen.grab(area);
}

std::optional<ScreenGrab> grabForegroundWindow(platform::ScreenCapture& screen,
                                               std::vector<std::uint32_t> storage) {
    const auto rect = screen.foregroundWindowRect();
    // An empty picture would go on to be saved and shown as if something had been captured.
    if (!rect || rect->empty())
        return std::nullopt;
    return ScreenGrab{screen.grabInto(*rect, std::move(storage)), rect->left, rect->top};
}

platform::PixelRect screenArea(platform::ScreenCapture& screen) {
    return monitorCount(screen) > 1 ? screen.virtualScreen() : screen.primaryScreen();
}

ScreenGrab grabScreen(platform::ScreenCapture& screen, std::vector<std::uint32_t> storage) {
    const platform::PixelRect area = screenArea(screen);
    return ScreenGrab{screen.grabInto(area, std::move(storage)), area.left, area.top};
}

void drawCurrentPointer(platform::ScreenCapture& screen, ScreenGrab& grab) {
    drawPointer(grab.picture, screen.cursor(), grab.originX, grab.originY);
}

} // namespace pictorn::capture
