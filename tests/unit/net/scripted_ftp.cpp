#include "net/scripted_ftp.h"

#include <algorithm>
#include <cstring>

namespace pictorn::net::testing {

using platform::AbortCheck;
using platform::Address;
using platform::ByteStream;
using platform::Listener;
using platform::NetResult;
using platform::NetStatus;

namespace {

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
        if (abort && abort()) {
            return status(NetStatus::Aborted);
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
        incoming_ = network.greeting_;
    }
    NetResult readSome(std::span<char> buffer, int, const AbortCheck& abort) override {
        if (incoming_.empty()) {
            // Nothing scripted: a server that says nothing more. Honour an abort first.
            return status(abort && abort() ? NetStatus::Aborted : NetStatus::TimedOut);
        }
        NetResult r;
        r.bytes = std::min(buffer.size(), incoming_.size());
        std::memcpy(buffer.data(), incoming_.data(), r.bytes);
        incoming_.erase(0, r.bytes);
        return r;
    }
    NetResult writeAll(std::string_view bytes, int, const AbortCheck&) override {
        pending_.append(bytes);
        std::size_t end;
        while ((end = pending_.find("\r\n")) != std::string::npos) {
            const std::string line = pending_.substr(0, end);
            pending_.erase(0, end + 2);
            network_.commands.push_back(line);
            network_.answer(line, incoming_);
        }
        NetResult r;
        r.bytes = bytes.size();
        return r;
    }
    NetResult startTls(const std::string& host, int, const AbortCheck&) override {
        network_.tlsHosts.push_back(host);
        tls_ = network_.tlsResult.ok();
        return network_.tlsResult;
    }
    bool isTls() const noexcept override { return tls_; }
    Address localAddress() const override { return network_.controlLocal; }
    Address peerAddress() const override { return network_.controlPeer; }
    void close() noexcept override { network_.controlClosed = true; }

private:
    ScriptedNetwork& network_;
    std::string incoming_;
    std::string pending_;
    bool tls_ = false;
};

ScriptedNetwork::ScriptedNetwork() = default;
ScriptedNetwork::~ScriptedNetwork() = default;

ScriptedNetwork& ScriptedNetwork::greet(std::string reply) {
    greeting_ = reply + "\r\n";
    return *this;
}

ScriptedNetwork& ScriptedNetwork::on(std::string expected, std::string reply) {
    script_.emplace_back(std::move(expected), std::move(reply));
    return *this;
}

void ScriptedNetwork::answer(const std::string& line, std::string& incoming) {
    if (script_.empty() || line.rfind(script_.front().first, 0) != 0) {
        mismatches.push_back(line + (script_.empty()
                                         ? " (script ended)"
                                         : " (expected " + script_.front().first + ")"));
        incoming += "500 unexpected\r\n";
        return;
    }
    if (!script_.front().second.empty()) {
        incoming += script_.front().second + "\r\n";
    }
    script_.pop_front();
}

NetResult ScriptedNetwork::connect(std::unique_ptr<ByteStream>& connected, const std::string& host,
                                   std::uint16_t port, int, const AbortCheck&) {
    if (!controlMade_) { // the first connection is the control connection
        controlMade_ = true;
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
