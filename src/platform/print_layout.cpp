#include "platform/print_layout.h"

#include <algorithm>
#include <cmath>

namespace pictorn::platform {

PageRect placeOnPage(int pictureWidth, int pictureHeight, const PageMetrics& page, bool fitToPage) {
    if (pictureWidth <= 0 || pictureHeight <= 0 || page.width <= 0 || page.height <= 0) {
        return {};
    }
    // Device pixels per picture pixel, horizontally and vertically; printers often have
    // different resolutions in the two directions, so the ratio is kept in inches.
    const double dpiX = page.dpiX > 0 ? page.dpiX : 96.0;
    const double dpiY = page.dpiY > 0 ? page.dpiY : 96.0;
    const double inchesWide = pictureWidth / 96.0;
    const double inchesHigh = pictureHeight / 96.0;
    const double pageInchesWide = page.width / dpiX;
    const double pageInchesHigh = page.height / dpiY;
    double scale = std::min(pageInchesWide / inchesWide, pageInchesHigh / inchesHigh);
    if (!fitToPage) {
        scale = std::min(scale, 1.0);
    }
    PageRect rect;
    rect.width =
        std::clamp(static_cast<int>(std::lround(inchesWide * scale * dpiX)), 1, page.width);
    rect.height =
        std::clamp(static_cast<int>(std::lround(inchesHigh * scale * dpiY)), 1, page.height);
    rect.left = (page.width - rect.width) / 2;
    rect.top = (page.height - rect.height) / 2;
    return rect;
}

} // namespace pictorn::platform
