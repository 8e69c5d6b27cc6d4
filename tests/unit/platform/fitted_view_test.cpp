#include "platform/ui/fitted_view.h"

#include "platform/ui/fitted_picture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

namespace pictorn::ui {
namespace {

using imaging::Picture;

// Told of each change as the window tells it, the view shows exactly what the whole picture
// fitted afresh shows: a change of most of the picture in one colour, its undo and redo (what
// was kept for the state it returns to, in the memory shown then), the picture shown again
// after a crop, and a change of no known state. (Parts worked out alone: the window's test.)
TEST(FittedView, ShowsWhatTheWholePictureFittedAfreshShows) {
    CanvasView canvas{nullptr, "canvas", 1};
    FittedView view;
    const FittedView::Size client{240, 180}, size{238, 180};
    auto picture = std::make_shared<Picture>(330, 250);
    std::uint32_t noise = 0;
    std::generate(picture->pixels.begin(), picture->pixels.end(),
                  [&] { return (noise += 2654435761u) & imaging::kRgbMask; });
    auto shows = [&](const Picture& of, const char* after, FittedView::Size at) {
        const Picture& shown = view.shown(canvas, at, client);
        Picture fresh(at.width, at.height);
        fitPart(of, fresh, 0, 0, at.width, at.height);
        EXPECT_TRUE(shown.pixels == fresh.pixels) << "after " << after;
        return shown.pixels.data();
    };
    auto repaint = [&](std::vector<CanvasView::Area> areas, std::uint64_t state,
                       CanvasView::Area solid = {}) {
        canvas.repaint(std::move(areas), state, solid, 0x123456u, {}, 0);
        view.changed(canvas, size, client);
    };
    canvas.setPicture(picture);
    view.anotherPicture();
    const std::uint32_t* const initial = shows(*picture, "the first paint", size);
    // The memory a change of most of the picture takes is made while nothing waits for it.
    EXPECT_TRUE(view.needsMemory());
    view.prepareMemory(client);
    EXPECT_FALSE(view.needsMemory());
    const std::vector<std::uint32_t> first = picture->pixels;
    repaint({}, 1);
    const CanvasView::Area most{20, 10, 330, 250};
    auto blackOut = [&] {
        for (int y = most.top; y < most.bottom; ++y) {
            std::fill(picture->row(y) + most.left, picture->row(y) + most.right, 0x123456u);
        }
        repaint({most}, 2, most);
    };
    blackOut();
    const std::uint32_t* const blackedOut = shows(*picture, "the black-out", size);
    picture->pixels = first;
    repaint({most}, 1);
    EXPECT_EQ(shows(*picture, "its undo", size), initial);
    blackOut();
    EXPECT_EQ(shows(*picture, "its redo", size), blackedOut);

    const auto cropped = std::make_shared<const Picture>(300, 240, 0x00FF00u);
    canvas.setPicture(cropped);
    view.anotherPicture();
    repaint({}, 3);
    shows(*cropped, "a crop", {225, 180});
    canvas.setPicture(picture);
    view.anotherPicture();
    repaint({}, 2);
    EXPECT_EQ(shows(*picture, "the crop's undo", size), blackedOut);

    // Told of a change with no state, the view works the change out.
    picture->pixels = first;
    repaint({most}, 0);
    shows(*picture, "a change of no known state", size);
}

} // namespace
} // namespace pictorn::ui
