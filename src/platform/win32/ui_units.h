#pragma once
// Twips (the unit the program stores and computes positions in) and pixels at the real
// DPI. PICTORN_DPI overrides the DPI so scaling can be exercised where the system cannot
// change it (under Wine, for instance).
#include <windows.h>

namespace pictorn::platform::win32 {

int dpiOverride();        // 0 when not set
int windowDpi(HWND hwnd); // the window's DPI (system DPI before it exists)
int systemDpi();
inline int twipsToPixels(int twips, int dpi) {
    return MulDiv(twips, dpi, 1440);
}
inline int pixelsToTwips(int pixels, int dpi) {
    return MulDiv(pixels, 1440, dpi);
}

} // namespace pictorn::platform::win32
