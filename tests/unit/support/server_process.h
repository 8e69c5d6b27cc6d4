#pragma once
// Local helper servers for the network tests: a python script started as a child process
// that prints "PORT <n>" on its stdout once it listens. The server is stopped (by its
// process id) when the object goes away.
#include <cstdint>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace pictorn::test {

// Where a script under tests/unit lives ("net/servers/echo_server.py").
std::string testScriptPath(const std::string& relative);

class ServerProcess {
public:
    // Runs `/usr/bin/python3 script args...` and waits up to timeoutMs for its PORT line.
    ServerProcess(const std::string& script, const std::vector<std::string>& args,
                  int timeoutMs = 10000);
    ~ServerProcess();
    ServerProcess(const ServerProcess&) = delete;
    ServerProcess& operator=(const ServerProcess&) = delete;

    // True once the PORT line came; otherwise error() says why.
    bool started() const noexcept { return port_ != 0; }
    std::uint16_t port() const noexcept { return port_; }
    pid_t pid() const noexcept { return pid_; }
    // Why the server did not start, with what it wrote on stderr.
    const std::string& error() const noexcept { return error_; }
    // Everything the server has written on stderr so far.
    std::string stderrText() const;
    // The next line the server prints on stdout (without the line end), waiting up to
    // timeoutMs; nothing on timeout or when its stdout has closed.
    std::optional<std::string> readLine(int timeoutMs);
    // Stops the server now (TERM, then KILL after two seconds) and waits for it.
    void stop();

private:
    pid_t pid_ = -1;
    int stdout_ = -1;
    int stderr_ = -1; // an unlinked temporary file the server writes its stderr into
    std::string pending_;
    std::uint16_t port_ = 0;
    std::string error_;
};

// Runs a program to completion (up to timeoutMs, then kills it). Returns its exit status,
// or -1 when it could not start, was killed or timed out; `output` gets stdout and stderr.
int runProgram(const std::vector<std::string>& argv, std::string& output, int timeoutMs = 30000);

} // namespace pictorn::test
