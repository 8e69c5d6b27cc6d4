// Making and deleting single files, as a write probe does.
#include "platform/headless/memory_file_system.h"
#include "text/ascii.h"

namespace pictorn::headless {
namespace {

constexpr std::uint32_t kFileNotFound = 2;
constexpr std::uint32_t kPathNotFound = 3;
constexpr std::uint32_t kAccessDenied = 5;
constexpr std::uint32_t kFileExists = 80;

// The folder part of a resolved path ("C:\" for "C:\x"), or empty for a bare root.
std::string parentOf(const std::string& full) {
    const auto slash = full.find_last_of('\\');
    if (slash == std::string::npos || slash + 1 == full.size())
        return {};
    const std::string parent = full.substr(0, slash);
    return parent.size() == 2 && parent[1] == ':' ? parent + "\\" : parent;
}

// The lookup key of a folder: lower case, no trailing backslash but on a drive root.
std::string folderKey(std::string full) {
    while (full.size() > 3 && full.back() == '\\')
        full.pop_back();
    return text::asciiLowerCase(full);
}

} // namespace

void MemoryFileSystem::denyNewFiles(std::string_view folder) {
    if (auto full = resolve(folder))
        foldersDenyingNewFiles_.insert(folderKey(*full));
}

std::uint32_t MemoryFileSystem::createNewFile(std::string_view path) {
    const auto full = resolve(path);
    if (!full)
        return kErrorInvalidName;
    const std::string parent = parentOf(*full);
    if (parent.empty() || !isFolder(parent))
        return kPathNotFound;
    if (exists(*full))
        return kFileExists;
    if (foldersDenyingNewFiles_.contains(folderKey(parent)))
        return kAccessDenied;
    addFile(*full);
    return 0;
}

std::uint32_t MemoryFileSystem::deleteFile(std::string_view path) {
    if (!exists(path))
        return kFileNotFound;
    if (isFolder(path))
        return kAccessDenied;
    remove(path);
    return 0;
}

} // namespace pictorn::headless
