#pragma once
// A picture the user draws on: it shows the picture at its own size with scroll bars or
// scaled down to fit, takes the keyboard focus, and reports the pointer in the picture's
// pixels and the keys as they come. Whoever draws changes the picture in place and says
// which part to show anew.
#include "platform/ui/picture_view.h"

#include <cstdint>
#include <string>
#include <vector>

namespace pictorn::ui {

class CanvasView : public PictureView {
public:
    using PictureView::PictureView;

    bool canTakeFocus() const override { return enabled() && visible(); }

    // The picture drawn on is now a copy of the one shown, with the same pixels.
    using PictureView::setSamePicture;

    // Scaled down to the control (never up) instead of 1:1; fires Property::Range.
    bool fit() const { return fit_; }
    void setFit(bool fit);

    // The picture's pixels in [left, right) x [top, bottom) changed: fires Property::Content.
    struct Area {
        int left = 0, top = 0, right = 0, bottom = 0;
        bool operator==(const Area&) const = default;
    };
    void repaint(const Area& area) { repaint(std::vector<Area>{area}); }
    // One change in several parts. `state`, unless 0, names the pixels the picture now holds:
    // told the same number again, the picture holds the same pixels again, so the view may
    // show what it kept for them. `solid`, unless empty, is a part now all `colour`; `bands`,
    // unless empty, a part whose rows repeat every `bandRows` (the rest joining the last).
    void repaint(std::vector<Area> areas, std::uint64_t state = 0);
    void repaint(std::vector<Area> areas, std::uint64_t state, Area solid, std::uint32_t colour,
                 Area bands, int bandRows);
    const std::vector<Area>& repainted() const { return repainted_; }
    std::uint64_t state() const { return state_; }
    const Area& solid() const { return solid_; }
    std::uint32_t solidColour() const { return solidColour_; }
    const Area& bands() const { return bands_; }
    int bandRows() const { return bandRows_; }

    // Positions in picture pixels, possibly outside it while a button is held.
    Event<int, int, int, int> MouseDown; // button, shift, x, y
    Event<int, int, int, int> MouseMove;
    Event<int, int, int, int> MouseUp;
    // A drag ended without its release: another window took the pointer (a window that
    // popped up, Alt+Tab). No MouseUp follows for that press.
    Event<> DragCancelled;
    Event<int, int> KeyDown;     // virtual-key code, shift state
    Event<std::string> KeyPress; // characters typed, UTF-8

private:
    bool fit_ = false;
    std::vector<Area> repainted_;
    std::uint64_t state_ = 0;
    Area solid_;
    std::uint32_t solidColour_ = 0;
    Area bands_;
    int bandRows_ = 0;
};

} // namespace pictorn::ui
