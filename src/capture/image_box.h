#pragma once
// The main window's image control: it holds and shows the current picture and performs
// every output of it -- loading the temporary bitmap, saving in the seven file types,
// copying to the clipboard and printing. The failures each command tells the user about in
// words of its own (a path that cannot be written, a full disk, a busy clipboard, no
// default printer) are answered as values; anything else is raised as AppError.
#include "imaging/image_format.h"
#include "imaging/picture.h"
#include "platform/app_error.h"
#include "platform/background_work.h"
#include "platform/clipboard.h"
#include "platform/file_system.h"
#include "platform/printer.h"
#include "platform/ui/picture_view.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace pictorn::platform {
struct Services;
}

namespace pictorn::capture {

// The image control's child-window id in the main window.
inline constexpr int kImageBox1Id = 5000;

enum class SaveStatus {
    Saved,
    NotWritable, // the path cannot be written: no such folder, a folder, read-only, locked ...
    DiskFull,    // the user has to free space, not pick another name
};

// What became of a save.
struct SaveResult {
    SaveStatus status = SaveStatus::Saved;
    std::string reason; // when nothing was saved: "Cannot write "<path>": <the system's words>"
    bool saved() const { return status == SaveStatus::Saved; }
};

// What became of a save made on the worker.
struct SaveOutcome {
    SaveResult result;
    std::optional<AppError> error; // what the write raised (no picture, out of memory ...)
    bool targetGone = false;       // asked to replace an existing file that was not there
};

// Whether a save on the worker may make its file or only replace one that is there.
enum class SaveTarget { Any, Existing };

enum class CopyResult { Copied, ClipboardBusy };
// Why a copy found the clipboard busy, for whoever shows the reason itself.
inline constexpr std::string_view kClipboardBusyReason =
    "Cannot open the clipboard: another program is using it and does not release it.";

enum class PrintResult { Printed, NoDefaultPrinter };

class ImageBox : public ui::PictureView {
public:
    ImageBox(ui::Form* owner, std::string name, int id, platform::FileSystem& files,
             platform::Clipboard& clipboard, platform::Printers& printers,
             platform::BackgroundWork& background);
    ImageBox(ui::Form* owner, std::string name, int id, platform::Services& services);
    // Writes still in progress are finished first: the files they promised are kept.
    ~ImageBox() override;

    bool hasPicture() const { return picture() && !picture()->empty(); }

    // Reads a Windows bitmap file and shows it. A file that cannot be read raises 53, one
    // that is no bitmap raises errors::kInvalidPicture; either way the old picture stays.
    // Waits for the writes in progress first (waitForWrites).
    void loadPictureFile(std::string_view path);

    // Writes the picture in the format its extension names (.bmp .gif .jpg .pcx .png .psd
    // .tif, any letter case; .jpeg and .tiff too), a JPEG in the quality given (1 to 100,
    // other values raise 380 and nothing is written), creating or replacing the file. The file is
    // replaced only once the whole new content is on the disk, so a failed save leaves an existing
    // file as it was. A path that cannot be written and a full disk are answered; an unknown
    // extension raises errors::kInvalidProcedureCall. Waits for the writes in progress first,
    // so it never races one of them.
    [[nodiscard]] SaveResult savePictureFile(std::string_view path, int jpegQuality);

    // The same save of the picture shown now, encoded and written by the background worker
    // in the order asked: returns at once. The picture is shared, never copied, and stays
    // as it is (pictures are immutable once shown). These are the files a capture writes
    // while the user waits for them, so a PNG takes imaging::quickPngSettings() (the pixels
    // are the same, the file a little larger). An extension that is not one of ours
    // raises here; a write that fails later calls `failed` on the user-interface thread,
    // once, when the worker is done or when waitForWrites finds it, with the error the
    // report box shows for it (capture/reported_errors.h).
    void savePictureFileInBackground(std::string_view path, int jpegQuality,
                                     std::function<void(const AppError&)> failed);
    // savePictureFile on the background worker, after the writes already asked for, so the
    // window goes on answering while a large picture is written: returns at once, and
    // `done` runs on the user-interface thread with the outcome, unless this box is gone.
    // An extension that is not one of ours raises here.
    void savePictureFileThen(std::string_view path, int jpegQuality, SaveTarget target,
                             std::function<void(const SaveOutcome&)> done);
    // Fires on the user-interface thread as the first write starts (true) and as the last
    // one ends (false).
    ui::Event<bool> WritingChanged;
    // Returns once no background write is in progress, after telling those that failed.
    // Whatever reads or replaces the files a capture writes calls it first.
    void waitForWrites();

    // Puts the picture on the clipboard, unless another program holds it; a clipboard that
    // cannot take the data raises 7.
    [[nodiscard]] CopyResult copyPictureToClipboard();

    // The print job's name (empty: "Picture").
    const std::string& printTitle() const { return printTitle_; }
    void setPrintTitle(std::string title) { printTitle_ = std::move(title); }
    // On: the picture fills the printable page (keeping its proportions); off: it prints
    // at its screen size, shrunk only when it does not fit.
    bool printOption() const { return printOption_; }
    void setPrintOption(bool on) { printOption_ = on; }
    // Prints the picture on the default printer, if there is one; a print that fails raises
    // the system's error.
    [[nodiscard]] PrintResult printPicture();

    // The format savePictureFile would use for a path, from its extension.
    static std::optional<imaging::ImageFormat> formatForPath(std::string_view path);

private:
    const imaging::Picture& currentPicture(std::string_view action) const;
    imaging::ImageFormat formatOrRaise(std::string_view path) const;
    void reportFailedWrites();
    // Runs `job` on the worker and `done` here, keeping count for WritingChanged.
    void startWrite(std::function<void()> job, std::function<void()> done);

    // Failed background writes not yet told, shared with the jobs on the worker.
    struct FailedWrites;
    std::shared_ptr<FailedWrites> failedWrites_;
    platform::FileSystem& files_;
    platform::Clipboard& clipboard_;
    platform::Printers& printers_;
    platform::BackgroundWork& background_;
    // What the writes' `done` check first: gone once this box starts to go, as its owner
    // is then no longer there to hear of them.
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
    int writesInFlight_ = 0;
    std::string printTitle_;
    bool printOption_ = false;
};

} // namespace pictorn::capture
