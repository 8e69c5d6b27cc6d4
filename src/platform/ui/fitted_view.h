#pragma once
// A canvas's picture as shown scaled down to fit, kept between paints: worked out whole when
// the picture or the size shown at changes, in the changed parts otherwise. What was shown
// before a change of most of the picture, or before another picture, is kept too, named by
// the canvas's state(), and shown again when that state comes back (an undo, a crop's undo)
// without working anything out.
#include "imaging/picture.h"
#include "platform/ui/canvas_view.h"

#include <cstdint>
#include <future>
#include <vector>

namespace pictorn::ui {

class FittedView {
public:
    struct Size {
        int width = 0, height = 0;
    };

    // What to paint 1:1: the canvas's picture shown at `size` (at most the picture's) in a
    // client area of `client`.
    const imaging::Picture& shown(const CanvasView& canvas, Size size, Size client);
    // The canvas's repainted() parts changed (its Property::Content), the picture shown at
    // `size`: their shown pixels are worked out now.
    void changed(const CanvasView& canvas, Size size, Size client);
    // Whether the memory that keeps what is shown beside a change of most of the picture is
    // still to be made; prepareMemory() starts making it on another thread (32 MB for a 4K
    // picture took 10-20 ms under Wine), which the first change of most of the picture or a
    // new picture waits for, if it is not done by then.
    bool needsMemory() const {
        return fittedWhole_ && other_.pixels.capacity() == 0 && !making_.valid();
    }
    void prepareMemory(Size client);
    // The size shown at changed (the canvas's Property::Range).
    void forget();
    // The canvas holds another picture (its Property::Value: a crop, or its undo).
    void anotherPicture();

private:
    using Area = CanvasView::Area;
    Area shownPart(const CanvasView& canvas, const Area& a) const;
    static void fitKnown(const CanvasView& canvas, imaging::Picture& shown, const Area& part);
    bool refitWhole(const CanvasView& canvas, Size client);
    static imaging::Picture shownMemory(Size size, Size client, std::vector<std::uint32_t> storage);
    static std::size_t room(Size size, Size client);
    void takeMemory();

    imaging::Picture fitted_;
    bool fittedWhole_ = false;
    // The picture's state() each shows (0: not known); the other one is what was shown
    // before the last change of most of the picture or the last new picture, which its
    // undo shows again.
    std::uint64_t fittedState_ = 0, otherState_ = 0;
    imaging::Picture other_;
    std::future<std::vector<std::uint32_t>> making_; // what prepareMemory() started
};

} // namespace pictorn::ui
