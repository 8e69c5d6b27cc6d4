#pragma once
// What the control peers of one window share: the window they sit in, its font and its tool
// tips. The form window owns one and keeps its font current; the peers reach the model and
// the window only through it, so the form window depends on the peers and never the other
// way.
#include "platform/win32/handle.h"

#include <windows.h>

#include <string>

namespace pictorn::ui {
class Control;
}

namespace pictorn::platform::win32 {

// Posted to the window: puts the focus on the child in wParam.
inline constexpr UINT kMsgRefocus = WM_APP + 1;

class PeerHost {
public:
    PeerHost() = default;
    PeerHost(const PeerHost&) = delete;
    PeerHost& operator=(const PeerHost&) = delete;

    void attach(HWND window) noexcept { window_ = window; }
    HWND window() const noexcept { return window_; }
    HFONT font() const noexcept { return font_.get(); }
    void setFont(HFONT font) noexcept { font_.reset(font); }

    // The user moved the focus to `control`; false when its form refused it.
    bool focusModel(ui::Control& control);
    // Puts the focus back on `child` once the current message is done.
    void refocusLater(HWND child);
    void setToolTip(HWND child, const std::string& text);
    // A page switch hides and shows many children at once; frames and the tab control
    // beneath them only repaint cleanly when the whole window does (painting waits for the
    // new page to be shown).
    void repaintAll();

private:
    HWND window_ = nullptr;
    Font font_;
    HWND toolTip_ = nullptr; // owned by the window, destroyed with it
};

} // namespace pictorn::platform::win32
