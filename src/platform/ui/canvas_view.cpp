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
    repaint(std::move(areas), state, Area{}, 0, Area{}, 0);
}

void CanvasView::repaint(std::vector<Area> areas, std::uint64_t state, Area solid,
                         std::uint32_t colour, Area bands, int bandRows) {
    repainted_ = std::move(areas);
    state_ = state;
    solid_ = solid;
    solidColour_ = colour;
    bands_ = bands;
    bandRows_ = bandRows;
    changed(Property::Content);
}

} // namespace pictorn::ui
