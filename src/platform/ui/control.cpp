#include "platform/ui/control.h"

#include "platform/app_error.h"
#include "platform/ui/form.h"

namespace pictorn::ui {

Control::Control(Form* owner, std::string name, int id)
    : owner_(owner), name_(std::move(name)), id_(id) {
    if (owner_)
        owner_->enlist(*this);
}

Control::~Control() {
    if (owner_)
        owner_->delist(*this);
}

void Control::changed(Property what) {
    if (peer_)
        peer_->update(*this, what);
}

void Control::setEnabled(bool enabled) {
    if (enabled_ == enabled)
        return;
    enabled_ = enabled;
    changed(Property::Enabled);
}

void Control::setVisible(bool visible) {
    if (visible_ == visible)
        return;
    visible_ = visible;
    changed(Property::Visible);
}

void Control::setToolTip(std::string text) {
    if (toolTip_ == text)
        return;
    toolTip_ = std::move(text);
    changed(Property::ToolTip);
}

void Control::setForeColor(std::uint32_t color) {
    if (foreColor_ == color)
        return;
    foreColor_ = color;
    changed(Property::Colors);
}

void Control::setBackColor(std::uint32_t color) {
    if (backColor_ == color)
        return;
    backColor_ = color;
    changed(Property::Colors);
}

void Control::setFontName(std::string name) {
    if (fontName_ == name)
        return;
    fontName_ = std::move(name);
    changed(Property::Font);
}

void Control::setFontPoints(int points) {
    if (fontPoints_ == points)
        return;
    fontPoints_ = points;
    changed(Property::Font);
}

void Control::setBold(bool bold) {
    if (bold_ == bold)
        return;
    bold_ = bold;
    changed(Property::Font);
}

} // namespace pictorn::ui

namespace pictorn::ui {

void Control::setBounds(const Bounds& bounds) {
    if (bounds.width < 0 || bounds.height < 0)
        throw AppError(380, "Invalid property value");
    if (bounds_ == bounds)
        return;
    bounds_ = bounds;
    changed(Property::Geometry);
}

} // namespace pictorn::ui
