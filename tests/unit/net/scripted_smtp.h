#pragma once
// An in-memory server for protocol tests: each read hands out the next scripted reply
// (in pieces of at most `chunk` bytes, to exercise reassembly); everything the client
// writes is recorded, with a marker where TLS started.
#include "platform/network.h"

#include <chrono>
#include <deque>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace pictorn::net::mail_testing {

struct Script {
    std::deque<std::string> replies; // one per read the client will do
    platform::NetResult tls;         // what startTls answers
    bool tlsUpWhenRefused = false;   // a refused certificate leaves the session up
    std::size_t chunk = 1 << 20;
    int readDelayMs = 0; // each read waits this long first, as a slow server's would
    platform::NetStatus whenSilent = platform::NetStatus::TimedOut; // once the replies run out
    // Shared with the stream, so a test can look after the client has closed it.
    std::string written;
    bool closed = false;
    std::vector<int> readTimeouts;
};

class ScriptedStream : public platform::ByteStream {
public:
    explicit ScriptedStream(Script& script) : script_(script) {}

    platform::NetResult readSome(std::span<char> buffer, int timeoutMs,
                                 const platform::AbortCheck& abort) override {
        script_.readTimeouts.push_back(timeoutMs);
        std::this_thread::sleep_for(std::chrono::milliseconds(script_.readDelayMs));
        if (abort && abort()) {
            return {platform::NetStatus::Aborted, 0, {}};
        }
        if (script_.replies.empty()) {
            return {script_.whenSilent, 0, {}};
        }
        std::string& next = script_.replies.front();
        const std::size_t n = std::min({buffer.size(), next.size(), script_.chunk});
        std::copy_n(next.begin(), n, buffer.begin());
        next.erase(0, n);
        if (next.empty()) {
            script_.replies.pop_front();
        }
        return {platform::NetStatus::Ok, n, {}};
    }
    platform::NetResult writeAll(std::string_view data, int, const platform::AbortCheck&) override {
        script_.written += data;
        return {platform::NetStatus::Ok, data.size(), {}};
    }
    platform::NetResult startTls(const std::string& hostName, int,
                                 const platform::AbortCheck&) override {
        script_.written += "<TLS " + hostName + ">";
        tls_ = script_.tls.ok() || script_.tlsUpWhenRefused;
        return script_.tls;
    }
    bool isTls() const noexcept override { return tls_; }
    platform::Address localAddress() const override { return {"127.0.0.1", 40000}; }
    platform::Address peerAddress() const override { return {"127.0.0.1", 25}; }
    void close() noexcept override { script_.closed = true; }

private:
    Script& script_;
    bool tls_ = false;
};

// Hands out one scripted stream per port; ports without a script refuse.
class ScriptedNetwork : public platform::Network {
public:
    platform::NetResult connect(std::unique_ptr<platform::ByteStream>& connected,
                                const std::string& host, std::uint16_t port, int timeoutMs,
                                const platform::AbortCheck&) override {
        attempts.push_back(host + ":" + std::to_string(port));
        connectTimeouts.push_back(timeoutMs);
        const auto it = scripts.find(port);
        if (it == scripts.end()) {
            return {platform::NetStatus::Refused, 0, "connection refused"};
        }
        connected = std::make_unique<ScriptedStream>(it->second);
        return {};
    }
    platform::NetResult listen(std::unique_ptr<platform::Listener>&, const std::string&) override {
        return {platform::NetStatus::Failed, 0, "not scripted"};
    }

    std::map<std::uint16_t, Script> scripts;
    std::vector<std::string> attempts;
    std::vector<int> connectTimeouts;
};

} // namespace pictorn::net::mail_testing
