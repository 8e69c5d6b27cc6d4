#include "markup/frm_markup.h"

#include "platform/message_box.h"
#include "platform/ui/overlay_form.h"
#include "platform/ui/ui_toolkit.h"

#include <algorithm>

namespace pictorn::markup {

namespace {

struct ToolInfo {
    Tool tool;
    const char* caption;
    const char* tip;
};
constexpr std::array<ToolInfo, 7> kTools{{
    {Tool::Rectangle, "Rectangle", "Rectangle outline (R)"},
    {Tool::Arrow, "Arrow", "Arrow (A)"},
    {Tool::Text, "Text", "Text: click, type, Enter ends it (T)"},
    {Tool::Highlighter, "Highlight", "Highlighter (H)"},
    {Tool::Pixelate, "Pixelate", "Pixelate (P)"},
    {Tool::BlackOut, "Black Out", "Black out (B)"},
    {Tool::Crop, "Crop", "Crop (C)"},
}};
constexpr std::array<app::Colour, 6> kSwatches{app::kBlue,    app::kCyan, app::kGreen,
                                               app::kMagenta, app::kRed,  app::kYellow};

// Memory for the next large step is made once a change has been shown.
constexpr int kMemoryAfterChangeMs = 50;
constexpr int kMemoryAfterOpenMs = 100;

ui::CanvasView::Area areaOf(const Rect& r) {
    return {r.left, r.top, r.right, r.bottom};
}

} // namespace

FrmMarkup::FrmMarkup(platform::Services& services, std::shared_ptr<const imaging::Picture> picture,
                     app::Colour colour, Applied applied)
    : ui::Form(services.ui, kMarkupFormName), services_(services), captured_(std::move(picture)),
      startColour_(colour), applied_(std::move(applied)) {
    // First: the first change of the form's own properties loads it.
    Load = [this] {
        Form_Load();
    };
    setCaption("Mark Up Image");
    setStyle({.templateId = 0, .sizable = true, .showInTaskbar = false, .minMaxBoxes = true});
    for (std::size_t i = 0; i < kTools.size(); ++i) {
        toolButtons[i].setCaption(kTools[i].caption);
        toolButtons[i].setToolTip(kTools[i].tip);
        toolButtons[i].Click = [this, i] {
            showChange(editor_->setTool(kTools[i].tool));
            showTools();
            refocus();
        };
    }
    for (std::size_t i = 0; i < kSwatches.size(); ++i) {
        colourSwatches[i].setBackColor(kSwatches[i].value);
        colourSwatches[i].setToolTip("Colour (" + std::to_string(i + 1) + ")");
        colourSwatches[i].Click = [this, i] {
            showChange(editor_->setColour(static_cast<int>(i)));
            showTools();
            refocus();
        };
    }
    cmdUndo.setCaption("Undo");
    cmdUndo.setToolTip("Undo (Ctrl+Z)");
    cmdUndo.Click = [this] {
        showChange(editor_->undo());
        refocus();
    };
    cmdRedo.setCaption("Redo");
    cmdRedo.setToolTip("Redo (Ctrl+Y)");
    cmdRedo.Click = [this] {
        showChange(editor_->redo());
        refocus();
    };
    cmdFit.setCaption("Fit");
    cmdFit.setToolTip("Fit in the window (Ctrl+0)");
    cmdFit.Click = [this] {
        canvas.setFit(true);
        refocus();
    };
    cmdActualSize.setCaption("1:1");
    cmdActualSize.setToolTip("Actual size (Ctrl+1)");
    cmdActualSize.Click = [this] {
        canvas.setFit(false);
        refocus();
    };
    cmdApply.setCaption("Apply");
    cmdApply.setToolTip("Apply the changes and close (Enter)");
    cmdApply.Click = [this] {
        apply();
    };
    cmdCancel.setCaption("Cancel");
    cmdCancel.setToolTip("Close without changing the picture (Esc)");
    cmdCancel.Click = [this] {
        closeAsked();
    };

    canvas.MouseDown = [this](int button, int, int x, int y) {
        if (button == ui::OverlayForm::kLeftButton) {
            showChange(editor_->mouseDown(x, y));
        }
    };
    canvas.MouseMove = [this](int, int, int x, int y) {
        showChange(editor_->mouseMove(x, y));
    };
    canvas.MouseUp = [this](int, int, int x, int y) {
        // The frame goes first: the canvas then has shown the picture as it was before the
        // step, which is what an undo brings back.
        if (editor_->dragging()) {
            showChange(editor_->document().endPreview());
        }
        showChange(editor_->mouseUp(x, y));
    };
    canvas.DragCancelled = [this] {
        showChange(editor_->cancelDrag());
    };
    canvas.KeyDown = [this](int key, int shift) {
        canvas_KeyDown(key, shift);
    };
    canvas.KeyPress = [this](std::string typed) {
        showChange(editor_->type(typed));
    };

    tmrMemory.Tick = [this] {
        tmrMemory.setEnabled(false);
        if (editor_) {
            editor_->document().prepareMemory();
        }
    };
    Resize = [this] {
        Form_Resize();
    };
    // The tool bar is laid out in twips, which the platform turns into the new pixels.
    DpiChanged = [this] {
        if (editor_) {
            showChange(editor_->setDpi(dpi()));
        }
    };
    Activate = [this] {
        refocus();
    };
    QueryUnload = [this](bool& cancel) {
        Form_QueryUnload(cancel);
    };
    // About two thirds of a 1920-pixel screen; the canvas scrolls or fits the rest.
    move(0, 0, 14400, 10800);
}

void FrmMarkup::Form_Load() {
    editor_.emplace(captured_, services_.text, dpi() ? dpi() : services_.ui.screen().dpi);
    for (std::size_t i = 0; i < kSwatches.size(); ++i) {
        if (kSwatches[i] == startColour_) {
            editor_->setColour(static_cast<int>(i));
        }
    }
    canvas.setPicture(editor_->document().shared());
    canvas.repaint({}, editor_->document().state());
    showTools();
    Form_Resize();
    // Once the window is painted, on other threads: made while it opened, the copy took the
    // core that Wine and the X server need to show the window.
    tmrMemory.setInterval(kMemoryAfterOpenMs);
    tmrMemory.setEnabled(true);
}

void FrmMarkup::Form_Resize() {
    const ui::Geometry& g = lastGeometry();
    const int tpp = services_.ui.screen().twipsPerPixel();
    const int gap = 4 * tpp, height = 24 * tpp, swatch = 18 * tpp;
    int left = gap;
    auto place = [&](ui::Control& control, int width) {
        control.setBounds({left, gap + (control.id() / 10 == 2 ? (height - swatch) / 2 : 0), width,
                           control.id() / 10 == 2 ? swatch : height});
        left += width + gap;
    };
    for (ui::Button& b : toolButtons) {
        place(b, 66 * tpp);
    }
    left += gap;
    for (ui::Label& l : colourSwatches) {
        place(l, swatch);
    }
    left += gap;
    for (ui::Button* b : {&cmdUndo, &cmdRedo, &cmdFit, &cmdActualSize}) {
        place(*b, 44 * tpp);
    }
    left += gap;
    place(cmdApply, 60 * tpp);
    place(cmdCancel, 60 * tpp);
    const int top = height + 2 * gap;
    canvas.setBounds({0, top, std::max(0, g.clientWidth), std::max(0, g.clientHeight - top)});
}

void FrmMarkup::canvas_KeyDown(int key, int shift) {
    const bool ctrl = (shift & ui::OverlayForm::kCtrlKey) != 0;
    if (ctrl && (key == '0' || key == '1')) {
        canvas.setFit(key == '0');
        return;
    }
    const KeyOutcome outcome = editor_->keyDown(key, ctrl);
    showChange(outcome.repaint);
    showTools();
    if (outcome.request == Request::Apply) {
        apply();
    } else if (outcome.request == Request::Close) {
        closeAsked();
    }
}

void FrmMarkup::showChange(const Repaint& repaint) {
    const Document& document = editor_->document();
    if (repaint.resized) {
        canvas.setPicture(document.shared());
        canvas.repaint({}, document.state());
    } else if (repaint.any()) {
        canvas.setSamePicture(document.shared());
        std::vector<ui::CanvasView::Area> areas;
        for (const Rect& area : repaint.areas) {
            areas.push_back(areaOf(area));
        }
        canvas.repaint(std::move(areas), document.state(), areaOf(repaint.solid),
                       repaint.solidColour, areaOf(repaint.bands), repaint.bandRows);
    }
    if (repaint.any()) {
        tmrMemory.setInterval(kMemoryAfterChangeMs);
        tmrMemory.setEnabled(true);
    }
    cmdUndo.setEnabled(editor_->document().canUndo());
    cmdRedo.setEnabled(editor_->document().canRedo());
}

void FrmMarkup::showTools() {
    for (std::size_t i = 0; i < kTools.size(); ++i) {
        toolButtons[i].setBold(kTools[i].tool == editor_->tool());
    }
    for (std::size_t i = 0; i < kSwatches.size(); ++i) {
        colourSwatches[i].setCaption(static_cast<int>(i) == editor_->colourIndex() ? "*" : "");
    }
}

void FrmMarkup::apply() {
    // What is still being typed or dragged is part of what the user sees: keep it.
    showChange(editor_->setTool(editor_->tool()));
    if (editor_->document().changed()) {
        applied_(editor_->document().shared());
    }
    closing_ = true;
    hide();
}

// Changes are dropped only when the user says so.
bool FrmMarkup::mayDiscard() {
    return !editor_ || !editor_->document().changed() ||
           services_.messageBox.show("Discard the changes to the picture?",
                                     platform::mb::kYesNo | platform::mb::kIconQuestion,
                                     "Mark Up Image") == platform::mb::kIdYes;
}

void FrmMarkup::closeAsked() {
    if (!mayDiscard()) {
        refocus();
        return;
    }
    closing_ = true;
    hide();
}

void FrmMarkup::Form_QueryUnload(bool& cancel) {
    cancel = !closing_ && !mayDiscard();
}

void FrmMarkup::refocus() {
    if (focus(canvas) && canvas.peer()) {
        canvas.peer()->takeFocus();
    }
}

} // namespace pictorn::markup
