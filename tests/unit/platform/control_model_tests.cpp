// The event rules every window relies on: code and user fire the same events, unchanged
// values fire nothing, and a refused Validate keeps the focus and swallows the action.
#include "platform/app_error.h"
#include "platform/headless/headless_toolkit.h"
#include "platform/ui/controls.h"
#include "platform/ui/form.h"
#include "platform/ui/menu_item.h"
#include "platform/ui/timer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace pictorn;
using namespace pictorn::ui;

namespace {

struct Dialog : Form {
    explicit Dialog(UiToolkit& tk) : Form(tk, "frmTest") {}
    TextBox txtField{this, "txtField", 1};
    TextBox txtOther{this, "txtOther", 2};
    CheckBox chkOption{this, "chkOption", 3};
    Button cmdDone{this, "cmdDone", 4};
    Button cmdBrowse{this, "cmdBrowse", 5};
    ListControl cboList{this, "cboList", 6};
    ScrollBar hsbQuality{this, "hsbQuality", 7};
    TabStrip tabs{this, "tabs", 8};
    Timer tmr{this, "tmr", 9};
};

class ControlModel : public ::testing::Test {
protected:
    headless::HeadlessToolkit toolkit;
    Dialog form{toolkit};
    std::vector<std::string> log;
};

TEST_F(ControlModel, ValuesSetFromCodeFireOnlyWhenChanged) {
    form.chkOption.Click = [&] {
        log.push_back("click");
    };
    form.txtField.Change = [&] {
        log.push_back("change");
    };
    form.hsbQuality.Change = [&] {
        log.push_back("scroll");
    };
    form.cboList.Click = [&] {
        log.push_back("list");
    };
    form.hsbQuality.setRange(1, 100);
    form.cboList.addItem(".bmp");
    form.cboList.addItem(".png");

    form.chkOption.setValue(1);
    form.chkOption.setValue(1);
    form.txtField.setText("abc");
    form.txtField.setText("abc");
    form.hsbQuality.setValue(90);
    form.hsbQuality.setValue(90);
    form.cboList.setListIndex(1);
    form.cboList.setListIndex(1);
    EXPECT_EQ(log, (std::vector<std::string>{"click", "change", "scroll", "list"}));
}

TEST_F(ControlModel, OutOfRangeValuesRaiseInvalidPropertyValue) {
    form.hsbQuality.setRange(1, 100);
    form.cboList.addItem("only");
    EXPECT_THROW(form.hsbQuality.setValue(0), AppError);
    EXPECT_THROW(form.cboList.setListIndex(1), AppError);
    EXPECT_THROW(form.chkOption.setValue(3), AppError);
    try {
        form.tabs.setCurrentTab(5);
        FAIL();
    } catch (const AppError& e) {
        EXPECT_EQ(e.number(), 380);
    }
}

TEST_F(ControlModel, MaxLengthCutsCodePointsNotBytes) {
    form.txtField.setMaxLength(2);
    form.txtField.setText("Error");
    EXPECT_EQ(form.txtField.text(), "Er");
    form.txtField.setText("°²³");
    EXPECT_EQ(form.txtField.text(), "°²");
}

TEST_F(ControlModel, TypingGoesThroughKeyPressAndReplacesTheSelection) {
    form.txtField.KeyPress = [](int& key) {
        if ((key < '0' || key > '9') && key != 8)
            key = 0; // digits and backspace only
    };
    form.txtField.setText("15");
    form.txtField.selectAll();
    form.txtField.typeKey('x');
    EXPECT_EQ(form.txtField.text(), "15");
    form.txtField.typeKey('7');
    EXPECT_EQ(form.txtField.text(), "7");
    form.txtField.typeKey(8);
    EXPECT_EQ(form.txtField.text(), "");
}

TEST_F(ControlModel, CancelledValidateKeepsFocusAndBlocksTheClick) {
    int validations = 0;
    bool done = false;
    form.txtField.Validate = [&](bool& cancel) {
        ++validations;
        cancel = form.txtField.text().empty();
    };
    form.cmdDone.Click = [&] {
        done = true;
    };
    ASSERT_TRUE(form.focus(form.txtField));

    form.cmdDone.click();
    EXPECT_FALSE(done);
    EXPECT_EQ(form.focused(), &form.txtField);

    form.txtField.setText("ok");
    form.cmdDone.click();
    EXPECT_TRUE(done);
    EXPECT_EQ(form.focused(), &form.cmdDone);
    EXPECT_EQ(validations, 2);
}

TEST_F(ControlModel, ControlsThatDoNotCauseValidationTakeFocusWithoutAsking) {
    bool browsed = false;
    form.txtField.Validate = [&](bool& cancel) {
        cancel = true;
    };
    form.cmdBrowse.setCausesValidation(false);
    form.cmdBrowse.Click = [&] {
        browsed = true;
    };
    form.focus(form.txtField);
    form.cmdBrowse.click();
    EXPECT_TRUE(browsed);
}

TEST_F(ControlModel, RefusedValidateBlocksUserPicksToggleAndTabSwitch) {
    form.cboList.addItem("a");
    form.cboList.addItem("b");
    form.tabs.setTabs({"General", "Save & Edit", "Miscellaneous"});
    form.txtField.Validate = [&](bool& cancel) {
        cancel = true;
    };
    form.focus(form.txtField);

    form.cboList.pick(1);
    form.chkOption.click();
    form.tabs.userSelect(2);
    EXPECT_EQ(form.cboList.listIndex(), -1);
    EXPECT_EQ(form.chkOption.value(), 0);
    EXPECT_EQ(form.tabs.currentTab(), 0);
}

TEST_F(ControlModel, FocusEventsFollowTheFocus) {
    form.txtField.GotFocus = [&] {
        log.push_back("got field");
    };
    form.txtField.LostFocus = [&] {
        log.push_back("lost field");
    };
    form.txtOther.GotFocus = [&] {
        log.push_back("got other");
    };
    form.focus(form.txtField);
    form.focus(form.txtField);
    form.focus(form.txtOther);
    EXPECT_EQ(log, (std::vector<std::string>{"got field", "lost field", "got other"}));
}

TEST_F(ControlModel, DisabledMenuEntriesAndStoppedTimersDoNothing) {
    MenuItem entry(&form, "menuSave", 1001, "Save", Shortcut{.ctrl = true, .key = 'S'});
    int clicks = 0, ticks = 0;
    entry.Click = [&] {
        ++clicks;
    };
    form.tmr.Tick = [&] {
        ++ticks;
    };
    entry.setEnabled(false);
    entry.click();
    form.tmr.tick();
    form.tmr.setInterval(500);
    form.tmr.tick();
    entry.setEnabled(true);
    entry.click();
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(ticks, 1);
    EXPECT_EQ(entry.shortcut().text(), "Ctrl+S");
    EXPECT_EQ((Shortcut{.key = kKeyF1}).text(), "F1");
}

TEST_F(ControlModel, UnloadAsksQueryUnloadAndCanBeRefused) {
    bool refuse = true;
    int unloads = 0;
    form.QueryUnload = [&](bool& cancel) {
        cancel = refuse;
    };
    form.Unload = [&] {
        ++unloads;
    };
    form.show();
    EXPECT_FALSE(form.unload());
    EXPECT_TRUE(form.loaded());
    refuse = false;
    EXPECT_TRUE(form.unload());
    EXPECT_FALSE(form.loaded());
    EXPECT_EQ(unloads, 1);
}

TEST_F(ControlModel, ModalShowRunsTheScriptedUserAndReturnsWhenHidden) {
    bool loaded = false;
    form.Load = [&] {
        loaded = true;
    };
    toolkit.onModal("frmTest", [&](Form& f) {
        EXPECT_TRUE(f.visible());
        EXPECT_TRUE(f.modal());
        f.hide();
    });
    form.showModal(nullptr);
    EXPECT_TRUE(loaded);
    EXPECT_FALSE(form.visible());
    EXPECT_FALSE(form.modal());
    EXPECT_EQ(toolkit.modalLog, std::vector<std::string>{"frmTest"});
}

TEST_F(ControlModel, NegativeSizesAreRefused) {
    EXPECT_THROW(form.txtField.setBounds({0, 0, -10, 300}), AppError);
    form.txtField.setBounds({110, 300, 500, 300});
    EXPECT_EQ(form.txtField.bounds().width, 500);
}

} // namespace
