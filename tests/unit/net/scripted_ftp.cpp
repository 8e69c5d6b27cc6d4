#include "net/scripted_ftp.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <thread>

namespace pictorn::net::testing {

using platform::AbortCheck;
using platform::Address;
using platform::ByteStream;
using platform::Listener;
using platform::NetResult;
using platform::NetStatus;

namespace {

using Clock = std::chrono::steady_clock;

NetResult status(NetStatus s, std::string detail = {}) {
    NetResult r;
    r.status = s;
    r.detail = std::move(detail);
    return r;
}

class DataStream final : public ByteStream {
public:
    DataStream(ScriptedNetwork& network, std::shared_ptr<DataLog> log)
        : network_(network), log_(std::move(log)) {}
    NetResult readSome(std::span<char>, int, const AbortCheck&) override {
        return status(NetStatus::TimedOut);
    }
    NetResult writeAll(std::string_view bytes, int, const AbortCheck& abort) override {
        ++log_->writes;
        if (abort && abort()) {
            return status(NetStatus::Aborted);
        }
        if (const int rate = network_.data.bytesPerSecond; rate > 0) {
            // Every wait is short, and the abort check is asked in each, as a transport does.
            const Clock::time_point taken =
                Clock::now() + std::chrono::milliseconds(bytes.size() * 1000 / rate);
            while (Clock::now() < taken) {
                if (abort && abort()) {
                    return status(NetStatus::Aborted);
                }
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
            }
        }
        const std::size_t room =
            network_.data.stallAfter == std::string::npos
                ? bytes.size()
                : network_.data.stallAfter - std::min(network_.data.stallAfter, log_->bytes.size());
        log_->bytes.append(bytes.substr(0, std::min(room, bytes.size())));
        if (room < bytes.size()) {
            return status(network_.data.stallStatus);
        }
        NetResult r;
        r.bytes = bytes.size();
        return r;
    }
    NetResult startTls(const std::string& host, int, const AbortCheck&) override {
        network_.tlsHosts.push_back(host);
        log_->tls = network_.tlsResult.ok();
        return network_.tlsResult;
    }
    bool isTls() const noexcept override { return log_->tls; }
    Address localAddress() const override { return network_.controlLocal; }
    Address peerAddress() const override { return network_.controlPeer; }
    void close() noexcept override { log_->closed = true; }
    void abandon() noexcept override { log_->closed = log_->reset = true; }

private:
    ScriptedNetwork& network_;
    std::shared_ptr<DataLog> log_;
};

class ScriptedListener final : public Listener {
public:
    ScriptedListener(ScriptedNetwork& network, Address address)
        : network_(network), address_(std::move(address)) {}
    Address address() const override { return address_; }
    NetResult accept(std::unique_ptr<ByteStream>& accepted, int, const AbortCheck&) override {
        auto log = std::make_shared<DataLog>();
        network_.dataConnections.push_back(log);
        accepted = std::make_unique<DataStream>(network_, log);
        return {};
    }

private:
    ScriptedNetwork& network_;
    Address address_;
};

} // namespace

class ScriptedControl final : public ByteStream {
public:
    explicit ScriptedControl(ScriptedNetwork& network) : network_(network) {
        queue(network.greeting_);
    }
    NetResult readSome(std::span<char> buffer, int timeoutMs, const AbortCheck& abort) override {
        const Clock::time_point until = Clock::now() + std::chrono::milliseconds(timeoutMs);
        while (true) {
            if (incoming_.empty()) {
                // Nothing scripted: a server that says nothing more. Honour an abort first.
                if (abort && abort()) {
                    return status(NetStatus::Aborted);
                }
                return status(hungUp_ ? NetStatus::Closed : NetStatus::TimedOut);
            }
            Timed& next = incoming_.front();
            if (next.due <= Clock::now()) {
                if (next.hangUp) {
                    incoming_.clear();
                    hungUp_ = true;
                    return status(NetStatus::Closed);
                }
                NetResult r;
                r.bytes = std::min(buffer.size(), next.bytes.size());
                std::memcpy(buffer.data(), next.bytes.data(), r.bytes);
                next.bytes.erase(0, r.bytes);
                if (next.bytes.empty()) {
                    incoming_.pop_front();
                }
                return r;
            }
            if (abort && abort()) {
                return status(NetStatus::Aborted);
            }
            if (Clock::now() >= until) {
                return status(NetStatus::TimedOut);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(2)); // the server's pace
        }
    }
    NetResult writeAll(std::string_view bytes, int, const AbortCheck&) override {
        pending_.append(bytes);
        std::size_t end;
        while ((end = pending_.find("\r\n")) != std::string::npos) {
            const std::string line = pending_.substr(0, end);
            pending_.erase(0, end + 2);
            network_.commands.push_back(line);
            if (!hungUp_ && !hangingUp()) {
                queue(*network_.answer(line));
            }
        }
        NetResult r;
        r.bytes = bytes.size();
        return r;
    }
    NetResult startTls(const std::string& host, int, const AbortCheck&) override {
        network_.tlsHosts.push_back(host);
        tls_ = network_.tlsResult.ok() || network_.tlsUpWhenRefused;
        return network_.tlsResult;
    }
    bool isTls() const noexcept override { return tls_; }
    Address localAddress() const override { return network_.controlLocal; }
    Address peerAddress() const override { return network_.controlPeer; }
    void close() noexcept override { network_.controlClosed = true; }

private:
    struct Timed {
        Clock::time_point due;
        std::string bytes;
        bool hangUp = false;
    };
    void queue(const ScriptedNetwork::Answer& answer) {
        Clock::time_point due = Clock::now();
        for (const ScriptedNetwork::Piece& piece : answer.pieces) {
            due += std::chrono::milliseconds(piece.delayMs);
            incoming_.push_back({due, piece.bytes + "\r\n"});
        }
        if (answer.hangUp) {
            incoming_.push_back({due, {}, true});
        }
    }
    bool hangingUp() const { return !incoming_.empty() && incoming_.back().hangUp; }

    ScriptedNetwork& network_;
    std::deque<Timed> incoming_;
    std::string pending_;
    bool tls_ = false;
    bool hungUp_ = false;
};

ScriptedNetwork::ScriptedNetwork() {
    mismatch_.pieces.push_back({0, "500 unexpected"});
}
ScriptedNetwork::~ScriptedNetwork() = default;

ScriptedNetwork& ScriptedNetwork::greet(std::string reply) {
    greeting_.pieces = {{0, std::move(reply)}};
    last_ = &greeting_;
    return *this;
}

ScriptedNetwork& ScriptedNetwork::on(std::string expected, std::string reply) {
    Answer answer;
    if (!reply.empty()) {
        answer.pieces.push_back({0, std::move(reply)});
    }
    script_.emplace_back(std::move(expected), std::move(answer));
    last_ = &script_.back().second;
    return *this;
}

ScriptedNetwork& ScriptedNetwork::later(int delayMs, std::string more) {
    last_->pieces.push_back({delayMs, std::move(more)});
    return *this;
}

ScriptedNetwork& ScriptedNetwork::hangUp() {
    last_->hangUp = true;
    return *this;
}

const ScriptedNetwork::Answer* ScriptedNetwork::answer(const std::string& line) {
    if (script_.empty() || line.rfind(script_.front().first, 0) != 0) {
        mismatches.push_back(line + (script_.empty()
                                         ? " (script ended)"
                                         : " (expected " + script_.front().first + ")"));
        return &mismatch_;
    }
    answered_ = std::move(script_.front().second);
    script_.pop_front();
    return &answered_;
}

NetResult ScriptedNetwork::connect(std::unique_ptr<ByteStream>& connected, const std::string& host,
                                   std::uint16_t port, int, const AbortCheck&) {
    if (controlConnections == 0 || port == controlPort) {
        ++controlConnections;
        if (!connectResult.ok()) {
            return connectResult;
        }
        connected = std::make_unique<ScriptedControl>(*this);
        return {};
    }
    auto log = std::make_shared<DataLog>();
    log->connectedTo = host + ":" + std::to_string(port);
    dataConnections.push_back(log);
    connected = std::make_unique<DataStream>(*this, log);
    return {};
}

NetResult ScriptedNetwork::listen(std::unique_ptr<Listener>& listener, const std::string& localIp) {
    listenedOn.push_back(localIp);
    listener = std::make_unique<ScriptedListener>(*this, Address{localIp, 40000});
    return {};
}

} // namespace pictorn::net::testing
