// Where the user's files go, and files replaced whole: written to a
// temporary file beside the target, synced, renamed over it and the folder
// synced, so a crash or a full disk leaves the old file or the new one,
// never a part of either.
#pragma once

#include <sys/types.h>

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

}  // namespace zintra::platform::linux_x11
