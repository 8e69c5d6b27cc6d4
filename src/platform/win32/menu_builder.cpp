#include "platform/win32/menu_builder.h"

#include "platform/win32/text.h"

#include <functional>

namespace pictorn::platform::win32 {
namespace {

std::wstring menuText(const ui::MenuItem& item) {
    std::wstring text = toWide(item.caption());
    if (!item.shortcut().empty())
        text += L"\t" + toWide(item.shortcut().text());
    return text;
}

void forEachItem(const std::vector<ui::MenuItem*>& items,
                 const std::function<void(ui::MenuItem&)>& visit) {
    for (ui::MenuItem* item : items) {
        visit(*item);
        forEachItem(item->children(), visit);
    }
}

} // namespace

MenuBar::MenuBar(ui::Form& form) : form_(form) {
    forEachItem(form_.menuBar(), [this](ui::MenuItem& item) { item.setPeer(this); });
    buildAccelerators();
}

MenuBar::~MenuBar() {
    forEachItem(form_.menuBar(), [](ui::MenuItem& item) { item.setPeer(nullptr); });
}

void MenuBar::fill(HMENU menu, const std::vector<ui::MenuItem*>& items) {
    for (ui::MenuItem* item : items) {
        if (!item->visible())
            continue;
        if (item->isSeparator()) {
            AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
            continue;
        }
        UINT flags = MF_STRING;
        flags |= item->enabled() ? MF_ENABLED : MF_GRAYED;
        flags |= item->checked() ? MF_CHECKED : MF_UNCHECKED;
        if (!item->children().empty()) {
            HMENU popup = CreatePopupMenu();
            popups_[popup] = item;
            fill(popup, item->children());
            AppendMenuW(menu, flags | MF_POPUP, reinterpret_cast<UINT_PTR>(popup),
                        menuText(*item).c_str());
        } else {
            AppendMenuW(menu, flags, static_cast<UINT_PTR>(item->id()), menuText(*item).c_str());
        }
    }
}

HMENU MenuBar::build() {
    popups_.clear();
    bar_ = CreateMenu();
    fill(bar_, form_.menuBar());
    return bar_;
}

Menu MenuBar::popupOf(const ui::MenuItem& menu) {
    Menu popup{CreatePopupMenu()};
    fill(popup.get(), menu.children());
    return popup;
}

void MenuBar::rebuild() {
    if (!window_)
        return;
    HMENU old = GetMenu(window_);
    SetMenu(window_, build());
    if (old)
        DestroyMenu(old);
    DrawMenuBar(window_);
}

void MenuBar::buildAccelerators() {
    std::vector<ACCEL> table;
    forEachItem(form_.menuBar(), [&table](ui::MenuItem& item) {
        const ui::Shortcut& s = item.shortcut();
        if (s.empty() || item.id() == 0)
            return;
        ACCEL a{};
        a.fVirt = FVIRTKEY | (s.ctrl ? FCONTROL : 0) | (s.shift ? FSHIFT : 0) | (s.alt ? FALT : 0);
        a.key = static_cast<WORD>(s.key);
        a.cmd = static_cast<WORD>(item.id());
        table.push_back(a);
    });
    if (!table.empty())
        accelerators_.reset(CreateAcceleratorTableW(table.data(), static_cast<int>(table.size())));
}

bool MenuBar::onCommand(int commandId) {
    ui::MenuItem* item = form_.findMenuItem(commandId);
    if (!item)
        return false;
    item->click();
    return true;
}

void MenuBar::onPopupOpening(HMENU popup) {
    auto it = popups_.find(popup);
    if (it != popups_.end())
        it->second->click();
}

void MenuBar::update(const ui::Control& control, ui::Property what) {
    const auto& item = static_cast<const ui::MenuItem&>(control);
    HMENU menu = window_ ? GetMenu(window_) : nullptr;
    const bool leaf = item.children().empty() && item.id() != 0;
    switch (what) {
    case ui::Property::Enabled:
        if (menu && leaf)
            EnableMenuItem(menu, static_cast<UINT>(item.id()),
                           MF_BYCOMMAND | (item.enabled() ? MF_ENABLED : MF_GRAYED));
        break;
    case ui::Property::Checked:
        if (menu && leaf)
            CheckMenuItem(menu, static_cast<UINT>(item.id()),
                          MF_BYCOMMAND | (item.checked() ? MF_CHECKED : MF_UNCHECKED));
        break;
    case ui::Property::Text:
        if (menu && leaf) {
            const std::wstring text = menuText(item);
            MENUITEMINFOW info{};
            info.cbSize = sizeof info;
            info.fMask = MIIM_STRING;
            info.dwTypeData = const_cast<wchar_t*>(text.c_str());
            SetMenuItemInfoW(menu, static_cast<UINT>(item.id()), FALSE, &info);
        } else {
            rebuild();
        }
        break;
    default:
        rebuild();
        break;
    }
}

} // namespace pictorn::platform::win32
