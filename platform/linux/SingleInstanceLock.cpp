#include "platform/linux/SingleInstanceLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>

namespace zintra::platform::linux_x11 {

namespace {

std::string SafeName(const std::u16string& name) {
    std::string safe;
    for (char16_t c : name) {
        safe += (c < 0x80 && (std::isalnum(static_cast<int>(c)) || c == '-')) ? static_cast<char>(c) : '_';
    }
    return safe;
}

std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && value[0] == '/' ? value : "";
}

std::string FallbackFolder() {
    const std::string temporary = Environment("TMPDIR");
    return (temporary.empty() ? std::string("/tmp") : temporary) + "/zintra-" + std::to_string(::getuid());
}

// The user's cache folder, for when the shared temporary folder is not safe.
std::string CacheFolder() {
    const std::string cache = Environment("XDG_CACHE_HOME");
    if (!cache.empty()) return cache + "/zintra";
    const std::string home = Environment("HOME");
    return home.empty() ? std::string() : home + "/.cache/zintra";
}

}  // namespace

std::string SingleInstanceLockPath(const std::u16string& name) {
    const std::string runtime = Environment("XDG_RUNTIME_DIR");
    if (!runtime.empty()) return runtime + "/zintra-" + SafeName(name) + ".lock";
    return FallbackFolder() + "/zintra-" + SafeName(name) + ".lock";
}

std::vector<std::string> SingleInstanceLockPlaces(const std::u16string& name) {
    std::vector<std::string> places{SingleInstanceLockPath(name)};
    const std::string cache = CacheFolder();
    if (!cache.empty()) places.push_back(cache + "/zintra-" + SafeName(name) + ".lock");
    return places;
}

bool EnsurePrivateFolder(const std::string& path) {
    if (path.empty()) return false;
    if (::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) return false;
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0) return false;
    return S_ISDIR(info.st_mode) && info.st_uid == ::getuid() && (info.st_mode & 022) == 0;
}

SingleInstanceLock::~SingleInstanceLock() {
    if (descriptor_ >= 0) ::close(descriptor_);
}

LockResult SingleInstanceLock::Acquire(const std::u16string& name) {
    const std::string path = SingleInstanceLockPath(name);
    const std::string folder = path.substr(0, path.rfind('/'));
    // The runtime folder is the user's own; the temporary one is checked first.
    if (!Environment("XDG_RUNTIME_DIR").empty() || EnsurePrivateFolder(folder)) {
        const LockResult result = AcquireAt(path);
        if (result != LockResult::Unusable) return result;
    }
    std::fprintf(stderr, "zintra: %s is not ours alone; keeping the instance lock in the cache folder\n",
                 folder.c_str());
    const std::string cache = CacheFolder();
    if (!cache.empty()) ::mkdir(cache.substr(0, cache.rfind('/')).c_str(), 0700);  // ~/.cache may not exist yet
    if (!EnsurePrivateFolder(cache)) {
        std::fputs("zintra: no private folder for the instance lock; running without one\n", stderr);
        return LockResult::Unusable;
    }
    return AcquireAt(SingleInstanceLockPlaces(name).back());
}

LockResult SingleInstanceLock::AcquireAt(const std::string& path) {
    // Never through a link, and only a plain file of ours.
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK, 0600);
    if (fd < 0) return LockResult::Unusable;
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_uid != ::getuid()) {
        ::close(fd);
        return LockResult::Unusable;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const bool held = errno == EWOULDBLOCK;
        ::close(fd);
        if (held) path_ = path;
        return held ? LockResult::HeldByUs : LockResult::Unusable;
    }
    path_ = path;
    // Held until the process ends: the kernel drops the lock with the descriptor.
    descriptor_ = fd;
    return LockResult::Acquired;
}

}  // namespace zintra::platform::linux_x11
