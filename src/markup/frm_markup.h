#pragma once
// The "Mark Up Image" window: the current picture on a canvas that takes the keyboard, a
// tool bar with the tools, the six colours, undo and redo, the zoom and Apply / Cancel.
// Every input goes to the Editor; the window shows what it says changed. Applying hands
// the marked-up picture to whoever opened the window; nothing else leaves it.
#include "app/colour.h"
#include "imaging/picture.h"
#include "markup/markup_editor.h"
#include "platform/services.h"
#include "platform/ui/canvas_view.h"
#include "platform/ui/controls.h"
#include "platform/ui/form.h"
#include "platform/ui/timer.h"

#include <array>
#include <functional>
#include <memory>
#include <optional>

namespace pictorn::markup {

inline constexpr char kMarkupFormName[] = "frmMarkup";

class FrmMarkup : public ui::Form {
public:
    using Applied = std::function<void(std::shared_ptr<const imaging::Picture>)>;
    // `applied` gets the marked-up picture when the user applies changes.
    FrmMarkup(platform::Services& services, std::shared_ptr<const imaging::Picture> picture,
              app::Colour colour, Applied applied);

    ui::CanvasView canvas{this, "canvas", 10};
    std::array<ui::Button, 7> toolButtons{
        ui::Button{this, "cmdRectangle", 11}, ui::Button{this, "cmdArrow", 12},
        ui::Button{this, "cmdText", 13},      ui::Button{this, "cmdHighlight", 14},
        ui::Button{this, "cmdPixelate", 15},  ui::Button{this, "cmdBlackOut", 16},
        ui::Button{this, "cmdCrop", 17}};
    std::array<ui::Label, 6> colourSwatches{
        ui::Label{this, "picColour1", 21}, ui::Label{this, "picColour2", 22},
        ui::Label{this, "picColour3", 23}, ui::Label{this, "picColour4", 24},
        ui::Label{this, "picColour5", 25}, ui::Label{this, "picColour6", 26}};
    ui::Button cmdUndo{this, "cmdUndo", 31};
    ui::Button cmdRedo{this, "cmdRedo", 32};
    ui::Button cmdFit{this, "cmdFit", 33};
    ui::Button cmdActualSize{this, "cmdActualSize", 34};
    ui::Button cmdApply{this, "cmdApply", 35};
    ui::Button cmdCancel{this, "cmdCancel", 36};
    // Once the window is painted, its own copy of the picture; once it has shown a change,
    // memory for the next step: made while nobody waits.
    ui::Timer tmrMemory{this, "tmrMemory", 40};

    // Null until the window is loaded.
    Editor* editor() { return editor_ ? &*editor_ : nullptr; }

private:
    void Form_Load();
    void Form_Resize();
    void Form_QueryUnload(bool& cancel);
    void canvas_KeyDown(int key, int shift);
    void showChange(const Repaint& repaint);
    void showTools();
    void apply();
    void closeAsked();
    bool mayDiscard();
    void refocus();

    platform::Services& services_;
    std::shared_ptr<const imaging::Picture> captured_;
    app::Colour startColour_;
    Applied applied_;
    std::optional<Editor> editor_;
    bool closing_ = false; // the user agreed to the close, or applied
};

} // namespace pictorn::markup
