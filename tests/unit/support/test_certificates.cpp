#include "support/test_certificates.h"

#include "support/server_process.h"

#include <cstdlib>
#include <filesystem>

namespace pictorn::test {

TestCertificates::TestCertificates() {
    char pattern[] = "/tmp/pictorn-certs-XXXXXX";
    if (const char* made = ::mkdtemp(pattern)) {
        folder_ = made;
    }
}

TestCertificates::~TestCertificates() {
    if (!folder_.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }
}

std::string TestCertificates::certificateFile(const std::string& name) const {
    return folder_ + "/" + name + ".pem";
}

std::string TestCertificates::keyFile(const std::string& name) const {
    return folder_ + "/" + name + ".key";
}

bool TestCertificates::make(const std::string& name, const std::string& hostName,
                            std::string& error, const std::string& altNames) {
    if (folder_.empty()) {
        error = "cannot make a temporary folder";
        return false;
    }
    std::string output;
    const int status = runProgram(
        {"/usr/bin/openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout",
         keyFile(name), "-out", certificateFile(name), "-days", "30", "-subj", "/CN=" + hostName,
         "-addext", "subjectAltName=" + (altNames.empty() ? "DNS:" + hostName : altNames)},
        output);
    if (status != 0) {
        error = "openssl failed: " + output;
        return false;
    }
    return true;
}

bool TestCertificates::makeLocalhostAndOther(std::string& error) {
    return make("localhost", "localhost", error) && make("other", "otherhost.example", error);
}

} // namespace pictorn::test
