#include "online/DownloadFile.h"

#include <windows.h>

#include <fcntl.h>
#include <io.h>

namespace zintra {

namespace {

std::FILE* StreamOf(HANDLE handle, int flags, const char* mode) {
    if (handle == INVALID_HANDLE_VALUE) return nullptr;
    const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(handle), flags | _O_BINARY);
    if (fd < 0) {
        CloseHandle(handle);
        return nullptr;
    }
    std::FILE* file = _fdopen(fd, mode);
    if (file == nullptr) _close(fd);
    return file;
}

// A plain file with one name, not a link or junction reached by its name.
bool IsPlainFile(HANDLE handle) {
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(handle, &info)) return false;
    const DWORD unwanted = FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE;
    return (info.dwFileAttributes & unwanted) == 0 && info.nNumberOfLinks == 1;
}

// Reparse points (links, junctions) are opened themselves, never followed.
HANDLE OpenHandle(const std::string& path, DWORD access, DWORD share, DWORD disposition) {
    return CreateFileA(path.c_str(), access, share, nullptr, disposition,
                       FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
}

}  // namespace

DownloadFile DownloadFile::CreateNew(const std::string& path) {
    const HANDLE handle = OpenHandle(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, CREATE_NEW);
    return DownloadFile(StreamOf(handle, _O_RDWR, "w+b"));
}

DownloadFile DownloadFile::OpenOwn(const std::string& path, bool writable) {
    const DWORD access = writable ? GENERIC_READ | GENERIC_WRITE : GENERIC_READ;
    const HANDLE handle = OpenHandle(path, access, FILE_SHARE_READ, OPEN_EXISTING);
    if (handle == INVALID_HANDLE_VALUE) return DownloadFile();
    if (!IsPlainFile(handle)) {
        CloseHandle(handle);
        return DownloadFile();
    }
    return DownloadFile(StreamOf(handle, writable ? _O_RDWR : _O_RDONLY, writable ? "r+b" : "rb"));
}

std::int64_t DownloadFile::Size() const {
    if (file_ == nullptr || std::fflush(file_) != 0) return -1;
    return _filelengthi64(_fileno(file_));
}

bool DownloadFile::Truncate(std::int64_t size) {
    if (file_ == nullptr || size < 0 || std::fflush(file_) != 0) return false;
    if (_chsize_s(_fileno(file_), size) != 0) return false;
    return std::fseek(file_, 0, SEEK_END) == 0;
}

bool DownloadFile::Seal(const std::string& path) {
    // The writing handle would keep the installer from starting; the file is
    // opened again for reading only, denying writers and deleters while open.
    if (!Close()) return false;
    *this = OpenOwn(path, false);
    return file_ != nullptr;
}

bool RemoveDownloadEntry(const std::string& path) {
    if (DeleteFileA(path.c_str())) return true;
    const DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

bool RenameDownloadEntry(const std::string& from, const std::string& to) {
    return MoveFileExA(from.c_str(), to.c_str(), 0) != FALSE;
}

}  // namespace zintra
