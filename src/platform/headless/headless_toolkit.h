#pragma once
// Forms without windows, for tests and tools. A modal dialog runs the test's script in
// place of a user, then returns as the real one would once the dialog is hidden.
#include "platform/ui/form.h"
#include "platform/ui/ui_toolkit.h"

#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace pictorn::headless {

class HeadlessToolkit : public ui::UiToolkit {
public:
    using ModalScript = std::function<void(ui::Form&)>;

    void initCommonControls() override { ++commonControlsInitialised; }
    void attach(ui::Form& form) override;
    int run() override { return exitCode_; }
    void quit(int exitCode) override {
        quitRequested = true;
        exitCode_ = exitCode;
    }
    // Runs the tasks posted so far, then the hook.
    void doEvents() override;
    // Plays what the user does while the program processes pending events.
    std::function<void()> onDoEvents;
    // The hook (if any) plays what happens meanwhile, for instance the clock moving on; then
    // the tasks posted from other threads run. Without a hook this waits (really) for a task
    // up to the time given; with one, only a moment, so a played delay stays quick.
    void waitEvents(int maxMilliseconds) override;
    std::function<void(int)> onWait;
    void post(std::function<void()> task) override;
    ui::ScreenInfo screen() override { return screenInfo; }

    // The script that plays the user while the named form is shown modally.
    void onModal(const std::string& formName, ModalScript script) {
        modalScripts_[formName] = std::move(script);
    }

    ui::ScreenInfo screenInfo{1920, 1080, 96};
    int commonControlsInitialised = 0;
    int eventsPumped = 0;
    bool quitRequested = false;
    std::vector<std::string> modalLog; // names of forms shown modally, in order

private:
    friend class HeadlessFormPeer;
    void runPosted();
    std::mutex postedMutex_;
    std::condition_variable postedArrived_;
    std::deque<std::function<void()>> posted_;
    std::map<std::string, ModalScript> modalScripts_;
    std::vector<std::unique_ptr<ui::FormPeer>> peers_;
    int exitCode_ = 0;
};

} // namespace pictorn::headless
