#include "platform/linux/FileStore.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <sstream>

#include "platform/linux/FileReplace.h"
#include "platform/linux/TextConversion.h"

namespace zintra::platform::linux_x11 {

namespace {

constexpr char kHeader[] = "zintra-store 1";

// Names and paths go into the file as UTF-8 with spaces, percent signs and
// control characters percent-escaped, so every line splits at its spaces.
std::string Escape(const std::u16string& text) {
    const std::string utf8 = ToUtf8(text);
    std::string out;
    for (unsigned char c : utf8) {
        if (c <= 0x20 || c == '%' || c == 0x7F) {
            char code[4];
            std::snprintf(code, sizeof(code), "%%%02X", c);
            out += code;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out.empty() ? "%" : out;  // a lone % is the empty name
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

bool Unescape(const std::string& text, std::u16string& out) {
    if (text == "%") {
        out.clear();
        return true;
    }
    std::string utf8;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            utf8 += text[i];
            continue;
        }
        if (i + 2 >= text.size()) return false;
        const int high = HexDigit(text[i + 1]);
        const int low = HexDigit(text[i + 2]);
        if (high < 0 || low < 0) return false;
        utf8 += static_cast<char>(high * 16 + low);
        i += 2;
    }
    return FromUtf8Strict(utf8, out);
}

std::string Hex(const std::vector<std::uint8_t>& data) {
    static const char digits[] = "0123456789abcdef";
    std::string out;
    out.reserve(data.size() * 2 + 1);
    for (std::uint8_t b : data) {
        out += digits[b >> 4];
        out += digits[b & 15];
    }
    return out.empty() ? "-" : out;
}

bool Unhex(const std::string& text, std::vector<std::uint8_t>& out) {
    out.clear();
    if (text == "-") return true;
    if (text.size() % 2 != 0) return false;
    for (std::size_t i = 0; i < text.size(); i += 2) {
        const int high = HexDigit(text[i]);
        const int low = HexDigit(text[i + 1]);
        if (high < 0 || low < 0) return false;
        out.push_back(static_cast<std::uint8_t>(high * 16 + low));
    }
    return true;
}

std::vector<std::string> Words(const std::string& line) {
    std::vector<std::string> words;
    std::string word;
    for (char c : line) {
        if (c == ' ') {
            words.push_back(word);
            word.clear();
        } else {
            word += c;
        }
    }
    words.push_back(word);
    return words;
}

}  // namespace

std::u16string FoldCase(const std::u16string& text) {
    std::u16string folded = text;
    for (auto& c : folded) {
        if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - u'a' + u'A');
    }
    return folded;
}

FileStore::FileStore(std::string path) : path_(std::move(path)) {}

std::string FileStore::DefaultPath() {
    return ConfigHome() + "/zintra/store";
}

std::string FileStore::Serialize(const Keys& keys) {
    std::string text = std::string(kHeader) + "\n";
    std::size_t values = 0;
    for (const auto& [folded, key] : keys) {
        text += "key " + Escape(key.path) + "\n";
        for (const auto& [foldedName, value] : key.values) {
            text += "value " + Escape(value.name) + " " + std::to_string(value.type) + " " + Hex(value.data) + "\n";
            ++values;
        }
    }
    // The closing line makes a cut-off file recognisable as one.
    text += "end " + std::to_string(keys.size()) + " " + std::to_string(values) + "\n";
    return text;
}

bool FileStore::Parse(const std::string& text, Keys& keys) {
    keys.clear();
    std::stringstream lines(text);
    std::string line;
    if (!std::getline(lines, line) || line != kHeader) return false;
    Key* current = nullptr;
    std::size_t values = 0;
    bool ended = false;
    while (std::getline(lines, line)) {
        if (ended) return false;  // nothing may follow the end
        const auto words = Words(line);
        if (words[0] == "key" && words.size() == 2) {
            std::u16string path;
            if (!Unescape(words[1], path)) return false;
            current = &keys[FoldCase(path)];
            current->path = path;
        } else if (words[0] == "value" && words.size() == 4 && current != nullptr) {
            Value value;
            if (!Unescape(words[1], value.name) || !Unhex(words[3], value.data)) return false;
            char* end = nullptr;
            errno = 0;
            const unsigned long type = std::strtoul(words[2].c_str(), &end, 10);
            if (words[2].empty() || *end != '\0' || errno != 0 || type > 0xFFFFFFFFul) return false;
            value.type = static_cast<std::uint32_t>(type);
            current->values[FoldCase(value.name)] = std::move(value);
            ++values;
        } else if (words[0] == "end" && words.size() == 3) {
            if (words[1] != std::to_string(keys.size()) || words[2] != std::to_string(values)) return false;
            ended = true;
        } else {
            return false;
        }
    }
    return ended && lines.eof();
}

FileStore::Stamp FileStore::StampOf(const struct stat& info) {
    return Stamp{static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino),
                 static_cast<std::int64_t>(info.st_size), static_cast<std::int64_t>(info.st_mtim.tv_sec),
                 static_cast<std::int64_t>(info.st_mtim.tv_nsec)};
}

std::optional<FileStore::Stamp> FileStore::CurrentStamp() const {
    struct stat info {};
    if (::stat(path_.c_str(), &info) != 0) return std::nullopt;
    return StampOf(info);
}

FileStore::ReadResult FileStore::ReadText(std::string& text, Stamp& stamp) const {
    // Non-blocking, so a FIFO at the path cannot hold the start; only a regular
    // file (the link's target, for a link) is read.
    const int fd = ::open(path_.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return errno == ENOENT ? ReadResult::Missing : ReadResult::Failed;
    struct stat info {};
    ReadResult result = ReadResult::Read;
    if (::fstat(fd, &info) != 0) {
        result = ReadResult::Failed;
    } else if (!S_ISREG(info.st_mode)) {
        result = ReadResult::NotAFile;
    }
    stamp = StampOf(info);
    char buffer[65536];
    while (result == ReadResult::Read) {
        const ssize_t n = ::read(fd, buffer, sizeof(buffer));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) result = ReadResult::Failed;
        if (n <= 0) break;
        text.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return result;
}

void FileStore::Sync(bool always) {
    // Another process (a second start, the installer hooks) may have replaced
    // the file since we last read or wrote it: its values count, as the
    // registry's would.
    const std::optional<Stamp> stamp = CurrentStamp();
    const bool missing = !stamp && errno == ENOENT;
    if (loaded_ && !always && stamp == seen_) return;
    const bool first = !loaded_;
    loaded_ = true;
    std::string text;
    Stamp read;
    switch (stamp ? ReadText(text, read) : missing ? ReadResult::Missing : ReadResult::Failed) {
        case ReadResult::Missing:
            // The normal first start, or someone removed the store.
            if (!first) keys_.clear();
            seen_ = std::nullopt;
            return;
        case ReadResult::NotAFile:
            // Not ours to read or to replace: the program runs on what it has.
            writable_ = false;
            seen_ = read;
            return;
        case ReadResult::Failed:
            // A store we cannot read (a folder we cannot search) keeps what we have.
            if (first) writable_ = false;
            seen_ = stamp;
            return;
        case ReadResult::Read:
            break;
    }
    Keys parsed;
    if (Parse(text, parsed)) {
        keys_ = std::move(parsed);
        seen_ = read;
        return;
    }
    SetAside(read);
}

void FileStore::SetAside(const Stamp& stamp) {
    // Kept for whoever wants to look at it; the program goes on from what it has.
    WriterTurn turn(*this);
    const std::string target = FinalTarget(path_);
    struct stat info {};
    if (::stat(target.c_str(), &info) != 0 || StampOf(info) != stamp) {
        Sync(true);  // another process replaced it meanwhile: that one counts
        return;
    }
    const std::string stem = target + ".corrupt-" + std::to_string(static_cast<long long>(std::time(nullptr)));
    const auto aside = MoveAside(target, stem);
    if (!aside) {
        writable_ = false;
        seen_ = stamp;
        return;
    }
    setAside_ = *aside;
    seen_ = std::nullopt;
}

bool FileStore::Save() {
    if (!writable_) return false;
    // Through a link the file is replaced where it lives; the link stays.
    const std::string target = FinalTarget(path_);
    if (!ReplaceFile(target, Serialize(keys_), 0600, target + ".")) return false;
    seen_ = CurrentStamp();
    return true;
}

FileStore::WriterTurn::WriterTurn(FileStore& store) : store_(store) {
    if (store_.lockDepth_++ > 0) return;
    MakeFolders(FolderOf(store_.path_));
    // Without the lock (a read-only folder) the write goes on unserialised, and
    // there it fails anyway.
    store_.lockFd_ = LockExclusively(store_.path_ + ".lock");
}

FileStore::WriterTurn::~WriterTurn() {
    if (--store_.lockDepth_ > 0 || store_.lockFd_ < 0) return;
    ::close(store_.lockFd_);
    store_.lockFd_ = -1;
}

long FileStore::OpenOrCreate(const std::u16string& subkey, bool create, RegistryKey* key) {
    std::lock_guard<std::recursive_mutex> lock(lock_);
    if (key == nullptr) return reg::kAccessDenied;
    *key = 0;
    Sync();
    const std::u16string folded = FoldCase(subkey);
    if (keys_.count(folded) == 0) {
        if (!create) return reg::kFileNotFound;
        WriterTurn turn(*this);
        Sync(true);  // another process may have made it meanwhile
        if (keys_.count(folded) == 0) {
            keys_[folded].path = subkey;
            if (!Save()) {
                keys_.erase(folded);
                return reg::kAccessDenied;
            }
        }
    }
    *key = nextHandle_++;
    handles_[*key] = folded;
    return reg::kSuccess;
}

long FileStore::OpenKey(RegistryRoot, const std::u16string& subkey, RegistryKey* key) {
    return OpenOrCreate(subkey, false, key);
}

long FileStore::CreateKey(RegistryRoot, const std::u16string& subkey, RegistryKey* key) {
    return OpenOrCreate(subkey, true, key);
}

long FileStore::QueryValue(RegistryKey key, const std::u16string& name, std::uint32_t* type, void* data,
                           std::uint32_t* size) {
    std::lock_guard<std::recursive_mutex> lock(lock_);
    auto handle = handles_.find(key);
    if (handle == handles_.end()) return reg::kInvalidHandle;
    Sync();
    auto stored = keys_.find(handle->second);
    if (stored == keys_.end()) return reg::kFileNotFound;
    auto value = stored->second.values.find(FoldCase(name));
    if (value == stored->second.values.end()) return reg::kFileNotFound;
    if (type != nullptr) *type = value->second.type;
    const auto needed = static_cast<std::uint32_t>(value->second.data.size());
    if (data == nullptr) {
        if (size != nullptr) *size = needed;
        return reg::kSuccess;
    }
    if (size == nullptr) return reg::kAccessDenied;
    if (*size < needed) {
        *size = needed;
        return reg::kMoreData;
    }
    if (needed > 0) std::memcpy(data, value->second.data.data(), needed);
    *size = needed;
    return reg::kSuccess;
}

long FileStore::SetValue(RegistryKey key, const std::u16string& name, std::uint32_t type, const void* data,
                         std::uint32_t size) {
    std::lock_guard<std::recursive_mutex> lock(lock_);
    auto handle = handles_.find(key);
    if (handle == handles_.end()) return reg::kInvalidHandle;
    if (size > 0 && data == nullptr) return reg::kAccessDenied;
    WriterTurn turn(*this);
    Sync(true);
    Key& stored = keys_[handle->second];
    const std::u16string folded = FoldCase(name);
    Value value;
    auto old = stored.values.find(folded);
    const bool existed = old != stored.values.end();
    const Value previous = existed ? old->second : Value{};
    value.name = existed ? old->second.name : name;
    value.type = type;
    if (size > 0) {
        const auto* bytes = static_cast<const std::uint8_t*>(data);
        value.data.assign(bytes, bytes + size);
    }
    stored.values[folded] = std::move(value);
    if (Save()) return reg::kSuccess;
    // What is in memory stays what is on disk.
    if (existed) {
        stored.values[folded] = previous;
    } else {
        stored.values.erase(folded);
    }
    return reg::kAccessDenied;
}

long FileStore::DeleteValue(RegistryKey key, const std::u16string& name) {
    std::lock_guard<std::recursive_mutex> lock(lock_);
    auto handle = handles_.find(key);
    if (handle == handles_.end()) return reg::kInvalidHandle;
    WriterTurn turn(*this);
    Sync(true);
    Key& stored = keys_[handle->second];
    auto value = stored.values.find(FoldCase(name));
    if (value == stored.values.end()) return reg::kFileNotFound;
    const Value previous = value->second;
    stored.values.erase(value);
    if (Save()) return reg::kSuccess;
    stored.values[FoldCase(name)] = previous;
    return reg::kAccessDenied;
}

long FileStore::FlushKey(RegistryKey key) {
    std::lock_guard<std::recursive_mutex> lock(lock_);
    // Every change is on disk when its call returns.
    return handles_.count(key) ? reg::kSuccess : reg::kInvalidHandle;
}

long FileStore::CloseKey(RegistryKey key) {
    std::lock_guard<std::recursive_mutex> lock(lock_);
    return handles_.erase(key) ? reg::kSuccess : reg::kInvalidHandle;
}

}  // namespace zintra::platform::linux_x11
