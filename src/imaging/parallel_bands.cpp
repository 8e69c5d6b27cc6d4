#include "imaging/parallel_bands.h"

#include "imaging/core_binding.h"
#include "imaging/streaming_rows.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <exception>
#include <memory>
#include <mutex>
#include <new>
#include <optional>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

namespace pictorn::imaging {

namespace {
constexpr unsigned kMaxThreads = 8;
// Below this many pixels a pass is over before a helper has woken.
constexpr long long kParallelPixels = 512 * 1024;
// About a megabyte of a 4K picture's rows: few bands to hand out, and enough of them to share.
constexpr int kRowsPerBand = 64;

// Helper threads kept waiting between jobs. Starting a thread under Wine costs about as much
// as a whole-picture pass of a 4K picture (every loaded DLL hears of it), so a pass that
// started its own helpers lost to one core; woken from here, a second core pays off.
class HelperPool {
public:
    ~HelperPool() {
        {
            std::lock_guard lock(mutex_);
            stopping_ = true;
        }
        wake_.notify_all();
        for (auto& helper : helpers_) {
            helper->thread.join();
        }
    }

    void bindWith(std::shared_ptr<CoreBinding> binding) {
        std::lock_guard lock(mutex_);
        binding_ = std::move(binding);
    }

    // Runs `job` on the calling thread and on up to `helpers` of the pool's; false (nothing
    // run) while another caller's job has the pool. Returns once every helper that joined in
    // is done; a helper not yet woken when the caller's own run ends is not waited for.
    bool run(unsigned helpers, const std::function<void()>& job) {
        std::unique_ptr<CoreBinding::Held> held;
        {
            std::lock_guard lock(mutex_);
            if (job_) {
                return false;
            }
            while (helpers_.size() < helpers) {
                Helper& helper = *helpers_.emplace_back(std::make_unique<Helper>());
                try {
                    helper.thread = std::thread([this, &helper] { serve(helper); });
                } catch (const std::system_error&) {
                    helpers_.pop_back();
                    break; // no more threads to be had: those there share the work
                }
            }
            job_ = &job;
            wanted_ = std::min<std::size_t>(helpers, helpers_.size());
            held = keepApart();
        }
        wake_.notify_all();
        job();
        std::unique_lock lock(mutex_);
        wanted_ = 0;
        done_.wait(lock, [this] { return running_ == 0; });
        job_ = nullptr;
        heldCore_ = -1;
        return true;
    }

private:
    struct Helper {
        std::thread thread;
        std::unique_ptr<CoreBinding::Helper> bound; // set by the thread itself
        int keptOff = -1;
    };

    // The caller held on its core and every helper kept off it, before any is woken.
    std::unique_ptr<CoreBinding::Held> keepApart() {
        if (!binding_) {
            return nullptr;
        }
        try {
            std::unique_ptr<CoreBinding::Held> held = binding_->holdThisThread();
            heldCore_ = held->core();
            for (auto& helper : helpers_) {
                keepOff(*helper);
            }
            return held;
        } catch (const std::bad_alloc&) {
            return nullptr; // the pass runs where the system puts it
        }
    }

    void keepOff(Helper& helper) {
        if (heldCore_ >= 0 && helper.bound && helper.keptOff != heldCore_) {
            helper.bound->keepOff(heldCore_);
            helper.keptOff = heldCore_;
        }
    }

    void serve(Helper& self) {
        std::unique_lock lock(mutex_);
        if (const auto binding = binding_) {
            lock.unlock();
            std::unique_ptr<CoreBinding::Helper> bound;
            try {
                bound = binding->thisHelper();
            } catch (const std::bad_alloc&) {
            }
            lock.lock();
            self.bound = std::move(bound);
        }
        for (;;) {
            wake_.wait(lock, [this] { return stopping_ || wanted_ > 0; });
            if (stopping_) {
                return;
            }
            --wanted_;
            ++running_;
            keepOff(self); // made during this job, after the caller kept the others off
            const std::function<void()>* job = job_;
            lock.unlock();
            (*job)();
            lock.lock();
            if (--running_ == 0) {
                done_.notify_all();
            }
        }
    }

    std::mutex mutex_;
    std::condition_variable wake_, done_;
    std::vector<std::unique_ptr<Helper>> helpers_;
    std::shared_ptr<CoreBinding> binding_;
    int heldCore_ = -1; // the core the running job's caller is held on
    const std::function<void()>* job_ = nullptr;
    std::size_t wanted_ = 0;  // helpers still to join the job
    std::size_t running_ = 0; // helpers working on it
    bool stopping_ = false;
};

HelperPool& helperPool() {
    static HelperPool pool;
    return pool;
}

// Set while a thread works a band: a pass started from there runs on that thread alone, as
// the other cores are busy with the bands around it.
thread_local bool t_inBand = false;

class InBand {
public:
    InBand() : outer_(std::exchange(t_inBand, true)) {}
    ~InBand() { t_inBand = outer_; }
    InBand(const InBand&) = delete;
    InBand& operator=(const InBand&) = delete;

private:
    bool outer_;
};

unsigned threadsFor(std::size_t count, unsigned threads) {
    if (t_inBand) {
        return 1;
    }
    if (threads == 0) {
        threads = std::thread::hardware_concurrency();
    }
    return static_cast<unsigned>(
        std::min<std::size_t>(std::clamp(threads, 1u, kMaxThreads), count));
}

} // namespace

void bindCoresWith(std::shared_ptr<CoreBinding> binding) {
    helperPool().bindWith(std::move(binding));
}

void forEachBand(std::size_t count, unsigned threads, const std::function<BandWork()>& makeWork) {
    threads = threadsFor(count, threads);
    std::atomic<std::size_t> next{0};
    std::exception_ptr failure;
    std::atomic<bool> failed{false};
    const std::function<void()> run = [&] {
        if (next >= count) {
            return; // joined late: the others took every band
        }
        try {
            const InBand inBand;
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
    if (threads <= 1) {
        run();
    } else if (!helperPool().run(threads - 1, run)) {
        // Another job has the pool (a band's work running bands of its own, or another
        // thread's pass): this one starts helpers of its own.
        std::vector<std::thread> helpers;
        for (unsigned t = 1; t < threads; ++t) {
            try {
                helpers.emplace_back(run);
            } catch (const std::system_error&) {
                break;
            }
        }
        run();
        for (auto& h : helpers) {
            h.join();
        }
    }
    if (failure) {
        std::rethrow_exception(failure);
    }
}

void forEachBandInOrder(std::size_t count, const std::function<BandWork()>& makeWork,
                        const std::function<void(std::size_t from, std::size_t to)>& finished) {
    const unsigned threads = threadsFor(count, 0);
    std::mutex mutex;
    std::condition_variable worked;
    std::vector<bool> done(count);
    std::atomic<std::size_t> next{0};
    std::exception_ptr failure;
    std::atomic<bool> failed{false};
    auto fail = [&] {
        std::lock_guard lock(mutex);
        if (!failed.exchange(true)) {
            failure = std::current_exception();
        }
        worked.notify_all();
    };
    auto workOne = [&](const BandWork& work, std::size_t band) {
        work(band);
        std::lock_guard lock(mutex);
        done[band] = true;
        worked.notify_all();
    };
    const std::function<void()> help = [&] {
        try {
            const InBand inBand;
            const BandWork work = makeWork();
            for (std::size_t i; (i = next++) < count && !failed;) {
                workOne(work, i);
            }
        } catch (...) {
            fail();
        }
    };
    const auto caller = std::this_thread::get_id();
    const std::function<void()> run = [&] {
        if (std::this_thread::get_id() != caller) {
            help();
            return;
        }
        try {
            std::optional<BandWork> work;
            for (std::size_t shown = 0; shown < count && !failed;) {
                std::size_t ready = shown;
                {
                    std::lock_guard lock(mutex);
                    while (ready < count && done[ready]) {
                        ++ready;
                    }
                }
                if (ready > shown) {
                    finished(shown, ready);
                    shown = ready;
                    continue;
                }
                if (const std::size_t i = next++; i < count) {
                    const InBand inBand;
                    if (!work) {
                        work = makeWork();
                    }
                    workOne(*work, i);
                    continue;
                }
                std::unique_lock lock(mutex);
                worked.wait(lock, [&] { return done[shown] || failed; });
            }
        } catch (...) {
            fail();
        }
    };
    if (threads <= 1 || !helperPool().run(threads - 1, run)) {
        run(); // alone: the pool is another pass's
    }
    if (failure) {
        std::rethrow_exception(failure);
    }
}

void forEachRowBand(int top, int bottom, int width, const std::function<void(int, int)>& rows) {
    if (bottom <= top || width <= 0) {
        return;
    }
    if (static_cast<long long>(bottom - top) * width < kParallelPixels) {
        rows(top, bottom);
        finishStreaming();
        return;
    }
    const auto bands = static_cast<std::size_t>((bottom - top + kRowsPerBand - 1) / kRowsPerBand);
    forEachBand(bands, 0, [&]() -> BandWork {
        return [&](std::size_t band) {
            const int from = top + static_cast<int>(band) * kRowsPerBand;
            rows(from, std::min(bottom, from + kRowsPerBand));
            finishStreaming();
        };
    });
}

} // namespace pictorn::imaging
