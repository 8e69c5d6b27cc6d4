#include "net/upload_source.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace pictorn::net {

namespace {

std::filesystem::path pathFromUtf8(const std::string& utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

std::FILE* openForReading(const std::filesystem::path& path) {
#ifdef _WIN32
    return _wfopen(path.c_str(), L"rb");
#else
    return std::fopen(path.c_str(), "rb");
#endif
}

} // namespace

bool MemoryUploadSource::read(std::span<char> buffer, std::size_t& got, std::string&) {
    got = std::min(buffer.size(), bytes_.size() - position_);
    std::memcpy(buffer.data(), bytes_.data() + position_, got);
    position_ += got;
    return true;
}

std::unique_ptr<FileUploadSource> FileUploadSource::open(const std::string& utf8Path,
                                                         std::string& error) {
    const std::filesystem::path path = pathFromUtf8(utf8Path);
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) {
        error = "\"" + utf8Path + "\" is a folder, not a file";
        return nullptr;
    }
    const std::uintmax_t size = std::filesystem::file_size(path, ec);
    if (ec) {
        error = "cannot read \"" + utf8Path + "\": " + ec.message();
        return nullptr;
    }
    std::FILE* file = openForReading(path);
    if (file == nullptr) {
        error = "cannot open \"" + utf8Path + "\": " + std::strerror(errno);
        return nullptr;
    }
    return std::unique_ptr<FileUploadSource>(new FileUploadSource(file, size));
}

FileUploadSource::~FileUploadSource() {
    std::fclose(file_);
}

bool FileUploadSource::read(std::span<char> buffer, std::size_t& got, std::string& error) {
    got = std::fread(buffer.data(), 1, buffer.size(), file_);
    if (got < buffer.size() && std::ferror(file_)) {
        error = std::string("the local file could not be read: ") + std::strerror(errno);
        return false;
    }
    return true;
}

bool FileUploadSource::rewind(std::string& error) {
    std::clearerr(file_);
    if (std::fseek(file_, 0, SEEK_SET) != 0) {
        error = "the local file could not be read again";
        return false;
    }
    return true;
}

} // namespace pictorn::net
