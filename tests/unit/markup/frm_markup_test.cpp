// The mark-up window from the main window's menu, headless: what Enter applies becomes the
// current picture and the temporary bitmap, the auto-saved file keeps the capture, and Esc
// drops changes only when the user agrees.
#include "app/colour.h"
#include "imaging/bmp_reader.h"
#include "mainwindow/frm_main.h"
#include "markup/frm_markup.h"
#include "platform/headless/headless_services.h"
#include "platform/ui/overlay_form.h"

#include <gtest/gtest.h>

#include <memory>

namespace pictorn {
namespace {

constexpr int kLeft = ui::OverlayForm::kLeftButton;

TEST(MarkUpWindow, EnterMakesTheResultCurrentButTheAutoSavedFileKeepsTheCapture) {
    headless::HeadlessServices h;
    h.shell.specialFolders[26] = "C:\\Users\\me\\AppData\\Roaming";
    h.files.addFolder("C:\\Users\\me\\AppData\\Roaming");
    h.files.addFolder("C:\\Program Files\\Pictorn");
    h.files.addFolder("C:\\Shots");
    h.screen.setMonitors({{0, 0, 64, 48}}, 0x336699);
    app::PreferenceStore prefs(h.services);
    FrmMain main(h.services, prefs);
    main.show();
    EXPECT_FALSE(main.menuMarkUpImage.enabled());
    prefs.change([](app::Preferences& p) {
        p.defaultFolder = "C:\\Shots";
        p.autoSave = true;
    });
    main.menuCaptureFullScreen.click();
    ASSERT_TRUE(main.menuMarkUpImage.enabled());
    const auto autoSaved = h.files.contents(main.Filename());
    ASSERT_TRUE(autoSaved);

    // Esc with a change asks; "No" keeps the window and the change, "Yes" drops both.
    h.ui.onModal(markup::kMarkupFormName, [&](ui::Form& f) {
        auto& m = static_cast<markup::FrmMarkup&>(f);
        m.canvas.KeyDown('B', 0);
        m.canvas.MouseDown(kLeft, 0, 4, 4);
        m.canvas.MouseUp(kLeft, 0, 9, 6);
        h.messageBox.answers = {platform::mb::kIdNo, platform::mb::kIdYes};
        m.canvas.KeyDown(markup::kKeyEscape, 0);
        EXPECT_TRUE(m.visible());
        m.canvas.KeyDown(markup::kKeyEscape, 0);
        EXPECT_FALSE(m.visible());
    });
    const auto captured = main.ImageBox1.picture();
    main.menuMarkUpImage.click();
    EXPECT_EQ(main.ImageBox1.picture(), captured);
    EXPECT_EQ(h.messageBox.shown.size(), 2u);

    h.ui.onModal(markup::kMarkupFormName, [&](ui::Form& f) {
        auto& m = static_cast<markup::FrmMarkup&>(f);
        m.canvas.KeyDown('B', 0);
        m.canvas.MouseDown(kLeft, 0, 9, 6);
        m.canvas.MouseUp(kLeft, 0, 4, 4);
        m.canvas.KeyDown(markup::kKeyEnter, 0);
    });
    main.menuMarkUpImage.click();
    main.ImageBox1.waitForWrites();
    const auto shown = main.ImageBox1.picture();
    ASSERT_NE(shown, captured);
    const auto bytes = h.files.contents(
        "C:\\Users\\me\\AppData\\Roaming\\Orvanta software\\Pictorn\\tmpPictorn.bmp");
    ASSERT_TRUE(bytes);
    const auto temp = imaging::decodeBmp(
        std::span(reinterpret_cast<const std::uint8_t*>(bytes->data()), bytes->size()));
    ASSERT_TRUE(temp);
    for (int y = 0; y < 48; ++y) {
        for (int x = 0; x < 64; ++x) {
            const bool black = x >= 4 && x <= 9 && y >= 4 && y <= 6;
            ASSERT_EQ(shown->at(x, y) & imaging::kRgbMask, black ? 0u : 0x336699u);
            ASSERT_EQ(temp->at(x, y) & imaging::kRgbMask, shown->at(x, y) & imaging::kRgbMask);
        }
    }
    EXPECT_EQ(h.files.contents(main.Filename()), autoSaved);
}

// Another window took the pointer mid-drag (one popped up, Alt+Tab): the frame goes, and
// neither moving over the canvas nor a release there of a press made elsewhere draws.
TEST(MarkUpWindow, ADragWhosePointerWasTakenAwayLeavesNothing) {
    headless::HeadlessServices h;
    const auto captured = std::make_shared<const imaging::Picture>(64, 48, 0x336699);
    markup::FrmMarkup m(h.services, captured, app::kRed, [](auto) { FAIL() << "applied"; });
    m.show();
    m.canvas.KeyDown('B', 0);
    m.canvas.MouseDown(kLeft, 0, 4, 4);
    m.canvas.MouseMove(kLeft, 0, 30, 20);
    ASSERT_NE(m.canvas.picture()->pixels, captured->pixels); // the frame is shown

    m.canvas.DragCancelled();
    EXPECT_EQ(m.canvas.picture()->pixels, captured->pixels);
    m.canvas.MouseMove(0, 0, 40, 30);
    m.canvas.MouseUp(kLeft, 0, 40, 30);
    EXPECT_EQ(m.canvas.picture()->pixels, captured->pixels);
    EXPECT_FALSE(m.editor()->document().changed());
    EXPECT_FALSE(m.cmdUndo.enabled());
    m.unload();
}

// Moved to a monitor of 144 DPI, the window draws lines 3 pixels wide, also for the frame
// being dragged when it moves; its first DPI report, as it is made, changes nothing.
TEST(MarkUpWindow, LinesTakeTheWidthOfTheMonitorTheWindowIsOn) {
    headless::HeadlessServices h;
    const auto captured = std::make_shared<const imaging::Picture>(64, 48, 0x336699);
    markup::FrmMarkup m(h.services, captured, app::kRed, [](auto) {});
    m.windowDpiChanged(96);
    m.show();
    ASSERT_EQ(m.editor()->lineWidth(), 2);
    m.canvas.MouseDown(kLeft, 0, 10, 10);
    m.canvas.MouseMove(kLeft, 0, 40, 30);
    m.windowDpiChanged(144);
    EXPECT_EQ(m.editor()->lineWidth(), 3);
    EXPECT_EQ(m.editor()->textHeight(), 30);
    const imaging::Picture& shown = *m.canvas.picture();
    EXPECT_NE(shown.at(12, 20) & imaging::kRgbMask, 0x336699u); // the frame, 3 wide now
    m.canvas.MouseUp(kLeft, 0, 40, 30);
    for (int x = 8; x < 16; ++x) {
        const bool line = x >= 10 && x < 13;
        EXPECT_EQ((shown.at(x, 20) & imaging::kRgbMask) != 0x336699u, line) << x;
    }
    m.windowDpiChanged(96);
    EXPECT_EQ(m.editor()->lineWidth(), 2);
}

} // namespace
} // namespace pictorn
