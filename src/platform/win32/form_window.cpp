#include "platform/win32/form_window.h"

#include "platform/app_error.h"
#include "platform/ui/controls.h"
#include "platform/ui/timer.h"
#include "platform/win32/text.h"
#include "platform/win32/ui_toolkit_win32.h"
#include "platform/win32/ui_units.h"

#include <commctrl.h>

namespace pictorn::platform::win32 {
namespace {

constexpr wchar_t kFormClass[] = L"PictornForm";

// Timers tick on the form's window, under the timer control's id.
class TimerPeer : public ui::ControlPeer {
public:
    TimerPeer(ui::Timer& timer, HWND window) : timer_(timer), window_(window) {
        timer_.setPeer(this);
        apply();
    }
    ~TimerPeer() override {
        KillTimer(window_, static_cast<UINT_PTR>(timer_.id()));
        if (timer_.peer() == this)
            timer_.setPeer(nullptr);
    }
    void update(const ui::Control&, ui::Property) override { apply(); }

private:
    void apply() {
        if (timer_.running())
            SetTimer(window_, static_cast<UINT_PTR>(timer_.id()),
                     static_cast<UINT>(timer_.interval()), nullptr);
        else
            KillTimer(window_, static_cast<UINT_PTR>(timer_.id()));
    }
    ui::Timer& timer_;
    HWND window_;
};

ui::WindowState stateOf(HWND hwnd) {
    if (IsIconic(hwnd))
        return ui::WindowState::Minimized;
    if (IsZoomed(hwnd))
        return ui::WindowState::Maximized;
    return ui::WindowState::Normal;
}

} // namespace

FormWindow::FormWindow(ui::Form& form, Win32Toolkit& toolkit) : form_(form), toolkit_(toolkit) {
    if (form_.style().templateId != 0)
        createFromTemplate();
    else
        createPlainWindow();
    form_.setPeer(this);
    form_.windowDpiChanged(windowDpi(hwnd()));
    host_.attach(hwnd());
    updateFont();
    bindChildren(form_.style().templateId == 0);
    update(form_, ui::Property::Text);
}

FormWindow::~FormWindow() {
    peers_.clear();
    timerPeers_.clear();
    if (form_.peer() == this)
        form_.setPeer(nullptr);
}

void FormWindow::createPlainWindow() {
    Window::registerClass(kFormClass, toolkit_.programIcon());
    const ui::FormStyle& style = form_.style();
    DWORD ws = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
    if (style.sizable)
        ws |= WS_THICKFRAME;
    if (style.minMaxBoxes)
        ws |= WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
    const DWORD exStyle = style.showInTaskbar ? WS_EX_APPWINDOW : WS_EX_TOOLWINDOW;
    const ui::Geometry& g = form_.lastGeometry();
    const int dpi = systemDpi();
    const int width = g.width > 0 ? twipsToPixels(g.width, dpi) : CW_USEDEFAULT;
    const int height = g.height > 0 ? twipsToPixels(g.height, dpi) : CW_USEDEFAULT;
    if (!form_.menuBar().empty())
        menus_ = std::make_unique<MenuBar>(form_);
    create(exStyle, kFormClass, toWide(form_.caption()), ws, CW_USEDEFAULT, CW_USEDEFAULT, width,
           height, nullptr, menus_ ? menus_->build() : nullptr);
    if (menus_)
        menus_->attach(hwnd());
}

void FormWindow::createFromTemplate() {
    createDialog(form_.style().templateId, nullptr);
}

void FormWindow::bindChildren(bool createMissing) {
    for (ui::Control* control : form_.controls()) {
        if (control->id() == 0 || dynamic_cast<ui::MenuItem*>(control))
            continue;
        if (auto* timer = dynamic_cast<ui::Timer*>(control)) {
            timerPeers_.push_back(std::make_unique<TimerPeer>(*timer, hwnd()));
            continue;
        }
        HWND child = GetDlgItem(hwnd(), control->id());
        const wchar_t* className = nullptr;
        DWORD style = 0;
        if (!child && createMissing && childWindowClassFor(*control, className, style)) {
            child = CreateWindowExW(0, className, L"", style, 0, 0, 0, 0, hwnd(),
                                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(control->id())),
                                    GetModuleHandleW(nullptr), nullptr);
        }
        if (!child)
            continue;
        if (auto peer = makeChildPeer(*control, child, host_)) {
            peer->syncAll();
            peers_.push_back(std::move(peer));
        }
    }
}

void FormWindow::updateFont() {
    const int dpi = windowDpi(hwnd());
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    if (!SystemParametersInfoForDpi(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0,
                                    static_cast<UINT>(dpi)))
        SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
    host_.setFont(CreateFontIndirectW(&metrics.lfMessageFont));
    for (auto& peer : peers_)
        peer->update(peer->model(), ui::Property::Font);
}

ChildPeer* FormWindow::peerFor(HWND child) const {
    for (const auto& peer : peers_)
        if (peer->hwnd() == child)
            return peer.get();
    return nullptr;
}

ui::Geometry FormWindow::currentGeometry() const {
    ui::Geometry g;
    RECT outer{}, inner{};
    GetWindowRect(hwnd(), &outer);
    GetClientRect(hwnd(), &inner);
    const int dpi = windowDpi(hwnd());
    g.left = pixelsToTwips(outer.left, dpi);
    g.top = pixelsToTwips(outer.top, dpi);
    g.width = pixelsToTwips(outer.right - outer.left, dpi);
    g.height = pixelsToTwips(outer.bottom - outer.top, dpi);
    g.clientWidth = pixelsToTwips(inner.right, dpi);
    g.clientHeight = pixelsToTwips(inner.bottom, dpi);
    return g;
}

void FormWindow::readGeometry(ui::Form& form) {
    form.setGeometryFromPeer(currentGeometry());
}

void FormWindow::applyVisibility() {
    if (!form_.visible()) {
        ShowWindow(hwnd(), SW_HIDE);
        return;
    }
    switch (form_.windowState()) {
    case ui::WindowState::Minimized:
        ShowWindow(hwnd(), SW_SHOWMINNOACTIVE);
        break;
    case ui::WindowState::Maximized:
        ShowWindow(hwnd(), SW_SHOWMAXIMIZED);
        break;
    default:
        // A window hidden while minimized is still iconic: showing it must also restore it.
        ShowWindow(hwnd(), IsIconic(hwnd()) || IsZoomed(hwnd()) ? SW_RESTORE : SW_SHOW);
        break;
    }
    // The first display counts as a resize, as the layout code expects.
    form_.userResized(currentGeometry(), stateOf(hwnd()));
}

void FormWindow::update(const ui::Form&, ui::Property what) {
    if (!hwnd())
        return;
    switch (what) {
    case ui::Property::Text:
        SetWindowTextW(hwnd(), toWide(form_.caption()).c_str());
        break;
    case ui::Property::Visible:
        applyVisibility();
        break;
    case ui::Property::Value:
        if (IsWindowVisible(hwnd()))
            applyVisibility();
        break;
    case ui::Property::Checked:
        SetWindowPos(hwnd(), form_.topmost() ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        break;
    case ui::Property::Busy:
        showPointerNow();
        break;
    case ui::Property::Geometry: {
        const int dpi = windowDpi(hwnd());
        const ui::Geometry& g = form_.lastGeometry();
        SetWindowPos(hwnd(), nullptr, twipsToPixels(g.left, dpi), twipsToPixels(g.top, dpi),
                     twipsToPixels(g.width, dpi), twipsToPixels(g.height, dpi),
                     SWP_NOZORDER | SWP_NOACTIVATE);
        break;
    }
    default:
        break;
    }
}

void FormWindow::runModal(ui::Form& form, ui::Form* owner) {
    if (!hwnd()) {
        // The window could not be made (a missing template): waiting for it to close would
        // leave the owner disabled for good.
        form.hide();
        throw AppError(errors::kComponentMissing,
                       "The window \"" + form.name() + "\" could not be created.");
    }
    HWND ownerWindow = nullptr;
    if (owner && owner->peer())
        ownerWindow = static_cast<FormWindow*>(owner->peer())->hwnd();
    SetWindowLongPtrW(hwnd(), GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(ownerWindow));
    if (!centredOnce_ && ownerWindow) {
        centredOnce_ = true;
        RECT o{}, r{};
        GetWindowRect(ownerWindow, &o);
        GetWindowRect(hwnd(), &r);
        const int x = o.left + ((o.right - o.left) - (r.right - r.left)) / 2;
        const int y = o.top + ((o.bottom - o.top) - (r.bottom - r.top)) / 2;
        SetWindowPos(hwnd(), nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    if (ownerWindow)
        EnableWindow(ownerWindow, FALSE);
    applyVisibility();
    SetForegroundWindow(hwnd());
    MSG msg{};
    while (form.loaded() && form.visible() && !toolkit_.quitting()) {
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got <= 0) {
            PostQuitMessage(got == 0 ? static_cast<int>(msg.wParam) : 1);
            break;
        }
        toolkit_.dispatch(msg);
    }
    if (ownerWindow) {
        EnableWindow(ownerWindow, TRUE);
        if (IsWindowVisible(ownerWindow))
            SetActiveWindow(ownerWindow);
    }
}

void FormWindow::destroy() {
    if (destroying_)
        return;
    destroying_ = true;
    peers_.clear();
    timerPeers_.clear();
    menus_.reset(); // the menu handles go with the window
    if (form_.peer() == this)
        form_.setPeer(nullptr);
    if (hwnd())
        DestroyWindow(hwnd());
    toolkit_.forget(this);
}

bool FormWindow::switchTabByKey(const MSG& msg) {
    if (msg.message != WM_KEYDOWN || GetKeyState(VK_CONTROL) >= 0)
        return false;
    int step = 0;
    if (msg.wParam == VK_TAB)
        step = GetKeyState(VK_SHIFT) < 0 ? -1 : 1;
    else if (msg.wParam == VK_NEXT)
        step = 1;
    else if (msg.wParam == VK_PRIOR)
        step = -1;
    if (step == 0)
        return false;
    for (ui::Control* control : form_.controls()) {
        auto* tabs = dynamic_cast<ui::TabStrip*>(control);
        if (!tabs || !tabs->enabled() || tabs->tabs().empty())
            continue;
        const int count = static_cast<int>(tabs->tabs().size());
        tabs->userSelect((tabs->currentTab() + step + count) % count);
        return true;
    }
    return false;
}

const wchar_t* FormWindow::className() {
    return kFormClass;
}

FormWindow* FormWindow::of(const ui::Form& form) {
    return dynamic_cast<FormWindow*>(form.peer());
}

void FormWindow::showPointerNow() {
    // Windows sets the pointer again only when it moves: ask the window under it now.
    POINT at{};
    GetCursorPos(&at);
    HWND under = WindowFromPoint(at);
    if (under && (under == hwnd() || IsChild(hwnd(), under))) {
        const auto hit =
            static_cast<WORD>(SendMessageW(under, WM_NCHITTEST, 0, MAKELPARAM(at.x, at.y)));
        SendMessageW(under, WM_SETCURSOR, reinterpret_cast<WPARAM>(under),
                     MAKELPARAM(hit, WM_MOUSEMOVE));
    }
}

LRESULT FormWindow::handle(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT hooked = 0;
    for (const MessageHook& hook : hooks_)
        if (hook(message, wParam, lParam, hooked))
            return hooked;
    switch (message) {
    case WM_COMMAND:
        return onCommand(wParam, lParam);
    case WM_NOTIFY:
        return onNotify(lParam);
    case WM_HSCROLL:
        if (ChildPeer* peer = peerFor(reinterpret_cast<HWND>(lParam)))
            peer->onScroll(LOWORD(wParam));
        return 0;
    case WM_SIZE:
        return onSize();
    case WM_CLOSE:
        return onClose();
    case WM_ENDSESSION:
        // The Windows session ends: the process may be ended as soon as this returns, so
        // the window closes now, as its close box would close it.
        if (wParam)
            form_.unload();
        return 0;
    case WM_TIMER:
        return onTimer(wParam);
    case WM_ACTIVATE:
        if (LOWORD(wParam) != WA_INACTIVE && !destroying_)
            form_.userActivated();
        return defaultHandling(message, wParam, lParam);
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORLISTBOX:
        return onControlColor(wParam, lParam);
    case WM_DPICHANGED:
        return onDpiChanged(lParam);
    case WM_SETCURSOR:
        // Children pass this up first, so the whole window shows the busy pointer.
        if (form_.busy() && LOWORD(lParam) == HTCLIENT) {
            SetCursor(LoadCursorW(nullptr, IDC_APPSTARTING));
            return TRUE;
        }
        return defaultHandling(message, wParam, lParam);
    case kMsgRefocus:
        SetFocus(reinterpret_cast<HWND>(wParam));
        return 0;
    default:
        return defaultHandling(message, wParam, lParam);
    }
}

LRESULT FormWindow::onCommand(WPARAM wParam, LPARAM lParam) {
    const int id = LOWORD(wParam);
    if (lParam != 0) {
        if (ChildPeer* peer = peerFor(reinterpret_cast<HWND>(lParam)))
            peer->onNotify(HIWORD(wParam));
        return 0;
    }
    if (menus_ && menus_->onCommand(id))
        return 0;
    // Enter with no default button, Esc: a form without a cancel button ignores them.
    return 0;
}

LRESULT FormWindow::onNotify(LPARAM lParam) {
    const auto* header = reinterpret_cast<const NMHDR*>(lParam);
    if (ChildPeer* peer = peerFor(header->hwndFrom))
        peer->onNotifyHeader(*header);
    return 0;
}

LRESULT FormWindow::onSize() {
    if (!destroying_ && IsWindowVisible(hwnd()))
        form_.userResized(currentGeometry(), stateOf(hwnd()));
    return 0;
}

LRESULT FormWindow::onClose() {
    form_.unload();
    return 0;
}

LRESULT FormWindow::onTimer(WPARAM id) {
    if (auto* timer = dynamic_cast<ui::Timer*>(form_.findControl(static_cast<int>(id))))
        timer->tick();
    return 0;
}

LRESULT FormWindow::onControlColor(WPARAM dc, LPARAM child) {
    if (ChildPeer* peer = peerFor(reinterpret_cast<HWND>(child)))
        if (HBRUSH brush = peer->colors(reinterpret_cast<HDC>(dc)))
            return reinterpret_cast<LRESULT>(brush);
    if (isDialog())
        return defaultHandling(WM_CTLCOLORSTATIC, dc, child);
    return DefWindowProcW(hwnd(), WM_CTLCOLORSTATIC, dc, child);
}

LRESULT FormWindow::onDpiChanged(LPARAM suggested) {
    const auto* r = reinterpret_cast<const RECT*>(suggested);
    SetWindowPos(hwnd(), nullptr, r->left, r->top, r->right - r->left, r->bottom - r->top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    updateFont();
    for (auto& peer : peers_)
        peer->update(peer->model(), ui::Property::Geometry);
    form_.windowDpiChanged(windowDpi(hwnd()));
    return 0;
}

} // namespace pictorn::platform::win32
