#include "platform/linux/FileReplace.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

namespace zintra::platform::linux_x11 {

namespace {

bool WriteAll(int fd, std::string_view data) {
    while (!data.empty()) {
        const ssize_t written = ::write(fd, data.data(), data.size());
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return false;
        data.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

}  // namespace

std::string ConfigHome() {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    if (config != nullptr && config[0] == '/') return config;
    const char* home = std::getenv("HOME");
    return std::string(home != nullptr ? home : "") + "/.config";
}

std::string FolderOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
}

void MakeFolders(const std::string& folder) {
    for (std::size_t at = 1; at <= folder.size(); ++at) {
        if (at == folder.size() || folder[at] == '/') ::mkdir(folder.substr(0, at).c_str(), 0700);
    }
}

void SyncFolder(const std::string& folder) {
    const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir < 0) return;
    ::fsync(dir);
    ::close(dir);
}

bool ReplaceFile(const std::string& path, std::string_view contents, mode_t mode, const std::string& temporaryPrefix) {
    const std::string folder = FolderOf(path);
    MakeFolders(folder);
    std::string temporary = temporaryPrefix + "XXXXXX";
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0) return false;
    ::fchmod(fd, mode);
    const bool written = WriteAll(fd, contents) && ::fsync(fd) == 0;
    const bool closed = ::close(fd) == 0;
    if (!written || !closed || ::rename(temporary.c_str(), path.c_str()) != 0) {
        ::unlink(temporary.c_str());
        return false;
    }
    SyncFolder(folder);
    return true;
}

std::string FinalTarget(const std::string& path) {
    std::string current = path;
    for (int hops = 0; hops < 40; ++hops) {  // the kernel's own limit for a chain of links
        char target[4096];
        const ssize_t length = ::readlink(current.c_str(), target, sizeof(target));
        if (length <= 0 || static_cast<std::size_t>(length) >= sizeof(target)) return current;
        const std::string next(target, static_cast<std::size_t>(length));
        current = next[0] == '/' ? next : FolderOf(current) + "/" + next;
    }
    return current;  // a loop: whatever uses it fails as the system says
}

std::optional<std::string> MoveAside(const std::string& path, const std::string& stem) {
    for (int attempt = 1; attempt <= 1000; ++attempt) {
        const std::string name = attempt == 1 ? stem : stem + "-" + std::to_string(attempt);
        if (::renameat2(AT_FDCWD, path.c_str(), AT_FDCWD, name.c_str(), RENAME_NOREPLACE) == 0) return name;
        if (errno == EEXIST) continue;
        if (errno != EINVAL && errno != ENOSYS) return std::nullopt;
        // A file system without the no-replace rename: a new link never replaces either.
        if (::link(path.c_str(), name.c_str()) == 0) {
            ::unlink(path.c_str());
            return name;
        }
        if (errno != EEXIST) return std::nullopt;
    }
    return std::nullopt;
}

int LockExclusively(const std::string& lockPath) {
    const int fd = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) return -1;
    // Writers hold it for one write; a holder that never lets go must not hang this one.
    for (int attempt = 0; attempt < 200; ++attempt) {
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) return fd;
        if (errno != EWOULDBLOCK && errno != EINTR) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ::close(fd);
    return -1;
}

}  // namespace zintra::platform::linux_x11
