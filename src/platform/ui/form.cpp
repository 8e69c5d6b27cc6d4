#include "platform/ui/form.h"

#include "platform/ui/menu_item.h"
#include "platform/ui/ui_toolkit.h"

#include <algorithm>
#include <functional>
#include <iterator>

namespace pictorn::ui {

Form::Form(UiToolkit& toolkit, std::string name) : toolkit_(toolkit), name_(std::move(name)) {}

Form::~Form() {
    if (peer_)
        peer_->destroy();
    // Controls may outlive nothing but their form; detach them so they do not call back.
    for (Control* c : controls_)
        c->owner_ = nullptr;
}

void Form::load() {
    if (loaded_)
        return;
    loaded_ = true;
    toolkit_.attach(*this);
    fire(Load);
}

bool Form::unload() {
    if (!loaded_)
        return true;
    bool cancel = false;
    fire<bool&>(QueryUnload, cancel);
    if (cancel)
        return false;
    fire(Unload);
    visible_ = false;
    loaded_ = false;
    modal_ = false;
    focused_ = nullptr;
    if (peer_) {
        FormPeer* peer = peer_;
        peer_ = nullptr;
        peer->destroy();
    }
    return true;
}

void Form::changed(Property what) {
    if (peer_)
        peer_->update(*this, what);
}

void Form::setCaption(std::string caption) {
    if (caption_ == caption)
        return;
    caption_ = std::move(caption);
    changed(Property::Text);
}

void Form::setVisible(bool visible) {
    load();
    if (visible_ == visible)
        return;
    visible_ = visible;
    changed(Property::Visible);
}

void Form::showModal(Form* owner) {
    load();
    modal_ = true;
    visible_ = true;
    if (peer_)
        peer_->runModal(*this, owner);
    modal_ = false;
}

void showModalAndUnload(Form& window, Form& owner, Form** openWindow) {
    struct OpenMark {
        Form** slot;
        ~OpenMark() {
            if (slot)
                *slot = nullptr;
        }
    } mark{openWindow};
    if (openWindow)
        *openWindow = &window;
    window.showModal(&owner);
    window.unload();
}

void Form::setWindowState(WindowState state) {
    load();
    if (state_ == state)
        return;
    state_ = state;
    changed(Property::Value);
}

void Form::setTopmost(bool on) {
    topmost_ = on;
    changed(Property::Checked);
}

void Form::setBusy(bool on) {
    busy_ = on;
    changed(Property::Busy);
}

Geometry Form::geometry() {
    if (peer_)
        peer_->readGeometry(*this);
    return geometry_;
}

void Form::move(int left, int top, int width, int height) {
    load();
    geometry_.left = left;
    geometry_.top = top;
    geometry_.width = width;
    geometry_.height = height;
    changed(Property::Geometry);
}

Control* Form::findControl(int id) const {
    auto it = std::find_if(controls_.begin(), controls_.end(),
                           [id](Control* c) { return c->id() == id && id != 0; });
    return it == controls_.end() ? nullptr : *it;
}

MenuItem* Form::findMenuItem(int commandId) const {
    std::function<MenuItem*(const std::vector<MenuItem*>&)> search =
        [&](const std::vector<MenuItem*>& items) -> MenuItem* {
        for (MenuItem* item : items) {
            if (item->id() == commandId && commandId != 0)
                return item;
            if (MenuItem* found = search(item->children()))
                return found;
        }
        return nullptr;
    };
    return search(menuBar_);
}

bool Form::focus(Control& target) {
    if (focused_ == &target)
        return true;
    if (focused_ && target.causesValidation()) {
        bool cancel = false;
        fire<bool&>(focused_->Validate, cancel);
        if (cancel) {
            if (focused_->peer())
                focused_->peer()->takeFocus();
            return false;
        }
    }
    Control* previous = focused_;
    focused_ = &target;
    if (previous)
        fire(previous->LostFocus);
    fire(target.GotFocus);
    return true;
}

void Form::userResized(const Geometry& g, WindowState state) {
    geometry_ = g;
    state_ = state;
    fire(Resize);
}

void Form::windowDpiChanged(int dpi) {
    if (dpi == dpi_) {
        return;
    }
    const bool reported = dpi_ != 0;
    dpi_ = dpi;
    if (reported) {
        fire(DpiChanged);
    }
}

void Form::delist(Control& control) {
    // A control is enlisted once, and members die in reverse order: searching from the end
    // finds it at once, where a whole scan per control made closing a window quadratic.
    const auto it = std::find(controls_.rbegin(), controls_.rend(), &control);
    if (it != controls_.rend())
        controls_.erase(std::next(it).base());
    if (focused_ == &control)
        focused_ = nullptr;
}

} // namespace pictorn::ui
