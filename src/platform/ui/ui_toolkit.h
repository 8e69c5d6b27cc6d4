#pragma once
// The windowing runtime: creating real windows for forms, the message loop and the
// screen. The Windows toolkit builds real windows; the headless one keeps forms in memory
// and runs a test's script where a modal dialog would wait for the user.
#include <functional>
#include <string>

namespace pictorn::ui {

class Form;

struct ScreenInfo {
    int widthPx = 0, heightPx = 0; // the primary screen
    int dpi = 96;
    int twipsPerPixel() const { return 1440 / (dpi > 0 ? dpi : 96); }
    int widthTwips() const { return widthPx * 1440 / (dpi > 0 ? dpi : 96); }
    int heightTwips() const { return heightPx * 1440 / (dpi > 0 ? dpi : 96); }
};

class UiToolkit {
public:
    virtual ~UiToolkit() = default;
    virtual void initCommonControls() = 0;
    // Creates the form's real window and peers (hidden).
    virtual void attach(Form& form) = 0;
    // Runs the message loop until quit() is called; returns the exit code.
    virtual int run() = 0;
    virtual void quit(int exitCode) = 0;
    // Processes the pending events once and returns.
    virtual void doEvents() = 0;
    // Waits up to the given time for an event, processes what arrived and returns: the
    // way a wait keeps the windows alive without spinning.
    virtual void waitEvents(int maxMilliseconds) = 0;
    // Safe from any thread: runs `task` on the user-interface thread from whichever of its
    // message loops runs next (a menu's or a message box's included), in the order posted.
    // A task still waiting when the toolkit ends is dropped.
    virtual void post(std::function<void()> task) = 0;
    virtual ScreenInfo screen() = 0;
};

} // namespace pictorn::ui
