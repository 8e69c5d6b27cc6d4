#include "app/file_paths.h"

#include "platform/app_error.h"
#include "text/ascii.h"

namespace pictorn::app {

std::string SystemErrorText(platform::FileSystem& files, std::uint32_t code) {
    return files.systemErrorText(code);
}

void RaiseSystemError(platform::FileSystem& files, platform::Shell& shell, std::uint32_t code) {
    // Unsigned arithmetic wraps like the 32-bit error numbers do, without overflow.
    const auto number =
        static_cast<std::int32_t>(static_cast<std::uint32_t>(errors::kSystemErrorBase) + code);
    throw AppError(number, SystemErrorText(files, code), shell.programName() + ".Windows");
}

void ParsePathParts(platform::FileSystem& files, platform::Shell& shell, std::string_view fullPath,
                    std::size_t& nameStart, std::size_t& rootEnd, std::size_t& extensionStart) {
    const std::size_t length = fullPath.size();
    // 1-based access; position 0 and positions past the end read as nothing.
    auto at = [&](std::size_t position) {
        return fullPath[position - 1];
    };
    rootEnd = 0;
    if (length > 0) {
        const auto first = static_cast<unsigned char>(text::asciiUpper(at(1)));
        if (first > 'Z') {
            if (!fullPath.starts_with("\\\\")) {
                RaiseSystemError(files, shell, kErrorBadPathName);
            }
            const auto serverEnd = fullPath.find('\\', 2);
            if (serverEnd != std::string_view::npos) {
                const auto shareEnd = fullPath.find('\\', serverEnd + 1);
                rootEnd = shareEnd == std::string_view::npos ? 0 : shareEnd + 1;
            }
        } else if (first >= 'A' && fullPath.substr(1, 2) == ":\\") {
            rootEnd = 3;
        }
    }
    extensionStart = length + 1;
    // Without a backslash past the root the name is everything after the root.
    nameStart = rootEnd + 1;
    bool dotSeen = false;
    for (std::size_t position = length; position >= 1 && position >= rootEnd; --position) {
        if (at(position) == '.' && !dotSeen) {
            extensionStart = position;
            dotSeen = true;
        } else if (at(position) == '\\') {
            nameStart = position + 1;
            break;
        }
    }
}

std::string GetFullPath(platform::FileSystem& files, platform::Shell& shell, std::string_view path,
                        std::size_t& nameStart, std::size_t& extensionStart, std::size_t& rootEnd) {
    std::string fullPath;
    if (const std::uint32_t code = files.fullPathName(path, fullPath); code != 0) {
        RaiseSystemError(files, shell, code);
    }
    ParsePathParts(files, shell, fullPath, nameStart, rootEnd, extensionStart);
    return fullPath;
}

namespace {

// The full path's characters from a 1-based position on ("" past the end).
std::string from(const std::string& text, std::size_t position) {
    return position > text.size() ? std::string() : text.substr(position - 1);
}

} // namespace

std::string GetFileName(platform::FileSystem& files, platform::Shell& shell,
                        std::string_view path) {
    if (path.empty()) {
        return {};
    }
    std::size_t nameStart = 0, extensionStart = 0, rootEnd = 0;
    const std::string fullPath =
        GetFullPath(files, shell, path, nameStart, extensionStart, rootEnd);
    return from(fullPath, nameStart);
}

std::string GetFileExtension(platform::FileSystem& files, platform::Shell& shell,
                             std::string_view path) {
    if (path.empty()) {
        return {};
    }
    std::size_t nameStart = 0, extensionStart = 0, rootEnd = 0;
    const std::string fullPath =
        GetFullPath(files, shell, path, nameStart, extensionStart, rootEnd);
    return from(fullPath, extensionStart);
}

} // namespace pictorn::app
