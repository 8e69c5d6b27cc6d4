// What follows every capture: the temporary bitmap, the picture shown, the sound and the
// automatic save under a time-stamped name.
#include "app/app_data.h"
#include "app/conversions.h"
#include "app/error_report.h"
#include "app/global_routines.h"
#include "app/program_sound.h"
#include "imaging/encoder.h"
#include "mainwindow/frm_main.h"
#include "platform/stage_log.h"

#include <array>
#include <cstdio>

namespace pictorn {
std::string FrmMain::tempPicturePath() {
    return app::AppDataFolder(services_.files, services_.shell, services_.shell.programFolder()) +
           "tmpPictorn.bmp";
}

std::string FrmMain::timeStamp() {
    const platform::LocalTime t = services_.clock.now();
    char text[16];
    std::snprintf(text, sizeof text, "%02d%02d%02d_%02d%02d%02d", t.year % 100, t.month, t.day,
                  t.hour, t.minute, t.second);
    return text;
}

bool FrmMain::saveTempandShowPicture(imaging::Picture picture) {
    // The files of the capture before are whole before this one's are started: their names
    // are taken and nothing is written twice at once.
    ImageBox1.waitForWrites();
    platform::markStage("earlier writes waited for");
    // The capture is shown at once, from memory, and every later step (the auto-save above
    // all) works on this picture, never on the one before it. Its files are written
    // meanwhile, off this thread: the auto-saved one first, as the user waits for it; the
    // temporary bitmap is only read by the hand-offs, and they wait for every write.
    ImageBox1.setPicture(frames_.share(std::move(picture)));
    platform::markStage("picture set");
    const bool autoSaveDue = preferences().autoSave && !startAutoSave();
    app::trap(services_.messageBox, "saveTempandShowPicture", [&] {
        ImageBox1.savePictureFileInBackground(
            tempPicturePath(), jpegQuality(), [this](const AppError& e) {
                app::showErrorReport(services_.messageBox, e, "saveTempandShowPicture");
            });
    });
    return autoSaveDue;
}

void FrmMain::TimerRandomName_Timer() {
    myRandomName_ = timeStamp();
}

void FrmMain::AutoSave() {
    if (startAutoSave())
        return;
    services_.messageBox.show(
        "The location you have chosen to automatically save screenshots to is not available "
        "(anymore).         \r\nIn the Preferences window, under the [Save & Edit] tab at "
        "[Auto Save], please pick another folder.    ",
        platform::mb::kIconExclamation, "Folder for screenshots unavailable");
    showPreferences();
}

bool FrmMain::startAutoSave() {
    const app::Preferences& p = preferences();
    if (!app::FolderExists(services_.files, p.defaultFolder))
        return false;
    app::trap(services_.messageBox, "frmMain - AutoSave", [&] {
        const std::string folder = app::AddTrailingBackslash(p.defaultFolder);
        const std::string prefix = app::trim(p.prefix);
        // The preferences then show what an empty prefix stands for.
        if (p.prefix.empty() || p.prefix == " ")
            store_.change([](app::Preferences& values) { values.prefix = app::kDefaultPrefix; });
        const std::string extension(app::pictureExtension(p.extensionIndex));
        // The timer refreshes the stamp twice a second; before its first tick there is none
        // yet, so take the time now rather than write a name without one.
        if (myRandomName_.empty())
            myRandomName_ = timeStamp();
        Filename_ = uniqueName(folder + prefix + myRandomName_, extension);
        ImageBox1.savePictureFileInBackground(Filename_, p.jpegQuality, [this](const AppError& e) {
            app::showErrorReport(services_.messageBox, e, "frmMain - AutoSave");
        });
    });
    return true;
}

std::string FrmMain::uniqueName(const std::string& stem, const std::string& extension) {
    // Two captures within one second must not overwrite each other.
    std::string candidate = stem + extension;
    for (int n = 2; app::FileExists(services_.files, candidate) ||
                    services_.files.attributes(candidate).has_value();
         ++n)
        candidate = stem + "_" + std::to_string(n) + extension;
    return candidate;
}

void FrmMain::PlaySound(std::string_view soundFile) {
    app::playProgramSound(services_, soundFile);
}

} // namespace pictorn
