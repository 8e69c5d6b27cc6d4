// Hotkeys that another program already holds: the summary and the Capture menu show them
// as not available, and one notice after start-up names them -- again only when the set
// of taken combinations changes, so a user who cannot free them is not asked every time.
#include "app/error_report.h"
#include "mainwindow/frm_main.h"

namespace pictorn {
namespace {

constexpr std::string_view kNotAvailable = " (not available)";

char letterOf(const HotkeyControl& hotkey) {
    return static_cast<char>(hotkey.combination().key);
}

} // namespace

std::string FrmMain::hotkeyLabel(const HotkeyControl& hotkey, const std::string& prefix) const {
    std::string label = prefix + letterOf(hotkey);
    if (!hotkey.armed())
        label += kNotAvailable;
    return label;
}

void FrmMain::showHotkeySummary() {
    txtInfo.setText(
        hotkeyLabel(VBHotKey1, hotkeyPrefix(app::kFullScreenHotkey)) + "  = Full Screen   -   " +
        hotkeyLabel(VBHotKey2, hotkeyPrefix(app::kActiveWindowHotkey)) +
        "  = Active Window   -   " + hotkeyLabel(VBHotKey3, hotkeyPrefix(app::kRectangleHotkey)) +
        "  = Rectangle (mouse selection)");
}

void FrmMain::noticeTakenHotkeys() {
    struct Taken {
        const HotkeyControl& hotkey;
        std::string prefix;
        std::string_view capture;
    };
    const Taken all[] = {{VBHotKey1, hotkeyPrefix(app::kFullScreenHotkey), "Full Screen"},
                         {VBHotKey2, hotkeyPrefix(app::kActiveWindowHotkey), "Active Window"},
                         {VBHotKey3, hotkeyPrefix(app::kRectangleHotkey), "Rectangular Area"}};
    std::string names, lines;
    for (const Taken& t : all) {
        if (t.hotkey.armed())
            continue;
        const std::string combination = t.prefix + letterOf(t.hotkey);
        names += (names.empty() ? "" : ";") + combination;
        lines += combination + "  (Capture " + std::string(t.capture) + ")\r\n";
    }
    if (store_.values().hotkeysTakenNoticed == names)
        return;
    store_.change([&](app::Preferences& p) { p.hotkeysTakenNoticed = names; });
    store_.save(app::Written::AfterHotkeyNotice);
    if (names.empty())
        return;
    services_.messageBox.show(
        "Another program already uses these hotkeys, so they do not work in Pictorn:\r\n\r\n" +
            lines +
            "\r\nThe menus and the other hotkeys work as usual. Choose other keys under "
            "Preferences -> General; they apply when Pictorn starts again.",
        platform::mb::kIconInformation, "Hotkeys not available");
}

} // namespace pictorn
