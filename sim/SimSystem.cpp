#include "sim/SimSystem.h"

#include "base/TextUtil.h"

#include <ifaddrs.h>
#include <linux/if_packet.h>
#include <net/if.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <vector>

namespace zintra::sim {

namespace {

bool EqualIgnoringCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto fold = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; };
        if (fold(a[i]) != fold(b[i])) return false;
    }
    return true;
}

std::string Trim(const std::string& text) {
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) return {};
    const auto last = text.find_last_not_of(" \t\r\n");
    return text.substr(first, last - first + 1);
}

std::vector<std::string> ReadLines(const std::string& path) {
    std::vector<std::string> lines;
    std::ifstream in(path, std::ios::binary);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

// "[name]" gives the name; anything else nothing.
std::optional<std::string> SectionName(const std::string& line) {
    const std::string trimmed = Trim(line);
    if (trimmed.size() < 2 || trimmed.front() != '[') return std::nullopt;
    const auto close = trimmed.find(']');
    if (close == std::string::npos) return std::nullopt;
    return Trim(trimmed.substr(1, close - 1));
}

// "key=value" split at the first '='.
std::optional<std::pair<std::string, std::string>> Entry(const std::string& line) {
    const auto equals = line.find('=');
    if (equals == std::string::npos) return std::nullopt;
    return std::make_pair(Trim(line.substr(0, equals)), Trim(line.substr(equals + 1)));
}

}  // namespace

SimSystem::SimSystem() {
    std::string directory = std::filesystem::temp_directory_path().string();
    if (directory.empty() || directory.back() != '/') directory += '/';
    temporaryDirectory_ = directory;
}

std::string SimSystem::TemporaryDirectory() {
    std::lock_guard<std::mutex> guard(lock_);
    return temporaryDirectory_;
}

std::u16string SimSystem::ExecutablePath() {
    std::lock_guard<std::mutex> guard(lock_);
    return executablePath_;
}

bool SimSystem::FileExists(const std::string& path) {
    struct stat info {};
    return !path.empty() && ::stat(path.c_str(), &info) == 0;
}

bool SimSystem::RemoveFile(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || S_ISDIR(info.st_mode)) return false;
    return ::unlink(path.c_str()) == 0;
}

bool SimSystem::RenameFile(const std::string& from, const std::string& to) {
    if (from == to) return FileExists(from);
    // rename() would replace the destination; moving onto an existing file fails on Windows.
    if (FileExists(to)) return false;
    return std::rename(from.c_str(), to.c_str()) == 0;
}

bool SimSystem::TruncateFile(const std::string& path, std::int64_t size) {
    return size >= 0 && ::truncate(path.c_str(), static_cast<off_t>(size)) == 0;
}

std::string SimSystem::ReadProfileValue(const std::string& section, const std::string& key,
                                         const std::string& defaultValue, const std::string& path) {
    bool inSection = false;
    for (const std::string& line : ReadLines(path)) {
        if (auto name = SectionName(line)) {
            inSection = EqualIgnoringCase(*name, section);
            continue;
        }
        if (!inSection) continue;
        auto entry = Entry(line);
        if (!entry || !EqualIgnoringCase(entry->first, key)) continue;
        std::string value = entry->second;
        // A value in matching quotes is read without them.
        if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front()) {
            value = value.substr(1, value.size() - 2);
        }
        return value.substr(0, 259);
    }
    return defaultValue.substr(0, 259);
}

bool SimSystem::WriteProfileValue(const std::string& section, const std::string& key, const std::string& value,
                                   const std::string& path) {
    std::vector<std::string> lines = ReadLines(path);
    const std::string entry = key + "=" + value;
    bool inSection = false;
    std::optional<std::size_t> sectionEnd;  // index after the section's last line
    bool written = false;
    for (std::size_t i = 0; i < lines.size() && !written; ++i) {
        if (auto name = SectionName(lines[i])) {
            if (inSection) break;
            inSection = EqualIgnoringCase(*name, section);
            if (inSection) sectionEnd = i + 1;
            continue;
        }
        if (!inSection) continue;
        if (auto existing = Entry(lines[i]); existing && EqualIgnoringCase(existing->first, key)) {
            lines[i] = entry;
            written = true;
        } else if (!Trim(lines[i]).empty()) {
            sectionEnd = i + 1;
        }
    }
    if (!written) {
        if (sectionEnd) {
            lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(*sectionEnd), entry);
        } else {
            lines.push_back("[" + section + "]");
            lines.push_back(entry);
        }
    }
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    for (const std::string& line : lines) out << line << "\r\n";
    return static_cast<bool>(out.flush());
}

std::u16string SimSystem::FromAnsiCodePage(const std::string& text) {
    // The simulated code page is UTF-8; malformed bytes become '?'.
    return Utf8ToUtf16(text, u'?');
}

std::string SimSystem::ToAnsiCodePage(const std::u16string& text) {
    // A lone surrogate has no mapping.
    return Utf16ToUtf8(text, U'?');
}

std::optional<platform::HardwareAddress> SimSystem::FirstAdapterAddress() {
    {
        std::lock_guard<std::mutex> guard(lock_);
        if (adapterOverridden_) return adapterAddress_;
    }
    // The machine's own first adapter that is not the loopback one.
    ifaddrs* list = nullptr;
    if (::getifaddrs(&list) != 0) return std::nullopt;
    std::optional<platform::HardwareAddress> found;
    for (ifaddrs* entry = list; entry != nullptr && !found; entry = entry->ifa_next) {
        if (entry->ifa_addr == nullptr || entry->ifa_addr->sa_family != AF_PACKET) continue;
        if (entry->ifa_flags & IFF_LOOPBACK) continue;
        const auto* link = reinterpret_cast<const sockaddr_ll*>(entry->ifa_addr);
        if (link->sll_halen != 6) continue;
        platform::HardwareAddress address{};
        for (std::size_t i = 0; i < address.size(); ++i) address[i] = link->sll_addr[i];
        found = address;
    }
    ::freeifaddrs(list);
    return found;
}

void SimSystem::SetTemporaryDirectory(const std::string& directory) {
    std::lock_guard<std::mutex> guard(lock_);
    temporaryDirectory_ = directory;
}

void SimSystem::SetExecutablePath(const std::u16string& path) {
    std::lock_guard<std::mutex> guard(lock_);
    executablePath_ = path;
}

void SimSystem::SetAdapterAddress(std::optional<platform::HardwareAddress> address) {
    std::lock_guard<std::mutex> guard(lock_);
    adapterOverridden_ = true;
    adapterAddress_ = address;
}

}  // namespace zintra::sim
