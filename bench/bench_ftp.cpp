// One upload with our FTP client, the way the FTP window does it: progress callback and
// abort check on. Built natively on the POSIX transport and for Windows on Winsock.
// Prints "<bytes per second> <abort checks> checks, <progress> progress calls".
// Usage: bench_ftp host:port user password local-file remote-name [active]
#include "net/ftp_session.h"
#ifdef _WIN32
#include "platform/win32/win32_network.h"
#else
#include "platform/posix/posix_network.h"
#endif

#include <chrono>
#include <cstdio>
#include <string>

int main(int argc, char** argv) {
    if (argc < 6) {
        std::fprintf(stderr, "usage: bench_ftp host:port user password local-file remote-name "
                             "[active]\n");
        return 2;
    }
    using namespace pictorn::net;
#ifdef _WIN32
    pictorn::platform::win32::Win32Network network;
#else
    pictorn::platform::posix::PosixNetwork network;
#endif
    long checks = 0;
    long progressCalls = 0;
    FtpSession ftp(network, [&] {
        ++checks;
        return false;
    });
    const bool passive = !(argc > 6 && std::string(argv[6]) == "active");
    FtpResult r = ftp.connect({argv[1], argv[2], argv[3], passive});
    const auto start = std::chrono::steady_clock::now();
    std::uint64_t bytes = 0;
    if (r.ok()) {
        r = ftp.putFile(argv[4], argv[5], [&](const PutProgress& p) {
            ++progressCalls;
            bytes = p.bytesSent;
        });
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    ftp.quit();
    if (!r.ok()) {
        std::fprintf(stderr, "%s\n%s", r.error.c_str(), ftp.log().c_str());
        return 1;
    }
    std::printf("%.0f %ld checks, %ld progress calls\n", static_cast<double>(bytes) / seconds,
                checks, progressCalls);
    return 0;
}
