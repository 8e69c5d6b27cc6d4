// Commands for the release tests: reading a program file's version resource, and holding
// a hotkey the way another program would before Pictorn starts.
#include "commands.h"
#include "output.h"

#include <vector>

namespace e2e {
namespace {

std::wstring versionString(const std::vector<BYTE>& block, const wchar_t* name) {
    struct Translation {
        WORD language, codePage;
    };
    Translation* translations = nullptr;
    UINT size = 0;
    if (!VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation",
                        reinterpret_cast<void**>(&translations), &size) ||
        size < sizeof(Translation))
        return {};
    wchar_t path[128];
    swprintf(path, 128, L"\\StringFileInfo\\%04x%04x\\%ls", translations->language,
             translations->codePage, name);
    wchar_t* value = nullptr;
    if (!VerQueryValueW(block.data(), path, reinterpret_cast<void**>(&value), &size) || !value)
        return {};
    return value;
}

} // namespace

int fileVersion(const Args& args) {
    const auto& p = args.positional;
    if (p.size() != 1)
        return usage("file-version <path>");
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(p[0].c_str(), &ignored);
    std::vector<BYTE> block(size);
    if (size == 0 || !GetFileVersionInfoW(p[0].c_str(), 0, size, block.data())) {
        fail("no version resource");
        return 1;
    }
    Record record;
    for (const wchar_t* name :
         {L"ProductName", L"FileDescription", L"ProductVersion", L"FileVersion", L"CompanyName"})
        record.add(toUtf8(name), versionString(block, name));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT fixedSize = 0;
    if (VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &fixedSize) &&
        fixed) {
        record.add("fixed", std::to_string(HIWORD(fixed->dwProductVersionMS)) + "." +
                                std::to_string(LOWORD(fixed->dwProductVersionMS)) + "." +
                                std::to_string(HIWORD(fixed->dwProductVersionLS)));
    }
    record.print();
    return 0;
}

// Registers the combination for the whole system and keeps it for the lifetime; a window
// titled "E2E hotkey holder" appears once it is held, so a test knows when to go on.
int holdHotkey(const Args& args) {
    const auto& p = args.positional;
    unsigned long lifetime = 0;
    if (p.size() != 3 || p[1].size() != 1 || !parseNumber(p[2], lifetime))
        return usage("hold-hotkey <ctrl+alt+shift modifiers or -> <letter> <lifetime-ms>");
    UINT modifiers = 0;
    if (p[0].find(L"ctrl") != std::wstring::npos)
        modifiers |= MOD_CONTROL;
    if (p[0].find(L"alt") != std::wstring::npos)
        modifiers |= MOD_ALT;
    if (p[0].find(L"shift") != std::wstring::npos)
        modifiers |= MOD_SHIFT;
    if (!RegisterHotKey(nullptr, 1, modifiers | MOD_NOREPEAT, towupper(p[1][0]))) {
        fail("RegisterHotKey failed: " + std::to_string(GetLastError()));
        return 1;
    }
    HWND window = CreateWindowExW(0, L"STATIC", L"E2E hotkey holder", WS_OVERLAPPED, 0, 0, 50, 50,
                                  nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    ShowWindow(window, SW_SHOWNOACTIVATE);
    SetTimer(nullptr, 0, lifetime, nullptr);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (msg.message == WM_TIMER)
            break;
        DispatchMessageW(&msg);
    }
    DestroyWindow(window);
    UnregisterHotKey(nullptr, 1);
    return 0;
}

} // namespace e2e
