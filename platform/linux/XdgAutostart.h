// Start at log-in on a Linux desktop: the XDG autostart entry
// $XDG_CONFIG_HOME/autostart/zintra.desktop (~/.config when that is unset or
// not absolute) whose Exec starts this program with -auto.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/AutoStart.h"

namespace zintra::platform::linux_x11 {

// Where the entry lives for the current user.
std::string AutostartEntryPath();

// One argument as an Exec key's value holds it: quoted when it has a blank or
// a reserved character, `%` doubled, and the value's own escapes applied.
std::string ExecArgument(std::string_view argument);
// The arguments of an Exec value as the desktop reads it; nothing when the
// quoting is broken. Field codes other than %% are dropped.
std::optional<std::vector<std::string>> SplitExec(std::string_view value);

// The whole entry that starts `executablePath` (UTF-8) with -auto. Its
// TryExec lets the session skip the entry once the program is gone.
std::string AutostartEntryText(const std::string& executablePath);
// `text` with the TryExec line for `executablePath` added to its main group,
// everything else kept byte for byte; nothing when the group is missing.
std::optional<std::string> WithTryExec(std::string_view text, const std::string& executablePath);

// What an entry file says, read leniently: only the main group counts.
struct AutostartEntry {
    std::optional<std::string> exec;  // the Exec value, escapes undone
    bool disabled = false;            // Hidden=true or X-GNOME-Autostart-enabled=false
    bool tryExec = false;             // the entry has a TryExec key
};
AutostartEntry ReadAutostartEntry(std::string_view text);

class XdgAutostart final : public AutoStart {
public:
    // `entryPath` empty: the user's entry, looked up at each call.
    explicit XdgAutostart(std::string entryPath = {}) : entryPath_(std::move(entryPath)) {}

    std::optional<bool> Query(const std::u16string& executablePath) override;
    bool Write(const std::u16string& executablePath) override;
    bool Remove(const std::u16string& executablePath) override;
    // Adds TryExec to our entry written without it (switched off or not).
    bool Upgrade(const std::u16string& executablePath) override;

private:
    std::string Path() const { return entryPath_.empty() ? AutostartEntryPath() : entryPath_; }
    // Whether the entry's Exec starts `executablePath` (enabled or not); nothing when unreadable.
    std::optional<AutostartEntry> Load(const std::string& path, std::string* text = nullptr) const;

    std::string entryPath_;
};

}  // namespace zintra::platform::linux_x11
