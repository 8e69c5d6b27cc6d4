#include "platform/win32/win32_message_box.h"

#include "platform/win32/text.h"

#include <windows.h>

namespace pictorn::platform::win32 {

unsigned effectiveMessageBoxStyle(unsigned flags, bool hasOwner) noexcept {
    // MB_APPLMODAL is 0; system-modal and task-modal share the mode field, so adding
    // task-modal to a system-modal box would produce an undefined mode.
    if (!hasOwner && (flags & MB_MODEMASK) == MB_APPLMODAL) {
        flags |= MB_TASKMODAL;
    }
    return flags;
}

int Win32MessageBox::show(std::string_view text, unsigned flags, std::string_view title,
                          std::string_view helpFile, int helpContext) {
    const HWND owner = GetActiveWindow();
    const std::wstring wideText = toWide(text);
    const std::wstring wideTitle = toWide(title);
    const UINT style = effectiveMessageBoxStyle(flags, owner != nullptr);
    if (helpFile.empty()) {
        return MessageBoxW(owner, wideText.c_str(), wideTitle.c_str(), style);
    }
    MSGBOXPARAMSW params{};
    params.cbSize = sizeof(params);
    params.hwndOwner = owner;
    params.lpszText = wideText.c_str();
    params.lpszCaption = wideTitle.c_str();
    params.dwStyle = style;
    params.dwContextHelpId = static_cast<DWORD_PTR>(static_cast<DWORD>(helpContext));
    params.dwLanguageId = MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL);
    return MessageBoxIndirectW(&params);
}

} // namespace pictorn::platform::win32
