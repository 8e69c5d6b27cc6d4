#pragma once
// Peers that bind the model's controls to real child windows: they mirror the model's
// state into the control and forward the user's actions (WM_COMMAND notifications,
// scrolling, focus) back into the model, where the events fire.
#include "platform/ui/control.h"
#include "platform/win32/handle.h"
#include "platform/win32/peer_host.h"

#include <windows.h>

#include <memory>
#include <string>

namespace pictorn::ui {
class TabStrip;
}

namespace pictorn::platform::win32 {

class ChildPeer : public ui::ControlPeer {
public:
    ChildPeer(ui::Control& model, HWND child, PeerHost& form);
    ~ChildPeer() override;

    HWND hwnd() const { return hwnd_; }
    ui::Control& model() const { return model_; }

    void update(const ui::Control& control, ui::Property what) override;
    void takeFocus() override;
    // Mirrors every aspect once, right after binding.
    void syncAll();

    virtual void onNotify(int code);
    virtual void onScroll(int /*code*/) {}
    virtual void onNotifyHeader(const NMHDR& /*header*/) {}
    // Colours for WM_CTLCOLOR*: a brush when the model asks for its own colours.
    HBRUSH colors(HDC dc);

protected:
    virtual void updateOwn(ui::Property what) = 0;
    // The user moved the focus here; the model may refuse it.
    void focusGained();

    ui::Control& model_;
    HWND hwnd_;
    PeerHost& form_;

private:
    void applyFont();
    Brush backBrush_;
    Font ownFont_; // bold or sized: kept while the control uses it
};

// Makes the peer that fits the control's kind (nullptr for kinds without a child window).
std::unique_ptr<ChildPeer> makeChildPeer(ui::Control& model, HWND child, PeerHost& form);
// The window class and styles for a control a plain window makes itself.
bool childWindowClassFor(const ui::Control& model, const wchar_t*& className, DWORD& style);

} // namespace pictorn::platform::win32
