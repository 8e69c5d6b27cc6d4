#include "markup/markup_editor.h"

#include "app/colour.h"

#include <algorithm>
#include <array>

namespace pictorn::markup {

namespace {

constexpr std::array<app::Colour, 6> kColours{app::kBlue,    app::kCyan, app::kGreen,
                                              app::kMagenta, app::kRed,  app::kYellow};

int scaled(int pixelsAt96, int dpi) {
    return std::max(1, (pixelsAt96 * dpi + 48) / 96);
}

// The four strips an outline `w` wide along the inside of `area` covers.
std::vector<Rect> frameStrips(const Rect& area, int w) {
    return {{area.left, area.top, area.right, area.top + w},
            {area.left, area.bottom - w, area.right, area.bottom},
            {area.left, area.top, area.left + w, area.bottom},
            {area.right - w, area.top, area.right, area.bottom}};
}

} // namespace

Editor::Editor(std::shared_ptr<const imaging::Picture> captured, platform::TextRasterizer& text,
               int dpi)
    : document_(std::move(captured)), text_(text) {
    setDpi(dpi);
}

Repaint Editor::setDpi(int dpi) {
    lineWidth_ = scaled(2, dpi);
    textHeight_ = scaled(20, dpi);
    pixelBlock_ = std::max(kMinimumPixelBlock, scaled(kMinimumPixelBlock, dpi));
    if (typing_) {
        return showText(false);
    }
    return dragging_ ? showDrag(false) : Repaint{};
}

std::uint32_t Editor::colour() const {
    return kColours[static_cast<std::size_t>(colour_)].rgb();
}

Repaint Editor::setTool(Tool tool) {
    Repaint shown = unite(endText(), cancelDrag());
    tool_ = tool;
    return shown;
}

Repaint Editor::setColour(int index) {
    if (index < 0 || index >= static_cast<int>(kColours.size())) {
        return {};
    }
    colour_ = index;
    return typing_ ? showText(false) : Repaint{};
}

Repaint Editor::mouseDown(int x, int y) {
    Repaint shown = endText();
    if (tool_ == Tool::Text) {
        typing_ = true;
        textX_ = x;
        textY_ = y;
        typed_.clear();
        return unite(shown, showText(false));
    }
    dragging_ = true;
    x0_ = x1_ = x;
    y0_ = y1_ = y;
    return shown;
}

Repaint Editor::mouseMove(int x, int y) {
    if (!dragging_ || (x == x1_ && y == y1_)) {
        return {};
    }
    x1_ = x;
    y1_ = y;
    return showDrag(false);
}

Repaint Editor::mouseUp(int x, int y) {
    if (!dragging_) {
        return {};
    }
    x1_ = x;
    y1_ = y;
    dragging_ = false;
    if (x1_ == x0_ && y1_ == y0_) {
        return document_.endPreview(); // a click is no shape
    }
    return showDrag(true);
}

Repaint Editor::cancelDrag() {
    if (!dragging_) {
        return {};
    }
    dragging_ = false;
    return document_.endPreview();
}

Repaint Editor::showDrag(bool final) {
    const std::uint32_t c = colour();
    const int w = lineWidth_;
    if (tool_ == Tool::Arrow) {
        const Arrow arrow{x0_, y0_, x1_, y1_, w};
        auto draw = [arrow, c](imaging::Picture& p) {
            drawArrow(p, arrow, c);
        };
        return final ? document_.edit(arrowAreas(arrow), draw)
                     : document_.preview(arrowAreas(arrow), draw);
    }
    const Rect area = spanned(x0_, y0_, x1_, y1_);
    if (!final) {
        // While dragging, the area shows as a frame: cheap on any size, and the final
        // effect needs the whole area only once.
        const std::uint32_t frame = tool_ == Tool::BlackOut      ? kBlackOut
                                    : tool_ == Tool::Highlighter ? kHighlighter
                                                                 : c;
        return document_.preview(frameStrips(area, w), [area, w, frame](imaging::Picture& p) {
            outline(p, area, w, frame);
        });
    }
    switch (tool_) {
    case Tool::Rectangle:
        return document_.edit(frameStrips(area, w),
                              [area, w, c](imaging::Picture& p) { outline(p, area, w, c); });
    case Tool::Highlighter:
        return document_.redraw(area,
                                [area](const imaging::Picture& before, imaging::Picture& after) {
                                    highlight(before, after, area);
                                });
    case Tool::Pixelate: {
        const int block = pixelBlock_;
        const Rect blocks = pixelateArea(document_.picture(), area, block);
        Repaint shown = document_.redraw(
            blocks, [area, block](const imaging::Picture& before, imaging::Picture& after) {
                pixelate(before, after, area, block);
            });
        if (shown.any()) {
            shown.bands = blocks;
            shown.bandRows = std::max(block, kMinimumPixelBlock);
        }
        return shown;
    }
    case Tool::BlackOut: {
        Repaint shown =
            document_.redraw(area, [area](const imaging::Picture&, imaging::Picture& after) {
                fill(after, area, kBlackOut);
            });
        if (shown.any()) {
            shown.solid = intersect(area, bounds(document_.picture()));
            shown.solidColour = kBlackOut;
        }
        return shown;
    }
    case Tool::Crop:
        return document_.crop(area);
    default:
        return {};
    }
}

Repaint Editor::showText(bool final) {
    const platform::TextCoverage coverage = text_.draw(typed_, textHeight_);
    const int x = textX_, y = textY_;
    const std::uint32_t c = colour();
    const Rect area{x, y, x + coverage.width, y + coverage.height};
    if (final) {
        if (coverage.width == 0) {
            return document_.endPreview();
        }
        return document_.edit({area}, [x, y, coverage, c](imaging::Picture& p) {
            drawCoverage(p, x, y, coverage, c);
        });
    }
    // A caret after the text shows where typing goes on.
    const Rect caret{area.right, y, area.right + lineWidth_, y + textHeight_};
    return document_.preview({area, caret}, [x, y, coverage, c, caret](imaging::Picture& p) {
        drawCoverage(p, x, y, coverage, c);
        fill(p, caret, c);
    });
}

Repaint Editor::endText() {
    if (!typing_) {
        return {};
    }
    typing_ = false;
    return showText(true);
}

Repaint Editor::type(std::string_view utf8) {
    if (!typing_ || utf8.empty() ||
        std::any_of(utf8.begin(), utf8.end(), [](char c) { return c >= 0 && c < 0x20; })) {
        return {};
    }
    typed_ += utf8;
    return showText(false);
}

Repaint Editor::undo() {
    Repaint shown = endText();
    dragging_ = false;
    return unite(shown, document_.undo());
}

Repaint Editor::redo() {
    Repaint shown = endText();
    dragging_ = false;
    return unite(shown, document_.redo());
}

KeyOutcome Editor::keyDown(int keyCode, bool ctrl) {
    if (ctrl) {
        if (keyCode == 'Z') {
            return {true, undo(), Request::None};
        }
        if (keyCode == 'Y') {
            return {true, redo(), Request::None};
        }
        return {};
    }
    if (typing_) {
        switch (keyCode) {
        case kKeyEnter:
            return {true, endText(), Request::None};
        case kKeyEscape:
            typing_ = false;
            return {true, document_.endPreview(), Request::None};
        case kKeyBack:
            // One character: its lead byte and the continuation bytes after it.
            while (!typed_.empty() && (static_cast<unsigned char>(typed_.back()) & 0xC0) == 0x80) {
                typed_.pop_back();
            }
            if (!typed_.empty()) {
                typed_.pop_back();
            }
            return {true, showText(false), Request::None};
        default:
            return {}; // the character arrives by itself
        }
    }
    if (keyCode == kKeyEscape && dragging_) {
        return {true, cancelDrag(), Request::None};
    }
    if (keyCode == kKeyEnter) {
        return {true, {}, Request::Apply};
    }
    if (keyCode == kKeyEscape) {
        return {true, {}, Request::Close};
    }
    if (keyCode >= '1' && keyCode <= '6') {
        return {true, setColour(keyCode - '1'), Request::None};
    }
    static constexpr std::pair<int, Tool> kToolKeys[] = {
        {'R', Tool::Rectangle}, {'A', Tool::Arrow},    {'T', Tool::Text}, {'H', Tool::Highlighter},
        {'P', Tool::Pixelate},  {'B', Tool::BlackOut}, {'C', Tool::Crop}};
    for (const auto& [key, tool] : kToolKeys) {
        if (keyCode == key) {
            return {true, setTool(tool), Request::None};
        }
    }
    return {};
}

} // namespace pictorn::markup
