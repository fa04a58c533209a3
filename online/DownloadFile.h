// The files of a download, opened so that another user's file is never
// touched: a new file is created only where nothing exists yet and never
// through a link; an existing one is opened only when it is a plain file of
// this user with no other name. Downloads live in the user's private folder;
// these checks hold even if something slipped into it.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

namespace zintra {

class DownloadFile {
public:
    DownloadFile() = default;
    ~DownloadFile() { Close(); }
    DownloadFile(DownloadFile&& other) noexcept : file_(other.file_) { other.file_ = nullptr; }
    DownloadFile& operator=(DownloadFile&& other) noexcept;
    DownloadFile(const DownloadFile&) = delete;
    DownloadFile& operator=(const DownloadFile&) = delete;

    // A new file (read and write, only the user may read it); fails when
    // anything at all, a link included, has the name.
    static DownloadFile CreateNew(const std::string& path);
    // An existing plain file of this user with one name, not reached through a link.
    static DownloadFile OpenOwn(const std::string& path, bool writable);

    explicit operator bool() const { return file_ != nullptr; }
    std::FILE* Stream() const { return file_; }
    std::int64_t Size() const;
    // Cuts the file to `size` bytes and puts the position at its end.
    bool Truncate(std::int64_t size);
    // Makes the file read-only for everyone and keeps others from changing it
    // while it stays open (on Windows the open file then denies writers).
    bool Seal(const std::string& path);
    // Flushes; false when the bytes could not be written.
    bool Close();

private:
    explicit DownloadFile(std::FILE* file) : file_(file) {}
    std::FILE* file_ = nullptr;
};

// Removes the name (never what a link points to); true when nothing has the
// name any more, also when nothing had it.
bool RemoveDownloadEntry(const std::string& path);
// Renames `from` to `to`; fails when something already has the name `to`.
bool RenameDownloadEntry(const std::string& from, const std::string& to);
// Moves `from` to `to`, replacing whatever has that name; false when either step fails.
bool MoveDownloadEntry(const std::string& from, const std::string& to);

}  // namespace zintra
