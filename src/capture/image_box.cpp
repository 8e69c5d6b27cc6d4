#include "capture/image_box.h"

#include "capture/reported_errors.h"
#include "imaging/bmp_reader.h"
#include "imaging/encoder.h"
#include "platform/app_error.h"
#include "platform/services.h"
#include "platform/stage_log.h"

#include <mutex>
#include <new>
#include <optional>
#include <stdexcept>
#include <utility>
#include <vector>

namespace pictorn::capture {

namespace {

constexpr std::string_view kSource = "Pictorn.ImageBox";
constexpr std::int32_t kInvalidPropertyValue = 380;
constexpr std::uint32_t kErrorHandleDiskFull = 39;
constexpr std::uint32_t kErrorDiskFull = 112;

[[noreturn]] void raise(std::int32_t number, std::string description) {
    throw AppError(number, std::move(description), std::string(kSource));
}

imaging::EncodeOptions encodeOptions(int jpegQuality) {
    if (jpegQuality < 1 || jpegQuality > 100)
        raise(kInvalidPropertyValue, "Invalid property value");
    return {.jpegQuality = jpegQuality};
}

std::string quoted(std::string_view text) {
    return "\"" + std::string(text) + "\"";
}

// Encodes and writes; safe on any thread (the file system's writes are).
SaveResult writePicture(platform::FileSystem& files, const imaging::Picture& picture,
                        const std::string& path, imaging::ImageFormat format,
                        const imaging::EncodeOptions& options) {
    std::uint32_t code = 0;
    try {
        // Encoded while it is written: a bitmap of a large screen is never whole in memory.
        code = files.writeFileReplacingFrom(path, [&](const imaging::ByteSink& write) {
            imaging::encode(picture, format, options, write);
        });
    } catch (const std::length_error&) {
        raise(errors::kInvalidProcedureCall,
              "The picture is too large to be saved as " + quoted(path) + " in this file type.");
    }
    if (code == 0)
        return {};
    std::string reason = files.systemErrorText(code);
    if (reason.empty()) {
        reason = "system error " + std::to_string(code) + ".";
    }
    const bool full = code == kErrorDiskFull || code == kErrorHandleDiskFull;
    return {full ? SaveStatus::DiskFull : SaveStatus::NotWritable,
            "Cannot write " + quoted(path) + ": " + reason};
}

} // namespace

struct ImageBox::FailedWrites {
    std::mutex mutex;
    std::vector<std::pair<AppError, std::function<void(const AppError&)>>> untold;
};

ImageBox::ImageBox(ui::Form* owner, std::string name, int id, platform::FileSystem& files,
                   platform::Clipboard& clipboard, platform::Printers& printers,
                   platform::BackgroundWork& background)
    : PictureView(owner, std::move(name), id), failedWrites_(std::make_shared<FailedWrites>()),
      files_(files), clipboard_(clipboard), printers_(printers), background_(background) {}

ImageBox::ImageBox(ui::Form* owner, std::string name, int id, platform::Services& services)
    : ImageBox(owner, std::move(name), id, services.files, services.clipboard, services.printers,
               services.background) {}

ImageBox::~ImageBox() {
    alive_.reset();
    // The jobs use the file system this box was given; they end before it may go.
    background_.waitIdle();
}

std::optional<imaging::ImageFormat> ImageBox::formatForPath(std::string_view path) {
    const auto nameStart = path.find_last_of("\\/:");
    const std::string_view name =
        nameStart == std::string_view::npos ? path : path.substr(nameStart + 1);
    const auto dot = name.rfind('.');
    if (dot == std::string_view::npos) {
        return std::nullopt;
    }
    const std::string_view extension = name.substr(dot + 1);
    // Windows drops trailing blanks and dots from a file name, so "a.png " is a.png; but the
    // extension itself must be one of ours, letter for letter.
    if (extension.empty() || extension.find_first_of(" .") != std::string_view::npos) {
        return std::nullopt;
    }
    return imaging::formatFromExtension(extension);
}

const imaging::Picture& ImageBox::currentPicture(std::string_view action) const {
    if (!hasPicture()) {
        raise(errors::kInvalidPicture, "There is no picture to " + std::string(action) + ".");
    }
    return *picture();
}

void ImageBox::loadPictureFile(std::string_view path) {
    waitForWrites();
    const auto bytes = files_.readFile(path);
    if (!bytes) {
        raise(errors::kProgramNotFound, "File not found: " + quoted(path));
    }
    auto decoded = imaging::decodeBmp(*bytes);
    if (!decoded || decoded->empty()) {
        raise(errors::kInvalidPicture,
              "Invalid picture: " + quoted(path) + " is not a bitmap file this program can read.");
    }
    setPicture(std::make_shared<const imaging::Picture>(std::move(*decoded)));
}

imaging::ImageFormat ImageBox::formatOrRaise(std::string_view path) const {
    const auto format = formatForPath(path);
    if (!format) {
        raise(errors::kInvalidProcedureCall,
              "Cannot save " + quoted(path) +
                  ": the file type must be .bmp, .gif, .jpg, .pcx, .png, .psd or .tif.");
    }
    return *format;
}

SaveResult ImageBox::savePictureFile(std::string_view path, int jpegQuality) {
    waitForWrites();
    const imaging::Picture& picture = currentPicture("save");
    return writePicture(files_, picture, std::string(path), formatOrRaise(path),
                        encodeOptions(jpegQuality));
}

namespace {

// A write on the worker, with whatever it raised caught: nothing may escape the worker.
SaveOutcome writeCaught(platform::FileSystem& files, const imaging::Picture& picture,
                        const std::string& target, imaging::ImageFormat format,
                        const imaging::EncodeOptions& options) {
    SaveOutcome outcome;
    platform::markStage("write started: " + target);
    try {
        outcome.result = writePicture(files, picture, target, format, options);
    } catch (const AppError& e) {
        outcome.error = e;
    } catch (const std::bad_alloc&) {
        outcome.error = AppError(7, "Out of memory: " + quoted(target) + " could not be written.",
                                 std::string(kSource));
    } catch (const std::exception& e) {
        outcome.result = {SaveStatus::NotWritable,
                          "Cannot write " + quoted(target) + ": " + e.what()};
    }
    platform::markStage("write ended: " + target);
    return outcome;
}

} // namespace

void ImageBox::startWrite(std::function<void()> job, std::function<void()> done) {
    if (writesInFlight_++ == 0)
        ui::fire(WritingChanged, true);
    std::weak_ptr<bool> alive = alive_;
    background_.start(std::move(job), [this, alive, done = std::move(done)] {
        // Only while this box lives: a result that arrives after it is gone is dropped.
        if (!alive.lock())
            return;
        if (--writesInFlight_ == 0)
            ui::fire(WritingChanged, false);
        done();
    });
}

void ImageBox::savePictureFileInBackground(std::string_view path, int jpegQuality,
                                           std::function<void(const AppError&)> failed) {
    currentPicture("save");
    const imaging::ImageFormat format = formatOrRaise(path);
    imaging::EncodeOptions options = encodeOptions(jpegQuality);
    options.quickPng = true;
    std::shared_ptr<const imaging::Picture> shown = picture();
    std::weak_ptr<FailedWrites> told = failedWrites_;
    startWrite(
        [&files = files_, shown, target = std::string(path), format, options, told,
         failed = std::move(failed)] {
            SaveOutcome outcome = writeCaught(files, *shown, target, format, options);
            if (!outcome.error && !outcome.result.saved())
                outcome.error = reportedError(outcome.result);
            if (const auto failures = told.lock(); outcome.error && failures) {
                const std::lock_guard lock(failures->mutex);
                failures->untold.emplace_back(std::move(*outcome.error), failed);
            }
        },
        [this] { reportFailedWrites(); });
}

void ImageBox::savePictureFileThen(std::string_view path, int jpegQuality, SaveTarget target,
                                   std::function<void(const SaveOutcome&)> done) {
    currentPicture("save");
    const imaging::ImageFormat format = formatOrRaise(path);
    const imaging::EncodeOptions options = encodeOptions(jpegQuality);
    auto outcome = std::make_shared<SaveOutcome>();
    startWrite(
        [&files = files_, shown = picture(), path = std::string(path), target, format, options,
         outcome] {
            // Checked here, after the writes before it: a file still being made is there.
            if (target == SaveTarget::Existing) {
                try {
                    outcome->targetGone = !files.canOpenForReading(path);
                } catch (const std::exception&) {
                    outcome->targetGone = true;
                }
                if (outcome->targetGone)
                    return;
            }
            *outcome = writeCaught(files, *shown, path, format, options);
        },
        [outcome, done = std::move(done)] { done(*outcome); });
}

void ImageBox::waitForWrites() {
    background_.waitIdle();
    reportFailedWrites();
}

void ImageBox::reportFailedWrites() {
    std::vector<std::pair<AppError, std::function<void(const AppError&)>>> untold;
    {
        const std::lock_guard lock(failedWrites_->mutex);
        untold.swap(failedWrites_->untold);
    }
    for (const auto& [error, failed] : untold)
        if (failed)
            failed(error);
}

CopyResult ImageBox::copyPictureToClipboard() {
    const imaging::Picture& picture = currentPicture("copy");
    const auto png = imaging::encode(picture, imaging::ImageFormat::Png);
    switch (clipboard_.putPicture(picture, png)) {
    case platform::ClipboardResult::Done:
        return CopyResult::Copied;
    case platform::ClipboardResult::Busy:
        return CopyResult::ClipboardBusy;
    case platform::ClipboardResult::Failed:
        break;
    }
    raise(7, "Out of memory: the picture could not be put on the clipboard.");
}

PrintResult ImageBox::printPicture() {
    const imaging::Picture& picture = currentPicture("print");
    const auto printer = printers_.defaultPrinter();
    if (!printer)
        return PrintResult::NoDefaultPrinter;
    const platform::PrintRequest request{
        .documentName = printTitle_.empty() ? std::string("Picture") : printTitle_,
        .fitToPage = printOption_};
    if (const std::uint32_t code = printers_.printPicture(*printer, picture, request); code != 0) {
        const auto number =
            static_cast<std::int32_t>(static_cast<std::uint32_t>(errors::kSystemErrorBase) + code);
        raise(number,
              "Printing on " + quoted(*printer) + " failed: " + files_.systemErrorText(code));
    }
    return PrintResult::Printed;
}

} // namespace pictorn::capture
