#pragma once
// Self-signed TLS certificates made with openssl while the tests run, in a temporary folder
// that goes away with the object.
#include <string>

namespace pictorn::test {

class TestCertificates {
public:
    TestCertificates();
    ~TestCertificates();
    TestCertificates(const TestCertificates&) = delete;
    TestCertificates& operator=(const TestCertificates&) = delete;

    // Makes <name>.pem and <name>.key naming `hostName` (common name and DNS alternative
    // name), or with other alternative names ("IP:127.0.0.1,IP:::1"). False with openssl's
    // output in `error` when that fails.
    bool make(const std::string& name, const std::string& hostName, std::string& error,
              const std::string& altNames = {});
    // The pair the TLS tests share: "localhost" for the server they reach, and "other",
    // naming otherhost.example, for a certificate that does not match the host.
    bool makeLocalhostAndOther(std::string& error);
    std::string certificateFile(const std::string& name) const;
    std::string keyFile(const std::string& name) const;

private:
    std::string folder_;
};

} // namespace pictorn::test
