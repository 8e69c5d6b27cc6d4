#pragma once
// The pixel memory of a picture that is let go, kept for the next grab. A fresh frame costs
// the system a page fault per 4 KB the first time it is touched (under Wine about 8 ms for
// a 1920x1080 frame, 60 ms for 3840x2160), more than the copy from the screen itself.
#include "imaging/picture.h"

#include <cstddef>
#include <memory>
#include <vector>

namespace pictorn::capture {

class FrameRecycler {
public:
    // Frames above `maxBytes` are let go rather than kept.
    explicit FrameRecycler(std::size_t maxBytes);

    // The picture to share; its pixels come back here when its last holder lets it go, on
    // whichever thread that is, even after this recycler is gone.
    std::shared_ptr<const imaging::Picture> share(imaging::Picture picture);

    // The kept memory (empty when there is none), taken out.
    std::vector<std::uint32_t> take();

private:
    struct Spare;
    std::shared_ptr<Spare> spare_;
};

} // namespace pictorn::capture
