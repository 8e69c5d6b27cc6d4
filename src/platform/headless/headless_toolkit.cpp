#include "platform/headless/headless_toolkit.h"

#include <algorithm>
#include <chrono>

namespace pictorn::headless {

// Keeps the geometry a real window would report: the inner area is the outer one less a
// plausible frame, so layout code sees consistent numbers.
class HeadlessFormPeer : public ui::FormPeer {
public:
    HeadlessFormPeer(HeadlessToolkit& toolkit, ui::Form& form) : toolkit_(toolkit), form_(form) {}

    // A real window reports a resize when it first appears, when its state changes and
    // when it is moved or sized; the layout code depends on that, so do the same.
    void update(const ui::Form&, ui::Property what) override {
        const bool resized = (what == ui::Property::Visible && form_.visible()) ||
                             what == ui::Property::Value || what == ui::Property::Geometry;
        if (resized) {
            readGeometry(form_);
            form_.userResized(form_.lastGeometry(), form_.windowState());
        }
    }
    void runModal(ui::Form& form, ui::Form*) override {
        toolkit_.modalLog.push_back(form.name());
        auto it = toolkit_.modalScripts_.find(form.name());
        if (it != toolkit_.modalScripts_.end() && it->second)
            it->second(form);
    }
    void destroy() override {}
    void readGeometry(ui::Form& form) override {
        ui::Geometry g = form.lastGeometry();
        g.clientWidth = g.width > kFrameWidth ? g.width - kFrameWidth : 0;
        g.clientHeight = g.height > kFrameHeight ? g.height - kFrameHeight : 0;
        form.setGeometryFromPeer(g);
    }

private:
    static constexpr int kFrameWidth = 120;  // two 4-pixel borders at 15 twips a pixel
    static constexpr int kFrameHeight = 810; // borders, caption and menu bar
    HeadlessToolkit& toolkit_;
    ui::Form& form_;
};

void HeadlessToolkit::doEvents() {
    ++eventsPumped;
    runPosted();
    if (onDoEvents)
        onDoEvents();
}

void HeadlessToolkit::waitEvents(int maxMilliseconds) {
    ++eventsPumped;
    if (onWait)
        onWait(maxMilliseconds);
    {
        std::unique_lock lock(postedMutex_);
        const int realMs = onWait ? std::min(maxMilliseconds, 1) : maxMilliseconds;
        postedArrived_.wait_for(lock, std::chrono::milliseconds(std::max(realMs, 0)),
                                [this] { return !posted_.empty(); });
    }
    runPosted();
}

void HeadlessToolkit::post(std::function<void()> task) {
    std::lock_guard lock(postedMutex_);
    posted_.push_back(std::move(task));
    postedArrived_.notify_all();
}

void HeadlessToolkit::runPosted() {
    std::deque<std::function<void()>> due;
    {
        std::lock_guard lock(postedMutex_);
        due.swap(posted_);
    }
    for (auto& task : due)
        if (task)
            task();
}

void HeadlessToolkit::attach(ui::Form& form) {
    auto peer = std::make_unique<HeadlessFormPeer>(*this, form);
    form.setPeer(peer.get());
    peers_.push_back(std::move(peer));
}

} // namespace pictorn::headless
