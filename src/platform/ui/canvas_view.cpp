#include "platform/ui/canvas_view.h"

namespace pictorn::ui {

void CanvasView::setFit(bool fit) {
    if (fit_ == fit) {
        return;
    }
    fit_ = fit;
    changed(Property::Range);
}

void CanvasView::repaint(std::vector<Area> areas, std::uint64_t state) {
    repainted_ = std::move(areas);
    state_ = state;
    changed(Property::Content);
}

} // namespace pictorn::ui
