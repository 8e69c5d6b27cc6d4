#include "markup/markup_document.h"

#include "imaging/parallel_bands.h"
#include "imaging/streaming_rows.h"

#include <algorithm>
#include <chrono>
#include <utility>

namespace pictorn::markup {

Rect Repaint::bounds() const {
    Rect all;
    for (const Rect& r : areas) {
        all = unite(all, r);
    }
    return all;
}

Repaint shownAnew(Rect area, bool resized) {
    Repaint r;
    r.areas = {area};
    r.resized = resized;
    return r;
}

Repaint unite(Repaint a, const Repaint& b) {
    // A part of one colour stays so only while nothing else is said to change.
    if (a.areas.empty()) {
        a.solid = b.solid;
        a.solidColour = b.solidColour;
        a.bands = b.bands;
        a.bandRows = b.bandRows;
    } else if (!b.areas.empty()) {
        a.solid = {};
        a.bands = {};
    }
    a.areas.insert(a.areas.end(), b.areas.begin(), b.areas.end());
    a.resized = a.resized || b.resized;
    return a;
}

Document::Document(std::shared_ptr<const imaging::Picture> captured)
    : captured_(std::move(captured)) {}

void Document::own() {
    if (copying_.valid()) {
        std::shared_ptr<imaging::Picture> copy = copying_.get();
        if (!working_) {
            working_ = std::move(copy);
            captured_.reset();
        }
    }
    if (!working_) {
        working_ = std::make_shared<imaging::Picture>(*captured_);
        captured_.reset();
    }
}

// On threads of their own: the captured picture is only read, by them and by whoever shows
// it, until own() takes the copy.
void Document::prepareMemory() {
    if (!working_ && !copying_.valid()) {
        copying_ = imaging::inBackground(
            [from = captured_] { return std::make_shared<imaging::Picture>(*from); });
    }
    const std::size_t size = picture().pixels.size();
    if (spare_.size() < size && !sparing_.valid()) {
        sparingSize_ = size;
        sparing_ = imaging::inBackground([size] {
            return std::vector<std::uint32_t>(size); // written once now: touched, not just mapped
        });
    }
}

void Document::finishPreparing() {
    own();
    if (sparing_.valid()) {
        recycle(sparing_.get());
    }
}

// The spare memory when it fits and would not be mostly wasted; memory still being made
// for it is waited for only when it would be taken.
std::vector<std::uint32_t> Document::takeSpare(std::size_t needed) {
    auto fits = [needed](std::size_t capacity) {
        return needed <= capacity && needed >= capacity / 2;
    };
    if (sparing_.valid() && (fits(sparingSize_) || sparing_.wait_for(std::chrono::seconds(0)) ==
                                                       std::future_status::ready)) {
        recycle(sparing_.get());
    }
    if (!fits(spare_.capacity())) {
        return {};
    }
    return std::exchange(spare_, {});
}

void Document::recycle(std::vector<std::uint32_t>&& memory) {
    if (memory.capacity() > spare_.capacity()) {
        std::swap(spare_, memory);
    }
    letGo(std::move(memory));
}

// Giving a 4K picture's 32 MB back to the system took 3 ms under Wine, which the step that
// let it go would otherwise wait for: a large block goes on another thread.
void Document::letGo(std::vector<std::uint32_t>&& memory) {
    if (!imaging::worthStreaming(static_cast<long long>(memory.capacity()))) {
        return;
    }
    lettingGo_ = imaging::inBackground(
        [memory = std::move(memory), before = std::move(lettingGo_)]() mutable {
            if (before.valid()) {
                before.wait();
            }
            memory = {};
        });
}

// Memory for a new large step, which can no longer be redone what was undone: the memory
// made ready when it fits (what the dropped steps leave is then the spare for the next, not
// freed now and made again later), else theirs.
std::vector<std::uint32_t> Document::readyMemory(std::size_t size) {
    std::vector<std::uint32_t> memory = takeSpare(size);
    dropRedo();
    return memory.capacity() >= size ? std::move(memory) : takeSpare(size);
}

void Document::dropRedo() {
    for (Step& step : undone_) {
        for (Saved& s : step.before) {
            recycle(std::move(s.pixels));
        }
        recycle(std::move(step.other));
        // Nothing else shows the picture of a crop taken back (the view went back to the
        // uncropped one): its memory serves the next step.
        if (step.cropped && step.cropped.use_count() == 1) {
            recycle(std::move(step.cropped->pixels));
        }
    }
    undone_.clear();
}

std::vector<Document::Saved> Document::save(const std::vector<Rect>& areas) {
    std::vector<Saved> saved;
    for (const Rect& wanted : areas) {
        const Rect area = intersect(wanted, bounds(*working_));
        if (area.empty()) {
            continue;
        }
        const std::size_t size =
            static_cast<std::size_t>(area.width()) * static_cast<std::size_t>(area.height());
        Saved s{area, takeSpare(size)};
        s.pixels.clear();
        s.pixels.reserve(size);
        for (int y = area.top; y < area.bottom; ++y) {
            s.pixels.insert(s.pixels.end(), working_->row(y) + area.left,
                            working_->row(y) + area.right);
        }
        saved.push_back(std::move(s));
    }
    return saved;
}

void Document::restore(const std::vector<Saved>& saved) {
    // In reverse, so overlapping areas end as they were before the first was written.
    for (auto s = saved.rbegin(); s != saved.rend(); ++s) {
        const std::uint32_t* from = s->pixels.data();
        for (int y = s->area.top; y < s->area.bottom; ++y) {
            std::copy(from, from + s->area.width(), working_->row(y) + s->area.left);
            from += s->area.width();
        }
    }
}

Repaint Document::shown(const std::vector<Saved>& saved) {
    Repaint r;
    for (const Saved& s : saved) {
        r.areas.push_back(s.area);
    }
    return r;
}

Repaint Document::endPreview() {
    restore(previewSaved_);
    if (previewFrom_) {
        state_ = std::exchange(previewFrom_, 0);
    }
    return shown(std::exchange(previewSaved_, {}));
}

// The step is done: the picture holds new pixels.
void Document::record(Step&& step) {
    step.from = state_;
    state_ = step.to = ++lastState_;
    done_.push_back(std::move(step));
}

Repaint Document::preview(const std::vector<Rect>& areas, Change change) {
    own();
    Repaint before = endPreview();
    previewSaved_ = save(areas);
    change(*working_);
    previewFrom_ = state_;
    state_ = ++lastState_;
    return unite(std::move(before), shown(previewSaved_));
}

Repaint Document::edit(const std::vector<Rect>& areas, Change change) {
    own();
    Repaint before = endPreview();
    if (std::none_of(areas.begin(), areas.end(),
                     [&](const Rect& r) { return !intersect(r, bounds(*working_)).empty(); })) {
        return before;
    }
    // First, so the memory of steps that can no longer be redone serves this one.
    dropRedo();
    Step step;
    step.before = save(areas);
    step.change = std::move(change);
    step.change(*working_);
    Repaint now = unite(std::move(before), shown(step.before));
    record(std::move(step));
    return now;
}

Repaint Document::redraw(Rect area, Redraw redraw) {
    own();
    area = intersect(area, bounds(*working_));
    const std::size_t size = working_->pixels.size();
    if (area.empty() ||
        static_cast<std::size_t>(area.width()) * static_cast<std::size_t>(area.height()) * 2 <
            size) {
        return edit({area}, [redraw](imaging::Picture& p) { redraw(p, p); });
    }
    Repaint now = endPreview();
    std::vector<std::uint32_t> memory = readyMemory(size);
    imaging::Picture before;
    before.width = working_->width;
    before.height = working_->height;
    before.pixels = std::exchange(working_->pixels, std::move(memory));
    // Shrinking writes nothing; only memory never made ready is written twice.
    working_->pixels.resize(size);
    auto keep = [&](int left, int top, int right, int bottom) {
        for (int y = top; y < bottom; ++y) {
            std::copy(before.row(y) + left, before.row(y) + right, working_->row(y) + left);
        }
    };
    keep(0, 0, before.width, area.top);
    keep(0, area.top, area.left, area.bottom);
    keep(area.right, area.top, before.width, area.bottom);
    keep(0, area.bottom, before.width, before.height);
    redraw(before, *working_);
    Step step;
    step.before = {Saved{area, {}}};
    step.other = std::move(before.pixels);
    record(std::move(step));
    return unite(std::move(now), shownAnew(area));
}

Repaint Document::crop(Rect area) {
    own();
    Repaint before = endPreview();
    const Rect kept = intersect(area, bounds(*working_));
    if (kept.empty() || kept == bounds(*working_)) {
        return before;
    }
    const std::size_t size =
        static_cast<std::size_t>(kept.width()) * static_cast<std::size_t>(kept.height());
    std::vector<std::uint32_t> memory = readyMemory(size);
    Step step;
    step.uncropped = std::exchange(working_, std::make_shared<imaging::Picture>(
                                                 markup::crop(*working_, kept, std::move(memory))));
    record(std::move(step));
    return shownAnew(bounds(*working_), true);
}

Repaint Document::undo() {
    Repaint now = endPreview();
    if (done_.empty()) {
        return now;
    }
    Step step = std::move(done_.back());
    done_.pop_back();
    if (step.uncropped) {
        // Kept for the redo: a view letting it go would otherwise free it on its thread.
        step.cropped = std::exchange(working_, std::move(step.uncropped));
        now = shownAnew(bounds(*working_), true);
    } else if (!step.other.empty()) {
        std::swap(working_->pixels, step.other);
        now = unite(std::move(now), shown(step.before));
    } else {
        restore(step.before);
        now = unite(std::move(now), shown(step.before));
    }
    state_ = step.from;
    undone_.push_back(std::move(step));
    return now;
}

Repaint Document::redo() {
    Repaint now = endPreview();
    if (undone_.empty()) {
        return now;
    }
    Step step = std::move(undone_.back());
    undone_.pop_back();
    // The picture is as it was when the step was first made, so the pixels it saved then
    // are still the ones under it.
    if (step.cropped) {
        step.uncropped = std::exchange(working_, std::move(step.cropped));
        now = shownAnew(bounds(*working_), true);
    } else if (!step.other.empty()) {
        std::swap(working_->pixels, step.other);
        now = unite(std::move(now), shown(step.before));
    } else {
        step.change(*working_);
        now = unite(std::move(now), shown(step.before));
    }
    state_ = step.to;
    done_.push_back(std::move(step));
    return now;
}

} // namespace pictorn::markup
