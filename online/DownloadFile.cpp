#include "online/DownloadFile.h"

namespace zintra {

DownloadFile& DownloadFile::operator=(DownloadFile&& other) noexcept {
    if (this != &other) {
        Close();
        file_ = other.file_;
        other.file_ = nullptr;
    }
    return *this;
}

bool DownloadFile::Close() {
    if (file_ == nullptr) return true;
    const bool flushed = std::fflush(file_) == 0;
    const bool closed = std::fclose(file_) == 0;
    file_ = nullptr;
    return flushed && closed;
}

bool MoveDownloadEntry(const std::string& from, const std::string& to) {
    if (from == to) return true;
    return RemoveDownloadEntry(to) && RenameDownloadEntry(from, to);
}

}  // namespace zintra
