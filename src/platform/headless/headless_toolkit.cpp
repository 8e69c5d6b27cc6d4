#include "platform/headless/headless_toolkit.h"

namespace pictorn::headless {

// Keeps the geometry a real window would report: the inner area is the outer one less a
// plausible frame, so layout code sees consistent numbers.
class HeadlessFormPeer : public ui::FormPeer {
public:
    explicit HeadlessFormPeer(HeadlessToolkit& toolkit) : toolkit_(toolkit) {}

    void update(const ui::Form&, ui::Property) override {}
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
};

void HeadlessToolkit::attach(ui::Form& form) {
    auto peer = std::make_unique<HeadlessFormPeer>(*this);
    form.setPeer(peer.get());
    peers_.push_back(std::move(peer));
}

} // namespace pictorn::headless
