// Files, folders, profile files and the machine's adapter address on Linux.
// Paths are UTF-8, which is the "ANSI code page" of this system.
#pragma once

#include "platform/System.h"

namespace zintra::platform::linux_x11 {

class LinuxSystem final : public System {
public:
    std::string TemporaryDirectory() override;
    std::u16string ExecutablePath() override;
    bool FileExists(const std::string& path) override;
    bool RemoveFile(const std::string& path) override;
    bool RenameFile(const std::string& from, const std::string& to) override;
    bool TruncateFile(const std::string& path, std::int64_t size) override;
    std::string ReadProfileValue(const std::string& section, const std::string& key,
                                 const std::string& defaultValue, const std::string& path) override;
    bool WriteProfileValue(const std::string& section, const std::string& key, const std::string& value,
                           const std::string& path) override;
    std::string ToAnsiCodePage(const std::u16string& text) override;
    std::u16string FromAnsiCodePage(const std::string& text) override;
    std::optional<HardwareAddress> FirstAdapterAddress() override;
};

}  // namespace zintra::platform::linux_x11
