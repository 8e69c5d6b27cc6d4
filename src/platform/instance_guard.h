#pragma once
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace pictorn::ui {
class Form;
}

namespace pictorn::platform {

// What a later copy learnt about the arguments it handed to the running copy.
struct ForwardOutcome {
    enum class Status {
        NotDelivered, // no running copy took them
        Answered,     // code and message are the running copy's answer
        Ended,        // the running copy ended without answering
        TimedOut,     // no answer within the wait
    };
    Status status = Status::NotDelivered;
    int code = 0;
    std::string message;
};

// How the running copy answers the later copy that handed it a request, once it is done
// with it or has refused it.
class ForwardedReply {
public:
    virtual ~ForwardedReply() = default;
    // False once the later copy has stopped waiting (it gave up, or ended).
    virtual bool waiting() const = 0;
    // Tells the outcome; the later copy ends with the code and shows a message that is
    // not empty. Only the first answer counts.
    virtual void answer(int code, std::string_view message) = 0;
};

// Recognises a running copy of the program for the same user, and carries a command line
// from a later copy to the running one and its outcome back.
class InstanceGuard {
public:
    virtual ~InstanceGuard() = default;
    // Claims the program for this process; false when another copy already holds it.
    virtual bool claim() = 0;
    // Hands the arguments to the copy that holds the program (which may still be starting)
    // and waits up to waitMs for its answer.
    virtual ForwardOutcome forward(const std::vector<std::string>& arguments, int waitMs) {
        (void)arguments;
        (void)waitMs;
        return {};
    }
    // From now on, arguments forwarded by later copies arrive through onForwarded, on the
    // user-interface thread, addressed to this window, each with the way to answer it.
    virtual void listen(ui::Form& mainWindow) { (void)mainWindow; }

    std::function<void(std::vector<std::string>, std::shared_ptr<ForwardedReply>)> onForwarded;
};

} // namespace pictorn::platform
