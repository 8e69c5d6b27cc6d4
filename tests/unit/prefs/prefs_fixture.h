#pragma once
// A preferences dialog on the headless platform, filled from the store in the order the
// main window's start-up fills it, with helpers to arrange stored values and to read back
// what Done wrote.
#include "app/error_report.h"
#include "app/preference_store.h"
#include "platform/headless/headless_services.h"
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

    // Loads the store and opens the dialog on it: every stored value (or its default) goes
    // into its control through the control's own events.
    FrmPrefs& start() {
        store.load();
        prefs = std::make_unique<FrmPrefs>(hs.services, store);
        prefs->load();
        hs.registry.clearCalls();
        return *prefs;
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
    app::PreferenceStore store{hs.services};
    ui::Form mainWindow{hs.ui, "frmMain"};
    std::unique_ptr<FrmPrefs> prefs;
};

} // namespace pictorn::prefs_test
