#include "platform/ui/controls.h"

#include "platform/app_error.h"
#include "platform/ui/form.h"

#include <algorithm>

namespace pictorn::ui {
namespace {

constexpr std::int32_t kInvalidPropertyValue = 380;

[[noreturn]] void invalidValue() {
    throw AppError(kInvalidPropertyValue, "Invalid property value");
}

// The user's action on a control starts by giving it the focus, which may be refused.
bool takeFocusForUser(Control& control) {
    if (!control.enabled())
        return false;
    return control.owner() == nullptr || control.owner()->focus(control);
}

std::size_t countCodePoints(const std::string& s) {
    return static_cast<std::size_t>(
        std::count_if(s.begin(), s.end(), [](char c) { return (c & 0xC0) != 0x80; }));
}

// Byte offset of the code point with the given index (or the end).
std::size_t byteOffset(const std::string& s, std::size_t codePoint) {
    std::size_t seen = 0;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if ((s[i] & 0xC0) != 0x80) {
            if (seen == codePoint)
                return i;
            ++seen;
        }
    }
    return s.size();
}

} // namespace

void Label::setCaption(std::string caption) {
    if (caption_ == caption)
        return;
    caption_ = std::move(caption);
    changed(Property::Text);
}

void Button::setCaption(std::string caption) {
    if (caption_ == caption)
        return;
    caption_ = std::move(caption);
    changed(Property::Text);
}

void Button::click() {
    if (takeFocusForUser(*this))
        fire(Click);
}

void CheckBox::setCaption(std::string caption) {
    if (caption_ == caption)
        return;
    caption_ = std::move(caption);
    changed(Property::Text);
}

void CheckBox::setValue(int value) {
    if (value < 0 || value > 2)
        invalidValue();
    if (value_ == value)
        return;
    value_ = value;
    changed(Property::Value);
    fire(Click);
}

void CheckBox::click() {
    if (takeFocusForUser(*this))
        setValue(value_ == 1 ? 0 : 1);
}

void TextBox::setText(std::string text) {
    if (maxLength_ > 0 && countCodePoints(text) > maxLength_)
        text.resize(byteOffset(text, maxLength_));
    if (text_ == text)
        return;
    text_ = std::move(text);
    const std::size_t length = countCodePoints(text_);
    selStart_ = std::min(selStart_, length);
    selLength_ = std::min(selLength_, length - selStart_);
    changed(Property::Text);
    fire(Change);
}

void TextBox::setMaxLength(std::size_t length) {
    maxLength_ = length;
}

void TextBox::setSelection(std::size_t start, std::size_t length) {
    const std::size_t total = countCodePoints(text_);
    selStart_ = std::min(start, total);
    selLength_ = std::min(length, total - selStart_);
    changed(Property::Selection);
}

void TextBox::selectAll() {
    setSelection(0, countCodePoints(text_));
}

void TextBox::typeKey(int keyAscii) {
    fire<int&>(KeyPress, keyAscii);
    if (keyAscii == 0)
        return;
    const std::size_t from = byteOffset(text_, selStart_);
    const std::size_t to = byteOffset(text_, selStart_ + selLength_);
    std::string next = text_;
    std::size_t caret = selStart_;
    if (keyAscii == 8) { // backspace removes the selection or the character before the caret
        if (selLength_ == 0 && selStart_ > 0) {
            const std::size_t before = byteOffset(text_, selStart_ - 1);
            next.erase(before, from - before);
            caret = selStart_ - 1;
        } else {
            next.erase(from, to - from);
        }
    } else {
        if (maxLength_ > 0 && countCodePoints(text_) - selLength_ >= maxLength_)
            return; // full: typing is refused, as a limited edit field does
        next.replace(from, to - from, std::string(1, static_cast<char>(keyAscii)));
        caret = selStart_ + 1;
    }
    setText(std::move(next));
    setSelection(caret, 0);
}

void ListControl::addItem(std::string item) {
    items_.push_back(std::move(item));
    changed(Property::Items);
}

void ListControl::removeItem(int index) {
    if (index < 0 || index >= static_cast<int>(items_.size()))
        invalidValue();
    items_.erase(items_.begin() + index);
    if (listIndex_ >= static_cast<int>(items_.size()))
        listIndex_ = -1;
    changed(Property::Items);
}

void ListControl::clear() {
    items_.clear();
    listIndex_ = -1;
    changed(Property::Items);
}

void ListControl::setListIndex(int index) {
    if (index < -1 || index >= static_cast<int>(items_.size()))
        invalidValue();
    if (listIndex_ == index)
        return;
    listIndex_ = index;
    changed(Property::Selection);
    fire(Click);
}

std::string ListControl::selectedText() const {
    return listIndex_ >= 0 ? items_[static_cast<std::size_t>(listIndex_)] : std::string();
}

long ListControl::itemFromPoint(int xPixels, int yPixels) const {
    const auto* hitTest = dynamic_cast<const ItemHitTest*>(peer());
    return hitTest ? hitTest->itemFromPoint(xPixels, yPixels) : -1;
}

void ListControl::pick(int index) {
    if (takeFocusForUser(*this))
        setListIndex(index);
}

void ScrollBar::setValue(int value) {
    if (value < min_ || value > max_)
        invalidValue();
    if (value_ == value)
        return;
    value_ = value;
    changed(Property::Value);
    fire(Change);
}

void ScrollBar::setRange(int min, int max) {
    min_ = min;
    max_ = max;
    value_ = std::clamp(value_, min_, max_);
    changed(Property::Range);
}

void ProgressBar::setValue(int percent) {
    percent = std::clamp(percent, 0, 100);
    if (value_ == percent)
        return;
    value_ = percent;
    changed(Property::Value);
}

void TabStrip::setTabs(std::vector<std::string> captions) {
    tabs_ = std::move(captions);
    changed(Property::Items);
}

void TabStrip::setCurrentTab(int index) {
    if (index < 0 || index >= static_cast<int>(tabs_.size()))
        invalidValue();
    if (current_ == index)
        return;
    const int previous = current_;
    current_ = index;
    changed(Property::Selection);
    fire(Click, previous);
}

void TabStrip::userSelect(int index) {
    // Switching tabs leaves the field being edited, so it must agree first.
    if (owner() && causesValidation()) {
        if (!owner()->focus(*this))
            return;
    }
    setCurrentTab(index);
}

} // namespace pictorn::ui
