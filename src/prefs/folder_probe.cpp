#include "prefs/folder_probe.h"

#include "app/app_data.h"

namespace pictorn::prefs {
namespace {

constexpr int kMaxAttempts = 100;

// System error codes, as the file system reports them.
constexpr std::uint32_t kFileExists = 80;
constexpr std::uint32_t kAlreadyExists = 183;
constexpr std::uint32_t kAccessDenied = 5;
constexpr std::uint32_t kWriteProtect = 19;
constexpr std::uint32_t kSharingViolation = 32;
constexpr std::uint32_t kLockViolation = 33;
constexpr std::uint32_t kHandleDiskFull = 39;
constexpr std::uint32_t kCannotMake = 82;
constexpr std::uint32_t kDiskFull = 112;

// The failures that mean "this place does not take new files", as opposed to a path that
// leads nowhere.
bool refusesWriting(std::uint32_t code) {
    switch (code) {
    case kAccessDenied:
    case kWriteProtect:
    case kSharingViolation:
    case kLockViolation:
    case kHandleDiskFull:
    case kCannotMake:
    case kDiskFull:
        return true;
    default:
        return false;
    }
}

} // namespace

std::string probeFileName(int attempt) {
    return attempt == 0 ? std::string("test.txt") : "test_" + std::to_string(attempt) + ".txt";
}

ProbeResult probeFolderForWriting(platform::FileSystem& files, std::string_view folder) {
    const std::string base = app::AddTrailingBackslash(folder);
    for (int attempt = 0; attempt < kMaxAttempts; ++attempt) {
        const std::string path = base + probeFileName(attempt);
        // A name in use (even by a folder) is skipped; creating "new only" closes the gap
        // between this look and the creation.
        if (files.attributes(path))
            continue;
        const std::uint32_t code = files.createNewFile(path);
        if (code == 0) {
            files.deleteFile(path);
            return ProbeResult::Writable;
        }
        if (code == kFileExists || code == kAlreadyExists)
            continue;
        return refusesWriting(code) ? ProbeResult::Refused : ProbeResult::Unreachable;
    }
    return ProbeResult::Unreachable;
}

} // namespace pictorn::prefs
