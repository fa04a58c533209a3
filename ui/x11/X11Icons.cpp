// Icons: the entries of the program's .ico files decoded, handed to the
// desktop as the windows' icons and to the tray as pictures.
#include <X11/Xatom.h>

#include <cstring>

#include "ui/core/ResourcePackage.h"
#include "ui/core/SApplication.h"
#include "ui/render/IconDirectory.h"
#include "ui/render/PngDecoder.h"
#include "ui/x11/X11Backend.h"
#include "ui/x11/X11BackendParts.h"

namespace zintra::ui {

namespace {

// One entry of an icon file: a PNG, or a 32-bit DIB (rows bottom-up, blue,
// green, red, alpha, then the unused AND mask). Nothing for other formats.
std::optional<Bitmap> DecodeIconEntry(X11Backend& backend, std::string_view entry) {
    if (entry.size() >= 8 && entry.substr(0, 8) == std::string_view("\x89PNG\r\n\x1a\n", 8)) {
        return backend.DecodeImage(entry);
    }
    const auto read32 = [&](std::size_t at) {
        std::uint32_t value = 0;
        std::memcpy(&value, entry.data() + at, 4);
        return value;
    };
    if (entry.size() < 40 || read32(0) < 40) return std::nullopt;
    const auto width = static_cast<std::int32_t>(read32(4));
    const auto height = static_cast<std::int32_t>(read32(8)) / 2;  // the colour rows, then the mask's
    std::uint16_t bits = 0;
    std::memcpy(&bits, entry.data() + 14, 2);
    if (bits != 32 || width <= 0 || height <= 0 || width > 256 || height > 256) return std::nullopt;
    const std::size_t start = read32(0);
    const std::size_t row = static_cast<std::size_t>(width) * 4;
    if (entry.size() < start + row * static_cast<std::size_t>(height)) return std::nullopt;
    Bitmap bitmap;
    bitmap.width = width;
    bitmap.height = height;
    bitmap.pixels.resize(row * static_cast<std::size_t>(height));
    for (int y = 0; y < height; ++y) {
        const char* source = entry.data() + start + row * static_cast<std::size_t>(height - 1 - y);
        std::uint8_t* target = &bitmap.pixels[row * static_cast<std::size_t>(y)];
        for (int x = 0; x < width; ++x) {
            target[x * 4 + 0] = static_cast<std::uint8_t>(source[x * 4 + 2]);
            target[x * 4 + 1] = static_cast<std::uint8_t>(source[x * 4 + 1]);
            target[x * 4 + 2] = static_cast<std::uint8_t>(source[x * 4 + 0]);
            target[x * 4 + 3] = static_cast<std::uint8_t>(source[x * 4 + 3]);
        }
    }
    return bitmap;
}

}  // namespace

std::optional<Bitmap> X11Backend::DecodeImage(std::string_view bytes) {
    return DecodePng(bytes);
}

std::uintptr_t X11Backend::LoadIcon(const ResourcePackage& package, std::string_view name, int size) {
    auto icon = LoadPackagedIcon(package, name, size);
    if (!icon) return 0;
    const std::uintptr_t handle = nextIcon_++;
    const auto picture = DecodeIconEntry(*this, std::string_view(icon->file).substr(icon->image.offset, icon->image.size));
    icons_[handle] = picture.value_or(Bitmap{});
    iconFiles_[handle] = std::make_shared<const std::string>(std::move(icon->file));
    return handle;
}

std::vector<platform::linux_x11::IconPicture> X11Backend::IconPictures(std::uintptr_t icon) {
    std::vector<platform::linux_x11::IconPicture> pictures;
    const auto add = [&pictures](const Bitmap& bitmap) {
        if (bitmap.Empty()) return;
        platform::linux_x11::IconPicture picture;
        picture.width = bitmap.width;
        picture.height = bitmap.height;
        picture.argb.reserve(static_cast<std::size_t>(bitmap.width) * static_cast<std::size_t>(bitmap.height));
        for (int y = 0; y < bitmap.height; ++y) {
            for (int x = 0; x < bitmap.width; ++x) picture.argb.push_back(bitmap.PixelAt(x, y));
        }
        pictures.push_back(std::move(picture));
    };
    const auto it = icons_.find(icon);
    if (it == icons_.end()) return pictures;
    add(it->second);
    // The other sizes of the same icon file.
    const auto file = iconFiles_.find(icon);
    if (file == iconFiles_.end()) return pictures;
    const std::string_view bytes(*file->second);
    if (const auto images = ReadIconDirectory(bytes)) {
        for (const auto& image : *images) {
            if (image.width == it->second.width && image.height == it->second.height) continue;
            if (const auto other = DecodeIconEntry(*this, bytes.substr(image.offset, image.size))) add(*other);
        }
    }
    return pictures;
}

void X11Backend::SetWindowIcons(Window window, const HostAttributes& attributes) {
    const SApplication* application = SApplication::Instance();
    if (application == nullptr) return;
    // _NET_WM_ICON: for each picture its width, its height, then ARGB pixels, one per long.
    std::vector<long> data;
    for (const std::string& name : {attributes.smallIcon, attributes.bigIcon}) {
        auto it = icons_.find(name.empty() ? 0 : application->LoadIcon(name));
        if (it == icons_.end() || it->second.Empty()) continue;
        const Bitmap& picture = it->second;
        data.push_back(picture.width);
        data.push_back(picture.height);
        for (int y = 0; y < picture.height; ++y) {
            for (int x = 0; x < picture.width; ++x) data.push_back(static_cast<long>(picture.PixelAt(x, y)));
        }
    }
    if (data.empty()) return;
    XChangeProperty(display_, window, Intern("_NET_WM_ICON"), XA_CARDINAL, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(data.data()), static_cast<int>(data.size()));
}

}  // namespace zintra::ui
