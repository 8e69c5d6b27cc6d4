#pragma once
// The picture being marked up, with every step undoable back to the captured picture. A
// step keeps only the pixels it covered and redoes itself by running again (a crop keeps the
// picture it replaced, and when taken back the one it made), so an edit of a 4K picture
// costs what it touches, not the picture.
#include "imaging/picture.h"
#include "markup/markup_ops.h"

#include <cstdint>
#include <functional>
#include <future>
#include <memory>
#include <vector>

namespace pictorn::markup {

// What has to be shown anew after a change: the parts that changed, each on its own, so a
// frame or a diagonal arrow across the picture repaints its strips, not its box.
struct Repaint {
    std::vector<Rect> areas;
    bool resized = false; // a new picture of another size: show it whole
    // A part now all of one colour (a black-out), which a view may fill instead of work out.
    Rect solid;
    std::uint32_t solidColour = 0;
    // A part whose rows repeat in bands of `bandRows` (a pixelate; the rest joins the last
    // band), which a view may read once a band.
    Rect bands;
    int bandRows = 0;
    bool any() const { return resized || !areas.empty(); }
    Rect bounds() const;
};
Repaint unite(Repaint a, const Repaint& b);
Repaint shownAnew(Rect area, bool resized = false);

// A change to the picture that writes only inside the areas it was declared with.
using Change = std::function<void(imaging::Picture&)>;
// A change that sets every pixel of its area anew, from the pixels of `before` (which may be
// `after` itself) and nothing else of `after`.
using Redraw = std::function<void(const imaging::Picture& before, imaging::Picture& after)>;

class Document {
public:
    // The captured picture is shared, never written: the first change (or what prepareMemory()
    // starts) makes the document's own copy, so opening costs no copy of a 4K picture.
    explicit Document(std::shared_ptr<const imaging::Picture> captured);

    const imaging::Picture& picture() const { return working_ ? *working_ : *captured_; }
    // The picture as it stands, shared with the view that shows it; it changes in place
    // until the first change copies it or a crop replaces it with another.
    std::shared_ptr<const imaging::Picture> shared() const {
        return working_ ? working_ : captured_;
    }

    // A step that changes the pixels inside `areas` (clipped to the picture).
    Repaint edit(const std::vector<Rect>& areas, Change change);
    // A step that redraws all of `area`. Over most of the picture it is drawn into other
    // memory from the picture before, which the step keeps whole: the step and its undo and
    // redo then cost one pass over the area instead of a copy and another pass.
    Repaint redraw(Rect area, Redraw redraw);
    Repaint crop(Rect area);

    // A change shown while the user still drags or types: it replaces the previous one and
    // is not a step. An edit or crop takes it back first.
    Repaint preview(const std::vector<Rect>& areas, Change change);
    Repaint endPreview();

    // Which pixels the picture holds: the same number, the same pixels (a step taken back
    // brings its number back), so a view may keep what it showed for one and show it again.
    std::uint64_t state() const { return state_; }

    bool canUndo() const { return !done_.empty(); }
    bool canRedo() const { return !undone_.empty(); }
    Repaint undo();
    Repaint redo();
    // Whether the picture differs from the captured one by any step.
    bool changed() const { return canUndo(); }

    // Starts making the document's own copy of the picture and memory ready for the next large
    // step (a whole-picture redraw, an undo copy or a crop) on other threads, so the user waits
    // for neither: on a 4K picture the copy and the first touch of fresh memory cost 20-60 ms
    // under Wine. The first change takes the copy, waiting for what is left of it; a large step
    // takes the memory. Steps taken back and then dropped leave theirs for it too.
    void prepareMemory();
    // Waits for what prepareMemory() is making and takes it.
    void finishPreparing();

private:
    struct Saved {
        Rect area;
        std::vector<std::uint32_t> pixels;
    };
    struct Step {
        std::vector<Saved> before;
        Change change;
        // For a whole-picture redraw: the picture's pixels in the state it is not in now.
        std::vector<std::uint32_t> other;
        std::shared_ptr<imaging::Picture> uncropped; // for a crop, while it is done
        std::shared_ptr<imaging::Picture> cropped;   // for a crop, while it is taken back
        std::uint64_t from = 0, to = 0;              // state() before and after it
    };

    void own();
    void record(Step&& step);
    std::vector<Saved> save(const std::vector<Rect>& areas);
    std::vector<std::uint32_t> takeSpare(std::size_t needed);
    void recycle(std::vector<std::uint32_t>&& memory);
    void letGo(std::vector<std::uint32_t>&& memory);
    void dropRedo();
    std::vector<std::uint32_t> readyMemory(std::size_t size);
    void restore(const std::vector<Saved>& saved);
    static Repaint shown(const std::vector<Saved>& saved);

    std::shared_ptr<const imaging::Picture> captured_; // until the first change
    std::shared_ptr<imaging::Picture> working_;
    std::vector<Step> done_;
    std::vector<Step> undone_;
    std::vector<Saved> previewSaved_;
    std::uint64_t state_ = 1, lastState_ = 1;
    std::uint64_t previewFrom_ = 0; // state() before the preview shown, if any
    // Memory already touched: its capacity, and as many pixels as it holds to be written over.
    std::vector<std::uint32_t> spare_;
    // What prepareMemory() has under way (waited for when the document goes).
    std::future<std::shared_ptr<imaging::Picture>> copying_;
    std::future<std::vector<std::uint32_t>> sparing_;
    std::size_t sparingSize_ = 0;
    std::future<void> lettingGo_; // memory being given back, one block after another
};

} // namespace pictorn::markup
