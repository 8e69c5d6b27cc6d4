#pragma once
#include "platform/file_system.h"

namespace pictorn::platform::win32 {

class Win32FileSystem final : public FileSystem {
public:
    bool canOpenForReading(std::string_view path) override;
    std::optional<std::uint32_t> attributes(std::string_view path) override;
    std::optional<std::uint32_t> findEntryAttributes(std::string_view path) override;
    bool createDirectory(std::string_view path) override;
    std::uint32_t fullPathName(std::string_view path, std::string& fullPath) override;
    std::string shortPathName(std::string_view path) override;
    std::string systemErrorText(std::uint32_t code) override;
    // In win32_file_writing.cpp.
    std::optional<std::vector<std::uint8_t>> readFile(std::string_view path) override;
    std::uint32_t writeFileReplacing(std::string_view path,
                                     std::span<const std::uint8_t> bytes) override;
    std::uint32_t writeFileReplacingFrom(std::string_view path,
                                         const ContentSource& content) override;
    int removeStaleTemporaryFiles(std::string_view folder) override;
    // In win32_file_creation.cpp.
    std::uint32_t createNewFile(std::string_view path) override;
    std::uint32_t deleteFile(std::string_view path) override;
};

} // namespace pictorn::platform::win32
