#pragma once
// The windowing runtime on Windows: real windows for forms, the message loop with
// accelerators and dialog keys, and the screen's size and DPI.
#include "platform/ui/ui_toolkit.h"

#include <windows.h>

#include <memory>
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
    ui::ScreenInfo screen() override;

    bool quitting() const { return quitting_; }
    // Runs one message through accelerators and dialog navigation; false on WM_QUIT.
    bool dispatch(MSG& msg);
    void forget(FormWindow* window);
    HICON programIcon() const { return icon_; }

private:
    void reapDestroyed();
    std::vector<std::unique_ptr<FormWindow>> windows_;
    std::vector<std::unique_ptr<FormWindow>> destroyed_;
    HICON icon_ = nullptr;
    bool quitting_ = false;
    int exitCode_ = 0;
};

} // namespace pictorn::platform::win32
