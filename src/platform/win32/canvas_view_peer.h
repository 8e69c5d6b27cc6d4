#pragma once
// The real window of a CanvasView: a picture view that also scales the picture down to
// fit, repaints only the part said to have changed, and turns the pointer into picture
// pixels and the keys into the model's events.
#include "platform/ui/canvas_view.h"
#include "platform/ui/fitted_view.h"
#include "platform/win32/picture_view_peer.h"

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
    ui::FittedView::Size shownSize() const;
    ui::FittedView::Size clientSize() const;
    void cancelDrag();
    double scale() const;

    ui::CanvasView& canvas_;
    wchar_t highSurrogate_ = 0;
    ui::FittedView fitted_; // painted 1:1 when the picture is scaled down
    bool pressed_ = false;  // the left button went down here and has not come up
};

} // namespace pictorn::platform::win32
