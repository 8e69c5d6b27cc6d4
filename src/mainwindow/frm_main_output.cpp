// What the user does with the current picture: save it, copy it, print it, or hand it to
// an image editor or Paint.
#include "app/app_data.h"
#include "app/conversions.h"
#include "app/error_report.h"
#include "app/file_paths.h"
#include "app/global_routines.h"
#include "app/preference_table.h"
#include "capture/reported_errors.h"
#include "mainwindow/frm_main.h"
#include "platform/command_line.h"
#include "platform/file_dialogs.h"
#include "platform/stage_log.h"

#include <array>

namespace pictorn {
namespace {

constexpr std::string_view kSaveAsFilter =
    "Windows Bitmap file (*.bmp)|*.bmp|GIF file (*.gif)|*.gif|JPEG file (*.jpg)|*.jpg|PCX file "
    "(*.pcx)|*.pcx|PNG Portable Graphics file (*.png)|*.png|PSD Adobe Photoshop file "
    "(*.psd)|*.psd|TIFF file (*.tif)|*.tif|";
constexpr auto kExclamation = platform::mb::kIconExclamation;

// The editor or Paint could not be started (missing, or refused for another reason than
// access): the user is told where to look instead of getting the error report.
bool cannotStart(const AppError& failure) {
    return failure.kind() == ErrorKind::ProgramMissing || failure.kind() == ErrorKind::CannotStart;
}

} // namespace

// Save and Save As write on the background worker: a large picture in a slow type takes
// seconds, and the window goes on answering meanwhile.
void FrmMain::menuSave_Click() {
    const auto failure = app::catchError([&] {
        ImageBox1.savePictureFileThen(
            Filename_, jpegQuality(), capture::SaveTarget::Existing,
            [this](const capture::SaveOutcome& outcome) { saveFinished(outcome); });
    });
    if (failure)
        app::showErrorReport(services_.messageBox, *failure, "frmMain - menuSave_Click");
}

void FrmMain::saveFinished(const capture::SaveOutcome& outcome) {
    // The file was deleted or moved since: doing nothing would look like a save that
    // worked, so the user picks the place again.
    if (outcome.targetGone) {
        menuSaveAs_Click();
        return;
    }
    if (outcome.error) {
        app::showErrorReport(services_.messageBox, *outcome.error, "frmMain - menuSave_Click");
        return;
    }
    switch (outcome.result.status) {
    case capture::SaveStatus::Saved:
        break;
    case capture::SaveStatus::DiskFull:
        services_.messageBox.show(outcome.result.reason, kExclamation, "Save");
        break;
    case capture::SaveStatus::NotWritable:
        services_.messageBox.show("Your path/file name is invalid.", kExclamation, "Save");
        break;
    }
}

void FrmMain::menuSaveAs_Click() {
    const auto failure = app::catchError([&] {
        if (preferences().keepOnTop)
            setWindowState(ui::WindowState::Minimized);
        std::string index = preferences().saveAsType;
        if (!app::isNumeric(index))
            index = app::defaultPreferences().saveAsType;
        platform::SaveFileRequest request;
        request.title = "Save";
        request.filters = platform::parseFilterList(kSaveAsFilter);
        request.filterIndex = app::toShort(index);
        request.fileName = "Pictorn";
        request.overwritePrompt = true;
        request.pathMustExist = true;
        std::optional<platform::SaveFileAnswer> answer;
        {
            ModalScope modal(*this);
            answer = services_.fileDialogs.saveFile(this, request);
        }
        if (!answer)
            platform::raiseDialogCancelled();
        platform::markStage("save as: dialog closed");
        ImageBox1.savePictureFileThen(
            answer->path, jpegQuality(), capture::SaveTarget::Any,
            [this, path = answer->path](const capture::SaveOutcome& outcome) {
                saveAsFinished(path, outcome);
            });
        platform::markStage("save as: write queued");
    });
    if (failure && failure->kind() != ErrorKind::Cancelled)
        app::showErrorReport(services_.messageBox, *failure, "frmMain - menuSaveAs_Click");
    if (windowState() == ui::WindowState::Minimized)
        setWindowState(ui::WindowState::Normal);
    platform::markStage("save as: command done");
}

void FrmMain::saveAsFinished(const std::string& path, const capture::SaveOutcome& outcome) {
    const auto failure = app::catchError([&] {
        if (outcome.error)
            throw *outcome.error;
        capture::raiseUnlessSaved(outcome.result);
        Filename_ = path;
        menuSave.setEnabled(true);
        const std::string extension =
            app::GetFileExtension(services_.files, services_.shell, Filename_);
        std::string stored = extension;
        for (std::size_t i = 0; i < app::kPictureExtensions.size(); ++i)
            if (extension == app::kPictureExtensions[i])
                stored = std::to_string(i + 1);
        store_.change([&](app::Preferences& p) { p.saveAsType = stored; });
        store_.save(app::Written::AfterSaveAs);
    });
    if (failure)
        app::showErrorReport(services_.messageBox, *failure, "frmMain - menuSaveAs_Click");
    platform::markStage("save as: told");
}

void FrmMain::menuCopyImagetoClipboard_Click() {
    capture::CopyResult copied = capture::CopyResult::Copied;
    const auto failure = app::catchError([&] { copied = ImageBox1.copyPictureToClipboard(); });
    if (failure) {
        app::showErrorReport(services_.messageBox, *failure,
                             "frmMain - menuCopyImagetoClipboard_Click");
        return;
    }
    if (copied == capture::CopyResult::ClipboardBusy) {
        services_.messageBox.show("Cannot open the Clipboard.\r\nAnother application is using "
                                  "the Clipboard and is not releasing it to Pictorn.",
                                  kExclamation, "Oops...");
        return;
    }
    if (menuAutoExit.checked())
        unload();
}

void FrmMain::menuPrint_Click() {
    printingInProgress_ = true;
    hide();
    capture::PrintResult printed = capture::PrintResult::Printed;
    const auto failure = app::catchError([&] {
        if (services_.printers.installed().empty()) {
            services_.messageBox.show("Couldn't locate any printers on your system.", kExclamation,
                                      "Found no printers");
            return;
        }
        ImageBox1.setPrintTitle("Pictorn");
        ImageBox1.setPrintOption(true);
        printed = ImageBox1.printPicture();
    });
    if (failure)
        app::showErrorReport(services_.messageBox, *failure, "frmMain - menuPrint_Click");
    else if (printed == capture::PrintResult::NoDefaultPrinter)
        services_.messageBox.show("There is no default printer currently selected.", kExclamation,
                                  "Print");
    show();
    printingInProgress_ = false;
}

std::string FrmMain::GetShortPath(std::string_view strFilename) {
    std::string shortPath;
    app::trap(services_.messageBox, "frmMain - GetShortPath", [&] {
        if (services_.files.attributes(strFilename))
            shortPath = services_.files.shortPathName(strFilename);
    });
    return shortPath;
}

void FrmMain::menuSendImagetoEditor_Click() {
    const std::string editorNotFound =
        "Could not locate your image editor.\r\n\r\nIn the Preferences window, under the "
        "\"Save & Edit\" tab, please enter a correct path to your image editor, or use the [...] "
        "browse button.";
    const auto failure = app::catchError([&] {
        const std::string& editorPath = preferences().editorPath;
        if (editorPath.empty() || editorPath == app::kEditorPlaceholder) {
            services_.messageBox.show(
                "You haven't defined an image editor.\r\n\r\nIn the Preferences window, under the "
                "[Save & Edit] tab, please select a program you would like to use as image "
                "editor.",
                platform::mb::kIconInformation, "Image Editor not defined yet");
            showPreferences(app::kTabSaveAndEdit);
            return;
        }
        const std::string editor = app::trim(editorPath);
        if (!app::FileExists(services_.files, editor)) {
            services_.messageBox.show(editorNotFound, kExclamation, "Image Editor not found");
            showPreferences(app::kTabSaveAndEdit);
            return;
        }
        if (preferences().keepOnTop)
            setWindowState(ui::WindowState::Minimized);
        const std::string picture = tempPicturePath();
        capture::raiseUnlessSaved(ImageBox1.savePictureFile(picture, jpegQuality()));
        const std::string shortPath = GetShortPath(picture);
        // Both paths quoted: a blank in either would otherwise split the command line.
        services_.launcher.startProgram(
            platform::buildCommandLine(editor, {shortPath.empty() ? picture : shortPath}));
        if (menuAutoExit.checked())
            unload();
    });
    if (!failure)
        return;
    if (cannotStart(*failure)) {
        services_.messageBox.show(editorNotFound, kExclamation, "Image Editor not found");
        if (windowState() == ui::WindowState::Minimized)
            setWindowState(ui::WindowState::Normal);
        showPreferences(app::kTabSaveAndEdit);
        return;
    }
    app::showErrorReport(services_.messageBox, *failure, "frmMain - menuSendImagetoEditor_Click");
    if (windowState() == ui::WindowState::Minimized)
        setWindowState(ui::WindowState::Normal);
}

void FrmMain::menuSendImagetoPaint_Click() {
    const auto failure = app::catchError([&] {
        if (preferences().keepOnTop)
            setWindowState(ui::WindowState::Minimized);
        const std::string picture = tempPicturePath();
        capture::raiseUnlessSaved(ImageBox1.savePictureFile(picture, jpegQuality()));
        const std::string shortPath = GetShortPath(picture);
        std::string paint = app::LocatePaint(services_.files);
        if (paint.empty())
            paint = "msPaint.exe";
        services_.launcher.startProgram(
            platform::buildCommandLine(paint, {shortPath.empty() ? picture : shortPath}));
        if (menuAutoExit.checked())
            unload();
    });
    if (!failure)
        return;
    if (cannotStart(*failure))
        services_.messageBox.show(
            "Could not locate your copy of Paint (mspaint.exe).\r\nPlease make sure it is in your "
            "PATH, or use the \"Send Image to Image Editor\" menu instead.    ",
            kExclamation, "Paint not found");
    else
        app::showErrorReport(services_.messageBox, *failure,
                             "frmMain - menuSendImagetoPaint_Click");
    if (windowState() == ui::WindowState::Minimized)
        setWindowState(ui::WindowState::Normal);
}

} // namespace pictorn
