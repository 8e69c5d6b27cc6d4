#pragma once
// The windowing runtime on Windows: real windows for forms, the message loop with
// accelerators and dialog keys, and the screen's size and DPI.
#include "platform/ui/form.h"
#include "platform/ui/ui_toolkit.h"
#include "platform/win32/thread_mailbox.h"

#include <windows.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace pictorn::platform::win32 {

class FormWindow;

class Win32Toolkit : public ui::UiToolkit {
public:
    Win32Toolkit();
    ~Win32Toolkit() override;

    void initCommonControls() override;
    void attach(ui::Form& form) override;
    int run() override;
    void quit(int exitCode) override;
    void doEvents() override;
    void waitEvents(int maxMilliseconds) override;
    void post(std::function<void()> task) override { mailbox_.post(std::move(task)); }
    ui::ScreenInfo screen() override;

    bool quitting() const { return quitting_; }
    // Runs one message through accelerators and dialog navigation; false on WM_QUIT.
    bool dispatch(MSG& msg);
    void forget(FormWindow* window);
    HICON programIcon() const { return icon_; }

    // Forms whose real window is not a FormWindow (custom-painted ones, such as an
    // OverlayWindow) get theirs from a factory the program registers under the form's name
    // before the form loads. A factory that returns nothing leaves the form a FormWindow.
    using PeerFactory = std::function<std::unique_ptr<ui::FormPeer>(ui::Form&, Win32Toolkit&)>;
    void registerPeerFactory(const std::string& formName, PeerFactory factory);
    // Such a peer calls this from destroy(); it is deleted once the current message is done.
    void releasePeer(ui::FormPeer* peer);

private:
    void reapDestroyed();
    std::vector<std::unique_ptr<FormWindow>> windows_;
    std::vector<std::unique_ptr<FormWindow>> destroyed_;
    std::map<std::string, PeerFactory> peerFactories_;
    std::vector<std::unique_ptr<ui::FormPeer>> customPeers_;
    std::vector<std::unique_ptr<ui::FormPeer>> releasedPeers_;
    ThreadMailbox mailbox_;
    HICON icon_ = nullptr;
    bool quitting_ = false;
    int exitCode_ = 0;
};

} // namespace pictorn::platform::win32
