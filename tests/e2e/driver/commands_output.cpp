#include "commands_output.h"

#include "output.h"
#include "windows_query.h"

#include <cstdint>
#include <cstring>
#include <vector>

namespace e2e {
namespace {

// Another process (the program, Wine's clipboard manager) may hold the clipboard for a
// moment; a user's paste would simply be retried too.
bool openClipboardWithin(DWORD timeoutMs) {
    return pollUntil(timeoutMs, [] { return OpenClipboard(nullptr) != FALSE; });
}

void addDibFields(Record& record) {
    HANDLE data = GetClipboardData(CF_DIB);
    const auto* header = data ? static_cast<const BITMAPINFOHEADER*>(GlobalLock(data)) : nullptr;
    if (!header) {
        record.add("dib", 0LL);
        return;
    }
    record.add("dib", 1LL)
        .add("dib_width", static_cast<long long>(header->biWidth))
        .add("dib_height",
             static_cast<long long>(header->biHeight < 0 ? -header->biHeight : header->biHeight))
        .add("dib_bits", static_cast<long long>(header->biBitCount))
        .add("dib_bytes", static_cast<long long>(GlobalSize(data)));
    GlobalUnlock(data);
}

std::uint32_t bigEndian32(const unsigned char* p) {
    return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) |
           std::uint32_t{p[3]};
}

void addPngFields(Record& record) {
    const UINT format = RegisterClipboardFormatW(L"PNG");
    HANDLE data = IsClipboardFormatAvailable(format) ? GetClipboardData(format) : nullptr;
    const auto* bytes = data ? static_cast<const unsigned char*>(GlobalLock(data)) : nullptr;
    if (!bytes) {
        record.add("png", 0LL);
        return;
    }
    const SIZE_T size = GlobalSize(data);
    static const unsigned char signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    // The IHDR chunk comes first: length, "IHDR", width, height.
    const bool valid = size >= 24 && std::memcmp(bytes, signature, 8) == 0 &&
                       std::memcmp(bytes + 12, "IHDR", 4) == 0;
    record.add("png", 1LL).add("png_bytes", static_cast<long long>(size));
    if (valid)
        record.add("png_width", static_cast<long long>(bigEndian32(bytes + 16)))
            .add("png_height", static_cast<long long>(bigEndian32(bytes + 20)));
    GlobalUnlock(data);
}

// A combo box with an edit field shares its id with that edit (and an extended combo box
// with its inner combo box too); the edit is what a user types into.
HWND findChildById(HWND parent, int id) {
    HWND first = nullptr;
    for (HWND child : childrenOf(parent)) {
        if (GetDlgCtrlID(child) != id || !IsWindowVisible(child))
            continue;
        if (windowClass(child) == L"Edit")
            return child;
        if (!first)
            first = child;
    }
    return first;
}

bool parseColour(const std::wstring& text, COLORREF& colour) {
    unsigned long rgb = 0;
    if (text.size() != 6 || !parseNumber(L"0x" + text, rgb))
        return false;
    colour = RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
    return true;
}

LRESULT CALLBACK testWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

} // namespace

int clipboardInfo(const Args& args) {
    const auto& p = args.positional;
    unsigned long timeout = 0;
    if (p.size() != 1 || !parseNumber(p[0], timeout))
        return usage("clipboard-info <timeout-ms>");
    if (!openClipboardWithin(timeout)) {
        fail("could not open the clipboard");
        return 1;
    }
    Record record;
    record.add("formats", static_cast<long long>(CountClipboardFormats()));
    addDibFields(record);
    addPngFields(record);
    CloseClipboard();
    record.print();
    return 0;
}

int setChildText(const Args& args) {
    const auto& p = args.positional;
    unsigned long id = 0;
    if (p.size() != 3 || !parseNumber(p[1], id))
        return usage("set-child-text <window-title> <control-id> <text>");
    HWND window = findOne(args, p[0], L"*");
    if (!window)
        return 1;
    HWND control = findChildById(window, static_cast<int>(id));
    if (!control) {
        fail("no visible control with that id");
        return 1;
    }
    DWORD_PTR ignored = 0;
    if (!SendMessageTimeoutW(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(p[2].c_str()),
                             SMTO_ABORTIFHUNG, 5000, &ignored)) {
        fail("WM_SETTEXT did not return");
        return 1;
    }
    Record()
        .add("control", control)
        .add("class", windowClass(control))
        .add("text", windowText(control))
        .print();
    return 0;
}

int testWindow(const Args& args) {
    const auto& p = args.positional;
    unsigned long width = 0, height = 0, lifetime = 0;
    COLORREF colour = 0;
    if (p.size() != 5 || !parseNumber(p[1], width) || !parseNumber(p[2], height) ||
        !parseColour(p[3], colour) || !parseNumber(p[4], lifetime))
        return usage("test-window <title> <width> <height> <rrggbb> <lifetime-ms>");
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = testWindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = CreateSolidBrush(colour);
    windowClass.lpszClassName = L"E2eTestWindow";
    if (!RegisterClassW(&windowClass)) {
        fail("RegisterClass failed");
        return 1;
    }
    HWND window = CreateWindowExW(0, windowClass.lpszClassName, p[0].c_str(), WS_OVERLAPPEDWINDOW,
                                  60, 60, static_cast<int>(width), static_cast<int>(height),
                                  nullptr, nullptr, instance, nullptr);
    if (!window) {
        fail("CreateWindow failed");
        return 1;
    }
    ShowWindow(window, SW_SHOWNORMAL);
    SetForegroundWindow(window);
    // The window ends itself, so a test that dies early leaves nothing behind for long.
    SetTimer(window, 1, lifetime, [](HWND w, UINT, UINT_PTR, DWORD) { DestroyWindow(w); });
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    DeleteObject(windowClass.hbrBackground);
    return 0;
}

} // namespace e2e

namespace e2e {
namespace {

struct FileState {
    std::wstring path;
    ULONGLONG writeTime = 0;
};

std::vector<FileState> filesIn(const std::wstring& folder) {
    std::vector<FileState> files;
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE)
        return files;
    do {
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            continue;
        files.push_back({folder + L"\\" + data.cFileName,
                         (ULONGLONG{data.ftLastWriteTime.dwHighDateTime} << 32) |
                             data.ftLastWriteTime.dwLowDateTime});
    } while (FindNextFileW(find, &data));
    FindClose(find);
    return files;
}

std::vector<unsigned char> readAll(const std::wstring& path) {
    std::vector<unsigned char> bytes;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return bytes;
    LARGE_INTEGER size{};
    if (GetFileSizeEx(file, &size) && size.QuadPart > 0 && size.QuadPart < (1LL << 31)) {
        bytes.resize(static_cast<size_t>(size.QuadPart));
        DWORD read = 0;
        if (!ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr))
            read = 0;
        bytes.resize(read);
    }
    CloseHandle(file);
    return bytes;
}

// A bitmap is whole when it is as long as its header says, a PNG when it ends in IEND.
bool pictureComplete(const std::wstring& path) {
    const std::vector<unsigned char> bytes = readAll(path);
    if (bytes.size() >= 14 && bytes[0] == 'B' && bytes[1] == 'M') {
        const std::uint32_t declared =
            bytes[2] | (bytes[3] << 8) | (bytes[4] << 16) | (std::uint32_t{bytes[5]} << 24);
        return bytes.size() >= declared;
    }
    return bytes.size() >= 12 && std::memcmp(bytes.data() + bytes.size() - 8, "IEND", 4) == 0;
}

} // namespace

int timeCapture(const Args& args) {
    const auto& p = args.positional;
    unsigned long id = 0, timeout = 0;
    // "hotkey:N" delivers the program's hotkey N as the system does when it is pressed.
    const bool hotkey = p.size() == 4 && p[1].rfind(L"hotkey:", 0) == 0;
    if (p.size() != 4 || !parseNumber(hotkey ? p[1].substr(7) : p[1], id) ||
        !parseNumber(p[3], timeout))
        return usage("time-capture <title> <command-id|hotkey:N> <file-or-folder> <timeout-ms>");
    HWND window = findOne(args, p[0], L"*");
    if (!window)
        return 1;
    const std::wstring& watched = p[2];
    const DWORD attributes = GetFileAttributesW(watched.c_str());
    const bool folder =
        attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
    const std::vector<FileState> before =
        folder ? filesIn(watched) : std::vector<FileState>{{watched, 0}};
    if (!folder && attributes != INVALID_FILE_ATTRIBUTES)
        for (const FileState& f : filesIn(watched.substr(0, watched.find_last_of(L'\\'))))
            if (_wcsicmp(f.path.c_str(), watched.c_str()) == 0)
                const_cast<FileState&>(before.front()).writeTime = f.writeTime;

    auto changed = [&]() -> std::wstring {
        const std::wstring where =
            folder ? watched : watched.substr(0, watched.find_last_of(L'\\'));
        for (const FileState& now : filesIn(where)) {
            if (!folder && _wcsicmp(now.path.c_str(), watched.c_str()) != 0)
                continue;
            bool isNew = true;
            for (const FileState& old : before)
                if (_wcsicmp(old.path.c_str(), now.path.c_str()) == 0 &&
                    old.writeTime == now.writeTime)
                    isNew = false;
            if (isNew && pictureComplete(now.path))
                return now.path;
        }
        return {};
    };

    LARGE_INTEGER frequency{}, start{}, now{};
    QueryPerformanceFrequency(&frequency);
    auto elapsedMs = [&] {
        QueryPerformanceCounter(&now);
        return static_cast<long long>((now.QuadPart - start.QuadPart) * 1000 / frequency.QuadPart);
    };
    QueryPerformanceCounter(&start);
    if (!(hotkey ? PostMessageW(window, WM_HOTKEY, id, 0)
                 : PostMessageW(window, WM_COMMAND, MAKEWPARAM(id, 0), 0))) {
        fail("PostMessage failed");
        return 1;
    }
    long long fileMs = -1, visibleMs = -1;
    bool wasHidden = false;
    std::wstring written;
    const ULONGLONG deadline = GetTickCount64() + timeout;
    while (GetTickCount64() < deadline && (fileMs < 0 || visibleMs < 0)) {
        if (fileMs < 0 && !(written = changed()).empty())
            fileMs = elapsedMs();
        const bool visible = IsWindowVisible(window) && !IsIconic(window);
        wasHidden = wasHidden || !visible;
        if (visibleMs < 0 && wasHidden && visible)
            visibleMs = elapsedMs();
        Sleep(2);
    }
    if (fileMs < 0 || visibleMs < 0) {
        fail("timed out waiting for the picture file and the window");
        return 1;
    }
    Record().add("file_ms", fileMs).add("visible_ms", visibleMs).add("file", written).print();
    return 0;
}

} // namespace e2e
