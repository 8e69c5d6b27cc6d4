#pragma once
// The everyday controls of the program's windows.
#include "platform/ui/control.h"

#include <string>
#include <vector>

namespace pictorn::ui {

class Label : public Control {
public:
    using Control::Control;
    const std::string& caption() const { return caption_; }
    void setCaption(std::string caption);
    Event<> Click;
    void click() { fire(Click); }

private:
    std::string caption_;
};

// A push button. click() is the user's click: the button takes the focus first, and when
// the field being left refuses (its Validate cancels), the click does not happen.
class Button : public Control {
public:
    using Control::Control;
    const std::string& caption() const { return caption_; }
    void setCaption(std::string caption);
    bool canTakeFocus() const override { return enabled() && visible(); }
    void click();
    // A click caused by code (no focus change, no validation).
    void performClick() { fire(Click); }
    Event<> Click;

private:
    std::string caption_;
};

class CheckBox : public Control {
public:
    using Control::Control;
    const std::string& caption() const { return caption_; }
    void setCaption(std::string caption);
    int value() const { return value_; }
    // 0 unchecked, 1 checked, 2 greyed. A different value fires Click.
    void setValue(int value);
    bool checked() const { return value_ == 1; }
    bool canTakeFocus() const override { return enabled() && visible(); }
    // The user's click: focus, then toggle.
    void click();
    Event<> Click;

private:
    std::string caption_;
    int value_ = 0;
};

class TextBox : public Control {
public:
    using Control::Control;
    const std::string& text() const { return text_; }
    // Keeps at most maxLength() characters (code points); a different text fires Change.
    void setText(std::string text);
    std::size_t maxLength() const { return maxLength_; }
    void setMaxLength(std::size_t length); // 0: no limit
    bool canTakeFocus() const override { return enabled() && visible(); }
    // A locked box shows its text but the user cannot change it.
    bool locked() const { return locked_; }
    void setLocked(bool locked) { locked_ = locked; }
    // The character shown in place of each typed one (0: the text itself). Set before the
    // form is loaded.
    char passwordChar() const { return passwordChar_; }
    void setPasswordChar(char c) { passwordChar_ = c; }
    // Selection in characters.
    std::size_t selStart() const { return selStart_; }
    std::size_t selLength() const { return selLength_; }
    void setSelection(std::size_t start, std::size_t length);
    void selectAll();
    // A key typed by the user: KeyPress may change or cancel (0) it; then it replaces the
    // selection, as typing does.
    void typeKey(int keyAscii);
    Event<> Change;
    Event<int&> KeyPress;
    Event<int, int, float, float> MouseMove; // button, shift, x, y

private:
    std::string text_;
    std::size_t maxLength_ = 0;
    bool locked_ = false;
    char passwordChar_ = 0;
    std::size_t selStart_ = 0;
    std::size_t selLength_ = 0;
};

// A drop-down list (no free text) or a list box: items and the selected index (-1: none).
class ListControl : public Control {
public:
    using Control::Control;
    const std::vector<std::string>& items() const { return items_; }
    void addItem(std::string item);
    void removeItem(int index);
    void clear();
    int listIndex() const { return listIndex_; }
    // Selecting another index fires Click; an index outside the list raises error 380.
    void setListIndex(int index);
    std::string selectedText() const;
    bool canTakeFocus() const override { return enabled() && visible(); }
    // The user's pick: focus, then select.
    void pick(int index);
    // The peer's answer for the point (ItemHitTest); -1 without a real list.
    long itemFromPoint(int xPixels, int yPixels) const;
    Event<> Click;
    Event<int, int, float, float> MouseMove; // buttons held, shift, x, y (twips)

private:
    std::vector<std::string> items_;
    int listIndex_ = -1;
};

// What a list's real control answers when asked which entry lies at a point (in pixels of
// the list's client area): the entry's index, or, below the last entry, a value with a
// flag in its upper half. Peers of list boxes implement it.
class ItemHitTest {
public:
    virtual ~ItemHitTest() = default;
    virtual long itemFromPoint(int xPixels, int yPixels) const = 0;
};

using ComboBox = ListControl;
using ListBox = ListControl;

// A horizontal scroll bar with a value between min and max; a different value fires Change.
class ScrollBar : public Control {
public:
    using Control::Control;
    int value() const { return value_; }
    void setValue(int value); // outside the range raises error 380
    int min() const { return min_; }
    int max() const { return max_; }
    void setRange(int min, int max);
    int largeChange() const { return largeChange_; }
    void setLargeChange(int step) { largeChange_ = step; }
    bool canTakeFocus() const override { return enabled() && visible(); }
    Event<> Change;

private:
    int value_ = 0;
    int min_ = 0;
    int max_ = 32767;
    int largeChange_ = 1;
};

class ProgressBar : public Control {
public:
    using Control::Control;
    int value() const { return value_; }
    void setValue(int percent); // clamped to 0..100

private:
    int value_ = 0;
};

// Tabs with a current index. A user's switch asks the field being left to validate first.
class TabStrip : public Control {
public:
    using Control::Control;
    const std::vector<std::string>& tabs() const { return tabs_; }
    void setTabs(std::vector<std::string> captions);
    int currentTab() const { return current_; }
    void setCurrentTab(int index); // fires Click when it changes; out of range raises 380
    bool canTakeFocus() const override { return enabled() && visible(); }
    void userSelect(int index);
    Event<int> Click; // the previous tab

private:
    std::vector<std::string> tabs_;
    int current_ = 0;
};

} // namespace pictorn::ui
