#include "platform/linux/TrayProtocol.h"

#include <sys/stat.h>

#include "platform/Messages.h"
#include "platform/linux/TextConversion.h"

namespace zintra::platform::linux_x11 {

namespace {

constexpr const char* kIconName = "zintra";

std::u16string_view FieldText(const char16_t* field, std::size_t capacity) {
    std::size_t length = 0;
    while (length < capacity && field[length] != u'\0') ++length;
    return {field, length};
}

bool IsFile(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

}  // namespace

std::vector<std::uint8_t> PixmapBytes(const IconPicture& picture) {
    if (picture.width <= 0 || picture.height <= 0 ||
        picture.argb.size() != static_cast<std::size_t>(picture.width) * static_cast<std::size_t>(picture.height)) {
        return {};
    }
    std::vector<std::uint8_t> bytes;
    bytes.reserve(picture.argb.size() * 4);
    for (std::uint32_t pixel : picture.argb) {
        bytes.push_back(static_cast<std::uint8_t>(pixel >> 24));
        bytes.push_back(static_cast<std::uint8_t>(pixel >> 16));
        bytes.push_back(static_cast<std::uint8_t>(pixel >> 8));
        bytes.push_back(static_cast<std::uint8_t>(pixel));
    }
    return bytes;
}

std::optional<TrayCallback> CallbackFor(TrayClick click, const TrayIconData& record) {
    if ((record.flags & tray::kMessage) == 0 || record.window == 0) return std::nullopt;
    const std::uint32_t button = click == TrayClick::Activate ? msg::kLButtonDown : msg::kRButtonDown;
    return TrayCallback{record.window, record.callbackMessage, record.id, static_cast<std::intptr_t>(button)};
}

std::optional<Notice> NoticeFor(const TrayIconData& record) {
    if ((record.flags & tray::kInfo) == 0) return std::nullopt;
    const std::u16string_view text = FieldText(record.info, std::size(record.info));
    if (text.empty()) return std::nullopt;
    const std::u16string_view title = FieldText(record.infoTitle, std::size(record.infoTitle));
    if (title.empty()) return Notice{ToUtf8(std::u16string(text)), {}};
    return Notice{ToUtf8(std::u16string(title)), ToUtf8(std::u16string(text))};
}

std::string InstalledIconName(const std::string& dataHome, const std::string& dataDirectories) {
    std::vector<std::string> folders;
    if (!dataHome.empty()) folders.push_back(dataHome);
    std::size_t start = 0;
    while (start <= dataDirectories.size()) {
        const std::size_t end = dataDirectories.find(':', start);
        const std::string folder = dataDirectories.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (!folder.empty()) folders.push_back(folder);
        if (end == std::string::npos) break;
        start = end + 1;
    }
    for (const std::string& folder : folders) {
        for (const char* size : {"scalable", "256x256", "128x128", "64x64", "48x48", "32x32", "24x24", "22x22", "16x16"}) {
            const std::string base = folder + "/icons/hicolor/" + size + "/apps/" + kIconName;
            if (IsFile(base + ".png") || IsFile(base + ".svg")) return kIconName;
        }
    }
    return {};
}

}  // namespace zintra::platform::linux_x11
