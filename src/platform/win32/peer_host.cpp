#include "platform/win32/peer_host.h"

#include "platform/ui/form.h"
#include "platform/win32/text.h"

#include <commctrl.h>

namespace pictorn::platform::win32 {

bool PeerHost::focusModel(ui::Control& control) {
    return control.owner() == nullptr || control.owner()->focus(control);
}

void PeerHost::refocusLater(HWND child) {
    PostMessageW(window_, kMsgRefocus, reinterpret_cast<WPARAM>(child), 0);
}

void PeerHost::setToolTip(HWND child, const std::string& text) {
    if (text.empty() && !toolTip_)
        return;
    if (!toolTip_) {
        toolTip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                                   WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT,
                                   CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, window_, nullptr,
                                   GetModuleHandleW(nullptr), nullptr);
    }
    std::wstring wide = toWide(text);
    TTTOOLINFOW info{};
    info.cbSize = sizeof info;
    info.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    info.hwnd = window_;
    info.uId = reinterpret_cast<UINT_PTR>(child);
    info.lpszText = wide.data();
    SendMessageW(toolTip_, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&info));
    if (!text.empty())
        SendMessageW(toolTip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info));
}

void PeerHost::repaintAll() {
    RedrawWindow(window_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

} // namespace pictorn::platform::win32
