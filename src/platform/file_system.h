#pragma once
// Files, folders and path names. Paths are UTF-8 Windows paths (backslashes, drive
// letters or UNC roots); the Windows implementation converts them at the boundary.
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace pictorn::platform {

inline constexpr std::uint32_t kAttrDirectory = 0x10;

// Makes a file's content piece by piece, handing each piece to `write` as it is made.
using ContentSource =
    std::function<void(const std::function<void(std::span<const std::uint8_t>)>& write)>;

class FileSystem {
public:
    virtual ~FileSystem() = default;
    // True when the file can be opened for reading (and it is closed again).
    virtual bool canOpenForReading(std::string_view path) = 0;
    // The attributes of a path, or nothing when it cannot be read.
    virtual std::optional<std::uint32_t> attributes(std::string_view path) = 0;
    // Attributes of the directory entry found by searching for exactly this name.
    virtual std::optional<std::uint32_t> findEntryAttributes(std::string_view path) = 0;
    virtual bool createDirectory(std::string_view path) = 0;
    // The full path of a path; on failure returns the system error code (0 on success).
    virtual std::uint32_t fullPathName(std::string_view path, std::string& fullPath) = 0;
    // The short (8.3) form, or the path itself when the file system has none.
    virtual std::string shortPathName(std::string_view path) = 0;
    // The system's message for an error code, without trailing line breaks; empty if none.
    virtual std::string systemErrorText(std::uint32_t code) = 0;
    // The whole content of a file, or nothing when it cannot be opened or read.
    virtual std::optional<std::vector<std::uint8_t>> readFile(std::string_view path) = 0;
    // Creates or replaces a file so that it never holds half a write: the bytes go to a
    // temporary file in the same folder, which then takes the target's place. On any failure
    // the temporary file is removed and an existing target keeps its old content. Returns 0
    // or the system error code.
    virtual std::uint32_t writeFileReplacing(std::string_view path,
                                             std::span<const std::uint8_t> bytes) = 0;
    // The same with the content made while it is written, so that it need never be whole in
    // memory. When `content` throws, nothing is replaced and the exception passes on. This
    // default gathers the pieces first.
    virtual std::uint32_t writeFileReplacingFrom(std::string_view path,
                                                 const ContentSource& content) {
        std::vector<std::uint8_t> bytes;
        content([&](std::span<const std::uint8_t> piece) {
            bytes.insert(bytes.end(), piece.begin(), piece.end());
        });
        return writeFileReplacing(path, bytes);
    }
    // Removes the temporary files that replacing writes left in a folder when they were cut
    // short (see temporary_names.h), except those a write in progress still uses; anything
    // else in the folder is never touched. writeFileReplacing does this for its own folder
    // first. Returns how many were removed; failures are silent.
    virtual int removeStaleTemporaryFiles(std::string_view folder) = 0;
    // Makes an empty file and closes it again, only when nothing of that name exists: an
    // existing file is never opened. Returns 0 or the system error code (80 when taken).
    virtual std::uint32_t createNewFile(std::string_view path) = 0;
    // Deletes a file (never a folder). Returns 0 or the system error code.
    virtual std::uint32_t deleteFile(std::string_view path) = 0;
};

} // namespace pictorn::platform
