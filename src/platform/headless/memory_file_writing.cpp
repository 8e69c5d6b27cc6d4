// Whole-file reads and replacing writes of the in-memory file system, with the failures a
// real disk produces (missing folder, locked or read-only target, full disk).
#include "platform/headless/memory_file_system.h"

#include "platform/temporary_names.h"
#include "text/ascii.h"

#include <algorithm>

namespace pictorn::headless {

namespace {

constexpr std::uint32_t kErrorPathNotFound = 3;
constexpr std::uint32_t kErrorAccessDenied = 5;
constexpr std::uint32_t kErrorSharingViolation = 32;
constexpr std::uint32_t kAttrReadOnly = 0x01;

std::string parentOf(const std::string& fullPath) {
    std::string parent = fullPath.substr(0, fullPath.find_last_of('\\'));
    if (parent.ends_with(':')) {
        parent += '\\';
    }
    return parent;
}

} // namespace

std::optional<std::vector<std::uint8_t>> MemoryFileSystem::readFile(std::string_view path) {
    if (!canOpenForReading(path)) {
        return std::nullopt;
    }
    const std::string text = *contents(path);
    return std::vector<std::uint8_t>(text.begin(), text.end());
}

std::uint32_t MemoryFileSystem::writeFileReplacing(std::string_view path,
                                                   std::span<const std::uint8_t> bytes) {
    const auto full = resolve(path);
    if (!full || full->ends_with('\\')) {
        return kErrorInvalidName;
    }
    if (isFolder(*full)) {
        return kErrorAccessDenied;
    }
    const std::string folder = parentOf(*full);
    if (!isFolder(folder)) {
        return kErrorPathNotFound;
    }

    removeStaleTemporaryFiles(folder);
    // The temporary file really exists for a moment, so a test can see that it goes again.
    static std::uint32_t serial = 0;
    const std::string temp = folder + (folder.ends_with('\\') ? "" : "\\") +
                             platform::temporaryFileName(processId, serial++);
    addFile(temp, std::string(bytes.begin(), bytes.end()));

    std::uint32_t error = 0;
    if (auto failing = failingWrites_.find(text::asciiLowerCase(*full));
        failing != failingWrites_.end()) {
        error = failing->second;
    } else if (const Entry* target = find(*full)) {
        if (target->readProtected) {
            error = kErrorSharingViolation;
        } else if ((target->attributes & kAttrReadOnly) != 0) {
            error = kErrorAccessDenied;
        }
    }
    const auto written = contents(temp);
    remove(temp);
    if (error == 0) {
        addFile(*full, *written);
    }
    return error;
}

int MemoryFileSystem::removeStaleTemporaryFiles(std::string_view folder) {
    int removed = 0;
    for (const std::string& path : filesIn(folder)) {
        const std::string name = path.substr(path.find_last_of('\\') + 1);
        if (platform::isTemporaryFileName(name) && !isFolder(path)) {
            remove(path);
            ++removed;
        }
    }
    return removed;
}

void MemoryFileSystem::failWriting(std::string_view path, std::uint32_t code) {
    if (auto full = resolve(path)) {
        failingWrites_[text::asciiLowerCase(*full)] = code;
    }
}

std::vector<std::string> MemoryFileSystem::filesIn(std::string_view folder) const {
    std::vector<std::string> files;
    const auto full = resolve(folder);
    if (!full) {
        return files;
    }
    std::string prefix = text::asciiLowerCase(*full);
    if (!prefix.ends_with('\\')) {
        prefix += '\\';
    }
    for (const auto& [key, entry] : entries_) {
        if (key.starts_with(prefix) && key.find('\\', prefix.size()) == std::string::npos &&
            (entry.attributes & platform::kAttrDirectory) == 0) {
            files.push_back(entry.path);
        }
    }
    return files;
}

} // namespace pictorn::headless
