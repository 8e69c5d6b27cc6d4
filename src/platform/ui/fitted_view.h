#pragma once
// A canvas's picture as shown scaled down to fit, kept between paints: worked out whole when
// the picture or the size shown at changes, in the changed parts otherwise. What was shown
// before a change of most of the picture, or before another picture, is kept too, named by
// the canvas's state(), and shown again when that state comes back (an undo, a crop's undo)
// without working anything out.
#include "imaging/picture.h"
#include "platform/ui/canvas_view.h"

#include <cstdint>
#include <functional>
#include <future>
#include <vector>

namespace pictorn::ui {

class FittedView {
public:
    struct Size {
        int width = 0, height = 0;
    };

    // Paints shown rows [top, bottom) of the canvas's picture shown at `size` (at most the
    // picture's) in a client area of `client`: paintRows(shown, from, to) paints rows
    // [from, to) of `shown` 1:1. What is still to be worked out of them is worked out on
    // every core band by band, and each band painted as soon as it is there, while the other
    // cores work on the next: the paint of a 4K picture's shown pixels (4-6 ms under Wine)
    // then overlaps working them out instead of following it.
    using PaintRows = std::function<void(const imaging::Picture& shown, int from, int to)>;
    void paint(const CanvasView& canvas, Size size, Size client, int top, int bottom,
               const PaintRows& paintRows);
    // The canvas's picture as shown at `size`, all of it worked out.
    const imaging::Picture& shown(const CanvasView& canvas, Size size, Size client);
    // The canvas's repainted() parts changed (its Property::Content), the picture shown at
    // `size`: the shown pixels of small parts are worked out now, those of most of the
    // picture in the paint that shows them.
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
    // Shown pixels of fitted_ still to be worked out, with what the change said of the
    // picture's pixels under them.
    struct Pending {
        Area part; // none when empty
        Area solid;
        std::uint32_t colour = 0;
        Area bands;
        int bandRows = 0;
        bool any() const { return part.right > part.left && part.bottom > part.top; }
    };
    static Pending known(const CanvasView& canvas, const Area& part);
    void showWhole(const CanvasView& canvas, Size size, Size client);
    void fitPending(const CanvasView& canvas);
    Area shownPart(const CanvasView& canvas, const Area& a) const;
    static void fitKnown(const CanvasView& canvas, imaging::Picture& shown, const Pending& part);
    bool refitWhole(const CanvasView& canvas, Size client);
    static imaging::Picture shownMemory(Size size, Size client, std::vector<std::uint32_t> storage);
    static std::size_t room(Size size, Size client);
    void takeMemory();

    imaging::Picture fitted_;
    bool fittedWhole_ = false;
    Pending pending_;
    // The picture's state() each shows (0: not known); the other one is what was shown
    // before the last change of most of the picture or the last new picture, which its
    // undo shows again.
    std::uint64_t fittedState_ = 0, otherState_ = 0;
    imaging::Picture other_;
    std::future<std::vector<std::uint32_t>> making_; // what prepareMemory() started
};

} // namespace pictorn::ui
