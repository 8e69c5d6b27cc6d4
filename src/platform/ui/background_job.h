#pragma once
// A session with a server runs on a worker thread, so that it goes on while the window's
// thread is held elsewhere (a menu, a message box) and the window keeps painting. The
// window's thread starts the job, may ask it to abort, hears what the work reports as events
// that run on that thread (from whichever of its message loops runs next, in order), and
// collects the result once the work has ended: every event reported before the end has run
// by then. Closing the window aborts the job and waits for it, bounded; an event still on its
// way to a closed job is dropped. The mail and the FTP window both work this way.
#include "platform/ui/form.h"
#include "platform/ui/ui_toolkit.h"

#include <atomic>
#include <condition_variable>
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>
#include <variant>

namespace pictorn::ui {

namespace detail {
// What the window's thread and the worker share: it outlives whichever side ends first.
struct JobChannel : std::enable_shared_from_this<JobChannel> {
    explicit JobChannel(UiToolkit& toolkit) : ui(toolkit) {}
    void deliver(std::function<void()> event); // worker: queue an event for the window
    void finish();                             // worker: the work has ended
    void runEvents();                          // window: run what has arrived
    bool waitFinished(int milliseconds);

    UiToolkit& ui;
    std::atomic<bool> abortRequested{false};
    std::atomic<bool> closed{false}; // nobody listens any more: nothing more is posted
    std::mutex mutex;
    std::condition_variable ended;
    bool finished = false;
    bool runPosted = false; // a task that runs the events is on its way
    std::deque<std::function<void()>> events;
};
} // namespace detail

class JobBase {
public:
    // How long closing waits for an aborted work to end. The transports ask the abort check
    // every 100 ms and tidy up within a second; a work still running after this is left to
    // end with the process rather than hold the program.
    static constexpr int kEndWaitMs = 5000;

    JobBase(const JobBase&) = delete;
    JobBase& operator=(const JobBase&) = delete;

    bool finished() const;
    void abort() noexcept { channel_->abortRequested.store(true); }
    bool aborted() const noexcept { return channel_->abortRequested.load(); }
    // Processes the window thread's events until the work has ended or `window` has been
    // closed meanwhile; true when the work has ended.
    bool waitWhileOpen(const Form& window, int sliceMs = 50);
    // Asks the work to stop and waits up to `milliseconds` (without processing events);
    // true when it has ended.
    bool abortAndWait(int milliseconds = kEndWaitMs);

protected:
    explicit JobBase(UiToolkit& ui);
    // Aborts the work if it still runs and waits for it (kEndWaitMs at most, and not again
    // after abortAndWait has waited that long in vain).
    ~JobBase();
    void start(std::function<void()> body);
    // Once the work has ended: the worker joined and every event it reported run.
    void settle();

    std::shared_ptr<detail::JobChannel> channel_;

private:
    std::thread worker_;
    bool waitedInVain_ = false;
};

template <class Result, class Event = std::monostate> class BackgroundJob : public JobBase {
public:
    using EventHandler = std::function<void(const Event&)>;

    // What the work sees, on the worker thread.
    class Context {
    public:
        bool aborted() const { return channel_->abortRequested.load(); }
        void report(Event event) const {
            channel_->deliver([handler = handler_, event = std::move(event)] {
                if (*handler)
                    (*handler)(event);
            });
        }

    private:
        friend class BackgroundJob;
        Context(std::shared_ptr<detail::JobChannel> channel,
                std::shared_ptr<const EventHandler> handler)
            : channel_(std::move(channel)), handler_(std::move(handler)) {}
        std::shared_ptr<detail::JobChannel> channel_;
        std::shared_ptr<const EventHandler> handler_;
    };
    using Work = std::function<Result(const Context&)>;

    // Starts the work at once; `onEvent` runs on the window's thread for each report.
    BackgroundJob(UiToolkit& ui, Work work, EventHandler onEvent = {}) : JobBase(ui) {
        Context context(channel_, std::make_shared<const EventHandler>(std::move(onEvent)));
        start([outcome = outcome_, work = std::move(work), context = std::move(context)] {
            try {
                outcome->result.emplace(work(context));
            } catch (...) {
                outcome->failure = std::current_exception();
            }
        });
    }

    // Waits for the work (call it once finished()) and gives its result; a failure the work
    // raised is raised here, on the window's thread.
    Result result() {
        settle();
        if (outcome_->failure)
            std::rethrow_exception(outcome_->failure);
        return *outcome_->result;
    }

private:
    struct Outcome {
        std::optional<Result> result;
        std::exception_ptr failure;
    };
    std::shared_ptr<Outcome> outcome_ = std::make_shared<Outcome>();
};

} // namespace pictorn::ui
