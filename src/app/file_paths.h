#pragma once
// Splitting a Windows path into root, folder, file name and extension. Positions are
// 1-based, as the routines that use them count them.
#include "platform/file_system.h"
#include "platform/shell.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace pictorn::app {

inline constexpr std::uint32_t kErrorBadPathName = 161;

// The file-name part of the full path ("" for ""); raises the system error of GetFullPath.
std::string GetFileName(platform::FileSystem& files, platform::Shell& shell, std::string_view path);
// The extension, dot included, of the full path; "" when the name has no dot.
std::string GetFileExtension(platform::FileSystem& files, platform::Shell& shell,
                             std::string_view path);
// The full path; raises the system error when the system cannot build one.
std::string GetFullPath(platform::FileSystem& files, platform::Shell& shell, std::string_view path,
                        std::size_t& nameStart, std::size_t& extensionStart, std::size_t& rootEnd);
// Root end: 3 for "X:\", the backslash after the share for "\\server\share\", else 0.
// Name start: after the last backslash past the root. Extension start: the last dot of the
// name, or length + 1. A path starting with a character above "Z" that is not "\\"
// raises system error 161.
void ParsePathParts(platform::FileSystem& files, platform::Shell& shell, std::string_view fullPath,
                    std::size_t& nameStart, std::size_t& rootEnd, std::size_t& extensionStart);
// Raises AppError(kSystemErrorBase + code, system text) from "<program>.Windows".
[[noreturn]] void RaiseSystemError(platform::FileSystem& files, platform::Shell& shell,
                                   std::uint32_t code);
std::string SystemErrorText(platform::FileSystem& files, std::uint32_t code);

} // namespace pictorn::app
