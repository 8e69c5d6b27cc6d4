#include "markup/markup_document.h"

#include <algorithm>
#include <utility>

namespace pictorn::markup {

Repaint unite(const Repaint& a, const Repaint& b) {
    return {unite(a.area, b.area), a.resized || b.resized};
}

Document::Document(const imaging::Picture& captured)
    : working_(std::make_shared<imaging::Picture>(captured)) {}

std::vector<Document::Saved> Document::save(const std::vector<Rect>& areas, Rect& covered) const {
    std::vector<Saved> saved;
    covered = {};
    for (const Rect& wanted : areas) {
        const Rect area = intersect(wanted, bounds(*working_));
        if (area.empty()) {
            continue;
        }
        Saved s{area, {}};
        s.pixels.reserve(static_cast<std::size_t>(area.width()) *
                         static_cast<std::size_t>(area.height()));
        for (int y = area.top; y < area.bottom; ++y) {
            s.pixels.insert(s.pixels.end(), working_->row(y) + area.left,
                            working_->row(y) + area.right);
        }
        covered = unite(covered, area);
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

Repaint Document::endPreview() {
    restore(previewSaved_);
    previewSaved_.clear();
    return {std::exchange(previewArea_, Rect{}), false};
}

Repaint Document::preview(const std::vector<Rect>& areas, Change change) {
    Repaint shown = endPreview();
    previewSaved_ = save(areas, previewArea_);
    change(*working_);
    return unite(shown, Repaint{previewArea_, false});
}

Repaint Document::edit(const std::vector<Rect>& areas, Change change) {
    Repaint shown = endPreview();
    Step step;
    Rect covered;
    step.before = save(areas, covered);
    if (covered.empty()) {
        return shown;
    }
    step.change = std::move(change);
    step.change(*working_);
    done_.push_back(std::move(step));
    undone_.clear();
    return unite(shown, Repaint{covered, false});
}

Repaint Document::crop(Rect area) {
    Repaint shown = endPreview();
    Step step;
    step.crop = intersect(area, bounds(*working_));
    if (step.crop.empty() || step.crop == bounds(*working_)) {
        return shown;
    }
    applyCrop(step);
    done_.push_back(std::move(step));
    undone_.clear();
    return {bounds(*working_), true};
}

Repaint Document::applyCrop(Step& step) {
    step.uncropped = working_;
    working_ = std::make_shared<imaging::Picture>(markup::crop(*step.uncropped, step.crop));
    return {bounds(*working_), true};
}

Repaint Document::undo() {
    Repaint shown = endPreview();
    if (done_.empty()) {
        return shown;
    }
    Step step = std::move(done_.back());
    done_.pop_back();
    if (step.uncropped) {
        working_ = std::move(step.uncropped);
        shown = {bounds(*working_), true};
    } else {
        restore(step.before);
        for (const Saved& s : step.before) {
            shown.area = unite(shown.area, s.area);
        }
    }
    undone_.push_back(std::move(step));
    return shown;
}

Repaint Document::redo() {
    Repaint shown = endPreview();
    if (undone_.empty()) {
        return shown;
    }
    Step step = std::move(undone_.back());
    undone_.pop_back();
    // The picture is as it was when the step was first made, so the pixels it saved then
    // are still the ones under it.
    if (!step.crop.empty()) {
        shown = applyCrop(step);
    } else {
        step.change(*working_);
        for (const Saved& s : step.before) {
            shown.area = unite(shown.area, s.area);
        }
    }
    done_.push_back(std::move(step));
    return shown;
}

} // namespace pictorn::markup
