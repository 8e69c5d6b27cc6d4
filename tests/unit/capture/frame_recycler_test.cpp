// The memory of a picture let go goes to the next grab, from whichever thread lets it go.
#include "capture/frame_recycler.h"

#include <gtest/gtest.h>

#include <thread>

using namespace pictorn;

TEST(FrameRecycler, ThePicturesMemoryComesBackForTheNextGrabUpToItsLimit) {
    capture::FrameRecycler frames(64 * 4);
    auto shown = frames.share(imaging::Picture(8, 8, 0x123456));
    const std::uint32_t* memory = shown->pixels.data();
    EXPECT_TRUE(frames.take().empty()) << "nothing is kept while the picture is held";
    // The last holder may be the background writer.
    std::thread([held = std::move(shown)] {}).join();
    std::vector<std::uint32_t> storage = frames.take();
    EXPECT_EQ(storage.data(), memory);
    EXPECT_TRUE(frames.take().empty()) << "taken once";

    const imaging::Picture next = imaging::Picture::reusing(4, 8, std::move(storage));
    EXPECT_EQ(next.pixels.data(), memory);
    EXPECT_EQ(next.pixels.size(), 32u);
    EXPECT_EQ(imaging::Picture::reusing(9, 9, {}).pixels, std::vector<std::uint32_t>(81, 0));

    frames.share(imaging::Picture(9, 8)).reset();
    EXPECT_TRUE(frames.take().empty()) << "larger than the limit";
    auto outliving = frames.share(imaging::Picture(2, 2));
    { capture::FrameRecycler gone = std::move(frames); }
    outliving.reset(); // no recycler left to take it: simply freed
}
