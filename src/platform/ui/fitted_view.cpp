#include "platform/ui/fitted_view.h"

#include "imaging/parallel_bands.h"
#include "platform/ui/fitted_picture.h"

#include <algorithm>
#include <cstddef>
#include <utility>

namespace pictorn::ui {

namespace {
// Shown rows a band of a paint: about a megabyte of a 4K picture's shown pixels, enough to
// share among the cores, few enough calls to paint them.
constexpr int kPaintBandRows = 64;
} // namespace

// The whole picture at `size`, kept or to be worked out.
void FittedView::showWhole(const CanvasView& canvas, Size size, Size client) {
    if (fitted_.width == size.width && fitted_.height == size.height && fittedWhole_) {
        return;
    }
    // What was kept for the picture shown before a crop serves its undo.
    const std::uint64_t state = canvas.state();
    auto shows = [&](const imaging::Picture& shown, std::uint64_t of) {
        return state != 0 && of == state && shown.width == size.width &&
               shown.height == size.height;
    };
    if (!shows(fitted_, fittedState_) && shows(other_, otherState_)) {
        std::swap(fitted_, other_);
        std::swap(fittedState_, otherState_);
        pending_ = {};
    }
    if (!shows(fitted_, fittedState_)) {
        fitted_ = shownMemory(size, client, std::move(fitted_.pixels));
        pending_ = {Area{0, 0, size.width, size.height}, {}, 0, {}, 0};
        fittedState_ = state;
    }
    fittedWhole_ = true;
}

void FittedView::paint(const CanvasView& canvas, Size size, Size client, int top, int bottom,
                       const PaintRows& paintRows) {
    showWhole(canvas, size, client);
    const Pending work = pending_;
    if (!work.any() || work.part.bottom <= top || work.part.top >= bottom) {
        paintRows(fitted_, top, bottom);
        return;
    }
    if (top < work.part.top) {
        paintRows(fitted_, top, work.part.top);
    }
    const int rows = work.part.bottom - work.part.top;
    auto band = [&](std::size_t i) {
        Pending part = work;
        part.part.top = work.part.top + static_cast<int>(i) * kPaintBandRows;
        part.part.bottom = std::min(work.part.bottom, part.part.top + kPaintBandRows);
        return part;
    };
    imaging::forEachBandInOrder(
        static_cast<std::size_t>((rows + kPaintBandRows - 1) / kPaintBandRows),
        [&]() -> imaging::BandWork {
            return [&](std::size_t i) {
                fitKnown(canvas, fitted_, band(i));
            };
        },
        [&](std::size_t first, std::size_t last) {
            const int from = std::max(top, band(first).part.top);
            const int to = std::min(bottom, band(last - 1).part.bottom);
            if (from < to) {
                paintRows(fitted_, from, to);
            }
        });
    pending_ = {};
    if (work.part.bottom < bottom) {
        paintRows(fitted_, work.part.bottom, bottom);
    }
}

const imaging::Picture& FittedView::shown(const CanvasView& canvas, Size size, Size client) {
    paint(canvas, size, client, 0, size.height, [](const imaging::Picture&, int, int) {});
    return fitted_;
}

void FittedView::fitPending(const CanvasView& canvas) {
    if (pending_.any()) {
        fitKnown(canvas, fitted_, pending_);
        pending_ = {};
    }
}

FittedView::Pending FittedView::known(const CanvasView& canvas, const Area& part) {
    return {part, canvas.solid(), canvas.solidColour(), canvas.bands(), canvas.bandRows()};
}

// The shown pixels of the changed parts, worked out now while the rest stays as it was.
void FittedView::changed(const CanvasView& canvas, Size size, Size client) {
    if (!fittedWhole_ || !canvas.picture() || fitted_.width != size.width ||
        fitted_.height != size.height) {
        fittedWhole_ = false;
        pending_ = {};
        return;
    }
    const std::uint64_t state = canvas.state();
    if (state != 0 && state == fittedState_) {
        return;
    }
    // From the picture as it is now: the parts of this change are worked out after it.
    fitPending(canvas);
    if (refitWhole(canvas, client)) {
        return;
    }
    for (const Area& a : canvas.repainted()) {
        fitKnown(canvas, fitted_, known(canvas, shownPart(canvas, a)));
    }
    fittedState_ = state;
}

void FittedView::prepareMemory(Size client) {
    if (needsMemory()) {
        making_ = imaging::inBackground([room = room({fitted_.width, fitted_.height}, client)] {
            return std::vector<std::uint32_t>(room); // written once now: touched, not just mapped
        });
    }
}

// What prepareMemory() started, for the change that needs it now: waiting for what is left of
// it costs less than making memory anew.
void FittedView::takeMemory() {
    if (!making_.valid()) {
        return;
    }
    std::vector<std::uint32_t> memory = making_.get();
    if (other_.pixels.capacity() == 0) {
        other_ = imaging::Picture::reusing(fitted_.width, fitted_.height, std::move(memory));
        otherState_ = 0;
    }
}

void FittedView::forget() {
    fittedWhole_ = false;
    fittedState_ = 0;
    pending_ = {};
}

// What was shown is kept under its state for when that picture is back.
void FittedView::anotherPicture() {
    takeMemory();
    fittedWhole_ = false;
    std::swap(fitted_, other_);
    std::swap(fittedState_, otherState_);
    if (pending_.any()) {
        otherState_ = 0; // never worked out whole
        pending_ = {};
    }
}

CanvasView::Area FittedView::shownPart(const CanvasView& canvas, const Area& a) const {
    const auto& picture = *canvas.picture();
    Area part;
    shownSpan(picture.width, fitted_.width, a.left, a.right, part.left, part.right);
    shownSpan(picture.height, fitted_.height, a.top, a.bottom, part.top, part.bottom);
    return part;
}

// The shown pixels of `p.part` worked out anew, using what the change says of its pixels.
void FittedView::fitKnown(const CanvasView& canvas, imaging::Picture& shown, const Pending& p) {
    const imaging::Picture& picture = *canvas.picture();
    const Area& part = p.part;
    const Area& b = p.bands;
    if (p.bandRows > 0 && b.right > b.left && b.bottom > b.top) {
        fitPart(picture, shown, part.left, part.top, part.right, part.bottom,
                RepeatedRows{b.left, b.top, b.right, b.bottom, p.bandRows});
        return;
    }
    const Area& s = p.solid;
    fitPart(picture, shown, part.left, part.top, part.right, part.bottom,
            SolidPart{s.left, s.top, s.right, s.bottom, p.colour});
}

// A change of most of the picture is shown from memory of its own, keeping what was shown
// before it: undone (the state before it again) that is shown back at once.
bool FittedView::refitWhole(const CanvasView& canvas, Size client) {
    const std::uint64_t state = canvas.state();
    if (state == 0) {
        return false;
    }
    if (state == otherState_ && other_.width == fitted_.width && other_.height == fitted_.height) {
        std::swap(fitted_, other_);
        std::swap(fittedState_, otherState_);
        return true;
    }
    const auto& picture = *canvas.picture();
    long long changed = 0;
    Area box{fitted_.width, fitted_.height, 0, 0};
    for (const Area& a : canvas.repainted()) {
        changed +=
            static_cast<long long>(std::max(0, a.right - a.left)) * std::max(0, a.bottom - a.top);
        const Area part = shownPart(canvas, a);
        box = {std::min(box.left, part.left), std::min(box.top, part.top),
               std::max(box.right, part.right), std::max(box.bottom, part.bottom)};
    }
    if (changed * 2 < static_cast<long long>(picture.width) * picture.height) {
        return false;
    }
    takeMemory();
    // Outside the changed box the shown pixels are as they were.
    other_ = shownMemory({fitted_.width, fitted_.height}, client, std::move(other_.pixels));
    auto keep = [&](int left, int top, int right, int bottom) {
        for (int y = top; y < bottom; ++y) {
            std::copy(fitted_.row(y) + left, fitted_.row(y) + right, other_.row(y) + left);
        }
    };
    keep(0, 0, other_.width, box.top);
    keep(0, box.top, box.left, box.bottom);
    keep(box.right, box.top, other_.width, box.bottom);
    keep(0, box.bottom, other_.width, other_.height);
    std::swap(fitted_, other_);
    pending_ = known(canvas, box);
    otherState_ = fittedState_;
    fittedState_ = state;
    return true;
}

// With room for any shown picture the window can hold: a crop whose picture is shown a little
// larger than the one before touches no fresh memory in its paint (under Wine 16-26 ms for a
// 4K picture's shown pixels).
imaging::Picture FittedView::shownMemory(Size size, Size client,
                                         std::vector<std::uint32_t> storage) {
    if (const std::size_t needed = room(size, client); storage.capacity() < needed) {
        storage = std::vector<std::uint32_t>(needed);
    }
    return imaging::Picture::reusing(size.width, size.height, std::move(storage));
}

std::size_t FittedView::room(Size size, Size client) {
    const auto area = [](int w, int h) {
        return static_cast<std::size_t>(std::max(0, w)) * static_cast<std::size_t>(std::max(0, h));
    };
    return std::max(area(size.width, size.height), area(client.width, client.height));
}

} // namespace pictorn::ui
