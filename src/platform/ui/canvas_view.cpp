#include "platform/ui/canvas_view.h"

namespace pictorn::ui {

void CanvasView::setFit(bool fit) {
    if (fit_ == fit) {
        return;
    }
    fit_ = fit;
    changed(Property::Range);
}

void CanvasView::repaint(const Area& area) {
    repainted_ = area;
    changed(Property::Content);
}

} // namespace pictorn::ui
