#include "platform/linux/LinuxSystem.h"

#include <ifaddrs.h>
#include <linux/if_packet.h>
#include <net/if.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <vector>

#include "platform/linux/Adapters.h"
#include "platform/linux/DownloadFolder.h"
#include "platform/linux/TextConversion.h"

namespace zintra::platform::linux_x11 {

namespace {

std::string Trim(const std::string& text) {
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos) return {};
    const auto last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

}  // namespace

// Downloads never go to the shared /tmp, where other users can plant files.
std::string LinuxSystem::TemporaryDirectory() { return PrivateDownloadFolder(); }

std::u16string LinuxSystem::ExecutablePath() {
    std::vector<char> buffer(4096);
    const ssize_t length = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (length <= 0 || static_cast<std::size_t>(length) >= buffer.size()) return {};
    return FromUtf8(std::string(buffer.data(), static_cast<std::size_t>(length)));
}

bool LinuxSystem::FileExists(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0;
}

bool LinuxSystem::RemoveFile(const std::string& path) { return ::unlink(path.c_str()) == 0; }

bool LinuxSystem::RenameFile(const std::string& from, const std::string& to) {
    // Never replaces: a hard link fails when the destination exists.
    if (::link(from.c_str(), to.c_str()) != 0) return false;
    ::unlink(from.c_str());
    return true;
}

bool LinuxSystem::TruncateFile(const std::string& path, std::int64_t size) {
    return size >= 0 && ::truncate(path.c_str(), static_cast<off_t>(size)) == 0;
}

std::string LinuxSystem::ReadProfileValue(const std::string& section, const std::string& key,
                                            const std::string& defaultValue, const std::string& path) {
    std::ifstream file(path);
    std::string line;
    bool inSection = false;
    while (std::getline(file, line)) {
        const std::string trimmed = Trim(line);
        if (!trimmed.empty() && trimmed.front() == '[') {
            inSection = trimmed == "[" + section + "]";
            continue;
        }
        if (!inSection) continue;
        const auto equals = trimmed.find('=');
        if (equals != std::string::npos && Trim(trimmed.substr(0, equals)) == key) {
            return Trim(trimmed.substr(equals + 1)).substr(0, 259);
        }
    }
    return defaultValue.substr(0, 259);
}

bool LinuxSystem::WriteProfileValue(const std::string& section, const std::string& key, const std::string& value,
                                      const std::string& path) {
    std::vector<std::string> lines;
    {
        std::ifstream file(path);
        std::string line;
        while (std::getline(file, line)) lines.push_back(line);
    }
    bool inSection = false;
    bool written = false;
    std::size_t sectionEnd = lines.size();
    bool sectionFound = false;
    for (std::size_t i = 0; i < lines.size() && !written; ++i) {
        const std::string trimmed = Trim(lines[i]);
        if (!trimmed.empty() && trimmed.front() == '[') {
            if (inSection) sectionEnd = i;
            inSection = trimmed == "[" + section + "]";
            if (inSection) sectionFound = true;
            continue;
        }
        const auto equals = trimmed.find('=');
        if (inSection && equals != std::string::npos && Trim(trimmed.substr(0, equals)) == key) {
            lines[i] = key + "=" + value;
            written = true;
        }
    }
    if (!written) {
        if (!sectionFound) {
            lines.push_back("[" + section + "]");
            sectionEnd = lines.size();
        } else if (inSection) {
            sectionEnd = lines.size();
        }
        lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(sectionEnd), key + "=" + value);
    }
    const std::string temporary = path + ".new";
    {
        std::ofstream out(temporary, std::ios::trunc);
        for (const auto& line : lines) out << line << "\r\n";
        if (!out.flush()) return false;
    }
    return ::rename(temporary.c_str(), path.c_str()) == 0;
}

std::string LinuxSystem::ToAnsiCodePage(const std::u16string& text) { return ToUtf8(text); }

std::u16string LinuxSystem::FromAnsiCodePage(const std::string& text) { return FromUtf8(text); }

std::optional<HardwareAddress> LinuxSystem::FirstAdapterAddress() {
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0) return std::nullopt;
    std::vector<Adapter> adapters;
    for (ifaddrs* entry = list; entry != nullptr; entry = entry->ifa_next) {
        if (entry->ifa_addr == nullptr || entry->ifa_addr->sa_family != AF_PACKET) continue;
        const auto* link = reinterpret_cast<const sockaddr_ll*>(entry->ifa_addr);
        Adapter adapter;
        adapter.index = static_cast<unsigned>(link->sll_ifindex);
        adapter.loopback = (entry->ifa_flags & IFF_LOOPBACK) != 0;
        adapter.up = (entry->ifa_flags & IFF_UP) != 0;
        adapter.address.assign(link->sll_addr, link->sll_addr + std::min<std::size_t>(link->sll_halen, 8));
        adapters.push_back(std::move(adapter));
    }
    freeifaddrs(list);
    return ChooseAdapterAddress(std::move(adapters));
}

}  // namespace zintra::platform::linux_x11
