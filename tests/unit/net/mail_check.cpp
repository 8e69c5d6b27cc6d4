#include "net/mail_check.h"

#include "support/server_process.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace pictorn::net::mail_testing {

namespace {

std::string unhex(const std::string& hex) {
    if (hex == "-") {
        return {};
    }
    std::string out;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
        out += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
    }
    return out;
}

} // namespace

std::string ReadMail::field(const std::string& key) const {
    const auto it = fields.find(key);
    return it == fields.end() ? std::string() : it->second;
}

std::vector<std::string> ReadMail::all(const std::string& key) const {
    std::vector<std::string> out;
    const auto [first, last] = fields.equal_range(key);
    for (auto it = first; it != last; ++it) {
        out.push_back(it->second);
    }
    return out;
}

ReadMail readMailFile(const std::string& path) {
    ReadMail mail;
    std::string output;
    if (test::runProgram(
            {"/usr/bin/python3", test::testScriptPath("net/servers/eml_summary.py"), path},
            output) != 0) {
        ADD_FAILURE() << "eml_summary.py failed: " << output;
        return mail;
    }
    std::istringstream lines(output);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream words(line);
        std::string key, first, second, type;
        words >> key >> first;
        if (key == "attachment") {
            words >> second >> type;
            const std::string bytes = unhex(second);
            mail.attachments.push_back({unhex(first), {bytes.begin(), bytes.end()}, type});
        } else if (!key.empty()) {
            mail.fields.emplace(key, unhex(first));
        }
        mail.parsed = true;
    }
    return mail;
}

ReadMail readMailBytes(const std::string& bytes) {
    const std::filesystem::path path = std::filesystem::temp_directory_path() /
                                       ("pictorn_mail_" + std::to_string(getpid()) + ".eml");
    {
        std::ofstream file(path, std::ios::binary);
        file << bytes;
    }
    ReadMail mail = readMailFile(path.string());
    std::filesystem::remove(path);
    return mail;
}

} // namespace pictorn::net::mail_testing
