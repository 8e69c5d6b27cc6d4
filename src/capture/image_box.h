#pragma once
// The main window's image control: it holds and shows the current picture and performs
// every output of it -- loading the temporary bitmap, saving in the seven file types,
// copying to the clipboard and printing. Failures are raised as AppError; the three the
// program's handlers expect by number (an unwritable save path, a busy clipboard, no
// default printer) carry errors::kUnexpected.
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
    // .tif, any letter case; .jpeg and .tiff too), creating or replacing the file. The file is
    // replaced only once the whole new content is on the disk, so a failed save leaves an existing
    // file as it was. An unknown extension raises errors::kInvalidProcedureCall; a full disk raises
    // errors::kDiskFull; any other path that cannot be written raises errors::kUnexpected.
    // Waits for the writes in progress first, so it never races one of them.
    void savePictureFile(std::string_view path);

    // The same save of the picture shown now, encoded and written by the background worker
    // in the order asked: returns at once. The picture is shared, never copied, and stays
    // as it is (pictures are immutable once shown). These are the files a capture writes
    // while the user waits for them, so a PNG takes imaging::quickPngSettings() (the pixels
    // are the same, the file a little larger). An extension that is not one of ours
    // raises here; a write that fails later calls `failed` on the user-interface thread,
    // once, when the worker is done or when waitForWrites finds it.
    void savePictureFileInBackground(std::string_view path,
                                     std::function<void(const AppError&)> failed);
    // Returns once no background write is in progress, after telling those that failed.
    // Whatever reads or replaces the files a capture writes calls it first.
    void waitForWrites();

    // Quality of later JPEG saves, 1 to 100; other values raise 380.
    int jpegQuality() const { return jpegQuality_; }
    void setJpegQuality(int quality);

    // Puts the picture on the clipboard; a clipboard that another program holds raises
    // errors::kUnexpected.
    void copyPictureToClipboard();

    // The print job's name (empty: "Picture").
    const std::string& printTitle() const { return printTitle_; }
    void setPrintTitle(std::string title) { printTitle_ = std::move(title); }
    // On: the picture fills the printable page (keeping its proportions); off: it prints
    // at its screen size, shrunk only when it does not fit.
    bool printOption() const { return printOption_; }
    void setPrintOption(bool on) { printOption_ = on; }
    // Prints the picture on the default printer; no default printer raises
    // errors::kUnexpected.
    void printPicture();

    // The format savePictureFile would use for a path, from its extension.
    static std::optional<imaging::ImageFormat> formatForPath(std::string_view path);

private:
    const imaging::Picture& currentPicture(std::string_view action) const;
    imaging::ImageFormat formatOrRaise(std::string_view path) const;
    void reportFailedWrites();

    // Failed background writes not yet told, shared with the jobs on the worker.
    struct FailedWrites;
    std::shared_ptr<FailedWrites> failedWrites_;
    platform::FileSystem& files_;
    platform::Clipboard& clipboard_;
    platform::Printers& printers_;
    platform::BackgroundWork& background_;
    int jpegQuality_ = 90;
    std::string printTitle_;
    bool printOption_ = false;
};

} // namespace pictorn::capture
