#pragma once
// A menu entry: a command id, a caption, a check mark and an optional shortcut. A caption
// of "-" is a separator; an entry with children is a sub-menu.
#include "platform/ui/control.h"

#include <string>
#include <vector>

namespace pictorn::ui {

struct Shortcut {
    bool ctrl = false;
    bool shift = false;
    bool alt = false;
    int key = 0; // virtual-key code ('A'..'Z', 0x70 for F1); 0 means none

    bool empty() const { return key == 0; }
    std::string text() const; // "Ctrl+S", "F1"
    bool operator==(const Shortcut&) const = default;
};

inline constexpr int kKeyF1 = 0x70;

class MenuItem : public Control {
public:
    MenuItem(Form* owner, std::string name, int commandId, std::string caption,
             Shortcut shortcut = {});

    const std::string& caption() const { return caption_; }
    void setCaption(std::string caption);
    bool isSeparator() const { return caption_ == "-"; }
    bool checked() const { return checked_; }
    void setChecked(bool checked);
    const Shortcut& shortcut() const { return shortcut_; }

    const std::vector<MenuItem*>& children() const { return children_; }
    void add(MenuItem& child);
    MenuItem* parent() const { return parent_; }

    // The user's choice of the entry: nothing happens while it is disabled.
    void click();
    Event<> Click;

private:
    std::string caption_;
    bool checked_ = false;
    Shortcut shortcut_;
    std::vector<MenuItem*> children_;
    MenuItem* parent_ = nullptr;
};

} // namespace pictorn::ui
