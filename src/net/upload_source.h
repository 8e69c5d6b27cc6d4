#pragma once
// The bytes of one file to upload, read front to back in chunks so that a large file is
// never held in memory whole and the transfer can check for an abort between chunks.
#include <cstdint>
#include <cstdio>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace pictorn::net {

class UploadSource {
public:
    virtual ~UploadSource() = default;
    // The size in bytes as the upload starts (for the percentage).
    virtual std::uint64_t size() const = 0;
    // Fills up to buffer.size() bytes from the current position; 0 at the end. False with
    // a reason when the file cannot be read.
    virtual bool read(std::span<char> buffer, std::size_t& got, std::string& error) = 0;
    // Back to the first byte, for a second attempt under another name.
    virtual bool rewind(std::string& error) = 0;
};

// Bytes already in memory (the tests, and small files the caller holds anyway).
class MemoryUploadSource final : public UploadSource {
public:
    explicit MemoryUploadSource(std::string bytes) : bytes_(std::move(bytes)) {}
    std::uint64_t size() const override { return bytes_.size(); }
    bool read(std::span<char> buffer, std::size_t& got, std::string& error) override;
    bool rewind(std::string&) override {
        position_ = 0;
        return true;
    }

private:
    std::string bytes_;
    std::size_t position_ = 0;
};

// A local file by its UTF-8 path (any Unicode name on Windows too). Opened in open(), kept
// open until destroyed.
class FileUploadSource final : public UploadSource {
public:
    // Nothing, with a reason in `error`, when the file cannot be opened or is a folder.
    static std::unique_ptr<FileUploadSource> open(const std::string& utf8Path, std::string& error);
    ~FileUploadSource() override;
    std::uint64_t size() const override { return size_; }
    bool read(std::span<char> buffer, std::size_t& got, std::string& error) override;
    bool rewind(std::string& error) override;

private:
    FileUploadSource(std::FILE* file, std::uint64_t size) : file_(file), size_(size) {}
    std::FILE* file_;
    std::uint64_t size_;
};

} // namespace pictorn::net
