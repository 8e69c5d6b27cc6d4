#include "imaging/parallel_bands.h"

#include <gtest/gtest.h>

#include <atomic>
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

} // namespace
} // namespace pictorn::imaging
