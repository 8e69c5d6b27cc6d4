#include "platform/ui/picture_view.h"

namespace pictorn::ui {

void PictureView::setPicture(std::shared_ptr<const imaging::Picture> picture) {
    if (picture_ == picture) {
        return;
    }
    picture_ = std::move(picture);
    changed(Property::Value);
}

} // namespace pictorn::ui
