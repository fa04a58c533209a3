#include "platform/linux/DownloadFolder.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

namespace zintra::platform::linux_x11 {

namespace {

// Nobody but root and this user may replace anything inside an ancestor,
// unless the sticky bit keeps them to their own entries (as in /tmp).
bool IsSafeAncestor(const struct stat& info) {
    if (!S_ISDIR(info.st_mode)) return false;
    if (info.st_uid != 0 && info.st_uid != ::geteuid()) return false;
    return (info.st_mode & (S_IWGRP | S_IWOTH)) == 0 || (info.st_mode & S_ISVTX) != 0;
}

bool AncestorsAreSafe(const std::string& folder) {
    for (std::size_t slash = folder.find('/', 1); slash != std::string::npos; slash = folder.find('/', slash + 1)) {
        struct stat info {};
        if (::lstat(folder.substr(0, slash).c_str(), &info) != 0 || !IsSafeAncestor(info)) return false;
    }
    struct stat root {};
    return ::lstat("/", &root) == 0 && IsSafeAncestor(root);
}

// Makes `folder` and the missing folders above it, each private to the user,
// checking each existing one before anything is made inside it: nothing is
// created in a folder another user controls or behind a link.
bool MakeFolders(const std::string& folder) {
    for (std::size_t at = 1; at <= folder.size(); ++at) {
        if (at != folder.size() && folder[at] != '/') continue;
        const std::string step = folder.substr(0, at);
        struct stat info {};
        if (::lstat(step.c_str(), &info) != 0 && ::mkdir(step.c_str(), 0700) != 0) return false;
        if (at != folder.size() && (::lstat(step.c_str(), &info) != 0 || !IsSafeAncestor(info))) return false;
    }
    return true;
}

std::string Under(const char* variable, const char* below) {
    const char* base = std::getenv(variable);
    if (base == nullptr || base[0] != '/') return {};
    return std::string(base) + below;
}

// The folder when it is (or can be made) private; empty otherwise.
std::string Prepared(std::string folder) {
    while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    if (folder.empty()) return {};
    return MakeFolders(folder) && IsPrivateFolder(folder) ? folder + "/" : std::string();
}

}  // namespace

bool IsPrivateFolder(const std::string& folder) {
    // A link anywhere on the way could be turned to another folder later: an
    // ancestor must be a real folder (lstat), the folder itself is opened
    // without following one.
    if (folder.empty() || folder[0] != '/' || !AncestorsAreSafe(folder)) return false;
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat info {};
    bool ok = ::fstat(fd, &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == ::geteuid();
    if (ok && (info.st_mode & 077) != 0) ok = ::fchmod(fd, 0700) == 0;
    ::close(fd);
    return ok;
}

std::string PrivateDownloadFolder() {
    std::string cache = Under("XDG_CACHE_HOME", "/zintra/downloads");
    if (cache.empty()) cache = Under("HOME", "/.cache/zintra/downloads");
    if (std::string folder = Prepared(cache); !folder.empty()) return folder;
    return Prepared(Under("XDG_RUNTIME_DIR", "/zintra-downloads"));
}

}  // namespace zintra::platform::linux_x11
