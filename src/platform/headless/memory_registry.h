#pragma once
// A registry held in memory, for native tests: keys and value names are case-insensitive
// (ASCII) as in the Windows registry, values keep their type and raw bytes, and every
// opened key is counted so tests can check that nothing stays open.
#include "platform/registry_api.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pictorn::headless {

inline constexpr std::uint32_t kRegSz = 1;
inline constexpr std::uint32_t kRegBinary = 3;
inline constexpr std::uint32_t kRegDword = 4;

class MemoryRegistry : public platform::RegistryApi {
public:
    struct Value {
        std::uint32_t type = kRegSz;
        std::string bytes;
        bool operator==(const Value&) const = default;
    };

    long createKey(platform::RegHandle hive, std::string_view subKey) override;
    long openKey(platform::RegHandle hive, std::string_view subKey, std::uint32_t access,
                 platform::RegHandle& key) override;
    long setText(platform::RegHandle key, std::string_view name, std::string_view text) override;
    long setBinary(platform::RegHandle key, std::string_view name,
                   std::span<const std::uint8_t> bytes) override;
    long queryText(platform::RegHandle key, std::string_view name, std::string& text) override;
    long queryBinary(platform::RegHandle key, std::string_view name, std::string& bytes) override;
    long closeKey(platform::RegHandle key) override;

    // Test helpers. Planting creates the key (and its parents) when needed.
    void plant(platform::RegHandle hive, std::string_view subKey, std::string_view name,
               std::uint32_t type, std::string_view bytes);
    std::optional<Value> value(platform::RegHandle hive, std::string_view subKey,
                               std::string_view name) const;
    bool keyExists(platform::RegHandle hive, std::string_view subKey) const;
    std::size_t valueCount() const;
    int openHandles() const;
    // One line per call, e.g. "openKey 80000001 Software\X 20019 -> 0".
    const std::vector<std::string>& calls() const { return calls_; }
    void clearCalls() { calls_.clear(); }
    // Makes every openKey for writing answer "access denied" (a read-only store).
    bool denyWrites = false;
    // Off where nobody reads calls() and the store is made anew very often (fuzzing).
    bool recordCalls = true;

private:
    // Value names compare as the real store compares them: ASCII letters without case.
    struct NameLess {
        using is_transparent = void;
        bool operator()(std::string_view a, std::string_view b) const;
    };
    // A handle in use, or a free slot (handle 0) whose path storage the next open reuses:
    // the start-up opens and closes the one key dozens of times.
    struct OpenedKey {
        platform::RegHandle handle = 0;
        std::string path;
        std::uint32_t access = 0;
    };
    using Values = std::map<std::string, Value, NameLess>;
    template <class Line> long log(const Line& line, long status);
    void ensureKey(const std::string& id);
    // The map key of a sub-key; the last one asked for is remembered.
    const std::string& keyIdOf(platform::RegHandle hive, std::string_view subKey) const;
    const OpenedKey* opened(platform::RegHandle key) const;
    // The value a query of an opened key reads, or the status a query fails with.
    long findForQuery(platform::RegHandle key, std::string_view name, const Value*& value) const;
    static void store(Values& values, std::string_view name, Value value);

    std::map<std::string, Values, std::less<>> keys_; // "80000001\software\x" (lower case)
    std::vector<OpenedKey> open_;
    platform::RegHandle nextHandle_ = 0x1000;
    std::vector<std::string> calls_;
    mutable platform::RegHandle lastHive_ = 0;
    mutable std::string lastSubKey_;
    mutable std::string lastKeyId_;
};

} // namespace pictorn::headless
