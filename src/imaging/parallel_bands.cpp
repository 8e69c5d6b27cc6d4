#include "imaging/parallel_bands.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <system_error>
#include <thread>
#include <vector>

namespace pictorn::imaging {

namespace {
constexpr unsigned kMaxThreads = 8;
}

void forEachBand(std::size_t count, unsigned threads, const std::function<BandWork()>& makeWork) {
    if (threads == 0) {
        threads = std::thread::hardware_concurrency();
    }
    threads = std::clamp(threads, 1u, kMaxThreads);
    std::atomic<std::size_t> next{0};
    std::exception_ptr failure;
    std::atomic<bool> failed{false};
    auto run = [&] {
        try {
            const BandWork work = makeWork();
            for (std::size_t i; (i = next++) < count && !failed;) {
                work(i);
            }
        } catch (...) {
            if (!failed.exchange(true)) {
                failure = std::current_exception();
            }
        }
    };
    std::vector<std::thread> helpers;
    for (unsigned t = 1; t < std::min<std::size_t>(threads, count); ++t) {
        try {
            helpers.emplace_back(run);
        } catch (const std::system_error&) {
            break; // no more threads to be had: the ones running share the bands
        }
    }
    run();
    for (auto& h : helpers) {
        h.join();
    }
    if (failure) {
        std::rethrow_exception(failure);
    }
}

} // namespace pictorn::imaging
