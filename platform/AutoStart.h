// Starting the program at log-in where the system keeps that outside the
// store: on Linux the desktop's autostart entry. Windows keeps its Run value
// in the registry, so its platform has none of these.
#pragma once

#include <optional>
#include <string>

namespace zintra::platform {

class AutoStart {
public:
    virtual ~AutoStart() = default;
    // Whether an enabled entry starts `executablePath` with -auto; nothing when
    // the entry cannot be read. Another program's entry is not ours.
    virtual std::optional<bool> Query(const std::u16string& executablePath) = 0;
    // Writes (or replaces) the entry that starts `executablePath` hidden.
    virtual bool Write(const std::u16string& executablePath) = 0;
    // Removes the entry when it is ours; another program's stays.
    virtual bool Remove(const std::u16string& executablePath) = 0;
    // Brings our entry, as an older version of the program wrote it, up to
    // what this version writes, keeping whatever the user changed in it.
    // False when there was nothing to change or it could not be written.
    virtual bool Upgrade(const std::u16string& executablePath) = 0;
};

}  // namespace zintra::platform
