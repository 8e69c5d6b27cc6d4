#pragma once
// A preferences dialog on the headless platform, filled from the store in the order the
// main window's start-up fills it, with helpers to arrange stored values and to read back
// what Done wrote.
#include "app/error_report.h"
#include "app/registry.h"
#include "app/settings.h"
#include "platform/headless/headless_services.h"
#include "platform/ui/timer.h"
#include "prefs/frm_prefs.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace pictorn::prefs_test {

inline constexpr std::string_view kSubKey = "Software\\Orvanta\\Pictorn";
inline constexpr unsigned kWarning = platform::mb::kOk | platform::mb::kIconExclamation;

class PrefsTest : public ::testing::Test {
protected:
    void plant(std::string_view name, std::string_view value) {
        hs.registry.plant(app::kHkeyCurrentUser, kSubKey, name, headless::kRegSz, value);
    }
    std::optional<std::string> stored(std::string_view name) const {
        auto value = hs.registry.value(app::kHkeyCurrentUser, kSubKey, name);
        return value ? std::optional(value->bytes) : std::nullopt;
    }
    // The value names written since the last clearCalls(), in order.
    std::vector<std::string> writtenNames() const {
        std::vector<std::string> names;
        for (const std::string& call : hs.registry.calls())
            if (call.starts_with("setText ") && call.ends_with(" -> 0"))
                names.push_back(call.substr(8, call.size() - 8 - 5));
        return names;
    }

    // Creates the dialog and fills it as start-up does: every stored value (or its
    // default) goes into its control through the control's own events.
    FrmPrefs& start() {
        store.createKey();
        prefs = std::make_unique<FrmPrefs>(hs.services, store, mainWindow, timer);
        FrmPrefs& p = *prefs;
        p.load();
        const auto read = [&](std::string_view name) {
            return store.readRaw(name);
        };
        const auto orDefault = [](std::string value, std::string fallback, bool emptyToo = false) {
            return value == "Error" || (emptyToo && value.empty()) ? fallback : value;
        };
        const auto number = [](const std::string& text) {
            return std::stoi(text);
        };
        using app::ignoreErrors;
        if (read("Startup") != "True")
            ignoreErrors([&] { p.SSTab1.setCurrentTab(0); });
        ignoreErrors([&] {
            p.txtSeconds.setText(read("DelayActiveWindow"));
            if (p.txtSeconds.text() == "Er")
                p.txtSeconds.setText("0");
        });
        ignoreErrors([&] { p.chkSound.setValue(number(orDefault(read("PlaySound"), "1"))); });
        ignoreErrors(
            [&] { p.chkStartMinimized.setValue(number(orDefault(read("StartMinimized"), "0"))); });
        ignoreErrors([&] { p.chkTray.setValue(number(orDefault(read("SystemTray"), "0"))); });
        ignoreErrors(
            [&] { p.chkKeepMinimized.setValue(number(orDefault(read("KeepMinimized"), "0"))); });
        ignoreErrors([&] { p.chkKeepOnTop.setValue(number(orDefault(read("KeepOnTop"), "0"))); });
        ignoreErrors([&] {
            p.txtEditorPath.setText(read("Editor"));
            if (p.txtEditorPath.text() == "Error")
                p.txtEditorPath.setText(std::string(app::kEditorPlaceholder));
        });
        ignoreErrors([&] { p.chkAutoSave.setValue(number(orDefault(read("AutoSave"), "0"))); });
        ignoreErrors([&] { p.txtPrefix.setText(orDefault(read("Prefix"), "Pictorn_", true)); });
        ignoreErrors(
            [&] { p.cboExtension.setListIndex(number(orDefault(read("Extension"), "4", true))); });
        ignoreErrors([&] { p.txtDefaultFolder.setText(orDefault(read("DefaultFolder"), "")); });
        const char* hotkeyValues[] = {"HotKeyCTRL1",  "HotKeyCTRL2",  "HotKeyCTRL3",
                                      "HotKeyALT1",   "HotKeyALT2",   "HotKeyALT3",
                                      "HotKeySHIFT1", "HotKeySHIFT2", "HotKeySHIFT3"};
        for (int i = 0; i < 9; ++i) {
            const std::string fallback = i < 3 || i == 6 ? "1" : "0";
            ignoreErrors([&] {
                p.hotkeyBoxes(i % 3 + 1)[static_cast<std::size_t>(i / 3)]->setValue(
                    number(orDefault(read(hotkeyValues[i]), fallback)));
            });
        }
        p.hotkeyPrefixFull = p.modifierPrefix(1);
        p.hotkeyPrefixWindow = p.modifierPrefix(2);
        p.hotkeyPrefixRectangle = p.modifierPrefix(3);
        ignoreErrors([&] { p.HScroll1.setValue(number(orDefault(read("JPEGquality"), "90"))); });
        ignoreErrors([&] { p.setRectangleColor(orDefault(read("SelectedColor"), "255")); });
        ignoreErrors([&] { p.SSTab1.setCurrentTab(number(read("Tab"))); });
        ignoreErrors([&] {
            p.cboExtension4Attachments.setListIndex(
                number(orDefault(read("Extension4Attachments"), "4", true)));
        });
        p.hotkeyPrefsClicked = "NOT Clicked!";
        hs.registry.clearCalls();
        return p;
    }

    // Shows the dialog modally; `user` plays the user while it is open.
    void showModal(std::function<void(FrmPrefs&)> user) {
        hs.ui.onModal("frmPrefs", [&, user](ui::Form&) { user(*prefs); });
        prefs->showModal(&mainWindow);
    }

    // The fields the user types into: the focus goes there first, as a click would.
    void typeInto(ui::TextBox& field, const std::string& text) {
        ASSERT_TRUE(prefs->focus(field));
        field.setText(text);
    }

    const headless::ShownBox& lastBox() const { return hs.messageBox.last(); }

    headless::HeadlessServices hs;
    app::Registry registry{hs.registry, hs.messageBox};
    app::SettingsStore store{registry};
    ui::Form mainWindow{hs.ui, "frmMain"};
    ui::Timer timer{&mainWindow, "TimerRandomName", 102};
    std::unique_ptr<FrmPrefs> prefs;
};

} // namespace pictorn::prefs_test
