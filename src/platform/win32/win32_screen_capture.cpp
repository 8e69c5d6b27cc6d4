#include "platform/win32/win32_screen_capture.h"

#include "platform/win32/handle.h"

#include <dwmapi.h>

#include <algorithm>
#include <cstring>

namespace pictorn::platform::win32 {
namespace {

BITMAPINFO topDown32(int width, int height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height; // negative: rows top-down, as Picture keeps them
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    return info;
}

// A bitmap's pixels as 32-bit top-down rows (any source depth; monochrome gives black and
// white). Empty when the bitmap cannot be read.
std::vector<std::uint32_t> readBitmap(HDC dc, HBITMAP bitmap, int width, int height) {
    std::vector<std::uint32_t> bits(static_cast<std::size_t>(width) * height);
    BITMAPINFO info = topDown32(width, height);
    if (GetDIBits(dc, bitmap, 0, static_cast<UINT>(height), bits.data(), &info, DIB_RGB_COLORS) !=
        height)
        bits.clear();
    return bits;
}

using DwmGetWindowAttributeFn = HRESULT(WINAPI*)(HWND, DWORD, PVOID, DWORD);

// dwmapi is loaded on demand: systems without it (or without composition) still grab.
DwmGetWindowAttributeFn dwmGetWindowAttribute() {
    static const DwmGetWindowAttributeFn fn = [] {
        HMODULE dwm = LoadLibraryW(L"dwmapi.dll");
        return dwm ? reinterpret_cast<DwmGetWindowAttributeFn>(
                         reinterpret_cast<void*>(GetProcAddress(dwm, "DwmGetWindowAttribute")))
                   : nullptr;
    }();
    return fn;
}

using DwmIsCompositionEnabledFn = HRESULT(WINAPI*)(BOOL*);
using DwmFlushFn = HRESULT(WINAPI*)();

struct DwmFrames {
    DwmIsCompositionEnabledFn enabled = nullptr;
    DwmFlushFn flush = nullptr;
};

const DwmFrames& dwmFrames() {
    static const DwmFrames fns = [] {
        DwmFrames found;
        if (HMODULE dwm = LoadLibraryW(L"dwmapi.dll")) {
            found.enabled = reinterpret_cast<DwmIsCompositionEnabledFn>(
                reinterpret_cast<void*>(GetProcAddress(dwm, "DwmIsCompositionEnabled")));
            found.flush = reinterpret_cast<DwmFlushFn>(
                reinterpret_cast<void*>(GetProcAddress(dwm, "DwmFlush")));
        }
        return found;
    }();
    return fns;
}

} // namespace

bool Win32ScreenCapture::waitForCompositor() {
    // Without composition (Wine, Windows 7 with the basic theme) DwmFlush fails or returns
    // at once without a frame; the caller then watches the pixels instead.
    const DwmFrames& dwm = dwmFrames();
    BOOL composing = FALSE;
    if (!dwm.enabled || !dwm.flush || FAILED(dwm.enabled(&composing)) || !composing)
        return false;
    return SUCCEEDED(dwm.flush());
}

int Win32ScreenCapture::monitorCount() {
    return GetSystemMetrics(SM_CMONITORS);
}

PixelRect Win32ScreenCapture::virtualScreen() {
    return {GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN),
            GetSystemMetrics(SM_CXVIRTUALSCREEN), GetSystemMetrics(SM_CYVIRTUALSCREEN)};
}

PixelRect Win32ScreenCapture::primaryScreen() {
    return {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
}

namespace {

// A monitor's own DPI; shcore is loaded on demand, as Windows before 8.1 lacks it (and then
// every monitor has the system's DPI).
int monitorDpi(HMONITOR monitor) {
    using GetDpiForMonitorFn = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
    static const GetDpiForMonitorFn getDpi = [] {
        HMODULE shcore = LoadLibraryW(L"shcore.dll");
        return shcore ? reinterpret_cast<GetDpiForMonitorFn>(
                            reinterpret_cast<void*>(GetProcAddress(shcore, "GetDpiForMonitor")))
                      : nullptr;
    }();
    UINT dpiX = 0, dpiY = 0;
    constexpr int kEffectiveDpi = 0;
    if (getDpi && SUCCEEDED(getDpi(monitor, kEffectiveDpi, &dpiX, &dpiY)) && dpiX > 0)
        return static_cast<int>(dpiX);
    WindowDc screen = windowDc(nullptr);
    return GetDeviceCaps(screen.get().dc, LOGPIXELSX);
}

} // namespace

std::vector<Monitor> Win32ScreenCapture::monitors() {
    std::vector<Monitor> all;
    EnumDisplayMonitors(
        nullptr, nullptr,
        [](HMONITOR monitor, HDC, RECT*, LPARAM found) -> BOOL {
            MONITORINFO info{};
            info.cbSize = sizeof info;
            if (!GetMonitorInfoW(monitor, &info))
                return TRUE;
            const RECT& r = info.rcMonitor;
            auto& list = *reinterpret_cast<std::vector<Monitor>*>(found);
            const Monitor m{{r.left, r.top, r.right - r.left, r.bottom - r.top},
                            monitorDpi(monitor)};
            if (info.dwFlags & MONITORINFOF_PRIMARY)
                list.insert(list.begin(), m);
            else
                list.push_back(m);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&all));
    if (all.empty())
        all.push_back({primaryScreen(), 96});
    return all;
}

// The copy lands in a 32-bit DIB section, never in a bitmap compatible with the screen:
// on a 256-colour (palette) display BitBlt then translates every pixel through the
// screen's current palette into true colour, so the picture needs no palette of its own
// and looks the same whatever palette is realised later. The section holds a band of rows,
// not the whole area: a 4K screen would otherwise be in memory twice (three times under
// Wine, which reads the X server's image into a buffer of its own first).
imaging::Picture Win32ScreenCapture::grab(const PixelRect& area) {
    return grabInto(area, {});
}

imaging::Picture Win32ScreenCapture::grabInto(const PixelRect& area,
                                              std::vector<std::uint32_t> storage) {
    if (area.empty())
        return {};
    imaging::Picture picture =
        imaging::Picture::reusing(area.width, area.height, std::move(storage));
    constexpr int kBandBytes = 1 << 20;
    const int bandRows = std::clamp(kBandBytes / (area.width * 4), 1, area.height);
    WindowDc screen = windowDc(nullptr);
    CreatedDc memory(CreateCompatibleDC(screen.get().dc));
    BITMAPINFO info = topDown32(area.width, bandRows);
    void* bits = nullptr;
    Bitmap target(CreateDIBSection(screen.get().dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!memory || !target || !bits)
        return imaging::Picture(area.width, area.height);
    SelectObjectGuard select(memory.get(), target.get());
    for (int top = 0; top < area.height; top += bandRows) {
        const int rows = std::min(bandRows, area.height - top);
        // CAPTUREBLT takes layered (translucent, tool-tip) windows along, as the user sees them.
        BitBlt(memory.get(), 0, 0, area.width, rows, screen.get().dc, area.left, area.top + top,
               SRCCOPY | CAPTUREBLT);
        GdiFlush();
        const auto* band = static_cast<const std::uint32_t*>(bits);
        std::uint32_t* out = picture.row(top);
        const std::size_t count = static_cast<std::size_t>(area.width) * rows;
        for (std::size_t i = 0; i < count; ++i)
            out[i] = band[i] & imaging::kRgbMask;
    }
    return picture;
}

std::optional<PixelRect> visibleWindowRect(HWND window) {
    if (!window)
        return std::nullopt;
    RECT r{};
    const auto dwm = dwmGetWindowAttribute();
    if (!dwm || FAILED(dwm(window, DWMWA_EXTENDED_FRAME_BOUNDS, &r, sizeof r)) ||
        r.right <= r.left) {
        if (!GetWindowRect(window, &r))
            return std::nullopt;
    }
    return PixelRect{r.left, r.top, r.right - r.left, r.bottom - r.top};
}

std::optional<PixelRect> Win32ScreenCapture::foregroundWindowRect() {
    return visibleWindowRect(GetForegroundWindow());
}

bool decodeCursor(HCURSOR cursor, CursorImage& image, int& hotX, int& hotY) {
    ICONINFO info{};
    if (!cursor || !GetIconInfo(cursor, &info))
        return false;
    Bitmap mask(info.hbmMask);
    Bitmap color(info.hbmColor);
    hotX = static_cast<int>(info.xHotspot);
    hotY = static_cast<int>(info.yHotspot);
    BITMAP maskInfo{};
    if (!mask || !GetObjectW(mask.get(), sizeof maskInfo, &maskInfo))
        return false;
    WindowDc screen = windowDc(nullptr);
    const int width = maskInfo.bmWidth;
    // A monochrome cursor stacks its AND mask over its XOR image in one bitmap.
    const int height = color ? maskInfo.bmHeight : maskInfo.bmHeight / 2;
    if (width <= 0 || height <= 0)
        return false;
    const auto maskBits = readBitmap(screen.get().dc, mask.get(), width, maskInfo.bmHeight);
    if (maskBits.empty())
        return false;
    const std::size_t count = static_cast<std::size_t>(width) * height;
    image = CursorImage{width, height, {}, {}, false};
    image.andMask.resize(count);
    for (std::size_t i = 0; i < count; ++i)
        image.andMask[i] = (maskBits[i] & imaging::kRgbMask) != 0;
    if (!color) {
        image.pixels.assign(maskBits.begin() + static_cast<std::ptrdiff_t>(count),
                            maskBits.begin() + static_cast<std::ptrdiff_t>(2 * count));
        for (auto& p : image.pixels)
            p &= imaging::kRgbMask;
        return true;
    }
    BITMAP colorInfo{};
    GetObjectW(color.get(), sizeof colorInfo, &colorInfo);
    image.pixels = readBitmap(screen.get().dc, color.get(), width, height);
    if (image.pixels.empty())
        return false;
    bool anyAlpha = false;
    if (colorInfo.bmBitsPixel == 32)
        for (auto p : image.pixels)
            anyAlpha = anyAlpha || (p >> 24) != 0;
    if (anyAlpha) {
        image.alpha = true;
        image.andMask.clear();
    } else {
        for (auto& p : image.pixels)
            p &= imaging::kRgbMask;
    }
    return true;
}

CursorState Win32ScreenCapture::cursor() {
    CursorState state;
    CURSORINFO info{};
    info.cbSize = sizeof info;
    if (!GetCursorInfo(&info))
        return state;
    POINT at{};
    GetCursorPos(&at);
    state.x = at.x;
    state.y = at.y;
    state.visible = (info.flags & CURSOR_SHOWING) != 0 &&
                    decodeCursor(info.hCursor, state.image, state.hotX, state.hotY);
    return state;
}

} // namespace pictorn::platform::win32
