#pragma once
// The real window of a CanvasView: a picture view that also scales the picture down to
// fit, repaints only the part said to have changed, and turns the pointer into picture
// pixels and the keys into the model's events.
#include "platform/ui/canvas_view.h"
#include "platform/ui/fitted_picture.h"
#include "platform/win32/picture_view_peer.h"

#include <cstdint>
#include <vector>

namespace pictorn::platform::win32 {

class CanvasViewPeer : public PictureViewPeer {
public:
    CanvasViewPeer(ui::CanvasView& model, HWND child, PeerHost& form);

protected:
    void updateOwn(ui::Property what) override;
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam) override;
    void paint(HDC dc, const RECT& area) override;
    SIZE pictureSize() const override;

private:
    void mouse(UINT message, LPARAM lParam);
    void refit();
    RECT shownPart(const ui::CanvasView::Area& a) const;
    void fitKnown(const imaging::Picture& picture, imaging::Picture& shown, const RECT& part) const;
    bool refitWhole(std::uint64_t state);
    imaging::Picture shownMemory(SIZE size, std::vector<std::uint32_t> storage) const;
    void cancelDrag();
    double scale() const;

    ui::CanvasView& canvas_;
    wchar_t highSurrogate_ = 0;
    // Fitted, the picture as shown: worked out whole when the picture or the size changes,
    // in the changed parts otherwise, and painted 1:1.
    imaging::Picture fitted_;
    bool fittedWhole_ = false;
    // The picture's state() each shows (0: not known); the other one is what was shown
    // before the last change of most of the picture or the last new picture, which its
    // undo shows again.
    std::uint64_t fittedState_ = 0, otherState_ = 0;
    imaging::Picture other_;
    bool pressed_ = false; // the left button went down here and has not come up
};

} // namespace pictorn::platform::win32
