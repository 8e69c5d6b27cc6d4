#pragma once
// A Windows file system held in memory, for native tests. Paths are resolved as Windows
// resolves them (relative to the current folder, "." and ".." removed, "/" taken as "\")
// and looked up without regard to ASCII letter case, as NTFS does. Drive C: exists from
// the start; other drives and UNC shares exist once something is added below them.
#include "platform/file_system.h"

#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace pictorn::headless {

inline constexpr std::uint32_t kAttrArchive = 0x20;
inline constexpr std::uint32_t kErrorInvalidName = 123;

class MemoryFileSystem : public platform::FileSystem {
public:
    MemoryFileSystem();

    bool canOpenForReading(std::string_view path) override;
    std::optional<std::uint32_t> attributes(std::string_view path) override;
    std::optional<std::uint32_t> findEntryAttributes(std::string_view path) override;
    bool createDirectory(std::string_view path) override;
    std::uint32_t fullPathName(std::string_view path, std::string& fullPath) override;
    std::string shortPathName(std::string_view path) override;
    std::string systemErrorText(std::uint32_t code) override;
    // In memory_file_writing.cpp.
    std::optional<std::vector<std::uint8_t>> readFile(std::string_view path) override;
    std::uint32_t writeFileReplacing(std::string_view path,
                                     std::span<const std::uint8_t> bytes) override;
    int removeStaleTemporaryFiles(std::string_view folder) override;
    // In memory_file_creation.cpp.
    std::uint32_t createNewFile(std::string_view path) override;
    std::uint32_t deleteFile(std::string_view path) override;
    // New files in this folder are refused with "access denied" (a read-only location).
    void denyNewFiles(std::string_view folder);

    // Test helpers; adding creates the missing parent folders.
    void addFolder(std::string_view path);
    void addFile(std::string_view path, std::string contents = {});
    void setAttributes(std::string_view path, std::uint32_t attributes);
    // The file exists but cannot be opened (locked or access denied).
    void protectFromReading(std::string_view path);
    void remove(std::string_view path);
    bool exists(std::string_view path) const;
    bool isFolder(std::string_view path) const;
    std::optional<std::string> contents(std::string_view path) const;
    // createDirectory fails for this path (any existing or missing folder).
    void failCreateDirectory(std::string_view path);
    // The full path Windows would give, or nothing for a path it refuses.
    std::optional<std::string> resolve(std::string_view path) const;
    // writeFileReplacing to this path fails with the code once its temporary file is made
    // (a full disk, a target held open by another program).
    void failWriting(std::string_view path, std::uint32_t code);
    // Full paths of the files directly inside a folder, in name order.
    std::vector<std::string> filesIn(std::string_view folder) const;

    std::string currentDirectory = "C:\\";
    bool failAllCreateDirectory = false;
    std::optional<std::uint32_t> fullPathFailure;  // error code fullPathName returns
    std::map<std::string, std::string> shortNames; // full path as given -> short form
    std::vector<std::string> createdDirectories;   // full paths, in order
    // The process id in the names of this file system's temporary files.
    std::uint32_t processId = 4242;

private:
    struct Entry {
        std::string path;
        std::uint32_t attributes = 0;
        std::string contents;
        bool readProtected = false;
    };
    const Entry* find(std::string_view path) const;
    Entry* find(std::string_view path);
    void addWithParents(const std::string& fullPath, std::uint32_t attributes);

    std::map<std::string, Entry> entries_; // lower-case full path -> entry
    std::set<std::string> failingDirectories_;
    std::map<std::string, std::uint32_t> failingWrites_; // lower-case full path -> code
    std::set<std::string> foldersDenyingNewFiles_;       // lower-case full paths
};

} // namespace pictorn::headless
