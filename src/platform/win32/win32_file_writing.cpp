// Reading a whole file, and replacing a file without ever leaving it half written.
#include "platform/temporary_names.h"
#include "platform/win32/handle.h"
#include "platform/win32/text.h"
#include "platform/win32/win32_file_system.h"

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <mutex>
#include <set>
#include <string>

namespace pictorn::platform::win32 {

namespace {

constexpr DWORD kChunk = 1u << 20;

DWORD lastErrorOr(DWORD fallback) {
    const DWORD error = GetLastError();
    return error != ERROR_SUCCESS ? error : fallback;
}

// The folder part of a full path, with its trailing backslash ("C:\dir\").
std::wstring folderOf(const std::wstring& fullPath) {
    return fullPath.substr(0, fullPath.find_last_of(L'\\') + 1);
}

DWORD writeAll(HANDLE file, std::span<const std::uint8_t> bytes) {
    while (!bytes.empty()) {
        const DWORD wanted = bytes.size() > kChunk ? kChunk : static_cast<DWORD>(bytes.size());
        DWORD written = 0;
        if (!WriteFile(file, bytes.data(), wanted, &written, nullptr)) {
            return lastErrorOr(ERROR_WRITE_FAULT);
        }
        if (written == 0) {
            return ERROR_WRITE_FAULT;
        }
        bytes = bytes.subspan(written);
    }
    return ERROR_SUCCESS;
}

// The temporary files writes of this process are using right now (full paths, lower case),
// so that clearing leftovers on one thread never takes the file another thread is about to
// move into place.
class FilesInUse {
public:
    static FilesInUse& instance() {
        static FilesInUse files;
        return files;
    }
    void add(const std::wstring& path) {
        const std::lock_guard lock(mutex_);
        paths_.insert(lowered(path));
    }
    void remove(const std::wstring& path) {
        const std::lock_guard lock(mutex_);
        paths_.erase(lowered(path));
    }
    bool contains(const std::wstring& path) {
        const std::lock_guard lock(mutex_);
        return paths_.contains(lowered(path));
    }

private:
    static std::wstring lowered(std::wstring text) {
        for (wchar_t& c : text) {
            if (c >= L'A' && c <= L'Z') {
                c = static_cast<wchar_t>(c - L'A' + L'a');
            }
        }
        return text;
    }
    std::mutex mutex_;
    std::set<std::wstring> paths_;
};

// Gives up the claim createTemporaryFile made, however the write ends.
class ReleaseClaim {
public:
    explicit ReleaseClaim(std::wstring path) : path_(std::move(path)) {}
    ~ReleaseClaim() { FilesInUse::instance().remove(path_); }
    ReleaseClaim(const ReleaseClaim&) = delete;
    ReleaseClaim& operator=(const ReleaseClaim&) = delete;

private:
    std::wstring path_;
};

// Makes a new, empty file next to the target under a name nobody else uses. The name is
// short so that even a target name at the length limit leaves room for it.
Handle createTemporaryFile(const std::wstring& folder, std::wstring& tempPath, DWORD& error) {
    static std::atomic<unsigned> counter{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
        const unsigned serial = counter.fetch_add(1);
        tempPath = folder + toWide(temporaryFileName(GetCurrentProcessId(), serial));
        // Claimed before it exists, so a sweep can never catch it between the two.
        FilesInUse::instance().add(tempPath);
        Handle file{CreateFileW(tempPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_NORMAL, nullptr)};
        if (file) {
            return file;
        }
        FilesInUse::instance().remove(tempPath);
        error = lastErrorOr(ERROR_CANNOT_MAKE);
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) {
            return {};
        }
    }
    error = ERROR_CANNOT_MAKE;
    return {};
}

// A virus scanner or indexer may hold the target for a moment; a few short tries ride
// that out, while a file that stays open elsewhere still fails soon.
DWORD moveIntoPlace(const std::wstring& from, const std::wstring& to) {
    for (int attempt = 0;; ++attempt) {
        if (MoveFileExW(from.c_str(), to.c_str(),
                        MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
            return ERROR_SUCCESS;
        }
        const DWORD error = lastErrorOr(ERROR_ACCESS_DENIED);
        if (attempt >= 4 || (error != ERROR_SHARING_VIOLATION && error != ERROR_LOCK_VIOLATION)) {
            return error;
        }
        Sleep(20);
    }
}

} // namespace

std::optional<std::vector<std::uint8_t>> Win32FileSystem::readFile(std::string_view path) {
    if (path.empty()) {
        return std::nullopt;
    }
    const Handle file{CreateFileW(toWide(path).c_str(), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)};
    if (!file) {
        return std::nullopt;
    }
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.get(), &size) || size.QuadPart < 0 ||
        static_cast<unsigned long long>(size.QuadPart) > SIZE_MAX / 2) {
        return std::nullopt;
    }
    std::vector<std::uint8_t> bytes;
    bytes.reserve(static_cast<std::size_t>(size.QuadPart));
    // Read to the end rather than trusting the size: the file may change while we read.
    std::vector<std::uint8_t> chunk(kChunk);
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(file.get(), chunk.data(), kChunk, &got, nullptr)) {
            return std::nullopt;
        }
        if (got == 0) {
            return bytes;
        }
        bytes.insert(bytes.end(), chunk.begin(), chunk.begin() + got);
    }
}

std::uint32_t Win32FileSystem::writeFileReplacing(std::string_view path,
                                                  std::span<const std::uint8_t> bytes) {
    return writeFileReplacingFrom(path, [bytes](const auto& write) { write(bytes); });
}

std::uint32_t Win32FileSystem::writeFileReplacingFrom(std::string_view path,
                                                      const ContentSource& content) {
    if (path.empty()) {
        return ERROR_INVALID_NAME;
    }
    std::string fullUtf8;
    if (const std::uint32_t error = fullPathName(path, fullUtf8); error != ERROR_SUCCESS) {
        return error;
    }
    const std::wstring full = toWide(fullUtf8);
    if (full.empty() || full.back() == L'\\' || full.back() == L'/') {
        return ERROR_INVALID_NAME;
    }
    const DWORD attributes = GetFileAttributesW(full.c_str());
    // A read-only file is the user's "do not change this"; the rename below would ignore it
    // on some systems, so refuse it here as writing into it would be refused.
    if (attributes != INVALID_FILE_ATTRIBUTES &&
        (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)) != 0) {
        return ERROR_ACCESS_DENIED;
    }

    const std::wstring folder = folderOf(full);
    removeStaleTemporaryFiles(toUtf8(folder));
    std::wstring tempPath;
    DWORD error = ERROR_SUCCESS;
    Handle temp = createTemporaryFile(folder, tempPath, error);
    if (!temp) {
        return error;
    }
    const ReleaseClaim claim(tempPath);
    try {
        content([&](std::span<const std::uint8_t> piece) {
            if (error == ERROR_SUCCESS) {
                error = writeAll(temp.get(), piece);
            }
        });
    } catch (...) {
        temp.reset();
        DeleteFileW(tempPath.c_str());
        throw;
    }
    // The rename below is only as safe as the data that is already on the disk.
    if (error == ERROR_SUCCESS && !FlushFileBuffers(temp.get())) {
        error = lastErrorOr(ERROR_WRITE_FAULT);
    }
    // Closing can report a failed delayed write; only a cleanly closed file may replace.
    if (!CloseHandle(temp.release()) && error == ERROR_SUCCESS) {
        error = lastErrorOr(ERROR_WRITE_FAULT);
    }
    if (error == ERROR_SUCCESS) {
        error = moveIntoPlace(tempPath, full);
    }
    if (error != ERROR_SUCCESS) {
        DeleteFileW(tempPath.c_str());
    }
    return error;
}

int Win32FileSystem::removeStaleTemporaryFiles(std::string_view folder) {
    if (folder.empty()) {
        return 0;
    }
    std::wstring base = toWide(folder);
    if (base.back() != L'\\' && base.back() != L'/') {
        base += L'\\';
    }
    WIN32_FIND_DATAW found{};
    const FindHandle search{FindFirstFileW((base + L"~pictorn*.tmp").c_str(), &found)};
    if (!search) {
        return 0;
    }
    int removed = 0;
    do {
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ||
            !isTemporaryFileName(toUtf8(found.cFileName))) {
            continue;
        }
        const std::wstring path = base + found.cFileName;
        // A write of another process still has its file open without sharing, so the
        // delete fails and the file stays; one of ours is skipped by name.
        if (!FilesInUse::instance().contains(path) && DeleteFileW(path.c_str())) {
            ++removed;
        }
    } while (FindNextFileW(search.get(), &found));
    return removed;
}

} // namespace pictorn::platform::win32
