#pragma once
// The raw registry calls, with the store's status codes, so the registry layer above can
// keep its exact read and write rules. Text crosses this interface as UTF-8; the Windows
// implementation stores it with the Unicode calls.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace pictorn::platform {

using RegHandle = std::uintptr_t; // a predefined hive (0x80000000..) or an opened key

inline constexpr long kRegOk = 0;
inline constexpr long kRegFileNotFound = 2; // no such key or value
inline constexpr long kRegAccessDenied = 5;
inline constexpr long kRegInvalidHandle = 6;
inline constexpr long kRegMoreData = 234;
inline constexpr long kRegInvalidDataType = 1630; // value exists with another type

inline constexpr std::uint32_t kKeyWrite = 0x20006;
inline constexpr std::uint32_t kKeyRead = 0x20019;

class RegistryApi {
public:
    virtual ~RegistryApi() = default;
    // Creates the key and missing parents, then closes it at once.
    virtual long createKey(RegHandle hive, std::string_view subKey) = 0;
    virtual long openKey(RegHandle hive, std::string_view subKey, std::uint32_t access,
                         RegHandle& key) = 0;
    // A string value (REG_SZ) whose size counts no terminating zero.
    virtual long setText(RegHandle key, std::string_view name, std::string_view text) = 0;
    // A binary value (REG_BINARY) holding exactly these bytes.
    virtual long setBinary(RegHandle key, std::string_view name,
                           std::span<const std::uint8_t> bytes) = 0;
    // Reads a string value of any length; a value of another type is kRegInvalidDataType.
    // A terminating zero stored by other writers is not part of the text.
    virtual long queryText(RegHandle key, std::string_view name, std::string& text) = 0;
    // Reads the raw bytes of a value of any type.
    virtual long queryBinary(RegHandle key, std::string_view name, std::string& bytes) = 0;
    virtual long closeKey(RegHandle key) = 0;
};

} // namespace pictorn::platform
