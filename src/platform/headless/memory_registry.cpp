#include "platform/headless/memory_registry.h"
#include "text/ascii.h"

#include <cstdio>
#include <functional>

namespace pictorn::headless {

using platform::RegHandle;

namespace {

constexpr std::uint32_t kKeyQueryValue = 0x1;
constexpr std::uint32_t kKeySetValue = 0x2;

bool isHive(RegHandle hive) {
    return hive >= 0x80000000 && hive <= 0x80000006;
}

std::string hex(RegHandle value) {
    char buffer[20];
    std::snprintf(buffer, sizeof buffer, "%llx", static_cast<unsigned long long>(value));
    return buffer;
}

// The map key of a sub-key: hive, then each non-empty part, lower-cased.
std::string keyId(RegHandle hive, std::string_view subKey) {
    std::string id = hex(hive);
    std::size_t start = 0;
    while (start <= subKey.size()) {
        auto end = subKey.find('\\', start);
        if (end == std::string_view::npos) {
            end = subKey.size();
        }
        if (end > start) {
            id += '\\';
            id += text::asciiLowerCase(subKey.substr(start, end - start));
        }
        start = end + 1;
    }
    return id;
}

} // namespace

long MemoryRegistry::log(const std::function<std::string()>& line, long status) {
    if (recordCalls)
        calls_.push_back(line() + " -> " + std::to_string(status));
    return status;
}

const MemoryRegistry::OpenedKey* MemoryRegistry::opened(RegHandle key) const {
    auto it = open_.find(key);
    return it == open_.end() ? nullptr : &it->second;
}

// Every parent exists as a key of its own, as in the real store.
void MemoryRegistry::ensureKey(const std::string& id) {
    if (keys_.contains(id))
        return;
    for (auto pos = id.find('\\'); pos != std::string::npos; pos = id.find('\\', pos + 1)) {
        keys_[id.substr(0, pos)];
    }
    keys_[id];
}

long MemoryRegistry::createKey(RegHandle hive, std::string_view subKey) {
    const auto line = [&] {
        return "createKey " + hex(hive) + " " + std::string(subKey);
    };
    if (!isHive(hive)) {
        return log(line, platform::kRegInvalidHandle);
    }
    if (denyWrites) {
        return log(line, platform::kRegAccessDenied);
    }
    ensureKey(keyId(hive, subKey));
    return log(line, platform::kRegOk);
}

long MemoryRegistry::openKey(RegHandle hive, std::string_view subKey, std::uint32_t access,
                             RegHandle& key) {
    const auto line = [&] {
        return "openKey " + hex(hive) + " " + std::string(subKey) + " " + hex(access);
    };
    if (!isHive(hive)) {
        return log(line, platform::kRegInvalidHandle);
    }
    const std::string id = keyId(hive, subKey);
    // A hive's root always exists.
    if (id.find('\\') != std::string::npos && !keys_.contains(id)) {
        return log(line, platform::kRegFileNotFound);
    }
    if (denyWrites && (access & kKeySetValue) != 0) {
        return log(line, platform::kRegAccessDenied);
    }
    key = nextHandle_++;
    open_[key] = OpenedKey{id, access};
    return log(line, platform::kRegOk);
}

long MemoryRegistry::setText(RegHandle key, std::string_view name, std::string_view text) {
    const auto line = [&] {
        return "setText " + std::string(name);
    };
    const OpenedKey* k = opened(key);
    if (k == nullptr) {
        return log(line, platform::kRegInvalidHandle);
    }
    if ((k->access & kKeySetValue) == 0) {
        return log(line, platform::kRegAccessDenied);
    }
    keys_[k->path][text::asciiLowerCase(name)] = Value{kRegSz, std::string(text)};
    return log(line, platform::kRegOk);
}

long MemoryRegistry::setBinary(RegHandle key, std::string_view name,
                               std::span<const std::uint8_t> bytes) {
    const auto line = [&] {
        return "setBinary " + std::string(name);
    };
    const OpenedKey* k = opened(key);
    if (k == nullptr) {
        return log(line, platform::kRegInvalidHandle);
    }
    if ((k->access & kKeySetValue) == 0) {
        return log(line, platform::kRegAccessDenied);
    }
    keys_[k->path][text::asciiLowerCase(name)] =
        Value{kRegBinary, std::string(bytes.begin(), bytes.end())};
    return log(line, platform::kRegOk);
}

long MemoryRegistry::findForQuery(RegHandle key, std::string_view name, const Value*& value) const {
    const OpenedKey* k = opened(key);
    if (k == nullptr) {
        return platform::kRegInvalidHandle;
    }
    if ((k->access & kKeyQueryValue) == 0) {
        return platform::kRegAccessDenied;
    }
    const auto values = keys_.find(k->path);
    if (values == keys_.end()) {
        return platform::kRegFileNotFound;
    }
    const auto found = values->second.find(text::asciiLowerCase(name));
    if (found == values->second.end()) {
        return platform::kRegFileNotFound;
    }
    value = &found->second;
    return platform::kRegOk;
}

long MemoryRegistry::queryText(RegHandle key, std::string_view name, std::string& text) {
    const auto line = [&] {
        return "queryText " + std::string(name);
    };
    const Value* v = nullptr;
    if (long status = findForQuery(key, name, v); status != platform::kRegOk) {
        return log(line, status);
    }
    if (v->type != kRegSz) {
        return log(line, platform::kRegInvalidDataType);
    }
    text = v->bytes;
    if (text.ends_with('\0')) {
        text.pop_back();
    }
    return log(line, platform::kRegOk);
}

long MemoryRegistry::queryBinary(RegHandle key, std::string_view name, std::string& bytes) {
    const auto line = [&] {
        return "queryBinary " + std::string(name);
    };
    const Value* v = nullptr;
    if (long status = findForQuery(key, name, v); status != platform::kRegOk) {
        return log(line, status);
    }
    bytes = v->bytes;
    return log(line, platform::kRegOk);
}

long MemoryRegistry::closeKey(RegHandle key) {
    return log([] { return std::string("closeKey"); },
               open_.erase(key) == 1 ? platform::kRegOk : platform::kRegInvalidHandle);
}

void MemoryRegistry::plant(RegHandle hive, std::string_view subKey, std::string_view name,
                           std::uint32_t type, std::string_view bytes) {
    const std::string id = keyId(hive, subKey);
    ensureKey(id);
    keys_[id][text::asciiLowerCase(name)] = Value{type, std::string(bytes)};
}

std::optional<MemoryRegistry::Value> MemoryRegistry::value(RegHandle hive, std::string_view subKey,
                                                           std::string_view name) const {
    auto values = keys_.find(keyId(hive, subKey));
    if (values == keys_.end()) {
        return std::nullopt;
    }
    auto it = values->second.find(text::asciiLowerCase(name));
    if (it == values->second.end()) {
        return std::nullopt;
    }
    return it->second;
}

bool MemoryRegistry::keyExists(RegHandle hive, std::string_view subKey) const {
    const std::string id = keyId(hive, subKey);
    return id.find('\\') == std::string::npos || keys_.contains(id);
}

std::size_t MemoryRegistry::valueCount() const {
    std::size_t count = 0;
    for (const auto& [id, values] : keys_) {
        count += values.size();
    }
    return count;
}

} // namespace pictorn::headless
