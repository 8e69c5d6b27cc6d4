#include "platform/win32/ui_units.h"

#include <cstdlib>

namespace pictorn::platform::win32 {

int dpiOverride() {
    static const int value = [] {
        const char* text = std::getenv("PICTORN_DPI");
        const int dpi = text ? std::atoi(text) : 0;
        return dpi >= 48 && dpi <= 960 ? dpi : 0;
    }();
    return value;
}

int systemDpi() {
    if (int forced = dpiOverride())
        return forced;
    const UINT dpi = GetDpiForSystem();
    return dpi ? static_cast<int>(dpi) : 96;
}

int windowDpi(HWND hwnd) {
    if (int forced = dpiOverride())
        return forced;
    const UINT dpi = hwnd ? GetDpiForWindow(hwnd) : 0;
    return dpi ? static_cast<int>(dpi) : systemDpi();
}

} // namespace pictorn::platform::win32
