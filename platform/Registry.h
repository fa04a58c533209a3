// The registry as the program uses it: per-user keys, typed values, and the
// Win32 result codes and buffer rules that the behaviour depends on.
#pragma once

#include <cstdint>
#include <string>

namespace zintra::platform {

using RegistryKey = std::uintptr_t;  // 0 = no key

enum class RegistryRoot { CurrentUser };

// Win32 error codes returned by the registry calls.
namespace reg {
inline constexpr long kSuccess = 0;
inline constexpr long kFileNotFound = 2;
inline constexpr long kAccessDenied = 5;
inline constexpr long kInvalidHandle = 6;
inline constexpr long kMoreData = 234;

inline constexpr std::uint32_t kNone = 0;
inline constexpr std::uint32_t kSz = 1;
inline constexpr std::uint32_t kBinary = 3;
inline constexpr std::uint32_t kDword = 4;
}  // namespace reg

class Registry {
public:
    virtual ~Registry() = default;

    // Opens an existing key with full access.
    virtual long OpenKey(RegistryRoot root, const std::u16string& subkey, RegistryKey* key) = 0;
    // Opens or creates a key (non-volatile, full access, default security).
    virtual long CreateKey(RegistryRoot root, const std::u16string& subkey, RegistryKey* key) = 0;
    // RegQueryValueExW: with data null only the type and size are returned; a
    // buffer smaller than the value gives kMoreData, *size the needed size, and
    // leaves the buffer's contents undefined.
    virtual long QueryValue(RegistryKey key, const std::u16string& name, std::uint32_t* type,
                            void* data, std::uint32_t* size) = 0;
    virtual long SetValue(RegistryKey key, const std::u16string& name, std::uint32_t type,
                          const void* data, std::uint32_t size) = 0;
    virtual long DeleteValue(RegistryKey key, const std::u16string& name) = 0;
    virtual long FlushKey(RegistryKey key) = 0;
    virtual long CloseKey(RegistryKey key) = 0;
};

// Closes a key at the end of a scope.
class ScopedRegistryKey {
public:
    explicit ScopedRegistryKey(Registry& registry) : registry_(registry) {}
    ~ScopedRegistryKey() { Reset(); }
    ScopedRegistryKey(const ScopedRegistryKey&) = delete;
    ScopedRegistryKey& operator=(const ScopedRegistryKey&) = delete;

    RegistryKey* Receive() { Reset(); return &key_; }
    RegistryKey Get() const { return key_; }
    explicit operator bool() const { return key_ != 0; }
    void Reset() {
        if (key_ != 0) registry_.CloseKey(key_);
        key_ = 0;
    }

private:
    Registry& registry_;
    RegistryKey key_ = 0;
};

}  // namespace zintra::platform
