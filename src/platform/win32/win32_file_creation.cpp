// Making and deleting single files, as a write probe does.
#include "platform/win32/handle.h"
#include "platform/win32/text.h"
#include "platform/win32/win32_file_system.h"

#include <windows.h>

namespace pictorn::platform::win32 {

std::uint32_t Win32FileSystem::createNewFile(std::string_view path) {
    if (path.empty())
        return ERROR_INVALID_NAME;
    // CREATE_NEW never opens what is there: the call fails instead.
    const Handle file{CreateFileW(toWide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL, nullptr)};
    if (!file) {
        const DWORD error = GetLastError();
        return error != ERROR_SUCCESS ? error : ERROR_CANNOT_MAKE;
    }
    return ERROR_SUCCESS;
}

std::uint32_t Win32FileSystem::deleteFile(std::string_view path) {
    if (path.empty())
        return ERROR_INVALID_NAME;
    if (DeleteFileW(toWide(path).c_str()))
        return ERROR_SUCCESS;
    const DWORD error = GetLastError();
    return error != ERROR_SUCCESS ? error : ERROR_ACCESS_DENIED;
}

} // namespace pictorn::platform::win32
