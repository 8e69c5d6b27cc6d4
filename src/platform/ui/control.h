#pragma once
// The control model: small objects with state and events that the program's windows are
// written against. Setting a value from code fires the same event a user action fires;
// setting the value a control already has fires nothing. A peer (a real child window on
// Windows, none in tests) mirrors the state and forwards the user's actions back in.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace pictorn::ui {

class Control;
class Form;

// What changed, so a peer updates only that aspect of its real control.
enum class Property {
    Text,
    Value,
    Enabled,
    Visible,
    Items,
    Selection,
    Font,
    Colors,
    ToolTip,
    Checked,
    Range,
    Interval,
    Geometry,
    Children,
    Busy,
    Content, // part of a picture changed in place
};

class ControlPeer {
public:
    virtual ~ControlPeer() = default;
    virtual void update(const Control& control, Property what) = 0;
    // Gives the real control the keyboard focus (the model has already agreed).
    virtual void takeFocus() {}
};

// One handler per event, as the program's windows need no more.
template <typename... Args> using Event = std::function<void(Args...)>;

template <typename... Args> void fire(const Event<Args...>& event, Args... args) {
    if (event)
        event(std::forward<Args>(args)...);
}

inline constexpr std::uint32_t kDefaultColor = 0xFFFFFFFFu; // "use the system colour"
// One of the system's colours by its index (15: button face), as a colour value.
constexpr std::uint32_t systemColor(int index) {
    return 0x80000000u | static_cast<std::uint32_t>(index);
}
constexpr bool isSystemColor(std::uint32_t color) {
    return color != kDefaultColor && (color & 0x80000000u) != 0;
}

// A control's place inside its form's client area, in twips.
struct Bounds {
    int left = 0, top = 0, width = 0, height = 0;
    bool operator==(const Bounds&) const = default;
};

class Control {
public:
    // A control belongs to the form that lists it; `id` is its dialog control id (0: none).
    Control(Form* owner, std::string name, int id);
    virtual ~Control();
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    const std::string& name() const { return name_; }
    int id() const { return id_; }
    Form* owner() const { return owner_; }

    bool enabled() const { return enabled_; }
    void setEnabled(bool enabled);
    bool visible() const { return visible_; }
    void setVisible(bool visible);
    const std::string& toolTip() const { return toolTip_; }
    void setToolTip(std::string text);
    // Colours are Windows colour values (red in the low byte); kDefaultColor for the system's.
    std::uint32_t foreColor() const { return foreColor_; }
    void setForeColor(std::uint32_t color);
    std::uint32_t backColor() const { return backColor_; }
    void setBackColor(std::uint32_t color);
    bool bold() const { return bold_; }
    void setBold(bool bold);
    // The font size in points; 0 for the window's own font.
    int fontPoints() const { return fontPoints_; }
    void setFontPoints(int points);
    // The typeface; empty for the window's own.
    const std::string& fontName() const { return fontName_; }
    void setFontName(std::string name);
    const Bounds& bounds() const { return bounds_; }
    // A negative width or height cannot be applied and raises error 380.
    void setBounds(const Bounds& bounds);
    // Whether taking the focus runs the Validate of the control that had it.
    bool causesValidation() const { return causesValidation_; }
    void setCausesValidation(bool on) { causesValidation_ = on; }
    virtual bool canTakeFocus() const { return false; }

    ControlPeer* peer() const { return peer_; }
    void setPeer(ControlPeer* peer) { peer_ = peer; }

    Event<> GotFocus;
    Event<> LostFocus;
    Event<bool&> Validate; // set the flag to keep the focus here

protected:
    void changed(Property what);

private:
    friend class Form;
    Form* owner_;
    std::string name_;
    int id_;
    bool enabled_ = true;
    bool visible_ = true;
    std::string toolTip_;
    std::uint32_t foreColor_ = kDefaultColor;
    std::uint32_t backColor_ = kDefaultColor;
    bool bold_ = false;
    int fontPoints_ = 0;
    std::string fontName_;
    Bounds bounds_;
    bool causesValidation_ = true;
    ControlPeer* peer_ = nullptr;
};

} // namespace pictorn::ui
