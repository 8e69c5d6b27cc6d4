#pragma once
#include <functional>
#include <string>
#include <vector>

namespace pictorn::ui {
class Form;
}

namespace pictorn::platform {

// Recognises a running copy of the program for the same user, and carries a command line
// from a later copy to the running one.
class InstanceGuard {
public:
    virtual ~InstanceGuard() = default;
    // Claims the program for this process; false when another copy already holds it.
    virtual bool claim() = 0;
    // Hands the arguments to the copy that holds the program; true once it took them.
    virtual bool forward(const std::vector<std::string>& arguments) {
        (void)arguments;
        return false;
    }
    // From now on, arguments forwarded by later copies arrive through onForwarded, on the
    // user-interface thread, addressed to this window.
    virtual void listen(ui::Form& mainWindow) { (void)mainWindow; }

    std::function<void(std::vector<std::string>)> onForwarded;
};

} // namespace pictorn::platform
