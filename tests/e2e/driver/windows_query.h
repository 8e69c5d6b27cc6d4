// Finding and reading windows of other processes in the same Wine prefix (or on the same
// Windows desktop). Only calls that work across processes under Wine are used.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace e2e {

// Which top-level windows a command looks at. "*" (or empty) matches any title or class.
struct WindowFilter {
    std::wstring title = L"*";
    std::wstring className = L"*";
    DWORD pid = 0;           // 0: any process
    bool visibleOnly = true; // hidden windows exist while a window is being built
};

std::vector<HWND> findTopLevel(const WindowFilter& filter);
std::vector<HWND> childrenOf(HWND parent);

std::wstring windowText(HWND window); // through WM_GETTEXT, so edit controls work too
std::wstring windowClass(HWND window);
DWORD windowPid(HWND window);

// Caption with the mnemonic marks removed ("&OK" -> "OK", "&&" -> "&").
std::wstring withoutMnemonics(const std::wstring& text);

// The visible button of a window whose caption reads `text` (mnemonics aside), or null.
HWND visibleButton(HWND window, const std::wstring& text);

// Calls condition every 50 ms until it returns true or timeoutMs have passed.
bool pollUntil(DWORD timeoutMs, const std::function<bool()>& condition);

} // namespace e2e
