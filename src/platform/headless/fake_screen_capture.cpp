#include "platform/headless/fake_screen_capture.h"

#include <algorithm>
#include <stdexcept>

namespace pictorn::headless {

FakeScreenCapture::FakeScreenCapture() {
    setMonitors({{0, 0, 1920, 1080}});
}

void FakeScreenCapture::setMonitors(std::vector<platform::PixelRect> monitors, std::uint32_t fill) {
    if (monitors.empty() || monitors.front().left != 0 || monitors.front().top != 0)
        throw std::invalid_argument("the primary monitor starts at (0, 0)");
    int left = 0, top = 0, right = 0, bottom = 0;
    for (const auto& m : monitors) {
        left = std::min(left, m.left);
        top = std::min(top, m.top);
        right = std::max(right, m.right());
        bottom = std::max(bottom, m.bottom());
    }
    monitors_ = std::move(monitors);
    virtual_ = {left, top, right - left, bottom - top};
    desktop_ = imaging::Picture(virtual_.width, virtual_.height, fill);
}

std::vector<platform::Monitor> FakeScreenCapture::monitors() {
    std::vector<platform::Monitor> all;
    for (std::size_t i = 0; i < monitors_.size(); ++i)
        all.push_back({monitors_[i], i < dpis.size() ? dpis[i] : 96});
    return all;
}

std::uint32_t& FakeScreenCapture::pixel(int x, int y) {
    return desktop_.at(x - virtual_.left, y - virtual_.top);
}

imaging::Picture FakeScreenCapture::grab(const platform::PixelRect& area) {
    if (failGrabs)
        throw std::runtime_error(*failGrabs);
    grabs.push_back(area);
    if (beforeGrab)
        beforeGrab();
    return copy(area);
}

imaging::Picture FakeScreenCapture::look(const platform::PixelRect& area) {
    looks.push_back(area);
    return copy(area);
}

bool FakeScreenCapture::waitForCompositor() {
    if (!compositor)
        return false;
    ++compositorFrames;
    lingering.reset();
    return true;
}

imaging::Picture FakeScreenCapture::copy(const platform::PixelRect& area) {
    imaging::Picture out(std::max(area.width, 0), std::max(area.height, 0));
    for (int y = 0; y < out.height; ++y) {
        const int sy = area.top + y - virtual_.top;
        if (sy < 0 || sy >= desktop_.height)
            continue;
        for (int x = 0; x < out.width; ++x) {
            const int sx = area.left + x - virtual_.left;
            if (sx >= 0 && sx < desktop_.width)
                out.at(x, y) = desktop_.at(sx, sy);
        }
    }
    if (lingering && lingering->copies > 0) {
        --lingering->copies;
        const platform::PixelRect& w = lingering->area;
        for (int y = std::max(w.top, area.top); y < std::min(w.bottom(), area.bottom()); ++y)
            for (int x = std::max(w.left, area.left); x < std::min(w.right(), area.right()); ++x)
                out.at(x - area.left, y - area.top) = lingering->colour;
    }
    return out;
}

} // namespace pictorn::headless
