#pragma once
// A window of the program as the logic sees it: caption, visibility, state, position in
// twips, its controls and menus, the keyboard focus with validation, and its life cycle
// (load once when first touched, show, show modally, hide, unload).
#include "platform/ui/control.h"

#include <string>
#include <vector>

namespace pictorn::ui {

class MenuItem;
class UiToolkit;

enum class WindowState { Normal = 0, Minimized = 1, Maximized = 2 };

class FormPeer {
public:
    virtual ~FormPeer() = default;
    virtual void update(const Form& form, Property what) = 0;
    // Shows the form modally and returns when it is hidden or unloaded.
    virtual void runModal(Form& form, Form* owner) = 0;
    virtual void destroy() = 0;
    // The current outer geometry and inner size in twips, as the window has them.
    virtual void readGeometry(Form& form) = 0;
};

// How the real window is made: from a dialog template (its control ids bind the model's
// controls) or as a plain window whose children are made from the model.
struct FormStyle {
    int templateId = 0;
    bool sizable = true;
    bool showInTaskbar = true;
    bool minMaxBoxes = true;
};

struct Geometry {
    int left = 0, top = 0, width = 0, height = 0; // outer, twips
    int clientWidth = 0, clientHeight = 0;        // inner, twips
};

class Form {
public:
    Form(UiToolkit& toolkit, std::string name);
    virtual ~Form();
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;

    const std::string& name() const { return name_; }
    UiToolkit& toolkit() const { return toolkit_; }
    const FormStyle& style() const { return style_; }
    void setStyle(const FormStyle& style) { style_ = style; }

    // Loading creates the real window (hidden) and runs Load, once.
    bool loaded() const { return loaded_; }
    void load();
    // Closing asks QueryUnload, then runs Unload and destroys the real window. Returns
    // false when the close was refused.
    bool unload();

    const std::string& caption() const { return caption_; }
    void setCaption(std::string caption);
    bool visible() const { return visible_; }
    void setVisible(bool visible);
    void show() { setVisible(true); }
    void hide() { setVisible(false); }
    // Shows modally, owned by `owner`; returns when the form is hidden again.
    void showModal(Form* owner);
    bool modal() const { return modal_; }
    WindowState windowState() const { return state_; }
    void setWindowState(WindowState state);
    bool topmost() const { return topmost_; }
    void setTopmost(bool on);
    // While busy, the pointer over the window says that work goes on in the background; the
    // window still answers.
    bool busy() const { return busy_; }
    void setBusy(bool on);

    // Geometry in twips. Reading asks the real window first, so it is what the user sees.
    Geometry geometry();
    void move(int left, int top, int width, int height);
    void setGeometryFromPeer(const Geometry& g) { geometry_ = g; }
    // The last known geometry, without asking the real window.
    const Geometry& lastGeometry() const { return geometry_; }

    const std::vector<Control*>& controls() const { return controls_; }
    const std::vector<MenuItem*>& menuBar() const { return menuBar_; }
    void addMenu(MenuItem& menu) { menuBar_.push_back(&menu); }
    Control* findControl(int id) const;
    MenuItem* findMenuItem(int commandId) const;

    // Moves the focus. When the target causes validation, the control that has the focus
    // validates first; a cancel keeps the focus where it was and returns false.
    bool focus(Control& target);
    Control* focused() const { return focused_; }

    FormPeer* peer() const { return peer_; }
    void setPeer(FormPeer* peer) { peer_ = peer; }

    Event<> Load;
    Event<> Activate;
    Event<> Resize;
    Event<bool&> QueryUnload;
    Event<> Unload;
    Event<int, int> KeyDown; // key code, shift state
    // The window went to a monitor of another DPI; the platform has already moved it to the
    // rectangle the system suggests and placed the controls at the new DPI.
    Event<> DpiChanged;

    // The DPI of the real window, 0 while the platform has not said.
    int dpi() const { return dpi_; }

    // Called by the platform when the user changed something the model mirrors.
    void userResized(const Geometry& g, WindowState state);
    void userActivated() { fire(Activate); }
    // The first report (as the window is made) fires nothing: nothing was sized before it.
    void windowDpiChanged(int dpi);

private:
    friend class Control;
    void enlist(Control& control) { controls_.push_back(&control); }
    void delist(Control& control);
    void changed(Property what);

    UiToolkit& toolkit_;
    std::string name_;
    std::string caption_;
    bool loaded_ = false;
    bool visible_ = false;
    bool modal_ = false;
    bool topmost_ = false;
    bool busy_ = false;
    WindowState state_ = WindowState::Normal;
    int dpi_ = 0;
    FormStyle style_;
    Geometry geometry_;
    std::vector<Control*> controls_;
    std::vector<MenuItem*> menuBar_;
    Control* focused_ = nullptr;
    FormPeer* peer_ = nullptr;
};

// Shows `window` modally over `owner` and unloads it once it is hidden. While it is up,
// `*openWindow` (when given) points at it, so that whoever closes the owner can close it
// first.
void showModalAndUnload(Form& window, Form& owner, Form** openWindow = nullptr);

} // namespace pictorn::ui
