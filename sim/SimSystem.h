// The simulated desktop's files and machine identity. Files are real, under
// whatever directory a test makes the temporary one; INI files are read and
// written the way the Windows profile functions do; the adapter address is the
// machine's own unless a test sets one.
#pragma once

#include <mutex>
#include <optional>
#include <string>

#include "platform/System.h"

namespace zintra::sim {

class SimSystem final : public platform::System {
public:
    SimSystem();

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
    // The native code page is UTF-8.
    std::u16string FromAnsiCodePage(const std::string& text) override;
    std::string ToAnsiCodePage(const std::u16string& text) override;
    std::optional<platform::HardwareAddress> FirstAdapterAddress() override;

    // ---- Test controls ----
    // Must end in a separator, as the real one does.
    void SetTemporaryDirectory(const std::string& directory);
    void SetExecutablePath(const std::u16string& path);
    // Replaces the machine's adapter; nothing means no adapter can be queried.
    void SetAdapterAddress(std::optional<platform::HardwareAddress> address);

private:
    // Transfers run on worker threads; the controls above on the test's.
    std::mutex lock_;
    std::string temporaryDirectory_;
    std::u16string executablePath_ = u"C:\\Program Files\\Zintra\\zintra.exe";
    bool adapterOverridden_ = false;
    std::optional<platform::HardwareAddress> adapterAddress_;
};

}  // namespace zintra::sim
