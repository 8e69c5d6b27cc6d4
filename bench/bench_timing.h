#pragma once
// What the Windows-side benches share: a millisecond clock, the median of a run and the
// area a paint covers.
#include <windows.h>

#include <algorithm>
#include <vector>

namespace pictorn::bench {

inline double nowMs() {
    static const double perMs = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return static_cast<double>(f.QuadPart) / 1000.0;
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) / perMs;
}

inline double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

// Pixels in the window's update region, as a paint about to begin will see it.
inline long long updateArea(HWND window) {
    long long area = 0;
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    if (GetUpdateRgn(window, region, FALSE) > NULLREGION) {
        std::vector<char> buffer(GetRegionData(region, 0, nullptr));
        auto* data = reinterpret_cast<RGNDATA*>(buffer.data());
        if (!buffer.empty() && GetRegionData(region, static_cast<DWORD>(buffer.size()), data)) {
            const RECT* rects = reinterpret_cast<const RECT*>(data->Buffer);
            for (DWORD i = 0; i < data->rdh.nCount; ++i) {
                area += static_cast<long long>(rects[i].right - rects[i].left) *
                        (rects[i].bottom - rects[i].top);
            }
        }
    }
    DeleteObject(region);
    return area;
}

} // namespace pictorn::bench
