#include "platform/win32/win32_text_rasterizer.h"

#include "platform/win32/dib_section.h"
#include "platform/win32/text.h"

#include <windows.h>

#include <algorithm>
#include <cstring>

namespace pictorn::platform::win32 {

TextCoverage Win32TextRasterizer::draw(std::string_view utf8, int pixelHeight) {
    TextCoverage coverage;
    const std::wstring text = toWide(utf8);
    if (text.empty() || pixelHeight <= 0) {
        return coverage;
    }
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    LOGFONTW face{};
    if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) {
        face = metrics.lfMessageFont;
    } else {
        std::wcscpy(face.lfFaceName, L"Tahoma");
    }
    face.lfHeight = pixelHeight; // the cell: ascent and descent
    face.lfWidth = 0;
    face.lfQuality = ANTIALIASED_QUALITY;
    Font font(CreateFontIndirectW(&face));
    CreatedDc dc(CreateCompatibleDC(nullptr));
    if (!font || !dc) {
        return coverage;
    }
    HGDIOBJ oldFont = SelectObject(dc.get(), font.get());
    SIZE size{};
    GetTextExtentPoint32W(dc.get(), text.c_str(), static_cast<int>(text.size()), &size);
    TEXTMETRICW tm{};
    GetTextMetricsW(dc.get(), &tm);
    // Italic and overhanging glyphs reach past the advance width.
    const int width = size.cx + tm.tmOverhang + pixelHeight / 4;
    const int height = std::max<int>(size.cy, tm.tmHeight);
    DibSection dib = topDownDibSection(dc.get(), width, height);
    if (!dib) {
        SelectObject(dc.get(), oldFont);
        return coverage;
    }
    HGDIOBJ oldBitmap = SelectObject(dc.get(), dib.bitmap.get());
    std::memset(dib.bits, 0,
                static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4);
    SetBkMode(dc.get(), TRANSPARENT);
    SetTextColor(dc.get(), RGB(255, 255, 255));
    TextOutW(dc.get(), 0, 0, text.c_str(), static_cast<int>(text.size()));
    GdiFlush();
    coverage.width = width;
    coverage.height = height;
    coverage.alpha.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    const std::uint32_t* pixels = dib.bits;
    for (std::size_t i = 0; i < coverage.alpha.size(); ++i) {
        coverage.alpha[i] = static_cast<std::uint8_t>(pixels[i] >> 8); // green: white on black
    }
    SelectObject(dc.get(), oldBitmap);
    SelectObject(dc.get(), oldFont);
    return coverage;
}

} // namespace pictorn::platform::win32
