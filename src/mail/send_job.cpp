#include "mail/send_job.h"

namespace pictorn::mail {

SendJob::SendJob(Work work) {
    worker_ = std::thread([this, work = std::move(work)] {
        try {
            result_ = work([this] { return aborted_.load(); });
        } catch (...) {
            failure_ = std::current_exception();
        }
        finished_.store(true);
    });
}

SendJob::~SendJob() {
    abort();
    if (worker_.joinable())
        worker_.join();
}

net::SendResult SendJob::wait() {
    if (worker_.joinable())
        worker_.join();
    if (failure_)
        std::rethrow_exception(failure_);
    return result_;
}

} // namespace pictorn::mail
