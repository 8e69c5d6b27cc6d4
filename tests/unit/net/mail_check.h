#pragma once
// What a mail program makes of a mail file: runs Python's email package over it
// (servers/eml_summary.py) and collects the decoded headers, body and attachments.
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace pictorn::net::mail_testing {

struct ReadAttachment {
    std::string fileName;
    std::vector<std::uint8_t> bytes;
    std::string contentType;
};

struct ReadMail {
    bool parsed = false; // the script ran and printed something
    std::multimap<std::string, std::string> fields;
    std::vector<ReadAttachment> attachments;

    // The first value of a field, empty when missing.
    std::string field(const std::string& key) const;
    std::vector<std::string> all(const std::string& key) const;
};

ReadMail readMailFile(const std::string& path);
// Writes the bytes to a temporary file and reads that.
ReadMail readMailBytes(const std::string& bytes);

} // namespace pictorn::net::mail_testing
