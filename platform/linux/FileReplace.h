// Where the user's files go, and files replaced whole: written to a
// temporary file beside the target, synced, renamed over it and the folder
// synced, so a crash or a full disk leaves the old file or the new one,
// never a part of either.
#pragma once

#include <sys/types.h>

#include <optional>
#include <string>
#include <string_view>

namespace zintra::platform::linux_x11 {

// $XDG_CONFIG_HOME, or ~/.config when it is unset or not an absolute path.
std::string ConfigHome();

// The folder part of a path: "." for a bare name, "/" for a file at the root.
std::string FolderOf(const std::string& path);
// Creates the folder and its parents, private to the user as the XDG rules ask.
void MakeFolders(const std::string& folder);
// So that a rename or an unlink in the folder survives a crash.
void SyncFolder(const std::string& folder);

// Replaces `path` with `contents` (permission bits `mode`) through a temporary
// file named `temporaryPrefix` + six random characters, in the same folder.
// On any failure the old file is left as it was and nothing else stays behind.
bool ReplaceFile(const std::string& path, std::string_view contents, mode_t mode, const std::string& temporaryPrefix);

// The file a path finally names once symbolic links are followed (a link's
// own target may be missing yet), so a file kept elsewhere through a link is
// replaced where it lives and the link stays. The path itself when it is no link.
std::string FinalTarget(const std::string& path);

// Renames `path` to `stem`, or `stem-2`, `stem-3`, ... when that name is
// taken: never over an existing file. The new name, or nothing on failure.
std::optional<std::string> MoveAside(const std::string& path, const std::string& stem);

// An exclusive flock on `lockPath` (created if need be), waited for up to
// about two seconds. The descriptor to close to release it, or -1 when the
// file cannot be made or the lock did not come.
int LockExclusively(const std::string& lockPath);

}  // namespace zintra::platform::linux_x11
