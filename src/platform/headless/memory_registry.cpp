#include "platform/headless/memory_registry.h"
#include "text/ascii.h"

#include <algorithm>
#include <cstdio>

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
    id.reserve(id.size() + subKey.size() + 1);
    std::size_t start = 0;
    while (start <= subKey.size()) {
        auto end = subKey.find('\\', start);
        if (end == std::string_view::npos) {
            end = subKey.size();
        }
        if (end > start) {
            id += '\\';
            for (char c : subKey.substr(start, end - start))
                id += text::asciiLower(c);
        }
        start = end + 1;
    }
    return id;
}

} // namespace

bool MemoryRegistry::NameLess::operator()(std::string_view a, std::string_view b) const {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return text::asciiLower(x) < text::asciiLower(y);
    });
}

// `line` makes the log line only when calls are recorded.
template <class Line> long MemoryRegistry::log(const Line& line, long status) {
    if (recordCalls)
        calls_.push_back(line() + " -> " + std::to_string(status));
    return status;
}

const std::string& MemoryRegistry::keyIdOf(RegHandle hive, std::string_view subKey) const {
    if (lastKeyId_.empty() || hive != lastHive_ || subKey != lastSubKey_) {
        lastKeyId_ = keyId(hive, subKey);
        lastHive_ = hive;
        lastSubKey_.assign(subKey);
    }
    return lastKeyId_;
}

const MemoryRegistry::OpenedKey* MemoryRegistry::opened(RegHandle key) const {
    if (key == 0)
        return nullptr;
    for (const OpenedKey& k : open_) {
        if (k.handle == key)
            return &k;
    }
    return nullptr;
}

int MemoryRegistry::openHandles() const {
    return static_cast<int>(std::count_if(open_.begin(), open_.end(),
                                          [](const OpenedKey& k) { return k.handle != 0; }));
}

void MemoryRegistry::store(Values& values, std::string_view name, Value value) {
    if (auto it = values.find(name); it != values.end())
        it->second = std::move(value);
    else
        values.emplace(text::asciiLowerCase(name), std::move(value));
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
    ensureKey(keyIdOf(hive, subKey));
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
    const std::string& id = keyIdOf(hive, subKey);
    // A hive's root always exists.
    if (id.find('\\') != std::string::npos && !keys_.contains(id)) {
        return log(line, platform::kRegFileNotFound);
    }
    if (denyWrites && (access & kKeySetValue) != 0) {
        return log(line, platform::kRegAccessDenied);
    }
    auto slot =
        std::find_if(open_.begin(), open_.end(), [](const OpenedKey& k) { return k.handle == 0; });
    if (slot == open_.end())
        slot = open_.emplace(open_.end());
    key = nextHandle_++;
    slot->handle = key;
    slot->path.assign(id);
    slot->access = access;
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
    store(keys_[k->path], name, Value{kRegSz, std::string(text)});
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
    store(keys_[k->path], name, Value{kRegBinary, std::string(bytes.begin(), bytes.end())});
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
    const auto found = values->second.find(name);
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
    auto k = std::find_if(open_.begin(), open_.end(),
                          [key](const OpenedKey& o) { return o.handle == key && key != 0; });
    if (k != open_.end())
        k->handle = 0;
    return log([] { return std::string("closeKey"); },
               k != open_.end() ? platform::kRegOk : platform::kRegInvalidHandle);
}

void MemoryRegistry::plant(RegHandle hive, std::string_view subKey, std::string_view name,
                           std::uint32_t type, std::string_view bytes) {
    const std::string& id = keyIdOf(hive, subKey);
    ensureKey(id);
    store(keys_.find(id)->second, name, Value{type, std::string(bytes)});
}

std::optional<MemoryRegistry::Value> MemoryRegistry::value(RegHandle hive, std::string_view subKey,
                                                           std::string_view name) const {
    auto values = keys_.find(keyIdOf(hive, subKey));
    if (values == keys_.end()) {
        return std::nullopt;
    }
    auto it = values->second.find(name);
    if (it == values->second.end()) {
        return std::nullopt;
    }
    return it->second;
}

bool MemoryRegistry::keyExists(RegHandle hive, std::string_view subKey) const {
    const std::string& id = keyIdOf(hive, subKey);
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
