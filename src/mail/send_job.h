#pragma once
// One sending on a worker thread, so that the mail window keeps painting while a server is
// slow or silent: the window pumps its events until the job has finished. Closing the
// window meanwhile aborts the job and waits for it; the transport asks the abort check
// every 100 ms, so that wait is short.
#include "net/smtp_client.h"
#include "platform/network.h"

#include <atomic>
#include <exception>
#include <functional>
#include <thread>

namespace pictorn::mail {

class SendJob {
public:
    using Work = std::function<net::SendResult(const platform::AbortCheck&)>;

    // Starts the work at once.
    explicit SendJob(Work work);
    // Aborts the work if it still runs, and waits for it.
    ~SendJob();
    SendJob(const SendJob&) = delete;
    SendJob& operator=(const SendJob&) = delete;

    bool finished() const noexcept { return finished_.load(); }
    void abort() noexcept { aborted_.store(true); }
    bool aborted() const noexcept { return aborted_.load(); }
    // Waits for the worker and returns its result; a failure the work raised is raised here,
    // on the caller's thread.
    net::SendResult wait();

private:
    std::atomic<bool> finished_{false};
    std::atomic<bool> aborted_{false};
    net::SendResult result_;
    std::exception_ptr failure_;
    std::thread worker_;
};

} // namespace pictorn::mail
