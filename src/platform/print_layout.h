#pragma once
// Where a picture goes on a printed page, in the printer's device pixels.

namespace pictorn::platform {

struct PageRect {
    int left = 0, top = 0, width = 0, height = 0;
    bool operator==(const PageRect&) const = default;
};

struct PageMetrics {
    int width = 0, height = 0; // printable area, device pixels
    int dpiX = 0, dpiY = 0;    // device pixels per inch
};

// Centres the picture on the printable area, keeping its aspect ratio. With fitToPage it
// fills the page's width or height; otherwise it keeps the size it has on a 96-dpi screen
// and only shrinks when that would not fit. An empty picture or page gives an empty rect.
PageRect placeOnPage(int pictureWidth, int pictureHeight, const PageMetrics& page, bool fitToPage);

} // namespace pictorn::platform
