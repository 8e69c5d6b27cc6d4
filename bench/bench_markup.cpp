// Mark-up figures on a 4K screenshot-like picture: opening, the editor's own copy of the
// picture made after it, and every tool's edit from the press to the release, with undo and redo,
// as the window runs them, and the fitted view's shown picture worked out whole. Prints the median
// and the slowest of each with PASS/FAIL against the budget (150 ms to open, 16 ms per edit shown):
//   bench_markup [runs]
#include "bench_pictures.h"
#include "markup/markup_editor.h"
#include "platform/headless/fake_text_rasterizer.h"
#include "platform/ui/fitted_picture.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <optional>
#include <vector>

namespace {

using namespace pictorn;
using Clock = std::chrono::steady_clock;

struct Figure {
    double median = 0, worst = 0;
};

Figure timeRuns(int runs, const std::function<void()>& prepare, const std::function<void()>& f) {
    std::vector<double> ms;
    for (int i = 0; i < runs; ++i) {
        prepare();
        const auto start = Clock::now();
        f();
        ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    std::sort(ms.begin(), ms.end());
    return {ms[ms.size() / 2], ms.back()};
}

bool report(const char* what, const Figure& f, double budget) {
    const bool pass = f.median <= budget;
    std::printf("%-34s median %7.2f ms  slowest %7.2f ms  budget %5.0f ms  %s\n", what, f.median,
                f.worst, budget, pass ? "PASS" : "FAIL");
    return pass;
}

} // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 15;
    const int w = 3840, h = 2160;
    const auto shared = std::make_shared<const imaging::Picture>(bench::screenshotLike(w, h));
    const imaging::Picture& picture = *shared;
    headless::FakeTextRasterizer text;
    std::optional<markup::Editor> editor;
    auto open = [&] {
        editor.emplace(shared, text, 96);
    };
    bool pass = report("open (4K)",
                       timeRuns(
                           runs, [&] { editor.reset(); }, open),
                       150);
    // The window starts making the editor's own copy and the memory for a large step on
    // other threads as it opens: how long they take, and a first small edit made at once,
    // which waits for the copy.
    report("own copy and memory, other threads",
           timeRuns(runs, open,
                    [&] {
                        editor->document().prepareMemory();
                        editor->document().finishPreparing();
                    }),
           150);
    pass &= report("first edit, at once after opening",
                   timeRuns(
                       runs,
                       [&] {
                           open();
                           editor->document().prepareMemory();
                       },
                       [&] {
                           editor->setTool(markup::Tool::Rectangle);
                           editor->mouseDown(10, 10);
                           editor->mouseMove(300, 200);
                       }),
                   16);
    auto fresh = [&] {
        open();
        editor->document().prepareMemory();
        editor->document().finishPreparing();
    };

    // A drag across the whole picture, the largest area an edit can cover: the press, a
    // move (the frame shown while dragging) and the release (the edit itself).
    auto dragAll = [&](markup::Tool tool) {
        editor->setTool(tool);
        editor->mouseDown(0, 0);
        editor->mouseMove(w / 2, h / 2);
        // Both end pixels are inside the drag: a crop to w - 1 would keep the whole picture.
        const int end = tool == markup::Tool::Crop ? 2 : 1;
        editor->mouseUp(w - end, h - end);
    };
    const std::pair<const char*, markup::Tool> tools[] = {
        {"rectangle, whole picture", markup::Tool::Rectangle},
        {"arrow, corner to corner", markup::Tool::Arrow},
        {"highlighter, whole picture", markup::Tool::Highlighter},
        {"pixelate, whole picture", markup::Tool::Pixelate},
        {"black out, whole picture", markup::Tool::BlackOut},
        {"crop, all but one pixel", markup::Tool::Crop}};
    for (const auto& [name, tool] : tools) {
        pass &= report(name, timeRuns(runs, fresh, [&] { dragAll(tool); }), 16);
    }
    pass &= report("drag move, black-out frame",
                   timeRuns(
                       runs,
                       [&] {
                           fresh();
                           editor->setTool(markup::Tool::BlackOut);
                           editor->mouseDown(0, 0);
                       },
                       [&] { editor->mouseMove(w - 1, h - 1); }),
                   16);
    pass &= report("text, one more character",
                   timeRuns(
                       runs,
                       [&] {
                           fresh();
                           editor->setTool(markup::Tool::Text);
                           editor->mouseDown(100, 100);
                           editor->type("Password: hunter");
                       },
                       [&] { editor->type("2"); }),
                   16);
    pass &= report("undo, whole-picture black-out",
                   timeRuns(
                       runs,
                       [&] {
                           fresh();
                           dragAll(markup::Tool::BlackOut);
                       },
                       [&] { editor->undo(); }),
                   16);
    pass &= report("redo, whole-picture pixelate",
                   timeRuns(
                       runs,
                       [&] {
                           fresh();
                           dragAll(markup::Tool::Pixelate);
                           editor->undo();
                       },
                       [&] { editor->redo(); }),
                   16);
    // The fitted window works out the shown picture again under a whole-picture edit:
    // maximized on a 4K screen (nearly 1:1) and at half size.
    for (const auto& [sw, sh] : {std::pair{3832, 2104}, std::pair{1920, 1080}}) {
        imaging::Picture shown(sw, sh);
        char name[40];
        std::snprintf(name, sizeof name, "fitted view %dx%d, whole", sw, sh);
        pass &= report(name,
                       timeRuns(
                           runs, [] {}, [&] { ui::fitPart(picture, shown, 0, 0, sw, sh); }),
                       16);
    }
    return pass ? 0 : 1;
}
