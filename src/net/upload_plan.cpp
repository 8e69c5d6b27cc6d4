#include "net/upload_plan.h"
#include "text/ascii.h"

#include <algorithm>
#include <set>

namespace pictorn::net {

namespace {

// "name.ext" -> "name_<n>.ext"; a leading dot ("".profile") is not an extension.
std::string numbered(const std::string& name, int n) {
    const std::size_t dot = name.rfind('.');
    const std::string suffix = "_" + std::to_string(n);
    if (dot == std::string::npos || dot == 0) {
        return name + suffix;
    }
    return name.substr(0, dot) + suffix + name.substr(dot);
}

} // namespace

std::vector<std::string> uniqueRemoteNames(const std::vector<std::string>& fileNames) {
    std::set<std::string> own;
    for (const std::string& name : fileNames) {
        own.insert(text::asciiLowerCase(name));
    }
    std::set<std::string> taken;
    std::vector<std::string> names;
    names.reserve(fileNames.size());
    for (const std::string& name : fileNames) {
        std::string chosen = name;
        if (taken.count(text::asciiLowerCase(chosen)) != 0) {
            for (int n = 2;; ++n) {
                chosen = numbered(name, n);
                const std::string key = text::asciiLowerCase(chosen);
                if (taken.count(key) == 0 && own.count(key) == 0) {
                    break;
                }
            }
        }
        taken.insert(text::asciiLowerCase(chosen));
        names.push_back(chosen);
    }
    return names;
}

void UploadOutcome::add(const std::string& remoteName, bool arrived, const std::string& error) {
    ++count_;
    if (!arrived) {
        failed_.push_back(remoteName);
        if (!error.empty()) {
            errors_.push_back(error);
        }
    }
}

std::string UploadOutcome::failureText() const {
    if (failed_.empty()) {
        return {};
    }
    std::string text = "Not uploaded: ";
    for (std::size_t i = 0; i < failed_.size(); ++i) {
        text += (i == 0 ? "" : ", ") + failed_[i];
    }
    for (const std::string& error : errors_) {
        text += "\r\n" + error;
    }
    return text;
}

} // namespace pictorn::net
