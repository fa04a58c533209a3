// The single-instance lock on Linux: a file locked with flock in a folder only
// this user can write to, so another user can neither hold our lock nor plant
// a link that makes us create or lock a file of their choosing.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace zintra::platform::linux_x11 {

// Where the lock of `name` lives: $XDG_RUNTIME_DIR, else the user's private
// folder zintra-<uid> in the temporary folder.
std::string SingleInstanceLockPath(const std::u16string& name);
// Every place an instance may keep that lock: the one above, then the cache
// folder it falls back to when the temporary one is not ours alone.
std::vector<std::string> SingleInstanceLockPlaces(const std::u16string& name);

// `path` as a folder that is ours alone: created 0700 when missing; an
// existing one must be a real folder (not a link) owned by us that nobody
// else may write to. False otherwise.
bool EnsurePrivateFolder(const std::string& path);

enum class LockResult {
    Acquired,  // ours until the process ends
    HeldByUs,  // another instance of this user holds it
    Unusable,  // no safe place for a lock: run without one
};

class SingleInstanceLock {
public:
    SingleInstanceLock() = default;
    ~SingleInstanceLock();
    SingleInstanceLock(const SingleInstanceLock&) = delete;
    SingleInstanceLock& operator=(const SingleInstanceLock&) = delete;

    // Takes the lock of `name` in its private place, else in the user's
    // cache folder when that place is not safe (someone else owns it).
    LockResult Acquire(const std::u16string& name);
    // The lock file that Acquire took or found held; empty when unusable.
    const std::string& Path() const { return path_; }

private:
    LockResult AcquireAt(const std::string& path);

    int descriptor_ = -1;
    std::string path_;
};

}  // namespace zintra::platform::linux_x11
