#pragma once
// A control that shows a picture at its own size, scrolling when the picture is larger
// than the control. The picture is shared, not copied: a screenshot is megabytes.
#include "imaging/picture.h"
#include "platform/ui/control.h"

#include <memory>

namespace pictorn::ui {

class PictureView : public Control {
public:
    using Control::Control;

    const std::shared_ptr<const imaging::Picture>& picture() const { return picture_; }
    // Another picture (or none) fires Property::Value, so the peer shows it.
    void setPicture(std::shared_ptr<const imaging::Picture> picture);

protected:
    // A picture with the very pixels of the one shown: nothing to show anew.
    void setSamePicture(std::shared_ptr<const imaging::Picture> same) {
        picture_ = std::move(same);
    }

private:
    std::shared_ptr<const imaging::Picture> picture_;
};

} // namespace pictorn::ui
