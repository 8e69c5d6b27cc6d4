#pragma once
// Helpers for uploading several files in one session: distinct remote names, and one
// outcome that names every file that did not arrive.
#include <string>
#include <vector>

namespace pictorn::net {

// The remote name for each file name, in order. A name already given to an earlier entry
// (compared without regard to ASCII letter case, as Windows servers do) gets "_2", "_3", ...
// before its extension: {"a.png", "a.png", "b"} -> {"a.png", "a_2.png", "b"}. A suffixed
// name never takes a name that another entry carries as its own.
std::vector<std::string> uniqueRemoteNames(const std::vector<std::string>& fileNames);

// Collects the result of each put; a session is a success only when every file arrived.
class UploadOutcome {
public:
    void add(const std::string& remoteName, bool arrived, const std::string& error = {});
    bool allArrived() const noexcept { return failed_.empty(); }
    std::size_t count() const noexcept { return count_; }
    const std::vector<std::string>& failedNames() const noexcept { return failed_; }
    // Empty when all arrived; otherwise lines joined by CR LF: "Not uploaded: a.png, b.png"
    // followed by the error of each failed put.
    std::string failureText() const;

private:
    std::size_t count_ = 0;
    std::vector<std::string> failed_;
    std::vector<std::string> errors_;
};

} // namespace pictorn::net
