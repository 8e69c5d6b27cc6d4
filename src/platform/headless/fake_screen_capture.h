#pragma once
// A desktop in memory: one picture covering the virtual screen, placed at a settable
// origin, with monitors, a foreground window and a pointer the test arranges.
#include "platform/screen_capture.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace pictorn::headless {

class FakeScreenCapture : public platform::ScreenCapture {
public:
    FakeScreenCapture();

    // Lays out the monitors; the first is the primary one and must start at (0, 0). The
    // desktop picture is resized to their bounding rectangle and filled with `fill`.
    void setMonitors(std::vector<platform::PixelRect> monitors, std::uint32_t fill = 0);
    // The desktop's pixel at a screen position (must lie on the virtual screen).
    std::uint32_t& pixel(int x, int y);

    int monitorCount() override { return static_cast<int>(monitors_.size()); }
    platform::PixelRect virtualScreen() override { return virtual_; }
    platform::PixelRect primaryScreen() override { return monitors_.front(); }
    std::vector<platform::Monitor> monitors() override;
    imaging::Picture grab(const platform::PixelRect& area) override;
    imaging::Picture look(const platform::PixelRect& area) override;
    bool waitForCompositor() override;
    std::optional<platform::PixelRect> foregroundWindowRect() override { return foreground; }
    platform::CursorState cursor() override { return pointer; }

    std::optional<platform::PixelRect> foreground;
    std::vector<int> dpis; // one a monitor, in order; missing ones are 96
    platform::CursorState pointer;
    std::vector<platform::PixelRect> grabs; // every rectangle asked for, in order
    // Runs before each grab copies (a repaint going on while the grab is taken).
    std::function<void()> beforeGrab;
    // When set, grab raises an error with this description instead of copying.
    std::optional<std::string> failGrabs;
    std::vector<platform::PixelRect> looks; // every rectangle looked at, in order

    // A window drawn over the desktop in one colour for the next `copies` grabs and looks,
    // as a hidden window stays on the screen until what lay beneath is repainted. With
    // `compositor` on, the compositor's next frame removes it.
    struct Lingering {
        platform::PixelRect area;
        std::uint32_t colour = 0;
        int copies = 0;
    };
    std::optional<Lingering> lingering;
    bool compositor = false;
    int compositorFrames = 0;

private:
    imaging::Picture copy(const platform::PixelRect& area);

    std::vector<platform::PixelRect> monitors_;
    platform::PixelRect virtual_;
    imaging::Picture desktop_;
};

} // namespace pictorn::headless
