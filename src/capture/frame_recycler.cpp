#include "capture/frame_recycler.h"

#include <mutex>

namespace pictorn::capture {

struct FrameRecycler::Spare {
    std::mutex mutex;
    std::vector<std::uint32_t> pixels;
    std::size_t maxPixels = 0;
};

FrameRecycler::FrameRecycler(std::size_t maxBytes) : spare_(std::make_shared<Spare>()) {
    spare_->maxPixels = maxBytes / sizeof(std::uint32_t);
}

std::shared_ptr<const imaging::Picture> FrameRecycler::share(imaging::Picture picture) {
    std::weak_ptr<Spare> back = spare_;
    return std::shared_ptr<const imaging::Picture>(
        new imaging::Picture(std::move(picture)), [back](const imaging::Picture* done) {
            std::unique_ptr<imaging::Picture> owned(const_cast<imaging::Picture*>(done));
            const auto spare = back.lock();
            if (!spare || owned->pixels.capacity() > spare->maxPixels)
                return;
            const std::lock_guard lock(spare->mutex);
            // The larger frame is the one the next grab can use more often.
            if (owned->pixels.capacity() >= spare->pixels.capacity())
                spare->pixels.swap(owned->pixels);
        });
}

std::vector<std::uint32_t> FrameRecycler::take() {
    std::vector<std::uint32_t> taken;
    const std::lock_guard lock(spare_->mutex);
    taken.swap(spare_->pixels);
    return taken;
}

} // namespace pictorn::capture
