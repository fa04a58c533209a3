// The per-user store of the Linux build: the registry's keys, value names and
// typed values in one file (normally $XDG_CONFIG_HOME/zintra/store). Every
// change rewrites the file atomically (temporary file in the same folder,
// fsync, rename, fsync of the folder), so a crash or a full disk leaves the
// old store or the new one, never half of one. A store that cannot be read as
// a whole reads as empty, like a missing registry key, and is moved aside to
// "<file>.corrupt-<time>" (with "-2", "-3", ... when that name is taken)
// rather than overwritten. A store that is a symbolic link is read and
// replaced where the link leads, and the link stays. Anything at the path that
// is not a regular file (a FIFO, a folder, a device) reads as no store and is
// never written over. Writers in several processes take turns through an
// flock on "<file>.lock" and read the file again before they change it.
#pragma once

#include <sys/stat.h>

#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/Registry.h"

namespace zintra::platform::linux_x11 {

class FileStore final : public Registry {
public:
    explicit FileStore(std::string path);

    // $XDG_CONFIG_HOME/zintra/store, with ~/.config when the variable is unset.
    static std::string DefaultPath();

    long OpenKey(RegistryRoot root, const std::u16string& subkey, RegistryKey* key) override;
    long CreateKey(RegistryRoot root, const std::u16string& subkey, RegistryKey* key) override;
    long QueryValue(RegistryKey key, const std::u16string& name, std::uint32_t* type, void* data,
                    std::uint32_t* size) override;
    long SetValue(RegistryKey key, const std::u16string& name, std::uint32_t type, const void* data,
                  std::uint32_t size) override;
    long DeleteValue(RegistryKey key, const std::u16string& name) override;
    long FlushKey(RegistryKey key) override;
    long CloseKey(RegistryKey key) override;

    const std::string& Path() const { return path_; }
    // Where a corrupt store was moved at load, empty when none was.
    const std::string& SetAsidePath() const { return setAside_; }

    // The file's text for a set of keys, and back; false for anything that is
    // not a complete store. Exposed for the tests of the format.
    struct Value {
        std::u16string name;  // as first written
        std::uint32_t type = 0;
        std::vector<std::uint8_t> data;
    };
    struct Key {
        std::u16string path;  // as first written
        std::map<std::u16string, Value> values;  // by folded name
    };
    using Keys = std::map<std::u16string, Key>;  // by folded path
    static std::string Serialize(const Keys& keys);
    static bool Parse(const std::string& text, Keys& keys);

private:
    struct Stamp {
        std::uint64_t device = 0;
        std::uint64_t inode = 0;
        std::int64_t size = 0;
        std::int64_t seconds = 0;
        std::int64_t nanoseconds = 0;
        friend bool operator==(const Stamp&, const Stamp&) = default;
    };
    static Stamp StampOf(const struct stat& info);
    std::optional<Stamp> CurrentStamp() const;
    // What reading the file found.
    enum class ReadResult { Read, Missing, NotAFile, Failed };
    ReadResult ReadText(std::string& text, Stamp& stamp) const;
    // Reads the file at first use and whenever it changed since we last read or
    // wrote it; `always` reads it whatever its stamp says (before a change).
    void Sync(bool always = false);
    void SetAside(const Stamp& stamp);
    long OpenOrCreate(const std::u16string& subkey, bool create, RegistryKey* key);
    bool Save();  // false when the file could not be replaced

    // Held from the re-reading before a change to the rename that publishes
    // it, so another process's change in between is never lost. Nests.
    class WriterTurn {
    public:
        explicit WriterTurn(FileStore& store);
        ~WriterTurn();
        WriterTurn(const WriterTurn&) = delete;
        WriterTurn& operator=(const WriterTurn&) = delete;

    private:
        FileStore& store_;
    };

    std::string path_;
    std::string setAside_;
    std::recursive_mutex lock_;
    bool loaded_ = false;
    std::optional<Stamp> seen_;  // the file as we last read or wrote it
    // False when the path holds something we must not write over: a store we
    // could not read or move aside, or no regular file at all.
    bool writable_ = true;
    int lockFd_ = -1;  // the lock file while this process holds it
    int lockDepth_ = 0;
    Keys keys_;
    std::map<RegistryKey, std::u16string> handles_;  // folded paths of open keys
    RegistryKey nextHandle_ = 0x100;
};

// ASCII letters in upper case: key paths and value names ignore case, as the registry's do.
std::u16string FoldCase(const std::u16string& text);

}  // namespace zintra::platform::linux_x11
