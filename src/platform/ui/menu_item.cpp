#include "platform/ui/menu_item.h"

namespace pictorn::ui {

std::string Shortcut::text() const {
    if (key == 0)
        return {};
    std::string out;
    if (ctrl)
        out += "Ctrl+";
    if (alt)
        out += "Alt+";
    if (shift)
        out += "Shift+";
    if (key >= kKeyF1 && key < kKeyF1 + 24)
        out += "F" + std::to_string(key - kKeyF1 + 1);
    else
        out += static_cast<char>(key);
    return out;
}

MenuItem::MenuItem(Form* owner, std::string name, int commandId, std::string caption,
                   Shortcut shortcut)
    : Control(owner, std::move(name), commandId), caption_(std::move(caption)),
      shortcut_(shortcut) {}

void MenuItem::setCaption(std::string caption) {
    if (caption_ == caption)
        return;
    caption_ = std::move(caption);
    changed(Property::Text);
}

void MenuItem::setChecked(bool checked) {
    if (checked_ == checked)
        return;
    checked_ = checked;
    changed(Property::Checked);
}

void MenuItem::add(MenuItem& child) {
    child.parent_ = this;
    children_.push_back(&child);
    changed(Property::Children);
}

void MenuItem::click() {
    if (enabled() && !isSeparator())
        fire(Click);
}

} // namespace pictorn::ui
