// Files, folders, text conversion and machine identity as the online services
// need them. Paths are narrow text in the system's ANSI code page, the way the
// transfers and their sidecar files name them.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace zintra::platform {

using HardwareAddress = std::array<std::uint8_t, 6>;

class System {
public:
    virtual ~System() = default;

    // The folder downloads go to, ending in a path separator: the user's own,
    // which no other user can write or reach through a link. Empty when no
    // such folder can be had (downloads then fail).
    virtual std::string TemporaryDirectory() = 0;
    // The full path of the running program.
    virtual std::u16string ExecutablePath() = 0;

    virtual bool FileExists(const std::string& path) = 0;
    virtual bool RemoveFile(const std::string& path) = 0;
    // Moves a file; fails when something already exists at the destination.
    virtual bool RenameFile(const std::string& from, const std::string& to) = 0;
    // Cuts a file back to its first `size` bytes.
    virtual bool TruncateFile(const std::string& path, std::int64_t size) = 0;

    // Private-profile (INI) files: one value of one section. Reading a missing
    // file, section or key gives the default; values are read with the
    // surrounding blanks removed, at most 259 characters.
    virtual std::string ReadProfileValue(const std::string& section, const std::string& key,
                                          const std::string& defaultValue, const std::string& path) = 0;
    // Creates the file and the section when absent.
    virtual bool WriteProfileValue(const std::string& section, const std::string& key, const std::string& value,
                                    const std::string& path) = 0;

    // UTF-16 to the ANSI code page; characters without a mapping become the
    // code page's default character.
    virtual std::string ToAnsiCodePage(const std::u16string& text) = 0;
    // The ANSI code page to UTF-16.
    virtual std::u16string FromAnsiCodePage(const std::string& text) = 0;

    // The hardware address of the machine's first network adapter, if any.
    virtual std::optional<HardwareAddress> FirstAdapterAddress() = 0;
};

}  // namespace zintra::platform
