#pragma once
// The mark-up tools as a state machine fed with the pointer (in picture pixels) and the
// keys, independent of any window: the window forwards its input here and shows what the
// answers say changed.
#include "markup/markup_document.h"
#include "platform/text_rasterizer.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace pictorn::markup {

enum class Tool { Rectangle, Arrow, Text, Highlighter, Pixelate, BlackOut, Crop };

// What the window is asked to do after a key.
enum class Request { None, Apply, Close };

struct KeyOutcome {
    bool handled = false;
    Repaint repaint;
    Request request = Request::None;
};

// Virtual-key codes the editor reacts to (the Windows values).
inline constexpr int kKeyBack = 8, kKeyEnter = 13, kKeyEscape = 27;

class Editor {
public:
    // `dpi` scales the line width and the text size from their 96-DPI sizes.
    Editor(std::shared_ptr<const imaging::Picture> captured, platform::TextRasterizer& text,
           int dpi);

    Document& document() { return document_; }
    const Document& document() const { return document_; }

    Tool tool() const { return tool_; }
    Repaint setTool(Tool tool);
    // One of the six outline colours, 0 to 5 (keys 1 to 6).
    int colourIndex() const { return colour_; }
    Repaint setColour(int index);
    std::uint32_t colour() const;
    // The window went to a monitor of another DPI: lines, text and blocks from now on (and
    // what is being dragged or typed) take their sizes for it.
    Repaint setDpi(int dpi);
    int lineWidth() const { return lineWidth_; }
    int textHeight() const { return textHeight_; }
    int pixelBlock() const { return pixelBlock_; }

    Repaint mouseDown(int x, int y);
    Repaint mouseMove(int x, int y);
    Repaint mouseUp(int x, int y);
    // The drag in progress ends without its shape (Esc, or the pointer went elsewhere).
    Repaint cancelDrag();
    // A key pressed (virtual-key code; letters and digits as their upper-case characters).
    KeyOutcome keyDown(int keyCode, bool ctrl);
    // Characters typed (UTF-8); they go into the text being typed, if any. Control
    // characters are keys, not text.
    Repaint type(std::string_view utf8);

    bool dragging() const { return dragging_; }
    bool typing() const { return typing_; }

    Repaint undo();
    Repaint redo();

private:
    Repaint showDrag(bool final);
    Repaint showText(bool final);
    Repaint endText();

    Document document_;
    platform::TextRasterizer& text_;
    Tool tool_ = Tool::Rectangle;
    int colour_ = 4; // red
    int lineWidth_ = 2;
    int textHeight_ = 20;
    int pixelBlock_ = kMinimumPixelBlock;
    bool dragging_ = false;
    int x0_ = 0, y0_ = 0, x1_ = 0, y1_ = 0;
    bool typing_ = false;
    int textX_ = 0, textY_ = 0;
    std::string typed_;
};

} // namespace pictorn::markup
