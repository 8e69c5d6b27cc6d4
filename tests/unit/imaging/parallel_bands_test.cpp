#include "imaging/parallel_bands.h"

#include "imaging/core_binding.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <stdexcept>
#include <thread>
#include <vector>

namespace pictorn::imaging {
namespace {

// Every band exactly once, job after job on the kept helpers, whatever else asks for them at
// the same time: a band's work running bands of its own, and a second thread's passes.
TEST(ParallelBands, EveryBandRunsOnceWhileOthersAskForHelpers) {
    auto pass = [](std::size_t count, unsigned threads, bool nested) {
        std::vector<std::atomic<int>> runs(count);
        forEachBand(count, threads, [&]() -> BandWork {
            return [&](std::size_t band) {
                if (nested && band % 7 == 0) {
                    std::atomic<int> inner{0};
                    forEachBand(5, 2, [&]() -> BandWork {
                        return [&](std::size_t) {
                            ++inner;
                        };
                    });
                    EXPECT_EQ(inner, 5);
                }
                ++runs[band];
            };
        });
        for (std::size_t i = 0; i < count; ++i) {
            ASSERT_EQ(runs[i], 1) << "band " << i << " of " << count;
        }
        // In order: each band handed on once, on the calling thread, after it was worked.
        std::vector<std::atomic<int>> worked(count);
        std::vector<std::size_t> order;
        const auto caller = std::this_thread::get_id();
        forEachBandInOrder(
            count,
            [&]() -> BandWork {
                return [&](std::size_t band) {
                    if (nested && band % 7 == 0) {
                        forEachBand(5, 2, []() {
                            return [](std::size_t) {
                            };
                        });
                    }
                    ++worked[band];
                };
            },
            [&](std::size_t from, std::size_t to) {
                EXPECT_EQ(std::this_thread::get_id(), caller);
                EXPECT_LT(from, to);
                for (std::size_t band = from; band < to; ++band) {
                    EXPECT_EQ(worked[band], 1);
                    order.push_back(band);
                }
            });
        ASSERT_EQ(order.size(), count);
        for (std::size_t i = 0; i < count; ++i) {
            ASSERT_EQ(order[i], i);
        }
    };
    std::thread other([&] {
        for (int i = 0; i < 200; ++i) {
            pass(13, 0, false);
        }
    });
    for (int i = 0; i < 200; ++i) {
        pass(static_cast<std::size_t>(i % 40), static_cast<unsigned>(i % 5), i % 3 == 0);
    }
    other.join();
}

// A failing band stops the pass and its failure reaches the caller; the helpers serve the
// next pass.
TEST(ParallelBands, FailureReachesTheCallerAndTheHelpersCarryOn) {
    for (int round = 0; round < 20; ++round) {
        EXPECT_THROW(forEachBand(64, 4,
                                 [&]() -> BandWork {
                                     return [](std::size_t band) {
                                         if (band == 10) {
                                             throw std::runtime_error("band 10");
                                         }
                                     };
                                 }),
                     std::runtime_error);
        EXPECT_THROW(forEachBandInOrder(
                         64,
                         [&]() -> BandWork {
                             return [](std::size_t band) {
                                 if (band == 10) {
                                     throw std::runtime_error("band 10");
                                 }
                             };
                         },
                         [](std::size_t, std::size_t) {}),
                     std::runtime_error);
        std::atomic<int> runs{0};
        forEachBand(64, 4, [&]() -> BandWork {
            return [&](std::size_t) {
                ++runs;
            };
        });
        EXPECT_EQ(runs, 64);
    }
}

constexpr int kHeldCore = 3;

// Records what a pass asks of the binding: how many threads it holds, and for each helper the
// core it was last kept off.
struct RecordingBinding final : CoreBinding {
    struct Bound final : Helper {
        std::atomic<int> keptOff{-1};
        void keepOff(int core) noexcept override { keptOff = core; }
    };
    struct Holding final : Held {
        explicit Holding(std::atomic<int>& held) : held_(held) { ++held_; }
        ~Holding() override { --held_; }
        int core() const noexcept override { return kHeldCore; }
        std::atomic<int>& held_;
    };
    std::unique_ptr<Helper> thisHelper() override {
        auto bound = std::make_unique<Bound>();
        self() = bound.get();
        return bound;
    }
    std::unique_ptr<Held> holdThisThread() override { return std::make_unique<Holding>(held); }
    // The helper the calling thread was made as, if it was made while this was there.
    static Bound*& self() {
        static thread_local Bound* bound = nullptr;
        return bound;
    }
    std::atomic<int> held{0};
};

// With a binding, a pass holds its caller on its core until every helper is done, and a helper
// works only once it has been kept off that core.
TEST(ParallelBands, HelpersWorkOffTheHeldCallersCore) {
    const auto binding = std::make_shared<RecordingBinding>();
    bindCoresWith(binding);
    const auto caller = std::this_thread::get_id();
    std::atomic<int> byBoundHelpers{0}, unheld{0}, notKeptOff{0};
    auto work = [&]() -> BandWork {
        return [&](std::size_t) {
            unheld += binding->held != 1;
            if (const auto* self = RecordingBinding::self();
                self && std::this_thread::get_id() != caller) {
                notKeptOff += self->keptOff != kHeldCore;
                ++byBoundHelpers;
            }
            std::atomic<int> spin{0}; // long enough a band for the helpers to take some
            while (spin.fetch_add(1, std::memory_order_relaxed) < 2000) {
            }
        };
    };
    for (int pass = 0; pass < 50; ++pass) {
        forEachBand(64, 8, work);
        forEachBandInOrder(64, work, [](std::size_t, std::size_t) {});
        ASSERT_EQ(binding->held, 0) << "the caller is let go once the pass is over";
    }
    bindCoresWith(nullptr);
    EXPECT_EQ(unheld, 0);
    EXPECT_EQ(notKeptOff, 0);
    EXPECT_GT(byBoundHelpers, 0) << "helpers made while the binding was there took bands";
}

} // namespace
} // namespace pictorn::imaging
