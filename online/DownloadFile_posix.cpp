#include "online/DownloadFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace zintra {

namespace {

std::FILE* StreamOf(int fd, const char* mode) {
    if (fd < 0) return nullptr;
    std::FILE* file = ::fdopen(fd, mode);
    if (file == nullptr) ::close(fd);
    return file;
}

// A plain file of this user that has no other name: nobody else can have
// planted it, and a hard link cannot make it change another file.
bool IsOwnPlainFile(int fd) {
    struct stat info {};
    return ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_uid == ::geteuid() && info.st_nlink == 1;
}

}  // namespace

DownloadFile DownloadFile::CreateNew(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    return DownloadFile(StreamOf(fd, "w+b"));
}

DownloadFile DownloadFile::OpenOwn(const std::string& path, bool writable) {
    // Non-blocking so a planted FIFO cannot hold the open; cleared once it is known to be a file.
    const int fd = ::open(path.c_str(), (writable ? O_RDWR : O_RDONLY) | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) return DownloadFile();
    if (!IsOwnPlainFile(fd) || ::fcntl(fd, F_SETFL, 0) != 0) {
        ::close(fd);
        return DownloadFile();
    }
    return DownloadFile(StreamOf(fd, writable ? "r+b" : "rb"));
}

std::int64_t DownloadFile::Size() const {
    struct stat info {};
    if (file_ == nullptr || std::fflush(file_) != 0 || ::fstat(::fileno(file_), &info) != 0) return -1;
    return static_cast<std::int64_t>(info.st_size);
}

bool DownloadFile::Truncate(std::int64_t size) {
    if (file_ == nullptr || size < 0 || std::fflush(file_) != 0) return false;
    if (::ftruncate(::fileno(file_), static_cast<off_t>(size)) != 0) return false;
    return std::fseek(file_, 0, SEEK_END) == 0;
}

bool DownloadFile::Seal(const std::string&) {
    if (file_ == nullptr || std::fflush(file_) != 0) return false;
    return ::fsync(::fileno(file_)) == 0 && ::fchmod(::fileno(file_), 0400) == 0 && std::fseek(file_, 0, SEEK_SET) == 0;
}

bool RemoveDownloadEntry(const std::string& path) { return ::unlink(path.c_str()) == 0 || errno == ENOENT; }

bool RenameDownloadEntry(const std::string& from, const std::string& to) {
    // A hard link fails when the name is taken, where rename() would replace it.
    if (::link(from.c_str(), to.c_str()) != 0) return false;
    return ::unlink(from.c_str()) == 0;
}

}  // namespace zintra
