#include "platform/win32/win32_printer.h"

#include "platform/print_layout.h"
#include "platform/win32/handle.h"
#include "platform/win32/picture_dib.h"
#include "platform/win32/text.h"

#include <windows.h>

#include <winspool.h>

#include <cstdlib>
#include <cstring>

namespace pictorn::platform::win32 {

namespace {

DWORD lastErrorOr(DWORD fallback) {
    const DWORD error = GetLastError();
    return error != ERROR_SUCCESS ? error : fallback;
}

bool noDefaultForTesting() {
    const char* value = std::getenv("PICTORN_DEBUG_NO_DEFAULT_PRINTER");
    return value != nullptr && std::strcmp(value, "1") == 0;
}

// A started document that is aborted unless it was ended properly, so a failure halfway
// never leaves a half-spooled job in the queue.
class DocumentScope {
public:
    DocumentScope(HDC dc, const std::wstring& name) : dc_(dc) {
        DOCINFOW info{};
        info.cbSize = sizeof info;
        info.lpszDocName = name.c_str();
        started_ = StartDocW(dc_, &info) > 0;
    }
    ~DocumentScope() {
        if (started_) {
            AbortDoc(dc_);
        }
    }
    DocumentScope(const DocumentScope&) = delete;
    DocumentScope& operator=(const DocumentScope&) = delete;
    bool started() const { return started_; }
    bool end() {
        started_ = false;
        return EndDoc(dc_) > 0;
    }

private:
    HDC dc_;
    bool started_ = false;
};

} // namespace

std::vector<std::string> Win32Printers::installed() {
    std::vector<std::string> names;
    const DWORD flags = PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS;
    DWORD needed = 0, count = 0;
    EnumPrintersW(flags, nullptr, 4, nullptr, 0, &needed, &count);
    if (needed == 0) {
        return names;
    }
    std::vector<BYTE> buffer(needed);
    if (!EnumPrintersW(flags, nullptr, 4, buffer.data(), needed, &needed, &count)) {
        return names;
    }
    const auto* printers = reinterpret_cast<const PRINTER_INFO_4W*>(buffer.data());
    for (DWORD i = 0; i < count; ++i) {
        if (printers[i].pPrinterName != nullptr) {
            names.push_back(toUtf8(printers[i].pPrinterName));
        }
    }
    return names;
}

std::optional<std::string> Win32Printers::defaultPrinter() {
    if (noDefaultForTesting()) {
        return std::nullopt;
    }
    DWORD size = 0;
    GetDefaultPrinterW(nullptr, &size);
    if (size == 0) {
        return std::nullopt;
    }
    std::wstring name(size, L'\0');
    if (!GetDefaultPrinterW(name.data(), &size)) {
        return std::nullopt;
    }
    name.resize(wcsnlen(name.c_str(), name.size()));
    if (name.empty()) {
        return std::nullopt;
    }
    return toUtf8(name);
}

std::uint32_t Win32Printers::printPicture(std::string_view printer, const imaging::Picture& picture,
                                          const PrintRequest& request) {
    if (picture.empty()) {
        return ERROR_INVALID_PARAMETER;
    }
    const CreatedDc dc{CreateDCW(L"WINSPOOL", toWide(printer).c_str(), nullptr, nullptr)};
    if (!dc) {
        return lastErrorOr(ERROR_INVALID_PRINTER_NAME);
    }
    const PageMetrics page{GetDeviceCaps(dc.get(), HORZRES), GetDeviceCaps(dc.get(), VERTRES),
                           GetDeviceCaps(dc.get(), LOGPIXELSX),
                           GetDeviceCaps(dc.get(), LOGPIXELSY)};
    const PageRect place = placeOnPage(picture.width, picture.height, page, request.fitToPage);
    if (place.width <= 0 || place.height <= 0) {
        return ERROR_INVALID_PARAMETER;
    }

    DocumentScope document{dc.get(), toWide(request.documentName)};
    if (!document.started()) {
        return lastErrorOr(ERROR_PRINT_CANCELLED);
    }
    if (StartPage(dc.get()) <= 0) {
        return lastErrorOr(ERROR_PRINT_CANCELLED);
    }
    // Halftoning keeps a shrunk screenshot's text readable; it needs the brush origin set.
    SetStretchBltMode(dc.get(), HALFTONE);
    SetBrushOrgEx(dc.get(), 0, 0, nullptr);
    const BITMAPINFO info = topDownInfo(picture);
    const int lines = StretchDIBits(dc.get(), place.left, place.top, place.width, place.height, 0,
                                    0, picture.width, picture.height, picture.pixels.data(), &info,
                                    DIB_RGB_COLORS, SRCCOPY);
    if (lines == 0 || lines == static_cast<int>(GDI_ERROR)) {
        return lastErrorOr(ERROR_PRINT_CANCELLED);
    }
    if (EndPage(dc.get()) <= 0) {
        return lastErrorOr(ERROR_PRINT_CANCELLED);
    }
    return document.end() ? ERROR_SUCCESS : lastErrorOr(ERROR_PRINT_CANCELLED);
}

} // namespace pictorn::platform::win32
